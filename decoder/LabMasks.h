#pragma once

#include <array>
#include <cstdint>
#include <optional>

#include "common/Plane.h"
#include "symbol/DataMask.h"
#include "symbol/MaskPenalty.h"

class TLab;

// The symbol of the lab's unchanged matrix under each of the eight masks:
// its data modules unmasked and masked again, both copies of the format
// information written for that mask, and the four penalties an encoder
// scores each with. `used` is the mask the symbol carries, `chosen` the one
// an encoder picks (the lowest total, the first among equals).
struct TLabMasks {
  std::array<TPlaneBoolean, kMaskPatterns> symbols;
  std::array<TMaskPenalty, kMaskPatterns> penalties;
  std::int32_t used = 0;
  std::int32_t chosen = 0;
};

// Nothing when the unchanged matrix's decode settled no level and mask.
std::optional<TLabMasks> LabMasks(const TLab& lab);
