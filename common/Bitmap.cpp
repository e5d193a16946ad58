#include "Bitmap.h"

#include "Memory.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <stdexcept>
#include <vector>

namespace {

void CheckSize(std::int32_t width, std::int32_t height) {
  if (width < 0 || height < 0) throw std::invalid_argument("bitmap size must not be negative");
}

// Beyond this share of painted pixels a picture made from a plane becomes an
// ordinary one: the painted pixels would soon cost more than the colour values.
constexpr std::size_t kPaintedShare = 16;

// Room for `count` colour values, not set.
std::shared_ptr<TColor[]> NewColours(std::size_t count) {
  TColor* block = static_cast<TColor*>(AllocateBlock(count * sizeof(TColor)));
  return std::shared_ptr<TColor[]>(block, [](TColor* colours) { FreeBlock(colours); });
}

// Room for `count` bytes, not set.
std::shared_ptr<std::uint8_t[]> NewBytes(std::size_t count) {
  auto* block = static_cast<std::uint8_t*>(AllocateBlock(count));
  return std::shared_ptr<std::uint8_t[]>(block, [](std::uint8_t* bytes) { FreeBlock(bytes); });
}

TColor PackedColour(const std::uint8_t* rgb) {
  return static_cast<TColor>(rgb[0]) | (static_cast<TColor>(rgb[1]) << 8) | (static_cast<TColor>(rgb[2]) << 16);
}

// Colours of one packed row.
void PackedRowColours(const std::uint8_t* rgb, std::int32_t width, TColor* out) {
  for (std::int32_t x = 0; x < width; ++x) out[x] = PackedColour(rgb + 3 * static_cast<std::size_t>(x));
}

// Colours of one plane row: black where dark.
void PlaneRow(const std::uint8_t* dark, std::int32_t width, TColor* out) {
  for (std::int32_t x = 0; x < width; ++x) out[x] = dark[x] ? kBlack : kWhite;
}

}  // namespace

const std::vector<TBitmap::TPainted::TEntry>& TBitmap::TPainted::Sorted() {
  if (sorted_ == entries_.size()) return entries_;
  // In order of position; of the entries of one position the last written stays.
  std::stable_sort(entries_.begin(), entries_.end(),
                   [](const TEntry& a, const TEntry& b) { return a.first < b.first; });
  std::size_t kept = 0;
  for (std::size_t i = 0; i < entries_.size(); ++i) {
    if (i + 1 < entries_.size() && entries_[i + 1].first == entries_[i].first) continue;
    entries_[kept++] = entries_[i];
  }
  entries_.resize(kept);
  sorted_ = kept;
  return entries_;
}

TBitmap TBitmap::WithoutFill(std::int32_t width, std::int32_t height) {
  CheckSize(width, height);
  TBitmap bitmap;
  bitmap.width_ = width;
  bitmap.height_ = height;
  bitmap.pixels_ = NewColours(bitmap.Area());
  return bitmap;
}

TBitmap TBitmap::PackedWithoutFill(std::int32_t width, std::int32_t height) {
  CheckSize(width, height);
  TBitmap bitmap;
  bitmap.width_ = width;
  bitmap.height_ = height;
  bitmap.packed_ = NewBytes(bitmap.Area() * 3);
  return bitmap;
}

TBitmap TBitmap::FromPlane(const TPlaneBoolean& plane) {
  return FromSharedPlane(std::make_shared<const TPlaneBoolean>(plane), plane.Width(), plane.Height());
}

TBitmap TBitmap::FromSharedPlane(std::shared_ptr<const TPlaneBoolean> plane, std::int32_t width,
                                 std::int32_t height) {
  TBitmap bitmap;
  if (!plane) return bitmap;
  bitmap.width_ = std::clamp(width, 0, plane->Width());
  bitmap.height_ = std::clamp(height, 0, plane->Height());
  bitmap.plane_ = std::move(plane);
  return bitmap;
}

TBitmap TBitmap::Detached() const {
  TBitmap copy;
  copy.width_ = width_;
  copy.height_ = height_;
  if (plane_) {
    copy.plane_ = std::make_shared<const TPlaneBoolean>(*plane_);
    if (painted_) copy.painted_ = std::make_shared<TPainted>(*painted_);
  } else if (packed_) {
    copy.packed_ = NewBytes(Area() * 3);
    std::memcpy(copy.packed_.get(), packed_.get(), Area() * 3);
  } else if (pixels_) {
    copy.pixels_ = NewColours(Area());
    std::memcpy(copy.pixels_.get(), pixels_.get(), Area() * sizeof(TColor));
  }
  return copy;
}

void TBitmap::SetSize(std::int32_t width, std::int32_t height) {
  CheckSize(width, height);
  width_ = width;
  height_ = height;
  plane_.reset();
  painted_.reset();
  packed_.reset();
  pixels_ = NewColours(Area());
  std::fill_n(pixels_.get(), Area(), kWhite);
}

TColor TBitmap::Pixel(std::int32_t x, std::int32_t y) const {
  if (!Contains(x, y)) return kWhite;
  if (plane_) {
    if (painted_) {
      const std::vector<TPainted::TEntry>& painted = painted_->Sorted();
      const std::size_t index = Index(x, y);
      const auto found = std::lower_bound(painted.begin(), painted.end(), index,
                                          [](const TPainted::TEntry& e, std::size_t i) { return e.first < i; });
      if (found != painted.end() && found->first == index) return found->second;
    }
    return (*plane_)(x, y) ? kBlack : kWhite;
  }
  if (packed_) return PackedColour(packed_.get() + 3 * Index(x, y));
  return pixels_[Index(x, y)];
}

void TBitmap::SetPixel(std::int32_t x, std::int32_t y, TColor color) {
  if (!Contains(x, y)) return;
  if (plane_) {
    if (!painted_)
      painted_ = std::make_shared<TPainted>();
    else if (painted_.use_count() > 1)
      painted_ = std::make_shared<TPainted>(*painted_);
    painted_->Add(Index(x, y), color);
    if (painted_->Written() > Area() / kPaintedShare) Materialise();
    return;
  }
  if (packed_) Materialise();
  Unshare();
  pixels_[Index(x, y)] = color;
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

const TColor* TBitmap::ReadRow(std::int32_t y, TColor* scratch) const {
  if (packed_) {
    PackedRowColours(packed_.get() + 3 * Index(0, y), width_, scratch);
    return scratch;
  }
  if (!plane_) return pixels_.get() + static_cast<std::size_t>(y) * static_cast<std::size_t>(width_);
  PlaneRow(plane_->Row(y), width_, scratch);
  if (painted_) {
    const std::vector<TPainted::TEntry>& painted = painted_->Sorted();
    const std::size_t first = Index(0, y);
    auto it = std::lower_bound(painted.begin(), painted.end(), first,
                               [](const TPainted::TEntry& e, std::size_t i) { return e.first < i; });
    for (; it != painted.end() && it->first < first + static_cast<std::size_t>(width_); ++it)
      scratch[it->first - first] = it->second;
  }
  return scratch;
}

const TColor* TBitmap::Row(std::int32_t y) const {
  Materialise();
  return pixels_.get() + static_cast<std::size_t>(y) * static_cast<std::size_t>(width_);
}

TColor* TBitmap::MutableRow(std::int32_t y) {
  if (plane_ || packed_)
    Materialise();
  else
    Unshare();
  return pixels_.get() + static_cast<std::size_t>(y) * static_cast<std::size_t>(width_);
}

const std::uint8_t* TBitmap::PackedRow(std::int32_t y) const {
  return packed_ ? packed_.get() + 3 * Index(0, y) : nullptr;
}

std::uint8_t* TBitmap::MutablePackedRow(std::int32_t y) {
  if (!packed_) return nullptr;
  if (packed_.use_count() > 1) {
    std::shared_ptr<std::uint8_t[]> copy = NewBytes(Area() * 3);
    std::memcpy(copy.get(), packed_.get(), Area() * 3);
    packed_ = std::move(copy);
  }
  return packed_.get() + 3 * Index(0, y);
}

void TBitmap::Materialise() const {
  if (packed_) {
    std::shared_ptr<TColor[]> pixels = NewColours(Area());
    for (std::int32_t y = 0; y < height_; ++y)
      PackedRowColours(packed_.get() + 3 * Index(0, y), width_, pixels.get() + Index(0, y));
    pixels_ = std::move(pixels);
    packed_.reset();
    return;
  }
  if (!plane_) return;
  std::shared_ptr<TColor[]> pixels = NewColours(Area());
  for (std::int32_t y = 0; y < height_; ++y) PlaneRow(plane_->Row(y), width_, pixels.get() + Index(0, y));
  if (painted_)
    for (const auto& [index, color] : painted_->Sorted()) pixels[index] = color;
  pixels_ = std::move(pixels);
  plane_.reset();
  painted_.reset();
}

void TBitmap::Unshare() {
  if (pixels_ && pixels_.use_count() > 1) {
    std::shared_ptr<TColor[]> copy = NewColours(Area());
    std::memcpy(copy.get(), pixels_.get(), Area() * sizeof(TColor));
    pixels_ = std::move(copy);
  }
}

bool TBitmap::SharesPixels(const TBitmap& other) const {
  if (width_ != other.width_ || height_ != other.height_) return false;
  if (Empty()) return true;
  if (plane_) return plane_ == other.plane_ && painted_ == other.painted_;
  if (packed_) return packed_ == other.packed_;
  return !other.plane_ && !other.packed_ && pixels_ == other.pixels_;
}

bool operator==(const TBitmap& a, const TBitmap& b) {
  if (a.width_ != b.width_ || a.height_ != b.height_) return false;
  if (a.Empty()) return true;
  if (!a.plane_ && !b.plane_ && !a.packed_ && !b.packed_ && a.pixels_ == b.pixels_) return true;
  if (a.packed_ && a.packed_ == b.packed_) return true;
  if (a.plane_ && a.plane_ == b.plane_ && a.painted_ == b.painted_) return true;
  std::vector<TColor> scratchA(static_cast<std::size_t>(a.width_));
  std::vector<TColor> scratchB(static_cast<std::size_t>(a.width_));
  const std::size_t bytes = static_cast<std::size_t>(a.width_) * sizeof(TColor);
  for (std::int32_t y = 0; y < a.height_; ++y)
    if (std::memcmp(a.ReadRow(y, scratchA.data()), b.ReadRow(y, scratchB.data()), bytes) != 0) return false;
  return true;
}
