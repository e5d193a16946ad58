#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "TestSymbols.h"
#include "common/Bitmap.h"
#include "common/Surfaces.h"
#include "locate/FindPattern.h"

namespace {

using testing_support::EncodeBytes;
using testing_support::RenderSymbol;
using testing_support::ThresholdPlane;

// Paints a 7 x 7-module finder pattern with its top-left pixel at (left, top).
void PaintFinder(TPlaneBoolean& plane, std::int32_t left, std::int32_t top, std::int32_t module) {
  for (std::int32_t my = 0; my < 7; ++my)
    for (std::int32_t mx = 0; mx < 7; ++mx) {
      const bool ring = mx == 0 || my == 0 || mx == 6 || my == 6;
      const bool core = mx >= 2 && mx <= 4 && my >= 2 && my <= 4;
      if (!ring && !core) continue;
      for (std::int32_t dy = 0; dy < module; ++dy)
        for (std::int32_t dx = 0; dx < module; ++dx) plane[left + mx * module + dx][top + my * module + dy] = 1;
    }
}

// A version-1 symbol at 10 pixels per module with a 4-module quiet zone, in
// which only the three finder patterns are dark.
TPlaneBoolean FindersOnly(bool withBottomLeft = true) {
  TPlaneBoolean plane(290, 290);
  PaintFinder(plane, 40, 40, 10);
  PaintFinder(plane, 180, 40, 10);
  if (withBottomLeft) PaintFinder(plane, 40, 180, 10);
  return plane;
}

// Turned clockwise by a quarter.
TPlaneBoolean QuarterTurn(const TPlaneBoolean& plane) {
  TPlaneBoolean turned(plane.Height(), plane.Width());
  for (std::int32_t y = 0; y < plane.Height(); ++y)
    for (std::int32_t x = 0; x < plane.Width(); ++x) turned[plane.Height() - 1 - y][x] = plane[x][y];
  return turned;
}

bool RunTest(std::array<std::int32_t, 5> lengths) { return TFindPattern::FinderRunTest(lengths, 4); }

TEST(FindPatternRunTest, BoundsAreHalfAModuleInclusive) {
  EXPECT_TRUE(RunTest({2, 2, 6, 2, 2}));
  EXPECT_TRUE(RunTest({3, 1, 7, 1, 2}));   // both bounds reached
  EXPECT_FALSE(RunTest({4, 1, 6, 1, 2}));  // 4 exceeds 3
  EXPECT_FALSE(RunTest({1, 1, 2, 1, 1}));  // middle below 3 * 6/7 - 3/7
  EXPECT_FALSE(RunTest({3, 1, 3, 1, 1}));
  EXPECT_FALSE(RunTest({0, 1, 3, 1, 1}));  // a missing run never passes
}

TEST(FindPatternRunTest, OldestRunFollowsTheCurrentSlot) {
  // Slot 1 holds the newest run, so the runs oldest first are 1, 1, 3, 1, 1.
  EXPECT_TRUE(TFindPattern::FinderRunTest({1, 1, 1, 1, 3}, 1));
  EXPECT_FALSE(TFindPattern::FinderRunTest({1, 1, 1, 1, 3}, 4));
}

TEST(FindPatternRunTest, ExtendedPrecisionDecidesAMiddleRunOfExactlyHalf) {
  // Mathematically the upper bound of the middle run is half the stretch. In
  // extended precision it lands just below half for a stretch of 10 and just
  // above for 12 (double precision has it the other way round).
  EXPECT_FALSE(RunTest({1, 1, 5, 1, 2}));
  EXPECT_FALSE(RunTest({2, 2, 10, 3, 3}));  // 20
  EXPECT_TRUE(RunTest({1, 2, 6, 1, 2}));    // 12
  EXPECT_TRUE(RunTest({2, 2, 7, 1, 2}));    // 14: module exactly 2
}

// The test as plain extended-precision arithmetic.
bool LiteralRunTest(const std::array<std::int32_t, 5>& lengths, std::int32_t slot) {
  const std::array<long double, 5> ratios = {1, 1, 3, 1, 1};
  long double total = 0;
  for (std::int32_t length : lengths) total += length;
  const long double m = total / 7;
  for (std::size_t k = 0; k < 5; ++k) {
    const long double e = lengths[(static_cast<std::size_t>(slot) + 1 + k) % 5];
    if (e < m * ratios[k] - m / 2 || e > m * ratios[k] + m / 2) return false;
  }
  return true;
}

TEST(FindPatternRunTest, AgreesWithPlainExtendedArithmeticEverywhere) {
  std::array<std::int32_t, 5> c{};
  std::int64_t passed = 0;
  for (c[0] = 0; c[0] <= 14; ++c[0])
    for (c[1] = 0; c[1] <= 14; ++c[1])
      for (c[2] = 0; c[2] <= 40; ++c[2])
        for (c[3] = 0; c[3] <= 14; ++c[3])
          for (c[4] = 1; c[4] <= 14; ++c[4]) {
            const bool expected = LiteralRunTest(c, 4);
            ASSERT_EQ(TFindPattern::FinderRunTest(c, 4), expected) << c[0] << ' ' << c[1] << ' ' << c[2] << ' ' << c[3] << ' ' << c[4];
            passed += expected;
          }
  EXPECT_GT(passed, 1000);
  // Large stretches on and next to the bounds, where rounding matters most.
  for (std::int32_t module = 1000; module < 400000000; module = module * 3 + 7) {
    for (std::int32_t delta = -2; delta <= 2; ++delta) {
      const std::int32_t half = module / 2 + delta;
      for (const auto& lengths : {std::array<std::int32_t, 5>{module, module, 3 * module + half, module, module},
                                  std::array<std::int32_t, 5>{module + half, module, 3 * module, module, module - half},
                                  std::array<std::int32_t, 5>{module, module, 7 * half, module, 2 * half}}) {
        ASSERT_EQ(TFindPattern::FinderRunTest(lengths, 4), LiteralRunTest(lengths, 4)) << module << ' ' << delta;
      }
    }
  }
}

TEST(FindPatternScan, FindsAndOrdersTheThreeFindersOfASyntheticSymbol) {
  TSurfaces surfaces;
  TFindPattern finder(surfaces);
  const TPlaneBoolean plane = FindersOnly();
  ASSERT_EQ(finder.Search(plane, 290, 290), 0);

  EXPECT_EQ(finder.HorizontalLines().Count(), 90);
  EXPECT_EQ(finder.VerticalLines().Count(), 90);
  // The first row of the top-left pattern's core: the whole 70-pixel stretch.
  EXPECT_EQ(finder.HorizontalLines().GetLine(0).StartPt, (TPoint{40, 60}));
  EXPECT_EQ(finder.HorizontalLines().GetLine(0).EndPt, (TPoint{109, 60}));
  EXPECT_EQ(finder.VerticalLines().GetLine(0).StartPt, (TPoint{60, 40}));
  EXPECT_EQ(finder.VerticalLines().GetLine(0).EndPt, (TPoint{60, 109}));

  const TCenterDots& dots = finder.CenterDots();
  ASSERT_EQ(dots.RowCentres().Count(), 3);
  ASSERT_EQ(dots.ColumnCentres().Count(), 3);
  for (std::int32_t i = 0; i < 3; ++i) {
    EXPECT_EQ(dots.RowCentres().GetLine(i).Weight, 30);
    EXPECT_EQ(dots.ColumnCentres().GetLine(i).Weight, 30);
  }
  // 30 rows from row 60: the middle one is row 75.
  EXPECT_EQ(dots.Dots(), (std::vector<TCentreDot>{{60, 215, 75}, {60, 75, 215}, {60, 75, 75}}));

  EXPECT_EQ(finder.GetPattern(0), (TPoint{75, 75}));
  EXPECT_EQ(finder.GetPattern(1), (TPoint{215, 75}));
  EXPECT_EQ(finder.GetPattern(2), (TPoint{75, 215}));
  EXPECT_EQ(finder.GetPattern(3), (TPoint{}));
  EXPECT_EQ(finder.GetPattern(-1), (TPoint{}));
}

TEST(FindPatternDrawing, PlaneThenRedBlueYellowTriangle) {
  TSurfaces surfaces;
  TFindPattern finder(surfaces);
  const TPlaneBoolean plane = FindersOnly();
  ASSERT_EQ(finder.Search(plane, 290, 290), 0);

  TBitmap expected = TBitmap::FromPlane(plane);
  for (std::int32_t x = 75; x <= 215; ++x) expected.SetPixel(x, 75, kRed);
  for (std::int32_t y = 75; y <= 215; ++y) expected.SetPixel(75, y, kBlue);
  for (std::int32_t k = 0; k <= 140; ++k) expected.SetPixel(215 - k, 75 + k, kYellow);
  const TBitmap& picture = surfaces.Image(TImagePaneId::ClossLineImage).CurrentPicture();
  EXPECT_EQ(picture, expected);
  // Later lines cover the shared corners.
  EXPECT_EQ(picture.Pixel(75, 75), kBlue);
  EXPECT_EQ(picture.Pixel(215, 75), kYellow);
  EXPECT_EQ(picture.Pixel(75, 215), kYellow);
}

TEST(FindPatternOrdering, QuarterTurnPutsTheCornerTopRight) {
  TSurfaces surfaces;
  TFindPattern finder(surfaces);
  ASSERT_EQ(finder.Search(QuarterTurn(FindersOnly()), 290, 290), 0);
  EXPECT_EQ(finder.GetPattern(0), (TPoint{215, 75}));
  EXPECT_EQ(finder.GetPattern(1), (TPoint{215, 215}));
  EXPECT_EQ(finder.GetPattern(2), (TPoint{75, 75}));
}

TEST(FindPatternOrdering, CornerIsOppositeTheLongestSideWhateverTheInputOrder) {
  const std::array<TPoint, 3> upright = {TPoint{75, 75}, TPoint{215, 75}, TPoint{75, 215}};
  const std::array<std::array<int, 3>, 6> orders = {{{0, 1, 2}, {0, 2, 1}, {1, 0, 2}, {1, 2, 0}, {2, 0, 1}, {2, 1, 0}}};
  for (const auto& order : orders) {
    EXPECT_EQ(TFindPattern::OrderCentres(upright[order[0]], upright[order[1]], upright[order[2]]), upright);
  }
  // Turned by half a turn: the corner is bottom-right and the second centre
  // lies to its left.
  const std::array<TPoint, 3> halfTurn = {TPoint{215, 215}, TPoint{75, 215}, TPoint{215, 75}};
  EXPECT_EQ(TFindPattern::OrderCentres({75, 215}, {215, 75}, {215, 215}), halfTurn);
  // A mirrored symbol is ordered by the same rule: the corner's clockwise neighbour comes second.
  EXPECT_EQ(TFindPattern::OrderCentres({75, 75}, {75, 215}, {215, 75}), upright);
}

TEST(FindPatternOrdering, DegenerateTrianglesStillGiveThreeCentres) {
  // All equal: no side is longer than 0, the corner falls back to the first point.
  const TPoint same{10, 10};
  EXPECT_EQ(TFindPattern::OrderCentres(same, same, same), (std::array<TPoint, 3>{same, same, same}));
  // Two equal points: every point is an end of the longest side, so the
  // corner falls back to the first; both angles are 0, which puts the third
  // point second.
  EXPECT_EQ(TFindPattern::OrderCentres({0, 0}, {0, 0}, {50, 0}),
            (std::array<TPoint, 3>{TPoint{0, 0}, TPoint{50, 0}, TPoint{0, 0}}));
}

TEST(FindPatternScan, TwoFindersFailAndShowOnlyThePlane) {
  TSurfaces surfaces;
  TFindPattern finder(surfaces);
  ASSERT_EQ(finder.Search(FindersOnly(), 290, 290), 0);

  const TPlaneBoolean two = FindersOnly(false);
  EXPECT_EQ(finder.Search(two, 290, 290), 1);
  EXPECT_EQ(surfaces.Image(TImagePaneId::ClossLineImage).CurrentPicture(), TBitmap::FromPlane(two));
  // The centres of the last successful search stay.
  EXPECT_EQ(finder.GetPattern(0), (TPoint{75, 75}));
  EXPECT_EQ(finder.GetPattern(1), (TPoint{215, 75}));
  EXPECT_EQ(finder.GetPattern(2), (TPoint{75, 215}));
}

TEST(FindPatternScan, PatternTouchingTheEndOfALineIsNotReported) {
  TSurfaces surfaces;
  TFindPattern finder(surfaces);
  // The picture ends inside the last dark run of the top-right pattern's rows
  // and the bottom-left pattern's columns.
  TPlaneBoolean plane(105, 105);
  PaintFinder(plane, 0, 0, 5);   // no quiet zone needed in front
  PaintFinder(plane, 70, 0, 5);  // columns 70 .. 104: rows end in its right ring
  PaintFinder(plane, 0, 70, 5);
  EXPECT_EQ(finder.Search(plane, 105, 105), 1);
  for (const TLine& line : finder.HorizontalLines().Items()) {
    EXPECT_EQ(line.StartPt.x, 0);
    EXPECT_EQ(line.EndPt.x, 34);
  }
  EXPECT_EQ(finder.HorizontalLines().Count(), 30);  // rows 10..24 and 80..94
  EXPECT_EQ(finder.VerticalLines().Count(), 30);    // columns 10..24 and 80..94
}

TEST(FindPatternScan, SizeIsCutToThePlane) {
  TSurfaces surfaces;
  TFindPattern finder(surfaces);
  const TPlaneBoolean plane = FindersOnly();
  EXPECT_EQ(finder.Search(plane, 5000, 5000), 0);
  EXPECT_EQ(surfaces.Image(TImagePaneId::ClossLineImage).CurrentPicture().Width(), 290);
  // Only the top half is scanned: the bottom-left pattern is outside.
  EXPECT_EQ(finder.Search(plane, 290, 150), 1);
  EXPECT_EQ(surfaces.Image(TImagePaneId::ClossLineImage).CurrentPicture().Height(), 150);
  EXPECT_EQ(finder.Search(plane, -3, 0), 1);
  EXPECT_EQ(finder.Search(TPlaneBoolean{}, 10, 10), 1);
}

// The pixel at which the search puts the centre of the finder pattern around
// module (mx, my) after the clockwise quarter turns: the middle of the 3 x s
// stretches through its core, taken at index n div 2.
TPoint ExpectedCentre(std::int32_t size, std::int32_t mx, std::int32_t my, int turns, std::int32_t s) {
  for (int t = 0; t < turns; ++t) {
    const std::int32_t nx = size - 1 - my;
    my = mx;
    mx = nx;
  }
  constexpr std::int32_t kQuiet = 4;
  return {(mx - 1 + kQuiet) * s + 3 * s / 2, (my - 1 + kQuiet) * s + 3 * s / 2};
}

TEST(FindPatternSymbols, EncodedSymbolsGiveTheirFinderCentresInEveryQuarterTurn) {
  for (int version : {1, 2, 4, 7, 10}) {
    const auto symbol = EncodeBytes("F" + std::to_string(version), version, 1);
    ASSERT_EQ(symbol.version, version);
    const std::int32_t far = symbol.size - 4;
    for (int s = 3; s <= 10; ++s) {
      for (int turns = 0; turns < 4; ++turns) {
        SCOPED_TRACE(testing::Message() << "version " << version << " module " << s << " turns " << turns);
        const TPlaneBoolean plane = ThresholdPlane(RenderSymbol(symbol, s, 4, turns));
        TSurfaces surfaces;
        TFindPattern finder(surfaces);
        ASSERT_EQ(finder.Search(plane, plane.Width(), plane.Height()), 0);
        EXPECT_EQ(finder.GetPattern(0), ExpectedCentre(symbol.size, 3, 3, turns, s));
        EXPECT_EQ(finder.GetPattern(1), ExpectedCentre(symbol.size, far, 3, turns, s));
        EXPECT_EQ(finder.GetPattern(2), ExpectedCentre(symbol.size, 3, far, turns, s));
      }
    }
  }
}

}  // namespace
