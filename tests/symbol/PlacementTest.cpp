#include <gtest/gtest.h>

#include <vector>

#include "ConformancePictures.h"
#include "SymbolCodewords.h"
#include "TestSymbols.h"
#include "symbol/Arrangement.h"
#include "symbol/Placement.h"
#include "symbol/Versions.h"

namespace {

using namespace testing_support;

// The reading order is the encoder's placement, module for module, remainder bits included.
TEST(Placement, ReadingOrderIsTheEncodersPlacementForEveryVersion) {
  for (int version = kMinVersion; version <= kMaxVersion; ++version) {
    SCOPED_TRACE(testing::Message() << "version " << version);
    const TTestSymbol symbol = EncodeBytes("1", version, 0);
    ASSERT_EQ(symbol.version, version);
    EXPECT_EQ(ReadingOrder(TArrangement(version)), PlacementOrder(symbol));
  }
}

// For every version and level the layout puts the encoder's codewords into its
// blocks, data first, and tells for each codeword where it went.
TEST(Placement, DeinterleavingGivesTheEncodersBlocksAndEveryCodewordItsPlace) {
  for (int version = kMinVersion; version <= kMaxVersion; ++version)
    for (int level = 0; level < 4; ++level) {
      SCOPED_TRACE(testing::Message() << "version " << version << " level " << level);
      const TTestSymbol symbol = EncodeBytes("1", version, level);
      const std::vector<int> codewords = PlacementCodewords(symbol);
      const int total = static_cast<int>(codewords.size());
      const int blocks = ReedSolomonBlocks(version, level);
      const int ec = ErrorCorrectionCodewords(version, level);
      const std::vector<TBlockLayout> layout = Deinterleave(total, blocks, ec / blocks);
      const std::vector<std::vector<int>> expected = SplitBlocks(codewords, blocks, ec);
      ASSERT_EQ(layout.size(), expected.size());
      const std::vector<TBlockPlace> places = BlockPlaces(layout, total);
      for (std::size_t b = 0; b < layout.size(); ++b) {
        std::vector<int> block;
        for (const std::int32_t k : layout[b].codewords) block.push_back(codewords.at(static_cast<std::size_t>(k)));
        ASSERT_EQ(block, expected[b]) << "block " << b;
        ASSERT_EQ(layout[b].dataCount, static_cast<int>(block.size()) - ec / blocks);
        for (std::size_t i = 0; i < block.size(); ++i)
          ASSERT_EQ(places[static_cast<std::size_t>(layout[b].codewords[i])],
                    (TBlockPlace{static_cast<int>(b), static_cast<int>(i)}));
      }
      for (const TBlockPlace& place : places) ASSERT_NE(place.block, -1);
    }
  EXPECT_TRUE(Deinterleave(26, 0, 10).empty());
}

}  // namespace
