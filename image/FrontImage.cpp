#include "FrontImage.h"

#include <algorithm>
#include <stdexcept>
#include <vector>

TFrontImage::TFrontImage(TSurfaces& surfaces) : surfaces_(surfaces) {}

bool TFrontImage::CanBinarize(std::int32_t width, std::int32_t height) {
  if (width == 0 && height == 0) return true;
  return width >= 2 && height >= 1;
}

const TPlaneBoolean& TFrontImage::Binarize(const TPlaneInteger& colours, std::int32_t width,
                                           std::int32_t height) {
  if (!CanBinarize(width, height))
    throw std::invalid_argument("a picture needs at least two columns and one row to be binarized");
  if (colours.Width() != width || colours.Height() != height)
    throw std::invalid_argument("the colour plane does not match the picture size");
  return BinarizeRows(width, height, [&colours](std::int32_t y, std::uint32_t*) {
    return reinterpret_cast<const std::uint32_t*>(colours.Row(y));
  });
}

const TPlaneBoolean& TFrontImage::Binarize(const TBitmap& picture) {
  if (!CanBinarize(picture.Width(), picture.Height()))
    throw std::invalid_argument("a picture needs at least two columns and one row to be binarized");
  return BinarizeRows(picture.Width(), picture.Height(),
                      [&picture](std::int32_t y, std::uint32_t* scratch) { return picture.ReadRow(y, scratch); });
}

template <typename RowOf>
const TPlaneBoolean& TFrontImage::BinarizeRows(std::int32_t width, std::int32_t height, RowOf rowOf) {
  width_ = width;
  height_ = height;
  std::vector<std::uint32_t> scratch(static_cast<std::size_t>(width));

  // Threshold: the sum of the middle row's grey levels divided by W - 1 (not W),
  // so it sits a little above the row mean. The empty picture has threshold 0.
  threshold_ = 0;
  if (width > 0) {
    const std::uint32_t* middle = rowOf(height / 2, scratch.data());
    std::int64_t sum = 0;
    for (std::int32_t x = 0; x < width; ++x) sum += Grey(static_cast<std::int32_t>(middle[x]));
    threshold_ = static_cast<std::int32_t>(sum / (width - 1));
  }

  // A pixel is dark when grey + offset < threshold; equal is light. With the
  // weighted sum s = 30 red + 59 green + 11 blue (0 to 25500) and grey = s / 100
  // truncated, grey < limit holds exactly when s < 100 * limit, which spares
  // the division in the loop over every pixel.
  const std::int64_t limit = static_cast<std::int64_t>(threshold_) - offset_;
  const std::int32_t scaled = static_cast<std::int32_t>(std::clamp<std::int64_t>(limit, -1, 256) * 100);

  // Pictures of the previous plane may still be shown: never write into it then.
  if (!binary_ || binary_.use_count() > 1) binary_ = std::make_shared<TPlaneBoolean>();
  binary_->ResizeForOverwrite(width, height);
  for (std::int32_t y = 0; y < height; ++y) {
    const std::uint32_t* source = rowOf(y, scratch.data());
    std::uint8_t* dark = binary_->Row(y);
    for (std::int32_t x = 0; x < width; ++x) {
      const std::uint32_t c = source[x];
      const std::int32_t weighted = static_cast<std::int32_t>(30 * (c & 0xFF) + 59 * ((c >> 8) & 0xFF) +
                                                              11 * ((c >> 16) & 0xFF));
      dark[x] = weighted < scaled ? 1 : 0;
    }
  }
  surfaces_.ShareBinaryPlane(binary_);
  surfaces_.Image(TImagePaneId::FrontImage).ReplacePicture(TBitmap::FromSharedPlane(binary_, width, height));
  return *binary_;
}
