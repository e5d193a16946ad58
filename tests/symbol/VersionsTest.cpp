#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "SymbolCodewords.h"
#include "TestSymbols.h"
#include "common/Errors.h"
#include "symbol/Versions.h"

namespace {

using namespace testing_support;

// For every version and level, the encoder's codewords cut into the table's
// blocks are Reed-Solomon codewords of the table's length, and there are as
// many as the version holds.
TEST(Versions, BlockTablesAndCodewordCountsMatchTheEncoderForEveryVersionAndLevel) {
  for (int version = kMinVersion; version <= kMaxVersion; ++version)
    for (int level = 0; level < 4; ++level) {
      SCOPED_TRACE(testing::Message() << "version " << version << " level " << level);
      const TTestSymbol symbol = EncodeBytes("1", version, level);
      ASSERT_EQ(symbol.version, version);
      ASSERT_EQ(symbol.size, SymbolSide(version));
      EXPECT_EQ(VersionOfSide(symbol.size), version);
      const std::vector<int> codewords = PlacementCodewords(symbol);
      ASSERT_EQ(static_cast<int>(codewords.size()), TotalCodewords(version));
      const int blocks = ReedSolomonBlocks(version, level);
      const int ec = ErrorCorrectionCodewords(version, level);
      ASSERT_EQ(ec % blocks, 0);
      for (const std::vector<int>& block : SplitBlocks(codewords, blocks, ec))
        ASSERT_TRUE(IsReedSolomonCodeword(block, ec / blocks));
    }
}

TEST(Versions, OutsideTheRangeNothingIsLookedUp) {
  for (const std::int64_t version : {std::int64_t{0}, std::int64_t{41}, std::int64_t{-1}, std::int64_t{INT32_MAX} + 1}) {
    EXPECT_FALSE(IsVersion(version)) << version;
    EXPECT_THROW(RequireVersion(version), TDecodeError) << version;
  }
  EXPECT_TRUE(AlignmentPositions(0).empty());
  EXPECT_TRUE(AlignmentPositions(41).empty());
  EXPECT_THROW(ErrorCorrectionCodewords(41, 0), TDecodeError);
  EXPECT_THROW(ReedSolomonBlocks(1, 4), TDecodeError);
  EXPECT_EQ(CharacterCountBits(1, 3), 0);  // not a mode with a count
}

}  // namespace
