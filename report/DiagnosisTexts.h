#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "common/Diagnosis.h"
#include "decoder/Verdict.h"

// The diagnosis in Japanese words, as the window's page 診断 and the HTML
// report both show it (UTF-8). The evidence and the suggestions themselves
// are the verdict's own texts (JapaneseText); these are the lines around them.

// Which stage stopped the decode, or that it read, in one sentence.
std::string DiagnosisHeadline(const TVerdict& verdict);

// What the stages measured, one line each: the binarization, which the plots
// show, then the stage the verdict names (after a success: the version,
// format and blocks the decode settled). Figures of stages that did not run
// are left out.
std::vector<std::string> FigureLines(const TDiagnosis& diagnosis, const TVerdict& verdict);

// The heading above the data codewords read without correction, and the
// warning beside it.
inline constexpr std::string_view kUnverifiedTitle = "未検証のデータ（誤り訂正をせずに読んだもの）";
inline constexpr std::string_view kUnverifiedWarning =
    "誤りを訂正できなかったブロックを含むデータを、そのまま読んだ結果です。正しい保証はありません。"
    "損傷がどこに及んだかを見るためのものです。";
