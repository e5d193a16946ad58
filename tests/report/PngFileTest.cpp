#include <gtest/gtest.h>

#include <QByteArray>
#include <QImage>

#include <memory>
#include <string>
#include <vector>

#include "PhotoScene.h"
#include "TestSymbols.h"
#include "report/PngFile.h"

using namespace testing_support;

namespace {

// The picture a PNG file holds, as Qt reads it.
QImage Read(const std::string& file) {
  return QImage::fromData(QByteArray(file.data(), static_cast<qsizetype>(file.size())), "PNG")
      .convertToFormat(QImage::Format_RGB32);
}

void ExpectSamePixels(const std::string& file, const TBitmap& picture) {
  const QImage image = Read(file);
  ASSERT_EQ(image.width(), picture.Width());
  ASSERT_EQ(image.height(), picture.Height());
  for (int y = 0; y < picture.Height(); ++y)
    for (int x = 0; x < picture.Width(); ++x) {
      const TColor c = picture.Pixel(x, y);
      ASSERT_EQ(image.pixel(x, y), qRgb(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF)) << x << "," << y;
    }
}

// Bit depth and colour type from the file's header (IHDR).
int Depth(const std::string& file) { return static_cast<unsigned char>(file.at(24)); }
int ColourType(const std::string& file) { return static_cast<unsigned char>(file.at(25)); }
constexpr int kRgb = 2;
constexpr int kPalette = 3;

TBitmap OverPlane(std::int32_t width, std::int32_t height, int colours) {
  auto plane = std::make_shared<TPlaneBoolean>(width, height);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) (*plane)[x][y] = (x * 7 + y * 3) % 5 < 2;
  TBitmap picture = TBitmap::FromSharedPlane(plane, width, height);
  for (int k = 0; k < colours; ++k) picture.SetPixel(k % width, (k / width) % height, static_cast<TColor>(0x010203 * (k + 1)));
  return picture;
}

TBitmap Photo() {
  TPhotoOptions options;
  options.width = 160;
  options.height = 120;
  options.moduleSize = 3;
  return RenderPhoto(EncodeBytes("png", 1, 1), options);
}

TEST(PngFile, EveryFormOfPictureKeepsItsPixelsInTheSmallestFittingForm) {
  TBitmap modules(21, 21);
  modules.SetPixel(3, 4, kBlack);
  modules.SetPixel(5, 6, kRed);
  TBitmap packed = TBitmap::PackedWithoutFill(9, 5);
  for (int y = 0; y < 5; ++y)
    for (int x = 0; x < 27; ++x) packed.MutablePackedRow(y)[x] = static_cast<std::uint8_t>(x * 9 + y);
  struct TCase {
    const char* name;
    TBitmap picture;
    int depth;
    int colourType;
  };
  const std::vector<TCase> cases = {
      {"bare plane, width not a multiple of 8", OverPlane(13, 7, 0), 1, kPalette},
      {"plane with two painted colours", OverPlane(40, 30, 2), 2, kPalette},
      {"plane with ten painted colours", OverPlane(40, 30, 10), 4, kPalette},
      {"plane with 250 painted colours", OverPlane(200, 150, 250), 8, kPalette},
      {"plane with 260 painted colours", OverPlane(200, 150, 260), 8, kRgb},
      {"module picture", modules, 2, kPalette},
      {"one white pixel", TBitmap(1, 1), 1, kPalette},
      {"packed photograph", packed, 8, kRgb},
      {"rendered photograph", Photo(), 8, kRgb},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string file = TPngPicture(c.picture).Encode();
    EXPECT_EQ(Depth(file), c.depth);
    EXPECT_EQ(ColourType(file), c.colourType);
    ExpectSamePixels(file, c.picture);
  }
  EXPECT_THROW(TPngPicture(TBitmap()).Encode(), std::invalid_argument);
}

}  // namespace
