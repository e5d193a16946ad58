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
}

}  // namespace
