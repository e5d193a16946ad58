#pragma once

#include <array>
#include <cstdint>

#include "common/Types.h"

// The format information: five data bits (level, mask) protected by the
// BCH(15,5) code and masked with 0x5412, carried twice in the symbol. The
// reader takes the copy beside the top-left finder pattern; a writer fills both.

inline constexpr std::int32_t kFormatMask = 0x5412;

// Positions (x, y) of format bits 0 .. 14 in the copy around the top-left finder
// pattern; the timing modules (8, 6) and (6, 8) are stepped over.
inline constexpr std::array<TPoint, 15> kFormatPositions = {{
    {8, 0}, {8, 1}, {8, 2}, {8, 3}, {8, 4}, {8, 5}, {8, 7}, {8, 8},
    {7, 8}, {5, 8}, {4, 8}, {3, 8}, {2, 8}, {1, 8}, {0, 8},
}};

// Positions of format bits 0 .. 14 in the second copy of a symbol of `side`
// modules: bits 0 to 7 along row 8 leftwards from the right edge, bits 8 to 14
// down column 8 to the bottom edge.
std::array<TPoint, 15> SecondFormatPositions(std::int32_t side);

// Level index (0 L, 1 M, 2 Q, 3 H) of the data bits 14 .. 10 of a format word.
std::int32_t LevelOfFormat(std::int32_t word);
// Mask pattern 0 .. 7 of a format word.
std::int32_t MaskOfFormat(std::int32_t word);
// The format word as the symbol carries it (codeword xor kFormatMask) for a
// level 0 .. 3 and a mask 0 .. 7; both are taken modulo their ranges.
std::int32_t MaskedFormatWord(std::int32_t level, std::int32_t mask);
