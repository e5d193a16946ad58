#pragma once

#include <cstdint>
#include <vector>

#include "common/Types.h"

// One straight stretch of pixels on a row or a column, as the finder-pattern
// scan reports it. A horizontal stretch has StartPt.y == EndPt.y and StartPt.x
// at its left end; a vertical one has StartPt.x == EndPt.x and StartPt.y at its
// top end. Both ends are inclusive.
struct TLine {
  // True while the stretch has not been taken into a group.
  bool Active = true;
  // 0 for a scanned stretch; the group size for a group representative.
  std::int32_t Weight = 0;
  TPoint StartPt;
  TPoint EndPt;

  friend bool operator==(const TLine&, const TLine&) = default;
};

// An ordered list of stretches, in insertion order until Sort is called.
// Records are copied in and out by value.
class TLines {
 public:
  // Appends a copy; returns its index.
  std::int32_t Add(const TLine& line);
  void Clear() { lines_.clear(); }
  std::int32_t Count() const { return static_cast<std::int32_t>(lines_.size()); }
  // Callers keep index in 0 .. Count() - 1.
  TLine GetLine(std::int32_t index) const { return lines_[static_cast<std::size_t>(index)]; }
  void SetLine(std::int32_t index, const TLine& line) { lines_[static_cast<std::size_t>(index)] = line; }
  // Heaviest first. Records of equal weight end in the order that this
  // particular quicksort leaves them in, and later stages break ties by list
  // position, so the partition scheme is part of the result.
  void Sort();

  // The records in list order, for loops that read them all.
  const std::vector<TLine>& Items() const { return lines_; }

 private:
  std::vector<TLine> lines_;
};
