#include <gtest/gtest.h>

#include <vector>

#include "common/Errors.h"
#include "symbol/SeedModule.h"

// Versions 2 to 40 are checked through the encoder's alignment patterns (arrangement
// tests); version 1 has none in the symbol, only the two grid positions 6 and 14.
TEST(SeedModule, PositionsOfKnownVersionsAndRefusedVersions) {
  for (auto [version, expected] : {std::pair{1, std::vector<int>{6, 14}}, {40, {6, 30, 58, 86, 114, 142, 170}}}) {
    const TSeedModule seeds(version);
    std::vector<int> positions;
    for (int i = 0; i < seeds.Count(); ++i) positions.push_back(seeds.Position(i));
    EXPECT_EQ(positions, expected) << "version " << version;
  }
  EXPECT_THROW(TSeedModule(0), TDecodeError);
  EXPECT_THROW(TSeedModule(41), TDecodeError);
}
