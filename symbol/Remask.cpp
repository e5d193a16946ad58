#include "Remask.h"

#include "symbol/BCH15.h"
#include "symbol/DataMask.h"
#include "symbol/FormatInformation.h"

std::int32_t MaskOfSymbol(const TPlaneBoolean& modules) {
  std::int32_t word = 0;
  for (std::size_t i = 0; i < kFormatPositions.size(); ++i)
    if (modules[kFormatPositions[i].x][kFormatPositions[i].y]) word |= 1 << i;
  const std::int32_t codeword = TBCH15_5::FindCodeword(word ^ kFormatMask);
  return codeword < 0 ? -1 : MaskOfFormat(codeword);
}

void ChangeMask(TPlaneBoolean& modules, const TArrangement& arrangement, std::int32_t level, std::int32_t from,
                std::int32_t to) {
  const std::int32_t side = arrangement.Width();
  for (std::int32_t y = 0; y < side; ++y)
    for (std::int32_t x = 0; x < side; ++x)
      if (!arrangement.IsFunctionModule(x, y) && MaskCondition(from, x, y) != MaskCondition(to, x, y))
        modules[x][y] = modules[x][y] ? 0 : 1;
  const std::int32_t word = MaskedFormatWord(level, to);
  const auto second = SecondFormatPositions(side);
  for (std::size_t i = 0; i < kFormatPositions.size(); ++i) {
    const std::uint8_t bit = (word >> i) & 1;
    modules[kFormatPositions[i].x][kFormatPositions[i].y] = bit;
    modules[second[i].x][second[i].y] = bit;
  }
}

std::array<TMaskPenalty, kMaskPatterns> MaskPenalties(const TPlaneBoolean& modules, const TArrangement& arrangement,
                                                      std::int32_t level, std::int32_t from) {
  std::array<TMaskPenalty, kMaskPatterns> penalties{};
  for (std::int32_t mask = 0; mask < kMaskPatterns; ++mask) {
    TPlaneBoolean candidate = modules;
    ChangeMask(candidate, arrangement, level, from, mask);
    penalties[static_cast<std::size_t>(mask)] = MaskPenalty(candidate);
  }
  return penalties;
}

std::int32_t LowestPenaltyMask(const std::array<TMaskPenalty, kMaskPatterns>& penalties) {
  std::size_t lowest = 0;
  for (std::size_t mask = 1; mask < penalties.size(); ++mask)
    if (penalties[mask].Total() < penalties[lowest].Total()) lowest = mask;
  return static_cast<std::int32_t>(lowest);
}
