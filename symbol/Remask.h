#pragma once

#include <array>
#include <cstdint>

#include "common/Plane.h"
#include "symbol/Arrangement.h"
#include "symbol/DataMask.h"
#include "symbol/MaskPenalty.h"

// Giving a finished symbol another data mask: the data modules are unmasked
// and masked again, and both copies of the format information are rewritten
// for the new mask, from this program's own mask conditions and tables; and
// the penalties by which an encoder chooses among the masks.

// The mask pattern that the symbol's format information (the copy beside the
// top-left finder pattern) names; -1 when that copy is not within the format
// code's reach of any codeword.
std::int32_t MaskOfSymbol(const TPlaneBoolean& modules);

// Changes the data mask of `modules` (a whole symbol of `arrangement`'s
// version, [x][y], True = dark) from `from` to `to`, and writes both format
// copies for `level` and `to`. Function modules other than the format
// information are left as they are.
void ChangeMask(TPlaneBoolean& modules, const TArrangement& arrangement, std::int32_t level, std::int32_t from,
                std::int32_t to);

// The penalty of `modules` (masked with `from`) under each of the eight masks,
// index = mask, each scored with that mask's own format information written in.
std::array<TMaskPenalty, kMaskPatterns> MaskPenalties(const TPlaneBoolean& modules, const TArrangement& arrangement,
                                                      std::int32_t level, std::int32_t from);
// The mask an encoder chooses: the lowest total, the first among equals.
std::int32_t LowestPenaltyMask(const std::array<TMaskPenalty, kMaskPatterns>& penalties);
