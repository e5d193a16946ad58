#pragma once

#include <cmath>
#include <cstdint>
#include <limits>
#include <numbers>
#include <string>

#include "common/Errors.h"
#include "common/Types.h"

// The plane geometry of the locate stages between integer pixel positions.
// Differences are taken in 64 bits, so that no pair of 32-bit points
// overflows, and worked in long double; rounding is left to each caller.

inline constexpr long double kPi = std::numbers::pi_v<long double>;

// to - from, per axis.
struct TDelta {
  long double x;
  long double y;
};
inline TDelta Delta(TPoint from, TPoint to) {
  return {static_cast<long double>(static_cast<std::int64_t>(to.x) - from.x),
          static_cast<long double>(static_cast<std::int64_t>(to.y) - from.y)};
}

// The square root of the sum of squares.
inline long double Distance(TPoint from, TPoint to) {
  const TDelta d = Delta(from, to);
  return sqrtl(d.x * d.x + d.y * d.y);
}

// The angle of from -> to, -pi to pi (atan2, y down the picture).
inline long double Direction(TPoint from, TPoint to) {
  const TDelta d = Delta(from, to);
  return atan2l(d.y, d.x);
}

// An integer coordinate plus an offset, refused when the sum leaves the 32-bit range.
inline std::int32_t Shift(std::int32_t value, std::int64_t offset, const char* what) {
  const std::int64_t sum = static_cast<std::int64_t>(value) + offset;
  if (sum < std::numeric_limits<std::int32_t>::min() || sum > std::numeric_limits<std::int32_t>::max()) {
    throw TMathError(std::string(what) + ": value does not fit a 32-bit integer");
  }
  return static_cast<std::int32_t>(sum);
}
