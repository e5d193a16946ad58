#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "ConformancePictures.h"
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

const std::vector<std::string>& Lines(const TSurfaces& surfaces, TTextPaneId pane) {
  return surfaces.Text(pane).Lines();
}

std::int32_t CountLines(const std::vector<std::string>& lines, const std::string& text) {
  return static_cast<std::int32_t>(std::count(lines.begin(), lines.end(), text));
}

// Forty bytes fill version 5-Q (62 data codewords) far enough to reach every block.
const std::string kFortyBytes = "The quick brown fox jumps over 13 dogs!!";

// ---------------------------------------------------------------------------

TEST(DecorderListing, VersionOneReadsItsCodewordsAndHandsOnTheDataPart) {
  TSurfaces surfaces;
  TDecorder decorder(surfaces);
  const TTestSymbol symbol = EncodeBytes("HELLO", 1, kM);
  ASSERT_EQ(Decode(decorder, symbol), "HELLO");
  EXPECT_TRUE(decorder.ErrorText().empty());

  // The codewords as an encoder writes them: 16 data codewords and 10 for error correction.
  std::vector<std::int32_t> expected = ByteSegmentCodewords("HELLO", 1, 16);
  const std::vector<std::int32_t> data = expected;
  const std::vector<std::int32_t> ec = ErrorCorrectionCodewords(data, 10);
  expected.insert(expected.end(), ec.begin(), ec.end());
  ASSERT_EQ(decorder.Codewords(), TIntegers(expected.begin(), expected.end()));

  // The exact listing lines are checked end to end in the conformance suite.
  EXPECT_EQ(Lines(surfaces, TTextPaneId::BLMemo)[2], "   0   40");
  EXPECT_EQ(Lines(surfaces, TTextPaneId::BLMemo).back(), "RSBlock数 : 1");

  const auto& trace = Lines(surfaces, TTextPaneId::RdSnMemo);
  ASSERT_FALSE(trace.empty());
  EXPECT_EQ(trace.back(), "No errors found.");
  EXPECT_EQ(CountLines(trace, "No errors found."), 1);

  // Only the data codewords reach the data decoder.
  EXPECT_EQ(decorder.DataCodewords(), TIntegers(data.begin(), data.end()));
  EXPECT_EQ(decorder.CodewordsRead(), 16);
}

TEST(DecorderListing, SymbolFilledToCapacityDecodesWithoutTheErrorCorrectionCodewords) {
  // 47 alphanumeric characters fill the 34 data codewords of 2-L to the last bit:
  // there is no terminator, and the error-correction codewords must not be read
  // as further segments.
  TSurfaces surfaces;
  TDecorder decorder(surfaces);
  const std::string alphabet = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ $%*+-./:";
  for (int n = 0; n < 12; ++n) {
    std::string text;
    for (int i = 0; i < 47; ++i) text += alphabet[static_cast<std::size_t>((i * (n + 2) + n * 11) % 45)];
    const TTestSymbol symbol = EncodeSegments({{TSegmentMode::Alphanumeric, text}}, 2, kL);
    ASSERT_EQ(symbol.version, 2);
    EXPECT_EQ(Decode(decorder, symbol, 3), text);
    EXPECT_EQ(decorder.CodewordsRead(), 44 - 10);
  }
}

TEST(DecorderListing, VersionTwoDropsItsSevenRemainderBits) {
  TSurfaces surfaces;
  TDecorder decorder(surfaces);
  const TTestSymbol symbol = EncodeBytes("remainder", 2, kH);
  ASSERT_EQ(Decode(decorder, symbol), "remainder");
  EXPECT_EQ(decorder.Codewords().size(), 44u);
  EXPECT_EQ(Lines(surfaces, TTextPaneId::BLMemo)[2 + 44], "プロック数：44");
}

// ---------------------------------------------------------------------------

TEST(DecorderPictures, SampledMaskAndUnmaskedMatrices) {
  TSurfaces surfaces;
  TDecorder decorder(surfaces);
  const TTestSymbol symbol = EncodeBytes("pictures", 2, kQ);
  ASSERT_EQ(Decode(decorder, symbol), "pictures");

  const TBitmap sampled = TBitmap::FromPlane(symbol.Matrix());
  EXPECT_EQ(surfaces.Image(TImagePaneId::DigitImage).CurrentPicture(), sampled);
  EXPECT_EQ(surfaces.Image(TImagePaneId::BlockImage).CurrentPicture(), sampled);

  const TBitmap& mask = surfaces.Image(TImagePaneId::MaskImage).CurrentPicture();
  const TBitmap& result = surfaces.Image(TImagePaneId::ResultImage).CurrentPicture();
  ASSERT_EQ(mask.Width(), symbol.size);
  ASSERT_EQ(result.Width(), symbol.size);
  std::int32_t masked = 0;
  for (std::int32_t y = 0; y < symbol.size; ++y)
    for (std::int32_t x = 0; x < symbol.size; ++x) {
      const bool inverted = mask.Pixel(x, y) == kBlack;
      ASSERT_TRUE(inverted || mask.Pixel(x, y) == kWhite);
      // The mask never touches a function module.
      ASSERT_FALSE(symbol.Function(x, y) && inverted) << x << "," << y;
      masked += inverted;
      // Unmasked dark: black; dark only because the mask inverted a light module: red.
      const bool dark = symbol.Dark(x, y);
      const TColor colour = inverted ? (dark ? kWhite : kRed) : (dark ? kBlack : kWhite);
      ASSERT_EQ(result.Pixel(x, y), colour) << x << "," << y;
    }
  EXPECT_GT(masked, 0);
}

TEST(DecorderPictures, EveryMaskPatternUnmasksToTheEncodedText) {
  // The encoder chooses the mask from the data; vary the data until all eight occurred.
  TSurfaces surfaces;
  TDecorder decorder(surfaces);
  std::set<std::int32_t> seen;
  for (int i = 0; i < 300 && seen.size() < 8; ++i) {
    const std::string text = "mask " + std::to_string(i * 7919);
    const TTestSymbol symbol = EncodeBytes(text, 2, i % 4);
    ASSERT_EQ(Decode(decorder, symbol, 3), text) << "mask " << decorder.MaskPattern();
    seen.insert(decorder.MaskPattern());
  }
  EXPECT_EQ(seen.size(), 8u);
}

// ---------------------------------------------------------------------------

TEST(DecorderBlocks, Version5QHasTwoShortAndTwoLongBlocks) {
  TSurfaces surfaces;
  TDecorder decorder(surfaces);
  const TTestSymbol symbol = EncodeBytes(kFortyBytes, 5, kQ);
  ASSERT_EQ(symbol.version, 5);
  ASSERT_EQ(Decode(decorder, symbol), kFortyBytes);

  EXPECT_TRUE(decorder.EqualBlocks().Empty());
  EXPECT_EQ(decorder.ShortBlocks().Width(), 2);
  EXPECT_EQ(decorder.ShortBlocks().Height(), 33);
  EXPECT_EQ(decorder.LongBlocks().Width(), 2);
  EXPECT_EQ(decorder.LongBlocks().Height(), 34);
  const std::vector<std::int32_t> data = ByteSegmentCodewords(kFortyBytes, 5, 62);
  EXPECT_EQ(decorder.DataCodewords(), TIntegers(data.begin(), data.end()));
  EXPECT_EQ(decorder.CodewordsRead(), 62);

  // Every block read back is a whole codeword: its error-correction part is what
  // an encoder computes from its data part.
  for (std::int32_t b = 0; b < 4; ++b) {
    const TPlaneInteger& blocks = b < 2 ? decorder.ShortBlocks() : decorder.LongBlocks();
    const std::int32_t row = b % 2, length = blocks.Height(), dataLength = length - 18;
    std::vector<std::int32_t> blockData, blockEc;
    for (std::int32_t i = 0; i < dataLength; ++i) blockData.push_back(blocks[row][i]);
    for (std::int32_t i = dataLength; i < length; ++i) blockEc.push_back(blocks[row][i]);
    EXPECT_EQ(ErrorCorrectionCodewords(blockData, 18), blockEc) << "block " << b;
  }

  const auto& listing = Lines(surfaces, TTextPaneId::BLMemo);
  const auto summary = std::find(listing.begin(), listing.end(), "RSBlock数 : 4");
  ASSERT_NE(summary, listing.end());
  EXPECT_EQ(std::vector<std::string>(summary + 1, listing.end()),
            (std::vector<std::string>{"RSBlocks = 0", "RSBlocks = 1", "RSBlocks = 2", "RSBlocks = 3"}));
  EXPECT_EQ(*(summary - 1), "エラー訂正レベル :Q");
  EXPECT_EQ(*(summary - 2), "バージョン : 5");
  EXPECT_EQ(CountLines(Lines(surfaces, TTextPaneId::RdSnMemo), "No errors found."), 4);
}

TEST(DecorderBlocks, EqualBlocksWriteNoBlockLinesAndCarryTheTotal) {
  // 6-M: 172 codewords in 4 blocks of 43, 16 of them for error correction.
  TSurfaces surfaces;
  TDecorder decorder(surfaces);
  const std::string text = "Equal blocks of forty-three codewords each.";
  TTestSymbol symbol = EncodeBytes(text, 6, kM);
  ASSERT_EQ(symbol.version, 6);
  DamageCodeword(symbol, 16);  // block 0
  DamageCodeword(symbol, 21);  // block 1
  ASSERT_EQ(Decode(decorder, symbol), text);

  EXPECT_EQ(decorder.EqualBlocks().Width(), 4);
  EXPECT_EQ(decorder.EqualBlocks().Height(), 43);
  EXPECT_TRUE(decorder.ShortBlocks().Empty());
  const std::vector<std::int32_t> data = ByteSegmentCodewords(text, 6, 108);
  EXPECT_EQ(decorder.DataCodewords(), TIntegers(data.begin(), data.end()));

  const auto& listing = Lines(surfaces, TTextPaneId::BLMemo);
  EXPECT_EQ(listing.back(), "RSBlock数 : 4");
  std::vector<std::string> corrections;
  for (const auto& line : Lines(surfaces, TTextPaneId::RdSnMemo))
    if (line.find("errors") != std::string::npos) corrections.push_back(line);
  EXPECT_EQ(corrections, (std::vector<std::string>{"1 data errors corrected.", "2 data errors corrected.",
                                                   "2 data errors corrected.", "2 data errors corrected.",
                                                   "2 data errors corrected."}));
}

// ---------------------------------------------------------------------------

TEST(DecorderFailures, BlockBeyondCorrectionEndsWithMessage3AndNoText) {
  TSurfaces surfaces;
  TDecorder decorder(surfaces);
  TTestSymbol symbol = EncodeBytes(kFortyBytes, 5, kQ);
  for (const int k : {16, 20, 24, 28}) DamageCodeword(symbol, k);  // four codewords of block 0
  EXPECT_EQ(Decode(decorder, symbol), "");
  EXPECT_EQ(decorder.ErrorCode, 3);
  EXPECT_EQ(decorder.ErrorText(), "セルの読み込みでエラーが発生しました。");
  // Every block was still given to the decoder and reported.
  EXPECT_EQ(CountLines(Lines(surfaces, TTextPaneId::RdSnMemo), "No errors found."), 4);
  EXPECT_EQ(Lines(surfaces, TTextPaneId::BLMemo).back(), "RSBlocks = 3");

  // The next clean decode succeeds again.
  EXPECT_EQ(Decode(decorder, EncodeBytes(kFortyBytes, 5, kQ)), kFortyBytes);
  EXPECT_EQ(decorder.ErrorCode, 0);
  EXPECT_TRUE(decorder.ErrorText().empty());
}

TEST(DecorderFailures, NoSymbolLeavesTheDriversPanesAsTheyWere) {
  TSurfaces surfaces;
  TDecorder decorder(surfaces);
  ASSERT_EQ(Decode(decorder, EncodeBytes("first", 1, kM)), "first");
  const TBitmap digit = surfaces.Image(TImagePaneId::DigitImage).CurrentPicture();
  const TBitmap mask = surfaces.Image(TImagePaneId::MaskImage).CurrentPicture();
  const TBitmap result = surfaces.Image(TImagePaneId::ResultImage).CurrentPicture();
  const std::size_t listed = Lines(surfaces, TTextPaneId::BLMemo).size();
  const TIntegers codewords = decorder.Codewords();

  const TPlaneBoolean blank(200, 200);
  EXPECT_EQ(decorder.Decode(blank, 200, 200), "");
  EXPECT_EQ(decorder.ErrorCode, 1);
  EXPECT_EQ(decorder.ErrorText(), "位置検出パターンがみつかりません。");
  EXPECT_EQ(surfaces.Image(TImagePaneId::DigitImage).CurrentPicture(), digit);
  EXPECT_EQ(surfaces.Image(TImagePaneId::MaskImage).CurrentPicture(), mask);
  EXPECT_EQ(surfaces.Image(TImagePaneId::ResultImage).CurrentPicture(), result);
  EXPECT_EQ(Lines(surfaces, TTextPaneId::BLMemo).size(), listed);
  EXPECT_EQ(decorder.Codewords(), codewords);
}

TEST(DecorderFailures, UnreadableFormatRaisesAfterDrawingTheSampledMatrix) {
  TSurfaces surfaces;
  TDecorder decorder(surfaces);
  ASSERT_EQ(Decode(decorder, EncodeBytes("earlier", 2, kM)), "earlier");
  const TBitmap mask = surfaces.Image(TImagePaneId::MaskImage).CurrentPicture();
  const std::size_t listed = Lines(surfaces, TTextPaneId::BLMemo).size();

  // All fifteen modules of the top-left format copy light.
  TTestSymbol symbol = EncodeBytes("format", 1, kM);
  const std::int32_t format[15][2] = {{8, 0}, {8, 1}, {8, 2}, {8, 3}, {8, 4}, {8, 5}, {8, 7}, {8, 8},
                                      {7, 8}, {5, 8}, {4, 8}, {3, 8}, {2, 8}, {1, 8}, {0, 8}};
  for (const auto& module : format)
    if (symbol.Dark(module[0], module[1])) FlipModule(symbol, module[0], module[1]);
  EXPECT_THROW(Decode(decorder, symbol), TDecodeError);
  EXPECT_EQ(decorder.ErrorCode, 5);
  EXPECT_EQ(decorder.ErrorText(), "形式情報の読み込みでエラーが発生しました。");
  EXPECT_EQ(surfaces.Image(TImagePaneId::DigitImage).CurrentPicture(), TBitmap::FromPlane(symbol.Matrix()));
  EXPECT_EQ(surfaces.Image(TImagePaneId::BlockImage).CurrentPicture(), TBitmap::FromPlane(symbol.Matrix()));
  EXPECT_EQ(surfaces.Image(TImagePaneId::MaskImage).CurrentPicture(), mask);
  EXPECT_EQ(Lines(surfaces, TTextPaneId::BLMemo).size(), listed);
  EXPECT_EQ(Lines(surfaces, TTextPaneId::ImgMemo).back(), "Format Information Error");
}

// ---------------------------------------------------------------------------

TEST(DecorderRepeat, SecondDecodeReplacesCodewordsAndAppendsItsListing) {
  TSurfaces surfaces;
  TDecorder decorder(surfaces);
  ASSERT_EQ(Decode(decorder, EncodeBytes("larger first", 2, kM)), "larger first");
  ASSERT_EQ(decorder.Codewords().size(), 44u);
  ASSERT_EQ(Decode(decorder, EncodeBytes("then v1", 1, kM)), "then v1");
  EXPECT_EQ(decorder.Codewords().size(), 26u);
  EXPECT_EQ(surfaces.Image(TImagePaneId::DigitImage).CurrentPicture().Width(), 21);
  EXPECT_EQ(surfaces.Image(TImagePaneId::ResultImage).CurrentPicture().Width(), 21);
  EXPECT_EQ(CountLines(Lines(surfaces, TTextPaneId::BLMemo), "--- ReadBlocks ---"), 2);
  EXPECT_EQ(Lines(surfaces, TTextPaneId::BLMemo).size(), 2u * 7 + 44 + 26);
}

TEST(DecorderParameters, PassesParametersThroughAndNamesItsVersion) {
  TSurfaces surfaces;
  TDecorder decorder(surfaces);
  EXPECT_EQ(decorder.GetVersionText(), "Veltrix Ver 3.0");
  decorder.SetWarp(4);
  decorder.SetForceVersion(1);
  EXPECT_EQ(decorder.Warp(), 4);
  EXPECT_EQ(decorder.ForceVersion(), 1);
  EXPECT_EQ(Decode(decorder, EncodeBytes("forced", 1, kH)), "forced");
  EXPECT_EQ(decorder.Version(), 1);
}

}  // namespace
