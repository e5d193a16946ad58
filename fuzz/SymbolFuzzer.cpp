// The whole decode through the facade on a real symbol, damaged and
// photographed from the input bytes, so that the corner, alignment, sampling
// and Reed-Solomon stages see pictures they could meet (the raw-pixel decode
// harness rarely gets past the finder search). The input, field after field
// (fields past its end read as zero):
//   version 1-10, error-correction level
//   finder damage: for each finder a kind and a rectangle of the 9 x 9 modules
//     around it (separator included), painted dark or light for a quarter of the kinds
//   pixels per module 1.5-9, quiet zone 0-5 modules, a turn in 1.4 degree
//     steps, the four corners of the symbol each moved by up to a quarter of
//     its side (perspective and scale), a margin
//   dark and light grey levels, a light gradient, noisy pixels (none for
//     three quarters of the values) and their seed
//   Resolver (-128..127), Warp (0-7), ForceVersion (mostly 0, else 0-41)
//   module flips: a count 0-31, then column and row of each (modulo the size)
//   the text: the rest of the input, at most 47 bytes ("MORILUX" when none)
// Every picture must end in a text or a failure with a message, as in the
// raw-pixel harness.

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <numbers>
#include <string>
#include <vector>

#include "DecodeChecks.h"
#include "FuzzInput.h"
#include "TestSymbols.h"
#include "common/Bitmap.h"
#include "common/Surfaces.h"
#include "decoder/Veltrix.h"

namespace {

namespace ts = testing_support;

// Large enough for a version-10 symbol at 9 pixels per module, small enough
// that a decode stays within a few milliseconds.
constexpr int kMaxSide = 1400;

using TMatrix3 = std::array<double, 9>;

// The projective map of the unit square onto the quadrilateral q0 q1 q2 q3
// (corners in order around it), as a 3 x 3 matrix of rows.
TMatrix3 SquareToQuad(const std::array<double, 8>& q) {
  const double x0 = q[0], y0 = q[1], x1 = q[2], y1 = q[3], x2 = q[4], y2 = q[5], x3 = q[6], y3 = q[7];
  const double sx = x0 - x1 + x2 - x3, sy = y0 - y1 + y2 - y3;
  const double dx1 = x1 - x2, dx2 = x3 - x2, dy1 = y1 - y2, dy2 = y3 - y2;
  const double den = dx1 * dy2 - dx2 * dy1;
  const double g = den == 0 ? 0 : (sx * dy2 - dx2 * sy) / den;
  const double h = den == 0 ? 0 : (dx1 * sy - sx * dy1) / den;
  return {x1 - x0 + g * x1, x3 - x0 + h * x3, x0, y1 - y0 + g * y1, y3 - y0 + h * y3, y0, g, h, 1};
}

// The inverse up to a factor (the adjugate), which is all a projective map needs.
TMatrix3 Adjugate(const TMatrix3& m) {
  return {m[4] * m[8] - m[5] * m[7], m[2] * m[7] - m[1] * m[8], m[1] * m[5] - m[2] * m[4],
          m[5] * m[6] - m[3] * m[8], m[0] * m[8] - m[2] * m[6], m[2] * m[3] - m[0] * m[5],
          m[3] * m[7] - m[4] * m[6], m[1] * m[6] - m[0] * m[7], m[0] * m[4] - m[1] * m[3]};
}

struct TScene {
  std::array<double, 8> corners{};  // pixels, clockwise from the symbol's top left
  int width = 0, height = 0;
  int dark = 0, light = 255;
  int gradient = 0;    // grey levels lost from left to right
  int noiseShare = 0;  // of 256 pixels
  std::uint32_t noiseSeed = 1;
};

// Paints the module matrix (quiet zone included, `span` modules a side) seen through the scene's projection.
TBitmap Photograph(const std::vector<std::uint8_t>& modules, int size, int quiet, const TScene& scene) {
  const int span = size + 2 * quiet;
  const TMatrix3 back = Adjugate(SquareToQuad(scene.corners));
  TBitmap picture = TBitmap::WithoutFill(scene.width, scene.height);
  std::uint32_t random = scene.noiseSeed | 1;
  for (int y = 0; y < scene.height; ++y) {
    TColor* row = picture.MutableRow(y);
    for (int x = 0; x < scene.width; ++x) {
      const double px = x + 0.5, py = y + 0.5;
      const double w = back[6] * px + back[7] * py + back[8];
      bool ink = false;
      if (w != 0) {
        const double u = (back[0] * px + back[1] * py + back[2]) / w * span - quiet;
        const double v = (back[3] * px + back[4] * py + back[5]) / w * span - quiet;
        if (u >= 0 && v >= 0 && u < size && v < size)
          ink = modules[static_cast<std::size_t>(v) * static_cast<std::size_t>(size) + static_cast<std::size_t>(u)] != 0;
      }
      int grey = (ink ? scene.dark : scene.light) - scene.gradient * x / std::max(scene.width, 1);
      random = random * 1664525u + 1013904223u;
      if (static_cast<int>(random >> 24) < scene.noiseShare) grey = static_cast<int>((random >> 8) & 0xFF);
      const auto level = static_cast<TColor>(std::clamp(grey, 0, 255));
      row[x] = level | (level << 8) | (level << 16);
    }
  }
  return picture;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzzing::TFuzzInput input(data, size);
  const int version = 1 + input.Byte() % 10;
  const int level = input.Byte() % 4;
  struct TDamage {
    std::uint8_t kind, x0, y0, w, h;
  };
  std::array<TDamage, 3> damage{};
  for (TDamage& d : damage) d = {input.Byte(), input.Byte(), input.Byte(), input.Byte(), input.Byte()};
  const double pitch = 1.5 + (input.Byte() % 31) * 0.25;
  const int quiet = input.Byte() % 6;
  const double turn = input.Byte() * (2 * std::numbers::pi / 256);
  std::array<double, 8> shifts{};
  for (double& shift : shifts) shift = static_cast<std::int8_t>(input.Byte()) / 512.0;
  const int margin = input.Byte() % 64;
  TScene scene;
  scene.dark = input.Byte() % 128;
  scene.light = 128 + input.Byte() % 128;
  scene.gradient = input.Byte() % 128;
  const std::uint8_t noise = input.Byte();
  scene.noiseShare = noise < 192 ? 0 : noise - 192;
  scene.noiseSeed = static_cast<std::uint32_t>(input.Int32());
  const std::int32_t resolver = static_cast<std::int8_t>(input.Byte());
  const std::int32_t warp = input.Byte() % 8;
  const std::uint8_t forced = input.Byte();
  const std::int32_t forceVersion = forced % 8 == 0 ? (forced / 8) % 42 : 0;
  const int flips = input.Byte() % 32;
  std::vector<std::array<std::uint8_t, 2>> flipped(static_cast<std::size_t>(flips));
  for (auto& [x, y] : flipped) {
    x = input.Byte();
    y = input.Byte();
  }
  // The text last, so that inserting or erasing a byte of it moves no other field.
  std::string text(reinterpret_cast<const char*>(input.Rest()), std::min<std::size_t>(input.RestSize(), 47));
  if (text.empty()) text = "MORILUX";  // the encoder takes no empty text

  ts::TTestSymbol symbol;
  try {
    symbol = ts::EncodeBytes(text, version, level);
  } catch (const std::exception&) {
    return 0;  // the encoder refuses (it does not for texts this short)
  }
  const int modulesPerSide = symbol.size;
  std::vector<std::uint8_t> modules(static_cast<std::size_t>(modulesPerSide) * modulesPerSide);
  for (int y = 0; y < modulesPerSide; ++y)
    for (int x = 0; x < modulesPerSide; ++x) modules[static_cast<std::size_t>(y * modulesPerSide + x)] = symbol.Dark(x, y);
  auto module = [&](int x, int y) -> std::uint8_t& {
    return modules[static_cast<std::size_t>(y * modulesPerSide + x)];
  };
  for (const auto& [x, y] : flipped) module(x % modulesPerSide, y % modulesPerSide) ^= 1;
  // A rectangle of the 9 x 9 modules around each finder, separator included,
  // painted dark (kind 1) or light (kind 2), modulo 8; other kinds leave the
  // finder whole, so that most pictures keep all three.
  const std::array<std::array<int, 2>, 3> finders = {{{-1, -1}, {modulesPerSide - 8, -1}, {-1, modulesPerSide - 8}}};
  for (int f = 0; f < 3; ++f) {
    const TDamage& d = damage[static_cast<std::size_t>(f)];
    if (d.kind % 8 != 1 && d.kind % 8 != 2) continue;
    const int fx = finders[static_cast<std::size_t>(f)][0], fy = finders[static_cast<std::size_t>(f)][1];
    const int x0 = fx + d.x0 % 9, y0 = fy + d.y0 % 9;
    for (int y = std::max(y0, 0); y < std::min({y0 + 1 + d.h % 9, fy + 9, modulesPerSide}); ++y)
      for (int x = std::max(x0, 0); x < std::min({x0 + 1 + d.w % 9, fx + 9, modulesPerSide}); ++x)
        module(x, y) = d.kind % 8 == 1;
  }

  // The symbol's square turned about its centre, each corner moved by up to a
  // quarter of the side, then placed with the margin around its bounding box.
  const double side = (modulesPerSide + 2 * quiet) * pitch;
  const std::array<std::array<double, 2>, 4> square = {{{-0.5, -0.5}, {0.5, -0.5}, {0.5, 0.5}, {-0.5, 0.5}}};
  std::array<double, 8> corners{};
  for (int c = 0; c < 4; ++c) {
    const double cx = (square[c][0] + shifts[2 * c]) * side, cy = (square[c][1] + shifts[2 * c + 1]) * side;
    corners[2 * c] = cx * std::cos(turn) - cy * std::sin(turn);
    corners[2 * c + 1] = cx * std::sin(turn) + cy * std::cos(turn);
  }
  double left = corners[0], top = corners[1], right = corners[0], bottom = corners[1];
  for (int c = 1; c < 4; ++c) {
    left = std::min(left, corners[2 * c]);
    right = std::max(right, corners[2 * c]);
    top = std::min(top, corners[2 * c + 1]);
    bottom = std::max(bottom, corners[2 * c + 1]);
  }
  for (int c = 0; c < 4; ++c) {
    corners[2 * c] += margin - left;
    corners[2 * c + 1] += margin - top;
  }
  scene.corners = corners;
  scene.width = std::min(kMaxSide, static_cast<int>(right - left) + 2 * margin + 1);
  scene.height = std::min(kMaxSide, static_cast<int>(bottom - top) + 2 * margin + 1);
  const TBitmap picture = Photograph(modules, modulesPerSide, quiet, scene);

  TSurfaces surfaces;
  TVeltrix veltrix(surfaces);
  veltrix.SetWarp(warp);
  veltrix.SetResolver(resolver);
  veltrix.SetForceVersion(forceVersion);
  fuzzing::CountReach(surfaces, fuzzing::CheckedDecode(veltrix, picture));
  return 0;
}
