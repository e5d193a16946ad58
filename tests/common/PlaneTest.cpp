#include <gtest/gtest.h>

#include "common/Plane.h"

TEST(Plane, AddressesColumnThenRowResizeRefillsAndRefusesNegativeSizes) {
  TPlaneInteger plane(3, 2);
  plane[2][1] = 7;
  plane[1][0] = 5;
  EXPECT_EQ(plane(2, 1), 7);
  EXPECT_EQ(plane(1, 0), 5);
  EXPECT_EQ(plane.Row(1)[2], 7);
  EXPECT_EQ(plane[0][1], 0);
  EXPECT_TRUE(plane.Contains(2, 1));
  EXPECT_FALSE(plane.Contains(1, 2));
  TPlaneBoolean dark(2, 2, 1);
  dark.Resize(3, 1);
  EXPECT_EQ(dark.Width(), 3);
  EXPECT_EQ(dark[2][0], 0);
  EXPECT_THROW(dark.Resize(-1, 2), std::invalid_argument);
  EXPECT_TRUE(TPlaneBoolean().Empty());
  EXPECT_FALSE(TPlaneBoolean().Contains(0, 0));
}
