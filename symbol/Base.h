#pragma once

#include <cstdint>

// Root of the decoder's own class chain: the decoder version and the error code
// through which a stage reports that decoding must stop.
class TBase {
 public:
  TBase() = default;

  std::int32_t MajorVersion = 3;
  std::int32_t MinorVersion = 0;
  // 0 no error; 1 to 10 index the error message table.
  std::int32_t ErrorCode = 0;

  // Stores code when it lies in 0 .. 10; any other value leaves ErrorCode as it was.
  void SetErrorCode(std::int32_t code);
};
