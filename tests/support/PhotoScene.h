#pragma once

// Photograph-like test pictures: a printed symbol on a sheet of paper lying on
// a textured surface, lit unevenly, slightly blurred and noisy, and pictures
// of crossed finder-like stripes. Everything is computed from integer hashes
// of the seed and the pixel position, so a picture comes out the same on
// every run. Header only, so that it adds nothing to the shared test library.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "TestSymbols.h"
#include "common/Bitmap.h"

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

inline std::uint64_t Mix(std::uint64_t value) {
  // splitmix64 finaliser.
  value += 0x9E3779B97F4A7C15ull;
  value = (value ^ (value >> 30)) * 0xBF58476D1CE4E5B9ull;
  value = (value ^ (value >> 27)) * 0x94D049BB133111EBull;
  return value ^ (value >> 31);
}

inline double Lattice(std::uint64_t seed, std::int64_t x, std::int64_t y) {
  const std::uint64_t h = Mix(seed ^ Mix(static_cast<std::uint64_t>(x) * 0x632BE59BD9B4E019ull +
                                         static_cast<std::uint64_t>(y)));
  return static_cast<double>(h >> 11) / 9007199254740992.0;  // [0, 1)
}

// Smooth value noise of the given cell size, 0 to 1.
inline double ValueNoise(std::uint64_t seed, double x, double y, double cell) {
  const double fx = x / cell, fy = y / cell;
  const auto ix = static_cast<std::int64_t>(std::floor(fx));
  const auto iy = static_cast<std::int64_t>(std::floor(fy));
  double tx = fx - static_cast<double>(ix), ty = fy - static_cast<double>(iy);
  tx = tx * tx * (3 - 2 * tx);
  ty = ty * ty * (3 - 2 * ty);
  const double a = Lattice(seed, ix, iy), b = Lattice(seed, ix + 1, iy);
  const double c = Lattice(seed, ix, iy + 1), d = Lattice(seed, ix + 1, iy + 1);
  return (a + (b - a) * tx) + ((c + (d - c) * tx) - (a + (b - a) * tx)) * ty;
}

inline std::uint8_t Clamp8(double value) {
  return static_cast<std::uint8_t>(std::clamp(static_cast<int>(std::lround(value)), 0, 255));
}

}  // namespace photo_detail

// The symbol printed on paper, photographed: wood-like texture around the
// sheet, light falling off towards one corner, edges softened by 3 x 3
// supersampling and a 3-tap blur, and noise of +-options.noise grey levels.
inline TBitmap RenderPhoto(const TTestSymbol& symbol, const TPhotoOptions& options) {
  using namespace photo_detail;
  const std::int32_t width = options.width, height = options.height;
  const double radians = options.degrees * 3.14159265358979323846 / 180.0;
  const double cosine = std::cos(radians), sine = std::sin(radians);
  const double centreX = options.centreX * width, centreY = options.centreY * height;
  const double half = symbol.size / 2.0;
  const double paperHalf = half + options.paperModules;
  const std::uint64_t seed = options.seed;

  // Module coordinates (u, v) of an image point; the symbol spans 0 .. size.
  auto toModules = [&](double x, double y, double& u, double& v) {
    const double dx = (x - centreX) / options.moduleSize, dy = (y - centreY) / options.moduleSize;
    u = cosine * dx + sine * dy + half;
    v = -sine * dx + cosine * dy + half;
  };
  auto inkAt = [&](double u, double v) {
    if (u < 0 || v < 0 || u >= symbol.size || v >= symbol.size) return false;
    return symbol.Dark(static_cast<std::int32_t>(u), static_cast<std::int32_t>(v));
  };

  // Three channels of the sharp scene, then the blur, then the noise.
  std::vector<std::uint8_t> channels(static_cast<std::size_t>(width) * height * 3);
  const double diagonal = std::sqrt(static_cast<double>(width) * width + static_cast<double>(height) * height);
  for (std::int32_t y = 0; y < height; ++y) {
    for (std::int32_t x = 0; x < width; ++x) {
      // Light: strongest near the top left, some 35 % weaker in the far corner.
      const double light = 1.0 - 0.35 * std::sqrt(static_cast<double>(x) * x + static_cast<double>(y) * y) / diagonal;
      double u = 0, v = 0;
      toModules(x + 0.5, y + 0.5, u, v);
      double red, green, blue;
      if (u > half - paperHalf && u < half + paperHalf && v > half - paperHalf && v < half + paperHalf) {
        // Paper with ink: 3 x 3 samples per pixel near module edges.
        int inked = 0;
        for (int sy = 0; sy < 3; ++sy)
          for (int sx = 0; sx < 3; ++sx) {
            double su = 0, sv = 0;
            toModules(x + (sx + 0.5) / 3.0, y + (sy + 0.5) / 3.0, su, sv);
            if (inkAt(su, sv)) ++inked;
          }
        const double ink = inked / 9.0;
        const double grain = 6.0 * (ValueNoise(seed ^ 0x51, x, y, 3.0) - 0.5);
        red = (236 - ink * 200 + grain) * light;
        green = (230 - ink * 198 + grain) * light;
        blue = (218 - ink * 190 + grain) * light;
      } else {
        // Wood: rings bent by large-scale noise, fine fibres, knots of darker tone.
        const double bend = ValueNoise(seed ^ 0xA1, x, y, 180.0) * 9.0;
        const double rings = 0.5 + 0.5 * std::sin(x * 0.045 + y * 0.006 + bend);
        const double fibre = ValueNoise(seed ^ 0xB2, x * 0.25, y * 4.0, 6.0);
        const double tone = 0.45 * rings + 0.35 * fibre + 0.2 * ValueNoise(seed ^ 0xC3, x, y, 60.0);
        red = (95 + 110 * tone) * light;
        green = (62 + 85 * tone) * light;
        blue = (35 + 55 * tone) * light;
      }
      std::uint8_t* out = &channels[(static_cast<std::size_t>(y) * width + x) * 3];
      out[0] = Clamp8(red);
      out[1] = Clamp8(green);
      out[2] = Clamp8(blue);
    }
  }

  // Slight blur: 1-2-1 horizontally and vertically.
  std::vector<std::uint8_t> blurred(channels.size());
  auto at = [&](const std::vector<std::uint8_t>& from, std::int32_t x, std::int32_t y, int c) {
    x = std::clamp(x, 0, width - 1);
    y = std::clamp(y, 0, height - 1);
    return static_cast<int>(from[(static_cast<std::size_t>(y) * width + x) * 3 + c]);
  };
  for (std::int32_t y = 0; y < height; ++y)
    for (std::int32_t x = 0; x < width; ++x)
      for (int c = 0; c < 3; ++c)
        blurred[(static_cast<std::size_t>(y) * width + x) * 3 + c] =
            static_cast<std::uint8_t>((at(channels, x - 1, y, c) + 2 * at(channels, x, y, c) + at(channels, x + 1, y, c) + 2) / 4);
  TBitmap picture(width, height);
  const std::int32_t spread = 2 * options.noise + 1;
  for (std::int32_t y = 0; y < height; ++y) {
    TColor* row = picture.MutableRow(y);
    for (std::int32_t x = 0; x < width; ++x) {
      const std::uint64_t h = Mix(seed ^ (static_cast<std::uint64_t>(y) << 32 | static_cast<std::uint32_t>(x)));
      TColor colour = 0;
      for (int c = 0; c < 3; ++c) {
        const int smooth = (at(blurred, x, y - 1, c) + 2 * at(blurred, x, y, c) + at(blurred, x, y + 1, c) + 2) / 4;
        const int noise = spread > 1 ? static_cast<int>((h >> (16 * c)) % static_cast<std::uint64_t>(spread)) - options.noise : 0;
        colour |= static_cast<TColor>(std::clamp(smooth + noise, 0, 255)) << (8 * c);
      }
      row[x] = colour;
    }
  }
  return picture;
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
