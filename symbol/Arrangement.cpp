#include "Arrangement.h"

#include "Versions.h"

namespace {

constexpr std::uint8_t kCentre = 1;
constexpr std::uint8_t kTiming = 2;
constexpr std::uint8_t kFunction = 3;

}  // namespace

TArrangement::TArrangement(std::int32_t version) : TModule(version), version_(version), seeds_(version) {
  MarkFunctionPatterns();
}

void TArrangement::FillArea(std::int32_t left, std::int32_t top, std::int32_t right, std::int32_t bottom,
                            std::uint8_t kind) {
  for (std::int32_t x = left; x <= right; ++x)
    for (std::int32_t y = top; y <= bottom; ++y) SetPatternKind(x, y, kind);
}

void TArrangement::FillSquare(std::int32_t x, std::int32_t y, std::int32_t r) {
  FillArea(x - r, y - r, x + r, y + r, kFunction);
}

void TArrangement::MarkFunctionPatterns() {
  const std::int32_t w = Width();
  const std::int32_t h = Height();

  // Finder patterns with their separators and the format areas beside them
  // (the bottom-left area includes the dark module at (8, h - 8)).
  FillArea(0, 0, 8, 8, kFunction);
  SetPatternKind(3, 3, kCentre);
  FillArea(w - 8, 0, w - 1, 8, kFunction);
  SetPatternKind(w - 4, 3, kCentre);
  FillArea(0, h - 8, 8, h - 1, kFunction);
  SetPatternKind(3, h - 4, kCentre);

  // Alignment patterns on every pair of seed positions. The pairs that fall on a
  // finder area draw nothing but still mark their centre. Version 1's fourth seed
  // point (14, 14) serves the sampling grid only and carries no pattern.
  const std::int32_t count = seeds_.Count();
  for (std::int32_t i = 0; i < count; ++i) {
    for (std::int32_t j = 0; j < count; ++j) {
      const std::int32_t x = seeds_.Position(j);
      const std::int32_t y = seeds_.Position(i);
      if (version_ == 1 && x == 14 && y == 14) continue;
      if (GetPatternKind(x, y) == 0) FillSquare(x, y, 2);
      SetPatternKind(x, y, kCentre);
    }
  }

  // Timing patterns; alignment patterns crossing them keep their kinds.
  for (std::int32_t x = 8; x <= w - 9; ++x)
    if (GetPatternKind(x, 6) == 0) SetPatternKind(x, 6, kTiming);
  for (std::int32_t y = 8; y <= h - 9; ++y)
    if (GetPatternKind(6, y) == 0) SetPatternKind(6, y, kTiming);

  // Version information blocks beside the top-right and bottom-left finders.
  if (HasVersionInformation(version_)) {
    FillArea(w - 11, 0, w - 9, 5, kFunction);
    FillArea(0, h - 11, 5, h - 9, kFunction);
  }
}

std::int32_t TArrangement::CodewordCount() const { return TotalCodewords(version_); }
