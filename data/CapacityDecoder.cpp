#include "data/CapacityDecoder.h"

#include <algorithm>

#include "data/GaloisField.h"

namespace {

// Polynomials here hold the coefficient of x^0 first.
using TPolynomial = std::vector<std::int32_t>;

// The block evaluated at x; its first codeword is the highest power.
std::int32_t EvaluateBlock(const TIntegers& block, std::int32_t x) {
  std::int32_t sum = 0;
  for (const std::int32_t codeword : block) sum = gf256::Mul(sum, x) ^ (codeword & 0xFF);
  return sum;
}

std::int32_t Evaluate(const TPolynomial& polynomial, std::int32_t x) {
  std::int32_t sum = 0;
  for (auto coefficient = polynomial.rbegin(); coefficient != polynomial.rend(); ++coefficient)
    sum = gf256::Mul(sum, x) ^ *coefficient;
  return sum;
}

TPolynomial Multiply(const TPolynomial& a, const TPolynomial& b, std::size_t keep) {
  TPolynomial product(std::min(keep, a.size() + b.size() - 1), 0);
  for (std::size_t i = 0; i < a.size(); ++i)
    for (std::size_t j = 0; j < b.size() && i + j < product.size(); ++j) product[i + j] ^= gf256::Mul(a[i], b[j]);
  return product;
}

std::int32_t Degree(const TPolynomial& polynomial) {
  for (std::size_t i = polynomial.size(); i > 0; --i)
    if (polynomial[i - 1] != 0) return static_cast<std::int32_t>(i - 1);
  return 0;
}

// The shortest linear recurrence (connection polynomial, C_0 = 1) that
// generates the sequence: Berlekamp-Massey.
TPolynomial ShortestRecurrence(const TPolynomial& sequence) {
  TPolynomial c{1};
  TPolynomial b{1};
  std::int32_t length = 0;
  std::size_t shift = 1;
  std::int32_t lastDiscrepancy = 1;
  for (std::size_t n = 0; n < sequence.size(); ++n) {
    std::int32_t d = sequence[n];
    for (std::int32_t i = 1; i <= length && static_cast<std::size_t>(i) < c.size(); ++i)
      d ^= gf256::Mul(c[static_cast<std::size_t>(i)], sequence[n - static_cast<std::size_t>(i)]);
    if (d == 0) {
      ++shift;
      continue;
    }
    const std::int32_t factor = gf256::Divide(d, lastDiscrepancy);
    TPolynomial next = c;
    if (next.size() < b.size() + shift) next.resize(b.size() + shift, 0);
    for (std::size_t i = 0; i < b.size(); ++i) next[i + shift] ^= gf256::Mul(factor, b[i]);
    if (2 * length <= static_cast<std::int32_t>(n)) {
      length = static_cast<std::int32_t>(n) + 1 - length;
      b = c;
      lastDiscrepancy = d;
      shift = 1;
    } else {
      ++shift;
    }
    c = std::move(next);
  }
  c.resize(static_cast<std::size_t>(length) + 1, 0);
  return c;
}

// The locator X of the codeword at `place` in a block of `length`: alpha to its power.
std::int32_t Locator(std::int32_t place, std::int32_t length) { return gf256::Exp(length - 1 - place); }

}  // namespace

TCapacityDecoding DecodeToCapacity(const TIntegers& block, std::int32_t ecLength, const std::vector<std::int32_t>& erasures) {
  TCapacityDecoding result;
  result.block = block;
  result.ecLength = std::max<std::int32_t>(ecLength, 0);
  const auto length = static_cast<std::int32_t>(block.size());
  for (const std::int32_t place : erasures)
    if (place >= 0 && place < length) result.erasures.push_back(place);
  std::sort(result.erasures.begin(), result.erasures.end());
  result.erasures.erase(std::unique(result.erasures.begin(), result.erasures.end()), result.erasures.end());

  const std::int32_t ec = result.ecLength;
  TPolynomial syndromes(static_cast<std::size_t>(ec));
  for (std::int32_t j = 0; j < ec; ++j) syndromes[static_cast<std::size_t>(j)] = EvaluateBlock(block, gf256::Exp(j));
  result.syndromes = syndromes;
  if (std::all_of(syndromes.begin(), syndromes.end(), [](std::int32_t s) { return s == 0; })) return result;

  result.outcome = TCapacityOutcome::Uncorrectable;
  // A block longer than the field's order has no distinct locators.
  const auto erased = static_cast<std::int32_t>(result.erasures.size());
  if (erased > ec || length > gf256::kOrder) return result;

  // The erasures' locator, and the syndromes with the erasures taken out
  // (Forney syndromes): the errors' locator is the shortest recurrence of
  // their last ec - f values.
  TPolynomial erasureLocator{1};
  for (const std::int32_t place : result.erasures) erasureLocator = Multiply(erasureLocator, {1, Locator(place, length)}, erasureLocator.size() + 1);
  const TPolynomial modified = Multiply(erasureLocator, syndromes, static_cast<std::size_t>(ec));
  const TPolynomial errorLocator = ShortestRecurrence(TPolynomial(modified.begin() + erased, modified.end()));
  const std::int32_t errorCount = Degree(errorLocator);
  if (2 * errorCount + erased > ec) return result;

  const TPolynomial locator = Multiply(errorLocator, erasureLocator, errorLocator.size() + erasureLocator.size());
  const TPolynomial evaluator = Multiply(syndromes, locator, static_cast<std::size_t>(ec));
  // The formal derivative: in GF(2^8) only the odd powers remain.
  TPolynomial derivative(locator.size() > 1 ? locator.size() - 1 : 1, 0);
  for (std::size_t k = 1; k < locator.size(); k += 2) derivative[k - 1] = locator[k];

  TIntegers corrected = block;
  std::vector<std::int32_t> places;
  for (std::int32_t place = 0; place < length; ++place) {
    const std::int32_t x = Locator(place, length);
    const std::int32_t inverse = gf256::Inverse(x);
    if (Evaluate(locator, inverse) != 0) continue;
    const std::int32_t denominator = Evaluate(derivative, inverse);
    if (denominator == 0) return result;
    // Forney's formula for a generator whose first root is alpha^0.
    const std::int32_t value = gf256::Divide(gf256::Mul(x, Evaluate(evaluator, inverse)), denominator);
    corrected[static_cast<std::size_t>(place)] = (corrected[static_cast<std::size_t>(place)] & 0xFF) ^ value;
    places.push_back(place);
  }
  // Every root of the locator must be a place of the block.
  if (static_cast<std::int32_t>(places.size()) != Degree(locator)) return result;

  std::vector<std::int32_t> errors;
  for (const std::int32_t place : places)
    if (!std::binary_search(result.erasures.begin(), result.erasures.end(), place)) errors.push_back(place);
  for (std::int32_t j = 0; j < ec; ++j)
    if (EvaluateBlock(corrected, gf256::Exp(j)) != 0) return result;
  if (2 * static_cast<std::int32_t>(errors.size()) + erased > ec) return result;

  result.outcome = TCapacityOutcome::Corrected;
  result.block = std::move(corrected);
  result.errors = std::move(errors);
  return result;
}
