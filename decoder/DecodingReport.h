#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// The lines of the decoding report: the codeword listing and block summary on
// BLMemo, the correction lines on RdSnMemo, and the version text. Each function
// returns one line (UTF-8), without a line break.
namespace decoding_report {

inline constexpr const char* kReadBlocksHeader = "--- ReadBlocks ---";
inline constexpr const char* kListingHeader = "  No  Data ";
inline constexpr const char* kCorrectedHeader = "--- CorrectedDataBlocks ---";
inline constexpr const char* kNoErrors = "No errors found.";
// The listing opens with kReadBlocksHeader and kListingHeader; codeword k is
// on the line this many lines plus k after the listing's first line.
inline constexpr std::size_t kLinesBeforeCodewords = 2;

// "  %2d   " applied to the index, then the codeword as two upper-case hex digits.
std::string CodewordLine(std::int32_t index, std::int32_t value);
// "プロック数：" and the number of codewords read.
std::string CodewordCountLine(std::int32_t count);
std::string VersionLine(std::int32_t version);
// "エラー訂正レベル :" and the level letter, no space between them.
std::string LevelLine(std::int32_t level);
std::string BlockCountLine(std::int32_t blocks);
// "RSBlocks = " and the block index (written only when the blocks differ in length).
std::string BlockIndexLine(std::int32_t block);
// "No errors found." while the running total is 0, else the total and " data errors corrected.".
std::string CorrectionLine(std::int32_t runningTotal);
// The total and " data errors corrected." (the closing line of a multi-block symbol).
std::string TotalLine(std::int32_t total);
// "Veltrix Ver 3.0" for major 3, minor 0.
std::string VersionText(std::int32_t major, std::int32_t minor);

}  // namespace decoding_report
