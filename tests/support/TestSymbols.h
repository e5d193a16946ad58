#pragma once

// Test pictures made by an independent encoder (libqrencode): symbols with
// known contents, rendered as pictures the way a scanner or camera would see them.

#include <cstdint>
#include <string>
#include <vector>

#include "common/Bitmap.h"
#include "common/Plane.h"

namespace testing_support {

enum class TSegmentMode { Numeric, Alphanumeric, Byte, Kanji, Eci };

struct TSegment {
  TSegmentMode mode;
  std::string data;  // Kanji data as Shift-JIS bytes; for Eci the designator in decimal
};

// A symbol as the encoder made it.
struct TTestSymbol {
  std::int32_t version = 0;
  std::int32_t size = 0;               // modules per side
  std::vector<std::uint8_t> modules;   // the encoder's bytes, row after row

  // Module (x, y) is dark.
  bool Dark(std::int32_t x, std::int32_t y) const { return modules[Index(x, y)] & 0x01; }
  // Module (x, y) belongs to a function pattern (finder, separator, timing,
  // alignment, format or version information, dark module).
  bool Function(std::int32_t x, std::int32_t y) const { return modules[Index(x, y)] & 0xFC; }
  // The matrix as a plane [x][y], True = dark.
  TPlaneBoolean Matrix() const;

 private:
  std::size_t Index(std::int32_t x, std::int32_t y) const {
    return static_cast<std::size_t>(y) * static_cast<std::size_t>(size) + static_cast<std::size_t>(x);
  }
};

// Levels 0..3 = L, M, Q, H. The encoder picks the smallest version >= `version`
// that holds the data. Throws std::runtime_error when the data does not fit.
TTestSymbol EncodeSegments(const std::vector<TSegment>& segments, int version, int level);
TTestSymbol EncodeBytes(const std::string& bytes, int version, int level);

// Renders the symbol with `moduleSize` pixels per module and a light quiet zone of
// `quietModules` modules, turned clockwise by quarterTurns x 90 degrees.
TBitmap RenderSymbol(const TTestSymbol& symbol, int moduleSize, int quietModules = 4, int quarterTurns = 0);
// Renders turned clockwise by an arbitrary angle about the picture centre (nearest pixel).
TBitmap RenderSymbolRotated(const TTestSymbol& symbol, int moduleSize, int quietModules, double degrees);

// Black where the pixel is darker than mid-grey.
TPlaneBoolean ThresholdPlane(const TBitmap& bitmap);

// Files for loader and command-line tests.
void WriteBmp(const TBitmap& bitmap, const std::string& path);
void WriteJpeg(const TBitmap& bitmap, const std::string& path, int quality = 90);
// How WriteJpeg codes: Huffman or arithmetic, sequential or progressive (libjpeg's
// own progression, or `scans` scans up to 64: the DC coefficients, then one
// coefficient of the first component a scan), colour or grey, with a restart
// marker every `restartRows` rows of blocks (0: none).
struct TJpegCoding {
  bool progressive = false;
  bool arithmetic = false;
  bool grey = false;
  int scans = 0;
  int restartRows = 0;
};
void WriteJpeg(const TBitmap& bitmap, const std::string& path, int quality, const TJpegCoding& coding);
std::string ReadFile(const std::string& path);
void WriteFile(const std::string& path, const std::string& bytes);

}  // namespace testing_support
