#include "Placement.h"

#include <algorithm>

std::vector<TPoint> ReadingOrder(const TArrangement& matrix) {
  const std::int32_t size = matrix.Width();
  std::vector<TPoint> order;
  order.reserve(static_cast<std::size_t>(size) * static_cast<std::size_t>(size));
  bool upward = true;
  // Strips of two columns from the right edge; the column of the vertical
  // timing pattern is stepped over, so the strips left of it start one column earlier.
  for (std::int32_t right = size - 1; right >= 1; right -= 2) {
    if (right == 6) right = 5;
    for (std::int32_t step = 0; step < size; ++step) {
      const std::int32_t y = upward ? size - 1 - step : step;
      for (std::int32_t x = right; x >= right - 1; --x)
        if (!matrix.IsFunctionModule(x, y)) order.push_back({x, y});
    }
    upward = !upward;
  }
  return order;
}

std::vector<TBlockLayout> Deinterleave(std::int32_t total, std::int32_t blocks, std::int32_t ecPerBlock) {
  std::vector<TBlockLayout> layout;
  if (blocks < 1) return layout;
  const std::int32_t length = total / blocks;
  const std::int32_t longCount = total % blocks;
  const std::int32_t shortCount = blocks - longCount;
  const std::int32_t data = length - ecPerBlock;
  layout.resize(static_cast<std::size_t>(blocks));
  for (std::int32_t b = 0; b < blocks; ++b) {
    TBlockLayout& block = layout[static_cast<std::size_t>(b)];
    const bool isLong = b >= shortCount;
    // Past the common data part, a short block's codewords sit behind the long
    // blocks' extra data codewords, a long block's before the short blocks' error correction.
    for (std::int32_t i = 0; i < length + (isLong ? 1 : 0); ++i)
      block.codewords.push_back(i * blocks + b + (i < data ? 0 : (isLong ? -shortCount : longCount)));
    block.dataCount = std::max(data + (isLong ? 1 : 0), 0);
  }
  return layout;
}

std::vector<TBlockPlace> BlockPlaces(const std::vector<TBlockLayout>& layout, std::int32_t total) {
  std::vector<TBlockPlace> places(static_cast<std::size_t>(std::max(total, 0)));
  for (std::size_t b = 0; b < layout.size(); ++b) {
    const TIntegers& codewords = layout[b].codewords;
    for (std::size_t i = 0; i < codewords.size(); ++i)
      if (codewords[i] >= 0 && codewords[i] < total)
        places[static_cast<std::size_t>(codewords[i])] = {static_cast<std::int32_t>(b), static_cast<std::int32_t>(i)};
  }
  return places;
}
