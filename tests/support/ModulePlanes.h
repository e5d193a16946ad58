#pragma once

// Binary planes drawn straight from a module matrix, for tests that need to
// change single modules of an encoder's symbol before looking at it, and the
// pixel positions of modules in such planes and in RenderSymbol's pictures.

#include <cstdint>
#include <vector>

#include "common/Bitmap.h"
#include "common/Plane.h"

namespace testing_support {

// modules [x][y] (1 = dark) drawn with moduleSize pixels per module and a light
// quiet zone of quietModules modules on every side.
inline TPlaneBoolean PlaneFromModules(const TPlaneBoolean& modules, int moduleSize, int quietModules = 4) {
  const std::int32_t side = (modules.Width() + 2 * quietModules) * moduleSize;
  TPlaneBoolean plane(side, side);
  for (std::int32_t y = 0; y < side; ++y)
    for (std::int32_t x = 0; x < side; ++x) {
      const std::int32_t mx = x / moduleSize - quietModules, my = y / moduleSize - quietModules;
      plane[x][y] = modules.Contains(mx, my) && modules[mx][my];
    }
  return plane;
}

// Pixel at the centre of module (mx, my) in a plane drawn by PlaneFromModules
// or RenderSymbol; for the centre module of a finder pattern this is where the
// finder search puts the pattern's centre.
inline TPoint ModuleCentre(std::int32_t mx, std::int32_t my, int moduleSize, int quietModules = 4) {
  return TPoint{(mx + quietModules) * moduleSize + moduleSize / 2, (my + quietModules) * moduleSize + moduleSize / 2};
}

// Same size and same cells.
inline bool SamePlane(const TPlaneBoolean& a, const TPlaneBoolean& b) {
  if (a.Width() != b.Width() || a.Height() != b.Height()) return false;
  for (std::int32_t y = 0; y < a.Height(); ++y)
    for (std::int32_t x = 0; x < a.Width(); ++x)
      if (a[x][y] != b[x][y]) return false;
  return true;
}

// The red pixels of a picture, row after row.
inline std::vector<TPoint> RedPixels(const TBitmap& picture) {
  std::vector<TPoint> red;
  for (std::int32_t y = 0; y < picture.Height(); ++y)
    for (std::int32_t x = 0; x < picture.Width(); ++x)
      if (picture.Pixel(x, y) == kRed) red.push_back({x, y});
  return red;
}

}  // namespace testing_support
