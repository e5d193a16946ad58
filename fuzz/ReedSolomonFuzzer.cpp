// The Reed-Solomon decoder on arbitrary blocks:
//   byte 0     bit 0: codewords are 32-bit values (4 bytes each, little-endian,
//              any value) instead of one byte each
//   byte 1     number of blocks - 1 (modulo 4); the codewords are shared out
//              among them in order, the last block taking the remainder
//   the rest   the codewords
// All blocks go through one decoder, as the driver does. Besides running
// clean, a decode must keep its promises: at most 3 codewords corrected, only
// that many changed, and a corrected block checks with all eight syndromes 0.

#include <array>
#include <cstdint>
#include <cstdlib>

#include "FuzzInput.h"
#include "common/Surfaces.h"
#include "common/Types.h"
#include "data/ReedSolomon.h"

namespace {

// An arithmetic of its own, so that the check does not share the decoder's faults.
struct TField {
  std::array<int, 510> exp{};
  std::array<int, 256> log{};
  TField() {
    int value = 1;
    for (int i = 0; i < 255; ++i) {
      exp[i] = exp[i + 255] = value;
      log[value] = i;
      value <<= 1;
      if (value & 0x100) value ^= 0x11D;
    }
  }
  int Mul(int a, int b) const { return a == 0 || b == 0 ? 0 : exp[log[a] + log[b]]; }
};

bool AllSyndromesZero(const TIntegers& block) {
  static const TField field;
  for (int i = 1; i <= 8; ++i) {
    int sum = 0;
    for (std::int32_t codeword : block) sum = field.Mul(sum, field.exp[i]) ^ (codeword & 0xFF);
    if (sum != 0) return false;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzzing::TFuzzInput input(data, size);
  const bool wide = input.Byte() & 1;
  const std::size_t blockCount = 1 + input.Byte() % 4;
  TIntegers codewords;
  while (input.RestSize() > 0) codewords.push_back(wide ? input.Int32() : input.Byte());

  TSurfaces surfaces;
  TReedSolomon decoder(surfaces);
  const std::size_t share = codewords.size() / blockCount;
  for (std::size_t b = 0; b < blockCount; ++b) {
    const auto first = codewords.begin() + static_cast<std::ptrdiff_t>(b * share);
    const auto last = b + 1 == blockCount ? codewords.end() : first + static_cast<std::ptrdiff_t>(share);
    TIntegers block(first, last);
    const TIntegers received = block;
    decoder.Decode(block);
    const std::int32_t corrected = decoder.ErrorCount();
    if (corrected < 0 || corrected > 3) std::abort();
    if (block.size() != received.size()) std::abort();
    std::int32_t changed = 0;
    for (std::size_t i = 0; i < block.size(); ++i)
      if (block[i] != received[i]) ++changed;
    if (changed > corrected) std::abort();
    if (corrected > 0 && !AllSyndromesZero(block)) std::abort();
  }
  return 0;
}
