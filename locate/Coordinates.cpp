#include "Coordinates.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <limits>
#include <numbers>
#include <string>
#include <vector>

#include "common/Bitmap.h"
#include "common/Diagnosis.h"
#include "common/Errors.h"
#include "common/Rounding.h"
#include "locate/FindPattern.h"
#include "locate/Geometry.h"
#include "locate/TimingPattern.h"
#include "symbol/Versions.h"

namespace {

// An integer coordinate plus an offset, refused when the sum leaves the 32-bit range.
std::int32_t Shift(std::int32_t value, std::int64_t offset, const char* what) {
  const std::int64_t sum = static_cast<std::int64_t>(value) + offset;
  if (sum < std::numeric_limits<std::int32_t>::min() || sum > std::numeric_limits<std::int32_t>::max()) {
    throw TMathError(std::string(what) + ": value does not fit a 32-bit integer");
  }
  return static_cast<std::int32_t>(sum);
}

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

TCoordinates::TCoordinates(TSurfaces& surfaces, TDecodeObserver& observer)
    : surfaces_(surfaces), observer_(observer), finder_(std::make_unique<TFindPattern>(surfaces, observer)) {}

TCoordinates::~TCoordinates() = default;

// ---------------------------------------------------------------------------
// Location and version

namespace {

void CheckPlaneSize(const TPlaneBoolean& plane, std::int32_t width, std::int32_t height) {
  if (width != plane.Width() || height != plane.Height()) {
    throw TDecodeError("Locate: the given size " + std::to_string(width) + " x " + std::to_string(height) +
                       " does not match the plane");
  }
}

}  // namespace

std::int32_t TCoordinates::Locate(const TPlaneBoolean& plane, std::int32_t width, std::int32_t height) {
  return Locate(plane, width, height, SearchFinders(plane, width, height));
}

TFinderResult TCoordinates::SearchFinders(const TPlaneBoolean& plane, std::int32_t width, std::int32_t height) {
  CheckPlaneSize(plane, width, height);
  TFinderResult result;
  result.code = finder_->Search(plane, width, height);
  for (std::int32_t i = 0; i < 3; ++i) result.centres[static_cast<std::size_t>(i)] = finder_->GetPattern(i);
  return result;
}

std::int32_t TCoordinates::Locate(const TPlaneBoolean& plane, std::int32_t width, std::int32_t height,
                                  const TFinderResult& finders) {
  CheckPlaneSize(plane, width, height);
  if (finders.code > 0) return finders.code;
  return LocateFromCentres(plane, width, height, finders.centres[0], finders.centres[1], finders.centres[2]);
}

std::int32_t TCoordinates::LocateFromCentres(const TPlaneBoolean& plane, std::int32_t width, std::int32_t height,
                                             TPoint p0, TPoint p1, TPoint p2) {
  observer_.Enter(TStage::Version);
  SetCentres(p0, p1, p2);
  TVersionFigures figures;
  const bool settled = DecideVersion(plane, width, height, figures);
  observer_.VersionDecided(figures);
  if (!settled) return 1;
  surfaces_.Text(TTextPaneId::ImgMemo).AppendLine("型番 " + std::to_string(version_));

  MeasureVersion(version_);
  observer_.Enter(TStage::Corners);
  try {
    FrameSymbol(plane, width, height);
  } catch (...) {
    // What the corner search found up to the failure, then the failure on its way.
    observer_.CornersFound(cornerFigures_);
    throw;
  }
  observer_.CornersFound(cornerFigures_);
  // A failed framing has left the previous alignment positions and grid.
  observer_.Enter(TStage::Sampling);
  PlaceSeeds(version_);
  BuildAlignmentGrid(plane, width, height);
  DrawAdjustImage(plane, width, height);
  return 0;
}

bool TCoordinates::DecideVersion(const TPlaneBoolean& plane, std::int32_t width, std::int32_t height,
                                 TVersionFigures& figures) {
  std::int32_t candidate = 0;
  if (forcedVersion_ > 0) {
    candidate = forcedVersion_;
    figures.forced = forcedVersion_;
  } else {
    // Test upward from the estimate; the timing patterns decide up to version 14.
    TTimingPattern timing(surfaces_, p_[0], p_[1], p_[2]);
    figures.estimate = timing.EstimateVersion(plane);
    figures.changes1 = timing.Changes1();
    figures.changes2 = timing.Changes2();
    figures.lastTimingVersion = TTimingPattern::kLastVersion;
    figures.shareNeeded = static_cast<double>(TTimingPattern::kShareNeeded);
    for (std::int32_t v = figures.estimate; v <= TTimingPattern::kLastVersion; ++v) {
      const bool passed = timing.CheckVersion(v, plane, width, height);
      figures.trials.push_back({v, timing.Samples(), timing.Matches1(), timing.Matches2(), passed});
      if (passed) {
        candidate = v;
        break;
      }
    }
    if (candidate == 0) {
      figures.selfNamingVersions = SelfNamingVersions(plane);
      return false;
    }
  }
  figures.candidate = candidate;
  version_ = candidate;
  model_->SetVersion(candidate);

  // From version 7 on the version information decides, also over a forced
  // version: the candidate only sets the pitch with which its blocks are found.
  if (HasVersionInformation(candidate)) {
    figures.maxInformationDistance = kMaxInformationDistance;
    version_ = ReadVersionInformation(plane, &figures.informationBlocks);
  }
  figures.version = version_;
  if (version_ == 0) figures.selfNamingVersions = SelfNamingVersions(plane);
  return version_ != 0;
}

std::vector<TSelfNamingVersion> TCoordinates::SelfNamingVersions(const TPlaneBoolean& plane) const {
  // Only for the observer, on a model of its own: the decode's model keeps its state.
  std::vector<TSelfNamingVersion> found;
  TPrincipalPattern model = *model_;
  for (std::int32_t v = kMinVersion; v <= kMaxVersion; ++v) {
    if (!HasVersionInformation(v)) continue;
    model.SetVersion(v);
    std::vector<TVersionBlockFigures> blocks;
    std::int32_t named = 0;
    try {
      named = ReadVersionBlocks(model, plane, &blocks);
    } catch (const TMathError&) {
      // Centres so far apart that the blocks of the widest modules lie beyond
      // 32-bit reach: those versions name nothing, and the failure being
      // reported is the decode's own.
      continue;
    }
    if (named == v) found.push_back({v, blocks.back().distance});
  }
  return found;
}

void TCoordinates::SetCentres(TPoint p0, TPoint p1, TPoint p2) {
  p_[0] = p0;
  p_[1] = p1;
  p_[2] = p2;
  model_.emplace(p0, p1, p2);
}

void TCoordinates::SettleVersion(std::int32_t version) {
  MeasureVersion(version);
  PlaceSeeds(version);
}

void TCoordinates::MeasureVersion(std::int32_t version) {
  version_ = version;
  if (model_) {
    model_->SetVersion(version);
    pitch1_ = model_->GetModuleWidthX();
    pitch2_ = model_->GetModuleWidthY();
    angle1_ = model_->GetAngleX();
    angle2_ = model_->GetAngleY();
    cos1_ = cosl(angle1_);
    sin1_ = sinl(angle1_);
    cos2_ = cosl(angle2_);
    sin2_ = sinl(angle2_);
  }
}

void TCoordinates::PlaceSeeds(std::int32_t version) {
  seeds_.reset();
  positions_.clear();
  seeds_.emplace(version);
  for (std::int32_t i = 0; i < seeds_->Count(); ++i) positions_.push_back(seeds_->Position(i));
  grid_.Clear();
}

std::int32_t TCoordinates::ReadVersionInformation(const TPlaneBoolean& plane,
                                                  std::vector<TVersionBlockFigures>* blocks) const {
  if (!model_) return 0;
  return ReadVersionBlocks(*model_, plane, blocks);
}

std::int32_t TCoordinates::ReadVersionBlocks(const TPrincipalPattern& model, const TPlaneBoolean& plane,
                                             std::vector<TVersionBlockFigures>* blocks) const {
  // The bits of one block, bit `bit(i, j)` at module offset (a(i, j), b(i, j))
  // from `origin`, i outer and j inner; the nearest codeword is noted for the observer.
  const auto read = [&](TPoint origin, auto offsetOf) -> std::int32_t {
    TVersionBlockFigures figures;
    std::uint32_t bits = 0;
    for (std::int32_t i = 0; i < 6 && figures.inside; ++i) {
      for (std::int32_t j = 0; j < 3; ++j) {
        const auto [a, b, bit] = offsetOf(i, j);
        const TPoint at = model.ModuleToImage(a, b, origin);
        if (!plane.Contains(at)) {
          figures.inside = false;
          break;
        }
        if (plane[at.x][at.y]) bits |= 1u << bit;
      }
    }
    if (figures.inside) {
      figures.bits = bits;
      const TVersionMatch nearest = NearestVersionCode(bits);
      figures.nearestVersion = nearest.version;
      figures.distance = nearest.distance;
    }
    if (blocks != nullptr) blocks->push_back(figures);
    return figures.inside ? MatchVersionCode(bits) : -1;
  };
  struct TOffset {
    std::int32_t a, b, bit;
  };
  // Block left of the top-right finder pattern: row r, column c at offset (c - 7, r - 3) from P1, bit 3r + c.
  const std::int32_t first = read(p_[1], [](std::int32_t r, std::int32_t c) { return TOffset{c - 7, r - 3, 3 * r + c}; });
  if (first < 0) return 0;
  if (first != 0) return first;
  // Block above the bottom-left finder pattern: column c, row r at offset (c - 3, r - 7) from P2, bit 3c + r.
  const std::int32_t second = read(p_[2], [](std::int32_t c, std::int32_t r) { return TOffset{c - 3, r - 7, 3 * c + r}; });
  return second < 0 ? 0 : second;
}

std::int32_t TCoordinates::MatchVersionCode(std::uint32_t bits) {
  // The lowest version within 3 bits wins; there is no search for the closest.
  for (std::size_t i = 0; i < kVersionInformationCodes.size(); ++i) {
    const std::uint32_t differ = (kVersionInformationCodes[i] ^ bits) & 0x3FFFFu;
    if (std::popcount(differ) <= kMaxInformationDistance) return static_cast<std::int32_t>(i) + 7;
  }
  return 0;
}

TCoordinates::TVersionMatch TCoordinates::NearestVersionCode(std::uint32_t bits) {
  TVersionMatch nearest{0, 19};
  for (std::size_t i = 0; i < kVersionInformationCodes.size(); ++i) {
    const std::int32_t distance = std::popcount((kVersionInformationCodes[i] ^ bits) & 0x3FFFFu);
    if (distance < nearest.distance) nearest = {static_cast<std::int32_t>(i) + 7, distance};
  }
  return nearest;
}

// ---------------------------------------------------------------------------
// Corners and frame

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

// ---------------------------------------------------------------------------
// Sampling grid

std::int32_t TCoordinates::Position(std::int32_t index) const { return positions_[static_cast<std::size_t>(index)]; }

TPoint TCoordinates::MapModule(std::int32_t a, std::int32_t b) const {
  if (topLength_ == 0 || leftLength_ == 0) {
    throw TMathError("Degenerate frame: an edge of the symbol has length 0");
  }
  const long double side = static_cast<long double>(SymbolSide(version_));
  const long double u = topLength_ / side * (a + 0.5L);
  const long double v = leftLength_ / side * (b + 0.5L);
  const long double w = (u / topLength_) * deviationLength_ * (v / leftLength_);
  const long double x = u * cosTop_ + v * cosLeft_ + w * cosDeviation_;
  const long double y = u * sinTop_ + v * sinLeft_ + w * sinDeviation_;
  return TPoint{Shift(RoundHalfEven(x, "module position x"), c_[0].x, "module position x"),
                Shift(RoundHalfEven(y, "module position y"), c_[0].y, "module position y")};
}

void TCoordinates::BuildAlignmentGrid(const TPlaneBoolean& plane, std::int32_t width, std::int32_t height) {
  if (!seeds_) throw TDecodeError("BuildAlignmentGrid: no version settled");
  const std::int32_t n = seeds_->Count();
  grid_.Resize(n, n);
  for (std::int32_t j = 0; j < n; ++j) {
    for (std::int32_t i = 0; i < n; ++i) {
      grid_[i][j] = MapModule(Position(i), Position(j));
      // The three finder corners hold no alignment pattern and keep their prediction.
      const bool finderCorner = (i == 0 && j == 0) || (i == n - 1 && j == 0) || (i == 0 && j == n - 1);
      if (!finderCorner) grid_[i][j] = SnapToDarkCentre(plane, width, height, grid_[i][j]);
    }
  }
}

std::int32_t TCoordinates::LargestGridShift() const {
  long double largest = 0;
  for (std::int32_t j = 0; j < grid_.Height(); ++j)
    for (std::int32_t i = 0; i < grid_.Width(); ++i)
      largest = std::max(largest, Distance(MapModule(Position(i), Position(j)), grid_[i][j]));
  return RoundHalfEven(largest, "alignment shift");
}

TPoint TCoordinates::SnapToDarkCentre(const TPlaneBoolean& plane, std::int32_t width, std::int32_t height,
                                      TPoint p) const {
  width = std::min(width, plane.Width());
  height = std::min(height, plane.Height());
  if (width <= 0 || height <= 0) return p;
  std::int32_t x = std::clamp(p.x, 0, width - 1);
  std::int32_t y = std::clamp(p.y, 0, height - 1);

  if (!plane[x][y]) {
    // Squares of growing radius up to one module, each scanned top row first,
    // left to right. The inner square of a ring holds no dark pixel (else the
    // search had stopped), so only the ring itself needs looking at; beyond
    // the plane's larger side the square covers the whole plane.
    const long double pitch = std::max(fabsl(pitch1_), fabsl(pitch2_));
    const std::int32_t reach = TruncateToInt(std::min(pitch, static_cast<long double>(std::max(width, height))),
                                             "alignment search radius");
    bool found = false;
    for (std::int32_t r = 1; r <= reach && !found; ++r) {
      for (std::int32_t dy = -r; dy <= r && !found; ++dy) {
        const std::int64_t yy = static_cast<std::int64_t>(y) + dy;
        if (yy < 0 || yy >= height) continue;
        const std::uint8_t* row = plane.Row(static_cast<std::int32_t>(yy));
        const bool edgeRow = dy == -r || dy == r;
        for (std::int32_t dx = -r; dx <= r; dx += edgeRow ? 1 : 2 * r) {
          const std::int64_t xx = static_cast<std::int64_t>(x) + dx;
          if (xx < 0 || xx >= width || !row[xx]) continue;
          x = static_cast<std::int32_t>(xx);
          y = static_cast<std::int32_t>(yy);
          found = true;
          break;
        }
      }
    }
    if (!found) return TPoint{x, y};
  }

  // Centre of the dark runs through the pixel; the ends stop on the first
  // light pixel beyond the run or on the plane's edge.
  std::int32_t left = x, right = x, top = y, bottom = y;
  while (left > 0 && plane[left][y]) --left;
  while (right < width - 1 && plane[right][y]) ++right;
  while (top > 0 && plane[x][top]) --top;
  while (bottom < height - 1 && plane[x][bottom]) ++bottom;
  return TPoint{(left + right + 1) / 2, (top + bottom + 1) / 2};
}

TPoint TCoordinates::NearestGridNode(std::int32_t a, std::int32_t b) const {
  if (!seeds_) return TPoint{};
  // The node (i, j) with the smallest (a - P(i))^2 + (b - P(j))^2, the first
  // in the order i, then j, among equals, and none at 100000 or beyond. The
  // sum splits into a part for i and a part for j, so the first smallest of
  // each part gives the first smallest sum.
  const std::int32_t n = seeds_->Count();
  auto firstNearest = [&](std::int32_t m, std::int64_t& square) {
    std::int32_t index = 0;
    square = -1;
    for (std::int32_t i = 0; i < n; ++i) {
      const std::int64_t d = static_cast<std::int64_t>(m) - Position(i);
      if (square < 0 || d * d < square) {
        square = d * d;
        index = i;
      }
    }
    return index;
  };
  std::int64_t squareA = 0, squareB = 0;
  const std::int32_t i = firstNearest(a, squareA);
  const std::int32_t j = firstNearest(b, squareB);
  if (n <= 0 || squareA + squareB >= 100000) return TPoint{};
  return TPoint{i, j};
}

TPoint TCoordinates::GetSamplePoint(const TPlaneBoolean& /*plane*/, std::int32_t a, std::int32_t b) const {
  if (!IsVersion(version_)) return TPoint{};
  if (version_ == 1) return MapModule(a, b);
  if (!seeds_ || seeds_->Version() != version_ || grid_.Width() != seeds_->Count()) {
    throw TDecodeError("GetSamplePoint: the sampling grid has not been built");
  }
  // Shift by the displacement that the nearest alignment node showed.
  const TPoint node = NearestGridNode(a, b);
  const TPoint predicted = MapModule(Position(node.x), Position(node.y));
  const TPoint measured = grid_[node.x][node.y];
  const TPoint mapped = MapModule(a, b);
  return TPoint{
      Shift(mapped.x, static_cast<std::int64_t>(measured.x) - predicted.x, "sample point x"),
      Shift(mapped.y, static_cast<std::int64_t>(measured.y) - predicted.y, "sample point y")};
}

void TCoordinates::DrawAdjustImage(const TPlaneBoolean& plane, std::int32_t /*width*/, std::int32_t /*height*/) {
  // Over the binary plane itself when it is the analysis' shared plane: the
  // pane then holds only the nodes and sampling points painted on it.
  TBitmap picture = surfaces_.PlanePicture(plane, plane.Width(), plane.Height());
  for (std::int32_t j = 0; j < grid_.Height(); ++j) {
    for (std::int32_t i = 0; i < grid_.Width(); ++i) picture.SetPixel(grid_[i][j].x, grid_[i][j].y, kBlue);
  }
  surfaces_.Image(TImagePaneId::AdjustImage).ReplacePicture(picture);
}

// ---------------------------------------------------------------------------

TPoint TCoordinates::Centre(std::int32_t index) const {
  if (index < 0 || index > 2) return TPoint{};
  return p_[index];
}

TPoint TCoordinates::Corner(std::int32_t index) const {
  if (index < 0 || index > 3) return TPoint{};
  return c_[index];
}
