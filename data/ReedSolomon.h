#pragma once

#include <array>
#include <cstdint>
#include <string_view>

#include "common/Surfaces.h"
#include "common/Types.h"

// Corrects one Reed-Solomon block of codewords in place, up to 3 wrong codewords,
// over GF(256) with polynomial 0x11D and alpha = 2. Eight syndromes at alpha^1 ..
// alpha^8 are computed whatever the block's error-correction length, the locator
// comes from Berlekamp-Massey, its roots from trying every non-zero element, and
// the error values from Forney's formula. Every step is traced on RdSnMemo.
class TReedSolomon {
 public:
  // Syndromes computed per block, and the most wrong codewords a block may hold and be corrected.
  static constexpr std::int32_t kSyndromeCount = 8;
  static constexpr std::int32_t kMaxErrors = 3;
  // The trace's headings above a block's codewords as read and as corrected;
  // the line after each lists them in hex.
  static constexpr std::string_view kDecodeDataHeading = "--- Decode Data ---";
  static constexpr std::string_view kCorrectedDataHeading = "--- Corrected Data ---";

  explicit TReedSolomon(TSurfaces& surfaces);

  // Lists the block and its syndromes and, when a syndrome is non-zero, corrects
  // the block in place and lists it again. Element 0 is the first codeword of
  // the block. A block is changed only when the locator has degree 1 to 3 and
  // exactly that many roots, all inside the block, with non-zero Forney
  // denominators; otherwise it stays as received. Nothing of the block is kept
  // after the call.
  void Decode(TIntegers& block);
  // Codewords corrected by the last Decode (0 when intact or left unchanged).
  std::int32_t ErrorCount() const { return errorCount_; }
  // Of the last Decode: the syndromes that were not zero, and the degree of
  // the error locator (0 when every syndrome was zero).
  std::int32_t NonZeroSyndromes() const;
  std::int32_t LocatorDegree() const { return locatorDegree_; }

  // True when the block, whose last ecLength codewords are the error
  // correction, reads as a codeword to this decoder: a block of E such
  // codewords is a multiple of a generator with the roots alpha^0 ..
  // alpha^(E - 1), and the decoder sees it through alpha^1 .. alpha^8, so the
  // block must vanish at alpha^1 .. alpha^m, m = min(8, E - 1).
  bool IsCodeword(const TIntegers& block, std::int32_t ecLength) const;
  // S0 .. S7 of a block as Decode computes and lists them (at alpha^1 .. alpha^8).
  static std::array<std::int32_t, kSyndromeCount> Syndromes(const TIntegers& block);

 private:
  using TPolynomial = std::array<std::int32_t, 16>;

  // The block evaluated at alpha^power, codeword 0 being the highest power;
  // only the low 8 bits of a codeword belong to the field.
  static std::int32_t Syndrome(const TIntegers& block, std::int32_t power);
  void ComputeSyndromes(const TIntegers& block);
  void CorrectErrors(TIntegers& block);
  std::int32_t FindLocator();
  void ComputeEvaluator();
  void FindRoots();

  TSurfaces& surfaces_;
  TPolynomial syndromes_{};
  TPolynomial locator_{};
  TPolynomial evaluator_{};
  std::array<std::int32_t, 255> errorLocations_{};
  std::int32_t rootCount_ = 0;
  std::int32_t locatorDegree_ = 0;
  std::int32_t errorCount_ = 0;
};
