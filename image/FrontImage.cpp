#include "FrontImage.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>
#include <vector>

#include "common/Diagnosis.h"

TFrontImage::TFrontImage(TSurfaces& surfaces, TDecodeObserver& observer) : surfaces_(surfaces), observer_(observer) {}

bool TFrontImage::CanBinarize(std::int32_t width, std::int32_t height) {
  if (width == 0 && height == 0) return true;
  return width >= 2 && height >= 1;
}

namespace {

// The weighted sum 30 red + 59 green + 11 blue (0 to 25500) of every pixel of
// a row, whose grey level is the sum divided by 100 and truncated.
// Darken(dark, width, scaled) sets dark[x] to 1 where that sum is below
// `scaled`, to 0 elsewhere.
struct TColourRow {
  const std::uint32_t* colours;  // 0x00BBGGRR, the top byte ignored
  std::int32_t operator()(std::int32_t x) const {
    const std::uint32_t c = colours[x];
    return static_cast<std::int32_t>(30 * (c & 0xFF) + 59 * ((c >> 8) & 0xFF) + 11 * ((c >> 16) & 0xFF));
  }
  void Darken(std::uint8_t* dark, std::int32_t width, std::int32_t scaled) const {
    for (std::int32_t x = 0; x < width; ++x) dark[x] = (*this)(x) < scaled ? 1 : 0;
  }
};

}  // namespace

namespace binarize_detail {

// Three bytes a pixel keep the compiler from using plain vector instructions;
// with AVX2 the loop runs as fast as on four-byte colours, so on x86-64 it is
// compiled twice and the processor's kind picks the version at load time.
#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
__attribute__((target_clones("avx2", "default")))
#endif
void DarkenPackedRow(const std::uint8_t* rgb, std::uint8_t* dark, std::int32_t width, std::int32_t scaled) {
  for (std::int32_t x = 0; x < width; ++x) {
    const std::uint8_t* p = rgb + 3 * static_cast<std::size_t>(x);
    dark[x] = 30 * p[0] + 59 * p[1] + 11 * p[2] < scaled ? 1 : 0;
  }
}

}  // namespace binarize_detail

namespace {

// Dark pixels of a row of the binary plane (bytes 0 or 1), eight bytes a
// step: up to 255 words add into one word without a byte overflowing into its
// neighbour, and the eight byte sums are then added up in two steps. A plain
// byte loop costs several times more, some 2 % of a whole decode.
std::int64_t CountDark(const std::uint8_t* dark, std::int32_t width) {
  constexpr std::uint64_t kEvenBytes = 0x00FF00FF00FF00FFull;
  std::int64_t total = 0;
  std::int32_t x = 0;
  while (x + 8 <= width) {
    std::uint64_t lanes = 0;
    const std::int32_t end = std::min(width - 7, x + 8 * 255);
    for (; x < end; x += 8) {
      std::uint64_t word;
      std::memcpy(&word, dark + x, sizeof word);
      lanes += word;
    }
    const std::uint64_t pairs = (lanes & kEvenBytes) + ((lanes >> 8) & kEvenBytes);
    total += static_cast<std::int64_t>((pairs * 0x0001000100010001ull) >> 48);
  }
  for (; x < width; ++x) total += dark[x];
  return total;
}

struct TPackedRow {
  const std::uint8_t* rgb;  // red, green and blue bytes
  std::int32_t operator()(std::int32_t x) const {
    const std::uint8_t* p = rgb + 3 * static_cast<std::size_t>(x);
    return 30 * p[0] + 59 * p[1] + 11 * p[2];
  }
  void Darken(std::uint8_t* dark, std::int32_t width, std::int32_t scaled) const {
    binarize_detail::DarkenPackedRow(rgb, dark, width, scaled);
  }
};

}  // namespace

const TPlaneBoolean& TFrontImage::Binarize(const TPlaneInteger& colours, std::int32_t width,
                                           std::int32_t height) {
  if (!CanBinarize(width, height))
    throw std::invalid_argument("a picture needs at least two columns and one row to be binarized");
  if (colours.Width() != width || colours.Height() != height)
    throw std::invalid_argument("the colour plane does not match the picture size");
  return BinarizeRows(width, height, [&colours](std::int32_t y) {
    return TColourRow{reinterpret_cast<const std::uint32_t*>(colours.Row(y))};
  });
}

const TPlaneBoolean& TFrontImage::Binarize(const TBitmap& picture) {
  if (!CanBinarize(picture.Width(), picture.Height()))
    throw std::invalid_argument("a picture needs at least two columns and one row to be binarized");
  // A packed photograph is read byte by byte, other pictures row by row as colours.
  if (picture.PackedRow(0) != nullptr)
    return BinarizeRows(picture.Width(), picture.Height(),
                        [&picture](std::int32_t y) { return TPackedRow{picture.PackedRow(y)}; });
  std::vector<TColor> scratch(static_cast<std::size_t>(picture.Width()));
  return BinarizeRows(picture.Width(), picture.Height(), [&picture, &scratch](std::int32_t y) {
    return TColourRow{picture.ReadRow(y, scratch.data())};
  });
}

TGreyHistogram TFrontImage::GreyHistogram(const TBitmap& picture) {
  TGreyHistogram histogram{};
  if (picture.Empty()) return histogram;
  const auto count = [&](const auto& row) {
    for (std::int32_t x = 0; x < picture.Width(); ++x) ++histogram[static_cast<std::size_t>(row(x) / 100)];
  };
  if (picture.PackedRow(0) != nullptr) {
    for (std::int32_t y = 0; y < picture.Height(); ++y) count(TPackedRow{picture.PackedRow(y)});
  } else {
    std::vector<TColor> scratch(static_cast<std::size_t>(picture.Width()));
    for (std::int32_t y = 0; y < picture.Height(); ++y) count(TColourRow{picture.ReadRow(y, scratch.data())});
  }
  return histogram;
}

template <typename RowOf>
const TPlaneBoolean& TFrontImage::BinarizeRows(std::int32_t width, std::int32_t height, RowOf rowOf) {
  observer_.Enter(TStage::Binarization);
  width_ = width;
  height_ = height;
  TBinarizationFigures figures;
  figures.width = width;
  figures.height = height;
  figures.offset = offset_;

  // Threshold: the sum of the middle row's grey levels divided by W - 1 (not W),
  // so it sits a little above the row mean. The empty picture has threshold 0.
  threshold_ = 0;
  if (width > 0) {
    const auto middle = rowOf(height / 2);
    figures.middleRow.resize(static_cast<std::size_t>(width));
    std::int64_t sum = 0;
    for (std::int32_t x = 0; x < width; ++x) {
      const std::int32_t grey = middle(x) / 100;
      sum += grey;
      figures.middleRow[static_cast<std::size_t>(x)] = static_cast<std::uint8_t>(grey);
      ++figures.middleRowHistogram[static_cast<std::size_t>(grey)];
    }
    threshold_ = static_cast<std::int32_t>(sum / (width - 1));
  }
  figures.threshold = threshold_;

  // A pixel is dark when grey + offset < threshold; equal is light. With the
  // weighted sum s and grey = s / 100 truncated, grey < limit holds exactly
  // when s < 100 * limit, which spares the division in the loop over every pixel.
  const std::int64_t limit = static_cast<std::int64_t>(threshold_) - offset_;
  const std::int32_t scaled = static_cast<std::int32_t>(std::clamp<std::int64_t>(limit, -1, 256) * 100);

  // Pictures of the previous plane may still be shown: never write into it then.
  if (!binary_ || binary_.use_count() > 1) binary_ = std::make_shared<TPlaneBoolean>();
  binary_->ResizeForOverwrite(width, height);
  for (std::int32_t y = 0; y < height; ++y) {
    rowOf(y).Darken(binary_->Row(y), width, scaled);
    figures.darkPixels += CountDark(binary_->Row(y), width);
  }
  observer_.Binarized(figures);
  surfaces_.ShareBinaryPlane(binary_);
  surfaces_.Image(TImagePaneId::FrontImage).ReplacePicture(TBitmap::FromSharedPlane(binary_, width, height));
  return *binary_;
}
