#pragma once

// Reading encoder-made symbols back into codewords and blocks, with a small
// GF(256) arithmetic of its own, so that tests can check the decoder's tables
// and stages against the encoder without using the code under test.

#include <array>
#include <cstdint>
#include <stdexcept>
#include <vector>

#include "TestSymbols.h"

namespace testing_support {

// GF(256) with polynomial 0x11D and alpha = 2.
class TTestField {
 public:
  TTestField() {
    int value = 1;
    for (int i = 0; i < 255; ++i) {
      exp_[i] = exp_[i + 255] = value;
      log_[value] = i;
      value <<= 1;
      if (value & 0x100) value ^= 0x11D;
    }
  }
  int Mul(int a, int b) const { return a == 0 || b == 0 ? 0 : exp_[log_[a] + log_[b]]; }
  int Power(int e) const { return exp_[((e % 255) + 255) % 255]; }
  // The block (first element = highest power) evaluated at x.
  int Evaluate(const std::vector<int>& block, int x) const {
    int sum = 0;
    for (int c : block) sum = Mul(sum, x) ^ c;
    return sum;
  }

 private:
  std::array<int, 510> exp_{};
  std::array<int, 256> log_{};
};

inline const TTestField& TestField() {
  static const TTestField field;
  return field;
}

// A block of a QR Code symbol with e error-correction codewords is a multiple of
// the generator with roots alpha^0 .. alpha^(e-1).
inline bool IsReedSolomonCodeword(const std::vector<int>& block, int ecLength) {
  for (int i = 0; i < ecLength; ++i)
    if (TestField().Evaluate(block, TestField().Power(i)) != 0) return false;
  return true;
}

// The 15 format bits of the copy beside the top-left finder, still masked;
// bit 14 sits at (0, 8), bit 0 at (8, 0).
inline const std::array<std::array<int, 2>, 15>& FormatModules() {
  static const std::array<std::array<int, 2>, 15> positions = {{
      {8, 0}, {8, 1}, {8, 2}, {8, 3}, {8, 4}, {8, 5}, {8, 7}, {8, 8},
      {7, 8}, {5, 8}, {4, 8}, {3, 8}, {2, 8}, {1, 8}, {0, 8},
  }};
  return positions;
}

inline int RawFormatWord(const TTestSymbol& symbol) {
  int word = 0;
  for (int i = 0; i < 15; ++i)
    if (symbol.Dark(FormatModules()[i][0], FormatModules()[i][1])) word |= 1 << i;
  return word;
}

inline int MaskOf(const TTestSymbol& symbol) { return ((RawFormatWord(symbol) ^ 0x5412) >> 10) & 7; }

// The data-mask condition with i = row, j = column.
inline bool MaskInverts(int mask, int x, int y) {
  const int i = y, j = x;
  switch (mask) {
    case 0: return (i + j) % 2 == 0;
    case 1: return i % 2 == 0;
    case 2: return j % 3 == 0;
    case 3: return (i + j) % 3 == 0;
    case 4: return (i / 2 + j / 3) % 2 == 0;
    case 5: return (i * j) % 2 + (i * j) % 3 == 0;
    case 6: return ((i * j) % 2 + (i * j) % 3) % 2 == 0;
    default: return ((i + j) % 2 + (i * j) % 3) % 2 == 0;
  }
}

// All codewords of the symbol in placement order, unmasked with the symbol's own
// mask; the remainder bits are dropped.
inline std::vector<int> PlacementCodewords(const TTestSymbol& symbol, int mask) {
  std::vector<int> codewords;
  int value = 0, bits = 0;
  const int size = symbol.size;
  for (int right = size - 1; right >= 1; right -= 2) {
    if (right == 6) right = 5;
    const bool upward = ((right + 1) & 2) == 0;
    for (int step = 0; step < size; ++step) {
      const int y = upward ? size - 1 - step : step;
      for (int x = right; x >= right - 1; --x) {
        if (symbol.Function(x, y)) continue;
        const bool dark = symbol.Dark(x, y) != MaskInverts(mask, x, y);
        value = value * 2 + (dark ? 1 : 0);
        if (++bits == 8) {
          codewords.push_back(value);
          value = bits = 0;
        }
      }
    }
  }
  return codewords;
}
inline std::vector<int> PlacementCodewords(const TTestSymbol& symbol) {
  return PlacementCodewords(symbol, MaskOf(symbol));
}

// Splits interleaved codewords into blockCount blocks with ecTotal / blockCount
// error-correction codewords each; the longer blocks (one data codeword more) last.
inline std::vector<std::vector<int>> SplitBlocks(const std::vector<int>& codewords, int blockCount, int ecTotal) {
  const int total = static_cast<int>(codewords.size());
  const int ec = ecTotal / blockCount;
  const int shortLength = total / blockCount;
  const int longCount = total % blockCount;
  const int shortCount = blockCount - longCount;
  const int shortData = shortLength - ec;
  std::vector<std::vector<int>> blocks(static_cast<std::size_t>(blockCount));
  std::size_t next = 0;
  for (int i = 0; i < shortData + 1; ++i)
    for (int b = 0; b < blockCount; ++b)
      if (i < shortData || b >= shortCount) blocks[static_cast<std::size_t>(b)].push_back(codewords.at(next++));
  for (int i = 0; i < ec; ++i)
    for (int b = 0; b < blockCount; ++b) blocks[static_cast<std::size_t>(b)].push_back(codewords.at(next++));
  if (next != codewords.size()) throw std::logic_error("codewords left over");
  return blocks;
}

// The data codewords of the blocks, block after block.
inline std::vector<int> DataOfBlocks(const std::vector<std::vector<int>>& blocks, int ecPerBlock) {
  std::vector<int> data;
  for (const auto& block : blocks) data.insert(data.end(), block.begin(), block.end() - ecPerBlock);
  return data;
}

}  // namespace testing_support
