#pragma once

#include <cstdint>

// The eight data masks of the symbology. A mask inverts the data modules where
// its condition holds; function modules are never masked.
inline constexpr std::int32_t kMaskPatterns = 8;

// True when mask `pattern` (0 to 7) inverts module (x = column, y = row);
// false for any other pattern.
bool MaskCondition(std::int32_t pattern, std::int32_t x, std::int32_t y);
