#include "FindPattern.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace {

constexpr long double kPi = 3.141592653589793238462643383279502884L;

inline bool PassesRunTest(const std::array<std::int32_t, 5>& lengths, std::int32_t slot) {
  static constexpr std::array<std::int32_t, 5> kRatios = {1, 1, 3, 1, 1};
  std::int64_t total = 0;
  for (std::int32_t length : lengths) total += length;
  for (std::int32_t k = 0; k < 5; ++k) {
    const std::int64_t length = lengths[static_cast<std::size_t>((slot + 1 + k) % 5)];
    const std::int64_t ratio = kRatios[static_cast<std::size_t>(k)];
    // With m = total / 7 the run must lie within m/2 of r*m, that is
    // |14 e - 2 r total| <= total. Away from equality the integers decide
    // (rounding in the bounds is some 1e-9 at most, an integer miss is 1/14);
    // on equality the bounds as computed in extended precision decide, and
    // they may fall either side of the exact value.
    const std::int64_t excess = std::llabs(14 * length - 2 * ratio * total) - total;
    if (excess > 0) return false;
    if (excess == 0) {
      const long double module = static_cast<long double>(total) / 7;
      const long double e = static_cast<long double>(length);
      const long double r = static_cast<long double>(ratio);
      if (e < module * r - module / 2 || e > module * r + module / 2) return false;
    }
  }
  return true;
}

// Walks one row or column of `count` pixels, `stride` elements apart, keeping
// the five most recent runs; whenever a dark run ends at a light pixel and the
// five runs pass the finder test, reports the first and last position of the
// whole stretch. A pattern whose last dark run touches the end of the line is
// not reported.
template <typename Report>
void ScanLine(const std::uint8_t* first, std::ptrdiff_t stride, std::int32_t count, Report report) {
  std::array<std::int32_t, 5> lengths{};
  std::int32_t slot = 0;
  bool dark = false;
  const std::uint8_t* pixel = first;
  for (std::int32_t t = 0; t < count; ++t, pixel += stride) {
    const bool isDark = *pixel != 0;
    if (isDark == dark) {
      ++lengths[static_cast<std::size_t>(slot)];
      continue;
    }
    if (!isDark && PassesRunTest(lengths, slot)) {
      std::int64_t total = 0;
      for (std::int32_t length : lengths) total += length;
      report(static_cast<std::int32_t>(t - total), t - 1);
    }
    slot = (slot + 1) % 5;
    lengths[static_cast<std::size_t>(slot)] = 1;
    dark = isDark;
  }
}

}  // namespace

TFindPattern::TFindPattern(TSurfaces& surfaces) : surfaces_(surfaces) {}

TPoint TFindPattern::GetPattern(std::int32_t index) const {
  if (index < 0 || index > 2) return {};
  return patterns_[static_cast<std::size_t>(index)];
}

bool TFindPattern::FinderRunTest(const std::array<std::int32_t, 5>& lengths, std::int32_t slot) {
  return PassesRunTest(lengths, slot);
}

std::array<TPoint, 3> TFindPattern::OrderCentres(TPoint p0, TPoint p1, TPoint p2) {
  const std::array<TPoint, 3> p = {p0, p1, p2};
  // Side k runs from point k to point (k + 1) mod 3; its length is truncated.
  std::size_t longest = 0;
  std::int64_t longestLength = 0;
  for (std::size_t k = 0; k < 3; ++k) {
    const TPoint& a = p[k];
    const TPoint& b = p[(k + 1) % 3];
    const long double dx = static_cast<long double>(std::llabs(static_cast<std::int64_t>(b.x) - a.x));
    const long double dy = static_cast<long double>(std::llabs(static_cast<std::int64_t>(b.y) - a.y));
    const std::int64_t length = static_cast<std::int64_t>(sqrtl(dx * dx + dy * dy));
    if (length > longestLength) {
      longestLength = length;
      longest = k;
    }
  }
  // The corner is the first point that is neither end of the longest side.
  const TPoint& end1 = p[longest];
  const TPoint& end2 = p[(longest + 1) % 3];
  std::size_t corner = 0;
  for (std::size_t k = 0; k < 3; ++k) {
    if (!(p[k] == end1) && !(p[k] == end2)) {
      corner = k;
      break;
    }
  }
  const TPoint c = p[corner];
  const TPoint q1 = p[corner == 0 ? 1 : 0];
  const TPoint q2 = p[corner == 2 ? 1 : 2];
  auto angle = [&c](TPoint q) {
    long double a = atan2l(static_cast<long double>(static_cast<std::int64_t>(q.y) - c.y),
                           static_cast<long double>(static_cast<std::int64_t>(q.x) - c.x));
    if (a < 0) a += 2 * kPi;
    return a;
  };
  const long double a1 = angle(q1);
  const long double a2 = angle(q2);
  bool q1First;
  if (a1 < a2)
    q1First = a2 - a1 < kPi;
  else
    q1First = !(a1 - a2 < kPi);
  return q1First ? std::array<TPoint, 3>{c, q1, q2} : std::array<TPoint, 3>{c, q2, q1};
}

void TFindPattern::ScanRows(const TPlaneBoolean& plane, std::int32_t width, std::int32_t height) {
  horizontal_.Clear();
  for (std::int32_t y = 0; y < height; ++y) {
    ScanLine(plane.Row(y), 1, width, [this, y](std::int32_t start, std::int32_t end) {
      horizontal_.Add({true, 0, {start, y}, {end, y}});
    });
  }
}

void TFindPattern::ScanColumns(const TPlaneBoolean& plane, std::int32_t width, std::int32_t height) {
  vertical_.Clear();
  for (std::int32_t x = 0; x < width; ++x) {
    ScanLine(plane.Data() + x, plane.Width(), height, [this, x](std::int32_t start, std::int32_t end) {
      vertical_.Add({true, 0, {x, start}, {x, end}});
    });
  }
}

std::int32_t TFindPattern::Search(const TPlaneBoolean& plane, std::int32_t width, std::int32_t height) {
  width = std::clamp(width, 0, plane.Width());
  height = std::clamp(height, 0, plane.Height());
  TImagePane& pane = surfaces_.Image(TImagePaneId::ClossLineImage);
  pane.ReplacePicture(surfaces_.PlanePicture(plane, width, height));

  ScanRows(plane, width, height);
  ScanColumns(plane, width, height);
  centerDots_.Compute(horizontal_, vertical_);
  if (centerDots_.Count() < 3) return 1;

  patterns_ = OrderCentres(centerDots_.GetDot(0), centerDots_.GetDot(1), centerDots_.GetDot(2));
  TBitmap& picture = pane.CurrentPicture();
  picture.Line(patterns_[0].x, patterns_[0].y, patterns_[1].x, patterns_[1].y, kRed);
  picture.Line(patterns_[0].x, patterns_[0].y, patterns_[2].x, patterns_[2].y, kBlue);
  picture.Line(patterns_[1].x, patterns_[1].y, patterns_[2].x, patterns_[2].y, kYellow);
  return 0;
}
