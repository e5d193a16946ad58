#pragma once

#include <optional>
#include <string>
#include <vector>

#include <QString>

#include "common/Bitmap.h"
#include "common/Surfaces.h"
#include "decoder/Analysis.h"
#include "decoder/Explorer.h"
#include "decoder/PictureOperations.h"
#include "decoder/Trial.h"
#include "report/PictureSource.h"

// What the window shows after its last analysis, as the report holds it.
struct TWindowReportInput {
  // The window's panes and status bar.
  const TSurfaces* surfaces = nullptr;
  // The image panes the last analysis drew; the others show what earlier
  // analyses left and stay out of the report.
  const std::vector<TImagePaneId>* drawn = nullptr;
  const TAnalysisResult* analysis = nullptr;
  // The explorer's map, or nullptr when the explorer has not been opened.
  const TExploreMap* explored = nullptr;
  // The picture's file name (UTF-8), the picture and the file it was loaded from.
  std::string pictureName;
  const TBitmap* picture = nullptr;
  const TPictureSource* source = nullptr;
  // The picture's grey-level histogram, which the diagnosis shows.
  const TGreyHistogram* pictureHistogram = nullptr;
  // An exercise: the report without the answer, and the answer sheet.
  bool hideAnswer = false;
  // For a picture made by the sample maker, what was made and how; else empty.
  std::string made{};
  // The trial of the last analysis once it ended, or nullptr.
  const TTrial* trial = nullptr;
  // What was done to the loaded picture (ツール → 画像の調整); the report names
  // it in the window's language.
  TPictureOperations operations{};
};

// The report's files: the report and, for an exercise, its answer sheet.
struct TWindowReport {
  std::string report;
  std::string answers;
};

// The report (HtmlReport) of the last analysis alone, as a run of the command
// line on the same picture with the same parameters would write it: the
// loaded picture (its own JPEG file when a browser shows it as analysed), the
// panes the analysis drew, its part of the listing, the status bar, the
// diagnosis with the picture's grey levels; with the explorer's map when the
// map's chosen cell is this analysis. Throws std::runtime_error as
// HtmlReport does.
TWindowReport WindowReport(const TWindowReportInput& input);

// Writes the report to `path` and an exercise's answer sheet beside it
// (AnswerSheetPath), both or neither. Returns the message the window shows
// when they could not be written; none after a success.
std::optional<QString> SaveWindowReport(const QString& path, const TWindowReport& files);
