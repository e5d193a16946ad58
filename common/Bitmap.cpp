#include "Bitmap.h"

#include <algorithm>
#include <cstdlib>
#include <stdexcept>

TBitmap TBitmap::FromPlane(const TPlaneBoolean& plane) {
  TBitmap bitmap(plane.Width(), plane.Height());
  for (std::int32_t y = 0; y < plane.Height(); ++y) {
    const std::uint8_t* source = plane.Row(y);
    TColor* target = bitmap.MutableRow(y);
    for (std::int32_t x = 0; x < plane.Width(); ++x) target[x] = source[x] ? kBlack : kWhite;
  }
  return bitmap;
}

void TBitmap::SetSize(std::int32_t width, std::int32_t height) {
  if (width < 0 || height < 0) throw std::invalid_argument("bitmap size must not be negative");
  width_ = width;
  height_ = height;
  pixels_ = std::make_shared<std::vector<TColor>>(
      static_cast<std::size_t>(width) * static_cast<std::size_t>(height), kWhite);
}

TColor TBitmap::Pixel(std::int32_t x, std::int32_t y) const {
  if (!Contains(x, y)) return kWhite;
  return (*pixels_)[static_cast<std::size_t>(y) * width_ + x];
}

void TBitmap::SetPixel(std::int32_t x, std::int32_t y, TColor color) {
  if (!Contains(x, y)) return;
  Unshare();
  (*pixels_)[static_cast<std::size_t>(y) * width_ + x] = color;
}

void TBitmap::Line(std::int32_t x0, std::int32_t y0, std::int32_t x1, std::int32_t y1, TColor color) {
  // 64-bit error terms: the end points may lie far outside the picture.
  const std::int64_t dx = std::llabs(static_cast<std::int64_t>(x1) - x0);
  const std::int64_t dy = -std::llabs(static_cast<std::int64_t>(y1) - y0);
  const std::int32_t stepX = x0 < x1 ? 1 : -1;
  const std::int32_t stepY = y0 < y1 ? 1 : -1;
  std::int64_t err = dx + dy;
  std::int32_t x = x0;
  std::int32_t y = y0;
  for (;;) {
    SetPixel(x, y, color);
    if (x == x1 && y == y1) break;
    const std::int64_t e2 = 2 * err;
    if (e2 >= dy) {
      err += dy;
      x += stepX;
    }
    if (e2 <= dx) {
      err += dx;
      y += stepY;
    }
  }
}

const TColor* TBitmap::Row(std::int32_t y) const {
  return pixels_->data() + static_cast<std::size_t>(y) * width_;
}

TColor* TBitmap::MutableRow(std::int32_t y) {
  Unshare();
  return pixels_->data() + static_cast<std::size_t>(y) * width_;
}

void TBitmap::Unshare() {
  if (pixels_ && pixels_.use_count() > 1) pixels_ = std::make_shared<std::vector<TColor>>(*pixels_);
}

bool operator==(const TBitmap& a, const TBitmap& b) {
  if (a.width_ != b.width_ || a.height_ != b.height_) return false;
  if (a.pixels_ == b.pixels_) return true;
  if (!a.pixels_ || !b.pixels_) return a.pixels_ == b.pixels_ || a.Empty();
  return *a.pixels_ == *b.pixels_;
}
