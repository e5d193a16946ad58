#pragma once

#include <cstdint>

#include "Module.h"
#include "SeedModule.h"

// The module grid of one version with its function patterns marked, so that the
// later stages can tell data modules from function modules with one question.
// Pattern kinds: 1 centre of a finder or alignment pattern, 2 timing module,
// 3 any other function module; 0 is a data module.
class TArrangement : public TModule {
 public:
  // Refuses a version outside 1 to 40 with a TDecodeError.
  explicit TArrangement(std::int32_t version);

  // False outside the grid.
  bool IsFunctionModule(std::int32_t x, std::int32_t y) const { return GetPatternKind(x, y) != 0; }
  // Total codewords (data and error correction) of the symbol; remainder bits dropped.
  std::int32_t CodewordCount() const;
  std::int32_t Version() const { return version_; }
  const TSeedModule& Seeds() const { return seeds_; }

 private:
  void MarkFunctionPatterns();
  void FillArea(std::int32_t left, std::int32_t top, std::int32_t right, std::int32_t bottom, std::uint8_t kind);
  // Kind 3 on the (2r+1) x (2r+1) square centred on (x, y).
  void FillSquare(std::int32_t x, std::int32_t y, std::int32_t r);

  std::int32_t version_;
  TSeedModule seeds_;
};
