#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include <QPoint>
#include <QString>

#include "UiLanguage.h"
#include "common/Types.h"
#include "symbol/Arrangement.h"
#include "symbol/Placement.h"

// What the readout tells about one module of a module pane.
struct TModuleFacts {
  enum class TKind { Outside, Function, Data, Remainder };

  TKind kind = TKind::Outside;
  TFunctionPattern pattern = TFunctionPattern::None;
  // A data module: the codeword's index in reading order (the "No" of the
  // listing) and the bit within it, 7 the most significant.
  std::int32_t codeword = -1;
  std::int32_t bit = -1;
  // Its Reed-Solomon block and place there; -1 when the level is not known
  // (the format information was not read).
  std::int32_t block = -1;
  std::int32_t indexInBlock = -1;
  bool errorCorrection = false;
  // The BLMemo line (from 0) that lists the codeword; -1 when the analysis
  // that drew the pane wrote no listing.
  std::int64_t listingLine = -1;

  friend bool operator==(const TModuleFacts&, const TModuleFacts&) = default;
};

// The modules of the matrix an analysis sampled, as the readout sees them:
// the function patterns as the symbol model marks them, and for the data
// area the reading order and the blocks that the decoder itself used
// (ReadingOrder, and the driver's layout from Deinterleave).
class TModuleMap {
 public:
  // `layout`: the driver's blocks, empty when the analysis read no codewords;
  // `listingStart`: the line of BLMemo where that analysis's listing begins,
  // when it wrote one. Refuses a version outside 1 to 40 with a TDecodeError.
  TModuleMap(std::int32_t version, std::vector<TBlockLayout> layout, std::optional<std::size_t> listingStart);

  std::int32_t Version() const { return arrangement_.Version(); }
  std::int32_t Size() const { return arrangement_.Width(); }
  std::int32_t CodewordCount() const { return codewords_; }
  bool BlocksKnown() const { return !layout_.empty(); }

  TModuleFacts At(std::int32_t x, std::int32_t y) const;
  // The eight modules of codeword k, bit 7 first; empty for no such codeword.
  std::vector<TPoint> ModulesOf(std::int32_t codeword) const;
  // The codeword listed on BLMemo line `line` (from 0), or -1.
  std::int32_t CodewordOnLine(std::size_t line) const;
  // The BLMemo line (from 0) of codeword k, or -1.
  std::int64_t LineOf(std::int32_t codeword) const;

 private:
  TArrangement arrangement_;
  std::vector<TPoint> order_;
  // Place in order_ of every module, row after row; -1 for function modules.
  std::vector<std::int32_t> places_;
  std::int32_t codewords_ = 0;
  std::vector<TBlockLayout> layout_;
  std::vector<TBlockPlace> blocks_;
  std::optional<std::size_t> listingStart_;
};

// The Japanese name of a function pattern, as the manual writes it.
TUiText PatternName(TFunctionPattern pattern);
// One line for the status bar: the module's column and row and what it holds.
TUiText DescribeModule(QPoint module, const TModuleFacts& facts);
