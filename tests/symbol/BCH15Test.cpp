#include <gtest/gtest.h>

#include "symbol/BCH15.h"

// Correction within distance 3 is checked through the format reading of encoder symbols.
TEST(BCH15, ElementIIsBitIAndAWordFarFromEveryCodewordSetsTheFlagAndAllBits) {
  TBooleans bits(15, 0);
  bits[0] = bits[1] = 1;  // two wrong bits of the zero codeword
  TBCH15_5 near(bits);
  EXPECT_EQ(near.Received(), 0x0003);
  near.Decode(bits);
  EXPECT_EQ(near.ErrorFlag(), 0);
  EXPECT_EQ(bits, TBooleans(15, 0));

  for (int i = 0; i < 15; ++i) bits[i] = (0x0F0F >> i) & 1;  // 4 or more from every codeword
  TBCH15_5 far(bits);
  far.Decode(bits);
  EXPECT_EQ(far.ErrorFlag(), 1);
  EXPECT_EQ(far.Corrected(), -1);
  EXPECT_EQ(bits, TBooleans(15, 1));
}
