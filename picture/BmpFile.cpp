#include "BmpFile.h"

#include <cstdint>
#include <vector>

std::string EncodeBmp(const TBitmap& picture) {
  const std::int32_t width = picture.Width(), height = picture.Height();
  const std::size_t rowBytes = (static_cast<std::size_t>(width) * 3 + 3) / 4 * 4;
  const std::size_t imageBytes = rowBytes * static_cast<std::size_t>(height);
  std::string file(54, '\0');
  auto put32 = [&file](std::size_t at, std::uint32_t v) {
    for (std::size_t i = 0; i < 4; ++i) file[at + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
  };
  auto put16 = [&file](std::size_t at, std::uint16_t v) {
    file[at] = static_cast<char>(v & 0xFF);
    file[at + 1] = static_cast<char>(v >> 8);
  };
  file[0] = 'B';
  file[1] = 'M';
  put32(2, static_cast<std::uint32_t>(54 + imageBytes));
  put32(10, 54);   // where the pixels begin
  put32(14, 40);   // the size of the information header
  put32(18, static_cast<std::uint32_t>(width));
  put32(22, static_cast<std::uint32_t>(height));
  put16(26, 1);    // planes
  put16(28, 24);   // bits a pixel
  put32(34, static_cast<std::uint32_t>(imageBytes));
  put32(38, 2835);  // 72 dots an inch, as dots a metre
  put32(42, 2835);
  file.reserve(54 + imageBytes);
  std::string row(rowBytes, '\0');
  std::vector<TColor> scratch(static_cast<std::size_t>(width));
  for (std::int32_t y = height - 1; y >= 0; --y) {
    const TColor* colours = picture.ReadRow(y, scratch.data());
    for (std::int32_t x = 0; x < width; ++x) {
      const TColor c = colours[x];
      const std::size_t at = 3 * static_cast<std::size_t>(x);
      row[at] = static_cast<char>((c >> 16) & 0xFF);  // blue
      row[at + 1] = static_cast<char>((c >> 8) & 0xFF);
      row[at + 2] = static_cast<char>(c & 0xFF);  // red
    }
    file += row;
  }
  return file;
}
