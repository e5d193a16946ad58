#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "symbol/MaskPenalty.h"

namespace {

// A plane from rows of '#' (dark) and '.' (light).
TPlaneBoolean Plane(const std::vector<std::string>& rows) {
  TPlaneBoolean plane(static_cast<std::int32_t>(rows[0].size()), static_cast<std::int32_t>(rows.size()));
  for (std::size_t y = 0; y < rows.size(); ++y)
    for (std::size_t x = 0; x < rows[y].size(); ++x)
      plane[static_cast<std::int32_t>(x)][static_cast<std::int32_t>(y)] = rows[y][x] == '#';
  return plane;
}

TEST(MaskPenalty, ScoresEachRuleOnPlanesWithKnownCounts) {
  struct TCase {
    const char* what;
    std::vector<std::string> rows;
    TMaskPenalty expected;  // runs, blocks, finders, balance
  };
  const std::vector<TCase> cases = {
      // 6 x 6 light: every row and column a run of 6 (3 + 1 each), 25 blocks, no dark at all.
      {"light", std::vector<std::string>(6, "......"), {12 * 4, 25 * 3, 0, 100}},
      // A checkerboard: no run, no block, exactly half dark.
      {"checkerboard", {"#.#.", ".#.#", "#.#.", ".#.#"}, {0, 0, 0, 0}},
      // One row holding a finder-like stretch with four light modules on both sides counts twice
      // (before and after); its light runs of 4 score nothing, the columns are single modules.
      {"finder row", {"....#.###.#...."}, {0, 0, 80, 30}},
      // Only the margin after it.
      {"finder then light", {"#.###.#...."}, {0, 0, 40, 0}},
      // A run of exactly five and one of seven.
      {"runs", {"#####.#######"}, {3 + 5, 0, 0, 80}},
  };
  for (const TCase& c : cases) EXPECT_EQ(MaskPenalty(Plane(c.rows)), c.expected) << c.what;
}

TEST(MaskPenalty, BalanceCountsWholeStepsOfFivePercent) {
  // 20 modules: k dark of them is 5 k %, strayed by |5 k - 50| %.
  for (int dark = 0; dark <= 20; ++dark) {
    std::string row(20, '.');
    for (int i = 0; i < dark; ++i) row[static_cast<std::size_t>(i * 7 % 20)] = '#';
    EXPECT_EQ(MaskPenalty(Plane({row})).balance, 10 * std::abs(dark - 10)) << dark;
  }
}

}  // namespace
