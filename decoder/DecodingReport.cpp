#include "decoder/DecodingReport.h"

#include <cstdio>

#include "common/Messages.h"

namespace decoding_report {

std::string CodewordLine(std::int32_t index, std::int32_t value) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "  %2d   %02X", static_cast<int>(index), static_cast<unsigned>(value));
  return buffer;
}

std::string CodewordCountLine(std::int32_t count) { return "プロック数：" + std::to_string(count); }

std::string VersionLine(std::int32_t version) { return "バージョン : " + std::to_string(version); }

std::string LevelLine(std::int32_t level) {
  const bool known = level >= 0 && level < static_cast<std::int32_t>(kLevelLetters.size());
  return std::string("エラー訂正レベル :") + (known ? kLevelLetters[static_cast<std::size_t>(level)] : "");
}

std::string BlockCountLine(std::int32_t blocks) { return "RSBlock数 : " + std::to_string(blocks); }

std::string BlockIndexLine(std::int32_t block) { return "RSBlocks = " + std::to_string(block); }

std::string CorrectionLine(std::int32_t runningTotal) {
  return runningTotal == 0 ? std::string(kNoErrors) : TotalLine(runningTotal);
}

std::string TotalLine(std::int32_t total) { return std::to_string(total) + " data errors corrected."; }

std::string VersionText(std::int32_t major, std::int32_t minor) {
  return "Veltrix Ver " + std::to_string(major) + "." + std::to_string(minor);
}

}  // namespace decoding_report
