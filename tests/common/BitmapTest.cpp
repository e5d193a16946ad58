#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "common/Bitmap.h"

namespace {

// The pixels that are not white, row after row.
std::vector<TPoint> Painted(const TBitmap& bitmap) {
  std::vector<TPoint> points;
  for (int y = 0; y < bitmap.Height(); ++y)
    for (int x = 0; x < bitmap.Width(); ++x)
      if (bitmap.Pixel(x, y) != kWhite) points.push_back({x, y});
  return points;
}

TEST(BitmapPixels, WhiteOrFromThePlaneSilentOutsideAndCopiesDoNotShareWrites) {
  TPlaneBoolean plane(3, 2);
  plane[2][1] = 1;
  for (const TBitmap& original : {TBitmap(3, 2), TBitmap::FromPlane(plane)}) {
    TBitmap bitmap = original;
    for (const auto& [x, y] : {std::pair{-1, 0}, {3, 0}, {0, 2}}) bitmap.SetPixel(x, y, kRed);
    EXPECT_EQ(bitmap, original);
    bitmap.SetPixel(1, 1, kBlue);
    EXPECT_EQ(bitmap.Pixel(1, 1), kBlue);
    EXPECT_EQ(original.Pixel(1, 1), kWhite);
  }
  EXPECT_EQ(Painted(TBitmap::FromPlane(plane)), (std::vector<TPoint>{{2, 1}}));
  EXPECT_EQ(TBitmap::FromPlane(plane).Pixel(2, 1), kBlack);
  plane[0][0] = 1;  // the picture keeps its own copy
  TBitmap ordinary(3, 2);
  ordinary.SetPixel(2, 1, kBlack);
  EXPECT_NE(TBitmap::FromPlane(plane), ordinary);
}

TEST(BitmapLine, IntegerBresenhamFromTheFirstPoint) {
  TBitmap bitmap(10, 10);
  bitmap.Line(0, 0, 4, 2, kRed);
  // dx = 4, dy = -2, err starts at 2: e2 = 4 reaches dx on the first step, so y
  // steps at once; a walk that compared strictly would give (1, 0) instead.
  EXPECT_EQ(Painted(bitmap), (std::vector<TPoint>{{0, 0}, {1, 1}, {2, 1}, {3, 2}, {4, 2}}));
  // On ties the direction matters.
  TBitmap forward(10, 10), backward(10, 10);
  forward.Line(0, 0, 2, 1, kRed);
  backward.Line(2, 1, 0, 0, kRed);
  EXPECT_EQ(Painted(forward), (std::vector<TPoint>{{0, 0}, {1, 1}, {2, 1}}));
  EXPECT_EQ(Painted(backward), (std::vector<TPoint>{{0, 0}, {1, 0}, {2, 1}}));
  // A single point, and a line clipped by the picture.
  TBitmap small(5, 5);
  small.Line(2, 2, 2, 2, kYellow);
  EXPECT_EQ(Painted(small).size(), 1u);
  small.Line(-3, 4, 7, 4, kBlue);
  EXPECT_EQ(Painted(small).size(), 6u);
}

}  // namespace
