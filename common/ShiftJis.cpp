#include "ShiftJis.h"

#include <iconv.h>

#include <cerrno>
#include <stdexcept>

namespace {

constexpr std::string_view kReplacement = "\xEF\xBF\xBD";

// Owns one iconv conversion descriptor.
class Converter {
 public:
  Converter() : handle_(iconv_open("UTF-8", "CP932")) {
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
