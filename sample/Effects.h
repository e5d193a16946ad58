#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "common/Bitmap.h"
#include "common/Plane.h"

// The photograph effects a made symbol can be given, as a teacher names them:
// one table that the command line's --effects, its help and manual page, the
// window's controls and the record of what was made all read.

enum class TEffect : std::uint8_t { Rotation, Perspective, Blur, Noise, Light, Scale, Background, Jpeg };

struct TEffectRow {
  TEffect effect;
  std::string_view key;    // KEY=VALUE in an effects list
  std::string_view label;  // the window's caption
  std::string_view help;   // what the value means, for the help text and the manual page
  double minimum;
  double maximum;
  double neutral;  // the value that leaves the picture as it is
  double typical;  // a value that shows the effect clearly, for "all"
  // Digits after the point a value may be given with in the window; 0 for an
  // effect counted in whole steps, whose list item refuses a fraction.
  int decimals;
};

// Surfaces the sheet can lie on. White shows no sheet at all; wood gives the
// look of the test photographs (tinted paper with grain on a wooden desk).
enum class TBackground : std::uint8_t { White, Grey, Dark, Wood };
struct TBackgroundName {
  TBackground background;
  std::string_view key;
  std::string_view label;
};
inline constexpr std::array<TBackgroundName, 4> kBackgrounds = {{
    {TBackground::White, "white", "白"},
    {TBackground::Grey, "grey", "灰色"},
    {TBackground::Dark, "dark", "黒っぽい机"},
    {TBackground::Wood, "wood", "木の机"},
}};

inline constexpr std::array<TEffectRow, 8> kEffects = {{
    {TEffect::Rotation, "rotation", "回転 (度)", "clockwise turn in degrees", -180, 180, 0, 10, 1},
    {TEffect::Perspective, "perspective", "遠近 (%)",
     "corners moved, in % of the sheet's side: one value P narrows the top edge by P % at each end, "
     "or eight X:Y values for the corners clockwise from the top left", -20, 20, 0, 5, 1},
    {TEffect::Blur, "blur", "ぼかし (回)", "passes of a 3-pixel blur", 0, 10, 0, 2, 0},
    {TEffect::Noise, "noise", "ノイズ (階調)", "largest per-pixel noise, in grey levels", 0, 100, 0, 12, 0},
    {TEffect::Light, "light", "照明むら (%)", "light lost towards the bottom-right corner, in %", 0, 90, 0, 40, 0},
    {TEffect::Scale, "scale", "倍率", "factor on the pixels per module (fractions give grey edges)", 0.2, 4, 1, 0.7, 2},
    {TEffect::Background, "background", "背景", "white, grey, dark or wood", 0, 3, 0, 3, 0},
    {TEffect::Jpeg, "jpeg", "JPEG 品質", "JPEG quality 1 to 100 the picture goes through; 0 none", 0, 100, 0, 40, 0},
}};
const TEffectRow& RowOf(TEffect effect);

struct TPhotoEffects {
  double rotation = 0;
  // Percent of the sheet's side: x, y of each corner, clockwise from the top left.
  std::array<double, 8> perspective{};
  std::int32_t blur = 0;
  std::int32_t noise = 0;
  std::int32_t light = 0;
  double scale = 1;
  TBackground background = TBackground::White;
  std::int32_t jpeg = 0;

  // Every effect at its neutral value, "none" (the clean symbol), or each at its typical value, "all".
  static TPhotoEffects None() { return {}; }
  static TPhotoEffects All();
  bool Any() const { return !(*this == TPhotoEffects{}); }
  friend bool operator==(const TPhotoEffects&, const TPhotoEffects&) = default;
};

// Reads "KEY=VALUE,KEY=VALUE..." (keys of kEffects, in any order, each at
// most once), "none" or "all" (which later items may change). Throws
// TSampleError naming the item at fault and what it should be.
TPhotoEffects ParseEffects(std::string_view list);
// The list ParseEffects reads back to the same effects: the effects that are
// not neutral in table order, or "none".
std::string FormatEffects(const TPhotoEffects& effects);

// The most pixels a made picture may have.
inline constexpr std::int64_t kMaxSamplePixels = 40'000'000;

// The symbol (side x side [x][y], True = dark) at `moduleSize` pixels per
// module with `quietZone` light modules around it, photographed with the
// effects; without effects, the crisp black and white symbol. `jpeg`, when
// the JPEG effect is on, receives the file whose decoding the picture is.
// Throws TSampleError when the picture would have fewer than one pixel per
// module or more than kMaxSamplePixels.
TBitmap PhotographSymbol(const TPlaneBoolean& modules, std::int32_t moduleSize, std::int32_t quietZone,
                         const TPhotoEffects& effects, std::uint64_t seed, std::string* jpeg = nullptr);
