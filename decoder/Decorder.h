#pragma once

#include <cstdint>
#include <string>

#include "common/Plane.h"
#include "common/Surfaces.h"

// The decoder driver. This is a stand-in until the decoding stages exist: it
// keeps the parameters the facade hands it and refuses every decode with a
// TDecodeError, so that nothing reports a text it has not read.
class TDecorder {
 public:
  explicit TDecorder(TSurfaces& surfaces);

  void SetWarp(std::int32_t value) { warp_ = value; }
  void SetForceVersion(std::int32_t value) { forceVersion_ = value; }

  // Decodes the binary plane into the Shift-JIS text of the symbol.
  std::string Decode(const TPlaneBoolean& plane, std::int32_t width, std::int32_t height);

  // Message of the last failure that set an error code; empty otherwise.
  const std::string& ErrorText() const { return errorText_; }
  std::string GetVersionText() const;

  std::int32_t Warp() const { return warp_; }
  std::int32_t ForceVersion() const { return forceVersion_; }

 private:
  TSurfaces& surfaces_;
  std::int32_t warp_ = 1;
  std::int32_t forceVersion_ = 0;
  std::string errorText_;
};
