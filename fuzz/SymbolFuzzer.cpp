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
#include <cstdint>
#include <string>
#include <vector>

#include "DecodeChecks.h"
#include "FuzzInput.h"
#include "TestSymbols.h"
#include "common/Bitmap.h"
#include "common/Surfaces.h"
#include "decoder/Veltrix.h"
#include "sample/Photograph.h"

namespace {

namespace ts = testing_support;

// Large enough for a version-10 symbol at 9 pixels per module, small enough
// that a decode stays within a few milliseconds.
constexpr int kMaxSide = 1400;

// The module matrix photographed in the scene, sized to the sheet's bounding
// box (the symbol and its quiet zone) with the margin around it.
TBitmap PhotographScene(const TPlaneBoolean& modules, TPhotoScene scene, int margin) {
  const std::array<double, 8> corners = SheetCorners(modules.Width(), scene);
  double left = corners[0], top = corners[1], right = corners[0], bottom = corners[1];
  for (std::size_t c = 1; c < 4; ++c) {
    left = std::min(left, corners[2 * c]);
    right = std::max(right, corners[2 * c]);
    top = std::min(top, corners[2 * c + 1]);
    bottom = std::max(bottom, corners[2 * c + 1]);
  }
  scene.width = std::min(kMaxSide, static_cast<int>(right - left) + 2 * margin + 1);
  scene.height = std::min(kMaxSide, static_cast<int>(bottom - top) + 2 * margin + 1);
  scene.centreX = margin - left;
  scene.centreY = margin - top;
  return Photograph(modules, scene);
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
  TPhotoScene scene;
  scene.moduleSize = 1.5 + (input.Byte() % 31) * 0.25;
  const std::uint8_t quietAndBlur = input.Byte();
  scene.paperModules = quietAndBlur % 6;
  scene.blurPasses = (quietAndBlur / 6) % 3;
  scene.degrees = input.Byte() * (360.0 / 256);
  // Corners moved by up to a fifth of the side, which keeps the sheet unfolded.
  for (double& shift : scene.perspective) shift = static_cast<std::int8_t>(input.Byte()) / 640.0;
  const int margin = input.Byte() % 64;
  const double dark = input.Byte() % 128;
  const double light = 128 + input.Byte() % 128;
  scene.paper = {light, light, light};
  scene.ink = {light - dark, light - dark, light - dark};
  scene.grain = 0;
  scene.surface = TSurface::Plain;
  scene.plain = scene.paper;
  scene.lightFalloff = (input.Byte() % 128) / 256.0;
  const std::uint8_t noise = input.Byte();
  scene.noise = noise < 192 ? 0 : 2 * (noise - 192);
  scene.seed = static_cast<std::uint32_t>(input.Int32());
  scene.samples = 1;
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
  TPlaneBoolean plane = symbol.Matrix();
  auto module = [&](int x, int y) -> std::uint8_t& { return plane[x][y]; };
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

  const TBitmap picture = PhotographScene(plane, scene, margin);

  TSurfaces surfaces;
  TVeltrix veltrix(surfaces);
  veltrix.SetWarp(warp);
  veltrix.SetResolver(resolver);
  veltrix.SetForceVersion(forceVersion);
  fuzzing::CountReach(surfaces, fuzzing::CheckedDecode(veltrix, picture));
  return 0;
}
