#pragma once

#include <array>
#include <cstdint>
#include <string>

// Texts of the error codes 0 to 10 (0 and 6 to 10 are empty). Codes 1 and 4
// differ only in the kana "み" versus the kanji "見".
std::string ErrorMessage(std::int32_t code);

// The error-correction level letters, indexed 0 (L) to 3 (H).
inline constexpr std::array<const char*, 4> kLevelLetters = {"L", "M", "Q", "H"};
