#pragma once

// Pictures that stop a decode at a chosen stage, for the tests of the stage
// signal and of what the window shows after each failure. Header only.

#include "ConformancePictures.h"
#include "PhotoScene.h"
#include "SymbolCodewords.h"
#include "TestSymbols.h"

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

// Four codewords of one block damaged: more than the decoder corrects.
inline TBitmap BlockBeyondCorrection() {
  TTestSymbol symbol = EncodeBytes("The quick brown fox jumps over 13 dogs!!", 5, 2);
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

}  // namespace testing_support
