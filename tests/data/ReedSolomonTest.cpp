#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <numeric>
#include <random>
#include <string>
#include <vector>

#include "SymbolCodewords.h"
#include "TestSymbols.h"
#include "common/Surfaces.h"
#include "data/ReedSolomon.h"

using namespace testing_support;

namespace {

// A version and level whose blocks carry ecLength error-correction codewords each.
struct TBlockSource { int ecLength, version, level, blockCount; };

// Every error-correction length of the standard with at least 9 codewords.
constexpr TBlockSource kSources[] = {
    {10, 1, 1, 1}, {13, 1, 2, 1}, {15, 3, 0, 1}, {16, 2, 1, 1}, {17, 1, 3, 1}, {18, 3, 2, 2},
    {20, 4, 0, 1}, {22, 2, 2, 1}, {24, 5, 1, 2}, {26, 3, 1, 1}, {28, 2, 3, 1}, {30, 9, 0, 2},
};

// The first block of an encoder-made symbol holding a few bytes that change with seed.
TIntegers EncoderBlock(const TBlockSource& source, int seed) {
  const TTestSymbol symbol = EncodeBytes(std::string("#").append(std::to_string(seed)), source.version, source.level);
  EXPECT_EQ(symbol.version, source.version);
  const auto blocks = SplitBlocks(PlacementCodewords(symbol), source.blockCount, source.ecLength * source.blockCount);
  EXPECT_TRUE(IsReedSolomonCodeword(blocks[0], source.ecLength));
  return blocks[0];
}

std::string Hex(const TIntegers& block, const char* format) {
  std::string line;
  char digits[8];
  for (int value : block) line += (std::snprintf(digits, sizeof digits, format, value), digits);
  return line;
}

// The trace expected for a block as received and as passed on: syndromes at alpha^1 .. alpha^8.
std::vector<std::string> ExpectedTrace(const TIntegers& received, const TIntegers& passedOn) {
  std::vector<std::string> lines = {"--- Decode Data ---", Hex(received, "%02x"), "--- Syndrome ---"};
  bool intact = true;
  for (int i = 0; i < 16; ++i) {
    const int s = i < 8 ? Evaluate(received, GfPower(i + 1)) : 0;
    intact = intact && s == 0;
    lines.push_back(std::string("S").append(std::to_string(i)).append(" = ").append(std::to_string(s)));
  }
  if (!intact) lines.insert(lines.end(), {"--- Corrected Data ---", Hex(passedOn, "%02X"), " "});
  return lines;
}

// Has a copy of the block decoded and checks the block passed on, ErrorCount and the trace.
void ExpectDecoded(TReedSolomon& decoder, TSurfaces& surfaces, TIntegers block, const TIntegers& passedOn, int errorCount) {
  surfaces.Text(TTextPaneId::RdSnMemo).Clear();
  const TIntegers received = block;
  decoder.Decode(block);
  EXPECT_EQ(block, passedOn);
  EXPECT_EQ(decoder.ErrorCount(), errorCount);
  EXPECT_EQ(surfaces.Text(TTextPaneId::RdSnMemo).Lines(), ExpectedTrace(received, passedOn));
}

}  // namespace

TEST(ReedSolomon, UpToThreeWrongCodewordsAreCorrectedInPlaceFourLeaveTheBlockAsReceived) {
  TSurfaces surfaces;
  TReedSolomon decoder(surfaces);
  std::mt19937 random(18004);
  for (const TBlockSource& source : kSources) {
    for (int errors = 1; errors <= 4; ++errors) {
      for (int trial = 0; trial < 6; ++trial) {
        SCOPED_TRACE("ec " + std::to_string(source.ecLength) + ", " + std::to_string(errors) + " errors");
        const TIntegers original = EncoderBlock(source, trial * 31 + errors);
        TIntegers block = original;
        std::vector<int> positions(block.size());
        std::iota(positions.begin(), positions.end(), 0);
        std::shuffle(positions.begin(), positions.end(), random);
        for (int n = 0; n < errors; ++n) block[positions[n]] ^= 1 + static_cast<int>(random() % 255);
        ExpectDecoded(decoder, surfaces, block, errors <= 3 ? original : block, errors <= 3 ? errors : 0);
        if (HasFailure()) return;
      }
    }
  }
}

TEST(ReedSolomon, ALocatorThatDoesNotFitTheBlockChangesNothingAndCountsNothing) {
  // A valid block without its first one or two codewords: the syndromes of errors
  // just beyond its start, so the roots lie outside the block.
  const TIntegers valid = EncoderBlock(kSources[3], 7);
  std::vector<TIntegers> blocks = {TIntegers(valid.begin() + 1, valid.end()), TIntegers(valid.begin() + 2, valid.end())};

  // Eight codewords whose syndromes follow the locator (1 + z)(1 + z + c z^2) with a
  // quadratic factor without roots: degree 3, one root. Solved from the syndrome equations.
  int c = 1;
  for (int z = 1; z < 256; ++z)
    if ((1 ^ z ^ GfMul(c, GfMul(z, z))) == 0) ++c, z = 0;
  std::array<std::array<int, 9>, 8> rows{};  // row i: alpha^((i+1) l) for location l = 0 .. 7, then S_i
  for (int i = 0; i < 8; ++i) {
    for (int l = 0; l < 8; ++l) rows[i][l] = GfPower((i + 1) * l);
    rows[i][8] = i < 3 ? i + 1 : GfMul(c ^ 1, rows[i - 2][8]) ^ GfMul(c, rows[i - 3][8]);
  }
  for (int k = 0; k < 8; ++k) {
    int inverse = 1;
    while (GfMul(inverse, rows[k][k]) != 1) ++inverse;
    for (int& v : rows[k]) v = GfMul(v, inverse);
    for (int i = 0; i < 8; ++i)
      for (int j = 8, f = rows[i][k]; i != k && j >= k; --j) rows[i][j] ^= GfMul(f, rows[k][j]);
  }
  blocks.push_back(TIntegers(8));
  for (int l = 0; l < 8; ++l) blocks.back()[7 - l] = rows[l][8];

  TSurfaces surfaces;
  TReedSolomon decoder(surfaces);
  for (const TIntegers& block : blocks) ExpectDecoded(decoder, surfaces, block, block, 0);
}

TEST(ReedSolomonTrace, OneDecoderForManyBlocks0aThen0AIntactBlocksShortEmptyBlocksEmpty) {
  TSurfaces surfaces;
  TReedSolomon decoder(surfaces);
  const auto& lines = surfaces.Text(TTextPaneId::RdSnMemo).Lines();
  const TIntegers original = EncoderBlock(kSources[5], 4000);
  TIntegers block = original;
  block[0] ^= 1;
  ExpectDecoded(decoder, surfaces, block, original, 1);
  // Four wrong codewords, the first of value 10: listed as received before and after.
  std::copy_n(TIntegers{10, 0x40, 0xd2, 0xe3}.begin(), 4, block.begin());
  ExpectDecoded(decoder, surfaces, block, block, 0);
  EXPECT_EQ(lines[1].substr(0, 8), "0a40d2e3");
  EXPECT_EQ(lines[20].substr(0, 8), "0A40D2E3");
  // An intact block after damaged ones ends with the last syndrome line; so does an empty one.
  ExpectDecoded(decoder, surfaces, original, original, 0);
  EXPECT_EQ(lines.size(), 19u);
  ExpectDecoded(decoder, surfaces, {}, {}, 0);
  EXPECT_EQ(lines[1], "");
}

// The check after correction sees a block as the decoder does: through
// alpha^1 .. alpha^min(8, E - 1). A block of 7 error-correction codewords
// passes on six powers, one codeword changed fails at alpha^1.
TEST(ReedSolomonCheck, ACodewordPassesAndAnyOneChangedCodewordFails) {
  TSurfaces surfaces;
  const TReedSolomon decoder(surfaces);
  std::mt19937 random(11);
  std::vector<TBlockSource> sources(std::begin(kSources), std::end(kSources));
  sources.push_back({7, 1, 0, 1});
  for (const TBlockSource& source : sources) {
    SCOPED_TRACE("ec " + std::to_string(source.ecLength));
    const TIntegers block = EncoderBlock(source, 5);
    EXPECT_TRUE(decoder.IsCodeword(block, source.ecLength));
    for (int trial = 0; trial < 4; ++trial) {
      TIntegers damaged = block;
      damaged[random() % damaged.size()] ^= 1 + static_cast<int>(random() % 255);
      EXPECT_FALSE(decoder.IsCodeword(damaged, source.ecLength));
    }
  }
  EXPECT_TRUE(decoder.IsCodeword({1, 2, 3}, 1));  // nothing to check
}
