#pragma once

#include <string>
#include <vector>

#include "common/Bitmap.h"
#include "common/Surfaces.h"
#include "decoder/Analysis.h"
#include "decoder/Explorer.h"

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
  // The picture's file name (UTF-8) and the picture.
  std::string pictureName;
  const TBitmap* picture = nullptr;
};

// The report (HtmlReport) of the last analysis alone, as a run of the command
// line on the same picture with the same parameters would write it: the
// loaded picture, the panes the analysis drew, its part of the listing, the
// status bar; with the explorer's map when the map's chosen cell is this
// analysis. Throws std::runtime_error as HtmlReport does.
std::string WindowReport(const TWindowReportInput& input);
