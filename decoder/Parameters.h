#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "image/FrontImage.h"
#include "symbol/Versions.h"

// The three parameters a user sets for an analysis.
enum class TParameter { Resolver, Warp, ForceVersion };

struct TParameterRange {
  TParameter parameter;
  std::string_view name;
  std::int32_t minimum;
  std::int32_t maximum;
  std::int32_t preset;

  std::int32_t Clamp(std::int32_t value) const { return std::clamp(value, minimum, maximum); }
};

// The range and preset of each parameter, as the window's fields hold them and
// the command line takes them; the facade clamps Resolver and Warp to these
// ranges. Resolver is preset to the offset the binarizer starts with.
inline constexpr std::array<TParameterRange, 3> kParameterRanges = {{
    {TParameter::Resolver, "Resolver", -128, 128, TFrontImage::kInitialOffset},
    {TParameter::Warp, "Warp", 1, 6, 6},
    {TParameter::ForceVersion, "ForceVersion", 0, kMaxVersion, 0},
}};

constexpr const TParameterRange& RangeOf(TParameter parameter) {
  return kParameterRanges[static_cast<std::size_t>(parameter)];
}
