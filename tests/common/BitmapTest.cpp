#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <stdexcept>
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

// ---- Pictures made from a plane ----

TPlaneBoolean Diagonal(int size) {
  TPlaneBoolean plane(size, size);
  for (int i = 0; i < size; ++i) plane[i][i] = 1;
  return plane;
}

// Every pixel through every way of reading: Pixel, ReadRow and, on a copy, Row.
void ExpectReadsAlike(const TBitmap& bitmap) {
  std::vector<TColor> scratch(static_cast<std::size_t>(bitmap.Width()));
  const TBitmap ordinary = bitmap;
  for (int y = 0; y < bitmap.Height(); ++y) {
    const TColor* read = bitmap.ReadRow(y, scratch.data());
    const TColor* row = ordinary.Row(y);
    for (int x = 0; x < bitmap.Width(); ++x) {
      ASSERT_EQ(read[x], bitmap.Pixel(x, y)) << x << "," << y;
      ASSERT_EQ(row[x], bitmap.Pixel(x, y)) << x << "," << y;
    }
  }
}

TEST(BitmapFromPlane, SharedPlaneIsCutAndPaintedPixelsStayWithTheirCopy) {
  auto plane = std::make_shared<const TPlaneBoolean>(Diagonal(40));
  TBitmap cut = TBitmap::FromSharedPlane(plane, 25, 50);
  EXPECT_EQ(cut.Width(), 25);
  EXPECT_EQ(cut.Height(), 40);  // clamped to the plane
  EXPECT_EQ(cut.Plane(), plane.get());
  EXPECT_EQ(cut.Pixel(24, 24), kBlack);
  EXPECT_EQ(cut.Pixel(25, 25), kWhite);  // outside the cut

  TBitmap painted = cut;
  painted.Line(0, 7, 4, 7, kRed);
  painted.SetPixel(2, 2, kBlue);
  EXPECT_EQ(painted.Plane(), plane.get());
  EXPECT_EQ(painted.PaintedCount(), 6u);
  EXPECT_EQ(painted.Pixel(2, 2), kBlue);
  EXPECT_EQ(painted.Pixel(3, 7), kRed);
  EXPECT_EQ(cut.Pixel(2, 2), kBlack);
  EXPECT_EQ(cut.Pixel(3, 7), kWhite);
  EXPECT_EQ(cut.PaintedCount(), 0u);
  ExpectReadsAlike(cut);
  ExpectReadsAlike(painted);
}

TEST(BitmapFromPlane, BothFormsCompareAndReadTheSame) {
  const TPlaneBoolean plane = Diagonal(6);
  TBitmap compact = TBitmap::FromPlane(plane);
  compact.SetPixel(5, 0, kYellow);
  TBitmap ordinary(6, 6);
  for (int i = 0; i < 6; ++i) ordinary.SetPixel(i, i, kBlack);
  ordinary.SetPixel(5, 0, kYellow);
  EXPECT_EQ(compact, ordinary);
  EXPECT_EQ(ordinary, compact);
  ordinary.SetPixel(1, 0, kRed);
  EXPECT_FALSE(compact == ordinary);

  // A writable row turns the picture into an ordinary one with the same pixels.
  TBitmap written = compact;
  written.MutableRow(3)[0] = kBlue;
  EXPECT_EQ(written.Plane(), nullptr);
  EXPECT_EQ(written.Pixel(0, 3), kBlue);
  EXPECT_EQ(written.Pixel(3, 3), kBlack);
  EXPECT_EQ(written.Pixel(5, 0), kYellow);
  EXPECT_EQ(compact.Pixel(0, 3), kWhite);
}

TEST(BitmapFromPlane, PaintingMuchOfThePictureMakesItOrdinary) {
  auto plane = std::make_shared<const TPlaneBoolean>(Diagonal(16));
  TBitmap bitmap = TBitmap::FromSharedPlane(plane, 16, 16);
  for (int x = 0; x < 16; ++x) bitmap.SetPixel(x, 3, kRed);
  EXPECT_EQ(bitmap.Plane(), plane.get());
  for (int x = 0; x < 16; ++x) bitmap.SetPixel(x, 9, kBlue);
  // 32 painted pixels are more than a sixteenth of 256.
  EXPECT_EQ(bitmap.Plane(), nullptr);
  EXPECT_EQ(bitmap.Pixel(9, 9), kBlue);
  EXPECT_EQ(bitmap.Pixel(5, 5), kBlack);
  EXPECT_EQ(bitmap.Pixel(0, 3), kRed);
}

TEST(BitmapFromPlane, PicturesWithoutFillAreWrittenRowByRow) {
  TBitmap bitmap = TBitmap::WithoutFill(3, 2);
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 3; ++x) bitmap.MutableRow(y)[x] = static_cast<TColor>(10 * y + x);
  EXPECT_EQ(bitmap.Pixel(2, 1), 12u);
  EXPECT_TRUE(TBitmap::WithoutFill(0, 4).Empty());
  EXPECT_THROW(TBitmap::WithoutFill(-1, 4), std::invalid_argument);
}

}  // namespace
