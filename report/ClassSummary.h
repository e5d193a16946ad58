#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "classset/ClassRow.h"
#include "decoder/Analysis.h"
#include "decoder/Explorer.h"
#include "report/ReportLanguage.h"

// A class set's table as the summary page, its answer sheet and its JSON
// show it, and the columns' texts the window's table shows too: one row a
// picture, in the order of the rows given.

enum class TClassColumn { Picture, Outcome, Text, Stage, Verdict, Suggestion, Explored, Report };

struct TClassColumnName {
  TClassColumn column;
  std::string_view heading;
  std::string_view english;
};
// The columns in the order they stand, with their headings.
inline constexpr std::array<TClassColumnName, 8> kClassColumns = {{
    {TClassColumn::Picture, "画像", "Picture"},
    {TClassColumn::Outcome, "結果", "Outcome"},
    {TClassColumn::Text, "読み取った文字列", "Text read"},
    {TClassColumn::Stage, "停止した段階", "Stage stopped at"},
    {TClassColumn::Verdict, "診断", "Diagnosis"},
    {TClassColumn::Suggestion, "次に試すこと", "What to try next"},
    {TClassColumn::Explored, "探索で選んだ値", "Values the exploration chose"},
    {TClassColumn::Report, "レポート", "Report"},
}};

// What a row's cell says (UTF-8, text from the picture or the file system
// as it is; a writer shows its control characters as escapes): the file's
// name with the picture's size, the outcome, the decoded text, the stage
// where the decode stopped ("—" for a picture not read), the verdict's
// evidence (or why the picture could not be read), its suggestions one a
// line, the chosen cell's values after an exploration, the report's name.
std::string ClassCellText(const TClassRow& row, TClassColumn column, TReportLanguage language = TReportLanguage::Japanese);
// "#rrggbb" that marks the row's outcome: the colour of the stage where the
// decode stopped (the explorer's map's), grey for a picture not read.
std::string_view ClassRowColour(const TClassRow& row);

struct TClassSummaryInput {
  // The folder as the user gave it (UTF-8).
  std::string folder;
  // Every picture's row, in the order shown.
  const std::vector<TClassRow>* rows = nullptr;
  // What every picture was analysed with.
  TAnalysisParameters parameters;
  const TExploreGrid* explore = nullptr;
  // An exercise: the summary leaves out the texts read (as each picture's
  // report does), which its answer sheet holds; `answerSheet` is the name of
  // that sheet beside it.
  bool hideAnswer = false;
  std::string answerSheet;
  // The language of the page's own texts.
  TReportLanguage language = TReportLanguage::Japanese;
};

// The summary page (UTF-8 HTML, no script, every text escaped as in the
// report): the folder, the parameters and the counts of each outcome, then
// the table with each picture's thumbnail and a link to its report. Throws
// std::runtime_error when the document cannot be written.
std::string ClassSummary(const TClassSummaryInput& input);
// The answer sheet of a summary that hides the answers: each picture's name
// and the text read, with a link to its report's answer sheet.
std::string ClassAnswerSheet(const TClassSummaryInput& input);
// The table for programs (format 1, see the README): the counts, and per
// picture its name, outcome, message, report and its analysis's JSON summary
// (JsonSummary.h), which the row holds.
std::string ClassSummaryJson(const TClassSummaryInput& input);
