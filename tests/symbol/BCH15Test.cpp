#include <gtest/gtest.h>

#include "SymbolCodewords.h"
#include "symbol/BCH15.h"

TEST(BCH15, CodewordTableAndCorrectionInTheCallersBits) {
  for (int data = 0; data < 32; ++data) EXPECT_EQ(TBCH15_5::Codeword(data), testing_support::FormatCodeword(data));

  const auto bitsOf = [](int word) {
    TBooleans bits(15);
    for (int i = 0; i < 15; ++i) bits[i] = (word >> i) & 1;
    return bits;
  };
  // Element i is bit i; two wrong bits (14 and 0) are corrected in the caller's array.
  TBooleans bits = bitsOf(0x0537 ^ 0x4001);
  TBCH15_5 code(bits);
  EXPECT_EQ(code.Received(), 0x4536);
  code.Decode(bits);
  EXPECT_EQ(code.ErrorFlag(), 0);
  EXPECT_EQ(bits, bitsOf(0x0537));

  // Four or more from every codeword: the flag is set and all 15 bits come back set.
  bits = bitsOf(0x0F0F);
  TBCH15_5 far(bits);
  far.Decode(bits);
  EXPECT_EQ(far.ErrorFlag(), 1);
  EXPECT_EQ(far.Corrected(), -1);
  EXPECT_EQ(bits, TBooleans(15, 1));
}
