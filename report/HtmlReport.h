#pragma once

#include <cstdint>
#include <string>

#include "common/Surfaces.h"
#include "decoder/Analysis.h"
#include "decoder/Explorer.h"
#include "decoder/Trial.h"
#include "report/ReportLanguage.h"

// The analysis as one self-contained HTML file that opens offline in any
// browser and prints on A4: the picture's name and size, the parameters, the
// outcome, then one section per page of the window in its order, each
// starting a printed page, with the page's caption, its explanation, its
// pictures and its text panes; the page 診断 with its plots as SVG.
// Pictures are <img> elements with the file embedded (PNG, or the loaded
// picture's own JPEG file); the loaded picture is embedded once, Image2
// refers to Image1. A click enlarges a picture, module pictures with crisp
// pixels. No script and no external resource; every text from the picture or
// the file system is escaped, and control characters in it are shown as
// escapes (as on a terminal: \x1b, \u0085, a backslash doubled).

struct TReportInput {
  // The picture's file name as the user gave it (UTF-8).
  std::string pictureName;
  std::int32_t width = 0;
  std::int32_t height = 0;
  // The panes and the result of the analysis shown; BLMemo from
  // result.listingStart on.
  const TSurfaces* surfaces = nullptr;
  const TAnalysisResult* result = nullptr;
  // The map of a parameter exploration whose chosen cell is the analysis
  // shown, or nullptr.
  const TExploreMap* explored = nullptr;
  // For a picture made by the sample maker, what was made and how (its
  // caption); empty for a loaded picture.
  std::string made{};
  // The loaded picture's own JPEG file (TPictureSource::EmbeddableJpeg),
  // embedded for Image1 in place of a PNG; empty for a PNG.
  std::string pictureJpeg = {};
  // An exercise: the report leaves out what gives the answer away, which the
  // answer sheet holds (AnswerSheet.h).
  bool hideAnswer = false;
  // The threads that encode the pictures (0: every core); a class set, whose
  // pictures are on threads of their own, takes one.
  unsigned threads = 0;
  // The values tried after the analysis, whose helpful ones the diagnosis
  // shows in place of the verdict's untried suggestions; nullptr when none ran.
  const TTrial* trial = nullptr;
  // The operations done to the loaded picture, in words; empty when none.
  std::string operations = {};
  // The language of the report's own texts (ReportLanguage.h).
  TReportLanguage language = TReportLanguage::Japanese;
};

// The file's bytes (UTF-8). Throws std::runtime_error when a picture cannot
// be encoded or the stage explanations are damaged.
std::string HtmlReport(const TReportInput& input);
