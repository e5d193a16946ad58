#include "TimingPattern.h"

#include <algorithm>
#include <cmath>

#include "common/Bitmap.h"
#include "common/Rounding.h"
#include "locate/Geometry.h"
#include "symbol/Versions.h"

namespace {

// Pixel distance between two centres, rounded.
std::int32_t RoundedDistance(TPoint from, TPoint to) {
  return RoundHalfEven(Distance(from, to), "finder centre distance");
}

}  // namespace

TTimingPattern::TTimingPattern(TSurfaces& surfaces, TPoint p0, TPoint p1, TPoint p2)
    : surfaces_(surfaces),
      p0_(p0),
      p1_(p1),
      p2_(p2),
      length1_(RoundedDistance(p0, p1)),
      length2_(RoundedDistance(p0, p2)),
      angle1_(Direction(p0, p1)),
      angle2_(Direction(p0, p2)),
      cos1_(cosl(angle1_)),
      sin1_(sinl(angle1_)),
      cos2_(cosl(angle2_)),
      sin2_(sinl(angle2_)) {}

TPoint TTimingPattern::AxisPoint(std::int64_t a, std::int64_t b) const {
  const long double x = static_cast<long double>(a) * cos1_ + static_cast<long double>(b) * cos2_ + p0_.x;
  const long double y = static_cast<long double>(a) * sin1_ + static_cast<long double>(b) * sin2_ + p0_.y;
  return {RoundHalfEven(x, "timing walk x"), RoundHalfEven(y, "timing walk y")};
}

// Colour changes along one centre-to-centre line, starting from dark, walked
// one pixel off the line towards the other axis.
std::int32_t TTimingPattern::CountChanges(const TPlaneBoolean& plane, std::int32_t length, bool alongAxis1) {
  TBitmap& picture = surfaces_.Image(TImagePaneId::TimeImage).CurrentPicture();
  bool dark = true;
  std::int32_t changes = 0;
  for (std::int64_t k = 0; k <= length; ++k) {
    const TPoint point = alongAxis1 ? AxisPoint(k, 1) : AxisPoint(1, k);
    if (!plane.Contains(point)) continue;
    const bool isDark = plane(point.x, point.y) != 0;
    if (isDark == dark) continue;
    ++changes;
    dark = isDark;
    picture.SetPixel(point.x, point.y, kRed);
  }
  return changes;
}

std::int32_t TTimingPattern::EstimateVersion(const TPlaneBoolean& plane) {
  changes1_ = CountChanges(plane, length1_, true);
  changes2_ = CountChanges(plane, length2_, false);
  const std::int32_t most = std::max(changes1_, changes2_);
  // A line between two finder centres crosses 4V + 10 module boundaries.
  return std::max((most - 21) / 4 + 1, 1);
}

bool TTimingPattern::CheckVersion(std::int32_t version, const TPlaneBoolean& plane, std::int32_t width,
                                  std::int32_t height) {
  TImagePane& pane = surfaces_.Image(TImagePaneId::TimeImage);
  pane.ReplacePicture(surfaces_.PlanePicture(plane, width, height));
  samples_ = 0;
  matches1_ = -1;
  matches2_ = -1;
  // Versions beyond the symbology are refused rather than sampled.
  if (!IsVersion(version)) return false;

  width = std::clamp(width, 0, plane.Width());
  height = std::clamp(height, 0, plane.Height());
  size_ = static_cast<std::int32_t>(SymbolSide(version));
  // The finder centres of a version-V symbol lie size - 7 modules apart.
  pitch1_ = static_cast<long double>(length1_) / (size_ - 7);
  pitch2_ = static_cast<long double>(length2_) / (size_ - 7);
  const long double cos1 = cos1_, sin1 = sin1_;
  const long double cos2 = cos2_, sin2 = sin2_;
  // Module (6, 6), where the two timing patterns meet: three modules along
  // both axes from the corner centre. The real offset is rounded before the
  // integer origin is added.
  const std::int64_t startX =
      static_cast<std::int64_t>(RoundHalfEven(cos1 * (pitch1_ * 3) + cos2 * (pitch2_ * 3), "timing start x")) + p0_.x;
  const std::int64_t startY =
      static_cast<std::int64_t>(RoundHalfEven(sin1 * (pitch1_ * 3) + sin2 * (pitch2_ * 3), "timing start y")) + p0_.y;
  // Timing samples are taken on module positions 6 .. size - 7.
  const std::int32_t samples = size_ - 12;
  samples_ = samples;

  TBitmap& picture = pane.CurrentPicture();
  auto matches = [&](long double cosine, long double sine, long double pitch) {
    std::int32_t count = 0;
    for (std::int32_t i = 0; i < samples; ++i) {
      const long double along = i * pitch;
      const std::int64_t x = RoundHalfEven(cosine * along, "timing sample x") + startX;
      const std::int64_t y = RoundHalfEven(sine * along, "timing sample y") + startY;
      if (x < 0 || y < 0 || x >= width || y >= height) continue;
      const auto px = static_cast<std::int32_t>(x);
      const auto py = static_cast<std::int32_t>(y);
      picture.SetPixel(px, py, kRed);
      // Module 6 + i is dark when i is even.
      const bool dark = plane(px, py) != 0;
      if (dark == (i % 2 == 0)) ++count;
    }
    return count;
  };
  matches1_ = matches(cos1, sin1, pitch1_);
  if (matches1_ > kShareNeeded * samples) return true;
  matches2_ = matches(cos2, sin2, pitch2_);
  return matches2_ > kShareNeeded * samples;
}
