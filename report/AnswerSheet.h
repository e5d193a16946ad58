#pragma once

#include <string>
#include <vector>

#include "common/Surfaces.h"
#include "decoder/Analysis.h"
#include "report/HtmlReport.h"

// An exercise: a report without what gives the answer away, so that the text
// can be decoded by hand from the pictures, which all stay (up to the
// unmasked matrix), and beside it an answer sheet with what was left out:
//   - the decoded text and the result lines (ResultMemo);
//   - the values of the data codewords in the listing (BLMemo), each shown as
//     "??" on its line;
//   - each block's codewords in the Reed-Solomon trace (RdSnMemo), as read and
//     as corrected, each digit shown as "?";
//   - the text read without correction (the diagnosis);
//   - the texts the explorer's cells read (a cell keeps its letter).

// The lines of a text pane from line `from` on, as the exercise shows them;
// ResultMemo shows none. `result` is the analysis that wrote them, its
// listing starting at line `from` of BLMemo.
std::vector<std::string> ExerciseLines(TTextPaneId pane, const std::vector<std::string>& lines, std::size_t from,
                                       const TAnalysisResult& result);

// The answer sheet of the exercise that `input` describes (UTF-8 HTML, no
// script, every text escaped as in the report). Throws std::runtime_error
// when the document cannot be written.
std::string AnswerSheet(const TReportInput& input);

// Where the answer sheet of a report goes: beside it, "-answer" before the
// extension ("sheet.html" gives "sheet-answer.html"), or "-answer.html" after
// a name without one.
std::string AnswerSheetPath(const std::string& reportPath);
