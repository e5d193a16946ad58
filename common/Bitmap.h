#pragma once

#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

#include "Plane.h"

// Colours as the toolkit stores them: red in the lowest byte, then green, then blue (0x00BBGGRR).
using TColor = std::uint32_t;
inline constexpr TColor kBlack = 0x000000;
inline constexpr TColor kWhite = 0xFFFFFF;
inline constexpr TColor kRed = 0x0000FF;
inline constexpr TColor kBlue = 0xFF0000;
inline constexpr TColor kYellow = 0x00FFFF;

// A picture of width x height colour values. Copies share their pixels until
// one of them is painted (copy on write), so handing the same picture to
// several panes costs no memory.
//
// A picture made from a binary plane keeps the plane (one byte a pixel, shared
// by every picture made from the same plane) and, apart from it, only the
// pixels painted since; its colour values are worked out when they are read.
// Asking such a picture for a writable row, or painting a large part of it,
// turns it into an ordinary picture of four bytes a pixel. A loaded photograph
// may come packed, three bytes a pixel (red, green, blue), and is widened the
// same way when painted or asked for a writable row. All forms read and
// compare the same.
class TBitmap {
 public:
  TBitmap() = default;
  // Every pixel white.
  TBitmap(std::int32_t width, std::int32_t height) { SetSize(width, height); }

  // A picture whose pixels are not set: for callers that write every row at
  // once (through MutableRow), which would make the white fill wasted work.
  static TBitmap WithoutFill(std::int32_t width, std::int32_t height);
  // Black where the plane is dark (True), white elsewhere. Keeps its own copy of the plane.
  static TBitmap FromPlane(const TPlaneBoolean& plane);
  // The same over the plane itself, cut to width x height (each clamped to the
  // plane's size). The plane must not change while a picture uses it, which the
  // const pointee promises to every holder.
  static TBitmap FromSharedPlane(std::shared_ptr<const TPlaneBoolean> plane, std::int32_t width,
                                 std::int32_t height);
  // A packed picture whose bytes are not set, for loaders that write every
  // row through MutablePackedRow.
  static TBitmap PackedWithoutFill(std::int32_t width, std::int32_t height);

  // A copy that shares nothing with this picture, in the same form: copies
  // otherwise share storage, and reading one may sort or widen what they
  // share, so a picture handed to another thread must be detached first.
  TBitmap Detached() const;

  // Resizes; every pixel of the new picture is white.
  void SetSize(std::int32_t width, std::int32_t height);

  std::int32_t Width() const { return width_; }
  std::int32_t Height() const { return height_; }
  bool Empty() const { return width_ == 0 || height_ == 0; }
  bool Contains(std::int32_t x, std::int32_t y) const {
    return x >= 0 && y >= 0 && x < width_ && y < height_;
  }

  // Colour of pixel (x, y); white outside the picture.
  TColor Pixel(std::int32_t x, std::int32_t y) const;
  // Paints pixel (x, y); a pixel outside the picture is silently ignored.
  void SetPixel(std::int32_t x, std::int32_t y, TColor color);
  // A straight line of width 1 from (x0, y0) to (x1, y1), both ends painted
  // (integer Bresenham, stepping from the first point to the second).
  void Line(std::int32_t x0, std::int32_t y0, std::int32_t x1, std::int32_t y1, TColor color);

  // Row y as width colour values: a pointer into the picture when it holds its
  // colour values, otherwise `scratch` (room for Width() values) filled with
  // them. Reading a picture made from a plane this way costs no memory.
  const TColor* ReadRow(std::int32_t y, TColor* scratch) const;
  // Row y as width colour values. A picture made from a plane becomes an
  // ordinary picture first (four bytes a pixel); prefer ReadRow.
  const TColor* Row(std::int32_t y) const;
  // Writable row y (unshares the pixels first).
  TColor* MutableRow(std::int32_t y);
  // Row y of a packed picture as red, green and blue bytes (3 x Width()); nullptr for other pictures.
  const std::uint8_t* PackedRow(std::int32_t y) const;
  // Writable row y of a packed picture (unshares the bytes first); nullptr for other pictures.
  std::uint8_t* MutablePackedRow(std::int32_t y);

  // The plane behind a picture made from a plane, or nullptr.
  const TPlaneBoolean* Plane() const { return plane_.get(); }
  std::shared_ptr<const TPlaneBoolean> SharedPlane() const { return plane_; }
  // Number of pixels painted over the plane (0 for an ordinary picture).
  std::size_t PaintedCount() const { return painted_ ? painted_->Sorted().size() : 0; }
  // Calls visit(x, y, colour) for every pixel painted over the plane, row after row.
  template <typename Visit>
  void ForEachPainted(Visit visit) const {
    if (!painted_) return;
    for (const auto& [index, colour] : painted_->Sorted())
      visit(static_cast<std::int32_t>(index % static_cast<std::size_t>(width_)),
            static_cast<std::int32_t>(index / static_cast<std::size_t>(width_)), colour);
  }
  // True when both pictures hold the very same pixels (a copy not painted
  // since): the same size and the same storage, without comparing pixels.
  bool SharesPixels(const TBitmap& other) const;

  friend bool operator==(const TBitmap& a, const TBitmap& b);

 private:
  // Pixels painted over a plane, by position y * width + x. Painting only
  // appends; reading puts them in order of position first, keeping the last
  // colour painted on each (a change of form, not of content).
  class TPainted {
   public:
    using TEntry = std::pair<std::size_t, TColor>;
    void Add(std::size_t index, TColor colour) { entries_.push_back({index, colour}); }
    std::size_t Written() const { return entries_.size(); }
    const std::vector<TEntry>& Sorted();

   private:
    std::vector<TEntry> entries_;
    std::size_t sorted_ = 0;  // entries_[0, sorted_) are in order, one per position
  };

  void Unshare();
  // Turns a picture made from a plane, or a packed one, into an ordinary one.
  void Materialise() const;
  std::size_t Index(std::int32_t x, std::int32_t y) const {
    return static_cast<std::size_t>(y) * static_cast<std::size_t>(width_) + static_cast<std::size_t>(x);
  }
  std::size_t Area() const { return static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_); }

  std::int32_t width_ = 0;
  std::int32_t height_ = 0;
  // Ordinary picture: the colour values, row after row. Mutable because Row()
  // may change the form of the picture, never its pixels.
  mutable std::shared_ptr<TColor[]> pixels_;
  // Picture made from a plane: the plane and the pixels painted over it.
  mutable std::shared_ptr<const TPlaneBoolean> plane_;
  mutable std::shared_ptr<TPainted> painted_;
  // Packed picture: three bytes a pixel, row after row.
  mutable std::shared_ptr<std::uint8_t[]> packed_;
};
