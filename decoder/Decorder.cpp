#include "decoder/Decorder.h"

#include <algorithm>

#include "common/Bitmap.h"
#include "common/Messages.h"
#include "data/DataBlockReader.h"
#include "decoder/DecodingReport.h"

namespace {

// Product in GF(256) with the field polynomial 0x11D.
std::int32_t GfMultiply(std::int32_t a, std::int32_t b) {
  std::int32_t product = 0;
  while (b != 0) {
    if (b & 1) product ^= a;
    b >>= 1;
    a <<= 1;
    if (a & 0x100) a ^= 0x11D;
  }
  return product;
}

// A block of E error-correction codewords is a multiple of a generator with the
// roots α^0 … α^(E−1). The Reed-Solomon decoder looks at the block through its
// syndromes at α^1 … α^8, so a block that is zero at α^1 … α^m, m = min(8, E − 1),
// is a codeword as far as that decoder can tell; any other block is still damaged.
bool ChecksAsCodeword(const TIntegers& block, std::int32_t ecPerBlock) {
  const std::int32_t powers = std::min<std::int32_t>(8, ecPerBlock - 1);
  std::int32_t root = 1;
  for (std::int32_t k = 1; k <= powers; ++k) {
    root = GfMultiply(root, 2);
    std::int32_t sum = 0;
    // Horner's rule, codeword 0 being the highest power.
    for (const std::int32_t codeword : block) sum = GfMultiply(sum, root) ^ codeword;
    if (sum != 0) return false;
  }
  return true;
}

bool MaskCondition(std::int32_t pattern, std::int32_t x, std::int32_t y) {
  // x is the column (j), y the row (i).
  switch (pattern) {
    case 0: return (x + y) % 2 == 0;
    case 1: return y % 2 == 0;
    case 2: return x % 3 == 0;
    case 3: return (x + y) % 3 == 0;
    case 4: return (x / 3 + y / 2) % 2 == 0;
    case 5: return (x * y) % 2 + (x * y) % 3 == 0;
    case 6: return ((x * y) % 2 + (x * y) % 3) % 2 == 0;
    case 7: return ((x * y) % 3 + (x + y) % 2) % 2 == 0;
  }
  return false;
}

}  // namespace

TDecorder::TDecorder(TSurfaces& surfaces) : TSymbol(surfaces), reader_(surfaces), reedSolomon_(surfaces) {}

void TDecorder::SetWarp(std::int32_t value) {
  warp_ = value;
  reader_.SetWarp(value);
}

void TDecorder::SetForceVersion(std::int32_t value) {
  forceVersion_ = value;
  reader_.SetForceVersion(value);
}

std::string TDecorder::GetVersionText() const { return decoding_report::VersionText(MajorVersion, MinorVersion); }

std::string TDecorder::Decode(const TPlaneBoolean& plane, std::int32_t width, std::int32_t height) {
  errorText_.clear();
  SetErrorCode(reader_.Read(plane, width, height));
  if (ErrorCode >= 1) {
    errorText_ = ErrorMessage(ErrorCode);
    return {};
  }

  const TPlaneBoolean& sampled = reader_.Matrix();
  const std::int32_t size = reader_.Size();
  DrawSampled(sampled, size);
  try {
    Build(sampled, size, size);
  } catch (...) {
    // The format-information stage has set its code before raising.
    errorText_ = ErrorMessage(ErrorCode);
    throw;
  }

  Unmask();
  DrawUnmasked();

  TTextPane& listing = Surfaces().Text(TTextPaneId::BLMemo);
  listing.AppendLine(decoding_report::kReadBlocksHeader);
  listing.AppendLine(decoding_report::kListingHeader);
  ReadCodewords();
  listing.AppendLine(decoding_report::CodewordCountLine(codewordsRead_));

  const bool clean = CorrectBlocks();
  codewordsRead_ = static_cast<std::int32_t>(dataCodewords_.size());
  if (!clean) {
    // A block the decoder could not mend would only decode into garbage.
    SetErrorCode(3);
    errorText_ = ErrorMessage(3);
    return {};
  }
  return DecodeData();
}

void TDecorder::DrawSampled(const TPlaneBoolean& matrix, std::int32_t size) {
  TBitmap picture(size, size);
  for (std::int32_t y = 0; y < size; ++y)
    for (std::int32_t x = 0; x < size; ++x)
      if (matrix.Contains(x, y) && matrix[x][y]) picture.SetPixel(x, y, kBlack);
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

void TDecorder::DrawMask() {
  const TArrangement& matrix = Matrix();
  const std::int32_t size = matrix.Width();
  TBitmap picture(size, size);
  for (std::int32_t y = 0; y < size; ++y)
    for (std::int32_t x = 0; x < size; ++x)
      if (matrix.GetMaskCell(x, y) == 1) picture.SetPixel(x, y, kBlack);
  Surfaces().Image(TImagePaneId::MaskImage).ReplacePicture(picture);
}

void TDecorder::Unmask() {
  MakeMask();
  DrawMask();
  TArrangement& matrix = Matrix();
  const std::int32_t size = matrix.Width();
  for (std::int32_t x = 0; x < size; ++x)
    for (std::int32_t y = 0; y < size; ++y)
      matrix.SetDataCell(x, y, static_cast<std::uint8_t>(matrix.GetCell(x, y) ^ matrix.GetMaskCell(x, y)));
}

void TDecorder::DrawUnmasked() {
  const TArrangement& matrix = Matrix();
  const std::int32_t size = matrix.Width();
  TBitmap picture(size, size);
  for (std::int32_t y = 0; y < size; ++y)
    for (std::int32_t x = 0; x < size; ++x) {
      if (matrix.GetDataCell(x, y) != 1) continue;
      // Red where the mask inverted a dark module.
      picture.SetPixel(x, y, matrix.GetMaskCell(x, y) == 1 ? kRed : kBlack);
    }
  Surfaces().Image(TImagePaneId::ResultImage).ReplacePicture(picture);
}

void TDecorder::ReadCodewords() {
  const TArrangement& matrix = Matrix();
  TTextPane& listing = Surfaces().Text(TTextPaneId::BLMemo);
  const std::int32_t size = matrix.Width();
  codewords_.clear();
  codewordsRead_ = 0;
  std::int32_t x = size - 1, y = size - 1;
  bool upward = true;
  std::int32_t parity = 0;
  std::int32_t accumulator = 0;
  std::int32_t bit = 7;
  while (true) {
    if (matrix.GetDataCell(x, y) == 1) accumulator += 1 << bit;
    if (--bit < 0) {
      codewords_.resize(static_cast<std::size_t>(codewordsRead_) + 1);
      codewords_[static_cast<std::size_t>(codewordsRead_)] = accumulator;
      listing.AppendLine(decoding_report::CodewordLine(codewordsRead_, accumulator));
      ++codewordsRead_;
      accumulator = 0;
      bit = 7;
    }
    // Two-column zigzag; the column of the vertical timing pattern is stepped over.
    do {
      if ((x + parity) % 2 == 0) {
        x -= 1;
      } else if (upward) {
        if (y > 0) {
          x += 1;
          y -= 1;
        } else {
          x -= 1;
          upward = false;
          if (x == 6) {
            x = 5;
            parity = 1;
          }
        }
      } else {
        if (y < size - 1) {
          x += 1;
          y += 1;
        } else {
          x -= 1;
          upward = true;
          if (x == 6) {
            x = 5;
            parity = 1;
          }
        }
      }
    } while (matrix.IsFunctionModule(x, y));
    if (x < 0) break;
  }
  // Bits left in the accumulator are the remainder bits and are dropped.
}

std::int32_t TDecorder::CodewordAt(std::int32_t index) const {
  if (index < 0 || index >= static_cast<std::int32_t>(codewords_.size())) return 0;
  return codewords_[static_cast<std::size_t>(index)];
}

bool TDecorder::GiveBlock(TIntegers& block, std::int32_t ecPerBlock) {
  reedSolomon_.LoadBlock(block);
  reedSolomon_.Decode();
  return ChecksAsCodeword(block, ecPerBlock);
}

bool TDecorder::CorrectBlocks() {
  TTextPane& listing = Surfaces().Text(TTextPaneId::BLMemo);
  TTextPane& trace = Surfaces().Text(TTextPaneId::RdSnMemo);
  listing.AppendLine(decoding_report::kCorrectedHeader);
  listing.AppendLine(decoding_report::VersionLine(Version()));
  listing.AppendLine(decoding_report::LevelLine(ECLevel()));
  listing.AppendLine(decoding_report::BlockCountLine(BlockCount()));

  const std::int32_t total = Matrix().CodewordCount();
  const std::int32_t blocks = BlockCount();
  const std::int32_t ecPerBlock = ECCodewordCount() / blocks;
  std::int32_t running = 0;
  bool clean = true;
  dataCodewords_.clear();
  equalBlocks_.Clear();
  shortBlocks_.Clear();
  longBlocks_.Clear();

  auto reportBlock = [&] {
    running += reedSolomon_.ErrorCount();
    trace.AppendLine(decoding_report::CorrectionLine(running));
  };

  if (blocks == 1) {
    codewords_.resize(static_cast<std::size_t>(std::max<std::int32_t>(total, 0)), 0);
    clean = GiveBlock(codewords_, ecPerBlock);
    reportBlock();
    // Only the data codewords go on; the error-correction codewords would be
    // read as further segments when the data fill the symbol.
    const std::int32_t data = std::max<std::int32_t>(total - ecPerBlock, 0);
    dataCodewords_.assign(codewords_.begin(), codewords_.begin() + data);
    return clean;
  }

  const std::int32_t length = total / blocks;
  const std::int32_t longCount = total % blocks;
  TIntegers block;
  if (longCount == 0) {
    equalBlocks_.Resize(blocks, length);
    for (std::int32_t b = 0; b < blocks; ++b)
      for (std::int32_t i = 0; i < length; ++i) equalBlocks_[b][i] = CodewordAt(i * blocks + b);
    for (std::int32_t b = 0; b < blocks; ++b) {
      block.assign(static_cast<std::size_t>(length), 0);
      for (std::int32_t i = 0; i < length; ++i) block[static_cast<std::size_t>(i)] = equalBlocks_[b][i];
      if (!GiveBlock(block, ecPerBlock)) clean = false;
      for (std::int32_t i = 0; i < length; ++i) equalBlocks_[b][i] = block[static_cast<std::size_t>(i)];
      reportBlock();
    }
    for (std::int32_t b = 0; b < blocks; ++b)
      for (std::int32_t i = 0; i < length - ecPerBlock; ++i) dataCodewords_.push_back(equalBlocks_[b][i]);
  } else {
    const std::int32_t shortCount = blocks - longCount;
    const std::int32_t data = length - ecPerBlock;
    shortBlocks_.Resize(shortCount, length);
    longBlocks_.Resize(longCount, length + 1);
    for (std::int32_t b = 0; b < blocks; ++b) {
      // Data codewords are interleaved over all blocks, the long blocks' extra
      // data codeword follows the common part, then the error-correction codewords.
      if (b < shortCount) {
        block.assign(static_cast<std::size_t>(length), 0);
        for (std::int32_t i = 0; i < length; ++i)
          block[static_cast<std::size_t>(i)] = CodewordAt(i * blocks + b + (i < data ? 0 : longCount));
      } else {
        block.assign(static_cast<std::size_t>(length) + 1, 0);
        for (std::int32_t i = 0; i <= length; ++i)
          block[static_cast<std::size_t>(i)] = CodewordAt(i * blocks + b - (i < data ? 0 : shortCount));
      }
      if (!GiveBlock(block, ecPerBlock)) clean = false;
      TPlaneInteger& plane = b < shortCount ? shortBlocks_ : longBlocks_;
      const std::int32_t row = b < shortCount ? b : b - shortCount;
      for (std::size_t i = 0; i < block.size(); ++i) plane[row][static_cast<std::int32_t>(i)] = block[i];
      listing.AppendLine(decoding_report::BlockIndexLine(b));
      reportBlock();
    }
    for (std::int32_t b = 0; b < shortCount; ++b)
      for (std::int32_t i = 0; i < data; ++i) dataCodewords_.push_back(shortBlocks_[b][i]);
    for (std::int32_t b = 0; b < longCount; ++b)
      for (std::int32_t i = 0; i <= data; ++i) dataCodewords_.push_back(longBlocks_[b][i]);
  }
  if (running > 0) trace.AppendLine(decoding_report::TotalLine(running));
  return clean;
}

std::string TDecorder::DecodeData() {
  TDataBlockReader reader(dataCodewords_, codewordsRead_, Version());
  return reader.Decode();
}
