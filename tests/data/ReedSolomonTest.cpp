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

// A version and level whose blocks carry ecLength error-correction codewords each.
struct TBlockSource {
  int ecLength, version, level, blockCount;
};

// Every error-correction length of the standard with at least 9 codewords.
constexpr TBlockSource kSources[] = {
    {10, 1, 1, 1}, {13, 1, 2, 1}, {15, 3, 0, 1}, {16, 2, 1, 1}, {17, 1, 3, 1}, {18, 3, 2, 2},
    {20, 4, 0, 1}, {22, 2, 2, 1}, {24, 5, 1, 2}, {26, 3, 1, 1}, {28, 2, 3, 1}, {30, 9, 0, 2},
};

// The first block of an encoder-made symbol holding a few bytes that change with seed.
TIntegers EncoderBlock(const TBlockSource& source, int seed) {
  const TTestSymbol symbol = EncodeBytes("#" + std::to_string(seed), source.version, source.level);
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
    lines.push_back("S" + std::to_string(i) + " = " + std::to_string(s));
  }
  if (!intact) lines.insert(lines.end(), {"--- Corrected Data ---", Hex(passedOn, "%02X"), " "});
  return lines;
}

// Decodes the block in place; returns the ErrorCount and the trace.
std::pair<int, std::vector<std::string>> Decode(TIntegers& block) {
  TSurfaces surfaces;
  TReedSolomon decoder(surfaces);
  decoder.LoadBlock(block);
  decoder.Decode();
  return {decoder.ErrorCount(), surfaces.Text(TTextPaneId::RdSnMemo).Lines()};
}

}  // namespace

TEST(ReedSolomon, UpToThreeWrongCodewordsAreCorrectedInPlaceFourLeaveTheBlockAsReceived) {
  std::mt19937 random(18004);
  for (const TBlockSource& source : kSources) {
    for (int errors = 1; errors <= 4; ++errors) {
      for (int trial = 0; trial < 6; ++trial) {
        SCOPED_TRACE("ec " + std::to_string(source.ecLength) + ", " + std::to_string(errors) + " errors");
        const TIntegers original = EncoderBlock(source, trial * 31 + errors);
        TIntegers block = original;
        std::vector<int> positions(block.size());
        for (std::size_t i = 0; i < positions.size(); ++i) positions[i] = static_cast<int>(i);
        std::shuffle(positions.begin(), positions.end(), random);
        for (int n = 0; n < errors; ++n) block[positions[n]] ^= 1 + static_cast<int>(random() % 255);
        const TIntegers received = block;
        const TIntegers expected = errors <= 3 ? original : received;
        const auto [errorCount, trace] = Decode(block);
        ASSERT_EQ(block, expected);
        ASSERT_EQ(errorCount, errors <= 3 ? errors : 0);
        ASSERT_EQ(trace, ExpectedTrace(received, expected));
      }
    }
  }
}

TEST(ReedSolomon, ALocatorPointingOutsideTheBlockChangesNothingAndCountsNothing) {
  // A valid block without its first codeword has the syndromes of one error (or,
  // here, two) just beyond its start: the roots do not fit the block.
  const TIntegers original = EncoderBlock(kSources[3], 7);
  for (int dropped : {1, 2}) {
    TIntegers block(original.begin() + dropped, original.end());
    const TIntegers received = block;
    const auto [errorCount, trace] = Decode(block);
    EXPECT_EQ(block, received);
    EXPECT_EQ(errorCount, 0);
    EXPECT_EQ(trace, ExpectedTrace(received, received));
  }
}

TEST(ReedSolomonTrace, ExactTextsWith0aThen0AAndShortTraceForIntactBlocks) {
  TSurfaces surfaces;
  TReedSolomon decoder(surfaces);
  const auto& lines = surfaces.Text(TTextPaneId::RdSnMemo).Lines();
  const auto decode = [&](TIntegers& block) {
    surfaces.Text(TTextPaneId::RdSnMemo).Clear();
    decoder.LoadBlock(block);
    decoder.Decode();
  };
  TIntegers corrected = EncoderBlock(kSources[5], 4000);
  corrected[0] ^= 1;
  decode(corrected);
  ASSERT_EQ(decoder.ErrorCount(), 1);

  // Four wrong codewords, the first of value 10: listed as received before and after.
  TIntegers block = EncoderBlock(kSources[5], 4001);
  const TIntegers head = {10, 0x40, 0xd2, 0xe3};
  std::copy(head.begin(), head.end(), block.begin());
  const TIntegers received = block;
  decode(block);
  EXPECT_EQ(decoder.ErrorCount(), 0);
  EXPECT_EQ(lines, ExpectedTrace(received, received));
  EXPECT_EQ(lines[1].substr(0, 8), "0a40d2e3");
  EXPECT_EQ(lines[20].substr(0, 8), "0A40D2E3");

  // An intact block after damaged ones: the trace ends with the last syndrome line.
  TIntegers intact = EncoderBlock(kSources[5], 4002);
  const TIntegers original = intact;
  decode(intact);
  EXPECT_EQ(decoder.ErrorCount(), 0);
  EXPECT_EQ(intact, original);
  EXPECT_EQ(lines, ExpectedTrace(original, original));
  EXPECT_EQ(lines.size(), 19u);

  // An empty block: an empty listing and sixteen zero syndromes.
  TIntegers empty;
  decode(empty);
  EXPECT_EQ(decoder.ErrorCount(), 0);
  EXPECT_EQ(lines, ExpectedTrace({}, {}));
  EXPECT_EQ(lines[1], "");
}
