#pragma once

// Symbols whose data area is filled with pseudo-random bytes, as a real symbol
// of that version would be, rather than with the encoder's regular padding.

#include <cstdint>
#include <stdexcept>
#include <string>

#include "TestSymbols.h"

namespace testing_support {

// `count` pseudo-random bytes, the same for the same seed.
inline std::string NoiseBytes(int count, std::uint32_t seed) {
  std::string bytes;
  bytes.reserve(static_cast<std::size_t>(count));
  for (int i = 0; i < count; ++i) {
    seed = seed * 1103515245u + 12345u;
    bytes.push_back(static_cast<char>(seed >> 16));
  }
  return bytes;
}

// A symbol of exactly `version` whose byte segment is as long as the version
// holds at `level`; the bytes come from NoiseBytes with the version as seed.
inline TTestSymbol FilledSymbol(int version, int level) {
  const auto fits = [&](int count) {
    try {
      return EncodeBytes(NoiseBytes(count, static_cast<std::uint32_t>(version)), version, level).version == version;
    } catch (const std::runtime_error&) {
      return false;
    }
  };
  int low = 1, high = 3000;
  if (!fits(low)) throw std::runtime_error("version too small for any data");
  while (low < high) {
    const int middle = (low + high + 1) / 2;
    if (fits(middle)) low = middle; else high = middle - 1;
  }
  return EncodeBytes(NoiseBytes(low, static_cast<std::uint32_t>(version)), version, level);
}

}  // namespace testing_support
