#include "report/ExploreCells.h"

#include <array>
#include <cstddef>

#include "common/ShiftJis.h"

namespace {

// Colour of each stage where a decode stopped, in pipeline order, and of a
// decode: dark reds for the early stages, greens towards the decode.
constexpr std::array<std::string_view, kStageCount> kStageColours = {
    "#5b2333", "#8f2d56", "#c2413b", "#d9822b", "#c9a227", "#7a9a2f", "#3f7f8c", "#4a5fa8", "#1f8a4c"};

// The letters of StageLetter, in the same order.
constexpr std::array<std::string_view, kStageCount> kStageLetters = {"b", "f", "v", "c", "s", "m", "w", "d", ""};

}  // namespace

std::string_view StageLetter(TStage stage) { return kStageLetters[static_cast<std::size_t>(stage)]; }

std::string_view StageColour(TStage stage) { return kStageColours[static_cast<std::size_t>(stage)]; }

std::string_view CellColour(const TExploreCell& cell) { return cell.ran ? StageColour(cell.result.stage) : kNotRunColour; }

std::string TextLetter(std::size_t textIndex) {
  return textIndex < 26 ? std::string(1, static_cast<char>('A' + textIndex)) : "*";
}

std::string CellMark(const TExploreCell& cell) {
  if (!cell.ran) return " ";
  if (!cell.result.decoded) return "·";
  return TextLetter(static_cast<std::size_t>(cell.textIndex));
}

std::string CellTitle(const TExploreCell& cell, bool withText, TReportLanguage language) {
  std::string title = "Resolver " + std::to_string(cell.resolver) + ", Warp " + std::to_string(cell.warp) + ": ";
  if (!cell.ran) return title + std::string(Say(language, "未実行", "not run"));
  const std::string letter = TextLetter(static_cast<std::size_t>(cell.textIndex));
  if (cell.result.decoded && !withText)
    return title + std::string(Say(language, "復号（文字列 ", "decoded (text ")) + letter + std::string(Say(language, "）", ")"));
  if (cell.result.decoded)
    return title + std::string(Say(language, "復号 「", "decoded \u201c")) + ShiftJisToUtf8(cell.result.text) +
           std::string(Say(language, "」", "\u201d"));
  if (language == TReportLanguage::English)
    return title + "stopped at " + std::string(StageNameIn(cell.result.stage, language)) + " \u2014 " +
           DecoderMessageIn(cell.result.failureReason, language);
  return title + std::string(NameOf(cell.result.stage).japanese) + "で停止 — " + cell.result.failureReason;
}
