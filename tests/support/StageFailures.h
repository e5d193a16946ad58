#pragma once

// Pictures that stop a decode at a chosen stage, for a known reason, by
// construction: encoder-made symbols damaged where one stage looks, or drawn
// where one stage cannot cope. For the tests of the stage signal, of the
// diagnosis and of what the window shows after each failure. Header only.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>

#include "ConformancePictures.h"
#include "PhotoScene.h"
#include "SymbolCodewords.h"
#include "TestSymbols.h"
#include "common/Bitmap.h"
#include "common/Memory.h"
#include "sample/Effects.h"

namespace testing_support {

// Every dark module of the format information beside the top-left finder made light.
inline TBitmap FormatUnreadable() {
  TTestSymbol symbol = EncodeBytes("format", 2, 1);
  for (const auto& [x, y] : kFormatModules)
    if (symbol.Dark(x, y)) FlipModule(symbol, x, y);
  return RenderSymbol(symbol, 4);
}

// A version-9 symbol whose two version-information blocks are both damaged.
inline TBitmap VersionInformationDamaged() {
  TTestSymbol symbol = EncodeBytes("version information", 9, 1);
  for (int i = 0; i < 18; i += 3) {
    FlipModule(symbol, symbol.size - 11 + i % 3, i / 3);
    FlipModule(symbol, i / 3, symbol.size - 11 + i % 3);
  }
  return RenderSymbol(symbol, 4);
}

// The symbol as a mirror shows it: every row right to left.
inline TTestSymbol MirrorImage(TTestSymbol symbol) {
  for (std::int32_t y = 0; y < symbol.size; ++y) {
    const auto row = symbol.modules.begin() + static_cast<std::ptrdiff_t>(y) * symbol.size;
    std::reverse(row, row + symbol.size);
  }
  return symbol;
}

// Version 15 at three pixels a module: its timing patterns match at no version
// the timing test tries, so only its version information can name it. Bits
// 0 .. flips - 1 of both copies of that information inverted.
inline TBitmap VersionInformationFlipped(int flips) {
  TTestSymbol symbol = EncodeBytes("version information flipped", 15, 1);
  for (int bit = 0; bit < flips; ++bit) {
    FlipModule(symbol, symbol.size - 11 + bit % 3, bit / 3);
    FlipModule(symbol, bit / 3, symbol.size - 11 + bit % 3);
  }
  return RenderSymbol(symbol, 3);
}

// Version 5-Q, four codewords of its first block made wrong: one more than the decoder corrects.
inline const std::string kFoxText = "The quick brown fox jumps over 13 dogs!!";
inline TBitmap BlockBeyondCorrection() {
  TTestSymbol symbol = EncodeBytes(kFoxText, 5, 2);
  for (const int k : {16, 20, 24, 28}) DamageCodeword(symbol, k);
  return RenderSymbol(symbol, 4);
}

// A photograph whose bottom and right edges meet outside the picture.
inline TBitmap EdgesMeetOutside() {
  TPhotoOptions photo;
  photo.seed = 105;
  photo.moduleSize = 10;
  photo.degrees = 10;
  photo.centreX = 0.55;
  return RenderPhoto(EncodeBytes("photograph 5", 11, 1), photo);
}

// A grey-printed symbol in a small window of a dark picture: the threshold,
// taken from a middle row that is mostly background, lies below the grey of
// the print, so the whole symbol turns light and most of the picture dark.
inline TBitmap SymbolOnDarkBackground() {
  const TTestSymbol symbol = EncodeBytes("dark background", 1, 1);
  const TBitmap drawn = RenderSymbol(symbol, 4);
  constexpr TColor kBackground = 0x282828, kPrint = 0x707070, kPaper = 0xE0E0E0;
  TBitmap picture(drawn.Width() * 4, drawn.Height() * 2);
  for (std::int32_t y = 0; y < picture.Height(); ++y)
    for (std::int32_t x = 0; x < picture.Width(); ++x) picture.SetPixel(x, y, kBackground);
  const std::int32_t left = drawn.Width() * 3 / 2, top = drawn.Height() / 2;
  for (std::int32_t y = 0; y < drawn.Height(); ++y)
    for (std::int32_t x = 0; x < drawn.Width(); ++x)
      picture.SetPixel(left + x, top + y, drawn.Pixel(x, y) == kBlack ? kPrint : kPaper);
  return picture;
}

// The bottom-left finder pattern painted over with light modules.
inline TBitmap FinderPatternErased() {
  TTestSymbol symbol = EncodeBytes("finder erased", 2, 1);
  for (std::int32_t y = symbol.size - 7; y < symbol.size; ++y)
    for (std::int32_t x = 0; x < 7; ++x)
      if (symbol.Dark(x, y)) FlipModule(symbol, x, y);
  return RenderSymbol(symbol, 4);
}

// Version 2: two modules of each timing pattern inverted, so that 11 of its 13
// samples match where more than 90 % are needed.
inline TBitmap TimingDamaged() {
  TTestSymbol symbol = EncodeBytes("timing", 2, 1);
  for (const std::int32_t t : {9, 13}) {
    FlipModule(symbol, t, 6);
    FlipModule(symbol, 6, t);
  }
  return RenderSymbol(symbol, 4);
}

// A symbol photographed out of focus: `passes` of the sample maker's blur
// (each a 1-2-1 average across and down) at `moduleSize` pixels a module, and
// a little noise. At four pixels a module, eight passes (edges about five
// pixels wide) stop the decode at the version.
inline TBitmap BlurredSymbol(int moduleSize = 4, int passes = 8) {
  TPhotoEffects effects;
  effects.blur = passes;
  effects.noise = 4;
  return PhotographSymbol(EncodeBytes("Morilux blur test 12345", 2, 1).Matrix(), moduleSize, 4, effects, 1);
}

// Format bits 0 .. flips - 1 of the copy beside the top-left finder inverted.
inline TTestSymbol FormatFlipped(int flips) {
  TTestSymbol symbol = EncodeBytes("format", 2, 1);
  for (int i = 0; i < flips; ++i) FlipModule(symbol, kFormatModules[i][0], kFormatModules[i][1]);
  return symbol;
}

// A dark area beyond the bottom-right corner, from `from` to `to` modules out,
// in a quiet zone of `quiet` modules: the corner search of the widest window
// ends on the border of its area. With the defaults the area reaches the
// picture's edge and the edges of the symbol then meet outside it ("Program
// Error"); in a wider quiet zone the corner is merely misplaced and the
// codewords are read wrong.
inline TBitmap DarkBeyondTheCorner(int from = 3, int to = 9, int quiet = 4) {
  const TTestSymbol symbol = EncodeBytes("dark beyond", 2, 1);
  constexpr int kModule = 4;
  TBitmap picture = RenderSymbol(symbol, kModule, quiet);
  for (int y = (quiet + symbol.size + from) * kModule; y < (quiet + symbol.size + to) * kModule; ++y)
    for (int x = (quiet + symbol.size + from) * kModule; x < (quiet + symbol.size + to) * kModule; ++x) picture.SetPixel(x, y, kBlack);
  return picture;
}

// While one lives, the binary plane of a width x height picture cannot be
// allocated (nor any other block of that many bytes): binarization fails as
// on a system out of memory.
class TPlaneWithoutMemory {
 public:
  TPlaneWithoutMemory(std::int32_t width, std::int32_t height) {
    RefuseBlocksOf(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
  }
  ~TPlaneWithoutMemory() { RefuseBlocksOf(0); }
  TPlaneWithoutMemory(const TPlaneWithoutMemory&) = delete;
  TPlaneWithoutMemory& operator=(const TPlaneWithoutMemory&) = delete;
};

// A byte segment, an ECI designator (which the decoder does not read), another byte segment.
inline TBitmap UnsupportedMode() {
  return RenderSymbol(EncodeSegments({{TSegmentMode::Byte, "before"}, {TSegmentMode::Eci, "26"}, {TSegmentMode::Byte, "after"}}, 2, 1), 4);
}

}  // namespace testing_support
