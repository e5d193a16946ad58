#pragma once

#include <cmath>
#include <cstdint>
#include <string_view>

// Rounds to the nearest integer with exact halves going to the even neighbour.
// A value that is not finite or does not fit a 32-bit signed integer raises a
// TMathError naming `what`, so no stage ever converts such a value.
inline std::int32_t RoundHalfEven(long double value, std::string_view what = "coordinate");

namespace rounding_detail {
std::int32_t RoundHalfEvenCarefully(long double value, std::string_view what);
}

// Called for every module and sample, so the usual case is short: the integer
// the hardware rounds to (llrintl, which unlike a cast does not switch the
// rounding mode, a slow step) is the answer whenever it lies less than one
// half away (in any rounding mode, it is then the one nearest integer) and
// fits. Halves, values out of range and values that are not finite take the
// careful way.
inline std::int32_t RoundHalfEven(long double value, std::string_view what) {
  const long long nearest = std::llrintl(value);
  const long double gap = value - static_cast<long double>(nearest);
  if (gap < 0.5L && gap > -0.5L && nearest >= -2147483648LL && nearest <= 2147483647LL)
    return static_cast<std::int32_t>(nearest);
  return rounding_detail::RoundHalfEvenCarefully(value, what);
}

// Truncates toward zero, with the same checks as RoundHalfEven.
std::int32_t TruncateToInt(long double value, std::string_view what = "coordinate");

// Throws a TMathError naming `what` when value is not finite.
long double CheckFinite(long double value, std::string_view what);
