#include <gtest/gtest.h>

#include <vector>

#include "common/Errors.h"
#include "symbol/SeedModule.h"

// Versions 2 to 40 are checked through the encoder's alignment patterns (arrangement
// tests); version 1 has none in the symbol, only the two grid positions 6 and 14.
TEST(SeedModule, PositionsOfVersionOneAndRefusedVersions) {
  const TSeedModule seeds(1);
  EXPECT_EQ(std::vector<int>({seeds.Position(0), seeds.Position(1)}), std::vector<int>({6, 14}));
  EXPECT_EQ(seeds.Count(), 2);
  EXPECT_THROW(TSeedModule(0), TDecodeError);
  EXPECT_THROW(TSeedModule(41), TDecodeError);
}
