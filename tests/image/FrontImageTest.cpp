#include <gtest/gtest.h>

#include <stdexcept>

#include "ModulePlanes.h"
#include "common/Surfaces.h"
#include "image/FrontImage.h"

namespace {

using testing_support::SamePlane;

// 0x00BBGGRR from the three components.
std::int32_t Rgb(int red, int green, int blue) { return red | (green << 8) | (blue << 16); }
std::int32_t Grey(int v) { return Rgb(v, v, v); }

TEST(FrontImageGrey, WeightsThirtyFiftyNineElevenTruncated) {
  EXPECT_EQ(TFrontImage::Grey(Rgb(255, 0, 0)), 76);
  EXPECT_EQ(TFrontImage::Grey(Rgb(0, 255, 0)), 150);
  EXPECT_EQ(TFrontImage::Grey(Rgb(0, 0, 255)), 28);
  EXPECT_EQ(TFrontImage::Grey(Rgb(255, 255, 255)), 255);
  EXPECT_EQ(TFrontImage::Grey(Rgb(1, 0, 0)), 0);  // 30 / 100 truncates
  EXPECT_EQ(TFrontImage::Grey(Rgb(1, 1, 1)), 1);
  EXPECT_EQ(TFrontImage::Grey(Rgb(0, 0, 255) | static_cast<std::int32_t>(0xFF000000u)), 28);  // top byte ignored
}

TEST(FrontImageThreshold, MiddleRowSumOverWidthMinusOne) {
  TSurfaces surfaces;
  TFrontImage front(surfaces);
  EXPECT_EQ(front.Offset(), 7);
  // 100 * 128 / 99 = 129; 128 + 7 >= 129: all light. With offset -2 all dark.
  const TPlaneInteger grey(100, 3, Grey(128));
  EXPECT_TRUE(SamePlane(front.Binarize(grey, 100, 3), TPlaneBoolean(100, 3, 0)));
  EXPECT_EQ(front.Threshold(), 129);
  front.SetOffset(-2);
  EXPECT_TRUE(SamePlane(front.Binarize(grey, 100, 3), TPlaneBoolean(100, 3, 1)));
  // Two columns divide by 1: (100 + 101) / 1 = 201, both dark (dividing by W would leave both light).
  front.SetOffset(0);
  TPlaneInteger two(2, 1, Grey(100));
  two[1][0] = Grey(101);
  EXPECT_TRUE(SamePlane(front.Binarize(two, 2, 1), TPlaneBoolean(2, 1, 1)));
  EXPECT_EQ(front.Threshold(), 201);
  // Only row H div 2 counts.
  for (const std::int32_t height : {1, 2, 4, 5}) {
    TPlaneInteger colours(3, height, Grey(0));
    for (std::int32_t x = 0; x < 3; ++x) colours[x][height / 2] = Grey(60);
    front.Binarize(colours, 3, height);
    EXPECT_EQ(front.Threshold(), 90) << "height " << height;  // 180 / 2
  }
}

TEST(FrontImageDecision, OffsetIsAddedToTheGreyAndATieIsLight) {
  TSurfaces surfaces;
  TFrontImage front(surfaces);
  // Middle row 0 and 200: threshold 200. Top row 190 and 189, bottom row 72 and 71.
  TPlaneInteger colours(2, 3, Grey(0));
  colours[1][1] = Grey(200);
  colours[0][0] = Grey(190);
  colours[1][0] = Grey(189);
  colours[0][2] = Grey(72);
  colours[1][2] = Grey(71);
  const auto plane = [](std::uint8_t a, std::uint8_t b, std::uint8_t c, std::uint8_t d, std::uint8_t e, std::uint8_t f) {
    TPlaneBoolean p(2, 3);
    p[0][0] = a, p[1][0] = b, p[0][1] = c, p[1][1] = d, p[0][2] = e, p[1][2] = f;
    return p;
  };
  front.SetOffset(10);  // 190 + 10 = 200: a tie, light; 199 dark
  EXPECT_TRUE(SamePlane(front.Binarize(colours, 2, 3), plane(0, 1, 1, 0, 1, 1)));
  EXPECT_EQ(front.Threshold(), 200);
  front.SetOffset(128);  // 72 + 128 = 200 light, 71 + 128 dark; black stays dark
  EXPECT_TRUE(SamePlane(front.Binarize(colours, 2, 3), plane(0, 0, 1, 0, 0, 1)));
  front.SetOffset(-1);
  EXPECT_EQ(front.Binarize(colours, 2, 3)[1][1], 1);
}

TEST(FrontImagePicture, PaneShowsThePlaneAndOddSizesAreRefused) {
  TSurfaces surfaces;
  TFrontImage front(surfaces);
  front.SetOffset(20);
  TPlaneInteger colours(4, 3, Grey(200));
  colours[1][0] = Rgb(255, 0, 0);  // grey 76
  colours[2][1] = Rgb(0, 0, 255);  // grey 28
  colours[3][2] = Rgb(0, 255, 0);  // grey 150
  // Middle row: (200 + 200 + 28 + 200) / 3 = 209; 200 + 20 is light, the colours dark.
  const TPlaneBoolean& plane = front.Binarize(colours, 4, 3);
  EXPECT_EQ(front.Threshold(), 209);
  TPlaneBoolean expected(4, 3);
  expected[1][0] = expected[2][1] = expected[3][2] = 1;
  EXPECT_TRUE(SamePlane(plane, expected));
  EXPECT_EQ(surfaces.Image(TImagePaneId::FrontImage).CurrentPicture(), TBitmap::FromPlane(expected));

  // The empty picture: threshold 0, an empty plane, and an empty picture replaces the pane.
  EXPECT_TRUE(front.Binarize(TPlaneInteger(), 0, 0).Empty());
  EXPECT_EQ(front.Threshold(), 0);
  EXPECT_EQ(surfaces.Image(TImagePaneId::FrontImage).CurrentPicture().Width(), 0);
  for (const auto& [width, height] : {std::pair{1, 50}, {0, 3}, {5, 0}})
    EXPECT_THROW(front.Binarize(TPlaneInteger(width, height), width, height), std::invalid_argument);
  EXPECT_THROW(front.Binarize(TPlaneInteger(4, 4), 5, 4), std::invalid_argument);
  EXPECT_FALSE(TFrontImage::CanBinarize(1, 1));
  EXPECT_TRUE(TFrontImage::CanBinarize(0, 0));
  EXPECT_TRUE(TFrontImage::CanBinarize(2, 1));
}

}  // namespace
