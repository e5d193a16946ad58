// Pictures a user may load that hold no readable symbol, or a symbol the
// decoder cannot fit, and parameters at and beyond their ends: every decode
// ends in the symbol's text or in a failure that says why.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "RobustnessSupport.h"
#include "TestSymbols.h"
#include "common/Messages.h"

using robustness::Decode;
using robustness::EndsCleanly;
using robustness::TextOrCleanFailure;
using robustness::TParameters;

namespace ts = testing_support;

namespace {

const std::string kNoSymbol = ErrorMessage(1);
constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();
constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();

TColor Grey(int level) {
  const TColor v = static_cast<TColor>(level);
  return v | (v << 8) | (v << 16);
}

TBitmap Filled(std::int32_t width, std::int32_t height, TColor colour) {
  TBitmap picture(width, height);
  for (std::int32_t y = 0; y < height; ++y)
    for (std::int32_t x = 0; x < width; ++x) picture.SetPixel(x, y, colour);
  return picture;
}

TBitmap Noise(std::int32_t width, std::int32_t height, unsigned seed, bool colour) {
  std::mt19937 random(seed);
  TBitmap picture(width, height);
  for (std::int32_t y = 0; y < height; ++y)
    for (std::int32_t x = 0; x < width; ++x)
      picture.SetPixel(x, y, colour ? static_cast<TColor>(random() & 0xFFFFFF) : (random() & 1 ? kBlack : kWhite));
  return picture;
}

// Dark and light bands whose widths repeat `widths` (dark first), across x,
// down y, or along the diagonal.
enum class TDirection { Vertical, Horizontal, Diagonal };
TBitmap Stripes(std::int32_t width, std::int32_t height, const std::vector<int>& widths, TDirection direction) {
  std::vector<bool> dark;
  for (std::size_t i = 0; i < widths.size(); ++i) dark.insert(dark.end(), static_cast<std::size_t>(widths[i]), i % 2 == 0);
  TBitmap picture(width, height);
  for (std::int32_t y = 0; y < height; ++y)
    for (std::int32_t x = 0; x < width; ++x) {
      const std::int32_t along = direction == TDirection::Vertical ? x : (direction == TDirection::Horizontal ? y : x + y);
      picture.SetPixel(x, y, dark[static_cast<std::size_t>(along) % dark.size()] ? kBlack : kWhite);
    }
  return picture;
}

// Finder-like rings (1:1:3:1:1) tiled over the picture: every row and column
// is full of runs that pass the finder test, in a grid that is no symbol.
TBitmap FinderTiles(std::int32_t width, std::int32_t height, int module) {
  TBitmap picture(width, height);
  const int tile = 8 * module;
  for (std::int32_t y = 0; y < height; ++y)
    for (std::int32_t x = 0; x < width; ++x) {
      const int mx = (x % tile) / module, my = (y % tile) / module;
      if (mx == 7 || my == 7) continue;  // separator
      const int ring = std::max(std::abs(mx - 3), std::abs(my - 3));
      if (ring != 2) picture.SetPixel(x, y, kBlack);
    }
  return picture;
}

// The picture placed on a white canvas of width x height with its top-left
// pixel at (dx, dy); what falls outside the canvas is cut off.
TBitmap Place(const TBitmap& picture, std::int32_t width, std::int32_t height, std::int32_t dx, std::int32_t dy) {
  TBitmap canvas = Filled(width, height, kWhite);
  for (std::int32_t y = 0; y < picture.Height(); ++y)
    for (std::int32_t x = 0; x < picture.Width(); ++x) canvas.SetPixel(x + dx, y + dy, picture.Pixel(x, y));
  return canvas;
}

struct TSample {
  std::string text;
  ts::TTestSymbol symbol;
  TBitmap picture;
};

TSample Sample(int version, int level, const std::string& text, int moduleSize) {
  TSample sample{text, ts::EncodeBytes(text, version, level), {}};
  sample.picture = ts::RenderSymbol(sample.symbol, moduleSize, 4);
  return sample;
}

}  // namespace

TEST(PicturesWithoutSymbol, OneColourFailsWithNoFinderPattern) {
  for (const TColor colour : {kWhite, kBlack, Grey(128), Grey(1), kRed, kBlue, kYellow}) {
    for (const TParameters parameters : {TParameters{}, TParameters{-128, 1, 0}, TParameters{128, 6, 0}}) {
      const auto outcome = Decode(Filled(120, 90, colour), parameters);
      EXPECT_TRUE(EndsCleanly(outcome)) << std::hex << colour;
      EXPECT_FALSE(outcome.decoded);
      EXPECT_EQ(outcome.errorText, kNoSymbol) << std::hex << colour << " resolver " << std::dec << parameters.resolver;
    }
  }
}

TEST(PicturesWithoutSymbol, NoiseEndsInAFailure) {
  for (unsigned seed = 1; seed <= 6; ++seed) {
    for (const bool colour : {false, true}) {
      const auto outcome = Decode(Noise(97 + 31 * static_cast<std::int32_t>(seed), 113, seed, colour));
      EXPECT_TRUE(EndsCleanly(outcome)) << seed;
      EXPECT_FALSE(outcome.decoded) << seed;
    }
  }
}

TEST(PicturesWithoutSymbol, StripesEndInAFailure) {
  // Plain bands, and bands in the finder proportions 1:1:3:1:1 at several
  // scales, which pass the run test on every line across them.
  const std::vector<std::vector<int>> patterns = {{1, 1}, {3, 5}, {1, 1, 3, 1, 1, 1}, {4, 4, 12, 4, 4, 9}, {7, 7, 21, 7, 7, 30}};
  for (const auto& widths : patterns)
    for (const TDirection direction : {TDirection::Vertical, TDirection::Horizontal, TDirection::Diagonal}) {
      const auto outcome = Decode(Stripes(200, 150, widths, direction));
      EXPECT_TRUE(EndsCleanly(outcome)) << widths[0] << " " << static_cast<int>(direction);
      EXPECT_FALSE(outcome.decoded);
    }
}

TEST(PicturesWithoutSymbol, TiledFinderPatternsEndInAFailure) {
  for (const int module : {1, 2, 3, 5}) {
    for (const std::int32_t warp : {1, 6}) {
      const auto outcome = Decode(FinderTiles(64 * module + 5, 48 * module + 3, module), {7, warp, 0});
      EXPECT_TRUE(EndsCleanly(outcome)) << module;
      EXPECT_FALSE(outcome.decoded) << module;
    }
  }
}

TEST(TinyPictures, FailWithNoFinderPattern) {
  const std::vector<std::pair<std::int32_t, std::int32_t>> sizes = {{0, 0}, {1, 1}, {2, 1}, {1, 2}, {1, 50}, {50, 1},
                                                                    {2, 2}, {3, 3}, {7, 7}, {0, 10}, {10, 0}};
  for (const auto& [width, height] : sizes)
    for (const TColor colour : {kWhite, kBlack}) {
      const auto outcome = Decode(Filled(width, height, colour));
      EXPECT_TRUE(EndsCleanly(outcome)) << width << "x" << height;
      EXPECT_FALSE(outcome.decoded);
      EXPECT_EQ(outcome.errorText, kNoSymbol) << width << "x" << height;
    }
  // One line of the finder proportions, the smallest run pattern that passes.
  const auto outcome = Decode(Stripes(11, 1, {1, 1, 3, 1, 1, 4}, TDirection::Vertical));
  EXPECT_TRUE(EndsCleanly(outcome));
  EXPECT_FALSE(outcome.decoded);
}

TEST(CutSymbols, DecodeOrFailCleanly) {
  const TSample sample = Sample(3, 1, "cut by the edge", 4);
  const std::int32_t side = sample.picture.Width();  // (29 + 8) x 4 = 148
  // The symbol starts 16 pixels (its quiet zone) in: shifts of up to 16 only
  // cut the quiet zone; larger ones cut into the symbol from each side.
  for (const std::int32_t shift : {8, 16, 20, 30, 60, 100}) {
    const std::vector<std::pair<std::int32_t, std::int32_t>> offsets = {{-shift, 0}, {shift, 0}, {0, -shift}, {0, shift}, {shift, shift}, {-shift, -shift}};
    for (const auto& [dx, dy] : offsets) {
      const auto outcome = Decode(Place(sample.picture, side, side, dx, dy));
      EXPECT_TRUE(TextOrCleanFailure(outcome, sample.text)) << dx << "," << dy;
      if (shift <= 8) {
        EXPECT_TRUE(outcome.decoded) << "a cut quiet zone " << dx << "," << dy << ": " << outcome.Reason();
      }
    }
  }
  // Half of a bigger symbol, and a narrow band through the middle.
  const TSample big = Sample(7, 0, "a symbol of version seven, cut in two by the picture's edge", 3);
  const std::int32_t bigSide = big.picture.Width();
  for (const auto& [width, height, dx, dy] : std::vector<std::array<std::int32_t, 4>>{
           {bigSide / 2, bigSide, 0, 0}, {bigSide, bigSide / 2, 0, 0}, {bigSide / 2, bigSide, -bigSide / 2, 0},
           {bigSide, 20, 0, -bigSide / 2}, {bigSide - 14, bigSide - 14, 0, 0}}) {
    const auto outcome = Decode(Place(big.picture, width, height, dx, dy));
    EXPECT_TRUE(TextOrCleanFailure(outcome, big.text)) << width << "x" << height << " " << dx << "," << dy;
  }
}

TEST(ForcedVersions, ThatDoNotFitFailCleanly) {
  const TSample sample = Sample(2, 1, "forced", 3);
  for (std::int32_t forced = -5; forced <= 45; ++forced) {
    const auto outcome = Decode(sample.picture, {7, 6, forced});
    EXPECT_TRUE(TextOrCleanFailure(outcome, sample.text)) << forced;
    // Automatic detection, and the symbol's own version, read it.
    if (forced <= 0 || forced == 2) {
      EXPECT_TRUE(outcome.decoded) << forced << ": " << outcome.Reason();
    }
  }
  for (const std::int32_t forced : {kMax, kMax - 1, 1000, 100000, kMin, kMin + 1, -100000}) {
    const auto outcome = Decode(sample.picture, {7, 6, forced});
    EXPECT_TRUE(TextOrCleanFailure(outcome, sample.text)) << forced;
    if (forced < 0) {
      EXPECT_TRUE(outcome.decoded) << forced << ": " << outcome.Reason();
    }
  }
  // A large version forced onto a tiny picture, and onto a picture without a symbol.
  const TSample tiny = Sample(1, 0, "1", 1);
  for (const std::int32_t forced : {1, 14, 40, kMax}) {
    EXPECT_TRUE(TextOrCleanFailure(Decode(tiny.picture, {7, 6, forced}), tiny.text)) << forced;
    EXPECT_TRUE(EndsCleanly(Decode(Filled(40, 40, kWhite), {7, 6, forced}))) << forced;
  }
}

TEST(WarpEnds, DecodeOrFailCleanly) {
  const std::vector<TSample> samples = {Sample(1, 0, "warp", 4), Sample(4, 2, "warp at both ends", 3),
                                        Sample(8, 1, "warp at both ends of its range, version eight", 3)};
  for (const TSample& sample : samples) {
    for (const std::int32_t warp : {kMin, 0, 1, 6, 7, kMax}) {
      for (const double degrees : {0.0, 9.0, 33.0}) {
        const TBitmap picture = degrees == 0.0 ? sample.picture : ts::RenderSymbolRotated(sample.symbol, 4, 4, degrees);
        const auto outcome = Decode(picture, {7, warp, 0});
        EXPECT_TRUE(TextOrCleanFailure(outcome, sample.text)) << sample.symbol.version << " warp " << warp << " " << degrees;
      }
      const auto upright = Decode(sample.picture, {7, warp, 0});
      EXPECT_TRUE(upright.decoded) << sample.symbol.version << " warp " << warp << ": " << upright.Reason();
    }
  }
}

TEST(ResolverEnds, DecodeOrFailCleanly) {
  const TSample sample = Sample(3, 2, "resolver", 3);
  for (const std::int32_t resolver : {kMin, -128, -64, 0, 64, 128, kMax}) {
    const auto outcome = Decode(sample.picture, {resolver, 6, 0});
    EXPECT_TRUE(TextOrCleanFailure(outcome, sample.text)) << resolver;
  }
}

TEST(RepeatedDecodes, OneFacadeStaysSound) {
  // A facade keeps its panes and driver from one decode to the next: a
  // sequence of very different pictures must not trip over leftovers.
  TSurfaces surfaces;
  TVeltrix veltrix(surfaces);
  const TSample big = Sample(10, 1, "the largest of the sequence", 3);
  const TSample small = Sample(1, 3, "small", 3);
  const std::vector<TBitmap> pictures = {big.picture, TBitmap(0, 0), small.picture, Noise(300, 20, 9, true),
                                         TBitmap(1, 50), big.picture, Stripes(60, 60, {1, 1, 3, 1, 1, 2}, TDirection::Diagonal),
                                         small.picture};
  for (std::size_t i = 0; i < pictures.size(); ++i) {
    const auto outcome = Decode(veltrix, pictures[i], {7, 6, i % 3 == 2 ? 40 : 0});
    EXPECT_TRUE(EndsCleanly(outcome)) << i;
  }
  EXPECT_EQ(Decode(veltrix, big.picture).text, big.text);
  EXPECT_EQ(Decode(veltrix, small.picture).text, small.text);
}
