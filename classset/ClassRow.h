#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "common/DecodeStages.h"
#include "decoder/Analysis.h"
#include "decoder/Trial.h"
#include "decoder/Verdict.h"

// One row of a class set's table (ClassSet.h): what the table, the summary
// page and its JSON show of one picture, kept after the picture is gone.

enum class TClassOutcome { Decoded, NotDecoded, Unreadable };

struct TClassRow {
  // The file's name in the folder, as its bytes.
  std::string name;
  TClassOutcome outcome = TClassOutcome::Unreadable;
  // Why the picture could not be read or decoded (one line); empty after a decode.
  std::string message;
  std::int32_t width = 0;
  std::int32_t height = 0;
  // A small copy of the picture as a JPEG file (ClassThumbnail) and its size;
  // empty for a picture that could not be read.
  std::string thumbnail;
  std::int32_t thumbnailWidth = 0;
  std::int32_t thumbnailHeight = 0;
  // The parameters the analysis ran with (the chosen cell's after an exploration).
  TAnalysisParameters parameters;
  // The decoded text as Shift-JIS bytes.
  std::string text;
  // Where the decode stopped (Done after a success) and what the verdict says.
  TStage stage = TStage::Binarization;
  TVerdict verdict;
  // After a failure, the values tried after the analysis (decoder/Trial).
  std::optional<TTrial> trial;
  // After an exploration: the cells that decoded, of all.
  std::size_t decodingCells = 0;
  std::size_t cells = 0;
  // Filled by the command line's writer: the name of the picture's report
  // (in the summary's folder) and its JSON summary, when written.
  std::string report;
  std::string json;

  friend bool operator==(const TClassRow&, const TClassRow&) = default;
};
