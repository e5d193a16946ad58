#include "MaskPenalty.h"

#include <array>
#include <cstdlib>

namespace {

// A finder-like stretch with its light margin, on either side: 0000 1011101 and 1011101 0000.
constexpr std::array<bool, 11> kLightBefore = {false, false, false, false, true, false, true, true, true, false, true};
constexpr std::array<bool, 11> kLightAfter = {true, false, true, true, true, false, true, false, false, false, false};

// Runs and finder-like stretches along one line of `length` modules, dark(i) its i-th module.
template <typename Dark>
void ScoreLine(std::int32_t length, Dark dark, TMaskPenalty& penalty) {
  std::int32_t run = 0;
  for (std::int32_t i = 0; i < length; ++i) {
    run = (i > 0 && dark(i) == dark(i - 1)) ? run + 1 : 1;
    // A run scores 3 once it reaches five modules and 1 for each one after.
    if (run == 5) penalty.runs += 3;
    if (run > 5) penalty.runs += 1;
  }
  for (std::int32_t start = 0; start + 11 <= length; ++start) {
    bool before = true, after = true;
    for (std::int32_t k = 0; k < 11 && (before || after); ++k) {
      const bool d = dark(start + k);
      before = before && d == kLightBefore[static_cast<std::size_t>(k)];
      after = after && d == kLightAfter[static_cast<std::size_t>(k)];
    }
    penalty.finders += 40 * (static_cast<std::int64_t>(before) + static_cast<std::int64_t>(after));
  }
}

}  // namespace

TMaskPenalty MaskPenalty(const TPlaneBoolean& modules) {
  const std::int32_t width = modules.Width(), height = modules.Height();
  TMaskPenalty penalty;
  for (std::int32_t y = 0; y < height; ++y)
    ScoreLine(width, [&](std::int32_t x) { return modules[x][y] != 0; }, penalty);
  for (std::int32_t x = 0; x < width; ++x)
    ScoreLine(height, [&](std::int32_t y) { return modules[x][y] != 0; }, penalty);

  std::int64_t dark = 0;
  for (std::int32_t x = 0; x < width; ++x)
    for (std::int32_t y = 0; y < height; ++y) {
      dark += modules[x][y] != 0;
      if (x + 1 < width && y + 1 < height) {
        const bool d = modules[x][y] != 0;
        if (d == (modules[x + 1][y] != 0) && d == (modules[x][y + 1] != 0) && d == (modules[x + 1][y + 1] != 0))
          penalty.blocks += 3;
      }
    }
  // |dark share - 50 %| in whole steps of 5 %: |100 dark / total - 50| / 5 = |20 dark - 10 total| / total.
  const std::int64_t total = static_cast<std::int64_t>(width) * height;
  if (total > 0) penalty.balance = 10 * (std::llabs(20 * dark - 10 * total) / total);
  return penalty;
}
