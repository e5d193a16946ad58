#include "Photograph.h"

#include <algorithm>
#include <cmath>
#include <system_error>
#include <thread>
#include <vector>

namespace {

constexpr double kPi = 3.14159265358979323846;
// Pictures of fewer pixels are painted on the calling thread alone.
constexpr std::int64_t kPixelsPerThread = 250'000;

inline std::uint64_t Mix(std::uint64_t value) {
  // splitmix64 finaliser.
  value += 0x9E3779B97F4A7C15ull;
  value = (value ^ (value >> 30)) * 0xBF58476D1CE4E5B9ull;
  value = (value ^ (value >> 27)) * 0x94D049BB133111EBull;
  return value ^ (value >> 31);
}

double Lattice(std::uint64_t seed, std::int64_t x, std::int64_t y) {
  const std::uint64_t h = Mix(seed ^ Mix(static_cast<std::uint64_t>(x) * 0x632BE59BD9B4E019ull + static_cast<std::uint64_t>(y)));
  return static_cast<double>(h >> 11) / 9007199254740992.0;  // [0, 1)
}

// Smooth value noise of the given cell size, 0 to 1.
double ValueNoise(std::uint64_t seed, double x, double y, double cell) {
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

// The value rounded half away from zero and held to 0 .. 255: what lround and
// a clamp give, without a library call. value - floor(value) is exact for
// these magnitudes, so the half is decided exactly.
std::uint8_t Clamp8(double value) {
  if (!(value >= 0.5)) return 0;
  if (value >= 254.5) return 255;
  const auto whole = static_cast<int>(value);
  return static_cast<std::uint8_t>(value - whole >= 0.5 ? whole + 1 : whole);
}

using TMatrix3 = std::array<double, 9>;

// The projective map of the unit square onto the quadrilateral q (corners in
// order around it), as a 3 x 3 matrix of rows.
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

TMatrix3 Product(const TMatrix3& a, const TMatrix3& b) {
  TMatrix3 p{};
  for (std::size_t r = 0; r < 3; ++r)
    for (std::size_t c = 0; c < 3; ++c) p[3 * r + c] = a[3 * r] * b[c] + a[3 * r + 1] * b[3 + c] + a[3 * r + 2] * b[6 + c];
  return p;
}

// The sheet's corners after the turn, in modules from the symbol's centre (x, y each).
std::array<double, 8> TurnedCorners(double paperHalf, double cosine, double sine) {
  constexpr std::array<std::array<double, 2>, 4> kSquare = {{{-1, -1}, {1, -1}, {1, 1}, {-1, 1}}};
  std::array<double, 8> corners{};
  for (std::size_t c = 0; c < 4; ++c) {
    const double a = kSquare[c][0] * paperHalf, b = kSquare[c][1] * paperHalf;
    corners[2 * c] = cosine * a - sine * b;
    corners[2 * c + 1] = sine * a + cosine * b;
  }
  return corners;
}

std::array<double, 8> MovedCorners(const std::array<double, 8>& turned, const TPhotoScene& scene, double paperHalf) {
  std::array<double, 8> moved = turned;
  for (std::size_t i = 0; i < 8; ++i) moved[i] += scene.perspective[i] * 2 * paperHalf;
  return moved;
}

// From the scene in perspective back to the sheet seen square on, both in
// modules from the symbol's centre before the turn is undone.
class TPerspective {
 public:
  TPerspective(const TPhotoScene& scene, double paperHalf, double cosine, double sine) {
    active_ = std::any_of(scene.perspective.begin(), scene.perspective.end(), [](double o) { return o != 0; });
    if (!active_) return;
    const std::array<double, 8> turned = TurnedCorners(paperHalf, cosine, sine);
    const std::array<double, 8> moved = MovedCorners(turned, scene, paperHalf);
    back_ = Product(SquareToQuad(turned), Adjugate(SquareToQuad(moved)));
    // The factor of the adjugate may be negative: points in front of the
    // camera get a positive w, the sheet's moved centre among them.
    double cx = 0, cy = 0;
    for (std::size_t c = 0; c < 4; ++c) {
      cx += moved[2 * c] / 4;
      cy += moved[2 * c + 1] / 4;
    }
    if (back_[6] * cx + back_[7] * cy + back_[8] < 0)
      for (double& value : back_) value = -value;
  }

  bool Active() const { return active_; }
  // False for a point beyond the horizon, which no point of the sheet reaches.
  bool Back(double& dx, double& dy) const {
    const double w = back_[6] * dx + back_[7] * dy + back_[8];
    if (!(w > 0)) return false;
    const double x = (back_[0] * dx + back_[1] * dy + back_[2]) / w;
    dy = (back_[3] * dx + back_[4] * dy + back_[5]) / w;
    dx = x;
    return true;
  }

 private:
  bool active_ = false;
  TMatrix3 back_{};
};

// The blur's 1-2-1 average of three neighbours, rounded.
inline std::uint8_t Smooth(int a, int b, int c) { return static_cast<std::uint8_t>((a + 2 * b + c + 2) / 4); }

// One 1-2-1 pass along rows, then one along columns; edges repeat their last pixel.
void Blur(std::vector<std::uint8_t>& channels, std::vector<std::uint8_t>& scratch, std::int32_t width, std::int32_t height) {
  const std::size_t w = static_cast<std::size_t>(width), row = 3 * w;
  for (std::size_t y = 0; y < static_cast<std::size_t>(height); ++y) {
    const std::uint8_t* in = &channels[y * row];
    std::uint8_t* out = &scratch[y * row];
    for (std::size_t x = 0; x < w; ++x) {
      const std::size_t left = x > 0 ? x - 1 : 0, right = x + 1 < w ? x + 1 : x;
      for (std::size_t c = 0; c < 3; ++c) out[3 * x + c] = Smooth(in[3 * left + c], in[3 * x + c], in[3 * right + c]);
    }
  }
  for (std::size_t y = 0; y < static_cast<std::size_t>(height); ++y) {
    const std::uint8_t* above = &scratch[(y > 0 ? y - 1 : 0) * row];
    const std::uint8_t* middle = &scratch[y * row];
    const std::uint8_t* below = &scratch[(y + 1 < static_cast<std::size_t>(height) ? y + 1 : y) * row];
    std::uint8_t* out = &channels[y * row];
    for (std::size_t i = 0; i < row; ++i) out[i] = Smooth(above[i], middle[i], below[i]);
  }
}

}  // namespace

std::uint64_t SceneHash(std::uint64_t value) { return Mix(value); }

std::array<double, 8> SheetCorners(std::int32_t side, const TPhotoScene& scene) {
  const double radians = scene.degrees * kPi / 180.0;
  const double paperHalf = side / 2.0 + scene.paperModules;
  std::array<double, 8> corners = MovedCorners(TurnedCorners(paperHalf, std::cos(radians), std::sin(radians)), scene, paperHalf);
  for (double& value : corners) value *= scene.moduleSize;
  return corners;
}

TBitmap Photograph(const TPlaneBoolean& modules, const TPhotoScene& scene) {
  const std::int32_t width = scene.width, height = scene.height;
  const std::int32_t size = modules.Width();
  const double radians = scene.degrees * kPi / 180.0;
  const double cosine = std::cos(radians), sine = std::sin(radians);
  const double centreX = scene.centreX, centreY = scene.centreY;
  const double half = size / 2.0;
  const double paperHalf = half + scene.paperModules;
  const std::uint64_t seed = scene.seed;
  const TPerspective perspective(scene, paperHalf, cosine, sine);

  const std::int32_t samples = std::clamp(scene.samples, 1, 4);
  const double perSide = samples;
  // The distance from the centre in modules, along x and along y, of every
  // ink sample of every column and row (the pixel's centre last): the two do
  // not depend on each other before the perspective and the turn.
  const std::size_t stride = static_cast<std::size_t>(samples) + 1;
  auto offsets = [&](std::int32_t count, double centre) {
    std::vector<double> along(static_cast<std::size_t>(count) * stride);
    for (std::int32_t i = 0; i < count; ++i) {
      for (std::int32_t k = 0; k < samples; ++k)
        along[static_cast<std::size_t>(i) * stride + static_cast<std::size_t>(k)] = (i + (k + 0.5) / perSide - centre) / scene.moduleSize;
      along[static_cast<std::size_t>(i) * stride + static_cast<std::size_t>(samples)] = (i + 0.5 - centre) / scene.moduleSize;
    }
    return along;
  };
  const std::vector<double> columnOffsets = offsets(width, centreX), rowOffsets = offsets(height, centreY);
  // Module coordinates (u, v) of sample k, l of pixel (x, y) (k, l = samples:
  // its centre); the symbol spans 0 .. size. False for a point beyond the horizon.
  auto toModules = [&](std::int32_t x, std::int32_t y, std::int32_t k, std::int32_t l, double& u, double& v) {
    double dx = columnOffsets[static_cast<std::size_t>(x) * stride + static_cast<std::size_t>(k)];
    double dy = rowOffsets[static_cast<std::size_t>(y) * stride + static_cast<std::size_t>(l)];
    if (perspective.Active() && !perspective.Back(dx, dy)) return false;
    u = cosine * dx + sine * dy + half;
    v = -sine * dx + cosine * dy + half;
    return true;
  };
  auto inkAt = [&](double u, double v) {
    if (u < 0 || v < 0 || u >= size || v >= size) return false;
    return modules[static_cast<std::int32_t>(u)][static_cast<std::int32_t>(v)] != 0;
  };
  auto sample = [&](std::int32_t x, std::int32_t y, std::int32_t sx, std::int32_t sy, double& u, double& v) {
    return toModules(x, y, sx, sy, u, v);
  };
  // The module cell of a sample when it lies well inside one (clear of its
  // edges by far more than rounding can move a point); -1 otherwise.
  auto cellOf = [](double u, double v) -> std::int64_t {
    constexpr double kClear = 1e-9;
    if (!(std::abs(u) < 1e9 && std::abs(v) < 1e9)) return -1;
    // Floors by truncation, corrected below zero.
    auto iu = static_cast<std::int64_t>(u), iv = static_cast<std::int64_t>(v);
    iu -= u < static_cast<double>(iu) ? 1 : 0;
    iv -= v < static_cast<double>(iv) ? 1 : 0;
    const double fu = static_cast<double>(iu), fv = static_cast<double>(iv);
    if (u - fu < kClear || fu + 1 - u < kClear || v - fv < kClear || fv + 1 - v < kClear) return -1;
    return (iu + 2'000'000'000) * 4'000'000'000ll + (iv + 2'000'000'000);
  };
  // Share of the pixel's ink samples that fall on dark modules. The map from
  // the picture to the modules takes lines to lines, so when the four corner
  // samples lie well inside one module every sample between them does too.
  auto inkShare = [&](std::int32_t x, std::int32_t y) {
    double u = 0, v = 0;
    const std::int32_t last = samples - 1;
    std::int64_t cell = sample(x, y, 0, 0, u, v) ? cellOf(u, v) : -1;
    const bool dark = cell >= 0 && inkAt(u, v);
    for (const auto& [sx, sy] : {std::array<std::int32_t, 2>{last, 0}, {0, last}, {last, last}}) {
      if (cell < 0) break;
      if (!sample(x, y, sx, sy, u, v) || cellOf(u, v) != cell) cell = -1;
    }
    if (cell >= 0) return dark ? 1.0 : 0.0;
    int inked = 0;
    for (std::int32_t sy = 0; sy < samples; ++sy)
      for (std::int32_t sx = 0; sx < samples; ++sx)
        if (sample(x, y, sx, sy, u, v) && inkAt(u, v)) ++inked;
    return inked / (perSide * perSide);
  };

  // Three channels of the sharp scene, then the blur, then the noise.
  std::vector<std::uint8_t> channels(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 3);
  const double diagonal = std::sqrt(static_cast<double>(width) * width + static_cast<double>(height) * height);
  auto paintRows = [&](std::int32_t top, std::int32_t bottom) {
    for (std::int32_t y = top; y < bottom; ++y) {
      for (std::int32_t x = 0; x < width; ++x) {
        // Without falloff the light is exactly 1 everywhere; the square root is spared.
        const double light = scene.lightFalloff == 0
                                 ? 1.0
                                 : 1.0 - scene.lightFalloff * std::sqrt(static_cast<double>(x) * x + static_cast<double>(y) * y) / diagonal;
        double u = 0, v = 0;
        const bool seen = toModules(x, y, samples, samples, u, v);
        std::array<double, 3> colour{};
        if (seen && u > half - paperHalf && u < half + paperHalf && v > half - paperHalf && v < half + paperHalf) {
          // Paper with ink.
          const double ink = inkShare(x, y);
          const double grain = scene.grain == 0 ? 0.0 : scene.grain * (ValueNoise(seed ^ 0x51, x, y, 3.0) - 0.5);
          for (std::size_t c = 0; c < 3; ++c) colour[c] = (scene.paper[c] - ink * scene.ink[c] + grain) * light;
        } else if (scene.surface == TSurface::Wood) {
          // Wood: rings bent by large-scale noise, fine fibres, knots of darker tone.
          const double bend = ValueNoise(seed ^ 0xA1, x, y, 180.0) * 9.0;
          const double rings = 0.5 + 0.5 * std::sin(x * 0.045 + y * 0.006 + bend);
          const double fibre = ValueNoise(seed ^ 0xB2, x * 0.25, y * 4.0, 6.0);
          const double tone = 0.45 * rings + 0.35 * fibre + 0.2 * ValueNoise(seed ^ 0xC3, x, y, 60.0);
          colour = {(95 + 110 * tone) * light, (62 + 85 * tone) * light, (35 + 55 * tone) * light};
        } else {
          for (std::size_t c = 0; c < 3; ++c) colour[c] = scene.plain[c] * light;
        }
        std::uint8_t* out = &channels[(static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(x)) * 3];
        for (std::size_t c = 0; c < 3; ++c) out[c] = Clamp8(colour[c]);
      }
    }
  };
  // Every pixel depends only on its own position, so bands of rows are
  // painted on threads of their own with the same result.
  const std::int64_t pixels = static_cast<std::int64_t>(width) * height;
  const std::int32_t bands = pixels < kPixelsPerThread ? 1 : static_cast<std::int32_t>(std::clamp<std::int64_t>(
                                 std::min<std::int64_t>(std::thread::hardware_concurrency(), pixels / kPixelsPerThread), 1, 8));
  auto bandTop = [&](std::int32_t band) { return static_cast<std::int32_t>(static_cast<std::int64_t>(height) * band / bands); };
  std::vector<std::thread> helpers;
  helpers.reserve(static_cast<std::size_t>(bands));
  std::int32_t band = 1;
  try {
    for (; band < bands; ++band) helpers.emplace_back(paintRows, bandTop(band), bandTop(band + 1));
  } catch (const std::system_error&) {
    // No thread to spare: the bands no thread took are painted here.
  }
  paintRows(0, bandTop(1));
  paintRows(bandTop(band), height);
  for (std::thread& helper : helpers) helper.join();

  if (scene.blurPasses > 0) {
    std::vector<std::uint8_t> scratch(channels.size());
    for (std::int32_t pass = 0; pass < scene.blurPasses; ++pass) Blur(channels, scratch, width, height);
  }
  TBitmap picture = TBitmap::WithoutFill(width, height);
  const std::int32_t spread = 2 * std::max(scene.noise, 0) + 1;
  for (std::int32_t y = 0; y < height; ++y) {
    TColor* row = picture.MutableRow(y);
    for (std::int32_t x = 0; x < width; ++x) {
      const std::uint64_t h = spread > 1 ? Mix(seed ^ (static_cast<std::uint64_t>(y) << 32 | static_cast<std::uint32_t>(x))) : 0;
      const std::uint8_t* in = &channels[(static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(x)) * 3];
      TColor colour = 0;
      for (int c = 0; c < 3; ++c) {
        const int noise = spread > 1 ? static_cast<int>((h >> (16 * c)) % static_cast<std::uint64_t>(spread)) - scene.noise : 0;
        colour |= static_cast<TColor>(std::clamp(in[c] + noise, 0, 255)) << (8 * c);
      }
      row[x] = colour;
    }
  }
  return picture;
}
