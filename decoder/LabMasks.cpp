#include "decoder/LabMasks.h"

#include "decoder/Lab.h"
#include "symbol/Arrangement.h"
#include "symbol/Remask.h"

std::optional<TLabMasks> LabMasks(const TLab& lab) {
  const TLabRun& original = lab.Original();
  if (original.level < 0 || original.mask < 0) return std::nullopt;
  const TArrangement arrangement(lab.Matrix().Version());
  TLabMasks masks;
  masks.used = original.mask;
  for (std::int32_t mask = 0; mask < kMaskPatterns; ++mask) {
    TPlaneBoolean& symbol = masks.symbols[static_cast<std::size_t>(mask)];
    symbol = lab.Matrix().Original();
    ChangeMask(symbol, arrangement, original.level, original.mask, mask);
  }
  masks.penalties = MaskPenalties(lab.Matrix().Original(), arrangement, original.level, original.mask);
  masks.chosen = LowestPenaltyMask(masks.penalties);
  return masks;
}
