#pragma once

// Reading a fuzzer's input as a sequence of fields. Fields past the end of the
// input read as zero, so every input, the empty one included, is usable.

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace fuzzing {

class TFuzzInput {
 public:
  TFuzzInput(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

  std::uint8_t Byte() { return at_ < size_ ? data_[at_++] : 0; }
  std::uint16_t Uint16() {
    const std::uint16_t low = Byte();
    return static_cast<std::uint16_t>(low | (Byte() << 8));
  }
  // Any 32-bit value, the extremes included (little-endian).
  std::int32_t Int32() {
    std::uint32_t value = 0;
    for (int i = 0; i < 4; ++i) value |= static_cast<std::uint32_t>(Byte()) << (8 * i);
    std::int32_t result;
    std::memcpy(&result, &value, sizeof result);
    return result;
  }

  // The bytes not read yet.
  const std::uint8_t* Rest() const { return data_ + at_; }
  std::size_t RestSize() const { return size_ - at_; }

 private:
  const std::uint8_t* data_;
  std::size_t size_;
  std::size_t at_ = 0;
};

}  // namespace fuzzing
