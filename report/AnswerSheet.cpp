#include "report/AnswerSheet.h"

#include <cctype>
#include <filesystem>
#include <numeric>

#include "common/ShiftJis.h"
#include "data/ReedSolomon.h"
#include "decoder/DecodingReport.h"
#include "decoder/DiagnosisTexts.h"
#include "report/ExploreCells.h"
#include "report/HtmlWriter.h"
#include "report/Pages.h"

namespace {

// Every hex digit of a line of codewords, as '?'.
std::string Masked(std::string line) {
  for (char& c : line)
    if (std::isxdigit(static_cast<unsigned char>(c))) c = '?';
  return line;
}

// The data codewords come first in reading order, the error correction after
// them; all codewords count as data when the blocks are not known.
std::size_t DataCodewords(const TAnalysisResult& result, std::size_t listed) {
  if (!result.diagnosis.correction) return listed;
  const std::vector<TBlockFigures>& blocks = result.diagnosis.correction->blocks;
  return static_cast<std::size_t>(std::accumulate(blocks.begin(), blocks.end(), std::int64_t{0},
                                                  [](std::int64_t sum, const TBlockFigures& b) { return sum + b.dataCodewords; }));
}

std::string PageCaption(TTextPaneId pane, TReportLanguage language) {
  for (std::size_t p = 0; p < Pages().size(); ++p)
    for (const TPagePane& shown : Pages()[p].panes)
      if (shown.kind == TPagePane::TKind::Text && shown.text == pane)
        return std::to_string(p + 1) + ". " + WindowLabelIn(Pages()[p].caption, language) +
               std::string(Say(language, "（", " [")) + std::string(PaneName(pane)) + std::string(Say(language, "）", "]"));
  return std::string(PaneName(pane));
}

}  // namespace

std::vector<std::string> ExerciseLines(TTextPaneId pane, const std::vector<std::string>& lines, std::size_t from,
                                       const TAnalysisResult& result) {
  std::vector<std::string> shown;
  if (pane == TTextPaneId::ResultMemo) return shown;
  for (std::size_t i = from; i < lines.size(); ++i) shown.push_back(lines[i]);
  if (pane == TTextPaneId::BLMemo) {
    const std::size_t first = decoding_report::kLinesBeforeCodewords;
    const std::size_t listed = shown.size() > first ? shown.size() - first : 0;
    const std::size_t data = std::min(DataCodewords(result, listed), listed);
    for (std::size_t k = 0; k < data; ++k) {
      std::string& line = shown[first + k];
      // A codeword line ends in the codeword's two hex digits.
      if (line.size() >= 2) line.replace(line.size() - 2, 2, "??");
    }
  } else if (pane == TTextPaneId::RdSnMemo) {
    for (std::size_t i = 1; i < shown.size(); ++i)
      if (shown[i - 1] == TReedSolomon::kDecodeDataHeading || shown[i - 1] == TReedSolomon::kCorrectedDataHeading)
        shown[i] = Masked(shown[i]);
  }
  return shown;
}

std::string AnswerSheet(const TReportInput& input) {
  const TSurfaces& surfaces = *input.surfaces;
  const TAnalysisResult& result = *input.result;
  const TReportLanguage language = input.language;
  QByteArray out;
  THtml html(&out);
  OpenTitledDocument(html, Say(language, "Morilux 解答", "Morilux answers"), input.pictureName, {}, language);
  html.Element("p", Say(language, "答えを伏せたレポートから除いたものです。", "What the report for the exercise leaves out."));
  html.Open("table", {{"class", QStringLiteral("facts")}});
  Row(html, Say(language, "画像", "Picture"), input.pictureName);
  Row(html, "Resolver", std::to_string(result.parameters.resolver));
  Row(html, "Warp", std::to_string(result.parameters.warp));
  Row(html, "ForceVersion", std::to_string(result.parameters.forceVersion));
  html.Close();
  html.Close();

  html.Open("section", {{"id", QStringLiteral("answer")}});
  html.Element("h2", Say(language, "読み取った文字列", "The text read"));
  if (result.decoded)
    Lines(html, {ShiftJisToUtf8(result.text)}, 0, {{"class", QStringLiteral("answer")}});
  else
    html.Element("p", Say(language, "読み取れませんでした。", "Nothing was read."), {{"class", QStringLiteral("empty")}});
  html.Close();

  for (const TTextPaneId pane : {TTextPaneId::ResultMemo, TTextPaneId::BLMemo, TTextPaneId::RdSnMemo}) {
    html.Open("section", {{"id", Q(PaneName(pane))}});
    html.Element("h2", PageCaption(pane, language));
    if (pane == TTextPaneId::BLMemo)
      Lines(html, surfaces.Text(pane).Lines(), result.listingStart, {{"class", QStringLiteral("listing")}});
    else
      Lines(html, surfaces.Text(pane).Lines());
    html.Close();
  }

  if (result.diagnosis.correction && result.diagnosis.correction->unverified) {
    html.Open("section", {{"id", QStringLiteral("unverified")}});
    html.Element("h2", UnverifiedTitle(language));
    html.Element("p", UnverifiedWarning(language), {{"class", QStringLiteral("warning")}});
    Lines(html, {ShiftJisToUtf8(result.diagnosis.correction->unverified->text)}, 0, {{"class", QStringLiteral("unverified")}});
    html.Close();
  }

  if (input.explored != nullptr && !input.explored->texts.empty()) {
    html.Open("section", {{"id", QStringLiteral("explorer")}});
    html.Element("h2", Say(language, "パラメータ探索で読み取った文字列", "The texts the parameter exploration read"));
    html.Open("ul");
    for (std::size_t t = 0; t < input.explored->texts.size(); ++t)
      html.Element("li", TextLetter(t) + ": " + ShiftJisToUtf8(input.explored->texts[t]));
    html.Close();
    html.Close();
  }
  return CloseDocument(html, out);
}

std::string AnswerSheetPath(const std::string& reportPath) {
  const std::filesystem::path path(reportPath);
  const std::string extension = path.extension().string();
  const std::string stem = path.stem().string();
  const std::string name = extension.empty() ? path.filename().string() + "-answer.html" : stem + "-answer" + extension;
  return (path.parent_path() / name).string();
}
