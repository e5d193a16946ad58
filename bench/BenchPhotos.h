// The bench's 12-megapixel photograph as the bench programs make it: its
// symbol, how it is photographed, and the same symbol with its bottom-left
// finder pattern painted over, a picture that the decoder does not read.
#ifndef MORILUX_BENCH_BENCHPHOTOS_H
#define MORILUX_BENCH_BENCHPHOTOS_H

#include <cstdint>

#include "ConformancePictures.h"
#include "PhotoScene.h"
#include "TestSymbols.h"

namespace bench_photos {

inline testing_support::TTestSymbol PhotoSymbol() {
  return testing_support::EncodeBytes("MORILUX BENCHMARK PHOTO 12MP - https://example.org/morilux/benchmark", 7, 1);
}

inline testing_support::TPhotoOptions PhotoOptions() {
  testing_support::TPhotoOptions options;
  options.width = 4000;
  options.height = 3000;
  options.seed = 20261207;
  options.moduleSize = 23.0;
  options.degrees = 7.0;
  options.centreX = 0.47;
  options.centreY = 0.52;
  return options;
}

// Every dark module of the bottom-left finder pattern turned light.
inline testing_support::TTestSymbol FinderPaintedOver(testing_support::TTestSymbol symbol) {
  for (std::int32_t y = symbol.size - 7; y < symbol.size; ++y)
    for (std::int32_t x = 0; x < 7; ++x)
      if (symbol.Dark(x, y)) testing_support::FlipModule(symbol, x, y);
  return symbol;
}

}  // namespace bench_photos

#endif  // MORILUX_BENCH_BENCHPHOTOS_H
