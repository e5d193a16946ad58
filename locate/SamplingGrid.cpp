// The sampling grid of TCoordinates: module centres mapped bilinearly over
// the frame, shifted by what the nearest alignment pattern showed.

#include <algorithm>
#include <cmath>
#include <limits>

#include "common/Bitmap.h"
#include "common/Errors.h"
#include "common/Rounding.h"
#include "locate/Coordinates.h"
#include "locate/Geometry.h"
#include "symbol/Versions.h"

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
  // Two 32-bit points may lie farther apart than a 32-bit count of pixels
  // reaches. The figure is only noted, so it saturates rather than fail the decode.
  constexpr long double kFarthest = std::numeric_limits<std::int32_t>::max();
  return RoundHalfEven(std::min(largest, kFarthest), "alignment shift");
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
