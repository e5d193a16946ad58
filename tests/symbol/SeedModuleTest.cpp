#include <gtest/gtest.h>

#include <vector>

#include "common/Errors.h"
#include "symbol/SeedModule.h"

namespace {

std::vector<int> PositionsOf(int version) {
  const TSeedModule seeds(version);
  std::vector<int> positions;
  for (int i = 0; i < seeds.Count(); ++i) positions.push_back(seeds.Position(i));
  return positions;
}

}  // namespace

TEST(SeedModule, CountsFollowTheVersionRanges) {
  for (int version = 1; version <= 40; ++version) {
    const int expected = version <= 6 ? 2 : version <= 13 ? 3 : version <= 20 ? 4 : version <= 27 ? 5 : version <= 34 ? 6 : 7;
    EXPECT_EQ(TSeedModule(version).Count(), expected) << "version " << version;
    EXPECT_EQ(TSeedModule(version).Version(), version);
  }
}

TEST(SeedModule, PositionsAscendFromSixToTheFarAlignmentCentre) {
  for (int version = 1; version <= 40; ++version) {
    const std::vector<int> positions = PositionsOf(version);
    EXPECT_EQ(positions.front(), 6) << "version " << version;
    for (std::size_t i = 1; i < positions.size(); ++i) EXPECT_LT(positions[i - 1], positions[i]);
    // The last alignment centre sits 7 modules inside the far edge (version 1: the sampling point 14).
    EXPECT_EQ(positions.back(), 4 * version + 17 - 7) << "version " << version;
  }
}

TEST(SeedModule, KnownVersions) {
  EXPECT_EQ(PositionsOf(1), (std::vector<int>{6, 14}));
  EXPECT_EQ(PositionsOf(7), (std::vector<int>{6, 22, 38}));
  EXPECT_EQ(PositionsOf(40), (std::vector<int>{6, 30, 58, 86, 114, 142, 170}));
}

TEST(SeedModule, RefusesVersionsOutsideTheStandard) {
  EXPECT_THROW(TSeedModule(0), TDecodeError);
  EXPECT_THROW(TSeedModule(41), TDecodeError);
}
