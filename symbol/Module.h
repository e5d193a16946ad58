#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// One module of the symbol: as sampled, the mask flag, the unmasked value and
// the kind of function pattern covering it (0 = data module).
struct TModuleCell {
  std::uint8_t Cell = 0;
  std::uint8_t MaskCell = 0;
  std::uint8_t DataCell = 0;
  std::uint8_t PatternKind = 0;
};

// The square module grid of one symbol, addressed (x = column, y = row).
// Every accessor is silent outside the grid: a get returns 0, a set does nothing.
// Callers rely on that, e.g. the codeword walk asks about the column left of the grid.
class TModule {
 public:
  // Width = Height = the version's side. Refuses a version outside 1 to 40 with a TDecodeError.
  explicit TModule(std::int32_t version);

  std::int32_t Width() const { return width_; }
  std::int32_t Height() const { return height_; }

  std::uint8_t GetCell(std::int32_t x, std::int32_t y) const;
  void SetCell(std::int32_t x, std::int32_t y, std::uint8_t value);
  std::uint8_t GetMaskCell(std::int32_t x, std::int32_t y) const;
  void SetMaskCell(std::int32_t x, std::int32_t y, std::uint8_t value);
  std::uint8_t GetDataCell(std::int32_t x, std::int32_t y) const;
  void SetDataCell(std::int32_t x, std::int32_t y, std::uint8_t value);
  std::uint8_t GetPatternKind(std::int32_t x, std::int32_t y) const;
  void SetPatternKind(std::int32_t x, std::int32_t y, std::uint8_t value);

 private:
  bool Inside(std::int32_t x, std::int32_t y) const {
    return x >= 0 && y >= 0 && x < width_ && y < height_;
  }
  // Column-major: all rows of column 0, then of column 1, ...
  std::size_t Index(std::int32_t x, std::int32_t y) const {
    return static_cast<std::size_t>(x) * static_cast<std::size_t>(width_) + static_cast<std::size_t>(y);
  }
  const TModuleCell* Find(std::int32_t x, std::int32_t y) const { return Inside(x, y) ? &cells_[Index(x, y)] : nullptr; }
  TModuleCell* Find(std::int32_t x, std::int32_t y) { return Inside(x, y) ? &cells_[Index(x, y)] : nullptr; }

  std::int32_t width_;
  std::int32_t height_;
  std::vector<TModuleCell> cells_;
};
