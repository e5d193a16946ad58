#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

#include "common/Bitmap.h"
#include "common/DecodeStages.h"
#include "common/Diagnosis.h"
#include "common/Surfaces.h"
#include "decoder/Parameters.h"
#include "decoder/Veltrix.h"
#include "decoder/Verdict.h"

// The analysis command, the same for every front end: the panes of the last
// result cleared, the parameters written, the picture decoded, the result
// lines and status panels written.

struct TAnalysisParameters {
  std::int32_t resolver = RangeOf(TParameter::Resolver).preset;
  std::int32_t warp = RangeOf(TParameter::Warp).preset;
  std::int32_t forceVersion = RangeOf(TParameter::ForceVersion).preset;

  friend bool operator==(const TAnalysisParameters&, const TAnalysisParameters&) = default;
};

struct TAnalysisResult {
  bool decoded = false;
  // The decoded text as Shift-JIS bytes; empty after a failure.
  std::string text;
  // The facade's error text (empty after a success) and the reason status
  // panel 1 shows after a failure.
  std::string errorText;
  std::string failureReason;
  // Status panel 0.
  std::string versionText;
  // As the decode ran with them (the record's): Resolver and Warp clamped,
  // ForceVersion as written.
  TAnalysisParameters parameters;
  // Where the decode stopped; Done after a success.
  TStage stage = TStage::Binarization;
  // The line of BLMemo where this analysis's listing begins: the pane's line
  // count before the decode (BLMemo keeps the listings of earlier analyses).
  std::size_t listingStart = 0;
  // What every stage that ran measured (TVeltrix::Diagnosis), and what it
  // says. The version, level, mask and blocks the decode settled are read from
  // the record (TDiagnosis::SettledVersion ...).
  TDiagnosis diagnosis;
  TVerdict verdict;
  // The decode failed before the facade's own guard (only binarization can,
  // for want of memory): the command stopped with status panel 1 naming the
  // failure, without result lines and version text.
  bool aborted = false;
  // The driver's error code of errorText (0 after a success and after
  // failures of the geometry, which set none).
  std::int32_t errorCode = 0;

  friend bool operator==(const TAnalysisResult&, const TAnalysisResult&) = default;
};

// What status panel 1 shows when a decode has ended: "Ｏｋ" after a success,
// else the facade's reason for the failure.
std::string OutcomeStatus(const TVeltrix& veltrix, bool decoded);

// The parameters with a suggestion of the verdict followed (a larger picture changes none).
TAnalysisParameters Following(TAnalysisParameters parameters, const TSuggestion& suggestion);

// Runs the analysis command on the facade and its surfaces: clears ResultMemo,
// RdSnMemo and ImgMemo (BLMemo keeps its listings), shows "解析中" in status
// panel 1, calls beforeDecode (a window repaints there), writes Warp, Resolver
// and ForceVersion in this order, decodes the picture, then writes panel 1
// (the outcome), the three ResultMemo lines and panel 0 (the version text).
TAnalysisResult Analyse(TVeltrix& veltrix, TSurfaces& surfaces, const TBitmap& picture,
                        const TAnalysisParameters& parameters, const std::function<void()>& beforeDecode = {});

// The same command decoding from a binarization kept from the same picture
// (TVeltrix::Binarize): every result is the one Analyse gives with the
// Resolver the plane was made with, which replaces parameters.resolver. The
// panes that binarization and finder search draw are left as they are.
TAnalysisResult AnalyseBinarized(TVeltrix& veltrix, TSurfaces& surfaces, const TBinarized& kept,
                                 const TAnalysisParameters& parameters);

// The same command decoding a module matrix (TVeltrix::DecodeMatrix) with the
// parameters the facade holds: every pane and line from the format
// information on is what an analysis that sampled this matrix gives; BLMemo
// keeps its listings as for any analysis.
TAnalysisResult AnalyseMatrix(TVeltrix& veltrix, TSurfaces& surfaces, const TPlaneBoolean& matrix);
