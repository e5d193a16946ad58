#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <array>
#include <bit>
#include <set>
#include <string>
#include <vector>

#include "SymbolCodewords.h"
#include "TestSymbols.h"
#include "common/Errors.h"
#include "common/Surfaces.h"
#include "symbol/Symbol.h"

using namespace testing_support;

namespace {

constexpr std::array<int, 4> kVersionOneEc = {7, 10, 13, 17};

// The format codewords of the test: data bits times x^10 plus the remainder by 0x537.
int FormatCodeword(int data) {
  int word = data << 10;
  for (int bit = 14; bit >= 10; --bit)
    if (word & (1 << bit)) word ^= 0x537 << (bit - 10);
  return (data << 10) | word;
}

int NearestFormatDistance(int unmasked) {
  int nearest = 15;
  for (int data = 0; data < 32; ++data) nearest = std::min(nearest, std::popcount(static_cast<unsigned>(unmasked ^ FormatCodeword(data))));
  return nearest;
}

void FlipFormatModules(TPlaneBoolean& plane, const std::vector<int>& bits) {
  for (int bit : bits) {
    auto& cell = plane[FormatModules()[bit][0]][FormatModules()[bit][1]];
    cell = cell ? 0 : 1;
  }
}

// A version-1 symbol of up to 7 bytes (level H holds 7) that change with seed.
TTestSymbol VersionOneSymbol(int level, int seed) {
  std::string bytes;
  std::uint32_t state = 2166136261u ^ static_cast<std::uint32_t>(seed);
  for (int i = 0; i < 1 + seed % 7; ++i) {
    state = state * 1664525u + 1013904223u;
    bytes += static_cast<char>(state >> 24);
  }
  return EncodeBytes(bytes, 1, level);
}

}  // namespace

TEST(SymbolFormat, ReadsEveryLevelAndMaskFromEncoderSymbols) {
  for (int level = 0; level < 4; ++level) {
    std::set<int> masksSeen;
    for (int seed = 0; seed < 3000 && masksSeen.size() < 8; ++seed) {
      const TTestSymbol symbol = VersionOneSymbol(level, seed);
      ASSERT_EQ(symbol.version, 1);
      const int mask = MaskOf(symbol);
      // The mask is the encoder's if unmasking with it leaves a valid block.
      ASSERT_TRUE(IsReedSolomonCodeword(PlacementCodewords(symbol, mask), kVersionOneEc[level]));
      if (!masksSeen.insert(mask).second) continue;

      TSurfaces surfaces;
      TSymbol model(surfaces);
      model.Build(symbol.Matrix(), symbol.size, symbol.size);
      EXPECT_EQ(model.ErrorCode, 0);
      EXPECT_EQ(model.Version(), 1);
      EXPECT_EQ(model.ECLevel(), level);
      EXPECT_EQ(model.MaskPattern(), mask) << "level " << level;
      const int data = ((RawFormatWord(symbol) ^ 0x5412) >> 10);
      for (int k = 0; k < 5; ++k) EXPECT_EQ(model.FormatBits()[k], (data >> k) & 1);
    }
    EXPECT_EQ(masksSeen.size(), 8u) << "level " << level;
  }
}

TEST(SymbolFormat, TraceShowsLevelAndMaskWithIdeographicSpaces) {
  for (int seed = 0; seed < 400; ++seed) {
    const TTestSymbol symbol = VersionOneSymbol(1, seed);
    if (MaskOf(symbol) != 5) continue;
    TSurfaces surfaces;
    TSymbol model(surfaces);
    model.Build(symbol.Matrix(), symbol.size, symbol.size);
    EXPECT_EQ(surfaces.Text(TTextPaneId::ImgMemo).Lines(),
              (std::vector<std::string>{"エラー訂正レベル\u3000M", "マスクパターン\u3000\u30005"}));
    return;
  }
  FAIL() << "no level-M symbol with mask 5";
}

TEST(SymbolFormat, BuildCopiesThePlaneColumnByColumn) {
  const TTestSymbol symbol = EncodeBytes("copy", 3, 2);
  const TPlaneBoolean plane = symbol.Matrix();
  TSurfaces surfaces;
  TSymbol model(surfaces);
  model.Build(plane, symbol.size, symbol.size);
  EXPECT_EQ(model.Height(), 29);
  EXPECT_EQ(model.Width(), 29);
  EXPECT_EQ(model.Version(), 3);
  for (int x = 0; x < symbol.size; ++x)
    for (int y = 0; y < symbol.size; ++y) ASSERT_EQ(model.Matrix().GetCell(x, y), plane[x][y]);
}

TEST(SymbolFormat, ThreeWrongModulesAreCorrected) {
  const TTestSymbol symbol = VersionOneSymbol(2, 3);
  const int mask = MaskOf(symbol);
  for (int a = 0; a < 15; ++a)
    for (int b = a + 1; b < 15; ++b)
      for (int c = b + 1; c < 15; ++c) {
        TPlaneBoolean plane = symbol.Matrix();
        FlipFormatModules(plane, {a, b, c});
        TSurfaces surfaces;
        TSymbol model(surfaces);
        ASSERT_NO_THROW(model.Build(plane, symbol.size, symbol.size));
        ASSERT_EQ(model.ECLevel(), 2);
        ASSERT_EQ(model.MaskPattern(), mask);
      }
}

TEST(SymbolFormat, FourWrongModulesFailUnlessCloseToAnotherCodeword) {
  const TTestSymbol symbol = VersionOneSymbol(3, 11);
  int failures = 0;
  for (int a = 0; a < 15; ++a)
    for (int b = a + 1; b < 15; ++b)
      for (int c = b + 1; c < 15; ++c)
        for (int d = c + 1; d < 15; ++d) {
          TPlaneBoolean plane = symbol.Matrix();
          FlipFormatModules(plane, {a, b, c, d});
          const int word = RawFormatWord(symbol) ^ (1 << a) ^ (1 << b) ^ (1 << c) ^ (1 << d);
          TSurfaces surfaces;
          TSymbol model(surfaces);
          if (NearestFormatDistance(word ^ 0x5412) <= 3) {
            // Taken for another codeword; the second copy is never consulted.
            ASSERT_NO_THROW(model.Build(plane, symbol.size, symbol.size));
            continue;
          }
          ++failures;
          try {
            model.Build(plane, symbol.size, symbol.size);
            FAIL() << "no failure for " << a << b << c << d;
          } catch (const TDecodeError& error) {
            EXPECT_STREQ(error.what(), "Format Information Error");
          }
          ASSERT_EQ(model.ErrorCode, 5);
          ASSERT_EQ(surfaces.Text(TTextPaneId::ImgMemo).Lines(), std::vector<std::string>{"Format Information Error"});
        }
  EXPECT_GT(failures, 500);
}

TEST(SymbolFormat, AllLightOrAllDarkFormatAreaFails) {
  const TTestSymbol symbol = VersionOneSymbol(0, 1);
  for (std::uint8_t value : {0, 1}) {
    TPlaneBoolean plane = symbol.Matrix();
    for (const auto& p : FormatModules()) plane[p[0]][p[1]] = value;
    TSurfaces surfaces;
    TSymbol model(surfaces);
    EXPECT_THROW(model.Build(plane, symbol.size, symbol.size), TDecodeError);
    EXPECT_EQ(model.ErrorCode, 5);
    EXPECT_EQ(surfaces.Text(TTextPaneId::ImgMemo).Lines().size(), 1u);
  }
}

TEST(SymbolTables, ErrorCorrectionAndBlocksMatchEncoderSymbolsForEveryVersionAndLevel) {
  for (int version = 1; version <= 40; ++version) {
    for (int level = 0; level < 4; ++level) {
      const TTestSymbol symbol = EncodeBytes("t", version, level);
      ASSERT_EQ(symbol.version, version);
      TSurfaces surfaces;
      TSymbol model(surfaces);
      model.Build(symbol.Matrix(), symbol.size, symbol.size);
      ASSERT_EQ(model.ECLevel(), level);

      // The encoder flags its error-correction modules (and the remainder bits, fewer than 8).
      int ecModules = 0;
      for (int x = 0; x < symbol.size; ++x)
        for (int y = 0; y < symbol.size; ++y)
          if (!symbol.Function(x, y) && (symbol.modules[static_cast<std::size_t>(y * symbol.size + x)] & 0x02)) ++ecModules;
      const int ecTotal = model.ECCodewordCount();
      const int blocks = model.BlockCount();
      EXPECT_EQ(ecTotal, ecModules / 8) << "version " << version << " level " << level;
      ASSERT_EQ(ecTotal % blocks, 0) << "version " << version << " level " << level;

      // With the right block count every de-interleaved block is a Reed-Solomon codeword.
      const std::vector<int> codewords = PlacementCodewords(symbol);
      ASSERT_EQ(static_cast<int>(codewords.size()), model.Matrix().CodewordCount());
      const auto split = SplitBlocks(codewords, blocks, ecTotal);
      for (std::size_t b = 0; b < split.size(); ++b)
        EXPECT_TRUE(IsReedSolomonCodeword(split[b], ecTotal / blocks))
            << "version " << version << " level " << level << " block " << b;
    }
  }
}

TEST(SymbolTables, KnownEntries) {
  TSurfaces surfaces;
  TSymbol model(surfaces);
  const auto lookUp = [&](int version, int level) {
    const TTestSymbol symbol = EncodeBytes("k", version, level);
    model.Build(symbol.Matrix(), symbol.size, symbol.size);
    return std::pair{model.ECCodewordCount(), model.BlockCount()};
  };
  for (int level = 0; level < 4; ++level) EXPECT_EQ(lookUp(1, level), (std::pair{kVersionOneEc[level], 1}));
  EXPECT_EQ(lookUp(5, 2), (std::pair{72, 4}));
  EXPECT_EQ(lookUp(6, 1), (std::pair{64, 4}));
  EXPECT_EQ(lookUp(40, 3), (std::pair{2430, 81}));
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
  EXPECT_THROW(model.Build(big, 17, 17), TDecodeError);    // version 0
  EXPECT_THROW(model.Build(big, 185, 185), TDecodeError);  // version 42
  EXPECT_THROW(model.Build(symbol.Matrix(), 29, 29), TDecodeError);  // plane smaller than the size
  EXPECT_EQ(model.Version(), 2);
  EXPECT_EQ(model.Matrix().Version(), 2);
  EXPECT_EQ(model.ECLevel(), 0);
}
