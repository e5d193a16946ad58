// The outer corners of the symbol and the frame over them (TCoordinates):
// three corners pulled from the finder centres onto the outermost dark pixel,
// the fourth sought in a window of Warp module pitches and tested against the
// meeting of the bottom and right edges.

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <vector>

#include "common/Diagnosis.h"
#include "common/Errors.h"
#include "common/Rounding.h"
#include "locate/Coordinates.h"
#include "locate/Geometry.h"
#include "symbol/Versions.h"

namespace {

// Inclusive range [low, high] clipped to [0, limit - 1]; empty when low > high afterwards.
struct TSpan {
  std::int32_t low;
  std::int32_t high;
};
TSpan Clip(std::int64_t low, std::int64_t high, std::int32_t limit) {
  return TSpan{static_cast<std::int32_t>(std::max<std::int64_t>(low, 0)),
               static_cast<std::int32_t>(std::min<std::int64_t>(high, static_cast<std::int64_t>(limit) - 1))};
}

}  // namespace

TPoint TCoordinates::ModuleOffsetToImage(TPoint origin, long double a, long double b) const {
  const long double x = a * pitch1_ * cos1_ + b * pitch2_ * cos2_ + origin.x;
  const long double y = a * pitch1_ * sin1_ + b * pitch2_ * sin2_ + origin.y;
  return TPoint{RoundHalfEven(x, "corner prediction x"), RoundHalfEven(y, "corner prediction y")};
}

void TCoordinates::FrameSymbol(const TPlaneBoolean& plane, std::int32_t width, std::int32_t height) {
  cornerFigures_ = TCornerFigures{};
  cornerFigures_.warp = warp_;
  // Predictions 3.5 modules out from each finder centre (half a finder pattern).
  c_[0] = ModuleOffsetToImage(p_[0], -3.5L, -3.5L);
  c_[1] = ModuleOffsetToImage(p_[1], 3.5L, -3.5L);
  c_[2] = ModuleOffsetToImage(p_[2], -3.5L, 3.5L);
  // One module inside the bottom-right corner: the side less 4.5 pitches from P0 along both axes.
  const long double reach = static_cast<long double>(SymbolSide(version_)) - 4.5L;
  const TPoint estimate = ModuleOffsetToImage(p_[0], reach, reach);

  // Each corner is the dark pixel farthest from a point across the symbol.
  if (SearchCorner(plane, width, height, 0, c_[0], estimate, 2)) c_[0] = searchHit_;
  if (SearchCorner(plane, width, height, 1, c_[1], c_[2], 2)) c_[1] = searchHit_;
  if (SearchCorner(plane, width, height, 2, c_[2], c_[1], 2)) c_[2] = searchHit_;
  if (SearchCorner(plane, width, height, 3, estimate, p_[0], warp_)) {
    c_[3] = searchHit_;
    CheckBottomRightCorner(plane, width, height);
  } else {
    c_[3] = estimate;
  }
  cornerFigures_.step = TCornerStep::Frame;
  DeriveFrame();
  cornerFigures_.corners = {c_[0], c_[1], c_[2], c_[3]};
  cornerFigures_.step = TCornerStep::Done;
}

bool TCoordinates::SearchCorner(const TPlaneBoolean& plane, std::int32_t width, std::int32_t height,
                                std::size_t corner, TPoint centre, TPoint reference, std::int32_t k) {
  static constexpr std::array<TCornerStep, 4> kSteps = {TCornerStep::TopLeft, TCornerStep::TopRight,
                                                        TCornerStep::BottomLeft, TCornerStep::BottomRight};
  cornerFigures_.step = kSteps[corner];
  TCornerSearchFigures& search = cornerFigures_.searches[corner];
  search.around = centre;
  search.radius = static_cast<std::int32_t>(
      std::clamp<std::int64_t>(SearchRadius(k), 0, std::numeric_limits<std::int32_t>::max()));
  search.found = FindFarthestDark(plane, width, height, centre, reference, k);
  if (search.found) search.hit = searchHit_;
  return search.found;
}

void TCoordinates::SetCorners(TPoint c0, TPoint c1, TPoint c2, TPoint c3) {
  c_[0] = c0;
  c_[1] = c1;
  c_[2] = c2;
  c_[3] = c3;
  DeriveFrame();
}

void TCoordinates::DeriveFrame() {
  topLength_ = Distance(c_[0], c_[1]);
  leftLength_ = Distance(c_[0], c_[2]);
  topAngle_ = Direction(c_[0], c_[1]);
  if (topAngle_ < 0) topAngle_ += 2 * kPi;
  leftAngle_ = Direction(c_[0], c_[2]);
  if (leftAngle_ < 0) leftAngle_ += 2 * kPi;
  cosTop_ = cosl(topAngle_);
  sinTop_ = sinl(topAngle_);
  cosLeft_ = cosl(leftAngle_);
  sinLeft_ = sinl(leftAngle_);

  // The corner that would complete a parallelogram; C3's deviation from it
  // carries the perspective distortion.
  const TPoint parallelogram{
      Shift(RoundHalfEven(cosTop_ * topLength_ + cosLeft_ * leftLength_, "frame corner x"), c_[0].x,
            "frame corner x"),
      Shift(RoundHalfEven(sinTop_ * topLength_ + sinLeft_ * leftLength_, "frame corner y"), c_[0].y,
            "frame corner y")};
  deviationLength_ = Distance(parallelogram, c_[3]);
  deviationAngle_ = Direction(parallelogram, c_[3]);
  cosDeviation_ = cosl(deviationAngle_);
  sinDeviation_ = sinl(deviationAngle_);
}

std::int64_t TCoordinates::SearchRadius(std::int32_t k) const {
  const long double pitch = pitch1_ > pitch2_ ? pitch1_ : pitch2_;
  return RoundHalfEven(k * pitch, "corner search radius");
}

bool TCoordinates::FindFarthestDark(const TPlaneBoolean& plane, std::int32_t width, std::int32_t height,
                                    TPoint centre, TPoint reference, std::int32_t k) {
  const std::int64_t radius = SearchRadius(k);
  // Only the part of the window inside the plane can hold a dark pixel.
  const TSpan xs = Clip(static_cast<std::int64_t>(centre.x) - radius, static_cast<std::int64_t>(centre.x) + radius,
                        std::min(width, plane.Width()));
  const TSpan ys = Clip(static_cast<std::int64_t>(centre.y) - radius, static_cast<std::int64_t>(centre.y) + radius,
                        std::min(height, plane.Height()));
  long double best = 0;
  // The squared distance behind `best`: the root grows with the square, so a
  // pixel whose square is not larger cannot be farther, and only the few that
  // are need a root. The first pixel at the largest distance wins, as before.
  long double bestSquare = 0;
  for (std::int32_t x = xs.low; x <= xs.high; ++x) {
    for (std::int32_t y = ys.low; y <= ys.high; ++y) {
      if (!plane[x][y]) continue;
      const TDelta delta = Delta(TPoint{x, y}, reference);
      const long double square = delta.x * delta.x + delta.y * delta.y;
      if (square <= bestSquare) continue;
      const long double d = sqrtl(square);
      if (d > best) {
        best = d;
        bestSquare = square;
        searchHit_ = TPoint{x, y};
      }
    }
  }
  return best != 0;
}

long double TCoordinates::DirectionAngle(TPoint q, TPoint p) {
  const std::int64_t dx = static_cast<std::int64_t>(p.x) - q.x;
  const std::int64_t dy = static_cast<std::int64_t>(p.y) - q.y;
  if (dx == 0 && dy == 0) throw TMathError("Base Angle Error");
  if (dy == 0) return dx > 0 ? 0.0L : kPi;
  if (dx == 0) return dy > 0 ? kPi / 2 : -kPi / 2;
  return Direction(q, p);
}

long double TCoordinates::BottomEdgeAngle(const TPlaneBoolean& plane, std::int32_t width, std::int32_t height,
                                          TPoint q, TPoint r) const {
  return EdgeAngle(plane, width, height, q, r, true);
}

long double TCoordinates::RightEdgeAngle(const TPlaneBoolean& plane, std::int32_t width, std::int32_t height,
                                         TPoint q, TPoint r) const {
  return EdgeAngle(plane, width, height, q, r, false);
}

// Direction from corner q of the edge towards r: the extreme direction angle
// of the dark pixels in the rectangle spanned by q and r, leaving out those
// nearer to q than 0.3 of the edge.
long double TCoordinates::EdgeAngle(const TPlaneBoolean& plane, std::int32_t width, std::int32_t height, TPoint q,
                                    TPoint r, bool largest) const {
  const std::int64_t dx = static_cast<std::int64_t>(r.x) - q.x;
  const std::int64_t dy = static_cast<std::int64_t>(r.y) - q.y;
  if (dx == 0) {
    if (dy > 0) return kPi / 2;
    if (dy < 0) return -kPi / 2;
    throw TMathError("Base Angle Error");
  }
  if (dy == 0) return dx > 0 ? 0.0L : -kPi;

  const long double nearest = 0.3L * Distance(q, r);
  // With r up and to the left, the angles of that quadrant run from -pi to
  // -pi/2, so a pixel straight left of q counts as -pi rather than pi.
  const bool upLeft = dx < 0 && dy < 0;
  long double best = largest ? -2 * kPi : 2 * kPi;
  const TSpan xs = Clip(std::min(q.x, r.x), std::max(q.x, r.x), std::min(width, plane.Width()));
  const TSpan ys = Clip(std::min(q.y, r.y), std::max(q.y, r.y), std::min(height, plane.Height()));

  // The rectangle lies in one quadrant around q, where the direction angle
  // grows with the turn from one pixel to the next, so the extreme direction
  // is found with exact integer cross products; the angle is then worked out
  // only for the pixels that lie in that direction. Distinct directions of
  // pixels differ by far more than the rounding of an angle, so the result is
  // the extreme of all the pixels' angles. Needs coordinates whose products fit
  // 64 bits; far-off corners take the pixel-by-pixel way below.
  constexpr std::int64_t kReach = std::int64_t{1} << 30;
  const bool small = q.x > -kReach && q.x < kReach && q.y > -kReach && q.y < kReach && plane.Width() < kReach &&
                     plane.Height() < kReach;
  if (small) {
    // Distance(q, p) < nearest exactly when the integer square sum is below `inner`.
    std::int64_t inner = static_cast<std::int64_t>(std::min(floorl(nearest * nearest), 4.0e18L));
    while (inner > 0 && sqrtl(static_cast<long double>(inner - 1)) >= nearest) --inner;
    while (sqrtl(static_cast<long double>(inner)) < nearest) ++inner;
    std::int64_t bestX = 0, bestY = 0;
    bool found = false;
    std::vector<TPoint> extreme;
    for (std::int32_t y = ys.low; y <= ys.high; ++y) {
      const std::uint8_t* row = plane.Row(y);
      const std::int64_t py = static_cast<std::int64_t>(y) - q.y;
      for (std::int32_t x = xs.low; x <= xs.high; ++x) {
        if (!row[x]) continue;
        const std::int64_t px = static_cast<std::int64_t>(x) - q.x;
        if (px * px + py * py < inner) continue;
        const std::int64_t turn = found ? bestX * py - bestY * px : 0;
        if (!found || (largest ? turn > 0 : turn < 0)) {
          found = true;
          bestX = px;
          bestY = py;
          extreme.clear();
          extreme.push_back({x, y});
        } else if (turn == 0) {
          extreme.push_back({x, y});
        }
      }
    }
    for (const TPoint pixel : extreme) {
      const long double angle = (upLeft && pixel.y == q.y && pixel.x < q.x) ? -kPi : DirectionAngle(q, pixel);
      if (largest ? angle > best : angle < best) best = angle;
    }
    return best;
  }

  for (std::int32_t y = ys.low; y <= ys.high; ++y) {
    const std::uint8_t* row = plane.Row(y);
    for (std::int32_t x = xs.low; x <= xs.high; ++x) {
      if (!row[x]) continue;
      const TPoint pixel{x, y};
      if (Distance(q, pixel) < nearest) continue;
      const long double angle = (upLeft && y == q.y && x < q.x) ? -kPi : DirectionAngle(q, pixel);
      if (largest ? angle > best : angle < best) best = angle;
    }
  }
  return best;
}

void TCoordinates::CheckBottomRightCorner(const TPlaneBoolean& plane, std::int32_t width, std::int32_t height) {
  // Supporting lines of the bottom edge (seen from C2) and the right edge (seen from C1).
  cornerFigures_.edgeChecked = true;
  cornerFigures_.step = TCornerStep::BottomEdge;
  const long double beta = BottomEdgeAngle(plane, width, height, c_[2], c_[3]);
  cornerFigures_.bottomEdgeAngle = static_cast<double>(beta);
  cornerFigures_.step = TCornerStep::RightEdge;
  const long double alpha = RightEdgeAngle(plane, width, height, c_[1], c_[3]);
  cornerFigures_.rightEdgeAngle = static_cast<double>(alpha);
  cornerFigures_.step = TCornerStep::Intersection;
  try {
    const long double sinA = sinl(alpha), cosA = cosl(alpha);
    const long double sinB = sinl(beta), cosB = cosl(beta);
    const long double k1 = c_[1].x * sinA - c_[1].y * cosA;
    const long double k2 = c_[2].x * sinB - c_[2].y * cosB;
    const long double denominatorX = sinA * cosB - cosA * sinB;
    const long double denominatorY = sinB * cosA - cosB * sinA;
    if (denominatorX == 0 || denominatorY == 0) throw TMathError("parallel edges");
    const TPoint crossing{RoundHalfEven((cosB * k1 - cosA * k2) / denominatorX, "edge intersection x"),
                          RoundHalfEven((sinA * k2 - sinB * k1) / denominatorY, "edge intersection y")};
    cornerFigures_.intersection = crossing;
    if (!plane.Contains(crossing) || crossing.x >= width || crossing.y >= height) {
      throw TMathError("edge intersection outside the picture");
    }
    // A light intersection away from the found corner means the corner module
    // is light and the hit lies inside the symbol.
    if (!plane[crossing.x][crossing.y] && Distance(c_[3], crossing) > pitch1_ / 2) {
      c_[3] = crossing;
      cornerFigures_.movedToIntersection = true;
    }
  } catch (const TMathError&) {
    throw TMathError("Program Error");
  }
}
