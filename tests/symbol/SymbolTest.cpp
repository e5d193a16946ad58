#include <gtest/gtest.h>

#include <bit>
#include <set>
#include <string>
#include <vector>

#include "FilledSymbols.h"
#include "SymbolCodewords.h"
#include "TestSymbols.h"
#include "common/Errors.h"
#include "common/Surfaces.h"
#include "symbol/Symbol.h"

using namespace testing_support;

// A version-1 symbol of 1 to 7 bytes (level H holds 7) that change with seed.
static TTestSymbol VersionOneSymbol(int level, int seed) {
  return EncodeBytes(NoiseBytes(1 + seed % 7, static_cast<std::uint32_t>(seed)), 1, level);
}

TEST(SymbolFormat, ReadsEveryLevelAndMaskFromEncoderSymbolsWithExactTrace) {
  for (int level = 0; level < 4; ++level) {
    std::set<int> masksSeen;
    for (int seed = 0; seed < 3000 && masksSeen.size() < 8; ++seed) {
      const TTestSymbol symbol = VersionOneSymbol(level, seed);
      const int mask = MaskOf(symbol);
      if (!masksSeen.insert(mask).second) continue;
      SCOPED_TRACE("level " + std::to_string(level) + " mask " + std::to_string(mask));
      TSurfaces surfaces;
      TSymbol model(surfaces);
      model.Build(symbol.Matrix(), symbol.size, symbol.size);
      EXPECT_EQ(model.ErrorCode, 0);
      EXPECT_EQ(model.ECLevel(), level);
      EXPECT_EQ(model.MaskPattern(), mask);
      EXPECT_EQ(surfaces.Text(TTextPaneId::ImgMemo).Lines(),
                (std::vector<std::string>{std::string("エラー訂正レベル\u3000") + "LMQH"[level],
                                          "マスクパターン\u3000\u3000" + std::to_string(mask)}));
    }
    EXPECT_EQ(masksSeen.size(), 8u) << "level " << level;
  }
}

TEST(SymbolFormat, EveryReceivedFormatWordIsReadWithinThreeBitsOrFails) {
  // Every 15-bit word in the copy beside the top-left finder (3 and 4 wrong modules,
  // all light and all dark among them); the second copy stays intact and unread.
  const TTestSymbol symbol = EncodeBytes("format", 1, 2);
  int failures = 0;
  for (int word = 0; word < 0x8000; ++word) {
    SCOPED_TRACE("format word " + std::to_string(word));
    TPlaneBoolean plane = symbol.Matrix();
    for (int i = 0; i < 15; ++i) plane[kFormatModules[i][0]][kFormatModules[i][1]] = word >> i & 1;
    int nearest = -1;
    for (int data = 0; data < 32; ++data)
      if (std::popcount(static_cast<unsigned>(word ^ 0x5412 ^ FormatCodeword(data))) <= 3) nearest = data;
    if (word == 0 || word == 0x7FFF) { EXPECT_EQ(nearest, -1); }
    TSurfaces surfaces;
    TSymbol model(surfaces);
    try {
      model.Build(plane, symbol.size, symbol.size);
      ASSERT_NE(nearest, -1);
      for (int k = 0; k < 5; ++k) ASSERT_EQ(model.FormatBits()[k], (nearest >> k) & 1);
    } catch (const TDecodeError& error) {
      ASSERT_EQ(nearest, -1);
      ++failures;
      EXPECT_STREQ(error.what(), "Format Information Error");
      ASSERT_EQ(model.ErrorCode, 5);
      ASSERT_EQ(surfaces.Text(TTextPaneId::ImgMemo).Lines(), std::vector<std::string>{"Format Information Error"});
    }
  }
  EXPECT_EQ(failures, 0x8000 - 32 * 576);  // 576 words lie within 3 bits of each codeword
}

TEST(SymbolTables, ModulesCopiedAndErrorCorrectionAndBlocksMatchEncoderSymbolsForEveryVersionAndLevel) {
  for (int version = 1; version <= 40; ++version) {
    for (int level = 0; level < 4; ++level) {
      SCOPED_TRACE("version " + std::to_string(version) + " level " + std::to_string(level));
      const TTestSymbol symbol = EncodeBytes("t", version, level);
      ASSERT_EQ(symbol.version, version);
      TSurfaces surfaces;
      TSymbol model(surfaces);
      model.Build(symbol.Matrix(), symbol.size, symbol.size);
      ASSERT_EQ(model.Version(), version);
      ASSERT_EQ(model.ECLevel(), level);

      // Every module copied (x = column, y = row); the encoder flags its
      // error-correction modules (and the remainder bits, fewer than 8) with 0x02.
      int ecModules = 0, mismatches = 0;
      for (int x = 0; x < symbol.size; ++x)
        for (int y = 0; y < symbol.size; ++y) {
          mismatches += model.Matrix().GetCell(x, y) != symbol.Dark(x, y);
          if (!symbol.Function(x, y) && (symbol.modules[static_cast<std::size_t>(y * symbol.size + x)] & 0x02)) ++ecModules;
        }
      EXPECT_EQ(mismatches, 0);
      const int ecTotal = model.ECCodewordCount();
      const int blocks = model.BlockCount();
      EXPECT_EQ(ecTotal, ecModules / 8);
      ASSERT_EQ(ecTotal % blocks, 0);

      // With the right block count every de-interleaved block is a Reed-Solomon codeword.
      const std::vector<int> codewords = PlacementCodewords(symbol);
      ASSERT_EQ(static_cast<int>(codewords.size()), model.Matrix().CodewordCount());
      const auto split = SplitBlocks(codewords, blocks, ecTotal);
      for (std::size_t b = 0; b < split.size(); ++b)
        EXPECT_TRUE(IsReedSolomonCodeword(split[b], ecTotal / blocks)) << "block " << b;
    }
  }
}

TEST(SymbolBuild, RefusesSizesOutsideTheVersionsAndKeepsThePreviousMatrix) {
  TSurfaces surfaces;
  TSymbol model(surfaces);
  EXPECT_FALSE(model.HasMatrix());
  EXPECT_THROW(model.Matrix(), TDecodeError);
  model.ReadFormat();  // nothing built yet: no read, no trace
  EXPECT_TRUE(surfaces.Text(TTextPaneId::ImgMemo).Lines().empty());

  const TTestSymbol symbol = EncodeBytes("keep", 2, 0);
  model.Build(symbol.Matrix(), symbol.size, symbol.size);
  const TPlaneBoolean big(200, 200);
  EXPECT_THROW(model.Build(big, 17, 17), TDecodeError);              // version 0
  EXPECT_THROW(model.Build(big, 185, 185), TDecodeError);            // version 42
  EXPECT_THROW(model.Build(symbol.Matrix(), 29, 29), TDecodeError);  // plane smaller than the size
  EXPECT_EQ(model.Version(), 2);
  EXPECT_EQ(model.Matrix().Version(), 2);
  EXPECT_EQ(model.ECLevel(), 0);
}
