#pragma once

#include <array>
#include <cstdint>

#include "common/Bitmap.h"
#include "common/Plane.h"

// A symbol printed on a sheet of paper and photographed: the sheet turned,
// scaled and seen in perspective, lying on a surface, lit unevenly, blurred
// and noisy. Every pixel is computed from integer hashes of the seed and its
// position, so a scene comes out the same on every run and every machine.
// The sample maker, the test pictures and the symbol fuzzer all photograph
// their symbols here.

enum class TSurface : std::uint8_t {
  Wood,   // rings, fibres and knots
  Plain,  // one colour
};

struct TPhotoScene {
  std::int32_t width = 1000;
  std::int32_t height = 750;
  std::uint64_t seed = 1;

  // Centre of the symbol in the picture, in pixels.
  double centreX = 500;
  double centreY = 375;
  // Pixels per module.
  double moduleSize = 6.0;
  // Clockwise turn of the sheet, in degrees.
  double degrees = 0.0;
  // The sheet's corners (clockwise from the one at the symbol's top left)
  // moved by these fractions of the sheet's side, x then y of each, after
  // the turn: the sheet in perspective. All zero: seen square on.
  std::array<double, 8> perspective{};
  // The sheet around the symbol, in modules on each side.
  double paperModules = 8.0;

  // Red, green and blue of the paper, what the ink takes from each, and the
  // paper's grain (a grey-level spread of fine value noise).
  std::array<double, 3> paper = {236, 230, 218};
  std::array<double, 3> ink = {200, 198, 190};
  double grain = 6.0;
  // What lies around the sheet, and its colour when plain.
  TSurface surface = TSurface::Wood;
  std::array<double, 3> plain = {128, 128, 128};

  // Light strongest at the top left, this share weaker in the far corner.
  double lightFalloff = 0.35;
  // Ink samples per pixel along each axis (1 to 4): edges come out grey in between.
  std::int32_t samples = 3;
  // Passes of a 1-2-1 blur, horizontally then vertically.
  std::int32_t blurPasses = 1;
  // Largest deviation of the per-pixel noise, in grey levels.
  std::int32_t noise = 6;
};

// The photograph of `modules` (side x side [x][y], True = dark). Corner
// offsets that would fold the sheet are the caller's to avoid (the maker
// allows a fifth of the side); pixels beyond the sheet's horizon show the surface.
TBitmap Photograph(const TPlaneBoolean& modules, const TPhotoScene& scene);

// The hash every random value of a scene comes from (splitmix64's finaliser),
// for callers that add noise of their own in the same way.
std::uint64_t SceneHash(std::uint64_t value);

// Where the sheet's corners land in a scene, in pixels relative to the
// symbol's centre (x, y of each, clockwise from the symbol's top left): what
// a caller needs to size the picture around the sheet.
std::array<double, 8> SheetCorners(std::int32_t side, const TPhotoScene& scene);
