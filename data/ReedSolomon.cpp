#include "ReedSolomon.h"

#include <algorithm>
#include <cstdio>
#include <string>

#include "data/GaloisField.h"

namespace {

// Coefficients 0 .. 8 of the locator are tried in the root search.
constexpr std::int32_t kRootSearchDegree = 8;

std::string HexLine(const TIntegers& block, const char* format) {
  std::string line;
  char digits[16];
  for (std::int32_t value : block) {
    std::snprintf(digits, sizeof digits, format, static_cast<unsigned>(value));
    line += digits;
  }
  return line;
}

}  // namespace

TReedSolomon::TReedSolomon(TSurfaces& surfaces) : surfaces_(surfaces) {}

void TReedSolomon::Decode(TIntegers& block) {
  errorCount_ = 0;
  rootCount_ = 0;
  locatorDegree_ = 0;
  TTextPane& memo = surfaces_.Text(TTextPaneId::RdSnMemo);

  ComputeSyndromes(block);
  memo.AppendLine("--- Syndrome ---");
  bool intact = true;
  for (std::size_t i = 0; i < syndromes_.size(); ++i) {
    std::string line = "S";
    line += std::to_string(i);
    line += " = ";
    line += std::to_string(syndromes_[i]);
    memo.AppendLine(line);
    if (syndromes_[i] != 0) intact = false;
  }
  if (intact) return;

  CorrectErrors(block);
  memo.AppendLine(std::string(kCorrectedDataHeading));
  memo.AppendLine(HexLine(block, "%02X"));
  memo.AppendLine(" ");
}

std::int32_t TReedSolomon::NonZeroSyndromes() const {
  return static_cast<std::int32_t>(std::count_if(syndromes_.begin(), syndromes_.end(), [](std::int32_t s) { return s != 0; }));
}

bool TReedSolomon::IsCodeword(const TIntegers& block, std::int32_t ecLength) const {
  const std::int32_t powers = std::min<std::int32_t>(kSyndromeCount, ecLength - 1);
  for (std::int32_t k = 1; k <= powers; ++k)
    if (Syndrome(block, k) != 0) return false;
  return true;
}

std::array<std::int32_t, TReedSolomon::kSyndromeCount> TReedSolomon::Syndromes(const TIntegers& block) {
  std::array<std::int32_t, kSyndromeCount> syndromes{};
  for (std::int32_t i = 0; i < kSyndromeCount; ++i) syndromes[static_cast<std::size_t>(i)] = Syndrome(block, i + 1);
  return syndromes;
}

std::int32_t TReedSolomon::Syndrome(const TIntegers& block, std::int32_t power) {
  const std::int32_t root = gf256::Exp(power);
  std::int32_t sum = 0;
  // Horner's rule from the first codeword, the highest power.
  for (std::int32_t codeword : block) sum = gf256::Mul(root, sum) ^ (codeword & 0xFF);
  return sum;
}

void TReedSolomon::ComputeSyndromes(const TIntegers& block) {
  TTextPane& memo = surfaces_.Text(TTextPaneId::RdSnMemo);
  memo.AppendLine(std::string(kDecodeDataHeading));
  memo.AppendLine(HexLine(block, "%02x"));
  syndromes_.fill(0);
  for (std::int32_t i = 0; i < kSyndromeCount; ++i) syndromes_[static_cast<std::size_t>(i)] = Syndrome(block, i + 1);
}

void TReedSolomon::CorrectErrors(TIntegers& block) {
  const auto length = static_cast<std::int32_t>(block.size());
  const std::int32_t degree = FindLocator();
  locatorDegree_ = degree;
  if (degree < 1 || degree > kMaxErrors) return;
  FindRoots();
  // A locator whose roots do not match its degree, or point outside the block,
  // does not describe the errors: the block is passed on as received.
  if (rootCount_ != degree) return;
  std::array<std::int32_t, kMaxErrors> values{};
  for (std::int32_t n = 0; n < rootCount_; ++n) {
    const std::int32_t location = errorLocations_[static_cast<std::size_t>(n)];
    if (location >= length) return;
    const std::int32_t inverse = 255 - location;  // X^-1 = alpha^(255 - l)
    std::int32_t numerator = 0;
    for (std::int32_t j = 0; j < 16; ++j)
      numerator ^= gf256::Mul(evaluator_[static_cast<std::size_t>(j)], gf256::Exp((inverse * j) % 255));
    // Formal derivative of the locator at X^-1: only odd powers survive in GF(2^8).
    std::int32_t denominator = 0;
    for (std::int32_t j = 1; j < 16; j += 2)
      denominator ^= gf256::Mul(locator_[static_cast<std::size_t>(j)], gf256::Exp((inverse * (j - 1)) % 255));
    if (denominator == 0) return;
    values[static_cast<std::size_t>(n)] = gf256::Mul(numerator, gf256::Inverse(denominator));
  }
  for (std::int32_t n = 0; n < rootCount_; ++n) {
    const std::int32_t location = errorLocations_[static_cast<std::size_t>(n)];
    block[static_cast<std::size_t>(length - 1 - location)] ^= values[static_cast<std::size_t>(n)];
  }
  errorCount_ = rootCount_;
}

std::int32_t TReedSolomon::FindLocator() {
  // Berlekamp-Massey, errors only; B is the correction polynomial, shifted up one
  // power at every step.
  TPolynomial lambda{};
  lambda[0] = 1;
  TPolynomial b{};
  b[1] = 1;
  std::int32_t l = 0;
  std::int32_t k = -1;
  for (std::int32_t n = 0; n < kSyndromeCount; ++n) {
    std::int32_t d = 0;
    for (std::int32_t i = 0; i <= l && i <= n; ++i)
      d ^= gf256::Mul(lambda[static_cast<std::size_t>(i)], syndromes_[static_cast<std::size_t>(n - i)]);
    if (d != 0) {
      TPolynomial next{};
      for (std::size_t i = 0; i < next.size(); ++i) next[i] = lambda[i] ^ gf256::Mul(d, b[i]);
      if (n - k > l) {
        const std::int32_t l2 = n - k;
        k = n - l;
        const std::int32_t inverse = gf256::Inverse(d);
        for (std::size_t i = 0; i < b.size(); ++i) b[i] = gf256::Mul(lambda[i], inverse);
        l = l2;
      }
      lambda = next;
    }
    for (std::size_t i = b.size() - 1; i > 0; --i) b[i] = b[i - 1];
    b[0] = 0;
  }
  locator_ = lambda;
  ComputeEvaluator();
  return l;
}

void TReedSolomon::ComputeEvaluator() {
  // The low 8 coefficients of locator times syndrome polynomial.
  evaluator_.fill(0);
  for (std::int32_t j = 0; j < kSyndromeCount; ++j) {
    std::int32_t sum = 0;
    for (std::int32_t i = 0; i <= j; ++i)
      sum ^= gf256::Mul(locator_[static_cast<std::size_t>(i)], syndromes_[static_cast<std::size_t>(j - i)]);
    evaluator_[static_cast<std::size_t>(j)] = sum;
  }
}

void TReedSolomon::FindRoots() {
  rootCount_ = 0;
  for (std::int32_t r = 1; r <= 255; ++r) {
    std::int32_t sum = 0;
    for (std::int32_t k = 0; k <= kRootSearchDegree; ++k)
      sum ^= gf256::Mul(gf256::Exp((k * r) % 255), locator_[static_cast<std::size_t>(k)]);
    if (sum == 0) errorLocations_[static_cast<std::size_t>(rootCount_++)] = 255 - r;
  }
}
