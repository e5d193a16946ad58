#pragma once

#include <cstdint>
#include <vector>

#include "Module.h"
#include "SeedModule.h"

// What a module of the symbol belongs to: a function pattern, or None for a
// module of the data area (data or error-correction bits, or a remainder bit).
enum class TFunctionPattern : std::uint8_t {
  None,
  Finder,      // the three 7 x 7 finder patterns
  Separator,   // the light border between a finder pattern and the data area
  Timing,      // row 6 and column 6 between the finder patterns
  Alignment,   // the 5 x 5 alignment patterns
  Format,      // the two copies of the format information
  Version,     // the two version-information blocks (version 7 on)
  DarkModule,  // the one always-dark module beside the bottom-left finder pattern
};

// The module grid of one version with its function patterns marked, so that the
// later stages can tell data modules from function modules with one question.
// Pattern kinds: 1 centre of a finder or alignment pattern, 2 timing module,
// 3 any other function module; 0 is a data module. Each module also keeps the
// name of the pattern it belongs to, for a reader of the symbol.
class TArrangement : public TModule {
 public:
  // Refuses a version outside 1 to 40 with a TDecodeError.
  explicit TArrangement(std::int32_t version);

  // False outside the grid.
  bool IsFunctionModule(std::int32_t x, std::int32_t y) const { return GetPatternKind(x, y) != 0; }
  // The function pattern covering (x, y); None for a data module and outside the grid.
  TFunctionPattern FunctionPatternAt(std::int32_t x, std::int32_t y) const;
  // Total codewords (data and error correction) of the symbol; remainder bits dropped.
  std::int32_t CodewordCount() const;
  std::int32_t Version() const { return version_; }
  const TSeedModule& Seeds() const { return seeds_; }

 private:
  void MarkFunctionPatterns();
  void FillArea(std::int32_t left, std::int32_t top, std::int32_t right, std::int32_t bottom, std::uint8_t kind,
                TFunctionPattern pattern);
  void Mark(std::int32_t x, std::int32_t y, std::uint8_t kind, TFunctionPattern pattern);
  // Kind 3 on the (2r+1) x (2r+1) square centred on (x, y).
  void FillSquare(std::int32_t x, std::int32_t y, std::int32_t r, TFunctionPattern pattern);

  std::int32_t version_;
  TSeedModule seeds_;
  // Row after row; the pattern of every module.
  std::vector<TFunctionPattern> patterns_;
};
