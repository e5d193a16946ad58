#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "common/Diagnosis.h"
#include "common/Plane.h"
#include "common/Surfaces.h"
#include "data/CapacityDecoder.h"
#include "data/ReedSolomon.h"
#include "decoder/Analysis.h"
#include "decoder/LabMatrix.h"
#include "symbol/Placement.h"

class TVeltrix;

// The error-correction lab: a module matrix of an analysis, changed by the
// user (TLabMatrix), decoded again after each change by a facade and panes
// of the lab's own, with the same code an analysis runs from the sampled
// matrix on (TVeltrix::DecodeMatrix through AnalyseMatrix). Beside this
// decoder's outcome, each block is also decoded by the comparison decoder at
// the code's full capacity (DecodeToCapacity), which no analysis uses, and
// every figure is set against the decode of the unchanged matrix.

// One Reed-Solomon block of a decode in the lab. Places are the block's own
// (0 = its first codeword); layout.codewords maps them to reading order.
struct TLabBlock {
  TBlockLayout layout;
  std::int32_t ecCodewords = 0;
  // As read from the matrix, and as this decoder passed it on.
  TIntegers received;
  TIntegers corrected;
  // The block as the unchanged matrix's decode passed it on; empty when the
  // two decodes do not share their block layout (another version or level).
  TIntegers reference;
  // Places read otherwise than the reference holds them (the wrong codewords).
  std::vector<std::int32_t> wrong;
  // Places this decoder changed.
  std::vector<std::int32_t> mended;
  // Places of codewords with a module marked unreadable.
  std::vector<std::int32_t> erasures;
  // This decoder's syndromes S0 .. S7 (at alpha^1 .. alpha^8) and figures.
  std::array<std::int32_t, TReedSolomon::kSyndromeCount> syndromes{};
  TBlockFigures figures;
  // The block's lines on RdSnMemo: its trace and its correction line.
  std::vector<std::string> trace;
  // The comparison at full capacity, and what the level promises a block.
  TCapacityDecoding capacity;
  std::int32_t promised = 0;
  std::int32_t protection = 0;

  // The block passed on equals the reference (false without a reference).
  bool Restored() const { return !reference.empty() && corrected == reference; }
  bool CapacityRestored() const { return !reference.empty() && capacity.block == reference; }
};

struct TLabRun {
  // The decode as the analysis command reports one (ResultMemo, status, record).
  TAnalysisResult result;
  // Settled version, level (0 L .. 3 H) and mask; 0 / -1 when not settled.
  std::int32_t version = 0;
  std::int32_t level = -1;
  std::int32_t mask = -1;
  // The codewords in reading order and the blocks, once the decode read them.
  TIntegers codewords;
  std::vector<TLabBlock> blocks;
  // The total line that closes RdSnMemo after the blocks, if any.
  std::vector<std::string> traceTail;
  // The text the data read after the comparison decoder's corrections, when
  // it corrected or found intact every block; Shift-JIS bytes.
  std::optional<std::string> capacityText;

  // Against the unchanged matrix: modules changed and marked unreadable,
  // reading-order places of codewords read otherwise.
  std::int32_t changedModules = 0;
  std::int32_t erasedModules = 0;
  std::vector<std::int32_t> changedCodewords;

  bool ReadBlocks() const { return !blocks.empty(); }
};

class TLab {
 public:
  // Decodes the unchanged matrix once as the reference. Throws TLabError for
  // a plane that is not the size of a symbol.
  explicit TLab(TPlaneBoolean sampled);
  ~TLab();
  TLab(const TLab&) = delete;
  TLab& operator=(const TLab&) = delete;

  TLabMatrix& Matrix() { return matrix_; }
  const TLabMatrix& Matrix() const { return matrix_; }

  // Decodes the matrix as changed now. The lab's panes then show this decode
  // (BLMemo its listing alone).
  const TLabRun& Decode();
  // The last decode, and the decode of the unchanged matrix.
  const TLabRun& Last() const { return last_; }
  const TLabRun& Original() const { return original_; }
  // The block layout of the unchanged matrix's decode (empty when it did not
  // read its blocks), for spoiling a block.
  const std::vector<TBlockLayout>& OriginalLayout() const { return originalLayout_; }

  const TSurfaces& Surfaces() const { return *surfaces_; }

 private:
  TLabRun Run(const TLabRun* reference);

  TLabMatrix matrix_;
  std::unique_ptr<TSurfaces> surfaces_;
  std::unique_ptr<TVeltrix> veltrix_;
  TLabRun original_;
  std::vector<TBlockLayout> originalLayout_;
  TLabRun last_;
};
