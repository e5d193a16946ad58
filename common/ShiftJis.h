#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

// Converts a Shift-JIS (code page 932) byte string to UTF-8. Bytes that do not
// form a valid character become U+FFFD; control characters are kept.
std::string ShiftJisToUtf8(std::string_view bytes);

// A text that code page 932 cannot carry unchanged. The message names the
// first character at fault, so that a user can change it.
class TShiftJisError : public std::invalid_argument {
 public:
  using std::invalid_argument::invalid_argument;
};

// Converts UTF-8 text to Shift-JIS (code page 932) such that ShiftJisToUtf8
// gives the same text back. Throws TShiftJisError for text that is not UTF-8,
// for a character that code page 932 lacks, and for one that it would give
// back as another (a wave dash U+301C comes back as U+FF5E, a yen sign as a
// backslash).
std::string Utf8ToShiftJis(std::string_view text);
