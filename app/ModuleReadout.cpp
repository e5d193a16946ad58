#include "ModuleReadout.h"

#include "decoder/DecodingReport.h"

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

QString PatternName(TFunctionPattern pattern) {
  switch (pattern) {
    case TFunctionPattern::Finder: return QStringLiteral("位置検出パターン");
    case TFunctionPattern::Separator: return QStringLiteral("分離パターン");
    case TFunctionPattern::Timing: return QStringLiteral("タイミングパターン");
    case TFunctionPattern::Alignment: return QStringLiteral("位置合わせパターン");
    case TFunctionPattern::Format: return QStringLiteral("形式情報");
    case TFunctionPattern::Version: return QStringLiteral("型番情報");
    case TFunctionPattern::DarkModule: return QStringLiteral("暗モジュール");
    case TFunctionPattern::None: break;
  }
  return QStringLiteral("データ領域");
}

QString DescribeModule(QPoint module, const TModuleFacts& facts) {
  const QString where = QStringLiteral("モジュール 列 %1・行 %2：").arg(module.x()).arg(module.y());
  switch (facts.kind) {
    case TModuleFacts::TKind::Outside: return {};
    case TModuleFacts::TKind::Function: return where + PatternName(facts.pattern);
    case TModuleFacts::TKind::Remainder: return where + QStringLiteral("剰余ビット");
    case TModuleFacts::TKind::Data: break;
  }
  const QString line = facts.listingLine >= 0 ? QStringLiteral("BLMemo %1 行目").arg(facts.listingLine + 1)
                                              : QStringLiteral("BLMemo —");
  const QString block = facts.block >= 0 ? QStringLiteral("ブロック %1 の %2 番（%3）")
                                               .arg(facts.block)
                                               .arg(facts.indexInBlock)
                                               .arg(facts.errorCorrection ? QStringLiteral("誤り訂正") : QStringLiteral("データ"))
                                         : QStringLiteral("ブロック —");
  return where + QStringLiteral("コード語 No %1（%2）のビット %3、%4").arg(facts.codeword).arg(line).arg(facts.bit).arg(block);
}
