#include "FrontImage.h"

#include <stdexcept>

#include "common/Bitmap.h"

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
  width_ = width;
  height_ = height;

  // Threshold: the sum of the middle row's grey levels divided by W - 1 (not W),
  // so it sits a little above the row mean. The empty picture has threshold 0.
  threshold_ = 0;
  if (width > 0) {
    const std::int32_t* middle = colours.Row(height / 2);
    std::int64_t sum = 0;
    for (std::int32_t x = 0; x < width; ++x) sum += Grey(middle[x]);
    threshold_ = static_cast<std::int32_t>(sum / (width - 1));
  }

  // Decision and picture in one pass over the rows. The grey level of every
  // pixel is recomputed here rather than kept in a plane of its own: it is
  // cheap, and a large photograph would otherwise cost four more bytes a pixel.
  // A pixel is dark when grey + offset < threshold; equal is light.
  binary_.Resize(width, height);
  TBitmap picture(width, height);
  const std::int64_t limit = static_cast<std::int64_t>(threshold_) - offset_;
  for (std::int32_t y = 0; y < height; ++y) {
    const std::int32_t* source = colours.Row(y);
    std::uint8_t* dark = binary_.Row(y);
    TColor* pixels = picture.MutableRow(y);
    for (std::int32_t x = 0; x < width; ++x) {
      const bool isDark = Grey(source[x]) < limit;
      dark[x] = isDark ? 1 : 0;
      pixels[x] = isDark ? kBlack : kWhite;
    }
  }
  surfaces_.Image(TImagePaneId::FrontImage).ReplacePicture(picture);
  return binary_;
}
