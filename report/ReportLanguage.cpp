#include "report/ReportLanguage.h"

#include <algorithm>
#include <array>

#include "decoder/DiagnosisTexts.h"

namespace {

// The Japanese texts the window shows, and their English.
constexpr auto kEnglish = std::to_array<TEnglishPair>({
    // The pages and the labels of their panes.
    {"読み込み画像", "Picture"},
    {"位置検索", "Locate"},
    {"位置検索パターン", "Finder patterns"},
    {"タイミング", "Timing"},
    {"デジタル処理画像", "Digitised"},
    {"デジタル処理結果", "Digitised modules"},
    {"形式情報", "Format"},
    {"サンプリング", "Sampling"},
    {"マスク", "Mask"},
    {"マスク結果", "Unmasked"},
    {"結果表示", "Result"},
    {"診断", "Diagnosis"},
    // The stages.
    {"二値化", "Binarization"},
    {"位置検出パターンの探索", "Finder search"},
    {"型番の決定", "Finding the version"},
    {"四隅の検出", "Finding the corners"},
    {"コード語の読み取りと誤り訂正", "Codewords and error correction"},
    {"データの復号", "Data decoding"},
    {"復号完了", "Decoding done"},
    // The plots.
    {"灰色の値のヒストグラム（画像全体）", "Histogram of the grey values (the whole picture)"},
    {"中央の行の灰色の値", "Grey values of the middle row"},
    {"タイミングパターンの一致率", "Agreement of the timing patterns"},
    // The decoder's messages.
    {"位置検出パターンがみつかりません。", "No finder patterns found."},
    {"位置検出パターンが見つかりません。", "Finder patterns not found."},
    {"サポートしていない型番です。", "The version is not supported."},
    {"セルの読み込みでエラーが発生しました。", "An error occurred while reading the cells."},
    {"形式情報の読み込みでエラーが発生しました。", "An error occurred while reading the format information."},
});

const std::string_view* Find(std::string_view japanese) {
  const auto found =
      std::find_if(kEnglish.begin(), kEnglish.end(), [&](const TEnglishPair& pair) { return pair.japanese == japanese; });
  return found == kEnglish.end() ? nullptr : &found->english;
}

}  // namespace

std::span<const TEnglishPair> WindowEnglish() { return kEnglish; }

std::string_view LanguageTag(TReportLanguage language) { return Say(language, "ja", "en"); }

std::string_view EnglishOf(std::string_view japanese) {
  const std::string_view* english = Find(japanese);
  return english != nullptr ? *english : japanese;
}

std::string_view StageNameIn(TStage stage, TReportLanguage language) {
  const std::string_view japanese = NameOf(stage).japanese;
  return language == TReportLanguage::English ? EnglishOf(japanese) : japanese;
}

std::string DiagnosisHeadlineIn(const TVerdict& verdict, TReportLanguage language) {
  if (language == TReportLanguage::Japanese) return DiagnosisHeadline(verdict);
  if (verdict.decoded && verdict.stage == TStage::Done) return "Decoded.";
  const std::string stage(StageNameIn(verdict.stage, language));
  if (verdict.decoded) return "Decoded, but the reading stopped during \u201c" + stage + "\u201d.";
  return "Stopped at the stage \u201c" + stage + "\u201d.";
}

std::string WindowLabelIn(std::string_view japanese, TReportLanguage language) {
  const std::string_view* english = Find(japanese);
  if (language == TReportLanguage::Japanese || english == nullptr) return std::string(japanese);
  return std::string(*english) + " (" + std::string(japanese) + ")";
}

std::string DecoderMessageIn(const std::string& message, TReportLanguage language) {
  const std::string_view* english = Find(message);
  if (language == TReportLanguage::Japanese || english == nullptr) return message;
  return message + " (" + std::string(*english) + ")";
}

std::string EnglishSentence(std::string text) {
  if (text.empty()) return text;
  if (text.front() >= 'a' && text.front() <= 'z') text.front() = static_cast<char>(text.front() - 'a' + 'A');
  if (text.back() != '.') text += '.';
  return text;
}

std::string_view UnverifiedTitle(TReportLanguage language) {
  return Say(language, kUnverifiedTitle, "Unverified data (read without error correction)");
}

std::string_view UnverifiedWarning(TReportLanguage language) {
  return Say(language, kUnverifiedWarning,
             "The data read as it is, with blocks whose errors could not be corrected. It is not guaranteed to be "
             "right; it shows how far the damage reaches.");
}
