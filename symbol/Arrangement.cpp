#include "Arrangement.h"

#include "Versions.h"

namespace {

constexpr std::uint8_t kCentre = 1;
constexpr std::uint8_t kTiming = 2;
constexpr std::uint8_t kFunction = 3;

}  // namespace

TArrangement::TArrangement(std::int32_t version)
    : TModule(version),
      version_(version),
      seeds_(version),
      patterns_(static_cast<std::size_t>(Width()) * static_cast<std::size_t>(Height()), TFunctionPattern::None) {
  MarkFunctionPatterns();
}

TFunctionPattern TArrangement::FunctionPatternAt(std::int32_t x, std::int32_t y) const {
  if (x < 0 || y < 0 || x >= Width() || y >= Height()) return TFunctionPattern::None;
  return patterns_[static_cast<std::size_t>(y) * static_cast<std::size_t>(Width()) + static_cast<std::size_t>(x)];
}

void TArrangement::Mark(std::int32_t x, std::int32_t y, std::uint8_t kind, TFunctionPattern pattern) {
  if (x < 0 || y < 0 || x >= Width() || y >= Height()) return;
  SetPatternKind(x, y, kind);
  patterns_[static_cast<std::size_t>(y) * static_cast<std::size_t>(Width()) + static_cast<std::size_t>(x)] = pattern;
}

void TArrangement::FillArea(std::int32_t left, std::int32_t top, std::int32_t right, std::int32_t bottom,
                            std::uint8_t kind, TFunctionPattern pattern) {
  for (std::int32_t x = left; x <= right; ++x)
    for (std::int32_t y = top; y <= bottom; ++y) Mark(x, y, kind, pattern);
}

void TArrangement::FillSquare(std::int32_t x, std::int32_t y, std::int32_t r, TFunctionPattern pattern) {
  FillArea(x - r, y - r, x + r, y + r, kFunction, pattern);
}

void TArrangement::MarkFunctionPatterns() {
  using enum TFunctionPattern;
  const std::int32_t w = Width();
  const std::int32_t h = Height();

  // Finder patterns with their separators and the format areas beside them:
  // the 9 x 9 corner at the top left, 8 x 9 at the top right and 9 x 8 at the
  // bottom left. The format strips around the top-left finder are crossed by
  // the timing patterns at (8, 6) and (6, 8); the bottom-left corner holds the
  // dark module at (8, h - 8).
  FillArea(0, 0, 6, 6, kFunction, Finder);
  FillArea(7, 0, 7, 7, kFunction, Separator);
  FillArea(0, 7, 6, 7, kFunction, Separator);
  FillArea(8, 0, 8, 8, kFunction, Format);
  FillArea(0, 8, 7, 8, kFunction, Format);
  Mark(8, 6, kFunction, Timing);
  Mark(6, 8, kFunction, Timing);
  SetPatternKind(3, 3, kCentre);

  FillArea(w - 7, 0, w - 1, 6, kFunction, Finder);
  FillArea(w - 8, 0, w - 8, 7, kFunction, Separator);
  FillArea(w - 7, 7, w - 1, 7, kFunction, Separator);
  FillArea(w - 8, 8, w - 1, 8, kFunction, Format);
  SetPatternKind(w - 4, 3, kCentre);

  FillArea(0, h - 7, 6, h - 1, kFunction, Finder);
  FillArea(7, h - 8, 7, h - 1, kFunction, Separator);
  FillArea(0, h - 8, 6, h - 8, kFunction, Separator);
  FillArea(8, h - 7, 8, h - 1, kFunction, Format);
  Mark(8, h - 8, kFunction, DarkModule);
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
      if (GetPatternKind(x, y) == 0) FillSquare(x, y, 2, Alignment);
      SetPatternKind(x, y, kCentre);
    }
  }

  // Timing patterns; alignment patterns crossing them keep their kinds.
  for (std::int32_t x = 8; x <= w - 9; ++x)
    if (GetPatternKind(x, 6) == 0) Mark(x, 6, kTiming, Timing);
  for (std::int32_t y = 8; y <= h - 9; ++y)
    if (GetPatternKind(6, y) == 0) Mark(6, y, kTiming, Timing);

  // Version information blocks beside the top-right and bottom-left finders.
  if (HasVersionInformation(version_)) {
    FillArea(w - 11, 0, w - 9, 5, kFunction, Version);
    FillArea(0, h - 11, 5, h - 9, kFunction, Version);
  }
}

std::int32_t TArrangement::CodewordCount() const { return TotalCodewords(version_); }
