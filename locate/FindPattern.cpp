#include "FindPattern.h"

#include "common/Diagnosis.h"
#include "locate/Geometry.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

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

// The five most recent runs of one row or column, as the scan keeps them:
// the four completed runs before the current one, oldest first, and the
// current run from `start` on. Before the first pixel the line counts as
// light, with four empty runs before it.
struct TRuns {
  std::int32_t before[4] = {0, 0, 0, 0};
  std::int32_t start = 0;

  // The pixel at position t is dark and the one before light: a light run ends.
  void LightEnds(std::int32_t t) { Push(t); }

  // The pixel at position t is light and the one before dark: a dark run ends.
  // When the five runs pass the finder test, reports the first and last
  // position of the whole stretch. A pattern whose last dark run touches the
  // end of the line is never reported, since no change follows it.
  template <typename Report>
  void DarkEnds(std::int32_t t, Report report) {
    const std::int32_t current = t - start;
    const std::int64_t total = static_cast<std::int64_t>(before[0]) + before[1] + before[2] + before[3] + current;
    // Most dark runs fail the test by a clear margin: |14 e - 2 r total| > total
    // for some run e, found here without a branch per run; the full test
    // decides the rest.
    const std::int64_t worst =
        std::max({std::llabs(14 * static_cast<std::int64_t>(before[0]) - 2 * total),
                  std::llabs(14 * static_cast<std::int64_t>(before[1]) - 2 * total),
                  std::llabs(14 * static_cast<std::int64_t>(before[2]) - 6 * total),
                  std::llabs(14 * static_cast<std::int64_t>(before[3]) - 2 * total),
                  std::llabs(14 * static_cast<std::int64_t>(current) - 2 * total)});
    if (worst <= total) {
      const std::array<std::int32_t, 5> lengths = {before[0], before[1], before[2], before[3], current};
      if (PassesRunTest(lengths, 4)) report(static_cast<std::int32_t>(t - total), t - 1);
    }
    Push(t);
  }

 private:
  void Push(std::int32_t t) {
    before[0] = before[1];
    before[1] = before[2];
    before[2] = before[3];
    before[3] = t - start;
    start = t;
  }
};

// The high bit of every byte of `word` that is not zero (a dark pixel).
inline std::uint64_t DarkBits(std::uint64_t word) {
  constexpr std::uint64_t kLow7 = 0x7F7F7F7F7F7F7F7Full;
  return (((word & kLow7) + kLow7) | word) & ~kLow7;
}

inline std::uint64_t Load(const std::uint8_t* at) {
  std::uint64_t word;
  std::memcpy(&word, at, sizeof word);
  return word;
}

template <typename Call>
inline void ForEachBit(std::uint64_t bits, std::int32_t offset, Call call) {
  while (bits != 0) {
    call(offset + std::countr_zero(bits) / 8);
    bits &= bits - 1;
  }
}

// For every position i < count at which row `now` differs in darkness from
// row `before` (nullptr: an all-light row), eight pixels a step: darkEnds(i)
// where `before` is dark, lightEnds(i) where it is light. Positions of one
// kind come in order; the two kinds are not interleaved in order.
template <typename DarkEnds, typename LightEnds>
void ForEachDifference(const std::uint8_t* before, const std::uint8_t* now, std::int32_t count, DarkEnds darkEnds,
                       LightEnds lightEnds) {
  std::int32_t i = 0;
  for (; i + 8 <= count; i += 8) {
    const std::uint64_t dark = DarkBits(Load(now + i));
    const std::uint64_t above = before ? DarkBits(Load(before + i)) : 0;
    ForEachBit(above & ~dark, i, darkEnds);
    ForEachBit(dark & ~above, i, lightEnds);
  }
  for (; i < count; ++i) {
    const bool dark = now[i] != 0;
    const bool above = before != nullptr && before[i] != 0;
    if (above && !dark) darkEnds(i);
    if (dark && !above) lightEnds(i);
  }
}

// For every position i < count of the row at which the darkness differs from
// the pixel before it (the first pixel from light), in order: darkEnds(i)
// where pixel i is light, lightEnds(i) where it is dark.
template <typename DarkEnds, typename LightEnds>
void ForEachChange(const std::uint8_t* row, std::int32_t count, DarkEnds darkEnds, LightEnds lightEnds) {
  std::int32_t i = 0;
  std::uint64_t previous = 0;  // dark bit of the pixel before, at the high bit of byte 0
  for (; i + 8 <= count; i += 8) {
    const std::uint64_t dark = DarkBits(Load(row + i));
    std::uint64_t differ = dark ^ ((dark << 8) | previous);
    previous = dark >> 56;
    while (differ != 0) {
      const std::uint64_t bit = differ & (~differ + 1);
      const std::int32_t at = i + std::countr_zero(differ) / 8;
      if (dark & bit)
        lightEnds(at);
      else
        darkEnds(at);
      differ &= differ - 1;
    }
  }
  bool before = previous != 0;
  for (; i < count; ++i) {
    const bool dark = row[i] != 0;
    if (dark != before) {
      if (dark)
        lightEnds(i);
      else
        darkEnds(i);
    }
    before = dark;
  }
}

}  // namespace

TFindPattern::TFindPattern(TSurfaces& surfaces, TDecodeObserver& observer)
    : surfaces_(surfaces), observer_(observer) {}

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
    const std::int64_t length = static_cast<std::int64_t>(Distance(p[k], p[(k + 1) % 3]));
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
    long double a = Direction(c, q);
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

// Rows and columns in one pass down the plane, so that memory is read in
// order: a row's own changes give its stretches, the differences to the row
// above continue the runs of every column. The columns' stretches come out
// row by row and are put back into column order afterwards.
void TFindPattern::Scan(const TPlaneBoolean& plane, std::int32_t width, std::int32_t height) {
  horizontal_.Clear();
  vertical_.Clear();
  std::vector<TRuns> columns(static_cast<std::size_t>(width));
  std::vector<TLine> found;
  const std::uint8_t* above = nullptr;
  for (std::int32_t y = 0; y < height; ++y) {
    const std::uint8_t* row = plane.Row(y);
    TRuns runs;
    ForEachChange(
        row, width,
        [&](std::int32_t x) {
          runs.DarkEnds(x, [&](std::int32_t start, std::int32_t end) { horizontal_.Add({true, 0, {start, y}, {end, y}}); });
        },
        [&](std::int32_t x) { runs.LightEnds(x); });
    ForEachDifference(
        above, row, width,
        [&](std::int32_t x) {
          columns[static_cast<std::size_t>(x)].DarkEnds(
              y, [&](std::int32_t start, std::int32_t end) { found.push_back({true, 0, {x, start}, {x, end}}); });
        },
        [&](std::int32_t x) { columns[static_cast<std::size_t>(x)].LightEnds(y); });
    above = row;
  }
  std::stable_sort(found.begin(), found.end(), [](const TLine& a, const TLine& b) { return a.StartPt.x < b.StartPt.x; });
  for (const TLine& line : found) vertical_.Add(line);
}

TFinderFigures TFindPattern::Figures() const {
  TFinderFigures figures;
  figures.horizontalStretches = horizontal_.Count();
  figures.verticalStretches = vertical_.Count();
  figures.rowGroups = centerDots_.RowCentres().Count();
  figures.columnGroups = centerDots_.ColumnCentres().Count();
  figures.candidates = centerDots_.Count();
  // The heaviest few in the order the choice takes them: a candidate goes
  // after every kept one at least as heavy.
  std::vector<TFinderCandidate>& kept = figures.heaviest;
  for (const TCentreDot& dot : centerDots_.Dots()) {
    if (kept.size() == TFinderFigures::kKept && dot.Weight <= kept.back().weight) continue;
    auto at = std::find_if(kept.begin(), kept.end(), [&](const TFinderCandidate& c) { return c.weight < dot.Weight; });
    kept.insert(at, TFinderCandidate{dot.Weight, {dot.X, dot.Y}});
    if (kept.size() > TFinderFigures::kKept) kept.pop_back();
  }
  return figures;
}

std::int32_t TFindPattern::Search(const TPlaneBoolean& plane, std::int32_t width, std::int32_t height) {
  observer_.Enter(TStage::FinderSearch);
  width = std::clamp(width, 0, plane.Width());
  height = std::clamp(height, 0, plane.Height());
  TImagePane& pane = surfaces_.Image(TImagePaneId::ClossLineImage);
  pane.ReplacePicture(surfaces_.PlanePicture(plane, width, height));

  Scan(plane, width, height);
  centerDots_.Compute(horizontal_, vertical_);
  TFinderFigures figures = Figures();
  if (centerDots_.Count() < 3) {
    observer_.FinderSearched(figures);
    return 1;
  }

  patterns_ = OrderCentres(centerDots_.GetDot(0), centerDots_.GetDot(1), centerDots_.GetDot(2));
  figures.centres = patterns_;
  observer_.FinderSearched(figures);
  TBitmap& picture = pane.CurrentPicture();
  picture.Line(patterns_[0].x, patterns_[0].y, patterns_[1].x, patterns_[1].y, kRed);
  picture.Line(patterns_[0].x, patterns_[0].y, patterns_[2].x, patterns_[2].y, kBlue);
  picture.Line(patterns_[1].x, patterns_[1].y, patterns_[2].x, patterns_[2].y, kYellow);
  return 0;
}
