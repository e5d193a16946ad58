#pragma once

#include <cstdint>
#include <string_view>

// Rounds to the nearest integer with exact halves going to the even neighbour.
// A value that is not finite or does not fit a 32-bit signed integer raises a
// TMathError naming `what`, so no stage ever converts such a value.
std::int32_t RoundHalfEven(long double value, std::string_view what = "coordinate");

// Truncates toward zero, with the same checks as RoundHalfEven.
std::int32_t TruncateToInt(long double value, std::string_view what = "coordinate");

// Throws a TMathError naming `what` when value is not finite.
long double CheckFinite(long double value, std::string_view what);
