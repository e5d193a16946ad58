#include "Symbol.h"

#include <string>

#include "BCH15.h"
#include "common/Errors.h"
#include "common/Messages.h"
#include "common/Types.h"

namespace {

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

// Positions (x, y) of format bits 0 .. 14 in the copy around the top-left finder
// pattern; the timing modules (8, 6) and (6, 8) are stepped over.
constexpr std::array<TPoint, 15> kFormatPositions = {{
    {8, 0}, {8, 1}, {8, 2}, {8, 3}, {8, 4}, {8, 5}, {8, 7}, {8, 8},
    {7, 8}, {5, 8}, {4, 8}, {3, 8}, {2, 8}, {1, 8}, {0, 8},
}};

constexpr std::int32_t kFormatMask = 0x5412;

// Level index (0 L, 1 M, 2 Q, 3 H) from format bits 14 and 13.
constexpr std::array<std::int32_t, 4> kLevelFromBits = {1, 0, 3, 2};  // 00 M, 01 L, 10 H, 11 Q

const char* const kFormatError = "Format Information Error";

}  // namespace

TSymbol::TSymbol(TSurfaces& surfaces) : surfaces_(surfaces) {}

TSymbol::~TSymbol() = default;

TArrangement& TSymbol::Matrix() {
  if (!matrix_) throw TDecodeError("No symbol has been built");
  return *matrix_;
}

const TArrangement& TSymbol::Matrix() const {
  if (!matrix_) throw TDecodeError("No symbol has been built");
  return *matrix_;
}

void TSymbol::Build(const TPlaneBoolean& plane, std::int32_t rows, std::int32_t columns) {
  const std::int32_t version = (rows - 17) / 4;
  // The new matrix refuses a version outside 1 to 40 before anything is replaced.
  auto matrix = std::make_unique<TArrangement>(version);
  if (columns < 0 || plane.Width() < columns || plane.Height() < rows)
    throw TDecodeError("The sampled matrix is smaller than its stated size");

  height_ = rows;
  width_ = columns;
  version_ = version;
  matrix_ = std::move(matrix);
  for (std::int32_t x = 0; x < columns; ++x)
    for (std::int32_t y = 0; y < rows; ++y) matrix_->SetCell(x, y, plane[x][y] ? 1 : 0);
  ReadFormat();
}

void TSymbol::ReadFormat() {
  if (version_ < 1 || !matrix_) return;

  TBooleans bits(kFormatPositions.size());
  for (std::size_t i = 0; i < kFormatPositions.size(); ++i) {
    const TPoint p = kFormatPositions[i];
    bits[i] = static_cast<std::uint8_t>(matrix_->GetCell(p.x, p.y) ^ ((kFormatMask >> i) & 1));
  }

  TBCH15_5 code(bits);
  code.Decode(bits);
  TTextPane& memo = surfaces_.Text(TTextPaneId::ImgMemo);
  if (code.ErrorFlag() == 1) {
    memo.AppendLine(kFormatError);
    SetErrorCode(5);
    throw TDecodeError(kFormatError);
  }

  for (std::size_t k = 0; k < formatBits_.size(); ++k) formatBits_[k] = bits[10 + k];
  ecLevel_ = kLevelFromBits[static_cast<std::size_t>(bits[14] * 2 + bits[13])];
  maskPattern_ = 4 * bits[12] + 2 * bits[11] + bits[10];

  memo.AppendLine(std::string("エラー訂正レベル\u3000") + kLevelLetters[static_cast<std::size_t>(ecLevel_)]);
  memo.AppendLine("マスクパターン\u3000\u3000" + std::to_string(maskPattern_));
}

std::int32_t TSymbol::ECCodewordCount() const {
  if (version_ < 1 || version_ > 40 || ecLevel_ < 0 || ecLevel_ > 3)
    throw TDecodeError("No error-correction table entry for version " + std::to_string(version_));
  return kECCodewords[static_cast<std::size_t>(version_ - 1)][static_cast<std::size_t>(ecLevel_)];
}

std::int32_t TSymbol::BlockCount() const {
  if (version_ < 1 || version_ > 40 || ecLevel_ < 0 || ecLevel_ > 3)
    throw TDecodeError("No error-correction table entry for version " + std::to_string(version_));
  return kBlockCounts[static_cast<std::size_t>(version_ - 1)][static_cast<std::size_t>(ecLevel_)];
}
