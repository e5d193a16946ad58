#include <gtest/gtest.h>

#include <limits>

#include "common/Errors.h"
#include "common/Rounding.h"

TEST(Rounding, HalvesGoToEven) {
  EXPECT_EQ(RoundHalfEven(12.5L), 12);
  EXPECT_EQ(RoundHalfEven(13.5L), 14);
  EXPECT_EQ(RoundHalfEven(-0.5L), 0);
  EXPECT_EQ(RoundHalfEven(-1.5L), -2);
  EXPECT_EQ(RoundHalfEven(-2.5L), -2);
  EXPECT_EQ(RoundHalfEven(78.57L), 79);
  EXPECT_EQ(RoundHalfEven(-78.57L), -79);
}

TEST(Rounding, NeverConvertsWhatDoesNotFit) {
  EXPECT_THROW(RoundHalfEven(std::numeric_limits<long double>::infinity()), TMathError);
  EXPECT_THROW(RoundHalfEven(std::numeric_limits<long double>::quiet_NaN()), TMathError);
  EXPECT_THROW(RoundHalfEven(3e9L), TMathError);
  EXPECT_EQ(RoundHalfEven(2147483647.4L), 2147483647);
  EXPECT_THROW(TruncateToInt(-3e9L), TMathError);
  EXPECT_EQ(TruncateToInt(-7.9L), -7);
}
