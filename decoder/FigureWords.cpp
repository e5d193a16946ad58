#include "decoder/FigureWords.h"

#include <bitset>

#include "common/Rounding.h"

namespace figure_words {

std::string N(std::int64_t value) { return std::to_string(value); }

std::string Count(std::int64_t value, const char* singular, const char* plural) {
  return N(value) + " " + (value == 1 ? singular : plural);
}

std::string Percent(double share) { return N(RoundHalfEven(share * 100.0L, "per cent")) + " %"; }

// Appended piece by piece: GCC 12 warns falsely about "(" + a temporary string.
std::string Point(TPoint point) {
  std::string text = "(";
  text += N(point.x);
  text += ", ";
  text += N(point.y);
  text += ")";
  return text;
}

std::string Bits15(std::uint32_t bits) { return std::bitset<15>(bits).to_string(); }

std::string Tenths(std::int32_t tenths) { return N(tenths / 10) + "." + N(tenths % 10); }

}  // namespace figure_words
