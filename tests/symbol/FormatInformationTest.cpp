#include <gtest/gtest.h>

#include "symbol/Arrangement.h"
#include "symbol/FormatInformation.h"
#include "symbol/Versions.h"

namespace {

TEST(FormatInformation, WordsOfMaskZeroAreTheKnownOnes) {
  // The masked format words of mask 0 for L, M, Q and H.
  EXPECT_EQ(MaskedFormatWord(0, 0), 0x77C4);
  EXPECT_EQ(MaskedFormatWord(1, 0), 0x5412);
  EXPECT_EQ(MaskedFormatWord(2, 0), 0x355F);
  EXPECT_EQ(MaskedFormatWord(3, 0), 0x1689);
  for (int level = 0; level < 4; ++level)
    for (int mask = 0; mask < 8; ++mask) {
      const int word = MaskedFormatWord(level, mask) ^ kFormatMask;
      EXPECT_EQ(LevelOfFormat(word), level);
      EXPECT_EQ(MaskOfFormat(word), mask);
    }
}

TEST(FormatInformation, BothCopiesLieOnTheFormatModulesOfEveryVersion) {
  for (int version = kMinVersion; version <= kMaxVersion; ++version) {
    const TArrangement arrangement(version);
    const auto second = SecondFormatPositions(arrangement.Width());
    int format = 0;
    for (int x = 0; x < arrangement.Width(); ++x)
      for (int y = 0; y < arrangement.Height(); ++y) format += arrangement.FunctionPatternAt(x, y) == TFunctionPattern::Format;
    // 15 modules a copy, all distinct, and no other format module.
    EXPECT_EQ(format, 30) << version;
    for (std::size_t i = 0; i < 15; ++i) {
      EXPECT_EQ(arrangement.FunctionPatternAt(kFormatPositions[i].x, kFormatPositions[i].y), TFunctionPattern::Format);
      EXPECT_EQ(arrangement.FunctionPatternAt(second[i].x, second[i].y), TFunctionPattern::Format) << version << " bit " << i;
    }
  }
}

}  // namespace
