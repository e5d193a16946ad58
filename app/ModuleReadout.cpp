#include "ModuleReadout.h"

#include "decoder/DecodingReport.h"
#include "UiLanguage.h"

TModuleMap::TModuleMap(std::int32_t version, std::vector<TBlockLayout> layout, std::optional<std::size_t> listingStart)
    : arrangement_(version), layout_(std::move(layout)), listingStart_(listingStart) {
  order_ = ReadingOrder(arrangement_);
  const std::int32_t size = arrangement_.Width();
  places_.assign(static_cast<std::size_t>(size) * static_cast<std::size_t>(size), -1);
  for (std::size_t i = 0; i < order_.size(); ++i)
    places_[static_cast<std::size_t>(order_[i].y) * static_cast<std::size_t>(size) + static_cast<std::size_t>(order_[i].x)] =
        static_cast<std::int32_t>(i);
  // As the driver reads them: the bits after the last whole codeword are remainder bits.
  codewords_ = static_cast<std::int32_t>(order_.size() / 8);
  blocks_ = BlockPlaces(layout_, codewords_);
}

TModuleFacts TModuleMap::At(std::int32_t x, std::int32_t y) const {
  TModuleFacts facts;
  const std::int32_t size = Size();
  if (x < 0 || y < 0 || x >= size || y >= size) return facts;
  const std::int32_t place = places_[static_cast<std::size_t>(y) * static_cast<std::size_t>(size) + static_cast<std::size_t>(x)];
  if (place < 0) {
    facts.kind = TModuleFacts::TKind::Function;
    facts.pattern = arrangement_.FunctionPatternAt(x, y);
    return facts;
  }
  const std::int32_t codeword = place / 8;
  if (codeword >= codewords_) {
    facts.kind = TModuleFacts::TKind::Remainder;
    return facts;
  }
  facts.kind = TModuleFacts::TKind::Data;
  facts.codeword = codeword;
  facts.bit = 7 - place % 8;
  facts.listingLine = LineOf(codeword);
  if (BlocksKnown()) {
    const TBlockPlace& where = blocks_[static_cast<std::size_t>(codeword)];
    facts.block = where.block;
    facts.indexInBlock = where.index;
    if (where.block >= 0) facts.errorCorrection = where.index >= layout_[static_cast<std::size_t>(where.block)].dataCount;
  }
  return facts;
}

std::vector<TPoint> TModuleMap::ModulesOf(std::int32_t codeword) const {
  if (codeword < 0 || codeword >= codewords_) return {};
  const auto first = order_.begin() + 8 * static_cast<std::ptrdiff_t>(codeword);
  return {first, first + 8};
}

std::int64_t TModuleMap::LineOf(std::int32_t codeword) const {
  if (!listingStart_ || codeword < 0 || codeword >= codewords_) return -1;
  return static_cast<std::int64_t>(*listingStart_ + decoding_report::kLinesBeforeCodewords) + codeword;
}

std::int32_t TModuleMap::CodewordOnLine(std::size_t line) const {
  if (!listingStart_) return -1;
  const std::size_t first = *listingStart_ + decoding_report::kLinesBeforeCodewords;
  if (line < first || line - first >= static_cast<std::size_t>(codewords_)) return -1;
  return static_cast<std::int32_t>(line - first);
}

TUiText PatternName(TFunctionPattern pattern) {
  switch (pattern) {
    case TFunctionPattern::Finder: return Ui(QStringLiteral("位置検出パターン"));
    case TFunctionPattern::Separator: return Ui(QStringLiteral("分離パターン"));
    case TFunctionPattern::Timing: return Ui(QStringLiteral("タイミングパターン"));
    case TFunctionPattern::Alignment: return Ui(QStringLiteral("位置合わせパターン"));
    case TFunctionPattern::Format: return Ui(QStringLiteral("形式情報"));
    case TFunctionPattern::Version: return Ui(QStringLiteral("型番情報"));
    case TFunctionPattern::DarkModule: return Ui(QStringLiteral("暗モジュール"));
    case TFunctionPattern::None: break;
  }
  return Ui(QStringLiteral("データ領域"));
}

TUiText DescribeModule(QPoint module, const TModuleFacts& facts) {
  const TUiText where = Ui(QStringLiteral("モジュール 列 %1・行 %2：")).arg(module.x()).arg(module.y());
  switch (facts.kind) {
    case TModuleFacts::TKind::Outside: return Verbatim(QString());
    case TModuleFacts::TKind::Function: return where + PatternName(facts.pattern);
    case TModuleFacts::TKind::Remainder: return where + Ui(QStringLiteral("剰余ビット"));
    case TModuleFacts::TKind::Data: break;
  }
  const TUiText line = facts.listingLine >= 0 ? Ui(QStringLiteral("BLMemo %1 行目")).arg(facts.listingLine + 1)
                                              : Verbatim(QStringLiteral("BLMemo —"));
  const TUiText block = facts.block >= 0 ? Ui(QStringLiteral("ブロック %1 の %2 番（%3）"))
                                               .arg(facts.block)
                                               .arg(facts.indexInBlock)
                                               .arg(facts.errorCorrection ? Ui(QStringLiteral("誤り訂正")) : Ui(QStringLiteral("データ")))
                                         : Ui(QStringLiteral("ブロック —"));
  return where + Ui(QStringLiteral("コード語 No %1（%2）のビット %3、%4")).arg(facts.codeword).arg(line).arg(facts.bit).arg(block);
}
