#include <gtest/gtest.h>

#include <cstdint>

#include "common/Errors.h"
#include "symbol/Versions.h"

namespace {

// The tables themselves are checked against the encoder's symbols by the
// symbol, arrangement and placement tests.
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
  EXPECT_THROW(PromisedCorrections(0, 1), TDecodeError);
  EXPECT_THROW(MisdecodeProtection(3, -1), TDecodeError);
}

// The wrong codewords a block is listed as correcting, for versions 1 to 3
// (levels L, M, Q, H); from version 4 on, half its error-correction codewords.
TEST(Versions, ThePromiseHoldsBackMisdecodeProtectionOnlyInTheSmallestSymbols) {
  constexpr std::int32_t kListed[3][4] = {{2, 4, 6, 8}, {4, 8, 11, 14}, {7, 13, 9, 11}};
  for (std::int32_t version = 1; version <= 40; ++version)
    for (std::int32_t level = 0; level < 4; ++level) {
      const std::int32_t ec = ECCodewordsPerBlock(version, level);
      EXPECT_EQ(ec * ReedSolomonBlocks(version, level), ErrorCorrectionCodewords(version, level));
      const std::int32_t promised = version <= 3 ? kListed[version - 1][level] : ec / 2;
      EXPECT_EQ(PromisedCorrections(version, level), promised) << version << "-" << level;
      EXPECT_EQ(MisdecodeProtection(version, level), ec - 2 * promised) << version << "-" << level;
    }
}

}  // namespace
