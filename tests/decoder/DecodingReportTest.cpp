#include <gtest/gtest.h>

#include "decoder/DecodingReport.h"

namespace {

using namespace decoding_report;

TEST(DecodingReportListing, IndexFieldIsTwoWideAndWidensWithoutTruncation) {
  EXPECT_EQ(CodewordLine(0, 64), "   0   40");
  EXPECT_EQ(CodewordLine(25, 0), "  25   00");
  EXPECT_EQ(CodewordLine(125, 236), "  125   EC");
  EXPECT_EQ(CodewordLine(3705, 10), "  3705   0A");
}

TEST(DecodingReportListing, HeadersAndCountLineKeepTheirExactCharacters) {
  EXPECT_EQ(std::string(kReadBlocksHeader), "--- ReadBlocks ---");
  EXPECT_EQ(std::string(kListingHeader), "  No  Data ");
  // "プ" (not "ブ") and the full-width colon.
  EXPECT_EQ(CodewordCountLine(26), "\xE3\x83\x97\xE3\x83\xAD\xE3\x83\x83\xE3\x82\xAF\xE6\x95\xB0\xEF\xBC\x9A" "26");
}

TEST(DecodingReportSummary, BlockSummaryLines) {
  EXPECT_EQ(std::string(kCorrectedHeader), "--- CorrectedDataBlocks ---");
  EXPECT_EQ(VersionLine(5), "バージョン : 5");
  // No space between the colon and the letter.
  EXPECT_EQ(LevelLine(0), "エラー訂正レベル :L");
  EXPECT_EQ(LevelLine(2), "エラー訂正レベル :Q");
  EXPECT_EQ(LevelLine(3), "エラー訂正レベル :H");
  EXPECT_EQ(BlockCountLine(4), "RSBlock数 : 4");
  EXPECT_EQ(BlockIndexLine(3), "RSBlocks = 3");
}

TEST(DecodingReportCorrections, RunningTotalLines) {
  EXPECT_EQ(CorrectionLine(0), "No errors found.");
  EXPECT_EQ(CorrectionLine(1), "1 data errors corrected.");
  EXPECT_EQ(CorrectionLine(12), "12 data errors corrected.");
  EXPECT_EQ(TotalLine(3), "3 data errors corrected.");
}

TEST(DecodingReportVersion, VersionText) {
  EXPECT_EQ(VersionText(3, 0), "Veltrix Ver 3.0");
  EXPECT_EQ(VersionText(10, 12), "Veltrix Ver 10.12");
}

}  // namespace
