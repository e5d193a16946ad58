// The toolkit-free writers: JPEG coded and decoded in memory, BMP, read back
// by the picture loader.

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "TempFolder.h"
#include "TestSymbols.h"
#include "picture/BmpFile.h"
#include "picture/JpegFile.h"
#include "picture/PictureLoader.h"

using namespace testing_support;

namespace {

TBitmap Gradient(int width, int height) {
  TBitmap bitmap(width, height);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      bitmap.SetPixel(x, y, static_cast<TColor>(x * 3) | static_cast<TColor>(y * 5) << 8 | 0x400000);
  return bitmap;
}

int LargestDifference(const TBitmap& a, const TBitmap& b) {
  int largest = 0;
  for (int y = 0; y < a.Height(); ++y)
    for (int x = 0; x < a.Width(); ++x)
      for (int c = 0; c < 3; ++c)
        largest = std::max(largest, std::abs(static_cast<int>((a.Pixel(x, y) >> (8 * c)) & 0xFF) -
                                             static_cast<int>((b.Pixel(x, y) >> (8 * c)) & 0xFF)));
  return largest;
}

class PictureWriters : public TTempFolderTest {
 protected:
  PictureWriters() : TTempFolderTest("picture_writers") {}
};

TEST_F(PictureWriters, JpegComesBackCloseAndTheLoaderReadsTheSame) {
  const TBitmap picture = Gradient(67, 41);
  const std::string file = EncodeJpeg(picture, 95);
  const TBitmap back = DecodeJpeg(file);
  ASSERT_EQ(back.Width(), 67);
  ASSERT_EQ(back.Height(), 41);
  EXPECT_LE(LargestDifference(picture, back), 12);
  // Lower quality, smaller file; grey and progressive files decode too.
  EXPECT_LT(EncodeJpeg(picture, 10).size(), file.size());
  const TBitmap grey = DecodeJpeg(EncodeJpeg(picture, 90, {.progressive = true, .grey = true}));
  EXPECT_EQ(grey.Pixel(5, 5) & 0xFF, (grey.Pixel(5, 5) >> 8) & 0xFF);
  WriteFile(Path("p.jpg"), file);
  EXPECT_EQ(*LoadPicture(Path("p.jpg")), back);
}

TEST_F(PictureWriters, JpegRefusesWhatItCannotCodeOrRead) {
  EXPECT_THROW(EncodeJpeg(TBitmap(), 90), TJpegError);
  EXPECT_THROW(EncodeJpeg(Gradient(4, 4), 90, {.progressive = true, .scans = 65}), TJpegError);
  EXPECT_THROW(DecodeJpeg(""), TJpegError);
  EXPECT_THROW(DecodeJpeg("not a JPEG file"), TJpegError);
  const std::string file = EncodeJpeg(Gradient(40, 40), 80);
  EXPECT_THROW(DecodeJpeg(file.substr(0, file.size() / 2)), TJpegError);
}

TEST_F(PictureWriters, BmpIsTheSamePictureWhateverItsRowPadding) {
  for (const int width : {1, 2, 3, 4, 5}) {
    const TBitmap picture = Gradient(width, 3);
    WriteFile(Path("p.bmp"), EncodeBmp(picture));
    EXPECT_EQ(*LoadPicture(Path("p.bmp")), picture) << width;
  }
}

}  // namespace
