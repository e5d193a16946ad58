#include <gtest/gtest.h>

#include <cfenv>
#include <limits>
#include <utility>

#include "common/Errors.h"
#include "common/Rounding.h"

TEST(Rounding, HalvesGoToEvenAndWhatDoesNotFitIsNeverConverted) {
  for (const auto& [value, rounded] : {std::pair{12.5L, 12}, {13.5L, 14}, {-0.5L, 0}, {-1.5L, -2}, {-2.5L, -2},
                                       {78.57L, 79}, {-78.57L, -79}, {2147483647.4L, 2147483647},
                                       {-2147483648.4L, -2147483647 - 1}, {0.49999999999999999L, 0}})
    EXPECT_EQ(RoundHalfEven(value), rounded) << value;
  // Whatever rounding mode is set, the result stays the same.
  for (const int mode : {FE_UPWARD, FE_DOWNWARD, FE_TOWARDZERO}) {
    std::fesetround(mode);
    for (const auto& [value, rounded] : {std::pair{0.7L, 1}, {-0.7L, -1}, {2.5L, 2}, {3.5L, 4}, {-3.2L, -3}})
      EXPECT_EQ(RoundHalfEven(value), rounded) << value << " in mode " << mode;
    std::fesetround(FE_TONEAREST);
  }
  EXPECT_THROW(RoundHalfEven(2147483647.5L), TMathError);
  EXPECT_EQ(RoundHalfEven(-2147483648.5L), -2147483647 - 1);
  EXPECT_THROW(RoundHalfEven(std::numeric_limits<long double>::infinity()), TMathError);
  EXPECT_THROW(RoundHalfEven(std::numeric_limits<long double>::quiet_NaN()), TMathError);
  EXPECT_THROW(RoundHalfEven(3e9L), TMathError);
  EXPECT_THROW(TruncateToInt(-3e9L), TMathError);
  EXPECT_EQ(TruncateToInt(-7.9L), -7);
}
