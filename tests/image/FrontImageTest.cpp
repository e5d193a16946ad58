#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "common/Diagnosis.h"
#include "common/Surfaces.h"
#include "image/FrontImage.h"

namespace {

// 0x00BBGGRR from the three components.
std::int32_t Rgb(int red, int green, int blue) { return red | (green << 8) | (blue << 16); }
std::int32_t Grey(int v) { return Rgb(v, v, v); }

// The plane as rows of 0 and 1 separated by '/'.
std::string Rows(const TPlaneBoolean& plane) {
  std::string rows;
  for (std::int32_t y = 0; y < plane.Height(); ++y) {
    if (y > 0) rows += '/';
    for (std::int32_t x = 0; x < plane.Width(); ++x) rows += plane[x][y] ? '1' : '0';
  }
  return rows;
}

TEST(FrontImageGrey, WeightsThirtyFiftyNineElevenTruncated) {
  EXPECT_EQ(TFrontImage::Grey(Rgb(255, 0, 0)), 76);
  EXPECT_EQ(TFrontImage::Grey(Rgb(0, 255, 0)), 150);
  EXPECT_EQ(TFrontImage::Grey(Rgb(0, 0, 255)), 28);
  EXPECT_EQ(TFrontImage::Grey(Rgb(255, 255, 255)), 255);
  EXPECT_EQ(TFrontImage::Grey(Rgb(1, 0, 0)), 0);  // 30 / 100 truncates
  EXPECT_EQ(TFrontImage::Grey(Rgb(1, 1, 1)), 1);
  EXPECT_EQ(TFrontImage::Grey(Rgb(0, 0, 255) | static_cast<std::int32_t>(0xFF000000u)), 28);  // top byte ignored
}

TEST(FrontImageThreshold, MiddleRowSumOverWidthMinusOneOffsetAddedTieLight) {
  TSurfaces surfaces;
  TFrontImage front(surfaces);
  EXPECT_EQ(front.Offset(), 7);
  // 4 * 128 / 3 = 170; 128 + 7 is dark. Dividing by W would give 128: light.
  EXPECT_EQ(Rows(front.Binarize(TPlaneInteger(4, 1, Grey(128)), 4, 1)), "1111");
  EXPECT_EQ(front.Threshold(), 170);
  // Only row H div 2 counts: (0 + 60 + 60) / 2 = 60.
  for (const std::int32_t height : {1, 2, 4, 5}) {
    TPlaneInteger colours(3, height, Grey(0));
    colours[1][height / 2] = colours[2][height / 2] = Grey(60);
    front.Binarize(colours, 3, height);
    EXPECT_EQ(front.Threshold(), 60) << "height " << height;
  }
  // Middle row 0 and 200: threshold 200. Top row 190 and 189, bottom row 72 and 71.
  TPlaneInteger colours(2, 3, Grey(0));
  colours[1][1] = Grey(200);
  colours[0][0] = Grey(190);
  colours[1][0] = Grey(189);
  colours[0][2] = Grey(72);
  colours[1][2] = Grey(71);
  front.SetOffset(10);  // 190 + 10 = 200: a tie, light; 199 dark
  EXPECT_EQ(Rows(front.Binarize(colours, 2, 3)), "01/10/11");
  EXPECT_EQ(front.Threshold(), 200);
  front.SetOffset(128);  // 72 + 128 = 200 light, 71 + 128 dark; black stays dark
  EXPECT_EQ(Rows(front.Binarize(colours, 2, 3)), "00/10/01");
  front.SetOffset(-1);
  EXPECT_EQ(Rows(front.Binarize(colours, 2, 3)), "11/11/11");  // 200 - 1 is dark too
}

// The extreme offsets move the threshold past the ends of the grey scale; the
// comparison must still follow grey + offset < T to the grey level. Rows:
// white and black, the middle row (which sets T), black and white.
TEST(FrontImageThreshold, ExtremeOffsetsKeepTheComparisonExact) {
  struct TCase {
    std::int32_t offset;
    int middle0, middle1;  // T = middle0 + middle1 (W - 1 = 1)
    const char* rows;
  };
  const std::vector<TCase> cases = {
      {-128, 127, 0, "01/11/10"},    // white: 255 - 128 = T, a tie: light
      {-128, 128, 0, "11/11/11"},    // white: 127 < 128: dark
      {-128, 255, 255, "11/11/11"},  // T = 510, far above white
      {128, 129, 0, "01/01/10"},     // black: 128 < 129: dark
      {128, 128, 0, "00/00/00"},     // black: 128 = T, a tie: light
      {128, 0, 0, "00/00/00"},       // T = 0: nothing is dark
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(testing::Message() << "offset " << c.offset << ", T " << c.middle0 + c.middle1);
    TPlaneInteger colours(2, 3);
    colours[0][0] = colours[1][2] = Grey(255);
    colours[1][0] = colours[0][2] = Grey(0);
    colours[0][1] = Grey(c.middle0);
    colours[1][1] = Grey(c.middle1);
    // The colour plane, a picture of colours and a packed photograph take three ways through the binarizer.
    TBitmap picture(2, 3);
    TBitmap packed = TBitmap::PackedWithoutFill(2, 3);
    for (std::int32_t y = 0; y < 3; ++y)
      for (std::int32_t x = 0; x < 2; ++x) {
        picture.SetPixel(x, y, static_cast<TColor>(colours[x][y]));
        std::uint8_t* rgb = packed.MutablePackedRow(y) + 3 * x;
        rgb[0] = rgb[1] = rgb[2] = static_cast<std::uint8_t>(colours[x][y] & 0xFF);
      }
    TSurfaces surfaces;
    TFrontImage front(surfaces);
    front.SetOffset(c.offset);
    EXPECT_EQ(Rows(front.Binarize(colours, 2, 3)), c.rows);
    EXPECT_EQ(front.Threshold(), c.middle0 + c.middle1);
    EXPECT_EQ(Rows(front.Binarize(picture)), c.rows);
    EXPECT_EQ(Rows(front.Binarize(packed)), c.rows);
  }
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
  EXPECT_EQ(Rows(plane), "0100/0010/0001");
  EXPECT_EQ(front.Threshold(), 209);
  EXPECT_EQ(surfaces.Image(TImagePaneId::FrontImage).CurrentPicture(), TBitmap::FromPlane(plane));

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

// Keeps the figures the binarizer hands over.
class TFigures : public TDecodeObserver {
 public:
  void Enter(TStage) override {}
  void Binarized(const TBinarizationFigures& figures) override { last = figures; }
  TBinarizationFigures last;
};

// The dark pixels are counted eight bytes at a time and summed every 255
// words: widths around those steps, against a plain count of the plane.
TEST(FrontImageFigures, DarkPixelsThresholdAndMiddleRowAsMeasured) {
  TSurfaces surfaces;
  TFigures figures;
  TFrontImage front(surfaces, figures);
  // All black but one pixel, which fills every byte sum: the threshold is 0, the offset makes black dark.
  front.SetOffset(-128);
  for (const std::int32_t width : {2040, 2041, 4103}) {
    TBitmap picture(width, 3);
    for (std::int32_t y = 0; y < 3; ++y)
      for (std::int32_t x = 0; x < width; ++x) picture.SetPixel(x, y, kBlack);
    picture.SetPixel(width - 1, 1, kWhite);
    front.Binarize(picture);
    EXPECT_EQ(figures.last.darkPixels, 3 * width - 1) << width;
  }
  front.SetOffset(7);
  for (const std::int32_t width : {2, 7, 8, 9, 2039, 2040, 2041, 2048, 4103}) {
    TBitmap picture(width, 3);
    // A pattern that is no multiple of eight: grey levels 0, 50 .. 250 in turn.
    for (std::int32_t y = 0; y < 3; ++y)
      for (std::int32_t x = 0; x < width; ++x) picture.SetPixel(x, y, static_cast<TColor>(Grey((x * 7 + y * 3) % 6 * 50)));
    const TPlaneBoolean& plane = front.Binarize(picture);
    std::int64_t dark = 0;
    for (std::int32_t y = 0; y < 3; ++y)
      for (std::int32_t x = 0; x < width; ++x) dark += plane[x][y];
    const TBinarizationFigures& f = figures.last;
    EXPECT_EQ(f.darkPixels, dark) << width;
    EXPECT_EQ(f.threshold, front.Threshold());
    EXPECT_EQ(f.offset, 7);
    ASSERT_EQ(f.middleRow.size(), static_cast<std::size_t>(width));
    std::int64_t inHistogram = 0;
    for (std::int32_t x = 0; x < width; ++x) {
      EXPECT_EQ(f.middleRow[static_cast<std::size_t>(x)], (x * 7 + 3) % 6 * 50);
      // Dark exactly below T - Resolver.
      EXPECT_EQ(plane[x][1] != 0, f.middleRow[static_cast<std::size_t>(x)] < f.DarkBelow());
    }
    for (const std::int64_t n : f.middleRowHistogram) inHistogram += n;
    EXPECT_EQ(inHistogram, width);
  }
}

TEST(FrontImageFigures, PictureHistogramAlikeForPackedAndColourPictures) {
  TBitmap colours(5, 2);
  TBitmap packed = TBitmap::PackedWithoutFill(5, 2);
  for (std::int32_t y = 0; y < 2; ++y)
    for (std::int32_t x = 0; x < 5; ++x) {
      const int red = 40 * x, green = 100 + 10 * y, blue = 255 - x;
      colours.SetPixel(x, y, static_cast<TColor>(Rgb(red, green, blue)));
      std::uint8_t* rgb = packed.MutablePackedRow(y) + 3 * x;
      rgb[0] = static_cast<std::uint8_t>(red);
      rgb[1] = static_cast<std::uint8_t>(green);
      rgb[2] = static_cast<std::uint8_t>(blue);
    }
  const TGreyHistogram histogram = TFrontImage::GreyHistogram(colours);
  EXPECT_EQ(TFrontImage::GreyHistogram(packed), histogram);
  TGreyHistogram expected{};
  for (std::int32_t y = 0; y < 2; ++y)
    for (std::int32_t x = 0; x < 5; ++x) ++expected[static_cast<std::size_t>(TFrontImage::Grey(static_cast<std::int32_t>(colours.Pixel(x, y))))];
  EXPECT_EQ(histogram, expected);
  EXPECT_EQ(TFrontImage::GreyHistogram(TBitmap()), TGreyHistogram{});
}

}  // namespace
