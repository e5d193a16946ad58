#pragma once

// Photograph-like test pictures: a printed symbol on a sheet of paper lying on
// a textured surface, lit unevenly, slightly blurred and noisy, and pictures
// of crossed finder-like stripes. Everything is computed from integer hashes
// of the seed and the pixel position, so a picture comes out the same on
// every run. The photograph itself is the sample maker's.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "TestSymbols.h"
#include "common/Bitmap.h"
#include "sample/Photograph.h"

namespace testing_support {

struct TPhotoOptions {
  std::int32_t width = 1000;
  std::int32_t height = 750;
  std::uint64_t seed = 1;
  // Pixels per module of the printed symbol.
  double moduleSize = 6.0;
  // Clockwise turn of the sheet, in degrees.
  double degrees = 0.0;
  // Centre of the symbol as fractions of the picture size.
  double centreX = 0.5;
  double centreY = 0.5;
  // Light paper around the symbol, in modules on each side.
  double paperModules = 8.0;
  // Largest deviation of the per-pixel noise, in grey levels.
  std::int32_t noise = 6;
};

namespace photo_detail {

// The scene's hash, for tests that add noise of their own.
inline std::uint64_t Mix(std::uint64_t value) { return SceneHash(value); }

}  // namespace photo_detail

// The symbol printed on paper, photographed: wood-like texture around the
// sheet, light falling off towards one corner, edges softened by 3 x 3
// supersampling and a 3-tap blur, and noise of +-options.noise grey levels
// (the sample maker's photograph with its defaults).
inline TBitmap RenderPhoto(const TTestSymbol& symbol, const TPhotoOptions& options) {
  TPhotoScene scene;
  scene.width = options.width;
  scene.height = options.height;
  scene.seed = options.seed;
  scene.centreX = options.centreX * options.width;
  scene.centreY = options.centreY * options.height;
  scene.moduleSize = options.moduleSize;
  scene.degrees = options.degrees;
  scene.paperModules = options.paperModules;
  scene.noise = options.noise;
  return Photograph(symbol.Matrix(), scene);
}

// Crossed stripes: every row and every column through a stripe band shows
// dark-light-dark-light-dark runs in the proportions 1:1:3:1:1, `unit` pixels
// per part, with a light gap of one part between repeats.
inline TBitmap RenderCrossedStripes(std::int32_t width, std::int32_t height, std::int32_t unit) {
  static constexpr int kPattern[8] = {1, 0, 1, 1, 1, 0, 1, 0};
  auto stripe = [unit](std::int32_t t) { return kPattern[(t / unit) % 8] != 0; };
  TBitmap picture(width, height);
  for (std::int32_t y = 0; y < height; ++y) {
    TColor* row = picture.MutableRow(y);
    for (std::int32_t x = 0; x < width; ++x) row[x] = (stripe(x) != stripe(y)) ? kBlack : kWhite;
  }
  return picture;
}

}  // namespace testing_support
