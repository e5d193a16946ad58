// Writes a picture of a version-3 symbol (level M, a byte and a Kanji
// segment), turned by 7 degrees and a little smaller than an image pane so that
// every mark is enlarged sharply, as a BMP file: `morilux_sample_picture OUT.bmp`.
// `morilux_sample_picture OUT.bmp dark` writes instead a grey-printed symbol on
// a dark background, whose decode stops at the finder search (for the page 診断).

#include <cstdio>
#include <exception>

#include <cstring>

#include "StageFailures.h"
#include "TestSymbols.h"

int main(int argc, char* argv[]) {
  const bool dark = argc == 3 && std::strcmp(argv[2], "dark") == 0;
  if (argc != 2 && !dark) {
    std::fputs("usage: morilux_sample_picture OUT.bmp [dark]\n", stderr);
    return 2;
  }
  try {
    using namespace testing_support;
    if (dark) {
      WriteBmp(SymbolOnDarkBackground(), argv[1]);
      return 0;
    }
    const TTestSymbol symbol =
        EncodeSegments({{TSegmentMode::Byte, "Morilux "}, {TSegmentMode::Kanji, "\x93\x5F\xE4\xAA"}}, 3, 1);
    WriteBmp(RenderSymbolRotated(symbol, 7, 4, 7.0), argv[1]);
  } catch (const std::exception& error) {
    std::fprintf(stderr, "morilux_sample_picture: %s\n", error.what());
    return 1;
  }
  return 0;
}
