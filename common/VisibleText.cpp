#include "VisibleText.h"

#include <cstddef>

namespace {

// The length of the well-formed UTF-8 sequence that starts `text`, or 0 when
// its first byte starts none. Well-formed as Unicode defines it: no overlong
// forms, no surrogates, nothing past U+10FFFF; the limits of the second byte
// carry all three rules.
std::size_t SequenceLength(std::string_view text) {
  const auto byte = [text](std::size_t i) { return static_cast<unsigned char>(text[i]); };
  const unsigned char lead = byte(0);
  if (lead < 0x80) return 1;
  std::size_t length = 0;
  unsigned char low = 0x80, high = 0xBF;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    if (lead == 0xE0) low = 0xA0;   // overlong below U+0800
    if (lead == 0xED) high = 0x9F;  // surrogates U+D800 to U+DFFF
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    if (lead == 0xF0) low = 0x90;   // overlong below U+10000
    if (lead == 0xF4) high = 0x8F;  // past U+10FFFF
  } else {
    return 0;
  }
  if (text.size() < length || byte(1) < low || byte(1) > high) return 0;
  for (std::size_t i = 2; i < length; ++i)
    if (byte(i) < 0x80 || byte(i) > 0xBF) return 0;
  return length;
}

void AppendEscape(std::string& shown, char kind, unsigned value, int digits) {
  static constexpr char kHex[] = "0123456789abcdef";
  shown += '\\';
  shown += kind;
  for (int shift = 4 * (digits - 1); shift >= 0; shift -= 4) shown += kHex[(value >> shift) & 0xF];
}

}  // namespace

std::string VisibleText(std::string_view utf8) {
  std::string shown;
  shown.reserve(utf8.size());
  while (!utf8.empty()) {
    const std::size_t length = SequenceLength(utf8);
    const auto lead = static_cast<unsigned char>(utf8[0]);
    if (length == 0) {
      AppendEscape(shown, 'x', lead, 2);
    } else if (length == 1 && lead == '\\') {
      shown += "\\\\";
    } else if (length == 1 && ((lead < 0x20 && lead != '\t' && lead != '\n') || lead == 0x7F)) {
      AppendEscape(shown, 'x', lead, 2);
    } else if (length == 2 && lead == 0xC2 && static_cast<unsigned char>(utf8[1]) <= 0x9F) {
      // U+0080 to U+009F are 0xC2 followed by the code point's own value.
      AppendEscape(shown, 'u', static_cast<unsigned char>(utf8[1]), 4);
    } else {
      shown.append(utf8.substr(0, length));
    }
    utf8.remove_prefix(length == 0 ? 1 : length);
  }
  return shown;
}
