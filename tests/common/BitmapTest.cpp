#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
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

// A picture over a shared plane holds the plane and the pixels painted over
// it; every way of reading it agrees with the pixels, copies keep their own
// paint, and painting much of it turns it into an ordinary picture.
TEST(BitmapFromPlane, SharedPlanePaintedOverReadsAsOnePicture) {
  auto plane = std::make_shared<TPlaneBoolean>(40, 40);
  for (int i = 0; i < 40; ++i) (*plane)[i][i] = 1;
  const TBitmap cut = TBitmap::FromSharedPlane(plane, 25, 50);
  EXPECT_EQ(cut.Width(), 25);
  EXPECT_EQ(cut.Height(), 40);  // clamped to the plane
  EXPECT_EQ(cut.Plane(), plane.get());

  TBitmap painted = cut;
  painted.Line(0, 7, 4, 7, kRed);
  painted.SetPixel(2, 7, kBlue);  // painted twice: the last colour stays
  EXPECT_EQ(painted.Plane(), plane.get());
  EXPECT_EQ(painted.PaintedCount(), 5u);
  EXPECT_EQ(painted.Pixel(2, 7), kBlue);
  EXPECT_EQ(cut.Pixel(2, 7), kWhite);
  EXPECT_TRUE(painted.SharesPixels(TBitmap(painted)));
  EXPECT_FALSE(painted.SharesPixels(cut));

  TBitmap ordinary(25, 40);
  for (int i = 0; i < 25; ++i) ordinary.SetPixel(i, i, kBlack);
  ordinary.Line(0, 7, 4, 7, kRed);
  ordinary.SetPixel(2, 7, kBlue);
  EXPECT_EQ(painted, ordinary);
  std::vector<TColor> scratch(25);
  const TBitmap materialised = painted;
  for (int y = 0; y < 40; ++y) {
    const TColor* read = painted.ReadRow(y, scratch.data());
    for (int x = 0; x < 25; ++x) {
      ASSERT_EQ(read[x], ordinary.Pixel(x, y)) << x << "," << y;
      ASSERT_EQ(materialised.Row(y)[x], ordinary.Pixel(x, y)) << x << "," << y;
    }
  }

  // More painted pixels than a sixteenth of the picture: four bytes a pixel from then on.
  for (int y = 10; y < 20; ++y) painted.Line(0, y, 24, y, kYellow);
  EXPECT_EQ(painted.Plane(), nullptr);
  EXPECT_EQ(painted.Pixel(30 - 20, 30 - 20), kYellow);
  EXPECT_EQ(painted.Pixel(22, 22), kBlack);

  TBitmap unfilled = TBitmap::WithoutFill(3, 2);
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 3; ++x) unfilled.MutableRow(y)[x] = static_cast<TColor>(10 * y + x);
  EXPECT_EQ(unfilled.Pixel(2, 1), 12u);
}

// A packed picture (three bytes a pixel, as loaded from a JPEG file) reads and
// compares like the ordinary one with the same pixels; painting a copy or
// asking it for a writable row widens only that copy.
TEST(BitmapPacked, ReadsLikeAnOrdinaryPictureAndWidensWhenWritten) {
  TBitmap packed = TBitmap::PackedWithoutFill(3, 2);
  TBitmap ordinary(3, 2);
  for (int y = 0; y < 2; ++y) {
    std::uint8_t* rgb = packed.MutablePackedRow(y);
    for (int x = 0; x < 3; ++x) {
      const TColor colour = static_cast<TColor>(0x102030 * (x + 1) + 0x050505 * y);
      rgb[3 * x] = static_cast<std::uint8_t>(colour);
      rgb[3 * x + 1] = static_cast<std::uint8_t>(colour >> 8);
      rgb[3 * x + 2] = static_cast<std::uint8_t>(colour >> 16);
      ordinary.SetPixel(x, y, colour);
    }
  }
  EXPECT_EQ(packed, ordinary);
  EXPECT_EQ(packed.Pixel(2, 1), ordinary.Pixel(2, 1));
  std::vector<TColor> scratch(3);
  EXPECT_EQ(packed.ReadRow(1, scratch.data())[1], ordinary.Pixel(1, 1));
  EXPECT_EQ(ordinary.PackedRow(0), nullptr);

  TBitmap painted = packed;
  EXPECT_TRUE(painted.SharesPixels(packed));
  painted.SetPixel(0, 0, kRed);
  EXPECT_EQ(painted.PackedRow(0), nullptr);  // widened to colour values
  EXPECT_EQ(painted.Pixel(0, 0), kRed);
  EXPECT_EQ(painted.Pixel(2, 1), ordinary.Pixel(2, 1));
  EXPECT_EQ(packed.Pixel(0, 0), ordinary.Pixel(0, 0));
  EXPECT_NE(packed.PackedRow(0), nullptr);
  EXPECT_EQ(packed.Row(1)[2], ordinary.Pixel(2, 1));  // Row widens the picture itself
  EXPECT_EQ(packed.PackedRow(0), nullptr);
  EXPECT_EQ(packed, ordinary);
}

// A detached copy reads the same, in the same form, and shares no storage:
// painting or widening either leaves the other as it was.
TEST(BitmapDetached, SameFormSamePixelsNothingShared) {
  auto plane = std::make_shared<TPlaneBoolean>(6, 4);
  (*plane)[1][2] = 1;
  TBitmap overPlane = TBitmap::FromSharedPlane(plane, 6, 4);
  overPlane.SetPixel(3, 3, kRed);
  TBitmap packed = TBitmap::PackedWithoutFill(6, 4);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 18; ++x) packed.MutablePackedRow(y)[x] = static_cast<std::uint8_t>(7 * x + y);
  TBitmap ordinary(6, 4);
  ordinary.SetPixel(5, 0, kBlue);

  for (TBitmap* original : {&overPlane, &packed, &ordinary}) {
    const TBitmap before = original->Detached();
    TBitmap copy = original->Detached();
    EXPECT_EQ(copy, *original);
    EXPECT_FALSE(copy.SharesPixels(*original));
    EXPECT_EQ(copy.Plane() != nullptr, original->Plane() != nullptr);
    EXPECT_EQ(copy.PackedRow(0) != nullptr, original->PackedRow(0) != nullptr);
    if (copy.Plane() != nullptr) {
      EXPECT_NE(copy.Plane(), original->Plane());
    }
    copy.SetPixel(0, 0, kYellow);
    EXPECT_EQ(*original, before);
    original->SetPixel(1, 1, kRed);
    original->Row(0);
    EXPECT_EQ(copy.Pixel(1, 1), before.Pixel(1, 1));
  }
}

}  // namespace
