// Writes the pictures that bench/compare.sh and the stage benchmarks time:
//   photo-12mp.jpg   4000 x 3000 photograph of a printed version-7 symbol
//   photo-12mp-failing.jpg  the same with the bottom-left finder pattern
//                    painted over: no value of the parameters reads it (the
//                    trial of suggestions' budget)
//   photo-2k.jpg     2000 x 2000 photograph of a printed version-5 symbol
//   stripes-2k.jpg   2000 x 2000 crossed 1:1:3:1:1 stripes
//   v40.jpg, v10.jpg a version-40 symbol at 4 pixels per module and a
//                    version-10 symbol in a picture of the same size
//   photo-48mp.jpg   8000 x 6000 photograph (only with --large)
// All JPEG quality 90, the same bytes on every run.
//
// With --symbols it writes instead the pictures on which bench/compare-out.sh
// compares two builds' output: every version, mode and level, turned, as
// photographs, damaged where each stage looks, and pictures without a symbol.

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>

#include "BenchPhotos.h"
#include "ConformancePictures.h"
#include "FilledSymbols.h"
#include "PhotoScene.h"
#include "SymbolCodewords.h"
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

void WriteBitmap(const TBitmap& picture, const std::filesystem::path& path) {
  ts::WriteBmp(picture, path.string());
  std::printf("%s %dx%d\n", path.c_str(), picture.Width(), picture.Height());
}

// The largest whole number of pixels per module (2 to 6) that keeps the picture near 1000 pixels.
int ModuleSize(const ts::TTestSymbol& symbol) { return std::clamp(1000 / (symbol.size + 8), 2, 6); }

// The pictures of the output comparison.
void WriteSymbols(const std::filesystem::path& folder) {
  using ts::TSegmentMode;
  const TSegmentMode modes[] = {TSegmentMode::Numeric, TSegmentMode::Alphanumeric, TSegmentMode::Byte,
                                TSegmentMode::Kanji};
  const std::string samples[] = {"0123456789", "MORILUX 0123 $%*+-./:", "Morilux output check", "\x88\x9F\x93\x5F"};
  // Every version, the four levels and modes in turn, a quarter turn more each time.
  for (int version = 1; version <= 40; ++version) {
    const int mode = version % 4;
    std::string data;
    while (data.size() < static_cast<std::size_t>(4 * version)) data += samples[mode];
    const ts::TTestSymbol symbol = ts::EncodeSegments({{modes[mode], data}}, version, version % 4);
    WriteBitmap(ts::RenderSymbol(symbol, ModuleSize(symbol), 4, version % 4),
                folder / ("version-" + std::to_string(version) + ".bmp"));
  }
  // Filled to capacity, the data area like a real symbol's.
  for (const int version : {2, 7, 15, 27})
    WriteBitmap(ts::RenderSymbol(ts::FilledSymbol(version, 1), 3), folder / ("filled-" + std::to_string(version) + ".bmp"));
  // Turned by any angle, and as photographs of a printed sheet (JPEG).
  for (const double degrees : {7.0, 22.5, 45.0, -33.0, 180.0 + 12.0})
    WriteBitmap(ts::RenderSymbolRotated(ts::EncodeBytes("turned " + std::to_string(degrees), 3, 2), 6, 4, degrees),
                folder / ("turned-" + std::to_string(static_cast<int>(degrees)) + ".bmp"));
  for (int k = 0; k < 8; ++k) {
    ts::TPhotoOptions photo;
    photo.seed = 100 + static_cast<std::uint64_t>(k);
    photo.moduleSize = 5.0 + k;
    photo.degrees = -20.0 + 6.0 * k;
    photo.centreX = 0.4 + 0.03 * k;
    const int version = 1 + 2 * k;
    Write(ts::RenderPhoto(ts::EncodeBytes("photograph " + std::to_string(k), version, k % 4), photo),
          folder / ("photo-" + std::to_string(k) + ".jpg"));
  }
  // Damage where each stage looks: codewords of the first block (1 to 4), the
  // format bits, a finder pattern, the timing row, the version information.
  for (const int version : {1, 5, 8}) {
    for (int wrong = 1; wrong <= 4; ++wrong) {
      ts::TTestSymbol symbol = ts::EncodeBytes("damaged codewords of one block", version, 2);
      const int blocks = version == 1 ? 1 : (version == 5 ? 4 : 6);
      for (int n = 0; n < wrong; ++n)
        ts::DamageCodeword(symbol, (ts::FirstDamageIndex(symbol, blocks, 0) + n) * blocks);
      WriteBitmap(ts::RenderSymbol(symbol, 4),
                  folder / ("codewords-" + std::to_string(version) + "-" + std::to_string(wrong) + ".bmp"));
    }
  }
  for (int flipped : {3, 4, 15}) {
    ts::TTestSymbol symbol = ts::EncodeBytes("format", 2, 1);
    for (int i = 0; i < flipped; ++i) ts::FlipModule(symbol, ts::kFormatModules[i][0], ts::kFormatModules[i][1]);
    WriteBitmap(ts::RenderSymbol(symbol, 5), folder / ("format-" + std::to_string(flipped) + ".bmp"));
  }
  {
    ts::TTestSymbol finder = ts::EncodeBytes("finder", 3, 1);
    for (int y = 0; y < 7; ++y)
      for (int x = 0; x < 7; ++x)
        if (finder.Dark(finder.size - 7 + x, y)) ts::FlipModule(finder, finder.size - 7 + x, y);
    WriteBitmap(ts::RenderSymbol(finder, 5), folder / "finder-erased.bmp");
    ts::TTestSymbol timing = ts::EncodeBytes("timing", 4, 1);
    for (int x = 8; x < timing.size - 8; x += 2) ts::FlipModule(timing, x, 6);
    WriteBitmap(ts::RenderSymbol(timing, 5), folder / "timing-damaged.bmp");
    ts::TTestSymbol information = ts::EncodeBytes("version information", 9, 1);
    for (int i = 0; i < 18; i += 3) {
      ts::FlipModule(information, information.size - 11 + i % 3, i / 3);
      ts::FlipModule(information, i / 3, information.size - 11 + i % 3);
    }
    WriteBitmap(ts::RenderSymbol(information, 4), folder / "version-information.bmp");
  }
  // No symbol: too small to binarize, blank, dark, crossed stripes.
  WriteBitmap(TBitmap(1, 1), folder / "tiny-1x1.bmp");
  WriteBitmap(TBitmap(2, 1), folder / "tiny-2x1.bmp");
  WriteBitmap(TBitmap(120, 90), folder / "blank.bmp");
  TBitmap dark(64, 64);
  for (int y = 0; y < 64; ++y)
    for (int x = 0; x < 64; ++x) dark.SetPixel(x, y, kBlack);
  WriteBitmap(dark, folder / "dark.bmp");
  Write(ts::RenderCrossedStripes(600, 400, 5), folder / "stripes.jpg");
}

}  // namespace

int main(int argc, char** argv) {
  bool large = false;
  bool symbols = false;
  std::filesystem::path folder;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--large") == 0)
      large = true;
    else if (std::strcmp(argv[i], "--symbols") == 0)
      symbols = true;
    else
      folder = argv[i];
  }
  if (folder.empty()) {
    std::fprintf(stderr, "usage: morilux-make-pictures [--large | --symbols] FOLDER\n");
    return 2;
  }
  std::filesystem::create_directories(folder);
  if (symbols) {
    WriteSymbols(folder);
    return 0;
  }

  const ts::TTestSymbol photoSymbol = bench_photos::PhotoSymbol();
  const ts::TPhotoOptions options = bench_photos::PhotoOptions();
  Write(ts::RenderPhoto(photoSymbol, options), folder / "photo-12mp.jpg");
  Write(ts::RenderPhoto(bench_photos::FinderPaintedOver(photoSymbol), options), folder / "photo-12mp-failing.jpg");

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
