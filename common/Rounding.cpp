#include "Rounding.h"

#include <cfenv>
#include <cmath>
#include <limits>
#include <string>

#include "Errors.h"

namespace {

[[noreturn]] void Fail(std::string_view what, const char* why) {
  throw TMathError(std::string(what) + ": " + why);
}

std::int32_t ToInt32(long double whole, std::string_view what) {
  constexpr long double kMin = std::numeric_limits<std::int32_t>::min();
  constexpr long double kMax = std::numeric_limits<std::int32_t>::max();
  if (whole < kMin || whole > kMax) Fail(what, "value does not fit a 32-bit integer");
  return static_cast<std::int32_t>(whole);
}

}  // namespace

long double CheckFinite(long double value, std::string_view what) {
  if (!std::isfinite(value)) Fail(what, "value is not finite");
  return value;
}

std::int32_t rounding_detail::RoundHalfEvenCarefully(long double value, std::string_view what) {
  CheckFinite(value, what);
  // The fraction decides unless it is exactly one half; then the even neighbour wins.
  const long double floor = std::floor(value);
  const long double fraction = value - floor;
  long double whole = floor;
  if (fraction > 0.5L) {
    whole = floor + 1.0L;
  } else if (fraction == 0.5L) {
    // Odd or even: through an integer where the value fits one, which is much
    // cheaper than the remainder of a division.
    constexpr long double kExact = 4611686018427387904.0L;  // 2^62
    const bool odd = (floor > -kExact && floor < kExact) ? (static_cast<std::int64_t>(floor) & 1) != 0
                                                         : std::fmod(floor, 2.0L) != 0.0L;
    if (odd) whole = floor + 1.0L;
  }
  return ToInt32(whole, what);
}

std::int32_t TruncateToInt(long double value, std::string_view what) {
  CheckFinite(value, what);
  return ToInt32(std::trunc(value), what);
}
