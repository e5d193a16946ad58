#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>

#include <jpeglib.h>

#include "TestSymbols.h"
#include "app/PictureLoader.h"

namespace fs = std::filesystem;
using testing_support::ReadFile;
using testing_support::WriteBmp;
using testing_support::WriteFile;
using testing_support::WriteJpeg;

namespace {

// A fresh folder per test, removed afterwards.
class PictureFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
    folder_ = fs::path(::testing::TempDir()) / (std::string("loader_") + test->name());
    fs::remove_all(folder_);
    fs::create_directories(folder_);
  }
  void TearDown() override { fs::remove_all(folder_); }
  std::string Path(const std::string& name) const { return (folder_ / name).string(); }

  // The load must fail with one line that names the file and holds `reason`.
  void ExpectRefused(const std::string& path, const std::string& reason) {
    try {
      LoadPicture(path);
      ADD_FAILURE() << path << " loaded";
    } catch (const TPictureError& error) {
      const std::string message = error.what();
      EXPECT_NE(message.find(path), std::string::npos) << message;
      EXPECT_NE(message.find(reason), std::string::npos) << message;
      EXPECT_EQ(message.find('\n'), std::string::npos) << message;
    }
  }

 private:
  fs::path folder_;
};

// Four blocks of distinct colours (0x00BBGGRR), large enough that JPEG keeps them.
TBitmap Blocks(int width, int height) {
  TBitmap bitmap(width, height);
  const TColor colours[4] = {0x0000C0, 0x00C000, 0xC00000, 0x404040};
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) bitmap.SetPixel(x, y, colours[(x * 2 / width) + 2 * (y * 2 / height)]);
  return bitmap;
}

int ChannelDistance(TColor a, TColor b) {
  int worst = 0;
  for (int shift = 0; shift < 24; shift += 8)
    worst = std::max(worst, std::abs(static_cast<int>((a >> shift) & 0xFF) - static_cast<int>((b >> shift) & 0xFF)));
  return worst;
}

// A JPEG of one colour space other than RGB: greyscale (one component, value
// `grey`) or CMYK (four components).
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
  while (info.next_scanline < info.image_height) {
    JSAMPROW rows[1] = {row.data()};
    jpeg_write_scanlines(&info, rows, 1);
  }
  jpeg_finish_compress(&info);
  jpeg_destroy_compress(&info);
  std::fclose(out);
}

// A 24-bit BMP header declaring width x height, followed by a few bytes only.
std::string BmpHeader(std::uint32_t width, std::uint32_t height) {
  std::string file(54, '\0');
  auto put32 = [&file](std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) file[at + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
  };
  file[0] = 'B';
  file[1] = 'M';
  put32(2, 54 + 300);
  put32(10, 54);
  put32(14, 40);
  put32(18, width);
  put32(22, height);
  file[26] = 1;
  file[28] = 24;
  return file + std::string(300, '\x7f');
}

}  // namespace

TEST(PictureExtension, ChosenByTheLowerCasedExtension) {
  EXPECT_EQ(LowerCaseExtension("/a/PHOTO.JPG"), ".jpg");
  EXPECT_EQ(LowerCaseExtension("scan.Jpeg"), ".jpeg");
  EXPECT_EQ(LowerCaseExtension("x.tar.BMP"), ".bmp");
  EXPECT_EQ(LowerCaseExtension("/dir.jpg/picture"), "");
  EXPECT_EQ(LowerCaseExtension("picture"), "");
}

TEST_F(PictureFiles, OtherExtensionsLoadNothing) {
  WriteBmp(Blocks(8, 8), Path("picture.png"));
  EXPECT_FALSE(LoadPicture(Path("picture.png")).has_value());
  EXPECT_FALSE(LoadPicture(Path("missing.gif")).has_value());
  EXPECT_FALSE(LoadPicture(Path("noextension")).has_value());
}

TEST_F(PictureFiles, BmpLoadsExactly) {
  const TBitmap picture = Blocks(13, 7);  // odd width: rows are padded in the file
  TBitmap marked = picture;
  marked.SetPixel(0, 0, 0x123456);
  marked.SetPixel(12, 6, 0xFEDCBA);
  WriteBmp(marked, Path("scan.bmp"));
  const auto loaded = LoadPicture(Path("scan.bmp"));
  ASSERT_TRUE(loaded.has_value());
  EXPECT_EQ(*loaded, marked);
  // Upper-case extension too.
  fs::rename(Path("scan.bmp"), Path("SCAN.BMP"));
  EXPECT_EQ(LoadPicture(Path("SCAN.BMP")).value(), marked);
}

TEST_F(PictureFiles, JpegLoadsInColourWhateverTheCaseOfTheExtension) {
  const TBitmap picture = Blocks(64, 48);
  for (const std::string name : {"photo.jpg", "PHOTO.JPG", "photo.jpeg", "Photo.JPEG"}) {
    WriteJpeg(picture, Path(name), 95);
    const auto loaded = LoadPicture(Path(name));
    ASSERT_TRUE(loaded.has_value()) << name;
    ASSERT_EQ(loaded->Width(), 64);
    ASSERT_EQ(loaded->Height(), 48);
    // Block centres keep their colours; the top byte of the colour value is 0.
    for (const auto& [x, y] : {std::pair{8, 8}, std::pair{56, 8}, std::pair{8, 40}, std::pair{56, 40}}) {
      EXPECT_LE(ChannelDistance(loaded->Pixel(x, y), picture.Pixel(x, y)), 6) << name << " " << x << "," << y;
      EXPECT_EQ(loaded->Pixel(x, y) >> 24, 0u);
    }
  }
}

TEST_F(PictureFiles, GreyscaleJpegBecomesGreyColour) {
  WriteJpegIn(JCS_GRAYSCALE, 1, Path("grey.jpg"), 20, 10, 77);
  const auto loaded = LoadPicture(Path("grey.jpg"));
  ASSERT_TRUE(loaded.has_value());
  ASSERT_EQ(loaded->Width(), 20);
  for (int y = 0; y < 10; ++y)
    for (int x = 0; x < 20; ++x) ASSERT_EQ(loaded->Pixel(x, y), 0x4D4D4Du) << x << "," << y;
}

TEST_F(PictureFiles, CmykJpegIsRefused) {
  WriteJpegIn(JCS_CMYK, 4, Path("print.jpg"), 16, 16, 40);
  ExpectRefused(Path("print.jpg"), "CMYK");
}

TEST_F(PictureFiles, MissingEmptyAndNonRegularFilesAreRefused) {
  ExpectRefused(Path("missing.jpg"), "no such file");
  ExpectRefused(Path("missing.bmp"), "no such file");
  WriteFile(Path("empty.jpg"), "");
  ExpectRefused(Path("empty.jpg"), "empty");
  WriteFile(Path("empty.bmp"), "");
  ExpectRefused(Path("empty.bmp"), "empty");
  fs::create_directories(Path("folder.jpg"));
  ExpectRefused(Path("folder.jpg"), "not a regular file");
}

TEST_F(PictureFiles, DamagedJpegIsRefused) {
  WriteJpeg(Blocks(64, 64), Path("whole.jpg"), 90);
  const std::string whole = ReadFile(Path("whole.jpg"));

  // Cut in the entropy-coded data: libjpeg would fill the rest with grey.
  WriteFile(Path("truncated.jpg"), whole.substr(0, whole.size() / 2));
  ExpectRefused(Path("truncated.jpg"), "Premature end");
  // Cut inside the header.
  WriteFile(Path("header.jpg"), whole.substr(0, 40));
  ExpectRefused(Path("header.jpg"), "JPEG");

  std::mt19937 random(7);
  std::string noise(4096, '\0');
  for (char& c : noise) c = static_cast<char>(random() & 0xFF);
  WriteFile(Path("noise.jpg"), noise);
  ExpectRefused(Path("noise.jpg"), "not a readable JPEG picture");

  // A BMP named .jpg.
  WriteBmp(Blocks(8, 8), Path("bitmap.jpg"));
  ExpectRefused(Path("bitmap.jpg"), "not a readable JPEG picture");
}

TEST_F(PictureFiles, JpegDeclaringAHugeSizeIsRefusedFromItsHeader) {
  WriteJpeg(Blocks(16, 16), Path("small.jpg"), 90);
  std::string bytes = ReadFile(Path("small.jpg"));
  // The baseline frame header: FF C0, length, precision, then height and width.
  const std::size_t frame = bytes.find("\xFF\xC0");
  ASSERT_NE(frame, std::string::npos);
  bytes[frame + 5] = '\xFF';
  bytes[frame + 6] = '\x00';
  bytes[frame + 7] = '\xFF';
  bytes[frame + 8] = '\x00';
  WriteFile(Path("huge.jpg"), bytes);
  ExpectRefused(Path("huge.jpg"), "too large");
}

TEST_F(PictureFiles, DamagedBmpIsRefused) {
  WriteJpeg(Blocks(16, 16), Path("photo.jpg"), 90);
  WriteFile(Path("photo.bmp"), ReadFile(Path("photo.jpg")));
  ExpectRefused(Path("photo.bmp"), "not a BMP picture");

  WriteFile(Path("huge.bmp"), BmpHeader(100000, 100000));
  ExpectRefused(Path("huge.bmp"), "too large");

  WriteFile(Path("text.bmp"), "BM this is not a bitmap at all");
  ExpectRefused(Path("text.bmp"), "BMP");

  WriteBmp(Blocks(40, 40), Path("whole.bmp"));
  const std::string whole = ReadFile(Path("whole.bmp"));
  WriteFile(Path("truncated.bmp"), whole.substr(0, whole.size() / 2));
  ExpectRefused(Path("truncated.bmp"), "BMP");
}
