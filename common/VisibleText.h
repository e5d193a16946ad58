#pragma once

#include <string>
#include <string_view>

// UTF-8 text as it may be shown to a person: every control character is
// written out as an escape, so that text from a symbol or a file name cannot
// move the cursor, clear the screen, retitle the terminal or hide what
// follows it. Shown as escapes:
//   C0 controls except tab and newline, and DEL   \x1b  (the byte, 2 hex digits)
//   C1 controls U+0080 to U+009F                  \u0085 (the code point, 4 hex digits)
//   bytes that are not well-formed UTF-8          \xff  (each byte on its own)
//   the backslash itself                          \\    (so that every escape is unambiguous)
// Everything else, tab, newline and all other characters, stays as it is.
// Hex digits are lower case.
std::string VisibleText(std::string_view utf8);
