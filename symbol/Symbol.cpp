#include "Symbol.h"

#include <string>

#include "BCH15.h"
#include "FormatInformation.h"
#include "Versions.h"
#include "common/Diagnosis.h"
#include "common/Errors.h"
#include "common/Messages.h"
#include "common/Types.h"

namespace {

const char* const kFormatError = "Format Information Error";

}  // namespace

TSymbol::TSymbol(TSurfaces& surfaces, TDecodeObserver& observer) : surfaces_(surfaces), observer_(observer) {}

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
  observer_.Enter(TStage::Format);
  const std::int32_t version = VersionOfSide(rows);
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
  TFormatFigures figures;
  for (std::size_t i = 0; i < kFormatPositions.size(); ++i) {
    const TPoint p = kFormatPositions[i];
    const std::uint8_t cell = matrix_->GetCell(p.x, p.y);
    figures.read |= static_cast<std::uint32_t>(cell & 1) << i;
    bits[i] = static_cast<std::uint8_t>(cell ^ ((kFormatMask >> i) & 1));
  }
  ReadMirrored(figures);

  TBCH15_5 code(bits);
  figures.unmasked = static_cast<std::uint32_t>(code.Received());
  const std::int32_t nearest = TBCH15_5::NearestCodeword(code.Received());
  figures.nearest = static_cast<std::uint32_t>(nearest);
  figures.distance = TBCH15_5::HammingDistance(code.Received(), nearest);
  figures.maxDistance = TBCH15_5::kMaxDistance;
  figures.level = LevelOfFormat(nearest);
  figures.mask = MaskOfFormat(nearest);
  Observer().FormatRead(figures);

  code.Decode(bits);
  TTextPane& memo = surfaces_.Text(TTextPaneId::ImgMemo);
  if (code.ErrorFlag() == 1) {
    memo.AppendLine(kFormatError);
    SetErrorCode(5);
    throw TDecodeError(kFormatError);
  }

  for (std::size_t k = 0; k < formatBits_.size(); ++k) formatBits_[k] = bits[10 + k];
  ecLevel_ = LevelOfFormat(code.Corrected());
  maskPattern_ = MaskOfFormat(code.Corrected());

  memo.AppendLine(std::string("エラー訂正レベル\u3000") + kLevelLetters[static_cast<std::size_t>(ecLevel_)]);
  memo.AppendLine("マスクパターン\u3000\u3000" + std::to_string(maskPattern_));
}

void TSymbol::ReadMirrored(TFormatFigures& figures) const {
  // Only for the observer: bit i of a mirrored symbol lies where x and y swap.
  const auto side = static_cast<std::int32_t>(SymbolSide(version_));
  const std::array<std::array<TPoint, 15>, 2> copies = {kFormatPositions, SecondFormatPositions(side)};
  for (std::size_t copy = 0; copy < copies.size(); ++copy) {
    TFormatFigures::TMirroredRead& read = figures.mirrored[copy];
    for (std::size_t i = 0; i < copies[copy].size(); ++i) {
      const TPoint p = copies[copy][i];
      read.read |= static_cast<std::uint32_t>(matrix_->GetCell(p.y, p.x) & 1) << i;
    }
    const std::int32_t unmasked = static_cast<std::int32_t>(read.read) ^ kFormatMask;
    const std::int32_t nearest = TBCH15_5::NearestCodeword(unmasked);
    read.nearest = static_cast<std::uint32_t>(nearest);
    read.distance = TBCH15_5::HammingDistance(unmasked, nearest);
  }
}

std::int32_t TSymbol::ECCodewordCount() const { return ErrorCorrectionCodewords(version_, ecLevel_); }

std::int32_t TSymbol::BlockCount() const { return ReedSolomonBlocks(version_, ecLevel_); }
