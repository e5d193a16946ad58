#pragma once

#include <cstdint>
#include <memory>
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
class TBitmap {
 public:
  TBitmap() = default;
  TBitmap(std::int32_t width, std::int32_t height) { SetSize(width, height); }

  // Black where the plane is dark (True), white elsewhere.
  static TBitmap FromPlane(const TPlaneBoolean& plane);

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

  // Row y as width colour values, for front ends that copy the whole picture.
  const TColor* Row(std::int32_t y) const;
  // Writable row y (unshares the pixels first).
  TColor* MutableRow(std::int32_t y);

  friend bool operator==(const TBitmap& a, const TBitmap& b);

 private:
  void Unshare();

  std::int32_t width_ = 0;
  std::int32_t height_ = 0;
  std::shared_ptr<std::vector<TColor>> pixels_;
};
