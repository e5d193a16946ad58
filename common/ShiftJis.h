#pragma once

#include <string>
#include <string_view>

// Converts a Shift-JIS (code page 932) byte string to UTF-8. Bytes that do not
// form a valid character become U+FFFD; control characters are kept.
std::string ShiftJisToUtf8(std::string_view bytes);
