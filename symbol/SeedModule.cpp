#include "SeedModule.h"

#include <array>
#include <string>

#include "common/Errors.h"

namespace {

// Alignment-pattern centre coordinates per version (ISO/IEC 18004, Annex E);
// version 1 has none in the symbol and gets 6 and 14 for the sampling grid.
// Unused slots are 0.
constexpr std::array<std::array<std::int32_t, 7>, 40> kPositions = {{
    {6, 14}, {6, 18}, {6, 22}, {6, 26}, {6, 30}, {6, 34},
    {6, 22, 38}, {6, 24, 42}, {6, 26, 46}, {6, 28, 50}, {6, 30, 54}, {6, 32, 58}, {6, 34, 62},
    {6, 26, 46, 66}, {6, 26, 48, 70}, {6, 26, 50, 74}, {6, 30, 54, 78}, {6, 30, 56, 82},
    {6, 30, 58, 86}, {6, 34, 62, 90},
    {6, 28, 50, 72, 94}, {6, 26, 50, 74, 98}, {6, 30, 54, 78, 102}, {6, 28, 54, 80, 106},
    {6, 32, 58, 84, 110}, {6, 30, 58, 86, 114}, {6, 34, 62, 90, 118},
    {6, 26, 50, 74, 98, 122}, {6, 30, 54, 78, 102, 126}, {6, 26, 52, 78, 104, 130},
    {6, 30, 56, 82, 108, 134}, {6, 34, 60, 86, 112, 138}, {6, 30, 58, 86, 114, 142},
    {6, 34, 62, 90, 118, 146},
    {6, 30, 54, 78, 102, 126, 150}, {6, 24, 50, 76, 102, 128, 154}, {6, 28, 54, 80, 106, 132, 158},
    {6, 32, 58, 84, 110, 136, 162}, {6, 26, 54, 82, 110, 138, 166}, {6, 30, 58, 86, 114, 142, 170},
}};

// Number of positions per version: 2 for 1-6, 3 for 7-13, 4 for 14-20, 5 for 21-27,
// 6 for 28-34, 7 for 35-40.
std::int32_t CountFor(std::int32_t version) {
  if (version <= 6) return 2;
  return (version - 7) / 7 + 3;
}

}  // namespace

TSeedModule::TSeedModule(std::int32_t version) : version_(version) {
  if (version < 1 || version > 40) throw TDecodeError("Unsupported version " + std::to_string(version));
  count_ = CountFor(version);
}

std::int32_t TSeedModule::Position(std::int32_t index) const {
  return kPositions[static_cast<std::size_t>(version_ - 1)][static_cast<std::size_t>(index)];
}
