#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "common/Types.h"

// The small pieces both languages of the diagnosis write figures with, so that
// a number, share, point or bit string reads alike in every sentence.
namespace figure_words {

std::string N(std::int64_t value);
// "1 block", "2 blocks".
std::string Count(std::int64_t value, const char* singular, const char* plural);
// A share of 0..1 in whole per cent, rounded half to even: "64 %".
std::string Percent(double share);
// "(148, 52)".
std::string Point(TPoint point);
// Format bits as read, bit 14 first.
std::string Bits15(std::uint32_t bits);
// Tenths as a decimal: 12 → "1.2".
std::string Tenths(std::int32_t tenths);

// How many of the heaviest finder candidates and of the versions tried a line lists.
inline constexpr std::size_t kListed = 6;

}  // namespace figure_words
