#pragma once

#include <cstdint>
#include <string>

#include "common/Diagnosis.h"
#include "common/Types.h"

// Decodes the data codewords of one symbol, read as a bit stream, into its text:
// numeric, alphanumeric, 8-bit byte and Kanji segments. Any other mode indicator,
// the terminator included, ends the text. The result is a Shift-JIS byte string.
class TDataBlockReader {
 public:
  // Keeps a reference to codewords, which must outlive the reader. The stream is
  // the first count entries (at most the array's length). Refuses a version
  // outside 1 to 40 with a TDecodeError.
  TDataBlockReader(const TIntegers& codewords, std::int32_t count, std::int32_t version);

  // Decodes the whole stream from the current read position.
  std::string Decode();
  // Of the last Decode: the segments read and where and why the reading stopped.
  const TDataFigures& Figures() const { return figures_; }
  // The next n bits (1 .. 16), most significant first. When fewer than n bits
  // remain, returns 0 and leaves the read position where it was.
  std::uint32_t ReadBits(std::int32_t n);

 private:
  // Bits read so far.
  std::int64_t Position() const { return static_cast<std::int64_t>(readIndex_) * 8 + (7 - bitPosition_); }
  std::int32_t CountLength(std::uint32_t mode) const;
  void ReadNumeric(std::uint32_t count, std::string& text);
  void ReadAlphanumeric(std::uint32_t count, std::string& text);
  void ReadBytes(std::uint32_t count, std::string& text);
  void ReadKanji(std::uint32_t count, std::string& text);

  const TIntegers& codewords_;
  std::int32_t count_;
  std::int32_t version_;
  std::int32_t readIndex_ = 0;
  std::int32_t bitPosition_ = 7;
  // Set when a read found fewer bits than it asked for.
  bool exhausted_ = false;
  TDataFigures figures_;
};
