#pragma once

// Reading encoder-made symbols back into codewords and blocks, with GF(256) and
// BCH arithmetic of its own, so that tests can check the decoder's tables and
// stages against the encoder without using the code under test.

#include <array>
#include <vector>

#include "GaloisField.h"
#include "TestSymbols.h"

namespace testing_support {

// A block with e error-correction codewords is a multiple of the generator with roots alpha^0 .. alpha^(e-1).
inline bool IsReedSolomonCodeword(const std::vector<int>& block, int ecLength) {
  for (int i = 0; i < ecLength; ++i)
    if (Evaluate(block, GfPower(i)) != 0) return false;
  return true;
}

// The unmasked format codeword of 5 data bits: data times x^10 plus the remainder by 0x537.
inline int FormatCodeword(int data) {
  int word = data << 10;
  for (int bit = 14; bit >= 10; --bit)
    if (word & (1 << bit)) word ^= 0x537 << (bit - 10);
  return (data << 10) | word;
}

// The modules (x, y) of format bits 0 .. 14 in the copy beside the top-left finder.
constexpr std::array<std::array<int, 2>, 15> kFormatModules = {{
    {8, 0}, {8, 1}, {8, 2}, {8, 3}, {8, 4}, {8, 5}, {8, 7}, {8, 8},
    {7, 8}, {5, 8}, {4, 8}, {3, 8}, {2, 8}, {1, 8}, {0, 8},
}};

// The mask pattern in the symbol's format bits 10 .. 12.
inline int MaskOf(const TTestSymbol& symbol) {
  int word = 0;
  for (int i = 10; i < 13; ++i) word |= symbol.Dark(kFormatModules[i][0], kFormatModules[i][1]) << (i - 10);
  return word ^ 5;
}

// The data-mask condition with i = row, j = column.
inline bool MaskInverts(int mask, int j, int i) {
  const int conditions[8] = {(i + j) % 2, i % 2, j % 3, (i + j) % 3, (i / 2 + j / 3) % 2,
                             (i * j) % 2 + (i * j) % 3, ((i * j) % 2 + (i * j) % 3) % 2, ((i + j) % 2 + (i * j) % 3) % 2};
  return conditions[mask] == 0;
}

// All codewords of the symbol in placement order, unmasked; the remainder bits are dropped.
inline std::vector<int> PlacementCodewords(const TTestSymbol& symbol) {
  const int mask = MaskOf(symbol);
  std::vector<int> codewords;
  int value = 0, bits = 0;
  for (int right = symbol.size - 1; right >= 1; right -= 2) {
    if (right == 6) right = 5;
    const bool upward = ((right + 1) & 2) == 0;
    for (int step = 0; step < symbol.size; ++step) {
      const int y = upward ? symbol.size - 1 - step : step;
      for (int x = right; x >= right - 1; --x) {
        if (symbol.Function(x, y)) continue;
        value = value * 2 + (symbol.Dark(x, y) != MaskInverts(mask, x, y));
        if (++bits % 8 == 0) codewords.push_back(value), value = 0;
      }
    }
  }
  return codewords;
}

// Splits interleaved codewords into blockCount blocks with ecTotal / blockCount
// error-correction codewords each; the longer blocks (one data codeword more) last.
inline std::vector<std::vector<int>> SplitBlocks(const std::vector<int>& codewords, int blockCount, int ecTotal) {
  const int total = static_cast<int>(codewords.size()), ec = ecTotal / blockCount;
  const int shortCount = blockCount - total % blockCount, shortData = total / blockCount - ec;
  std::vector<std::vector<int>> blocks(static_cast<std::size_t>(blockCount));
  std::size_t next = 0;
  for (int i = 0; i < shortData + 1 + ec; ++i)
    for (int b = 0; b < blockCount; ++b)
      if (i != shortData || b >= shortCount) blocks[static_cast<std::size_t>(b)].push_back(codewords.at(next++));
  return blocks;
}

}  // namespace testing_support
