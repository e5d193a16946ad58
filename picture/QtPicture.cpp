#include "QtPicture.h"

#include <stdexcept>
#include <vector>

QImage ToQImage(const TBitmap& bitmap) {
  if (bitmap.Empty()) return {};
  QImage image(bitmap.Width(), bitmap.Height(), QImage::Format_RGB32);
  if (image.isNull()) throw std::runtime_error("not enough memory for a picture of the panes");
  const std::int32_t width = bitmap.Width();
  std::vector<TColor> scratch(static_cast<std::size_t>(width));
  for (std::int32_t y = 0; y < bitmap.Height(); ++y) {
    const TColor* source = bitmap.ReadRow(y, scratch.data());
    auto* target = reinterpret_cast<QRgb*>(image.scanLine(y));
    for (std::int32_t x = 0; x < width; ++x) target[x] = ToQRgb(source[x]);
  }
  return image;
}

TBitmap FromQImage(const QImage& image) {
  const QImage rgb = image.format() == QImage::Format_RGB32 ? image : image.convertToFormat(QImage::Format_RGB32);
  TBitmap bitmap = TBitmap::WithoutFill(rgb.width(), rgb.height());
  for (int y = 0; y < rgb.height(); ++y) {
    const auto* source = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
    TColor* target = bitmap.MutableRow(y);
    for (int x = 0; x < rgb.width(); ++x) {
      const QRgb p = source[x];
      target[x] = static_cast<TColor>(qRed(p)) | (static_cast<TColor>(qGreen(p)) << 8) |
                  (static_cast<TColor>(qBlue(p)) << 16);
    }
  }
  return bitmap;
}
