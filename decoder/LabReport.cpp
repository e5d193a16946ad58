#include "decoder/LabReport.h"

#include "common/DecodeStages.h"
#include "common/Messages.h"
#include "common/ShiftJis.h"

namespace {

std::string N(std::int64_t value) { return std::to_string(value); }

bool English(TLabLanguage language) { return language == TLabLanguage::English; }

// "no wrong codeword", "1 wrong codeword", "4 wrong codewords".
std::string Plural(std::size_t count, const std::string& singular, const std::string& plural, const std::string& none) {
  if (count == 0) return none;
  return N(static_cast<std::int64_t>(count)) + " " + (count == 1 ? singular : plural);
}

// What became of a block: a decoder's verdict on it set against the reference.
enum class TFate { Intact, TakenAsIntact, Corrected, Miscorrected, Uncorrectable };

std::string FateText(TFate fate, TLabLanguage language) {
  switch (fate) {
    case TFate::Intact: return English(language) ? "intact" : "誤りなし";
    case TFate::TakenAsIntact: return English(language) ? "taken as intact (another codeword)" : "別の符号語を誤りなしと見なします";
    case TFate::Corrected: return English(language) ? "corrected" : "訂正できます";
    case TFate::Miscorrected: return English(language) ? "miscorrected (another codeword)" : "別の符号語に誤訂正します";
    case TFate::Uncorrectable: return English(language) ? "uncorrectable" : "訂正できません";
  }
  return {};
}

TFate DecoderFate(const TLabBlock& block) {
  if (block.figures.uncorrectable) return TFate::Uncorrectable;
  const bool known = !block.reference.empty();
  if (block.mended.empty()) return known && !block.wrong.empty() ? TFate::TakenAsIntact : TFate::Intact;
  return known && !block.Restored() ? TFate::Miscorrected : TFate::Corrected;
}

TFate CapacityFate(const TLabBlock& block) {
  const bool known = !block.reference.empty();
  switch (block.capacity.outcome) {
    case TCapacityOutcome::Uncorrectable: return TFate::Uncorrectable;
    case TCapacityOutcome::Intact: return known && !block.wrong.empty() ? TFate::TakenAsIntact : TFate::Intact;
    case TCapacityOutcome::Corrected: return known && !block.CapacityRestored() ? TFate::Miscorrected : TFate::Corrected;
  }
  return TFate::Uncorrectable;
}

const char* CapacityKey(TCapacityOutcome outcome) {
  switch (outcome) {
    case TCapacityOutcome::Intact: return "intact";
    case TCapacityOutcome::Corrected: return "corrected";
    case TCapacityOutcome::Uncorrectable: return "uncorrectable";
  }
  return "";
}

// Corrections beyond what the level promises use the codewords it holds back against misdecoding.
bool BeyondPromise(const TLabBlock& block) {
  const auto load = 2 * block.capacity.errors.size() + block.capacity.erasures.size();
  return block.capacity.outcome == TCapacityOutcome::Corrected && load > static_cast<std::size_t>(2 * block.promised);
}

void Numbers(TFigureVisitor& visitor, std::string_view key, const std::vector<std::int32_t>& values) {
  visitor.BeginList(key);
  for (const std::int32_t value : values) visitor.Number({}, value);
  visitor.EndList();
}

void Modules(TFigureVisitor& visitor, std::string_view key, const std::vector<TPoint>& modules) {
  visitor.BeginList(key);
  for (const TPoint module : modules) {
    visitor.BeginList({});
    visitor.Number({}, module.x);
    visitor.Number({}, module.y);
    visitor.EndList();
  }
  visitor.EndList();
}

void VisitBlock(const TLabBlock& block, TFigureVisitor& visitor) {
  visitor.BeginGroup({});
  visitor.Number("dataCodewords", block.layout.dataCount);
  visitor.Number("ecCodewords", block.ecCodewords);
  Numbers(visitor, "places", block.layout.codewords);
  Numbers(visitor, "received", block.received);
  Numbers(visitor, "corrected", block.corrected);
  Numbers(visitor, "wrong", block.wrong);
  Numbers(visitor, "erasures", block.erasures);
  visitor.BeginGroup("decoder");
  visitor.Number("capacity", TReedSolomon::kMaxErrors);
  Numbers(visitor, "syndromes", std::vector<std::int32_t>(block.syndromes.begin(), block.syndromes.end()));
  visitor.Number("locatorDegree", block.figures.locatorDegree);
  visitor.Number("corrections", block.figures.corrected);
  visitor.Flag("uncorrectable", block.figures.uncorrectable);
  if (!block.reference.empty()) visitor.Flag("restored", block.Restored());
  visitor.EndGroup();
  visitor.BeginGroup("fullCapacity");
  visitor.Text("outcome", CapacityKey(block.capacity.outcome));
  visitor.Number("capacity", block.capacity.ErrorCapacity());
  Numbers(visitor, "syndromes", block.capacity.syndromes);
  Numbers(visitor, "errors", block.capacity.errors);
  visitor.Number("erasures", static_cast<std::int64_t>(block.capacity.erasures.size()));
  Numbers(visitor, "block", block.capacity.block);
  if (!block.reference.empty()) visitor.Flag("restored", block.CapacityRestored());
  visitor.Flag("beyondPromise", BeyondPromise(block));
  visitor.EndGroup();
  visitor.Number("promised", block.promised);
  visitor.Number("misdecodeProtection", block.protection);
  visitor.EndGroup();
}

}  // namespace

std::string LabBlockLine(const TLabBlock& block, std::size_t index, TLabLanguage language) {
  const bool english = English(language);
  std::string line = (english ? "block " : "ブロック ") + N(static_cast<std::int64_t>(index)) + (english ? ": " : "：");
  line += english ? Plural(block.wrong.size(), "wrong codeword", "wrong codewords", "no wrong codeword")
                  : (block.wrong.empty() ? std::string("誤りなし") : "誤り " + N(static_cast<std::int64_t>(block.wrong.size())) + " 個");
  if (!block.erasures.empty())
    line += english ? ", " + N(static_cast<std::int64_t>(block.erasures.size())) + " unreadable"
                    : "、読めない " + N(static_cast<std::int64_t>(block.erasures.size())) + " 個";
  const std::string limit = N(TReedSolomon::kMaxErrors);
  const std::string promised = N(block.promised);
  if (english) {
    line += "; this decoder (up to " + limit + "): " + FateText(DecoderFate(block), language);
    line += "; the level promises " + promised + ": " + FateText(CapacityFate(block), language);
    if (BeyondPromise(block)) line += ", beyond its promise";
  } else {
    line += "。この復号器（" + limit + " 個まで）：" + FateText(DecoderFate(block), language);
    line += "。レベルの約束（" + promised + " 個まで）：" + FateText(CapacityFate(block), language);
    if (BeyondPromise(block)) line += "（約束を超えて）";
    line += "。";
  }
  return line;
}

std::string LabChangesLine(const TLabRun& run, TLabLanguage language) {
  const std::size_t codewords = run.changedCodewords.size();
  if (English(language))
    return Plural(static_cast<std::size_t>(run.changedModules), "module changed", "modules changed", "no module changed") + ", " +
           Plural(static_cast<std::size_t>(run.erasedModules), "marked unreadable", "marked unreadable", "none marked unreadable") +
           "; " + Plural(codewords, "codeword read otherwise", "codewords read otherwise", "no codeword read otherwise");
  return "変えたモジュール " + N(run.changedModules) + " 個、読めない印 " + N(run.erasedModules) + " 個、読み方が変わった符号語 " +
         N(static_cast<std::int64_t>(codewords)) + " 個";
}

std::vector<std::string> LabOutcomeLines(const TLabRun& run, const TLabRun& original, TLabLanguage language) {
  const bool english = English(language);
  std::vector<std::string> lines;
  const TAnalysisResult& result = run.result;
  if (result.decoded) {
    const bool same = original.result.decoded && original.result.text == result.text;
    lines.push_back(english ? std::string("this decoder: decoded") + (same ? ", the same text as the unchanged matrix" : ", another text than the unchanged matrix")
                            : std::string("この復号器：読み取りました") + (same ? "（変える前と同じ文字列）" : "（変える前と違う文字列）"));
  } else {
    const std::string reason = result.failureReason.empty() ? result.errorText : result.failureReason;
    lines.push_back((english ? "this decoder: not decoded (stage " + std::string(NameOf(result.stage).key) + "): "
                             : "この復号器：読み取れません（" + std::string(NameOf(result.stage).japanese) + "）：") +
                    reason);
  }
  if (!run.ReadBlocks()) return lines;
  if (run.capacityText) {
    const bool same = original.result.decoded && original.result.text == *run.capacityText;
    lines.push_back(english ? std::string("the level's full capacity: every block read") +
                                  (same ? ", the same text as the unchanged matrix" : ", another text than the unchanged matrix")
                            : std::string("レベルの訂正能力いっぱいなら：すべてのブロックが読めます") +
                                  (same ? "（変える前と同じ文字列）" : "（変える前と違う文字列）"));
  } else {
    lines.push_back(english ? "the level's full capacity: a block stays uncorrectable"
                            : "レベルの訂正能力いっぱいでも：訂正できないブロックが残ります");
  }
  return lines;
}

void VisitLab(const TLab& lab, TFigureVisitor& visitor) {
  const TLabRun& run = lab.Last();
  visitor.BeginGroup("lab");
  Modules(visitor, "changed", lab.Matrix().ChangedModules());
  Modules(visitor, "erased", lab.Matrix().ErasedModules());
  Numbers(visitor, "codewordsReadOtherwise", run.changedCodewords);
  visitor.Flag("success", run.result.decoded);
  visitor.Text("stage", NameOf(run.result.stage).key);
  visitor.Number("errorCode", run.result.errorCode);
  visitor.Text("errorText", run.result.errorText);
  visitor.Text("failure", run.result.failureReason);
  if (run.result.decoded) visitor.Text("text", ShiftJisToUtf8(run.result.text));
  visitor.Number("version", run.version);
  if (run.level >= 0) visitor.Text("level", kLevelLetters[static_cast<std::size_t>(run.level)]);
  if (run.mask >= 0) visitor.Number("mask", run.mask);
  visitor.BeginList("blocks");
  for (const TLabBlock& block : run.blocks) VisitBlock(block, visitor);
  visitor.EndList();
  if (run.capacityText) visitor.Text("capacityText", ShiftJisToUtf8(*run.capacityText));
  visitor.BeginGroup("original");
  visitor.Flag("success", lab.Original().result.decoded);
  if (lab.Original().result.decoded) visitor.Text("originalText", ShiftJisToUtf8(lab.Original().result.text));
  visitor.EndGroup();
  visitor.EndGroup();
}
