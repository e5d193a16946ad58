#pragma once

#include <cstdint>
#include <vector>

// Shared value types of the decoder.

// A pixel or module position: x is the column, y the row.
struct TPoint {
  std::int32_t x = 0;
  std::int32_t y = 0;

  friend bool operator==(const TPoint&, const TPoint&) = default;
};

// One-dimensional dynamic arrays. Passed by reference, so a callee that
// writes into one changes the caller's array.
using TIntegers = std::vector<std::int32_t>;
// Booleans are kept one byte each (0 or 1); std::vector<bool> is avoided on purpose.
using TBooleans = std::vector<std::uint8_t>;
