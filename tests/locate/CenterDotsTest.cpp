#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <limits>
#include <random>
#include <vector>

#include "common/Surfaces.h"
#include "locate/CenterDots.h"
#include "locate/FindPattern.h"
#include "locate/Lines.h"

namespace {

bool Crosses(const TLine& h, const TLine& v) {
  return h.StartPt.x < v.StartPt.x && v.StartPt.x < h.EndPt.x && v.StartPt.y < h.StartPt.y && h.StartPt.y < v.EndPt.y;
}

// The grouping as plain nested loops: every outer stretch gathers the active
// inner stretches it crosses; the middle member (n div 2) represents the group
// with weight n. The sorted representatives come back.
TLines Group(const TLines& outer, TLines& inner, bool innerHorizontal) {
  TLines centres;
  for (const TLine& o : outer.Items()) {
    TLines group;
    for (std::int32_t j = 0; j < inner.Count(); ++j) {
      TLine in = inner.GetLine(j);
      if (!in.Active || !(innerHorizontal ? Crosses(in, o) : Crosses(o, in))) continue;
      group.Add(in);
      in.Active = false;
      inner.SetLine(j, in);
    }
    if (group.Count() == 0) continue;
    TLine centre = group.GetLine(group.Count() / 2);
    centre.Weight = group.Count();
    centres.Add(centre);
  }
  centres.Sort();
  return centres;
}

// The indexed grouping must give what the nested loops give: representatives,
// candidates, cleared flags, and the three heaviest candidates (earliest among equals).
void ExpectSameResult(TLines horizontal, TLines vertical) {
  TLines refHorizontal = horizontal, refVertical = vertical;
  const TLines rows = Group(refVertical, refHorizontal, true);
  const TLines columns = Group(refHorizontal, refVertical, false);
  std::vector<TCentreDot> candidates;
  for (const TLine& a : rows.Items())
    for (const TLine& b : columns.Items())
      if (Crosses(a, b)) candidates.push_back({a.Weight + b.Weight, b.StartPt.x, a.StartPt.y});
  std::vector<TCentreDot> ranked = candidates;
  std::stable_sort(ranked.begin(), ranked.end(), [](const TCentreDot& a, const TCentreDot& b) { return a.Weight > b.Weight; });

  TCenterDots dots;
  dots.Compute(horizontal, vertical);
  ASSERT_EQ(dots.RowCentres().Items(), rows.Items());
  ASSERT_EQ(dots.ColumnCentres().Items(), columns.Items());
  ASSERT_EQ(dots.Dots(), candidates);
  ASSERT_EQ(horizontal.Items(), refHorizontal.Items());
  ASSERT_EQ(vertical.Items(), refVertical.Items());
  for (std::size_t k = 0; k < 3; ++k)
    ASSERT_EQ(dots.GetDot(static_cast<std::int32_t>(k)), (ranked.size() < 3 ? TPoint{} : TPoint{ranked[k].X, ranked[k].Y}));
}

// Stretches in a small area, so that crossings, shared lanes, touching ends,
// reversed or empty stretches, inactive ones, duplicates and equal weights are common.
TLines RandomLines(std::mt19937& random, bool horizontal, std::int32_t count, std::int32_t area) {
  TLines lines;
  auto coordinate = [&] { return static_cast<std::int32_t>(random() % static_cast<std::uint32_t>(area)) - 2; };
  for (std::int32_t i = 0; i < count; ++i) {
    const std::int32_t lane = coordinate();
    const std::int32_t lo = coordinate();
    const std::int32_t hi = random() % 10 == 0 ? coordinate() : lo + static_cast<std::int32_t>(random() % 9) - 1;
    // A stray end lane must not matter: the grouping reads only the start lane.
    const std::int32_t endLane = random() % 8 == 0 ? coordinate() : lane;
    TLine line{random() % 6 != 0, static_cast<std::int32_t>(random() % 3), {lo, lane}, {hi, endLane}};
    if (!horizontal) line = {line.Active, line.Weight, {lane, lo}, {endLane, hi}};
    lines.Add(line);
    if (random() % 12 == 0) lines.Add(line);
  }
  return lines;
}

TEST(CenterDotsGrouping, IndexedGroupingMatchesNestedLoops) {
  std::mt19937 random(20240601);
  for (int round = 0; round < 400; ++round) {
    SCOPED_TRACE(round);
    const std::int32_t area = 4 + static_cast<std::int32_t>(random() % 30);
    const auto hCount = static_cast<std::int32_t>(random() % 60), vCount = static_cast<std::int32_t>(random() % 60);
    ExpectSameResult(RandomLines(random, true, hCount, area), RandomLines(random, false, vCount, area));
  }

  constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();
  constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
  TLines horizontal, vertical;
  for (const std::int32_t lane : {0, kMax, kMin}) {
    horizontal.Add({true, 0, {kMin, lane}, {kMax, lane}});
    vertical.Add({true, 0, {lane, kMin}, {lane, kMax}});
  }
  horizontal.Add({true, 0, {-5, 1}, {5, 1}});
  vertical.Add({true, 0, {1, -5}, {1, 5}});
  ExpectSameResult(horizontal, vertical);
  ExpectSameResult(TLines{}, vertical);
  ExpectSameResult(horizontal, TLines{});

  // The stretches that scans of crossed 1:1:3:1:1 stripes and of noise produce, active again.
  constexpr bool kStripe[] = {1, 0, 1, 1, 1, 0, 1, 0};
  for (int kind = 0; kind < 3; ++kind) {
    TPlaneBoolean plane(200, 180);
    for (std::int32_t y = 0; y < plane.Height(); ++y)
      for (std::int32_t x = 0; x < plane.Width(); ++x)
        plane[x][y] = kind == 0 ? kStripe[x % 8] && kStripe[y % 8]
                      : kind == 1 ? kStripe[x / 2 % 8] != kStripe[y / 3 % 8] : random() % 2;
    TSurfaces surfaces;
    TFindPattern finder(surfaces);
    finder.Search(plane, plane.Width(), plane.Height());
    TLines scanned[] = {finder.HorizontalLines(), finder.VerticalLines()};
    ASSERT_GT(scanned[0].Count(), 100);
    for (TLines& lines : scanned)
      for (std::int32_t i = 0; i < lines.Count(); ++i) lines.SetLine(i, {true, 0, lines.GetLine(i).StartPt, lines.GetLine(i).EndPt});
    ExpectSameResult(scanned[0], scanned[1]);
  }
}

// nh horizontal stretches on consecutive rows and nv vertical ones on
// consecutive columns, all crossing near (cx, cy).
void AddCross(TLines& horizontal, TLines& vertical, std::int32_t cx, std::int32_t cy, std::int32_t nh, std::int32_t nv) {
  for (std::int32_t i = 0; i < nh; ++i) horizontal.Add({true, 0, {cx - 20, cy - nh / 2 + i}, {cx + 20, cy - nh / 2 + i}});
  for (std::int32_t i = 0; i < nv; ++i) vertical.Add({true, 0, {cx - nv / 2 + i, cy - 20}, {cx - nv / 2 + i, cy + 20}});
}

TEST(CenterDotsChoice, HeaviestFirstEarliestAmongEqualsAndKeptWhenTooFew) {
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
  const std::array<TPoint, 3> chosen = {TPoint{300, 100}, TPoint{100, 100}, TPoint{300, 300}};
  for (std::int32_t k = 0; k < 3; ++k) EXPECT_EQ(dots.GetDot(k), chosen[static_cast<std::size_t>(k)]);
  EXPECT_EQ(dots.GetDot(3), (TPoint{}));
  EXPECT_EQ(dots.GetDot(-1), (TPoint{}));

  // Two candidates only: the previous choice stays.
  TLines twoHorizontal, twoVertical;
  AddCross(twoHorizontal, twoVertical, 50, 50, 3, 3);
  AddCross(twoHorizontal, twoVertical, 250, 50, 3, 3);
  dots.Compute(twoHorizontal, twoVertical);
  EXPECT_EQ(dots.Count(), 2);
  for (std::int32_t k = 0; k < 3; ++k) EXPECT_EQ(dots.GetDot(k), chosen[static_cast<std::size_t>(k)]);
  dots.Clear();
  EXPECT_EQ(dots.Count() + dots.RowCentres().Count() + dots.ColumnCentres().Count(), 0);
}

}  // namespace
