#include "BCH15.h"

#include <array>
#include <bit>

namespace {

// The 32 codewords of BCH(15,5) with generator 0x537, without the format mask,
// indexed by their five data bits (ISO/IEC 18004, format information).
constexpr std::array<std::int32_t, 32> kCodewords = {
    0x0000, 0x0537, 0x0A6E, 0x0F59, 0x11EB, 0x14DC, 0x1B85, 0x1EB2, 0x23D6, 0x26E1, 0x29B8,
    0x2C8F, 0x323D, 0x370A, 0x3853, 0x3D64, 0x429B, 0x47AC, 0x48F5, 0x4DC2, 0x5370, 0x5647,
    0x591E, 0x5C29, 0x614D, 0x647A, 0x6B23, 0x6E14, 0x70A6, 0x7591, 0x7AC8, 0x7FFF,
};

}  // namespace

TBCH15_5::TBCH15_5(const TBooleans& bits) {
  // Built from the last element down, so element i lands on bit i.
  std::uint32_t word = 0;
  for (std::size_t i = bits.size(); i-- > 0;) word = word * 2 + (bits[i] ? 1 : 0);
  received_ = static_cast<std::int32_t>(word);
}

void TBCH15_5::Decode(TBooleans& bits) {
  errorFlag_ = 0;
  corrected_ = FindCodeword(received_);
  if (corrected_ < 0) errorFlag_ = 1;
  bits.assign(15, 0);
  for (std::int32_t i = 0; i < 15; ++i) bits[static_cast<std::size_t>(i)] = (corrected_ >> i) & 1;
}

std::int32_t TBCH15_5::FindCodeword(std::int32_t word) {
  const std::int32_t received = word & 0x7FFF;
  for (std::int32_t codeword : kCodewords)
    if (HammingDistance(received, codeword) <= kMaxDistance) return codeword;
  return -1;
}

std::int32_t TBCH15_5::NearestCodeword(std::int32_t word) {
  const std::int32_t received = word & 0x7FFF;
  std::int32_t nearest = kCodewords[0];
  for (std::int32_t codeword : kCodewords)
    if (HammingDistance(received, codeword) < HammingDistance(received, nearest)) nearest = codeword;
  return nearest;
}

std::int32_t TBCH15_5::HammingDistance(std::int32_t a, std::int32_t b) {
  return std::popcount(static_cast<std::uint32_t>(a ^ b));
}

std::int32_t TBCH15_5::Codeword(std::int32_t data) { return kCodewords[static_cast<std::size_t>(data & 31)]; }
