#include "ShiftJis.h"

#include <iconv.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <stdexcept>
#include <utility>
#include <vector>

namespace {

constexpr std::string_view kReplacement = "\xEF\xBF\xBD";

// Owns one iconv conversion descriptor.
class Converter {
 public:
  Converter(const char* to = "UTF-8", const char* from = "CP932") : handle_(iconv_open(to, from)) {
    if (handle_ == reinterpret_cast<iconv_t>(-1)) throw std::runtime_error("CP932 conversion is not available");
  }
  ~Converter() { iconv_close(handle_); }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;
  iconv_t Handle() const { return handle_; }

 private:
  iconv_t handle_;
};

}  // namespace

std::string ShiftJisToUtf8(std::string_view bytes) {
  Converter converter;
  std::string result;
  char buffer[256];
  char* in = const_cast<char*>(bytes.data());
  std::size_t inLeft = bytes.size();
  while (inLeft > 0) {
    char* out = buffer;
    std::size_t outLeft = sizeof buffer;
    const std::size_t done = iconv(converter.Handle(), &in, &inLeft, &out, &outLeft);
    result.append(buffer, static_cast<std::size_t>(out - buffer));
    if (done != static_cast<std::size_t>(-1)) continue;
    if (errno == E2BIG) continue;
    // An invalid or incomplete sequence: replace its first byte and go on after it.
    result.append(kReplacement);
    ++in;
    --inLeft;
    iconv(converter.Handle(), nullptr, nullptr, nullptr, nullptr);
  }
  return result;
}

namespace {

// Bytes of the UTF-8 character that starts with `lead`, or 0 for a byte that starts none.
std::size_t CharacterLength(unsigned char lead) {
  if (lead < 0x80) return 1;
  if (lead >= 0xC2 && lead <= 0xDF) return 2;
  if (lead >= 0xE0 && lead <= 0xEF) return 3;
  if (lead >= 0xF0 && lead <= 0xF4) return 4;
  return 0;
}

// "'c' (U+XXXX)" for a message.
std::string Named(std::string_view character) {
  std::uint32_t code = static_cast<unsigned char>(character[0]);
  if (character.size() > 1) code &= 0x7F >> character.size();
  for (std::size_t i = 1; i < character.size(); ++i) code = code << 6 | (static_cast<unsigned char>(character[i]) & 0x3F);
  char number[16];
  std::snprintf(number, sizeof number, "U+%04X", code);
  return "'" + std::string(character) + "' (" + number + ")";
}

}  // namespace

std::string Utf8ToShiftJis(std::string_view text) {
  Converter converter("CP932", "UTF-8");
  std::string result;
  // Where each character's bytes begin, to name a character that does not come back.
  std::vector<std::pair<std::size_t, std::size_t>> starts;
  // One character at a time, so that a fault names its character; code page
  // 932 keeps no state between characters.
  for (std::size_t at = 0; at < text.size();) {
    const std::size_t length = CharacterLength(static_cast<unsigned char>(text[at]));
    if (length == 0 || at + length > text.size())
      throw TShiftJisError("the text is not valid UTF-8 (byte " + std::to_string(at + 1) + ")");
    const std::string_view character = text.substr(at, length);
    char buffer[8];
    char* in = const_cast<char*>(character.data());
    std::size_t inLeft = character.size();
    char* out = buffer;
    std::size_t outLeft = sizeof buffer;
    if (iconv(converter.Handle(), &in, &inLeft, &out, &outLeft) == static_cast<std::size_t>(-1)) {
      if (errno == EILSEQ && length > 1) throw TShiftJisError("Shift-JIS (CP932) has no character " + Named(character));
      throw TShiftJisError("the text is not valid UTF-8 (byte " + std::to_string(at + 1) + ")");
    }
    starts.emplace_back(at, result.size());
    result.append(buffer, static_cast<std::size_t>(out - buffer));
    at += length;
  }
  if (ShiftJisToUtf8(result) == text) return result;
  for (std::size_t k = 0; k < starts.size(); ++k) {
    const auto [from, bytes] = starts[k];
    const std::size_t to = k + 1 < starts.size() ? starts[k + 1].first : text.size();
    const std::size_t end = k + 1 < starts.size() ? starts[k + 1].second : result.size();
    const std::string_view character = text.substr(from, to - from);
    const std::string back = ShiftJisToUtf8(std::string_view(result).substr(bytes, end - bytes));
    if (back != character)
      throw TShiftJisError("Shift-JIS (CP932) would give " + Named(character) + " back as " + Named(back));
  }
  throw TShiftJisError("the text does not come back unchanged from Shift-JIS (CP932)");
}
