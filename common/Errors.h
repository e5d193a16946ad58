#pragma once

#include <stdexcept>
#include <string>

// A failure raised by a stage. The message is the text the user sees; only the
// decode facade catches these.
class TDecodeError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// A failure of the geometry arithmetic: a degenerate angle, a division by zero,
// a value that is not finite or does not fit an integer coordinate.
class TMathError : public TDecodeError {
 public:
  using TDecodeError::TDecodeError;
};
