#include <gtest/gtest.h>

#include <array>
#include <initializer_list>
#include <random>
#include <tuple>
#include <utility>
#include <vector>

#include "common/Bitmap.h"
#include "common/Surfaces.h"
#include "locate/FindPattern.h"

namespace {

using TRuns = std::array<std::int32_t, 5>;

// A square plane in which only 7 x 7-module finder patterns with the given
// top-left pixels are dark. The default is an upright version-1 symbol at 10
// pixels per module with a 4-module quiet zone: centres (75, 75), (215, 75), (75, 215).
TPlaneBoolean Finders(std::initializer_list<TPoint> corners = {{40, 40}, {180, 40}, {40, 180}}, std::int32_t side = 290,
                      std::int32_t module = 10) {
  TPlaneBoolean plane(side, side);
  for (const TPoint c : corners)
    for (std::int32_t y = 0; y < 7 * module; ++y)
      for (std::int32_t x = 0; x < 7 * module; ++x) {
        const std::int32_t mx = x / module, my = y / module;
        const bool ring = mx == 0 || my == 0 || mx == 6 || my == 6;
        plane[c.x + x][c.y + y] = ring || (mx >= 2 && mx <= 4 && my >= 2 && my <= 4);
      }
  return plane;
}

using TCentres = std::array<TPoint, 3>;
TCentres Patterns(const TFindPattern& finder) { return {finder.GetPattern(0), finder.GetPattern(1), finder.GetPattern(2)}; }

TEST(FindPatternRunTest, InclusiveHalfModuleBoundsInExtendedPrecision) {
  // Both bounds reached; 4 above 3; a missing run; slot 1 newest, so oldest first 1 1 3 1 1.
  EXPECT_TRUE(TFindPattern::FinderRunTest({3, 1, 7, 1, 2}, 4));
  EXPECT_FALSE(TFindPattern::FinderRunTest({4, 1, 6, 1, 2}, 4));
  EXPECT_FALSE(TFindPattern::FinderRunTest({0, 1, 3, 1, 1}, 4));
  EXPECT_TRUE(TFindPattern::FinderRunTest({1, 1, 1, 1, 3}, 1));
  EXPECT_FALSE(TFindPattern::FinderRunTest({1, 1, 1, 1, 3}, 4));
  // A middle run of exactly half the stretch: extended precision puts the
  // bound just below half at totals 10 and 20, just above at 12 and 14.
  EXPECT_FALSE(TFindPattern::FinderRunTest({1, 1, 5, 1, 2}, 4));
  EXPECT_FALSE(TFindPattern::FinderRunTest({2, 2, 10, 3, 3}, 4));
  EXPECT_TRUE(TFindPattern::FinderRunTest({1, 2, 6, 1, 2}, 4));
  EXPECT_TRUE(TFindPattern::FinderRunTest({2, 2, 7, 1, 2}, 4));
}

// The test as plain extended-precision arithmetic, oldest run first.
bool LiteralRunTest(const TRuns& runs) {
  const long double ratios[] = {1, 1, 3, 1, 1};
  const long double m = static_cast<long double>(runs[0] + runs[1] + runs[2] + runs[3] + runs[4]) / 7;
  for (std::size_t k = 0; k < 5; ++k)
    if (runs[k] < m * ratios[k] - m / 2 || runs[k] > m * ratios[k] + m / 2) return false;
  return true;
}

TEST(FindPatternRunTest, AgreesWithPlainExtendedArithmetic) {
  TRuns c{};
  for (c[0] = 0; c[0] <= 9; ++c[0])
    for (c[1] = 0; c[1] <= 9; ++c[1])
      for (c[2] = 0; c[2] <= 30; ++c[2])
        for (c[3] = 0; c[3] <= 9; ++c[3])
          for (c[4] = 1; c[4] <= 9; ++c[4])
            ASSERT_EQ(TFindPattern::FinderRunTest(c, 4), LiteralRunTest(c)) << c[0] << c[1] << ' ' << c[2] << ' ' << c[3] << c[4];
  // Large stretches on and next to the bounds, where rounding matters most.
  for (std::int32_t module = 1000; module < 400000000; module = module * 3 + 7)
    for (std::int32_t delta = -2; delta <= 2; ++delta) {
      const std::int32_t half = module / 2 + delta;
      for (const TRuns& runs : {TRuns{module, module, 3 * module + half, module, module},
                                TRuns{module + half, module, 3 * module, module, module - half},
                                TRuns{module, module, 7 * half, module, 2 * half}})
        ASSERT_EQ(TFindPattern::FinderRunTest(runs, 4), LiteralRunTest(runs)) << module << ' ' << delta;
    }
}

TEST(FindPatternScan, SyntheticVersionOneSymbolFromRunsToColouredTriangle) {
  TSurfaces surfaces;
  TFindPattern finder(surfaces);
  const TPlaneBoolean plane = Finders();
  ASSERT_EQ(finder.Search(plane, 290, 290), 0);

  EXPECT_EQ(finder.HorizontalLines().Count(), 90);
  EXPECT_EQ(finder.VerticalLines().Count(), 90);
  // The first row of the top-left pattern's core: the whole 70-pixel stretch.
  EXPECT_EQ(finder.HorizontalLines().GetLine(0).StartPt, (TPoint{40, 60}));
  EXPECT_EQ(finder.HorizontalLines().GetLine(0).EndPt, (TPoint{109, 60}));
  EXPECT_EQ(finder.VerticalLines().GetLine(0).StartPt, (TPoint{60, 40}));
  EXPECT_EQ(finder.VerticalLines().GetLine(0).EndPt, (TPoint{60, 109}));
  const TCenterDots& dots = finder.CenterDots();
  for (const TLines* centres : {&dots.RowCentres(), &dots.ColumnCentres()}) {
    ASSERT_EQ(centres->Count(), 3);
    for (const TLine& line : centres->Items()) EXPECT_EQ(line.Weight, 30);
  }
  // 30 rows from row 60: the middle one is row 75.
  EXPECT_EQ(dots.Dots(), (std::vector<TCentreDot>{{60, 215, 75}, {60, 75, 215}, {60, 75, 75}}));
  EXPECT_EQ(Patterns(finder), (TCentres{{{75, 75}, {215, 75}, {75, 215}}}));
  EXPECT_EQ(finder.GetPattern(3), (TPoint{}));
  EXPECT_EQ(finder.GetPattern(-1), (TPoint{}));

  // The plane, then red 0-1, blue 0-2 and yellow 1-2: later lines cover the shared corners.
  TBitmap expected = TBitmap::FromPlane(plane);
  for (std::int32_t k = 0; k <= 140; ++k) expected.SetPixel(75 + k, 75, kRed);
  for (std::int32_t k = 0; k <= 140; ++k) expected.SetPixel(75, 75 + k, kBlue);
  for (std::int32_t k = 0; k <= 140; ++k) expected.SetPixel(215 - k, 75 + k, kYellow);
  EXPECT_EQ(surfaces.Image(TImagePaneId::ClossLineImage).CurrentPicture(), expected);

  // The same plane turned clockwise by a quarter: the corner is top-right.
  ASSERT_EQ(finder.Search(Finders({{180, 40}, {180, 180}, {40, 40}}), 290, 290), 0);
  EXPECT_EQ(Patterns(finder), (TCentres{{{215, 75}, {215, 215}, {75, 75}}}));
}

TEST(FindPatternScan, FailuresShowOnlyThePlaneAndKeepTheCentres) {
  TSurfaces surfaces;
  TFindPattern finder(surfaces);
  const TPlaneBoolean plane = Finders();
  ASSERT_EQ(finder.Search(plane, 5000, 5000), 0);  // the size is cut to the plane
  EXPECT_EQ(surfaces.Image(TImagePaneId::ClossLineImage).CurrentPicture().Width(), 290);

  const TPlaneBoolean two = Finders({{40, 40}, {180, 40}});
  EXPECT_EQ(finder.Search(two, 290, 290), 1);
  EXPECT_EQ(surfaces.Image(TImagePaneId::ClossLineImage).CurrentPicture(), TBitmap::FromPlane(two));
  // Only the top half is scanned: the bottom-left pattern is outside.
  EXPECT_EQ(finder.Search(plane, 290, 150), 1);
  EXPECT_EQ(surfaces.Image(TImagePaneId::ClossLineImage).CurrentPicture().Height(), 150);
  EXPECT_EQ(finder.Search(plane, -3, 0), 1);
  EXPECT_EQ(finder.Search(TPlaneBoolean{}, 10, 10), 1);
  EXPECT_EQ(Patterns(finder), (TCentres{{{75, 75}, {215, 75}, {75, 215}}}));

  // A 105-pixel picture ending inside the last dark run of the right pattern's
  // rows and the bottom pattern's columns: those runs are never reported.
  EXPECT_EQ(finder.Search(Finders({{0, 0}, {70, 0}, {0, 70}}, 105, 5), 105, 105), 1);
  EXPECT_EQ(finder.HorizontalLines().Count(), 30);  // rows 10..24 and 80..94
  EXPECT_EQ(finder.VerticalLines().Count(), 30);    // columns 10..24 and 80..94
  for (const TLine& line : finder.HorizontalLines().Items()) EXPECT_TRUE(line.StartPt.x == 0 && line.EndPt.x == 34);
}

TEST(FindPatternOrdering, CornerOppositeTheLongestSideThenClockwise) {
  const TCentres upright = {{{75, 75}, {215, 75}, {75, 215}}};
  const std::array<std::array<int, 3>, 6> orders = {{{0, 1, 2}, {0, 2, 1}, {1, 0, 2}, {1, 2, 0}, {2, 0, 1}, {2, 1, 0}}};
  for (const auto& o : orders) EXPECT_EQ(TFindPattern::OrderCentres(upright[o[0]], upright[o[1]], upright[o[2]]), upright);
  // Half a turn: the corner is bottom-right and the second centre lies to its left.
  EXPECT_EQ(TFindPattern::OrderCentres({75, 215}, {215, 75}, {215, 215}), (TCentres{{{215, 215}, {75, 215}, {215, 75}}}));
  // Degenerate: all equal, the corner falls back to the first point; with two
  // equal points both angles are 0, which puts the third point second.
  const TPoint same{10, 10};
  EXPECT_EQ(TFindPattern::OrderCentres(same, same, same), (TCentres{same, same, same}));
  EXPECT_EQ(TFindPattern::OrderCentres({0, 0}, {0, 0}, {50, 0}), (TCentres{{{0, 0}, {50, 0}, {0, 0}}}));
}

// The five-run walk one pixel at a time, row by row and then column by column:
// the finder scan must find exactly these stretches, in this order.
void WalkLine(const TPlaneBoolean& plane, bool rows, std::int32_t line, std::int32_t count, TLines& out) {
  std::array<std::int32_t, 5> lengths{};
  std::int32_t slot = 0;
  bool dark = false;
  for (std::int32_t t = 0; t < count; ++t) {
    const bool isDark = (rows ? plane(t, line) : plane(line, t)) != 0;
    if (isDark == dark) {
      ++lengths[static_cast<std::size_t>(slot)];
      continue;
    }
    if (!isDark && TFindPattern::FinderRunTest(lengths, slot)) {
      std::int32_t total = 0;
      for (std::int32_t length : lengths) total += length;
      if (rows)
        out.Add({true, 0, {t - total, line}, {t - 1, line}});
      else
        out.Add({true, 0, {line, t - total}, {line, t - 1}});
    }
    slot = (slot + 1) % 5;
    lengths[static_cast<std::size_t>(slot)] = 1;
    dark = isDark;
  }
}

// Rows of random runs of 1 to `longest` pixels, so that many five-run windows
// come close to the finder proportions; dark pixels take any non-zero value.
TPlaneBoolean RandomRuns(std::int32_t width, std::int32_t height, std::int32_t longest, std::uint32_t seed) {
  std::minstd_rand random(seed);
  TPlaneBoolean plane(width, height);
  for (std::int32_t y = 0; y < height; ++y) {
    bool dark = random() % 2 == 0;
    for (std::int32_t x = 0; x < width;) {
      const std::int32_t run = 1 + static_cast<std::int32_t>(random() % static_cast<std::uint32_t>(longest));
      for (std::int32_t i = 0; i < run && x < width; ++i, ++x)
        plane(x, y) = dark ? static_cast<std::uint8_t>(1 + random() % 255) : 0;
      dark = !dark;
    }
  }
  // Columns as well: copy some rows into columns so that vertical lines carry runs too.
  for (std::int32_t x = 0; x < width; x += 3)
    for (std::int32_t y = 0; y < height; ++y) plane(x, y) = plane(y % width, (x + y) % height);
  return plane;
}

TEST(FinderScan, FindsTheStretchesOfAPlainWalkInTheSameOrder) {
  TSurfaces surfaces;
  TFindPattern finder(surfaces);
  std::uint32_t seed = 1;
  for (const auto& [width, height, longest] :
       {std::tuple{37, 29, 4}, std::tuple{64, 64, 6}, std::tuple{203, 117, 9}, std::tuple{8, 300, 3},
        std::tuple{300, 9, 5}, std::tuple{1, 50, 2}, std::tuple{513, 257, 16},
        std::tuple{1100, 950, 12}}) {
    const TPlaneBoolean plane = RandomRuns(width, height, longest, seed++);
    // The whole plane, and a part of it cut at an odd width and height.
    for (const auto& [w, h] : {std::pair{width, height}, std::pair{width - width / 3, height - height / 4}}) {
      finder.Search(plane, w, h);
      TLines rows, columns;
      for (std::int32_t y = 0; y < h; ++y) WalkLine(plane, true, y, w, rows);
      for (std::int32_t x = 0; x < w; ++x) WalkLine(plane, false, x, h, columns);
      std::vector<TLine> foundRows = finder.HorizontalLines().Items();
      std::vector<TLine> foundColumns = finder.VerticalLines().Items();
      // The grouping clears the flags of the stretches it takes; compare positions only.
      for (TLine& line : foundRows) line.Active = true;
      for (TLine& line : foundColumns) line.Active = true;
      EXPECT_EQ(foundRows, rows.Items()) << w << " x " << h;
      EXPECT_EQ(foundColumns, columns.Items()) << w << " x " << h;
      if (w > 8) {
        EXPECT_GT(rows.Count() + columns.Count(), 0) << w << " x " << h;
      }
    }
  }
}

}  // namespace
