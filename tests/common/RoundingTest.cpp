#include <gtest/gtest.h>

#include <limits>
#include <utility>

#include "common/Errors.h"
#include "common/Rounding.h"

TEST(Rounding, HalvesGoToEvenAndWhatDoesNotFitIsNeverConverted) {
  for (const auto& [value, rounded] : {std::pair{12.5L, 12}, {13.5L, 14}, {-0.5L, 0}, {-1.5L, -2}, {-2.5L, -2},
                                       {78.57L, 79}, {-78.57L, -79}, {2147483647.4L, 2147483647}})
    EXPECT_EQ(RoundHalfEven(value), rounded) << value;
  EXPECT_THROW(RoundHalfEven(std::numeric_limits<long double>::infinity()), TMathError);
  EXPECT_THROW(RoundHalfEven(std::numeric_limits<long double>::quiet_NaN()), TMathError);
  EXPECT_THROW(RoundHalfEven(3e9L), TMathError);
  EXPECT_THROW(TruncateToInt(-3e9L), TMathError);
  EXPECT_EQ(TruncateToInt(-7.9L), -7);
}
