#pragma once

#include <cstdint>

#include "common/Types.h"

// Corrector of the 15-bit format word: the BCH(15,5) code with generator 0x537.
// A received word is taken for the first codeword within Hamming distance 3.
class TBCH15_5 {
 public:
  // Wrong bits a received word may have and still be taken for its codeword.
  static constexpr std::int32_t kMaxDistance = 3;

  // Element i of bits is bit i of the received word.
  explicit TBCH15_5(const TBooleans& bits);

  // Searches the codeword and writes its 15 bits into bits (element i = bit i);
  // all 15 are set when no codeword is close enough (ErrorFlag() then reads 1).
  void Decode(TBooleans& bits);

  std::int32_t Received() const { return received_; }
  // The codeword found, or -1.
  std::int32_t Corrected() const { return corrected_; }
  // 0 corrected, 1 no codeword within distance 3.
  std::int32_t ErrorFlag() const { return errorFlag_; }

  // The first codeword within distance 3 of the low 15 bits of word, or -1.
  static std::int32_t FindCodeword(std::int32_t word);
  // The codeword nearest to the low 15 bits of word (the first among equals).
  static std::int32_t NearestCodeword(std::int32_t word);
  static std::int32_t HammingDistance(std::int32_t a, std::int32_t b);
  // The codeword whose data bits (14 .. 10) equal data, data 0 .. 31.
  static std::int32_t Codeword(std::int32_t data);

 private:
  std::int32_t received_ = 0;
  std::int32_t corrected_ = -1;
  std::int32_t errorFlag_ = 0;
};
