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

TEST(Plane, LargePlanesAndPlanesFilledByTheirWriter) {
  // Above the size from which blocks come with huge pages: copies stay apart.
  TPlaneInteger large(3000, 1000, 9);
  large[2999][999] = 4;
  TPlaneInteger copy = large;
  copy[0][0] = 1;
  EXPECT_EQ(large[0][0], 9);
  EXPECT_EQ(copy[2999][999], 4);
  EXPECT_EQ(copy[1500][500], 9);

  TPoint point{3, 4};
  TPlanePoint points(2, 2, point);
  points.ResizeForOverwrite(5, 3);
  EXPECT_EQ(points.Width(), 5);
  EXPECT_EQ(points.Height(), 3);
  points[4][2] = point;
  EXPECT_EQ(points(4, 2), point);
  EXPECT_THROW(points.ResizeForOverwrite(2, -1), std::invalid_argument);
  large.ResizeForOverwrite(0, 7);
  EXPECT_TRUE(large.Empty());
}
