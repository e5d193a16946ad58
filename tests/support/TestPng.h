#pragma once

// PNG files for tests, benchmarks and the fuzzers' seeds, written by libpng
// in every colour type, bit depth and interlacing a PNG file may have.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "common/Bitmap.h"

namespace testing_support {

// One pixel, 16 bits a sample; opaque unless said otherwise.
struct TRgba16 {
  std::uint16_t r = 0, g = 0, b = 0, a = 0xFFFF;
};

enum class TPngColours { Grey, GreyAlpha, Rgb, Rgba, Palette };

struct TPngCoding {
  TPngCoding(TPngColours colours = TPngColours::Rgb, int depth = 8, bool interlaced = false,
             std::optional<TRgba16> transparent = std::nullopt)
      : colours(colours), depth(depth), interlaced(interlaced), transparent(transparent) {}

  TPngColours colours;
  int depth;  // bits a sample (a palette index for Palette)
  bool interlaced;
  // Grey and Rgb files: the one colour (at the file's depth) marked transparent.
  std::optional<TRgba16> transparent;
  int level = 6;  // zlib's compression level
};

// A picture of width x height pixels, row after row, as a PNG file's bytes.
// Each sample keeps its top `depth` bits; grey is taken from red; a palette
// holds the distinct colours in order of first use, with their alpha.
// Throws std::runtime_error for a combination PNG does not allow or a palette
// over 2^depth colours.
std::string EncodePng(std::int32_t width, std::int32_t height, const std::vector<TRgba16>& pixels,
                      const TPngCoding& coding);

// An opaque picture as a PNG file.
void WritePng(const TBitmap& bitmap, const std::string& path, const TPngCoding& coding = {});

// One chunk as a file holds it: length, type, contents and checksum.
std::string PngChunk(const std::string& type, const std::string& contents);

// The PNG file's bytes with the first chunk of `type` given new contents.
std::string ReplacePngChunk(const std::string& file, const std::string& type, const std::string& contents);

// The PNG file's bytes with `chunk` (as PngChunk makes it) put before the
// first chunk of `type`.
std::string InsertPngChunk(const std::string& file, const std::string& type, const std::string& chunk);

}  // namespace testing_support
