#pragma once

#include <QString>

#include <cstdint>
#include <stdexcept>

#include "decoder/Explorer.h"

// The numbers the command line's options take, and the error of an option
// given wrongly.

struct TUsageError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// Any integer; values beyond the 32-bit range saturate, which the facade's
// clamping treats exactly as the full value. Throws TUsageError naming --option.
std::int32_t ParseInteger(const QString& option, const QString& text);

// FROM:TO or FROM:TO:STEP, each an integer (saturating like ParseInteger);
// `step` when none is given.
TExploreRange ParseRange(const QString& option, const QString& text, std::int32_t step);
