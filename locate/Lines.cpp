#include "Lines.h"

#include <utility>

std::int32_t TLines::Add(const TLine& line) {
  lines_.push_back(line);
  return static_cast<std::int32_t>(lines_.size() - 1);
}

void TLines::Sort() {
  if (lines_.empty()) return;
  // Hoare partition around the weight found in the middle of the range, then
  // the left part and the right part. The two parts are disjoint and each is
  // sorted on its own, so an explicit stack gives the same order as recursion
  // without risking the call stack on long lists.
  std::vector<std::pair<std::int64_t, std::int64_t>> ranges;
  ranges.emplace_back(0, static_cast<std::int64_t>(lines_.size()) - 1);
  while (!ranges.empty()) {
    auto [left, right] = ranges.back();
    ranges.pop_back();
    do {
      std::int64_t i = left;
      std::int64_t j = right;
      const std::int32_t pivot = lines_[static_cast<std::size_t>((left + right) / 2)].Weight;
      do {
        // Heavier records sort first.
        while (lines_[static_cast<std::size_t>(i)].Weight > pivot) ++i;
        while (lines_[static_cast<std::size_t>(j)].Weight < pivot) --j;
        if (i <= j) {
          std::swap(lines_[static_cast<std::size_t>(i)], lines_[static_cast<std::size_t>(j)]);
          ++i;
          --j;
        }
      } while (i <= j);
      if (left < j) ranges.emplace_back(left, j);
      left = i;
    } while (left < right);
  }
}
