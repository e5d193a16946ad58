#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include <jpeglib.h>

#include "TempFolder.h"
#include "TestPng.h"
#include "TestSymbols.h"
#include "picture/PictureLoader.h"

namespace fs = std::filesystem;
using namespace testing_support;

namespace {

class PictureFiles : public TTempFolderTest {
 protected:
  PictureFiles() : TTempFolderTest("loader") {}
};

// Four blocks of distinct colours (0x00BBGGRR), large enough that JPEG keeps them.
TBitmap Blocks(int width, int height) {
  TBitmap bitmap(width, height);
  const TColor colours[4] = {0x0000C0, 0x00C000, 0xC00000, 0x404040};
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) bitmap.SetPixel(x, y, colours[(x * 2 / width) + 2 * (y * 2 / height)]);
  return bitmap;
}

// A JPEG in another colour space than RGB, every sample `value`: greyscale (one
// component) or CMYK (four components).
void WriteJpegIn(J_COLOR_SPACE space, int components, const std::string& path, int width, int height, int value) {
  FILE* out = std::fopen(path.c_str(), "wb");
  ASSERT_NE(out, nullptr);
  jpeg_compress_struct info{};
  jpeg_error_mgr errors{};
  info.err = jpeg_std_error(&errors);
  jpeg_create_compress(&info);
  jpeg_stdio_dest(&info, out);
  info.image_width = static_cast<JDIMENSION>(width);
  info.image_height = static_cast<JDIMENSION>(height);
  info.input_components = components;
  info.in_color_space = space;
  jpeg_set_defaults(&info);
  jpeg_set_quality(&info, 100, TRUE);
  jpeg_start_compress(&info, TRUE);
  std::vector<JSAMPLE> row(static_cast<std::size_t>(width * components), static_cast<JSAMPLE>(value));
  for (JSAMPROW rows[1] = {row.data()}; info.next_scanline < info.image_height;) jpeg_write_scanlines(&info, rows, 1);
  jpeg_finish_compress(&info);
  jpeg_destroy_compress(&info);
  std::fclose(out);
}

}  // namespace

TEST_F(PictureFiles, KindsAreChosenByTheLowerCasedExtension) {
  EXPECT_EQ(LowerCaseExtension("/a/PHOTO.JPG"), ".jpg");
  EXPECT_EQ(LowerCaseExtension("x.tar.BMP"), ".bmp");
  EXPECT_EQ(LowerCaseExtension("/dir.jpg/picture"), "");
  EXPECT_EQ(PictureExtensions(), (std::vector<std::string>{".jpg", ".jpeg", ".bmp", ".png"}));
  EXPECT_EQ(PictureExtensionList(), ".jpg, .jpeg, .bmp or .png");
  for (const auto& [name, format] : std::vector<std::pair<std::string, std::optional<TPictureFormat>>>{
           {"a.JPEG", TPictureFormat::Jpeg}, {"b.Bmp", TPictureFormat::Bmp}, {"/x.gif/c.PNG", TPictureFormat::Png},
           {"d.png.txt", std::nullopt}, {"/e.png/f", std::nullopt}, {"png", std::nullopt}}) {
    EXPECT_EQ(FormatOfName(name), format) << name;
    EXPECT_EQ(IsPictureFileName(name), format.has_value()) << name;
  }

  // BMP pixel for pixel, odd width (rows padded in the file).
  TBitmap marked = Blocks(13, 7);
  marked.SetPixel(0, 0, 0x123456);
  marked.SetPixel(12, 6, 0xFEDCBA);
  for (const std::string name : {"scan.bmp", "SCAN.BMP"}) {
    WriteBmp(marked, Path(name));
    EXPECT_EQ(LoadPicture(Path(name)).value(), marked) << name;
  }
  // JPEG in colour: block centres keep their colours; the top byte of the colour value is 0.
  const TBitmap picture = Blocks(64, 48);
  for (const std::string name : {"photo.jpg", "PHOTO.JPG", "Photo.JPEG"}) {
    WriteJpeg(picture, Path(name), 95);
    const auto loaded = LoadPicture(Path(name));
    ASSERT_TRUE(loaded.has_value()) << name;
    ASSERT_EQ(loaded->Width(), 64);
    ASSERT_EQ(loaded->Height(), 48);
    for (const auto& [x, y] : {std::pair{8, 8}, std::pair{56, 8}, std::pair{8, 40}, std::pair{56, 40}}) {
      for (int shift = 0; shift < 24; shift += 8)
        EXPECT_NEAR((loaded->Pixel(x, y) >> shift) & 0xFF, (picture.Pixel(x, y) >> shift) & 0xFF, 6) << name;
      EXPECT_EQ(loaded->Pixel(x, y) >> 24, 0u);
    }
  }
  // A greyscale JPEG becomes grey colour.
  WriteJpegIn(JCS_GRAYSCALE, 1, Path("grey.jpg"), 20, 10, 77);
  const auto grey = LoadPicture(Path("grey.jpg"));
  ASSERT_TRUE(grey.has_value());
  ASSERT_EQ(grey->Width(), 20);
  for (int y = 0; y < 10; ++y)
    for (int x = 0; x < 20; ++x) ASSERT_EQ(grey->Pixel(x, y), 0x4D4D4Du) << x << "," << y;

  // PNG pixel for pixel, whatever the case of its extension.
  for (const std::string name : {"scan.png", "SCAN.PNG", "Scan.Png"}) {
    WritePng(marked, Path(name));
    EXPECT_EQ(LoadPicture(Path(name)).value(), marked) << name;
  }

  // Any other extension loads nothing.
  WriteBmp(marked, Path("picture.gif"));
  EXPECT_FALSE(LoadPicture(Path("picture.gif")).has_value());
  EXPECT_FALSE(LoadPicture(Path("noextension")).has_value());
}

TEST_F(PictureFiles, BadFilesAreRefusedWithOneLineNamingFileAndReason) {
  WriteJpeg(Blocks(64, 64), Path("whole.jpg"), 90);
  const std::string jpeg = ReadFile(Path("whole.jpg"));
  WriteBmp(Blocks(40, 40), Path("whole.bmp"));
  const std::string bmp = ReadFile(Path("whole.bmp"));
  std::mt19937 random(7);
  std::string noise(4096, '\0');
  for (char& c : noise) c = static_cast<char>(random() & 0xFF);
  // Huge declared sizes: in the JPEG frame header (FF C0, length, precision, then
  // height and width) 65280 x 65280, in the BMP header 100000 x 100000.
  std::string hugeJpeg = jpeg;
  const std::size_t frame = hugeJpeg.find("\xFF\xC0");
  ASSERT_NE(frame, std::string::npos);
  hugeJpeg.replace(frame + 5, 4, "\xFF\x00\xFF\x00", 4);
  std::string hugeBmp = bmp;
  hugeBmp.replace(18, 8, "\xA0\x86\x01\x00\xA0\x86\x01\x00", 8);
  for (const auto& [name, bytes] : std::vector<std::pair<std::string, std::string>>{
           {"empty.jpg", ""}, {"empty.bmp", ""}, {"truncated.jpg", jpeg.substr(0, jpeg.size() / 2)},
           {"header.jpg", jpeg.substr(0, 40)}, {"noise.jpg", noise}, {"bitmap.jpg", bmp}, {"huge.jpg", hugeJpeg},
           {"photo.bmp", jpeg}, {"huge.bmp", hugeBmp}, {"text.bmp", "BM this is not a bitmap at all"},
           {"truncated.bmp", bmp.substr(0, bmp.size() / 2)}})
    WriteFile(Path(name), bytes);
  WriteJpegIn(JCS_CMYK, 4, Path("print.jpg"), 16, 16, 40);
  fs::create_directories(Path("folder.jpg"));

  const std::pair<const char*, const char*> refusals[] = {
      {"missing.jpg", "no such file"}, {"missing.bmp", "no such file"}, {"folder.jpg", "not a regular file"},
      {"empty.jpg", "empty"}, {"empty.bmp", "empty"}, {"print.jpg", "CMYK"},
      // Cut in the entropy-coded data, where libjpeg would fill the rest with grey.
      {"truncated.jpg", "Premature end"}, {"header.jpg", "JPEG"}, {"noise.jpg", "not a readable JPEG picture"},
      {"bitmap.jpg", "not a readable JPEG picture"}, {"huge.jpg", "too large"}, {"photo.bmp", "not a BMP picture"},
      {"huge.bmp", "too large"}, {"text.bmp", "BMP"}, {"truncated.bmp", "BMP"}};
  for (const auto& [name, reason] : refusals) {
    SCOPED_TRACE(name);
    try {
      LoadPicture(Path(name));
      ADD_FAILURE() << "loaded";
    } catch (const TPictureError& error) {
      const std::string message = error.what();
      EXPECT_NE(message.find(Path(name)), std::string::npos) << message;
      EXPECT_NE(message.find(reason), std::string::npos) << message;
      EXPECT_EQ(message.find('\n'), std::string::npos) << message;
    }
  }
}

TEST_F(PictureFiles, JpegDecodingWorkIsBoundedByTheImageData) {
  // 20 megapixels, above what loads quickly whatever its data: arithmetic
  // coding spends almost nothing on a flawless white area, so the plain page
  // is a few bytes of data, while one small symbol on it is plausible.
  TBitmap page(5000, 4000);
  const TBitmap symbol = RenderSymbol(EncodeBytes("LIMIT", 1, 0), 3, 1);
  for (int y = 0; y < symbol.Height(); ++y)
    for (int x = 0; x < symbol.Width(); ++x) page.SetPixel(2000 + x, 1500 + y, symbol.Pixel(x, y));
  const TBitmap plain(5000, 4000), small = Blocks(64, 64);
  struct TCase {
    const char* name;
    const TBitmap& picture;
    TJpegCoding coding;
    const char* reason;  // nullptr: loads
  };
  const TCase cases[] = {
      {"symbol.jpg", page, {false, true, true, 0}, nullptr},
      {"plain.jpg", plain, {false, true, true, 0}, "far too few"},
      {"scans32.jpg", small, {true, false, false, 32}, nullptr},
      {"scans33.jpg", small, {true, false, false, 33}, "more than 32 scans"},
  };
  for (const TCase& test : cases) {
    SCOPED_TRACE(test.name);
    WriteJpeg(test.picture, Path(test.name), 75, test.coding);
    try {
      const auto loaded = LoadPicture(Path(test.name));
      EXPECT_EQ(test.reason, nullptr) << "loaded";
      ASSERT_TRUE(loaded.has_value());
      EXPECT_EQ(loaded->Width(), test.picture.Width());
    } catch (const TPictureError& error) {
      ASSERT_NE(test.reason, nullptr) << error.what();
      EXPECT_NE(std::string(error.what()).find(test.reason), std::string::npos) << error.what();
    }
  }
}
