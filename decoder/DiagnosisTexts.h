#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "common/Diagnosis.h"
#include "decoder/Verdict.h"

// The diagnosis in words, in one place for every front end and tool: the
// verdict's evidence and suggestions in Japanese (window, report) and English
// (JSON, command line), the command line's one line, and the Japanese lines
// around the verdict that the window's page 診断 and the HTML report show
// (the measured figures in English too).
// All UTF-8.

// The texts of the verdict, one sentence each, without a final full stop in English.
std::string EnglishText(const TEvidence& evidence);
std::string JapaneseText(const TEvidence& evidence);
std::string EnglishText(const TSuggestion& suggestion);
std::string JapaneseText(const TSuggestion& suggestion);

// The suspect in one sentence: "the finder search is suspect: the candidate
// at (148, 52) is weaker (16 against 48) and the triangle's angle is 38°".
std::string EnglishText(const TSuspect& suspect);
std::string JapaneseText(const TSuspect& suspect);

// A mirrored symbol with its evidence: "the format information reads in
// mirrored order 0 and 0 bits off one valid word (both copies), against 3 read
// the ordinary way: the symbol is mirrored (...); mirror the picture (..., --mirror)".
std::string EnglishText(const TMirrored& mirrored);
std::string JapaneseText(const TMirrored& mirrored);

// The module size when it is too small for the sampling, with where it comes
// from, or empty: "about 1.2 pixels per module (from the finder candidates'
// weights); the decoder needs about 3: a closer photograph".
std::string EnglishModuleText(const TVerdict& verdict);
std::string JapaneseModuleText(const TVerdict& verdict);

// The command line's one line after the error text, e.g.
// "stage: finder search; 2 candidates, 3 needed; 64 % of the picture dark; try --resolver -5".
std::string DiagnosisLine(const TVerdict& verdict);

// The verdict as named values (stage, evidence with its kind, numbers and
// English text, suggestions with their kind, value and English text).
void VisitVerdict(const TVerdict& verdict, TFigureVisitor& visitor);

// Which stage stopped the decode, or that it read, in one sentence, with
// what the stage does in words; a second sentence names a suspect earlier stage.
std::string DiagnosisHeadline(const TVerdict& verdict);

// What the decoder's error message means when it covers more than one stage
// (code 1: the finder search and the version), or empty.
std::string MessageNote(std::int32_t errorCode);
std::string EnglishMessageNote(std::int32_t errorCode);

// What the stages measured, one line each: the binarization, which the plots
// show, then the stage the verdict names (after a success: the version,
// format and blocks the decode settled). Figures of stages that did not run
// are left out.
std::vector<std::string> FigureLines(const TDiagnosis& diagnosis, const TVerdict& verdict);
// The same lines in English, figure for figure (the window in English).
std::vector<std::string> EnglishFigureLines(const TDiagnosis& diagnosis, const TVerdict& verdict);

// The heading above the data codewords read without correction, and the
// warning beside it.
inline constexpr std::string_view kUnverifiedTitle = "未検証のデータ（誤り訂正をせずに読んだもの）";
inline constexpr std::string_view kUnverifiedWarning =
    "誤りを訂正できなかったブロックを含むデータを、そのまま読んだ結果です。正しい保証はありません。"
    "損傷がどこに及んだかを見るためのものです。";
