#pragma once

#include <cstdint>
#include <span>
#include <stdexcept>
#include <vector>

#include "common/Plane.h"
#include "common/Types.h"
#include "symbol/Placement.h"

// The error-correction lab's module matrix: a copy of a matrix as the
// sampling stage read it, changed step by step by the user, each change one
// step that Undo takes back whole. Modules may also be marked unreadable
// (erasures): the decoder then reads them light, as the sampling stage reads
// a point outside the picture, and the comparison decoder is told where they
// are. Codewords are addressed by their place in reading order (0 = the first
// read), blocks by the layout of the symbol's level.

// A damage the matrix refuses (a module outside it, a codeword it does not
// hold, a count out of range); the message says what to change.
class TLabError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class TLabMatrix {
 public:
  // Throws TLabError for a plane that is not the size of a symbol.
  explicit TLabMatrix(TPlaneBoolean sampled);

  std::int32_t Side() const { return original_.Width(); }
  std::int32_t Version() const { return version_; }
  // The matrix as sampled, and as changed (an erased module keeps its value here).
  const TPlaneBoolean& Original() const { return original_; }
  const TPlaneBoolean& Modules() const { return modules_; }
  // 1 where a module is marked unreadable.
  const TPlaneBoolean& Erased() const { return erased_; }
  bool IsErased(TPoint module) const { return Contains(module) && erased_[module.x][module.y] != 0; }
  // What the decoder is given: the changed matrix with erased modules light.
  TPlaneBoolean AsRead() const;
  bool Contains(TPoint module) const { return original_.Contains(module); }

  // The data modules in reading order, 8 per codeword (ReadingOrder), and
  // the number of whole codewords they hold.
  const std::vector<TPoint>& Order() const { return order_; }
  std::int32_t CodewordCount() const { return static_cast<std::int32_t>(order_.size() / 8); }
  // The 8 modules of codeword `index`, its most significant bit first.
  std::span<const TPoint> CodewordModules(std::int32_t index) const;
  // The codeword a module holds a bit of, or -1 (function modules, remainder bits).
  std::int32_t CodewordAt(TPoint module) const;

  // The changes, each one step. Each throws TLabError before changing
  // anything when a module or codeword is not in the matrix; a step that
  // changes nothing is not recorded.
  void Flip(TPoint module);
  // Every module given inverted, as one step (a module named twice ends as it was).
  void Flip(std::span<const TPoint> modules);
  // A stroke of the brush: every module given set dark or light.
  void Paint(std::span<const TPoint> modules, bool dark);
  // Every module given marked unreadable or readable again.
  void MarkErased(std::span<const TPoint> modules, bool erased);
  // Every bit of each codeword inverted.
  void SpoilCodewords(std::span<const std::int32_t> indexes);
  // `count` codewords of block `block` of `layout` (TDecorder::BlockLayout),
  // chosen by `seed`, each changed by a non-zero pattern drawn from it: the
  // same seed spoils the same codewords in the same way.
  void SpoilRandom(const std::vector<TBlockLayout>& layout, std::int32_t block, std::int32_t count, std::uint64_t seed);
  // `count` codewords one after the other in reading order from `first`,
  // every bit inverted: the damage of one smudge along the placement.
  void SpoilBurst(std::int32_t first, std::int32_t count);

  // Takes back the last step; false when there is none.
  bool Undo();
  // Back to the matrix as sampled, as one step (Undo takes it back).
  void Restore();
  std::size_t Steps() const { return steps_.size(); }

  // Modules whose value differs from the original, and modules marked
  // unreadable, each column by column (x, then y).
  std::vector<TPoint> ChangedModules() const;
  std::vector<TPoint> ErasedModules() const;

 private:
  // A step: the modules whose value it toggled and those whose mark it toggled.
  struct TStep {
    std::vector<TPoint> values;
    std::vector<TPoint> marks;
  };
  void Require(TPoint module) const;
  void RequireCodeword(std::int32_t index) const;
  void Apply(TStep step);

  TPlaneBoolean original_;
  TPlaneBoolean modules_;
  TPlaneBoolean erased_;
  std::int32_t version_ = 0;
  std::vector<TPoint> order_;
  // For each module, the codeword it holds a bit of, or -1.
  TPlaneInteger codewordOf_;
  std::vector<TStep> steps_;
};
