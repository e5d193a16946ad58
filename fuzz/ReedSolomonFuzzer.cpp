// The Reed-Solomon decoder on arbitrary blocks:
//   byte 0     bit 0: codewords are 32-bit values (4 bytes each, little-endian,
//              any value) instead of one byte each
//   byte 1     number of blocks - 1 (modulo 4); the codewords are shared out
//              among them in order, the last block taking the remainder
//   the rest   the codewords
// All blocks go through one decoder, as the driver does. Besides running
// clean, a decode must keep its promises: at most 3 codewords corrected, only
// that many changed, and a corrected block checks with all eight syndromes 0.

#include <cstdint>
#include <cstdlib>
#include <vector>

#include "FuzzInput.h"
#include "common/Surfaces.h"
#include "common/Types.h"
#include "data/ReedSolomon.h"
#include "tests/support/GaloisField.h"

namespace {

// The tests' own arithmetic, so that the check does not share the decoder's faults.
bool AllSyndromesZero(const TIntegers& block) {
  std::vector<int> bytes;
  for (const std::int32_t codeword : block) bytes.push_back(codeword & 0xFF);
  for (int i = 1; i <= 8; ++i)
    if (testing_support::Evaluate(bytes, testing_support::GfPower(i)) != 0) return false;
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
