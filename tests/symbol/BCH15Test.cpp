#include <gtest/gtest.h>

#include <bit>

#include "symbol/BCH15.h"

namespace {

// Remainder of word (15 bits) divided by the generator x^10 + x^8 + x^5 + x^4 + x^2 + x + 1.
int GeneratorRemainder(int word) {
  for (int bit = 14; bit >= 10; --bit)
    if (word & (1 << bit)) word ^= 0x537 << (bit - 10);
  return word;
}

TBooleans BitsOf(int word) {
  TBooleans bits(15);
  for (int i = 0; i < 15; ++i) bits[i] = (word >> i) & 1;
  return bits;
}

}  // namespace

TEST(BCH15Table, CodewordsCarryTheirDataBitsAndAreMultiplesOfTheGenerator) {
  EXPECT_EQ(TBCH15_5::Codeword(0), 0x0000);
  EXPECT_EQ(TBCH15_5::Codeword(1), 0x0537);
  EXPECT_EQ(TBCH15_5::Codeword(2), 0x0A6E);
  EXPECT_EQ(TBCH15_5::Codeword(31), 0x7FFF);
  for (int data = 0; data < 32; ++data) {
    const int codeword = TBCH15_5::Codeword(data);
    EXPECT_EQ(codeword >> 10, data);
    EXPECT_EQ(GeneratorRemainder(codeword), 0) << data;
    for (int other = 0; other < data; ++other)
      EXPECT_GE(TBCH15_5::HammingDistance(codeword, TBCH15_5::Codeword(other)), 7);
  }
}

TEST(BCH15Decode, ReceivedWordTakesElementIAsBitI) {
  TBooleans bits = BitsOf(0x0537 ^ 0x4001);
  TBCH15_5 code(bits);
  EXPECT_EQ(code.Received(), 0x4536);
  code.Decode(bits);
  EXPECT_EQ(code.ErrorFlag(), 0);
  EXPECT_EQ(code.Corrected(), 0x0537);
  EXPECT_EQ(bits, BitsOf(0x0537));
}

TEST(BCH15Decode, FourOrMoreWrongBitsFailOrMisleadButNeverCrossThree) {
  int failed = 0;
  for (int word = 0; word < 0x8000; ++word) {
    const int found = TBCH15_5::FindCodeword(word);
    int nearest = 15;
    for (int data = 0; data < 32; ++data)
      nearest = std::min(nearest, TBCH15_5::HammingDistance(word, TBCH15_5::Codeword(data)));
    if (nearest <= 3) {
      ASSERT_GE(found, 0);
      ASSERT_EQ(TBCH15_5::HammingDistance(word, found), nearest);
    } else {
      ASSERT_EQ(found, -1);
      ++failed;
    }
  }
  EXPECT_GT(failed, 0);

  TBooleans bits = BitsOf(0x0F0F);  // 4 or more from every codeword
  TBCH15_5 code(bits);
  code.Decode(bits);
  EXPECT_EQ(code.ErrorFlag(), 1);
  EXPECT_EQ(code.Corrected(), -1);
  EXPECT_EQ(bits, TBooleans(15, 1));
}
