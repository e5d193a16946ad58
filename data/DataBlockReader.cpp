#include "DataBlockReader.h"

#include <algorithm>
#include <array>
#include <string>
#include <string_view>

#include "symbol/Versions.h"

namespace {

constexpr std::uint32_t kNumeric = 1;
constexpr std::uint32_t kAlphanumeric = 2;
constexpr std::uint32_t kByte = 4;
constexpr std::uint32_t kKanji = 8;

// The 45 characters of the alphanumeric mode, by value.
constexpr std::string_view kAlphanumericTable = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ $%*+-./:";

void AppendAlphanumeric(std::uint32_t index, std::string& text) {
  // Values beyond the table occur only in damaged data; they add nothing.
  if (index < kAlphanumericTable.size()) text += kAlphanumericTable[index];
}

}  // namespace

TDataBlockReader::TDataBlockReader(const TIntegers& codewords, std::int32_t count, std::int32_t version)
    : codewords_(codewords),
      count_(static_cast<std::int32_t>(
          std::clamp<std::int64_t>(count, 0, static_cast<std::int64_t>(std::min<std::size_t>(codewords.size(), 0x7FFFFFFF))))),
      version_(version) {
  RequireVersion(version);
}

std::uint32_t TDataBlockReader::ReadBits(std::int32_t n) {
  if (n < 1 || n > 16) return 0;
  const std::int64_t remaining =
      readIndex_ >= count_ ? 0 : static_cast<std::int64_t>(count_ - readIndex_ - 1) * 8 + bitPosition_ + 1;
  if (remaining < n) {
    exhausted_ = true;
    return 0;
  }
  std::uint32_t value = 0;
  for (std::int32_t i = 0; i < n; ++i) {
    const std::int32_t codeword = codewords_[static_cast<std::size_t>(readIndex_)];
    value = (value << 1) | static_cast<std::uint32_t>((codeword >> bitPosition_) & 1);
    if (--bitPosition_ < 0) {
      bitPosition_ = 7;
      ++readIndex_;
    }
  }
  return value;
}

std::int32_t TDataBlockReader::CountLength(std::uint32_t mode) const { return CharacterCountBits(version_, mode); }

std::string TDataBlockReader::Decode() {
  std::string text;
  figures_ = TDataFigures{};
  figures_.totalBits = static_cast<std::int64_t>(count_) * 8;
  for (;;) {
    const std::int64_t start = Position();
    exhausted_ = false;
    const std::uint32_t mode = ReadBits(4);
    if (mode != kNumeric && mode != kAlphanumeric && mode != kByte && mode != kKanji) {
      // An exhausted stream reads as the terminator.
      figures_.stop = exhausted_ ? TDataStop::Exhausted : mode == 0 ? TDataStop::Terminator : TDataStop::UnsupportedMode;
      figures_.stopMode = mode;
      figures_.stopBit = start;
      break;
    }
    const std::uint32_t count = ReadBits(CountLength(mode));
    switch (mode) {
      case kNumeric: ReadNumeric(count, text); break;
      case kAlphanumeric: ReadAlphanumeric(count, text); break;
      case kByte: ReadBytes(count, text); break;
      case kKanji: ReadKanji(count, text); break;
    }
    figures_.segments.push_back({mode, count, start, exhausted_});
  }
  return text;
}

void TDataBlockReader::ReadNumeric(std::uint32_t count, std::string& text) {
  // Groups keep their leading zeros; values beyond a group's range are written as they are.
  std::uint32_t left = count;
  for (; left >= 3; left -= 3) {
    const std::uint32_t v = ReadBits(10);
    if (v < 100) text += '0';
    if (v < 10) text += '0';
    text += std::to_string(v);
  }
  if (left == 2) {
    const std::uint32_t v = ReadBits(7);
    if (v < 10) text += '0';
    text += std::to_string(v);
  } else if (left == 1) {
    text += std::to_string(ReadBits(4));
  }
}

void TDataBlockReader::ReadAlphanumeric(std::uint32_t count, std::string& text) {
  std::uint32_t left = count;
  for (; left >= 2; left -= 2) {
    const std::uint32_t v = ReadBits(11);
    AppendAlphanumeric(v / 45, text);
    AppendAlphanumeric(v % 45, text);
  }
  if (left == 1) AppendAlphanumeric(ReadBits(6), text);
}

void TDataBlockReader::ReadBytes(std::uint32_t count, std::string& text) {
  for (std::uint32_t i = 0; i < count; ++i) text += static_cast<char>(ReadBits(8));
}

void TDataBlockReader::ReadKanji(std::uint32_t count, std::string& text) {
  for (std::uint32_t i = 0; i < count; ++i) {
    const std::uint32_t v = ReadBits(13);
    const std::uint32_t w = (v / 192) * 256 + v % 192;
    const std::uint32_t code = w + 0x8140 <= 0x9FFC ? w + 0x8140 : w + 0xC140;
    text += static_cast<char>((code >> 8) & 0xFF);
    text += static_cast<char>(code & 0xFF);
  }
}
