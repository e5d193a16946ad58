// Small picture files that declare very large pictures: each one loads or is
// refused with a TPictureError, in bounded time (the test's ctest time-out)
// and without allocating more than the size limit allows; the JPEG files whose
// data cannot hold their declared size are refused.

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

#include "TempFolder.h"
#include "TestSymbols.h"
#include "picture/PictureLoader.h"

namespace {

std::string Bytes(std::initializer_list<int> values) {
  std::string bytes;
  for (int v : values) bytes += static_cast<char>(v);
  return bytes;
}

void Put16(std::string& out, std::uint32_t v) {
  out += static_cast<char>(v & 0xFF);
  out += static_cast<char>((v >> 8) & 0xFF);
}
void Put32(std::string& out, std::uint32_t v) {
  Put16(out, v & 0xFFFF);
  Put16(out, v >> 16);
}

// A 24-bit BMP header for width x height with `pixelBytes` bytes of pixels after it.
std::string BmpHeader(std::int32_t width, std::int32_t height, std::size_t pixelBytes) {
  std::string out = "BM";
  Put32(out, static_cast<std::uint32_t>(54 + pixelBytes));
  Put32(out, 0);
  Put32(out, 54);
  Put32(out, 40);
  Put32(out, static_cast<std::uint32_t>(width));
  Put32(out, static_cast<std::uint32_t>(height));
  Put16(out, 1);
  Put16(out, 24);
  Put32(out, 0);
  Put32(out, 0);
  Put32(out, 2835);
  Put32(out, 2835);
  Put32(out, 0);
  Put32(out, 0);
  return out + std::string(pixelBytes, '\x40');
}

// Loads the bytes as a file with the extension; the picture, or nothing when refused.
std::optional<TBitmap> Load(const std::string& bytes, const std::string& extension) {
  const testing_support::TTempFolder folder("loader-input");
  const std::string path = folder.Path("input" + extension);
  testing_support::WriteFile(path, bytes);
  std::optional<TBitmap> picture;
  try {
    picture = LoadPicture(path);
    EXPECT_TRUE(picture.has_value());
  } catch (const TPictureError& error) {
    EXPECT_NE(std::string(error.what()), "");
    picture.reset();
  }
  return picture;
}

}  // namespace

TEST(LoaderInputs, TinyJpegDeclaringEightyMegapixelsEnds) {
  // 125 bytes found by the JPEG fuzzer: a progressive, arithmetic-coded grey
  // picture of 63253 x 1270 pixels whose one scan holds almost nothing. It
  // took seconds, as every pixel of the declared size is decoded.
  const std::string bytes = Bytes({
      0xff, 0xd8, 0xff, 0xe0, 0x00, 0x00, 0x00, 0x01, 0x00, 0x01, 0x3f, 0x00, 0x00, 0xff, 0xdb, 0x00, 0x43, 0x00,
      0x0d, 0x09, 0x0a, 0x0b, 0x0a, 0x27, 0x0d, 0x0b, 0x0a, 0x0b, 0x0e, 0x0e, 0x0d, 0x0f, 0x13, 0x20, 0x15, 0x13,
      0x12, 0x12, 0x13, 0x27, 0x1c, 0x1e, 0x17, 0x20, 0x2e, 0x29, 0x31, 0x30, 0x2e, 0x29, 0x2d, 0x2c, 0x33, 0x3a,
      0x4a, 0xff, 0xd8, 0x36, 0x46, 0x37, 0x2c, 0x2d, 0x40, 0x57, 0x41, 0x46, 0x4c, 0x4e, 0x52, 0x53, 0x52, 0x32,
      0x3e, 0x5a, 0x61, 0x5a, 0x50, 0x60, 0x4a, 0x51, 0x52, 0x4f, 0xff, 0xca, 0x00, 0x0b, 0x08, 0x04, 0xf6, 0xf7,
      0x15, 0x01, 0x01, 0x11, 0x00, 0x00, 0x00, 0x00, 0x12, 0x00, 0x03, 0x11, 0x43, 0x71, 0xa1, 0xb1, 0xc1, 0xd1,
      0xd2, 0xf0, 0xff, 0xda, 0x00, 0x08, 0x01, 0x01, 0x00, 0x06, 0x3f, 0x32, 0x43, 0x2c, 0x3f, 0xff, 0xd9});
  // Its 5 bytes of image data are far too few for 1.26 million blocks: refused
  // from the header, before anything of that size is allocated.
  EXPECT_FALSE(Load(bytes, ".jpg"));
}

TEST(LoaderInputs, SlowFuzzInputsEnd) {
  // The fuzzer's slowest inputs, kept as its regression seeds: each declares a
  // picture of tens of megapixels in a few hundred bytes. Most are refused;
  // those whose data could code their size load whole.
  const std::filesystem::path folder = std::filesystem::path(MORILUX_SOURCE_DIR) / "fuzz/regressions/fuzz_loader_jpeg";
  int refused = 0;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    const std::optional<TBitmap> picture = Load(testing_support::ReadFile(entry.path().string()), ".jpg");
    if (!picture) {
      ++refused;
      continue;
    }
    EXPECT_GT(picture->Width(), 60000) << entry.path();
  }
  EXPECT_GE(refused, 3);
}

TEST(LoaderInputs, BmpHeadersDeclaringHugePicturesAreRefused) {
  // Over the size limit, and within it but with the pixel rows missing.
  EXPECT_FALSE(Load(BmpHeader(20000, 20000, 16), ".bmp"));
  EXPECT_FALSE(Load(BmpHeader(10000, -10000, 16), ".bmp"));
  EXPECT_FALSE(Load(BmpHeader(100'000'000, 1, 16), ".bmp"));
  EXPECT_FALSE(Load(BmpHeader(-2147483647 - 1, -2147483647 - 1, 16), ".bmp"));
  // A sound small one still loads.
  const std::optional<TBitmap> small = Load(BmpHeader(4, 2, 24), ".bmp");
  ASSERT_TRUE(small);
  EXPECT_EQ(small->Width(), 4);
  EXPECT_EQ(small->Height(), 2);
}
