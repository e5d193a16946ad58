// The data segment decoder on arbitrary codeword streams and versions:
//   byte 0     version: below 0xF0 it is 1 + value modulo 40; from 0xF0 on the
//              version is the next 4 bytes, any 32-bit value (refused outside
//              1 to 40 with a TDecodeError)
//   byte 1     bit 0: codewords are 32-bit values (4 bytes each, any value)
//              instead of one byte each; bit 1: the codeword count is the next
//              4 bytes, any 32-bit value, instead of the number of codewords
//   the rest   the codewords
// Decoding must end, within the stream, with a text no longer than the counts
// in the stream allow.

#include <cstdint>
#include <cstdlib>
#include <string>

#include "FuzzInput.h"
#include "common/Errors.h"
#include "common/Types.h"
#include "data/DataBlockReader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzzing::TFuzzInput input(data, size);
  const std::uint8_t versionByte = input.Byte();
  const std::int32_t version = versionByte < 0xF0 ? 1 + versionByte % 40 : input.Int32();
  const std::uint8_t flags = input.Byte();
  const bool wide = flags & 1;
  const bool rawCount = flags & 2;
  const std::int32_t rawCountValue = rawCount ? input.Int32() : 0;
  TIntegers codewords;
  while (input.RestSize() > 0) codewords.push_back(wide ? input.Int32() : input.Byte());
  const std::int32_t count = rawCount ? rawCountValue : static_cast<std::int32_t>(codewords.size());

  try {
    TDataBlockReader reader(codewords, count, version);
    const std::string text = reader.Decode();
    // Each segment adds at most 65535 characters of at most 4 bytes (an
    // out-of-range numeric group), and takes at least 4 bits of the stream.
    const std::size_t segments = codewords.size() * 8 / 4 + 1;
    if (text.size() > segments * 65535 * 4) std::abort();
  } catch (const TDecodeError&) {
    if (version >= 1 && version <= 40) std::abort();  // only a bad version is refused
  }
  return 0;
}
