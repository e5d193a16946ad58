#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "common/Bitmap.h"

namespace {

std::vector<TPoint> Painted(const TBitmap& bitmap) {
  std::vector<TPoint> points;
  for (int y = 0; y < bitmap.Height(); ++y)
    for (int x = 0; x < bitmap.Width(); ++x)
      if (bitmap.Pixel(x, y) != kWhite) points.push_back({x, y});
  return points;
}

TEST(BitmapPixels, NewPictureIsWhiteAndOutsideIsSilent) {
  TBitmap bitmap(3, 2);
  EXPECT_EQ(bitmap.Pixel(2, 1), kWhite);
  bitmap.SetPixel(-1, 0, kRed);
  bitmap.SetPixel(3, 0, kRed);
  bitmap.SetPixel(0, 2, kRed);
  EXPECT_TRUE(Painted(bitmap).empty());
  bitmap.SetPixel(2, 1, kBlue);
  EXPECT_EQ(bitmap.Pixel(2, 1), kBlue);
}

TEST(BitmapPixels, CopiesDoNotShareWrites) {
  TBitmap original(4, 4);
  TBitmap copy = original;
  copy.SetPixel(1, 1, kBlack);
  EXPECT_EQ(original.Pixel(1, 1), kWhite);
  EXPECT_EQ(copy.Pixel(1, 1), kBlack);
  original.SetPixel(2, 2, kRed);
  EXPECT_EQ(copy.Pixel(2, 2), kWhite);
}

TEST(BitmapPixels, FromPlanePaintsDarkBlack) {
  TPlaneBoolean plane(3, 2);
  plane[2][1] = 1;
  const TBitmap bitmap = TBitmap::FromPlane(plane);
  EXPECT_EQ(bitmap.Pixel(2, 1), kBlack);
  EXPECT_EQ(bitmap.Pixel(1, 2 - 1), kWhite);
  EXPECT_EQ(Painted(bitmap).size(), 1u);
}

TEST(BitmapLine, PaintsBothEndsAndStepsFromFirstPoint) {
  TBitmap bitmap(10, 10);
  bitmap.Line(0, 0, 4, 2, kRed);
  // dx = 4, dy = -2, err starts at 2: e2 = 4 reaches dx on the first step, so y
  // steps at once; a walk that compared strictly would give (1, 0) instead.
  const std::vector<TPoint> expected = {{0, 0}, {1, 1}, {2, 1}, {3, 2}, {4, 2}};
  std::vector<TPoint> got = Painted(bitmap);
  std::sort(got.begin(), got.end(), [](TPoint a, TPoint b) { return a.x < b.x; });
  EXPECT_EQ(got, expected);
}

TEST(BitmapLine, DirectionMattersOnTies) {
  TBitmap forward(10, 10), backward(10, 10);
  forward.Line(0, 0, 3, 1, kRed);
  backward.Line(3, 1, 0, 0, kRed);
  EXPECT_EQ(Painted(forward).size(), 4u);
  EXPECT_EQ(Painted(backward).size(), 4u);
  EXPECT_EQ(forward.Pixel(0, 0), kRed);
  EXPECT_EQ(backward.Pixel(3, 1), kRed);
}

TEST(BitmapLine, SinglePointAndClippedLines) {
  TBitmap bitmap(5, 5);
  bitmap.Line(2, 2, 2, 2, kYellow);
  EXPECT_EQ(Painted(bitmap).size(), 1u);
  bitmap.Line(-3, 4, 7, 4, kBlue);
  EXPECT_EQ(Painted(bitmap).size(), 6u);
}

}  // namespace
