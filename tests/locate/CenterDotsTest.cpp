#include <gtest/gtest.h>

#include <array>
#include <functional>
#include <limits>
#include <random>
#include <vector>

#include "common/Surfaces.h"
#include "locate/CenterDots.h"
#include "locate/FindPattern.h"
#include "locate/Lines.h"

namespace {

bool Crosses(const TLine& h, const TLine& v) {
  return h.StartPt.x < v.StartPt.x && v.StartPt.x < h.EndPt.x && v.StartPt.y < h.StartPt.y &&
         h.StartPt.y < v.EndPt.y;
}

// The grouping written as plain nested loops over both lists: the behaviour
// the indexed version must reproduce exactly.
struct TReference {
  TLines rows;
  TLines columns;
  std::vector<TCentreDot> dots;
  std::array<TPoint, 3> chosen{};
  bool chose = false;

  void Compute(TLines& horizontal, TLines& vertical) {
    for (std::int32_t i = 0; i < vertical.Count(); ++i) {
      TLines group;
      for (std::int32_t j = 0; j < horizontal.Count(); ++j) {
        TLine h = horizontal.GetLine(j);
        if (h.Active && Crosses(h, vertical.GetLine(i))) {
          group.Add(h);
          h.Active = false;
          horizontal.SetLine(j, h);
        }
      }
      if (group.Count() > 0) {
        TLine centre = group.GetLine(group.Count() / 2);
        centre.Weight = group.Count();
        rows.Add(centre);
      }
    }
    for (std::int32_t i = 0; i < horizontal.Count(); ++i) {
      TLines group;
      for (std::int32_t j = 0; j < vertical.Count(); ++j) {
        TLine v = vertical.GetLine(j);
        if (v.Active && Crosses(horizontal.GetLine(i), v)) {
          group.Add(v);
          v.Active = false;
          vertical.SetLine(j, v);
        }
      }
      if (group.Count() > 0) {
        TLine centre = group.GetLine(group.Count() / 2);
        centre.Weight = group.Count();
        columns.Add(centre);
      }
    }
    rows.Sort();
    columns.Sort();
    for (std::int32_t i = 0; i < rows.Count(); ++i)
      for (std::int32_t j = 0; j < columns.Count(); ++j) {
        const TLine a = rows.GetLine(i);
        const TLine b = columns.GetLine(j);
        if (Crosses(a, b)) dots.push_back({a.Weight + b.Weight, b.StartPt.x, a.StartPt.y});
      }
    if (dots.size() < 3) return;
    std::vector<bool> taken(dots.size(), false);
    for (auto& point : chosen) {
      int best = -1;
      for (std::size_t i = 0; i < dots.size(); ++i)
        if (!taken[i] && (best < 0 || dots[i].Weight > dots[static_cast<std::size_t>(best)].Weight))
          best = static_cast<int>(i);
      taken[static_cast<std::size_t>(best)] = true;
      point = {dots[static_cast<std::size_t>(best)].X, dots[static_cast<std::size_t>(best)].Y};
    }
    chose = true;
  }
};

void ExpectSameResult(TLines horizontal, TLines vertical) {
  TLines refHorizontal = horizontal;
  TLines refVertical = vertical;
  TReference reference;
  reference.Compute(refHorizontal, refVertical);
  TCenterDots dots;
  dots.Compute(horizontal, vertical);

  ASSERT_EQ(dots.RowCentres().Items(), reference.rows.Items());
  ASSERT_EQ(dots.ColumnCentres().Items(), reference.columns.Items());
  ASSERT_EQ(dots.Dots(), reference.dots);
  ASSERT_EQ(horizontal.Items(), refHorizontal.Items());
  ASSERT_EQ(vertical.Items(), refVertical.Items());
  for (std::int32_t k = 0; k < 3; ++k)
    ASSERT_EQ(dots.GetDot(k), reference.chose ? reference.chosen[static_cast<std::size_t>(k)] : TPoint{});
}

// Stretches in a small area, so that crossings, shared rows and columns,
// touching ends, reversed or empty stretches and equal weights are common.
TLines RandomLines(std::mt19937& random, bool horizontal, std::int32_t count, std::int32_t area) {
  TLines lines;
  auto coordinate = [&] { return static_cast<std::int32_t>(random() % static_cast<std::uint32_t>(area)) - 2; };
  for (std::int32_t i = 0; i < count; ++i) {
    const std::int32_t lane = coordinate();
    std::int32_t lo = coordinate();
    std::int32_t hi = lo + static_cast<std::int32_t>(random() % 9) - 1;
    if (random() % 10 == 0) hi = coordinate();
    TLine line{random() % 6 != 0, static_cast<std::int32_t>(random() % 3), {}, {}};
    if (horizontal) {
      line.StartPt = {lo, lane};
      // A stray end row must not matter: the grouping reads only the start row.
      line.EndPt = {hi, random() % 8 == 0 ? coordinate() : lane};
    } else {
      line.StartPt = {lane, lo};
      line.EndPt = {random() % 8 == 0 ? coordinate() : lane, hi};
    }
    lines.Add(line);
    // Exact duplicates.
    if (random() % 12 == 0) lines.Add(line);
  }
  return lines;
}

TEST(CenterDotsGrouping, IndexedGroupingMatchesNestedLoopsOnRandomStretches) {
  std::mt19937 random(20240601);
  for (int round = 0; round < 1500; ++round) {
    const std::int32_t area = 4 + static_cast<std::int32_t>(random() % 30);
    const std::int32_t hCount = static_cast<std::int32_t>(random() % 60);
    const std::int32_t vCount = static_cast<std::int32_t>(random() % 60);
    SCOPED_TRACE(round);
    ExpectSameResult(RandomLines(random, true, hCount, area), RandomLines(random, false, vCount, area));
  }
}

TEST(CenterDotsGrouping, IndexedGroupingMatchesNestedLoopsOnExtremeCoordinates) {
  constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();
  constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
  TLines horizontal;
  horizontal.Add({true, 0, {kMin, 0}, {kMax, 0}});
  horizontal.Add({true, 0, {kMin, kMax}, {kMax, kMax}});
  horizontal.Add({true, 0, {kMin, kMin}, {kMax, kMin}});
  horizontal.Add({true, 0, {-5, 1}, {5, 1}});
  TLines vertical;
  vertical.Add({true, 0, {0, kMin}, {0, kMax}});
  vertical.Add({true, 0, {kMax, kMin}, {kMax, kMax}});
  vertical.Add({true, 0, {kMin, kMin}, {kMin, kMax}});
  vertical.Add({true, 0, {1, -5}, {1, 5}});
  ExpectSameResult(horizontal, vertical);
  ExpectSameResult(TLines{}, vertical);
  ExpectSameResult(horizontal, TLines{});
}

// The stretches a real scan produces, active again.
TLines Reactivated(const TLines& lines) {
  TLines copy;
  for (TLine line : lines.Items()) {
    line.Active = true;
    copy.Add(line);
  }
  return copy;
}

// Dark-light-dark-dark-dark-light-dark-light, module pixels each.
bool Stripe(std::int32_t t, std::int32_t module) {
  const std::int32_t u = (t / module) % 8;
  return u != 1 && u != 5 && u != 7;
}

TEST(CenterDotsGrouping, IndexedGroupingMatchesNestedLoopsOnScannedStripesAndNoise) {
  std::mt19937 random(5);
  const std::vector<std::function<bool(std::int32_t, std::int32_t)>> pictures = {
      [](std::int32_t x, std::int32_t y) { return Stripe(x, 1) && Stripe(y, 1); },
      [](std::int32_t x, std::int32_t y) { return Stripe(x, 2) != Stripe(y, 3); },
      [](std::int32_t x, std::int32_t y) { return Stripe(x + y, 2) || Stripe(y, 1); },
      [&random](std::int32_t, std::int32_t) { return random() % 2 == 0; },
  };
  for (std::size_t i = 0; i < pictures.size(); ++i) {
    SCOPED_TRACE(i);
    TPlaneBoolean plane(200, 180);
    for (std::int32_t y = 0; y < plane.Height(); ++y)
      for (std::int32_t x = 0; x < plane.Width(); ++x) plane[x][y] = pictures[i](x, y);
    TSurfaces surfaces;
    TFindPattern finder(surfaces);
    finder.Search(plane, plane.Width(), plane.Height());
    ASSERT_GT(finder.HorizontalLines().Count(), 100);
    ExpectSameResult(Reactivated(finder.HorizontalLines()), Reactivated(finder.VerticalLines()));
  }
}

// nh horizontal stretches on consecutive rows and nv vertical ones on
// consecutive columns, all crossing near (cx, cy).
void AddCross(TLines& horizontal, TLines& vertical, std::int32_t cx, std::int32_t cy, std::int32_t nh,
              std::int32_t nv) {
  for (std::int32_t i = 0; i < nh; ++i) horizontal.Add({true, 0, {cx - 20, cy - nh / 2 + i}, {cx + 20, cy - nh / 2 + i}});
  for (std::int32_t i = 0; i < nv; ++i) vertical.Add({true, 0, {cx - nv / 2 + i, cy - 20}, {cx - nv / 2 + i, cy + 20}});
}

TEST(CenterDotsGrouping, GroupTakesItsMiddleStretchAndClearsActiveFlags) {
  TLines horizontal, vertical;
  AddCross(horizontal, vertical, 100, 100, 6, 5);
  TCenterDots dots;
  dots.Compute(horizontal, vertical);
  ASSERT_EQ(dots.RowCentres().Count(), 1);
  ASSERT_EQ(dots.ColumnCentres().Count(), 1);
  // Six rows 97..102: index 3 is row 100; five columns 98..102: index 2 is column 100.
  EXPECT_EQ(dots.RowCentres().GetLine(0), (TLine{true, 6, {80, 100}, {120, 100}}));
  EXPECT_EQ(dots.ColumnCentres().GetLine(0), (TLine{true, 5, {100, 80}, {100, 120}}));
  EXPECT_EQ(dots.Dots(), (std::vector<TCentreDot>{{11, 100, 100}}));
  for (const TLine& line : horizontal.Items()) EXPECT_FALSE(line.Active);
  for (const TLine& line : vertical.Items()) EXPECT_FALSE(line.Active);
}

TEST(CenterDotsChoice, HeavierCandidateLaterInTheListIsTakenFirst) {
  TLines horizontal, vertical;
  // Row groups sort heaviest first, so the 5-row cross makes the first
  // candidate (5 + 1), the 4-row cross the second (4 + 7); the sort puts the
  // two equal 3-row groups in reverse.
  AddCross(horizontal, vertical, 100, 100, 5, 1);
  AddCross(horizontal, vertical, 300, 100, 4, 7);
  AddCross(horizontal, vertical, 100, 300, 3, 1);
  AddCross(horizontal, vertical, 300, 300, 3, 1);
  TCenterDots dots;
  dots.Compute(horizontal, vertical);
  ASSERT_EQ(dots.Dots(), (std::vector<TCentreDot>{{6, 100, 100}, {11, 300, 100}, {4, 300, 300}, {4, 100, 300}}));
  EXPECT_EQ(dots.GetDot(0), (TPoint{300, 100}));
  EXPECT_EQ(dots.GetDot(1), (TPoint{100, 100}));
  // Of two equal weights the earlier candidate wins.
  EXPECT_EQ(dots.GetDot(2), (TPoint{300, 300}));
  EXPECT_EQ(dots.GetDot(3), (TPoint{}));
  EXPECT_EQ(dots.GetDot(-1), (TPoint{}));
}

TEST(CenterDotsChoice, FewerThanThreeCandidatesKeepThePreviousChoice) {
  TLines horizontal, vertical;
  AddCross(horizontal, vertical, 100, 100, 3, 3);
  AddCross(horizontal, vertical, 300, 100, 3, 3);
  AddCross(horizontal, vertical, 100, 300, 3, 3);
  TCenterDots dots;
  dots.Compute(horizontal, vertical);
  const std::array<TPoint, 3> before = {dots.GetDot(0), dots.GetDot(1), dots.GetDot(2)};

  TLines twoHorizontal, twoVertical;
  AddCross(twoHorizontal, twoVertical, 50, 50, 3, 3);
  AddCross(twoHorizontal, twoVertical, 250, 50, 3, 3);
  dots.Compute(twoHorizontal, twoVertical);
  EXPECT_EQ(dots.Count(), 2);
  for (std::int32_t k = 0; k < 3; ++k) EXPECT_EQ(dots.GetDot(k), before[static_cast<std::size_t>(k)]);

  dots.Clear();
  EXPECT_EQ(dots.Count(), 0);
  EXPECT_EQ(dots.RowCentres().Count(), 0);
  EXPECT_EQ(dots.ColumnCentres().Count(), 0);
}

}  // namespace
