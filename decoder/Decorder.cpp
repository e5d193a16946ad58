#include "decoder/Decorder.h"

#include <algorithm>

#include "common/Bitmap.h"
#include "common/Diagnosis.h"
#include "common/Errors.h"
#include "common/Messages.h"
#include "data/DataBlockReader.h"
#include "decoder/DecodingReport.h"
#include "locate/Coordinates.h"
#include "symbol/Versions.h"

namespace {

// A size x size picture of the modules, colourOf(x, y) giving the colour of
// each; white modules are left as the fresh picture has them.
template <typename ColourOf>
TBitmap ModulePicture(std::int32_t size, ColourOf colourOf) {
  TBitmap picture(size, size);
  for (std::int32_t y = 0; y < size; ++y)
    for (std::int32_t x = 0; x < size; ++x)
      if (const TColor colour = colourOf(x, y); colour != kWhite) picture.SetPixel(x, y, colour);
  return picture;
}

}  // namespace

TDecorder::TDecorder(TSurfaces& surfaces, TDecodeObserver& observer)
    : TSymbol(surfaces, observer), reader_(surfaces, observer), reedSolomon_(surfaces) {}

void TDecorder::SetWarp(std::int32_t value) { reader_.SetWarp(value); }

void TDecorder::SetForceVersion(std::int32_t value) { reader_.SetForceVersion(value); }

std::int32_t TDecorder::Warp() const { return reader_.Coordinates().Warp(); }

std::int32_t TDecorder::ForceVersion() const { return reader_.Coordinates().ForceVersion(); }

const TPlanePoint& TDecorder::SamplingGrid() const { return reader_.Coordinates().Grid(); }

std::int32_t TDecorder::LocatedVersion() const { return reader_.Coordinates().GetVersion(); }

std::string TDecorder::GetVersionText() const { return decoding_report::VersionText(MajorVersion, MinorVersion); }

std::string TDecorder::Decode(const TPlaneBoolean& plane, std::int32_t width, std::int32_t height) {
  errorText_.clear();
  return Decode(plane, width, height, SearchFinders(plane, width, height));
}

TFinderResult TDecorder::SearchFinders(const TPlaneBoolean& plane, std::int32_t width, std::int32_t height) {
  return reader_.SearchFinders(plane, width, height);
}

std::string TDecorder::Decode(const TPlaneBoolean& plane, std::int32_t width, std::int32_t height,
                              const TFinderResult& finders) {
  errorText_.clear();
  sampled_ = nullptr;
  SetErrorCode(reader_.Read(plane, width, height, finders));
  if (ErrorCode >= 1) {
    errorText_ = ErrorMessage(ErrorCode);
    return {};
  }
  sampled_ = &reader_.Matrix();
  return DecodeSampled(reader_.Matrix(), reader_.Size());
}

std::string TDecorder::DecodeMatrix(const TPlaneBoolean& matrix) {
  errorText_.clear();
  sampled_ = nullptr;
  SetErrorCode(0);
  const std::int32_t side = matrix.Width();
  const std::int32_t version = VersionOfSide(side);
  if (matrix.Height() != side || !IsVersion(version) || SymbolSide(version) != side)
    throw TDecodeError("A module matrix of " + std::to_string(matrix.Width()) + " x " + std::to_string(matrix.Height()) +
                       " modules is not the size of a symbol");
  given_ = matrix;
  sampled_ = &given_;
  return DecodeSampled(given_, side);
}

const TPlaneBoolean& TDecorder::Sampled() const {
  static const TPlaneBoolean kNone;
  return sampled_ != nullptr ? *sampled_ : kNone;
}

std::string TDecorder::DecodeSampled(const TPlaneBoolean& sampled, std::int32_t size) {
  DrawSampled(sampled, size);
  try {
    Build(sampled, size, size);
  } catch (...) {
    // The format-information stage has set its code before raising.
    errorText_ = ErrorMessage(ErrorCode);
    throw;
  }

  Unmask();

  Observer().Enter(TStage::Codewords);
  TTextPane& listing = Surfaces().Text(TTextPaneId::BLMemo);
  listing.AppendLine(decoding_report::kReadBlocksHeader);
  listing.AppendLine(decoding_report::kListingHeader);
  ReadCodewords();
  listing.AppendLine(decoding_report::CodewordCountLine(codewordsRead_));

  TCorrectionFigures figures;
  const bool clean = CorrectBlocks(figures);
  codewordsRead_ = static_cast<std::int32_t>(dataCodewords_.size());
  if (!clean) {
    // A block the decoder could not mend would only decode into garbage:
    // that garbage is shown to the observer alone, as what the damage did.
    figures.unverified = ReadUncorrected();
    Observer().BlocksCorrected(figures);
    SetErrorCode(3);
    errorText_ = ErrorMessage(3);
    return {};
  }
  Observer().BlocksCorrected(figures);
  Observer().Enter(TStage::Data);
  return DecodeData();
}

void TDecorder::DrawSampled(const TPlaneBoolean& matrix, std::int32_t size) {
  const TBitmap picture =
      ModulePicture(size, [&](std::int32_t x, std::int32_t y) { return matrix.Contains(x, y) && matrix[x][y] ? kBlack : kWhite; });
  Surfaces().Image(TImagePaneId::DigitImage).ReplacePicture(picture);
  Surfaces().Image(TImagePaneId::BlockImage).ReplacePicture(picture);
}

void TDecorder::MakeMask() {
  TArrangement& matrix = Matrix();
  const std::int32_t size = matrix.Width();
  for (std::int32_t x = 0; x < size; ++x)
    for (std::int32_t y = 0; y < size; ++y) matrix.SetMaskCell(x, y, 0);
  const std::int32_t pattern = MaskPattern();
  for (std::int32_t y = 0; y < size; ++y)
    for (std::int32_t x = 0; x < size; ++x) {
      if (matrix.IsFunctionModule(x, y)) continue;
      if (MaskCondition(pattern, x, y)) matrix.SetMaskCell(x, y, 1);
    }
}

void TDecorder::Unmask() {
  MakeMask();
  TArrangement& matrix = Matrix();
  const std::int32_t size = matrix.Width();
  Surfaces().Image(TImagePaneId::MaskImage).ReplacePicture(
      ModulePicture(size, [&](std::int32_t x, std::int32_t y) { return matrix.GetMaskCell(x, y) == 1 ? kBlack : kWhite; }));
  for (std::int32_t x = 0; x < size; ++x)
    for (std::int32_t y = 0; y < size; ++y)
      matrix.SetDataCell(x, y, static_cast<std::uint8_t>(matrix.GetCell(x, y) ^ matrix.GetMaskCell(x, y)));
  // Red where the mask inverted a dark module.
  Surfaces().Image(TImagePaneId::ResultImage).ReplacePicture(ModulePicture(size, [&](std::int32_t x, std::int32_t y) {
    if (matrix.GetDataCell(x, y) != 1) return kWhite;
    return matrix.GetMaskCell(x, y) == 1 ? kRed : kBlack;
  }));
}

void TDecorder::ReadCodewords() {
  const TArrangement& matrix = Matrix();
  TTextPane& listing = Surfaces().Text(TTextPaneId::BLMemo);
  const std::vector<TPoint> order = ReadingOrder(matrix);
  // Bits after the last whole codeword are the remainder bits and are dropped.
  const std::size_t count = order.size() / 8;
  codewords_.clear();
  codewords_.reserve(count);
  for (std::size_t k = 0; k < count; ++k) {
    std::int32_t codeword = 0;
    for (std::size_t bit = 0; bit < 8; ++bit) {
      const TPoint at = order[8 * k + bit];
      codeword = codeword * 2 + (matrix.GetDataCell(at.x, at.y) == 1 ? 1 : 0);
    }
    codewords_.push_back(codeword);
    listing.AppendLine(decoding_report::CodewordLine(static_cast<std::int32_t>(k), codeword));
  }
  codewordsRead_ = static_cast<std::int32_t>(count);
}

std::int32_t TDecorder::CodewordAt(std::int32_t index) const {
  if (index < 0 || index >= static_cast<std::int32_t>(codewords_.size())) return 0;
  return codewords_[static_cast<std::size_t>(index)];
}

bool TDecorder::CorrectBlocks(TCorrectionFigures& figures) {
  TTextPane& listing = Surfaces().Text(TTextPaneId::BLMemo);
  TTextPane& trace = Surfaces().Text(TTextPaneId::RdSnMemo);
  listing.AppendLine(decoding_report::kCorrectedHeader);
  listing.AppendLine(decoding_report::VersionLine(Version()));
  listing.AppendLine(decoding_report::LevelLine(ECLevel()));
  listing.AppendLine(decoding_report::BlockCountLine(BlockCount()));

  const std::int32_t total = Matrix().CodewordCount();
  const std::int32_t blockCount = BlockCount();
  const std::int32_t ecPerBlock = ECCodewordCount() / blockCount;
  // Blocks of two lengths are numbered in the listing.
  const bool numbered = blockCount > 1 && total % blockCount != 0;
  layout_ = Deinterleave(total, blockCount, ecPerBlock);
  figures.codewords = total;
  figures.syndromes = TReedSolomon::kSyndromeCount;
  figures.correctable = TReedSolomon::kMaxErrors;
  blocks_.clear();
  dataCodewords_.clear();
  std::int32_t running = 0;
  bool clean = true;
  for (std::size_t b = 0; b < layout_.size(); ++b) {
    TIntegers block;
    block.reserve(layout_[b].codewords.size());
    for (const std::int32_t index : layout_[b].codewords) block.push_back(CodewordAt(index));
    reedSolomon_.Decode(block);
    const bool mended = reedSolomon_.IsCodeword(block, ecPerBlock);
    if (!mended) clean = false;
    figures.blocks.push_back({static_cast<std::int32_t>(block.size()), layout_[b].dataCount,
                              reedSolomon_.NonZeroSyndromes(), reedSolomon_.LocatorDegree(),
                              reedSolomon_.ErrorCount(), !mended});
    if (numbered) listing.AppendLine(decoding_report::BlockIndexLine(static_cast<std::int32_t>(b)));
    running += reedSolomon_.ErrorCount();
    trace.AppendLine(decoding_report::CorrectionLine(running));
    blocks_.push_back(std::move(block));
  }
  // Only the data codewords go on; the error-correction codewords would be
  // read as further segments when the data fill the symbol.
  for (std::size_t b = 0; b < layout_.size(); ++b)
    dataCodewords_.insert(dataCodewords_.end(), blocks_[b].begin(), blocks_[b].begin() + layout_[b].dataCount);
  if (blockCount > 1 && running > 0) trace.AppendLine(decoding_report::TotalLine(running));
  return clean;
}

std::string TDecorder::DecodeData() {
  TDataBlockReader reader(dataCodewords_, codewordsRead_, Version());
  std::string text = reader.Decode();
  Observer().DataDecoded(reader.Figures());
  return text;
}

TUnverifiedReading TDecorder::ReadUncorrected() const {
  TIntegers data;
  for (const TBlockLayout& block : layout_)
    for (std::int32_t i = 0; i < block.dataCount; ++i) data.push_back(CodewordAt(block.codewords[static_cast<std::size_t>(i)]));
  TDataBlockReader reader(data, static_cast<std::int32_t>(data.size()), Version());
  TUnverifiedReading reading;
  reading.text = reader.Decode();
  reading.data = reader.Figures();
  return reading;
}
