#include <gtest/gtest.h>

#include <stdexcept>
#include <tuple>

#include "common/Surfaces.h"
#include "image/FrontImage.h"

namespace {

// 0x00BBGGRR from the three components.
std::int32_t Rgb(int red, int green, int blue) { return red | (green << 8) | (blue << 16); }
std::int32_t GreyColour(int v) { return Rgb(v, v, v); }

TPlaneInteger Filled(std::int32_t width, std::int32_t height, std::int32_t colour) {
  return TPlaneInteger(width, height, colour);
}

struct Binarizer {
  TSurfaces surfaces;
  TFrontImage front{surfaces};
  const TBitmap& Picture() const { return surfaces.Image(TImagePaneId::FrontImage).CurrentPicture(); }
};

}  // namespace

TEST(FrontImageGrey, WeightsAreThirtyFiftyNineElevenTruncated) {
  EXPECT_EQ(TFrontImage::Grey(Rgb(255, 0, 0)), 76);
  EXPECT_EQ(TFrontImage::Grey(Rgb(0, 255, 0)), 150);
  EXPECT_EQ(TFrontImage::Grey(Rgb(0, 0, 255)), 28);
  EXPECT_EQ(TFrontImage::Grey(Rgb(255, 255, 255)), 255);
  // 30 / 100 truncates to 0; 30 + 59 + 11 = 100 gives exactly 1.
  EXPECT_EQ(TFrontImage::Grey(Rgb(1, 0, 0)), 0);
  EXPECT_EQ(TFrontImage::Grey(Rgb(1, 1, 1)), 1);
  // Red is the lowest byte, blue the third; the top byte is ignored.
  EXPECT_EQ(TFrontImage::Grey(Rgb(0, 0, 255) | static_cast<std::int32_t>(0xFF000000u)), 28);
}

TEST(FrontImageThreshold, PureGreyDividesByWidthMinusOne) {
  Binarizer b;
  const TPlaneInteger grey = Filled(100, 3, GreyColour(128));
  // 100 * 128 / 99 = 129; 128 + 7 >= 129, so everything is light.
  const TPlaneBoolean& light = b.front.Binarize(grey, 100, 3);
  EXPECT_EQ(b.front.Threshold(), 129);
  for (std::int32_t y = 0; y < 3; ++y)
    for (std::int32_t x = 0; x < 100; ++x) ASSERT_EQ(light[x][y], 0);
  b.front.SetOffset(-2);
  const TPlaneBoolean& dark = b.front.Binarize(grey, 100, 3);
  for (std::int32_t y = 0; y < 3; ++y)
    for (std::int32_t x = 0; x < 100; ++x) ASSERT_EQ(dark[x][y], 1);
}

TEST(FrontImageThreshold, TwoColumnsDivideByOne) {
  Binarizer b;
  b.front.SetOffset(0);
  TPlaneInteger colours(2, 1);
  colours[0][0] = GreyColour(100);
  colours[1][0] = GreyColour(101);
  // (100 + 101) / 1 = 201: both pixels are dark. Dividing by W would give 100
  // and leave both light.
  const TPlaneBoolean& plane = b.front.Binarize(colours, 2, 1);
  EXPECT_EQ(b.front.Threshold(), 201);
  EXPECT_EQ(plane[0][0], 1);
  EXPECT_EQ(plane[1][0], 1);
}

TEST(FrontImageThreshold, OnlyTheMiddleRowCounts) {
  for (const std::int32_t height : {1, 2, 4, 5}) {
    Binarizer b;
    TPlaneInteger colours(3, height, GreyColour(0));
    // Every other row is black; the middle row H div 2 is 60.
    for (std::int32_t x = 0; x < 3; ++x) colours[x][height / 2] = GreyColour(60);
    b.front.Binarize(colours, 3, height);
    EXPECT_EQ(b.front.Threshold(), 90) << "height " << height;  // 180 / 2
  }
}

TEST(FrontImageDecision, TieIsLightAndOffsetIsAddedToTheGrey) {
  Binarizer b;
  // Middle row: 0 and 200, threshold 200 / 1 = 200.
  TPlaneInteger colours(2, 3, GreyColour(0));
  colours[1][1] = GreyColour(200);
  colours[0][0] = GreyColour(190);  // 190 + 10 = 200: tie, light
  colours[1][0] = GreyColour(189);  // 199 < 200: dark
  colours[0][2] = GreyColour(72);   // 72 + 128 = 200: light with offset 128
  colours[1][2] = GreyColour(71);   // 71 + 128 = 199: dark
  b.front.SetOffset(10);
  const TPlaneBoolean& ten = b.front.Binarize(colours, 2, 3);
  EXPECT_EQ(b.front.Threshold(), 200);
  EXPECT_EQ(ten[0][0], 0);
  EXPECT_EQ(ten[1][0], 1);
  b.front.SetOffset(128);
  const TPlaneBoolean& most = b.front.Binarize(colours, 2, 3);
  EXPECT_EQ(most[0][2], 0);
  EXPECT_EQ(most[1][2], 1);
  EXPECT_EQ(most[0][0], 0);  // 190 + 128 is far above
  EXPECT_EQ(most[0][1], 1);  // black stays dark: 0 + 128 < 200
  // A negative offset makes more pixels dark: 200 - 1 < 200.
  b.front.SetOffset(-1);
  EXPECT_EQ(b.front.Binarize(colours, 2, 3)[1][1], 1);
}

TEST(FrontImagePicture, PaneShowsThePlaneInBlackAndWhite) {
  Binarizer b;
  EXPECT_EQ(b.front.Offset(), 7);
  b.front.SetOffset(20);
  TPlaneInteger colours(4, 3, GreyColour(200));
  colours[1][0] = Rgb(255, 0, 0);  // grey 76
  colours[2][1] = Rgb(0, 0, 255);  // grey 28
  colours[3][2] = Rgb(0, 255, 0);  // grey 150
  const TPlaneBoolean& plane = b.front.Binarize(colours, 4, 3);
  // Middle row: (200 + 200 + 28 + 200) / 3 = 209; 200 + 20 is light, the colours dark.
  EXPECT_EQ(b.front.Threshold(), 209);
  ASSERT_EQ(b.Picture().Width(), 4);
  ASSERT_EQ(b.Picture().Height(), 3);
  for (std::int32_t y = 0; y < 3; ++y)
    for (std::int32_t x = 0; x < 4; ++x) {
      const bool coloured = (x == 1 && y == 0) || (x == 2 && y == 1) || (x == 3 && y == 2);
      EXPECT_EQ(plane[x][y], coloured ? 1 : 0) << x << "," << y;
      EXPECT_EQ(b.Picture().Pixel(x, y), coloured ? kBlack : kWhite) << x << "," << y;
    }
}

TEST(FrontImagePicture, EmptyPictureGivesEmptyPlaneAndReplacesThePane) {
  Binarizer b;
  b.surfaces.Image(TImagePaneId::FrontImage).ReplacePicture(TBitmap(5, 5));
  const TPlaneBoolean& plane = b.front.Binarize(TPlaneInteger(), 0, 0);
  EXPECT_EQ(b.front.Threshold(), 0);
  EXPECT_TRUE(plane.Empty());
  EXPECT_EQ(b.Picture().Width(), 0);
  EXPECT_EQ(b.Picture().Height(), 0);
}

TEST(FrontImagePicture, PictureReadFromABitmapMatchesTheColourPlaneAndSharesThePlane) {
  Binarizer b;
  TPlaneInteger colours(5, 3, GreyColour(220));
  TBitmap picture(5, 3);
  for (const auto& [x, y, colour] : {std::tuple{0, 0, Rgb(10, 200, 30)}, std::tuple{4, 1, Rgb(90, 90, 90)},
                                     std::tuple{2, 2, Rgb(200, 120, 255)}}) {
    colours[x][y] = colour;
  }
  for (std::int32_t y = 0; y < 3; ++y)
    for (std::int32_t x = 0; x < 5; ++x) picture.SetPixel(x, y, static_cast<TColor>(colours[x][y]));
  const TPlaneBoolean fromColours = b.front.Binarize(colours, 5, 3);
  const std::int32_t threshold = b.front.Threshold();
  const TBitmap firstPicture = b.Picture();
  const TPlaneBoolean& fromPicture = b.front.Binarize(picture);
  EXPECT_EQ(b.front.Threshold(), threshold);
  for (std::int32_t y = 0; y < 3; ++y)
    for (std::int32_t x = 0; x < 5; ++x) EXPECT_EQ(fromPicture[x][y], fromColours[x][y]) << x << "," << y;
  // The pane shows the plane itself, and the plane shown before is left as it was.
  EXPECT_EQ(b.Picture().Plane(), &fromPicture);
  EXPECT_NE(firstPicture.Plane(), &fromPicture);
  EXPECT_EQ(firstPicture, b.Picture());
}

TEST(FrontImageRefusal, SizesWithoutThresholdAreRefused) {
  Binarizer b;
  EXPECT_THROW(b.front.Binarize(TPlaneInteger(1, 50), 1, 50), std::invalid_argument);
  EXPECT_THROW(b.front.Binarize(TPlaneInteger(0, 3), 0, 3), std::invalid_argument);
  EXPECT_THROW(b.front.Binarize(TPlaneInteger(5, 0), 5, 0), std::invalid_argument);
  EXPECT_THROW(b.front.Binarize(TPlaneInteger(4, 4), 5, 4), std::invalid_argument);
  EXPECT_FALSE(TFrontImage::CanBinarize(1, 1));
  EXPECT_TRUE(TFrontImage::CanBinarize(0, 0));
  EXPECT_TRUE(TFrontImage::CanBinarize(2, 1));
}
