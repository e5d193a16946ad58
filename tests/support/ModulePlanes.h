#pragma once

// Binary planes drawn straight from a module matrix, for tests that need to
// change single modules of an encoder's symbol before looking at it.

#include <cstdint>

#include "common/Plane.h"

namespace testing_support {

// modules [x][y] (1 = dark) drawn with moduleSize pixels per module and a light
// quiet zone of quietModules modules on every side.
inline TPlaneBoolean PlaneFromModules(const TPlaneBoolean& modules, int moduleSize, int quietModules = 4) {
  const std::int32_t side = (modules.Width() + 2 * quietModules) * moduleSize;
  TPlaneBoolean plane(side, side);
  for (std::int32_t my = 0; my < modules.Height(); ++my)
    for (std::int32_t mx = 0; mx < modules.Width(); ++mx) {
      if (!modules[mx][my]) continue;
      const std::int32_t left = (mx + quietModules) * moduleSize;
      const std::int32_t top = (my + quietModules) * moduleSize;
      for (std::int32_t dy = 0; dy < moduleSize; ++dy)
        for (std::int32_t dx = 0; dx < moduleSize; ++dx) plane[left + dx][top + dy] = 1;
    }
  return plane;
}

// Pixel at the centre of module (mx, my) in a plane drawn by PlaneFromModules.
inline TPoint ModuleCentre(std::int32_t mx, std::int32_t my, int moduleSize, int quietModules = 4) {
  return TPoint{(mx + quietModules) * moduleSize + moduleSize / 2, (my + quietModules) * moduleSize + moduleSize / 2};
}

}  // namespace testing_support
