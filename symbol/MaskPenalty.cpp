#include "MaskPenalty.h"

#include <cstdlib>
#include <vector>

namespace {

// A finder-like stretch with its light margin, on either side, as the last 11
// modules read (the first one in the highest bit): 0000 1011101 and 1011101 0000.
constexpr std::uint32_t kLightBefore = 0b00001011101;
constexpr std::uint32_t kLightAfter = 0b10111010000;

// Runs and finder-like stretches along one line of `length` modules.
void ScoreLine(const std::uint8_t* line, std::int32_t length, TMaskPenalty& penalty) {
  std::int32_t run = 0;
  std::uint32_t last11 = 0;
  for (std::int32_t i = 0; i < length; ++i) {
    const bool dark = line[i] != 0;
    run = (i > 0 && dark == (line[i - 1] != 0)) ? run + 1 : 1;
    // A run scores 3 once it reaches five modules and 1 for each one after.
    if (run == 5) penalty.runs += 3;
    if (run > 5) penalty.runs += 1;
    last11 = ((last11 << 1) | static_cast<std::uint32_t>(dark)) & 0x7FF;
    if (i >= 10 && (last11 == kLightBefore || last11 == kLightAfter)) penalty.finders += 40;
  }
}

}  // namespace

TMaskPenalty MaskPenalty(const TPlaneBoolean& modules) {
  const std::int32_t width = modules.Width(), height = modules.Height();
  TMaskPenalty penalty;
  std::int64_t dark = 0;
  for (std::int32_t y = 0; y < height; ++y) {
    const std::uint8_t* row = modules.Row(y);
    ScoreLine(row, width, penalty);
    for (std::int32_t x = 0; x < width; ++x) {
      dark += row[x] != 0;
      if (x + 1 < width && y + 1 < height) {
        const std::uint8_t* below = modules.Row(y + 1);
        const bool d = row[x] != 0;
        if (d == (row[x + 1] != 0) && d == (below[x] != 0) && d == (below[x + 1] != 0)) penalty.blocks += 3;
      }
    }
  }
  std::vector<std::uint8_t> column(static_cast<std::size_t>(height));
  for (std::int32_t x = 0; x < width; ++x) {
    for (std::int32_t y = 0; y < height; ++y) column[static_cast<std::size_t>(y)] = modules[x][y];
    ScoreLine(column.data(), height, penalty);
  }
  // |dark share - 50 %| in whole steps of 5 %: |100 dark / total - 50| / 5 = |20 dark - 10 total| / total.
  const std::int64_t total = static_cast<std::int64_t>(width) * height;
  if (total > 0) penalty.balance = 10 * (std::llabs(20 * dark - 10 * total) / total);
  return penalty;
}
