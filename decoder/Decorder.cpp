#include "Decorder.h"

#include "common/Errors.h"

TDecorder::TDecorder(TSurfaces& surfaces) : surfaces_(surfaces) {}

std::string TDecorder::Decode(const TPlaneBoolean& /*plane*/, std::int32_t /*width*/, std::int32_t /*height*/) {
  errorText_.clear();
  (void)surfaces_;
  throw TDecodeError("the decoding stages after binarization are not built yet");
}

std::string TDecorder::GetVersionText() const { return "Veltrix Ver 3.0"; }
