#include "Versions.h"

#include <string>

#include "common/Errors.h"

namespace {

// Alignment-pattern centre coordinates per version (ISO/IEC 18004, Annex E);
// version 1 has none in the symbol and gets 6 and 14 for the sampling grid.
// Unused slots are 0.
constexpr std::array<std::array<std::int32_t, 7>, 40> kAlignmentPositions = {{
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

// Error-correction codewords of the whole symbol, per version (rows) and level L, M, Q, H.
// ISO/IEC 18004, table of error correction characteristics, per-block count times block count.
constexpr std::array<std::array<std::int32_t, 4>, 40> kECCodewords = {{
    {7, 10, 13, 17}, {10, 16, 22, 28}, {15, 26, 36, 44}, {20, 36, 52, 64}, {26, 48, 72, 88},
    {36, 64, 96, 112}, {40, 72, 108, 130}, {48, 88, 132, 156}, {60, 110, 160, 192}, {72, 130, 192, 224},
    {80, 150, 224, 264}, {96, 176, 260, 308}, {104, 198, 288, 352}, {120, 216, 320, 384}, {132, 240, 360, 432},
    {144, 280, 408, 480}, {168, 308, 448, 532}, {180, 338, 504, 588}, {196, 364, 546, 650}, {224, 416, 600, 700},
    {224, 442, 644, 750}, {252, 476, 690, 816}, {270, 504, 750, 900}, {300, 560, 810, 960}, {312, 588, 870, 1050},
    {336, 644, 952, 1110}, {360, 700, 1020, 1200}, {390, 728, 1050, 1260}, {420, 784, 1140, 1350}, {450, 812, 1200, 1440},
    {480, 868, 1290, 1530}, {510, 924, 1350, 1620}, {540, 980, 1440, 1710}, {570, 1036, 1530, 1800}, {570, 1064, 1590, 1890},
    {600, 1120, 1680, 1980}, {630, 1204, 1770, 2100}, {660, 1260, 1860, 2220}, {720, 1316, 1950, 2310}, {750, 1372, 2040, 2430},
}};

// Reed-Solomon blocks of the whole symbol (both block groups together), per version
// and level L, M, Q, H; same table of the standard.
constexpr std::array<std::array<std::int32_t, 4>, 40> kBlockCounts = {{
    {1, 1, 1, 1}, {1, 1, 1, 1}, {1, 1, 2, 2}, {1, 2, 2, 4}, {1, 2, 4, 4},
    {2, 4, 4, 4}, {2, 4, 6, 5}, {2, 4, 6, 6}, {2, 5, 8, 8}, {4, 5, 8, 8},
    {4, 5, 8, 11}, {4, 8, 10, 11}, {4, 9, 12, 16}, {4, 9, 16, 16}, {6, 10, 12, 18},
    {6, 10, 17, 16}, {6, 11, 16, 19}, {6, 13, 18, 21}, {7, 14, 21, 25}, {8, 16, 20, 25},
    {8, 17, 23, 25}, {9, 17, 23, 34}, {9, 18, 25, 30}, {10, 20, 27, 32}, {12, 21, 29, 35},
    {12, 23, 34, 37}, {12, 25, 34, 40}, {13, 26, 35, 42}, {14, 28, 38, 45}, {15, 29, 40, 48},
    {16, 31, 43, 51}, {17, 33, 45, 54}, {18, 35, 48, 57}, {19, 37, 51, 60}, {19, 38, 53, 63},
    {20, 40, 56, 66}, {21, 43, 59, 70}, {22, 45, 62, 74}, {24, 47, 65, 77}, {25, 49, 68, 81},
}};

// Misdecode-protection codewords per block for versions 1 to 3 (rows) and
// levels L, M, Q, H; 0 from version 4 on. Same table of the standard, the
// difference between a block's error-correction codewords and twice the
// errors it lists as correctable.
constexpr std::array<std::array<std::int32_t, 4>, 3> kMisdecodeProtection = {{
    {3, 2, 1, 1}, {2, 0, 0, 0}, {1, 0, 0, 0},
}};

// Character-count lengths of the numeric, alphanumeric, byte and Kanji modes
// (rows) for versions 1-9, 10-26 and 27-40 (ISO/IEC 18004, table of count indicators).
constexpr std::array<std::array<std::int32_t, 3>, 4> kCountBits = {{
    {10, 12, 14}, {9, 11, 13}, {8, 16, 16}, {8, 10, 12},
}};

// Alignment positions per version: 2 for 1-6, 3 for 7-13, 4 for 14-20, 5 for 21-27,
// 6 for 28-34, 7 for 35-40.
std::size_t AlignmentCount(std::int32_t version) {
  if (version <= 6) return 2;
  return static_cast<std::size_t>((version - 7) / 7 + 3);
}

std::size_t TableRow(std::int32_t version, std::int32_t level) {
  if (!IsVersion(version) || level < 0 || level > 3)
    throw TDecodeError("No error-correction table entry for version " + std::to_string(version));
  return static_cast<std::size_t>(version - 1);
}

}  // namespace

const std::array<std::uint32_t, 34> kVersionInformationCodes = {
    0x07C94, 0x085BC, 0x09A99, 0x0A4D3, 0x0BBF6, 0x0C762, 0x0D847, 0x0E60D, 0x0F928,
    0x10B78, 0x1145D, 0x12A17, 0x13532, 0x149A6, 0x15683, 0x168C9, 0x177EC, 0x18EC4,
    0x191E1, 0x1AFAB, 0x1B08E, 0x1CC1A, 0x1D33F, 0x1ED75, 0x1F250, 0x209D5, 0x216F0,
    0x228BA, 0x2379F, 0x24B0B, 0x2542E, 0x26A64, 0x27541, 0x28C69,
};

void RequireVersion(std::int64_t version) {
  if (!IsVersion(version)) throw TDecodeError("Unsupported version " + std::to_string(version));
}

std::span<const std::int32_t> AlignmentPositions(std::int32_t version) {
  if (!IsVersion(version)) return {};
  return std::span<const std::int32_t>(kAlignmentPositions[static_cast<std::size_t>(version - 1)].data(),
                                       AlignmentCount(version));
}

std::int32_t TotalCodewords(std::int32_t version) {
  // Alignment patterns outside the finder areas (a) and alignment patterns
  // sitting on each timing line (m), per version range.
  std::int32_t a = 0;
  std::int32_t m = 0;
  if (version >= 2 && version <= 6) {
    a = 1;
  } else if (version >= 7) {
    m = (version - 7) / 7 + 1;
    constexpr std::int32_t kAlignmentCounts[] = {6, 13, 22, 33, 46};
    a = kAlignmentCounts[m - 1];
  }
  const auto side = static_cast<std::int32_t>(SymbolSide(version));
  const std::int32_t timing = 2 * (side - 16 - 5 * m);
  const std::int32_t formatAndVersion = HasVersionInformation(version) ? 31 + 36 : 31;
  // 192: three finder patterns with their separators, 64 modules each.
  const std::int32_t dataModules = side * side - 192 - formatAndVersion - timing - 25 * a;
  return dataModules / 8;
}

std::int32_t ErrorCorrectionCodewords(std::int32_t version, std::int32_t level) {
  return kECCodewords[TableRow(version, level)][static_cast<std::size_t>(level)];
}

std::int32_t ReedSolomonBlocks(std::int32_t version, std::int32_t level) {
  return kBlockCounts[TableRow(version, level)][static_cast<std::size_t>(level)];
}

std::int32_t ECCodewordsPerBlock(std::int32_t version, std::int32_t level) {
  return ErrorCorrectionCodewords(version, level) / ReedSolomonBlocks(version, level);
}

std::int32_t MisdecodeProtection(std::int32_t version, std::int32_t level) {
  const std::size_t row = TableRow(version, level);
  return row < kMisdecodeProtection.size() ? kMisdecodeProtection[row][static_cast<std::size_t>(level)] : 0;
}

std::int32_t PromisedCorrections(std::int32_t version, std::int32_t level) {
  return (ECCodewordsPerBlock(version, level) - MisdecodeProtection(version, level)) / 2;
}

std::int32_t CharacterCountBits(std::int32_t version, std::uint32_t mode) {
  const std::size_t range = version <= 9 ? 0 : (version <= 26 ? 1 : 2);
  switch (mode) {
    case 1: return kCountBits[0][range];
    case 2: return kCountBits[1][range];
    case 4: return kCountBits[2][range];
    case 8: return kCountBits[3][range];
    default: return 0;
  }
}
