#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <stdexcept>
#include <utility>
#include <vector>

#include "Memory.h"
#include "Types.h"

// An allocator that leaves new elements of trivial types unset when a vector
// grows without a value given (resize(n)); with a value, elements are set as
// usual. Its blocks come from AllocateBlock.
template <typename T>
class TNoFillAllocator : public std::allocator<T> {
 public:
  template <typename U>
  struct rebind {
    using other = TNoFillAllocator<U>;
  };
  TNoFillAllocator() = default;
  template <typename U>
  TNoFillAllocator(const TNoFillAllocator<U>&) noexcept {}

  // Large blocks come with huge pages where the system offers them.
  T* allocate(std::size_t count) { return static_cast<T*>(AllocateBlock(count * sizeof(T))); }
  void deallocate(T* block, std::size_t) noexcept { FreeBlock(block); }

  template <typename U>
  void construct(U* place) noexcept(noexcept(::new(static_cast<void*>(place)) U)) {
    ::new (static_cast<void*>(place)) U;
  }
  template <typename U, typename... Args>
  void construct(U* place, Args&&... args) {
    ::new (static_cast<void*>(place)) U(std::forward<Args>(args)...);
  }
};

// A two-dimensional array addressed [x][y] (first the column, then the row).
// Storage is one contiguous block, row after row, so that scanning a row walks
// memory in order; plane[x][y] and plane(x, y) address the same element.
template <typename T>
class TPlane {
 public:
  // The column view returned by operator[]: holds the column's first element
  // and the distance between rows.
  class Column {
   public:
    Column(T* first, std::size_t stride) : first_(first), stride_(stride) {}
    T& operator[](std::int32_t y) const { return first_[static_cast<std::size_t>(y) * stride_]; }

   private:
    T* first_;
    std::size_t stride_;
  };
  class ConstColumn {
   public:
    ConstColumn(const T* first, std::size_t stride) : first_(first), stride_(stride) {}
    const T& operator[](std::int32_t y) const { return first_[static_cast<std::size_t>(y) * stride_]; }

   private:
    const T* first_;
    std::size_t stride_;
  };

  TPlane() = default;
  TPlane(std::int32_t width, std::int32_t height, T fill = T{}) { Resize(width, height, fill); }

  // Resizes to width x height and sets every element to fill. Negative sizes are refused.
  void Resize(std::int32_t width, std::int32_t height, T fill = T{}) {
    if (width < 0 || height < 0) throw std::invalid_argument("plane size must not be negative");
    width_ = width;
    height_ = height;
    cells_.assign(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), fill);
  }
  // Resizes to width x height leaving the elements unset: for callers that
  // write every element before reading any.
  void ResizeForOverwrite(std::int32_t width, std::int32_t height) {
    if (width < 0 || height < 0) throw std::invalid_argument("plane size must not be negative");
    width_ = width;
    height_ = height;
    // Emptied first, so that growing copies no old element.
    cells_.clear();
    cells_.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
  }
  void Clear() {
    width_ = height_ = 0;
    cells_.clear();
    cells_.shrink_to_fit();
  }

  std::int32_t Width() const { return width_; }
  std::int32_t Height() const { return height_; }
  bool Empty() const { return cells_.empty(); }
  bool Contains(std::int32_t x, std::int32_t y) const {
    return x >= 0 && y >= 0 && x < width_ && y < height_;
  }
  bool Contains(TPoint p) const { return Contains(p.x, p.y); }

  T& operator()(std::int32_t x, std::int32_t y) { return cells_[Index(x, y)]; }
  const T& operator()(std::int32_t x, std::int32_t y) const { return cells_[Index(x, y)]; }
  Column operator[](std::int32_t x) { return Column(cells_.data() + x, static_cast<std::size_t>(width_)); }
  ConstColumn operator[](std::int32_t x) const {
    return ConstColumn(cells_.data() + x, static_cast<std::size_t>(width_));
  }

  // Row y as a contiguous run of Width() elements, for loops that scan rows.
  T* Row(std::int32_t y) { return cells_.data() + static_cast<std::size_t>(y) * width_; }
  const T* Row(std::int32_t y) const { return cells_.data() + static_cast<std::size_t>(y) * width_; }
  T* Data() { return cells_.data(); }
  const T* Data() const { return cells_.data(); }

 private:
  std::size_t Index(std::int32_t x, std::int32_t y) const {
    return static_cast<std::size_t>(y) * static_cast<std::size_t>(width_) + static_cast<std::size_t>(x);
  }

  std::int32_t width_ = 0;
  std::int32_t height_ = 0;
  std::vector<T, TNoFillAllocator<T>> cells_;
};

using TPlaneInteger = TPlane<std::int32_t>;
// True (1) is dark.
using TPlaneBoolean = TPlane<std::uint8_t>;
using TPlanePoint = TPlane<TPoint>;
