// Writes the pictures that bench/compare.sh and the stage benchmarks time:
//   photo-12mp.jpg   4000 x 3000 photograph of a printed version-7 symbol
//   photo-2k.jpg     2000 x 2000 photograph of a printed version-5 symbol
//   stripes-2k.jpg   2000 x 2000 crossed 1:1:3:1:1 stripes
//   v40.jpg, v10.jpg a version-40 symbol at 4 pixels per module and a
//                    version-10 symbol in a picture of the same size
//   photo-48mp.jpg   8000 x 6000 photograph (only with --large)
// All JPEG quality 90, the same bytes on every run.

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>

#include "PhotoScene.h"
#include "TestSymbols.h"

namespace ts = testing_support;

namespace {

// The symbol drawn at `moduleSize` pixels per module in the middle of a white square of `side` pixels.
TBitmap Centred(const ts::TTestSymbol& symbol, int moduleSize, int side) {
  const TBitmap drawn = ts::RenderSymbol(symbol, moduleSize, 0);
  TBitmap picture(side, side);
  const int offset = (side - drawn.Width()) / 2;
  for (int y = 0; y < drawn.Height(); ++y)
    for (int x = 0; x < drawn.Width(); ++x)
      if (drawn.Pixel(x, y) == kBlack) picture.SetPixel(offset + x, offset + y, kBlack);
  return picture;
}

void Write(const TBitmap& picture, const std::filesystem::path& path) {
  ts::WriteJpeg(picture, path.string(), 90);
  std::printf("%s %dx%d\n", path.c_str(), picture.Width(), picture.Height());
}

}  // namespace

int main(int argc, char** argv) {
  bool large = false;
  std::filesystem::path folder;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--large") == 0)
      large = true;
    else
      folder = argv[i];
  }
  if (folder.empty()) {
    std::fprintf(stderr, "usage: morilux-make-pictures [--large] FOLDER\n");
    return 2;
  }
  std::filesystem::create_directories(folder);

  const ts::TTestSymbol photoSymbol =
      ts::EncodeBytes("MORILUX BENCHMARK PHOTO 12MP - https://example.org/morilux/benchmark", 7, 1);
  ts::TPhotoOptions options;
  options.width = 4000;
  options.height = 3000;
  options.seed = 20261207;
  options.moduleSize = 23.0;
  options.degrees = 7.0;
  options.centreX = 0.47;
  options.centreY = 0.52;
  Write(ts::RenderPhoto(photoSymbol, options), folder / "photo-12mp.jpg");

  const ts::TTestSymbol smallSymbol = ts::EncodeBytes("MORILUX BENCHMARK PHOTO 2000x2000", 5, 1);
  ts::TPhotoOptions square = options;
  square.width = square.height = 2000;
  square.seed = 4242;
  square.moduleSize = 17.0;
  square.degrees = -5.0;
  Write(ts::RenderPhoto(smallSymbol, square), folder / "photo-2k.jpg");

  Write(ts::RenderCrossedStripes(2000, 2000, 6), folder / "stripes-2k.jpg");

  // Same pixel size: 177 modules x 4 plus an 8-module quiet zone each side is 772 pixels.
  const int side = (177 + 16) * 4;
  std::string text40;
  for (int i = 0; text40.size() < 1200; ++i) text40 += "VERSION 40 MODULE " + std::to_string(i) + " ";
  Write(Centred(ts::EncodeBytes(text40, 40, 1), 4, side), folder / "v40.jpg");
  Write(Centred(ts::EncodeBytes("VERSION 10 IN THE SAME PICTURE SIZE", 10, 1), 11, side), folder / "v10.jpg");

  if (large) {
    ts::TPhotoOptions big = options;
    big.width = 8000;
    big.height = 6000;
    big.moduleSize = 46.0;
    Write(ts::RenderPhoto(photoSymbol, big), folder / "photo-48mp.jpg");
  }
  return 0;
}
