#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "ConformancePictures.h"
#include "SymbolCodewords.h"
#include "TestSymbols.h"
#include "common/Bitmap.h"
#include "common/Errors.h"
#include "common/Messages.h"
#include "common/Surfaces.h"
#include "decoder/Decorder.h"

namespace {

using namespace testing_support;

constexpr int kL = 0, kM = 1, kQ = 2, kH = 3;

std::string Decode(TDecorder& decorder, const TTestSymbol& symbol, int moduleSize = 4) {
  const TBitmap picture = RenderSymbol(symbol, moduleSize);
  return decorder.Decode(ThresholdPlane(picture), picture.Width(), picture.Height());
}

std::vector<int> Ints(const TIntegers& values) { return {values.begin(), values.end()}; }

const std::vector<std::string>& Lines(const TSurfaces& surfaces, TTextPaneId pane) {
  return surfaces.Text(pane).Lines();
}

const TBitmap& Pane(const TSurfaces& surfaces, TImagePaneId pane) { return surfaces.Image(pane).CurrentPicture(); }

TEST(DecorderCodewords, ReadInPlacementOrderSplitIntoBlocksAndHandedOnAsData) {
  // One block (1-M; 2-H with its 7 remainder bits; 2-L filled to the last bit, so
  // without terminator, where the error-correction codewords must not be read as
  // further segments), equal blocks (6-M, 4 x 43) and two lengths (5-Q, 2 x 33 and
  // 2 x 34). Two codewords damaged, in blocks 0 and 1, when there are several blocks.
  const struct {
    int version, level, total, blocks, ec;
    TSegmentMode mode;
    std::string text;
  } cases[] = {
      {1, kM, 26, 1, 10, TSegmentMode::Byte, "HELLO"},
      {2, kH, 44, 1, 28, TSegmentMode::Byte, "remainder"},
      {2, kL, 44, 1, 10, TSegmentMode::Alphanumeric, "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ $%*+-./:XY"},
      {6, kM, 172, 4, 64, TSegmentMode::Byte, "Equal blocks of forty-three codewords each."},
      {5, kQ, 134, 4, 72, TSegmentMode::Byte, "The quick brown fox jumps over 13 dogs!!"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    TSurfaces surfaces;
    TDecorder decorder(surfaces);
    TTestSymbol symbol = EncodeSegments({{c.mode, c.text}}, c.version, c.level);
    ASSERT_EQ(symbol.version, c.version);
    const std::vector<std::vector<int>> blocks = SplitBlocks(PlacementCodewords(symbol), c.blocks, c.ec);
    if (c.blocks > 1) {
      DamageCodeword(symbol, 16);
      DamageCodeword(symbol, 21);
    }
    ASSERT_EQ(Decode(decorder, symbol), c.text);
    EXPECT_TRUE(decorder.ErrorText().empty());

    // Every codeword as read, before correction, and the count line right after them.
    EXPECT_EQ(Ints(decorder.Codewords()), PlacementCodewords(symbol));
    EXPECT_EQ(Lines(surfaces, TTextPaneId::BLMemo).at(2 + c.total), "プロック数：" + std::to_string(c.total));
    // The blocks, corrected; only their data parts reach the data decoder.
    std::vector<std::vector<int>> corrected;
    for (const TIntegers& block : decorder.Blocks()) corrected.push_back(Ints(block));
    EXPECT_EQ(corrected, blocks);
    std::vector<int> data;
    for (const auto& block : blocks) data.insert(data.end(), block.begin(), block.end() - c.ec / c.blocks);
    EXPECT_EQ(Ints(decorder.DataCodewords()), data);
    EXPECT_EQ(decorder.CodewordsRead(), static_cast<int>(data.size()));
  }
}

TEST(DecorderPictures, EveryMaskPatternIsDrawnAndUnmasked) {
  // The encoder chooses the mask from the data; vary the data until all eight occurred.
  TSurfaces surfaces;
  TDecorder decorder(surfaces);
  std::set<int> seen;
  for (int i = 0; i < 300 && seen.size() < 8; ++i) {
    const std::string text = "mask " + std::to_string(i * 7919);
    const TTestSymbol symbol = EncodeBytes(text, 2, i % 4);
    const int mask = MaskOf(symbol);
    ASSERT_EQ(Decode(decorder, symbol, 3), text) << "mask " << mask;
    if (!seen.insert(mask).second) continue;
    SCOPED_TRACE(testing::Message() << "mask " << mask);
    EXPECT_EQ(Pane(surfaces, TImagePaneId::DigitImage), TBitmap::FromPlane(symbol.Matrix()));
    EXPECT_EQ(Pane(surfaces, TImagePaneId::BlockImage), TBitmap::FromPlane(symbol.Matrix()));
    const TBitmap& maskPicture = Pane(surfaces, TImagePaneId::MaskImage);
    const TBitmap& result = Pane(surfaces, TImagePaneId::ResultImage);
    ASSERT_EQ(maskPicture.Width(), symbol.size);
    ASSERT_EQ(result.Width(), symbol.size);
    for (int y = 0; y < symbol.size; ++y)
      for (int x = 0; x < symbol.size; ++x) {
        // The mask never touches a function module. Unmasked dark: black; dark
        // only because the mask inverted a light module: red.
        const bool inverted = !symbol.Function(x, y) && MaskInverts(mask, x, y);
        const bool dark = symbol.Dark(x, y) != inverted;
        ASSERT_EQ(maskPicture.Pixel(x, y), inverted ? kBlack : kWhite) << x << "," << y;
        ASSERT_EQ(result.Pixel(x, y), !dark ? kWhite : (inverted ? kRed : kBlack)) << x << "," << y;
      }
  }
  EXPECT_EQ(seen.size(), 8u);
}

TEST(DecorderFailures, EachFailureKeepsWhatItsStageDidNotReach) {
  TSurfaces surfaces;
  TDecorder decorder(surfaces);
  EXPECT_EQ(decorder.GetVersionText(), "Veltrix Ver 3.0");
  const std::string forty = "The quick brown fox jumps over 13 dogs!!";
  ASSERT_EQ(Decode(decorder, EncodeBytes(forty, 5, kQ)), forty);
  const TBitmap mask = Pane(surfaces, TImagePaneId::MaskImage);
  const TBitmap result = Pane(surfaces, TImagePaneId::ResultImage);
  const TIntegers codewords = decorder.Codewords();
  const std::size_t listed = Lines(surfaces, TTextPaneId::BLMemo).size();

  // No symbol: code 1, nothing of the driver drawn or written.
  EXPECT_EQ(decorder.Decode(TPlaneBoolean(200, 200), 200, 200), "");
  EXPECT_EQ(decorder.ErrorCode, 1);
  EXPECT_EQ(decorder.ErrorText(), "位置検出パターンがみつかりません。");
  EXPECT_EQ(Pane(surfaces, TImagePaneId::MaskImage), mask);
  EXPECT_EQ(Pane(surfaces, TImagePaneId::ResultImage), result);
  EXPECT_EQ(Lines(surfaces, TTextPaneId::BLMemo).size(), listed);
  EXPECT_EQ(decorder.Codewords(), codewords);

  // All fifteen modules of the top-left format copy light: code 5, raised after
  // the sampled matrix was drawn, before the mask and the listing.
  TTestSymbol unformatted = EncodeBytes("format", 1, kM);
  for (const auto& [x, y] : kFormatModules)
    if (unformatted.Dark(x, y)) FlipModule(unformatted, x, y);
  EXPECT_THROW(Decode(decorder, unformatted), TDecodeError);
  EXPECT_EQ(decorder.ErrorCode, 5);
  EXPECT_EQ(decorder.ErrorText(), "形式情報の読み込みでエラーが発生しました。");
  EXPECT_EQ(Pane(surfaces, TImagePaneId::DigitImage), TBitmap::FromPlane(unformatted.Matrix()));
  EXPECT_EQ(Pane(surfaces, TImagePaneId::BlockImage), TBitmap::FromPlane(unformatted.Matrix()));
  EXPECT_EQ(Pane(surfaces, TImagePaneId::MaskImage), mask);
  EXPECT_EQ(Lines(surfaces, TTextPaneId::BLMemo).size(), listed);
  EXPECT_EQ(Lines(surfaces, TTextPaneId::ImgMemo).back(), "Format Information Error");

  // Four codewords of block 0 damaged: every block is still corrected and
  // reported, then code 3 and no text.
  TTestSymbol damaged = EncodeBytes(forty, 5, kQ);
  for (const int k : {16, 20, 24, 28}) DamageCodeword(damaged, k);
  surfaces.Text(TTextPaneId::RdSnMemo).Clear();
  EXPECT_EQ(Decode(decorder, damaged), "");
  EXPECT_EQ(decorder.ErrorCode, 3);
  EXPECT_EQ(decorder.ErrorText(), "セルの読み込みでエラーが発生しました。");
  const auto& trace = Lines(surfaces, TTextPaneId::RdSnMemo);
  EXPECT_EQ(std::count(trace.begin(), trace.end(), "No errors found."), 4);
  EXPECT_EQ(Lines(surfaces, TTextPaneId::BLMemo).back(), "RSBlocks = 3");

  // The next clean decode succeeds again.
  EXPECT_EQ(Decode(decorder, EncodeBytes(forty, 5, kQ)), forty);
  EXPECT_EQ(decorder.ErrorCode, 0);
  EXPECT_TRUE(decorder.ErrorText().empty());
}

}  // namespace
