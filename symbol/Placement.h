#pragma once

#include <cstdint>
#include <vector>

#include "common/Types.h"
#include "symbol/Arrangement.h"

// Where the codewords of a symbol lie: the modules that hold their bits, in
// reading order, and the Reed-Solomon block and place of each codeword. The
// driver reads and corrects the codewords through these, and a front end can
// ask them which module belongs to which codeword, bit and block.

// The data modules of the matrix in reading order: two-column strips from the
// right edge, upward and downward in turn, the column of the vertical timing
// pattern stepped over, function modules skipped. Module 8k + j holds bit
// 7 - j of codeword k (the most significant first); the modules after the last
// whole codeword are the remainder bits.
std::vector<TPoint> ReadingOrder(const TArrangement& matrix);

// One Reed-Solomon block: the places in reading order of its codewords, data
// first, then error correction.
struct TBlockLayout {
  TIntegers codewords;
  std::int32_t dataCount = 0;

  friend bool operator==(const TBlockLayout&, const TBlockLayout&) = default;
};

// The blocks of `total` codewords in `blocks` blocks with `ecPerBlock`
// error-correction codewords each. The codewords are interleaved: the data
// codewords of all blocks in turn, the longer blocks' one extra data codeword
// after the common part, then the error-correction codewords in turn. The
// shorter blocks come first. Empty when `blocks` is below 1.
std::vector<TBlockLayout> Deinterleave(std::int32_t total, std::int32_t blocks, std::int32_t ecPerBlock);

// The block of a codeword and its place in that block; -1 for both when no
// block holds it.
struct TBlockPlace {
  std::int32_t block = -1;
  std::int32_t index = -1;

  friend bool operator==(const TBlockPlace&, const TBlockPlace&) = default;
};
// For each of the `total` codewords in reading order, where the layout puts it.
std::vector<TBlockPlace> BlockPlaces(const std::vector<TBlockLayout>& layout, std::int32_t total);
