#include <gtest/gtest.h>

#include <limits>
#include <numbers>

#include "locate/PrincipalPattern.h"

namespace {

constexpr long double kPi = std::numbers::pi_v<long double>;

TEST(PrincipalPattern, AxesWidthsAndModulePositions) {
  TPrincipalPattern model({100, 100}, {200, 100}, {100, 200});
  EXPECT_EQ(model.GetLengthX(), 100.0L);
  EXPECT_EQ(model.GetAngleX(), 0.0L);
  EXPECT_EQ(model.GetAngleY(), kPi / 2);
  EXPECT_EQ(model.GetModuleWidthX(), 0.0L);
  EXPECT_EQ(model.ModuleToImage(-7, -3, {200, 100}), (TPoint{200, 100}));  // no version yet
  model.SetVersion(1);
  EXPECT_EQ(model.GetModuleWidthY(), 100.0L / 14);
  EXPECT_EQ(model.ModuleToImage(-7, -3, {200, 100}), (TPoint{150, 79}));  // y = 100 - 21.43
  model.SetVersion(40);
  EXPECT_EQ(model.GetModuleWidthX(), 100.0L / 170);

  const TPrincipalPattern halfTurn({200, 100}, {100, 100}, {200, 0});
  EXPECT_EQ(halfTurn.GetAngleX(), kPi);
  EXPECT_EQ(halfTurn.GetAngleY(), -kPi / 2);

  TPrincipalPattern sheared({0, 0}, {140, 0}, {70, 140});
  sheared.SetVersion(1);
  EXPECT_EQ(sheared.ModuleToImage(1, 0, {0, 0}), (TPoint{10, 0}));
  EXPECT_EQ(sheared.ModuleToImage(14, 14, {0, 0}), (TPoint{210, 140}));
}

TEST(PrincipalPattern, WholeSumIsRoundedHalfToEven) {
  // Half a pixel per module along both axes.
  TPrincipalPattern model({0, 0}, {7, 0}, {0, 7});
  model.SetVersion(1);
  EXPECT_EQ(model.ModuleToImage(25, 0, {0, 0}).x, 12);  // 12.5
  EXPECT_EQ(model.ModuleToImage(27, 0, {0, 0}).x, 14);  // 13.5
  EXPECT_EQ(model.ModuleToImage(25, 0, {1, 0}).x, 14);  // the origin is inside the rounding: not 12 + 1
  EXPECT_EQ(model.ModuleToImage(0, 25, {0, 0}).y, 12);
}

TEST(PrincipalPattern, DegenerateCentresAndLargestVersionStayHarmless) {
  TPrincipalPattern same({50, 60}, {50, 60}, {50, 60});
  same.SetVersion(3);
  EXPECT_EQ(same.GetModuleWidthY(), 0.0L);
  EXPECT_EQ(same.ModuleToImage(-7, 12, {9, -4}), (TPoint{9, -4}));
  TPrincipalPattern far({0, 0}, {1000, 0}, {0, 1000});
  far.SetVersion(std::numeric_limits<std::int32_t>::max());
  EXPECT_GT(far.GetModuleWidthX(), 0.0L);
  EXPECT_LT(far.GetModuleWidthX(), 1e-6L);
}

}  // namespace
