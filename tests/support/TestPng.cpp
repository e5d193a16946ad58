#include "TestPng.h"

#include <png.h>
#include <zlib.h>

#include <algorithm>
#include <csetjmp>
#include <stdexcept>
#include <utility>

#include "TestSymbols.h"

namespace testing_support {

namespace {

void Append(png_structp png, png_bytep data, png_size_t length) {
  static_cast<std::string*>(png_get_io_ptr(png))->append(reinterpret_cast<const char*>(data), length);
}

void NoFlush(png_structp) {}

// Samples of `depth` bits packed into bytes, the first in the high bits; 16-bit ones big-endian.
void Pack(const std::vector<std::uint16_t>& samples, int depth, std::vector<png_byte>& out) {
  out.clear();
  if (depth == 16) {
    for (const std::uint16_t s : samples) {
      out.push_back(static_cast<png_byte>(s >> 8));
      out.push_back(static_cast<png_byte>(s & 0xFF));
    }
    return;
  }
  int used = 0;
  for (const std::uint16_t s : samples) {
    if (used % 8 == 0) out.push_back(0);
    out.back() = static_cast<png_byte>(out.back() | (s << (8 - depth - used % 8)));
    used += depth;
  }
}

int ColourType(TPngColours colours) {
  switch (colours) {
    case TPngColours::Grey: return PNG_COLOR_TYPE_GRAY;
    case TPngColours::GreyAlpha: return PNG_COLOR_TYPE_GRAY_ALPHA;
    case TPngColours::Rgb: return PNG_COLOR_TYPE_RGB;
    case TPngColours::Rgba: return PNG_COLOR_TYPE_RGBA;
    case TPngColours::Palette: return PNG_COLOR_TYPE_PALETTE;
  }
  return PNG_COLOR_TYPE_RGB;
}

}  // namespace

std::string EncodePng(std::int32_t width, std::int32_t height, const std::vector<TRgba16>& pixels,
                      const TPngCoding& coding) {
  if (pixels.size() != static_cast<std::size_t>(width) * static_cast<std::size_t>(height))
    throw std::runtime_error("EncodePng: the pixels do not match the size");
  const int depth = coding.depth;
  const auto top = [depth](std::uint16_t v) { return static_cast<std::uint16_t>(depth == 16 ? v : v >> (16 - depth)); };

  // Everything libpng is given is made before the jump point, so that a jump skips no destructor.
  std::vector<png_color> palette;
  std::vector<png_byte> alphas;
  std::vector<std::vector<png_byte>> rows(static_cast<std::size_t>(height));
  std::vector<std::uint16_t> samples;
  for (std::int32_t y = 0; y < height; ++y) {
    samples.clear();
    for (std::int32_t x = 0; x < width; ++x) {
      const TRgba16& p = pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(x)];
      switch (coding.colours) {
        case TPngColours::Grey: samples.push_back(top(p.r)); break;
        case TPngColours::GreyAlpha: samples.insert(samples.end(), {top(p.r), top(p.a)}); break;
        case TPngColours::Rgb: samples.insert(samples.end(), {top(p.r), top(p.g), top(p.b)}); break;
        case TPngColours::Rgba: samples.insert(samples.end(), {top(p.r), top(p.g), top(p.b), top(p.a)}); break;
        case TPngColours::Palette: {
          const png_color colour{static_cast<png_byte>(p.r >> 8), static_cast<png_byte>(p.g >> 8), static_cast<png_byte>(p.b >> 8)};
          const png_byte alpha = static_cast<png_byte>(p.a >> 8);
          std::size_t index = 0;
          while (index < palette.size() && !(palette[index].red == colour.red && palette[index].green == colour.green &&
                                             palette[index].blue == colour.blue && alphas[index] == alpha))
            ++index;
          if (index == palette.size()) {
            if (palette.size() == (1u << depth)) throw std::runtime_error("EncodePng: too many colours for the palette");
            palette.push_back(colour);
            alphas.push_back(alpha);
          }
          samples.push_back(static_cast<std::uint16_t>(index));
          break;
        }
      }
    }
    Pack(samples, depth, rows[static_cast<std::size_t>(y)]);
  }
  // Entries after the last transparent one are opaque without being listed.
  while (!alphas.empty() && alphas.back() == 255) alphas.pop_back();
  png_color_16 key{};
  if (coding.transparent) key = {0, top(coding.transparent->r), top(coding.transparent->g), top(coding.transparent->b), top(coding.transparent->r)};
  std::vector<png_bytep> pointers;
  for (auto& row : rows) pointers.push_back(row.data());
  std::string file;

  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  if (png == nullptr || info == nullptr || setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    throw std::runtime_error("EncodePng: libpng refused the picture");
  }
  png_set_write_fn(png, &file, Append, NoFlush);
  png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), depth, ColourType(coding.colours),
               coding.interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  if (!palette.empty()) png_set_PLTE(png, info, palette.data(), static_cast<int>(palette.size()));
  if (!alphas.empty()) png_set_tRNS(png, info, alphas.data(), static_cast<int>(alphas.size()), nullptr);
  if (coding.transparent) png_set_tRNS(png, info, nullptr, 0, &key);
  png_set_compression_level(png, coding.level);
  png_write_info(png, info);
  png_write_image(png, pointers.data());
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return file;
}

void WritePng(const TBitmap& bitmap, const std::string& path, const TPngCoding& coding) {
  std::vector<TRgba16> pixels;
  pixels.reserve(static_cast<std::size_t>(bitmap.Width()) * static_cast<std::size_t>(bitmap.Height()));
  for (std::int32_t y = 0; y < bitmap.Height(); ++y)
    for (std::int32_t x = 0; x < bitmap.Width(); ++x) {
      const TColor c = bitmap.Pixel(x, y);
      pixels.push_back({static_cast<std::uint16_t>((c & 0xFF) * 257), static_cast<std::uint16_t>(((c >> 8) & 0xFF) * 257),
                        static_cast<std::uint16_t>(((c >> 16) & 0xFF) * 257), 0xFFFF});
    }
  WriteFile(path, EncodePng(bitmap.Width(), bitmap.Height(), pixels, coding));
}

std::string PngChunk(const std::string& type, const std::string& contents) {
  std::string chunk;
  for (int shift = 24; shift >= 0; shift -= 8) chunk += static_cast<char>((contents.size() >> shift) & 0xFF);
  chunk += type + contents;
  // The checksum covers the type and the contents.
  const std::uint32_t crc = static_cast<std::uint32_t>(
      crc32(0, reinterpret_cast<const Bytef*>(chunk.data() + 4), static_cast<uInt>(chunk.size() - 4)));
  for (int shift = 24; shift >= 0; shift -= 8) chunk += static_cast<char>((crc >> shift) & 0xFF);
  return chunk;
}

namespace {

// Where the first chunk of `type` starts and how many bytes it takes. Chunks
// follow the 8-byte signature: length (4 bytes, big-endian), type, contents, checksum.
std::pair<std::size_t, std::size_t> FindChunk(const std::string& file, const std::string& type) {
  std::size_t at = 8;
  while (at + 8 <= file.size()) {
    const auto byte = [&file](std::size_t i) { return static_cast<std::uint32_t>(static_cast<unsigned char>(file[i])); };
    const std::size_t length = (byte(at) << 24) | (byte(at + 1) << 16) | (byte(at + 2) << 8) | byte(at + 3);
    if (file.compare(at + 4, 4, type) == 0) return {at, std::min(file.size() - at, 12 + length)};
    at += 12 + length;
  }
  throw std::runtime_error("no " + type + " chunk in the PNG file");
}

}  // namespace

std::string ReplacePngChunk(const std::string& file, const std::string& type, const std::string& contents) {
  const auto [at, length] = FindChunk(file, type);
  return file.substr(0, at) + PngChunk(type, contents) + file.substr(at + length);
}

std::string InsertPngChunk(const std::string& file, const std::string& type, const std::string& chunk) {
  const std::size_t at = FindChunk(file, type).first;
  return file.substr(0, at) + chunk + file.substr(at);
}

}  // namespace testing_support
