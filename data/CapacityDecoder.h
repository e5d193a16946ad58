#pragma once

#include <cstdint>
#include <vector>

#include "common/Types.h"

// A second Reed-Solomon decoder, for comparison only: what a block's error
// correction can do at its full capacity, beside the decoder the analysis
// uses (TReedSolomon, at most 3 wrong codewords a block). No analysis calls it.
//
// A block of n codewords whose last ec are the error correction is a multiple
// of the generator with the roots alpha^0 .. alpha^(ec - 1); codeword i (0 the
// first) is the coefficient of x^(n - 1 - i). Its syndromes are therefore
// S_j = R(alpha^j) for j = 0 .. ec - 1. Given the places of the codewords known
// to be unreadable (erasures), it corrects the block when
// 2 * errors + erasures <= ec, and only claims so after checking that the
// result is a codeword: every syndrome recomputed is zero and the corrections
// stay within that bound. Past it, it may find no codeword or a wrong one (a
// miscorrection), which only a comparison with the original block reveals.

enum class TCapacityOutcome : std::uint8_t {
  Intact,         // every syndrome zero: the block is a codeword as received
  Corrected,      // a codeword found within the capacity
  Uncorrectable,  // no codeword within the capacity; the block is passed on as received
};

struct TCapacityDecoding {
  TCapacityOutcome outcome = TCapacityOutcome::Intact;
  // S_0 .. S_(ec-1) of the block as received.
  std::vector<std::int32_t> syndromes;
  // The block after correction; as received unless Corrected.
  TIntegers block;
  // Places (0 = the first codeword) corrected that were not erasures, ascending.
  std::vector<std::int32_t> errors;
  // The erasures taken: distinct places inside the block, ascending.
  std::vector<std::int32_t> erasures;
  std::int32_t ecLength = 0;

  // Wrong codewords a block of ec error-correction codewords can hold and be
  // corrected when no erasure is known: ec / 2.
  std::int32_t ErrorCapacity() const { return ecLength / 2; }
  friend bool operator==(const TCapacityDecoding&, const TCapacityDecoding&) = default;
};

// Decodes one block whose last `ecLength` codewords are the error correction,
// `erasures` naming places known to be unreadable (places outside the block
// and repeats are ignored). Values are codewords 0 .. 255.
TCapacityDecoding DecodeToCapacity(const TIntegers& block, std::int32_t ecLength,
                                   const std::vector<std::int32_t>& erasures = {});
