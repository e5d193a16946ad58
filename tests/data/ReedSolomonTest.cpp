#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "SymbolCodewords.h"
#include "TestSymbols.h"
#include "common/Surfaces.h"
#include "data/ReedSolomon.h"

using namespace testing_support;

namespace {

// A version and level whose blocks carry the given number of error-correction codewords.
struct TBlockSource {
  int ecLength;
  int version;
  int level;
  int blockCount;
};

// Every error-correction length of the standard with at least 9 codewords.
constexpr TBlockSource kSources[] = {
    {10, 1, 1, 1}, {13, 1, 2, 1}, {15, 3, 0, 1}, {16, 2, 1, 1}, {17, 1, 3, 1}, {18, 3, 2, 2},
    {20, 4, 0, 1}, {22, 2, 2, 1}, {24, 5, 1, 2}, {26, 3, 1, 1}, {28, 2, 3, 1}, {30, 9, 0, 2},
};

// The first block of an encoder-made symbol holding a few bytes that change with seed
// (at most 7, which every version and level here holds).
TIntegers EncoderBlock(const TBlockSource& source, int seed) {
  const TTestSymbol symbol = EncodeBytes("#" + std::to_string(seed % 1000000), source.version, source.level);
  EXPECT_EQ(symbol.version, source.version);
  const auto blocks = SplitBlocks(PlacementCodewords(symbol), source.blockCount, source.ecLength * source.blockCount);
  EXPECT_TRUE(IsReedSolomonCodeword(blocks[0], source.ecLength));
  return TIntegers(blocks[0].begin(), blocks[0].end());
}

std::string Hex(const TIntegers& block, const char* format) {
  std::string line;
  char digits[8];
  for (int value : block) {
    std::snprintf(digits, sizeof digits, format, value);
    line += digits;
  }
  return line;
}

// The trace expected for a block as received and as passed on.
std::vector<std::string> ExpectedTrace(const TIntegers& received, const TIntegers& passedOn) {
  std::vector<std::string> lines = {"--- Decode Data ---", Hex(received, "%02x"), "--- Syndrome ---"};
  const std::vector<int> polynomial(received.begin(), received.end());
  bool intact = true;
  for (int i = 0; i < 16; ++i) {
    const int s = i < 8 ? TestField().Evaluate(polynomial, TestField().Power(i + 1)) : 0;
    intact = intact && s == 0;
    lines.push_back("S" + std::to_string(i) + " = " + std::to_string(s));
  }
  if (!intact) {
    lines.push_back("--- Corrected Data ---");
    lines.push_back(Hex(passedOn, "%02X"));
    lines.push_back(" ");
  }
  return lines;
}

// Changes `count` distinct codewords to other values.
void Corrupt(TIntegers& block, int count, std::mt19937& random) {
  std::vector<int> positions(block.size());
  for (std::size_t i = 0; i < positions.size(); ++i) positions[i] = static_cast<int>(i);
  std::shuffle(positions.begin(), positions.end(), random);
  for (int n = 0; n < count; ++n) block[static_cast<std::size_t>(positions[n])] ^= 1 + static_cast<int>(random() % 255);
}

}  // namespace

TEST(ReedSolomonCorrection, UpToThreeWrongCodewordsAreCorrectedInPlace) {
  std::mt19937 random(18004);
  for (const TBlockSource& source : kSources) {
    for (int errors = 1; errors <= 3; ++errors) {
      for (int trial = 0; trial < 8; ++trial) {
        const TIntegers original = EncoderBlock(source, trial * 31 + errors);
        TIntegers block = original;
        Corrupt(block, errors, random);
        TSurfaces surfaces;
        TReedSolomon decoder(surfaces);
        decoder.LoadBlock(block);
        decoder.Decode();
        ASSERT_EQ(block, original) << "ec " << source.ecLength << ", " << errors << " errors";
        ASSERT_EQ(decoder.ErrorCount(), errors) << "ec " << source.ecLength;
      }
    }
  }
}

TEST(ReedSolomonCorrection, FourWrongCodewordsLeaveTheBlockAsReceived) {
  std::mt19937 random(7);
  for (const TBlockSource& source : kSources) {
    for (int trial = 0; trial < 4; ++trial) {
      TIntegers block = EncoderBlock(source, 1000 + trial);
      Corrupt(block, 4, random);
      const TIntegers received = block;
      TSurfaces surfaces;
      TReedSolomon decoder(surfaces);
      decoder.LoadBlock(block);
      decoder.Decode();
      ASSERT_EQ(block, received) << "ec " << source.ecLength;
      ASSERT_EQ(decoder.ErrorCount(), 0);
      ASSERT_EQ(surfaces.Text(TTextPaneId::RdSnMemo).Lines(), ExpectedTrace(received, received));
    }
  }
}

TEST(ReedSolomonCorrection, ALocatorPointingOutsideTheBlockChangesNothing) {
  // A block whose syndromes are those of one error at a position beyond its end:
  // the remainder of x^40 divided by the generator with roots alpha^1 .. alpha^8.
  std::vector<int> generator = {1};
  for (int i = 1; i <= 8; ++i) {
    std::vector<int> next(generator.size() + 1, 0);
    for (std::size_t k = 0; k < generator.size(); ++k) {
      next[k] ^= generator[k];
      next[k + 1] ^= TestField().Mul(generator[k], TestField().Power(i));
    }
    generator = next;
  }
  std::vector<int> remainder(41, 0);
  remainder[0] = 0x5A;
  for (std::size_t k = 0; k + 8 < remainder.size(); ++k) {
    const int factor = remainder[k];
    for (std::size_t j = 0; j < generator.size(); ++j) remainder[k + j] ^= TestField().Mul(factor, generator[j]);
  }
  TIntegers block(remainder.end() - 12, remainder.end());
  const TIntegers received = block;
  TSurfaces surfaces;
  TReedSolomon decoder(surfaces);
  decoder.LoadBlock(block);
  decoder.Decode();
  EXPECT_EQ(block, received);
  EXPECT_EQ(decoder.ErrorCount(), 0);
  EXPECT_EQ(surfaces.Text(TTextPaneId::RdSnMemo).Lines(), ExpectedTrace(received, received));
}

TEST(ReedSolomonTrace, CorrectedBlockListsLowerThenUpperCaseHex) {
  const TIntegers original = EncoderBlock(kSources[0], 2000);
  TIntegers block = original;
  block[3] ^= 0x21;
  const TIntegers received = block;
  TSurfaces surfaces;
  TReedSolomon decoder(surfaces);
  decoder.LoadBlock(block);
  decoder.Decode();
  const auto& lines = surfaces.Text(TTextPaneId::RdSnMemo).Lines();
  EXPECT_EQ(lines, ExpectedTrace(received, original));
  ASSERT_EQ(lines.size(), 22u);
  EXPECT_EQ(lines[11], "S8 = 0");
  EXPECT_EQ(lines[18], "S15 = 0");
}

TEST(ReedSolomonTrace, TenIsListedAs0aThen0A) {
  TIntegers block = EncoderBlock(kSources[0], 3000);
  std::mt19937 random(10);
  Corrupt(block, 4, random);
  block[0] = 10;
  block[1] = 0x40;
  block[2] = 0xd2;
  block[3] = 0xe3;
  const TIntegers received = block;
  TSurfaces surfaces;
  TReedSolomon decoder(surfaces);
  decoder.LoadBlock(block);
  decoder.Decode();
  const auto& lines = surfaces.Text(TTextPaneId::RdSnMemo).Lines();
  ASSERT_EQ(lines, ExpectedTrace(received, received));
  EXPECT_EQ(lines[1].substr(0, 8), "0a40d2e3");
  EXPECT_EQ(lines[20].substr(0, 8), "0A40D2E3");
  EXPECT_EQ(lines.back(), " ");
}

TEST(ReedSolomonTrace, IntactBlockAfterADamagedOneKeepsItsTraceShort) {
  TSurfaces surfaces;
  TReedSolomon decoder(surfaces);
  TIntegers damaged = EncoderBlock(kSources[5], 4000);
  damaged[0] ^= 1;
  decoder.LoadBlock(damaged);
  decoder.Decode();
  EXPECT_EQ(decoder.ErrorCount(), 1);
  surfaces.Text(TTextPaneId::RdSnMemo).Clear();

  TIntegers intact = EncoderBlock(kSources[5], 4001);
  const TIntegers original = intact;
  decoder.LoadBlock(intact);
  decoder.Decode();
  EXPECT_EQ(decoder.ErrorCount(), 0);
  EXPECT_EQ(intact, original);
  const auto& lines = surfaces.Text(TTextPaneId::RdSnMemo).Lines();
  EXPECT_EQ(lines.size(), 19u);
  EXPECT_EQ(lines, ExpectedTrace(original, original));
  EXPECT_EQ(lines[3], "S0 = 0");
}

TEST(ReedSolomonTrace, EmptyBlockGivesEmptyListingAndZeroSyndromes) {
  TIntegers block;
  TSurfaces surfaces;
  TReedSolomon decoder(surfaces);
  decoder.LoadBlock(block);
  decoder.Decode();
  const auto& lines = surfaces.Text(TTextPaneId::RdSnMemo).Lines();
  ASSERT_EQ(lines.size(), 19u);
  EXPECT_EQ(lines[1], "");
  EXPECT_EQ(lines[18], "S15 = 0");
  EXPECT_EQ(decoder.ErrorCount(), 0);
}

TEST(ReedSolomonShortCode, SevenCodewordBlocksPassUnchanged) {
  // Seven error-correction codewords make the syndromes at alpha^7 and alpha^8
  // non-zero in general: the locator degree comes out above 3 and nothing changes.
  const TBlockSource source{7, 1, 0, 1};
  for (int trial = 0; trial < 6; ++trial) {
    TIntegers block = EncoderBlock(source, 5000 + trial);
    const TIntegers original = block;
    TSurfaces surfaces;
    TReedSolomon decoder(surfaces);
    decoder.LoadBlock(block);
    decoder.Decode();
    EXPECT_EQ(block, original);
    EXPECT_EQ(decoder.ErrorCount(), 0);
    const auto& lines = surfaces.Text(TTextPaneId::RdSnMemo).Lines();
    EXPECT_EQ(lines, ExpectedTrace(original, original));
    for (int i = 0; i < 6; ++i) EXPECT_EQ(lines[3 + static_cast<std::size_t>(i)], "S" + std::to_string(i) + " = 0");
  }
}
