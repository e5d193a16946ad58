#pragma once

#include <array>
#include <cstdint>

// GF(256) with the primitive polynomial x^8 + x^4 + x^3 + x^2 + 1 (0x11D) and
// alpha = 2, the field of the symbol's Reed-Solomon codes: one pair of tables
// for everything that multiplies in it.
namespace gf256 {

inline constexpr std::int32_t kPolynomial = 0x11D;
// Non-zero elements; alpha^255 = 1.
inline constexpr std::int32_t kOrder = 255;

namespace detail {

struct TTables {
  // exp[i] = alpha^(i mod 255) for i up to 509, so that a sum of two
  // logarithms indexes it directly.
  std::array<std::uint8_t, 2 * kOrder> exp{};
  // log[v] = the exponent 0 .. 254 with alpha^e = v; log[0] = 0.
  std::array<std::uint8_t, 256> log{};
};

constexpr TTables MakeTables() {
  TTables tables;
  std::int32_t value = 1;
  for (std::int32_t i = 0; i < kOrder; ++i) {
    tables.exp[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(value);
    tables.exp[static_cast<std::size_t>(i + kOrder)] = static_cast<std::uint8_t>(value);
    tables.log[static_cast<std::size_t>(value)] = static_cast<std::uint8_t>(i);
    value <<= 1;
    if (value & 0x100) value ^= kPolynomial;
  }
  return tables;
}

inline constexpr TTables kTables = MakeTables();

}  // namespace detail

// alpha^e for any e >= 0.
constexpr std::int32_t Exp(std::int32_t e) { return detail::kTables.exp[static_cast<std::size_t>(e % kOrder)]; }
// The exponent 0 .. 254 of a non-zero element (0 for 0 as well).
constexpr std::int32_t Log(std::int32_t value) { return detail::kTables.log[static_cast<std::size_t>(value & 0xFF)]; }

// Elements are 0 .. 255; only their low eight bits are read.
constexpr std::int32_t Mul(std::int32_t a, std::int32_t b) {
  if ((a & 0xFF) == 0 || (b & 0xFF) == 0) return 0;
  return detail::kTables.exp[static_cast<std::size_t>(Log(a) + Log(b))];
}
// 1 / a for a non-zero a. The tables give 1 for 0, which no caller asks for.
constexpr std::int32_t Inverse(std::int32_t a) { return Exp(kOrder - Log(a)); }
// a / b for a non-zero b.
constexpr std::int32_t Divide(std::int32_t a, std::int32_t b) { return Mul(a, Inverse(b)); }

}  // namespace gf256
