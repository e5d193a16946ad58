#include "decoder/PictureOperations.h"

#include <stdexcept>
#include <vector>

bool ValidRotation(std::int32_t degrees) { return degrees == 0 || degrees == 90 || degrees == 180 || degrees == 270; }

TBitmap ApplyOperations(const TBitmap& picture, const TPictureOperations& operations) {
  if (!ValidRotation(operations.rotate)) throw std::invalid_argument("the rotation must be 0, 90, 180 or 270 degrees");
  if (!operations.Any()) return picture;
  const std::int32_t width = picture.Width(), height = picture.Height();
  const bool across = operations.rotate == 90 || operations.rotate == 270;
  TBitmap result(across ? height : width, across ? width : height);
  std::vector<TColor> scratch(static_cast<std::size_t>(width > 0 ? width : 1));
  for (std::int32_t y = 0; y < height; ++y) {
    const TColor* row = picture.ReadRow(y, scratch.data());
    for (std::int32_t x0 = 0; x0 < width; ++x0) {
      const std::int32_t x = operations.mirror ? width - 1 - x0 : x0;
      TColor colour = row[x0];
      if (operations.invert) colour ^= 0xFFFFFF;
      // Where (x, y) of the mirrored picture goes when turned clockwise.
      switch (operations.rotate) {
        case 90: result.SetPixel(height - 1 - y, x, colour); break;
        case 180: result.SetPixel(width - 1 - x, height - 1 - y, colour); break;
        case 270: result.SetPixel(y, width - 1 - x, colour); break;
        default: result.SetPixel(x, y, colour); break;
      }
    }
  }
  return result;
}

namespace {

std::string Joined(const TPictureOperations& o, const char* inverted, const char* mirrored, const std::string& turned,
                   const char* separator) {
  std::string text;
  const auto add = [&](const std::string& part) { text += (text.empty() ? "" : separator) + part; };
  if (o.invert) add(inverted);
  if (o.mirror) add(mirrored);
  if (o.rotate != 0) add(turned);
  return text;
}

}  // namespace

std::string EnglishText(const TPictureOperations& o) {
  return Joined(o, "inverted", "mirrored", "turned " + std::to_string(o.rotate) + "\u00B0", ", ");
}

std::string JapaneseText(const TPictureOperations& o) {
  return Joined(o, "白黒反転", "左右反転", std::to_string(o.rotate) + "° 回転", "、");
}

std::string CommandLineForm(const TPictureOperations& o) {
  return Joined(o, "--invert", "--mirror", "--rotate " + std::to_string(o.rotate), " ");
}
