#include "FormatInformation.h"

#include "BCH15.h"

namespace {

// Level index (0 L, 1 M, 2 Q, 3 H) from format bits 14 and 13 (00 M, 01 L,
// 10 H, 11 Q); the table is its own inverse, so it also gives the bits of a level.
constexpr std::array<std::int32_t, 4> kLevelBits = {1, 0, 3, 2};

}  // namespace

std::array<TPoint, 15> SecondFormatPositions(std::int32_t side) {
  std::array<TPoint, 15> positions{};
  for (std::int32_t i = 0; i < 8; ++i) positions[static_cast<std::size_t>(i)] = {side - 1 - i, 8};
  for (std::int32_t i = 8; i < 15; ++i) positions[static_cast<std::size_t>(i)] = {8, side - 15 + i};
  return positions;
}

std::int32_t LevelOfFormat(std::int32_t word) { return kLevelBits[static_cast<std::size_t>((word >> 13) & 3)]; }

std::int32_t MaskOfFormat(std::int32_t word) { return (word >> 10) & 7; }

std::int32_t MaskedFormatWord(std::int32_t level, std::int32_t mask) {
  const std::int32_t data = kLevelBits[static_cast<std::size_t>(level & 3)] << 3 | (mask & 7);
  return TBCH15_5::Codeword(data) ^ kFormatMask;
}
