#include "Base.h"

void TBase::SetErrorCode(std::int32_t code) {
  if (code >= 0 && code <= 10) ErrorCode = code;
}
