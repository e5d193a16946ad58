#include <gtest/gtest.h>

#include "decoder/DecodingReport.h"

namespace {

using namespace decoding_report;

TEST(DecodingReport, ListingLines) {
  EXPECT_EQ(std::string(kReadBlocksHeader), "--- ReadBlocks ---");
  EXPECT_EQ(std::string(kListingHeader), "  No  Data ");
  // The index field is two wide and widens without truncation; hex digits upper case.
  EXPECT_EQ(CodewordLine(0, 64), "   0   40");
  EXPECT_EQ(CodewordLine(125, 236), "  125   EC");
  EXPECT_EQ(CodewordLine(3705, 10), "  3705   0A");
  // "プ" (not "ブ") and the full-width colon.
  EXPECT_EQ(CodewordCountLine(26), "\xE3\x83\x97\xE3\x83\xAD\xE3\x83\x83\xE3\x82\xAF\xE6\x95\xB0\xEF\xBC\x9A" "26");
}

TEST(DecodingReport, SummaryCorrectionAndVersionLines) {
  EXPECT_EQ(std::string(kCorrectedHeader), "--- CorrectedDataBlocks ---");
  EXPECT_EQ(VersionLine(5), "バージョン : 5");
  EXPECT_EQ(LevelLine(0), "エラー訂正レベル :L");  // no space between the colon and the letter
  EXPECT_EQ(LevelLine(3), "エラー訂正レベル :H");
  EXPECT_EQ(BlockCountLine(4), "RSBlock数 : 4");
  EXPECT_EQ(BlockIndexLine(3), "RSBlocks = 3");
  EXPECT_EQ(CorrectionLine(0), "No errors found.");
  EXPECT_EQ(CorrectionLine(12), "12 data errors corrected.");
  EXPECT_EQ(TotalLine(3), "3 data errors corrected.");
  EXPECT_EQ(VersionText(10, 12), "Veltrix Ver 10.12");
}

}  // namespace
