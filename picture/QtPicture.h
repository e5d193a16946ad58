#pragma once

#include <QImage>

#include "common/Bitmap.h"

// The one conversion between the core's pictures (0x00BBGGRR colour values)
// and Qt's, pixel for pixel, for the loader, the window and the command line.

// One colour value as Qt's opaque 0xFFRRGGBB: the red and blue bytes swapped.
inline QRgb ToQRgb(TColor colour) {
  return 0xFF000000u | ((colour & 0xFFu) << 16) | (colour & 0xFF00u) | ((colour >> 16) & 0xFFu);
}

// An opaque QImage::Format_RGB32 picture; a null image for an empty bitmap.
// Read row by row, so that a picture over a binary plane is never widened to
// four bytes a pixel. Throws std::runtime_error when Qt has no memory for it.
QImage ToQImage(const TBitmap& bitmap);

// The colours of any QImage, alpha dropped.
TBitmap FromQImage(const QImage& image);
