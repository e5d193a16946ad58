#include "ReedSolomon.h"

#include <algorithm>
#include <cstdio>
#include <string>

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

TReedSolomon::TReedSolomon(TSurfaces& surfaces) : surfaces_(surfaces) { BuildTables(); }

void TReedSolomon::BuildTables() {
  expTable_[0] = 1;
  expTable_[255] = 1;
  logTable_[0] = 0;
  for (std::int32_t i = 1; i <= 255; ++i) {
    std::int32_t value = expTable_[static_cast<std::size_t>(i - 1)] << 1;
    if (value & 0x100) value ^= 0x11D;
    expTable_[static_cast<std::size_t>(i)] = value;
    expTable_[static_cast<std::size_t>(i + 255)] = value;
  }
  // The smallest exponent wins, so 1 maps to 0 rather than 255.
  for (std::int32_t e = 255; e >= 0; --e) logTable_[static_cast<std::size_t>(expTable_[static_cast<std::size_t>(e)])] = e;
  logTable_[0] = 0;
}

std::int32_t TReedSolomon::GFMul(std::int32_t a, std::int32_t b) const {
  if (a == 0 || b == 0) return 0;
  return expTable_[static_cast<std::size_t>(logTable_[static_cast<std::size_t>(a)] + logTable_[static_cast<std::size_t>(b)])];
}

std::int32_t TReedSolomon::GFInverse(std::int32_t a) const {
  return expTable_[static_cast<std::size_t>(255 - logTable_[static_cast<std::size_t>(a)])];
}

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

std::int32_t TReedSolomon::Syndrome(const TIntegers& block, std::int32_t power) const {
  const std::int32_t root = expTable_[static_cast<std::size_t>(power)];
  std::int32_t sum = 0;
  // Horner's rule from the first codeword, the highest power.
  for (std::int32_t codeword : block) sum = GFMul(root, sum) ^ (codeword & 0xFF);
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
      numerator ^= GFMul(evaluator_[static_cast<std::size_t>(j)], expTable_[static_cast<std::size_t>((inverse * j) % 255)]);
    // Formal derivative of the locator at X^-1: only odd powers survive in GF(2^8).
    std::int32_t denominator = 0;
    for (std::int32_t j = 1; j < 16; j += 2)
      denominator ^= GFMul(locator_[static_cast<std::size_t>(j)], expTable_[static_cast<std::size_t>((inverse * (j - 1)) % 255)]);
    if (denominator == 0) return;
    values[static_cast<std::size_t>(n)] = GFMul(numerator, GFInverse(denominator));
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
      d ^= GFMul(lambda[static_cast<std::size_t>(i)], syndromes_[static_cast<std::size_t>(n - i)]);
    if (d != 0) {
      TPolynomial next{};
      for (std::size_t i = 0; i < next.size(); ++i) next[i] = lambda[i] ^ GFMul(d, b[i]);
      if (n - k > l) {
        const std::int32_t l2 = n - k;
        k = n - l;
        const std::int32_t inverse = GFInverse(d);
        for (std::size_t i = 0; i < b.size(); ++i) b[i] = GFMul(lambda[i], inverse);
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
      sum ^= GFMul(locator_[static_cast<std::size_t>(i)], syndromes_[static_cast<std::size_t>(j - i)]);
    evaluator_[static_cast<std::size_t>(j)] = sum;
  }
}

void TReedSolomon::FindRoots() {
  rootCount_ = 0;
  for (std::int32_t r = 1; r <= 255; ++r) {
    std::int32_t sum = 0;
    for (std::int32_t k = 0; k <= kRootSearchDegree; ++k)
      sum ^= GFMul(expTable_[static_cast<std::size_t>((k * r) % 255)], locator_[static_cast<std::size_t>(k)]);
    if (sum == 0) errorLocations_[static_cast<std::size_t>(rootCount_++)] = 255 - r;
  }
}
