// Writes a picture of a version-3 symbol (level M, a byte and a Kanji
// segment), turned by 7 degrees and a little smaller than an image pane so that
// every mark is enlarged sharply, as a BMP file: `morilux_sample_picture OUT.bmp`.

#include <cstdio>
#include <exception>

#include "TestSymbols.h"

int main(int argc, char* argv[]) {
  if (argc != 2) {
    std::fputs("usage: morilux_sample_picture OUT.bmp\n", stderr);
    return 2;
  }
  try {
    using namespace testing_support;
    const TTestSymbol symbol =
        EncodeSegments({{TSegmentMode::Byte, "Morilux "}, {TSegmentMode::Kanji, "\x93\x5F\xE4\xAA"}}, 3, 1);
    WriteBmp(RenderSymbolRotated(symbol, 7, 4, 7.0), argv[1]);
  } catch (const std::exception& error) {
    std::fprintf(stderr, "morilux_sample_picture: %s\n", error.what());
    return 1;
  }
  return 0;
}
