#include <gtest/gtest.h>

#include "common/Plane.h"

TEST(Plane, AddressesColumnThenRow) {
  TPlaneInteger plane(3, 2);
  plane[2][1] = 7;
  plane[1][0] = 5;
  EXPECT_EQ(plane(2, 1), 7);
  EXPECT_EQ(plane(1, 0), 5);
  EXPECT_EQ(plane.Row(1)[2], 7);
  EXPECT_EQ(plane[0][1], 0);
  EXPECT_TRUE(plane.Contains(2, 1));
  EXPECT_FALSE(plane.Contains(1, 2));
}

TEST(Plane, ResizeRefillsAndRefusesNegativeSizes) {
  TPlaneBoolean plane(2, 2, 1);
  plane.Resize(3, 1);
  EXPECT_EQ(plane.Width(), 3);
  EXPECT_EQ(plane[2][0], 0);
  EXPECT_THROW(plane.Resize(-1, 2), std::invalid_argument);
  TPlaneBoolean empty;
  EXPECT_TRUE(empty.Empty());
  EXPECT_FALSE(empty.Contains(0, 0));
}
