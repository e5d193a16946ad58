#include "TestSymbols.h"

#include <qrencode.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <memory>
#include <sstream>
#include <stdexcept>
#include <string>

#include "picture/BmpFile.h"
#include "picture/JpegFile.h"

namespace testing_support {

namespace {

QRencodeMode ToEncoderMode(TSegmentMode mode) {
  switch (mode) {
    case TSegmentMode::Numeric: return QR_MODE_NUM;
    case TSegmentMode::Alphanumeric: return QR_MODE_AN;
    case TSegmentMode::Byte: return QR_MODE_8;
    case TSegmentMode::Kanji: return QR_MODE_KANJI;
    case TSegmentMode::Eci: return QR_MODE_ECI;
  }
  return QR_MODE_8;
}

TTestSymbol FromEncoder(QRcode* code) {
  if (code == nullptr) throw std::runtime_error("the encoder refused the data");
  TTestSymbol symbol;
  symbol.version = code->version;
  symbol.size = code->width;
  symbol.modules.assign(code->data, code->data + static_cast<std::size_t>(code->width) * code->width);
  QRcode_free(code);
  return symbol;
}

}  // namespace

TPlaneBoolean TTestSymbol::Matrix() const {
  TPlaneBoolean plane(size, size);
  for (std::int32_t y = 0; y < size; ++y)
    for (std::int32_t x = 0; x < size; ++x) plane[x][y] = Dark(x, y) ? 1 : 0;
  return plane;
}

TTestSymbol EncodeSegments(const std::vector<TSegment>& segments, int version, int level) {
  std::unique_ptr<QRinput, decltype(&QRinput_free)> input(
      QRinput_new2(version, static_cast<QRecLevel>(level)), &QRinput_free);
  if (!input) throw std::runtime_error("cannot create encoder input");
  for (const TSegment& segment : segments) {
    if (segment.mode == TSegmentMode::Eci) {
      if (QRinput_appendECIheader(input.get(), static_cast<unsigned int>(std::stoul(segment.data))) != 0)
        throw std::runtime_error("the encoder refused an ECI designator");
      continue;
    }
    if (QRinput_append(input.get(), ToEncoderMode(segment.mode), static_cast<int>(segment.data.size()),
                       reinterpret_cast<const unsigned char*>(segment.data.data())) != 0)
      throw std::runtime_error("the encoder refused a segment");
  }
  return FromEncoder(QRcode_encodeInput(input.get()));
}

TTestSymbol EncodeBytes(const std::string& bytes, int version, int level) {
  return FromEncoder(QRcode_encodeData(static_cast<int>(bytes.size()),
                                       reinterpret_cast<const unsigned char*>(bytes.data()), version,
                                       static_cast<QRecLevel>(level)));
}

TBitmap RenderSymbol(const TTestSymbol& symbol, int moduleSize, int quietModules, int quarterTurns) {
  const int side = (symbol.size + 2 * quietModules) * moduleSize;
  TBitmap bitmap(side, side);
  const int turns = ((quarterTurns % 4) + 4) % 4;
  for (int my = 0; my < symbol.size; ++my) {
    for (int mx = 0; mx < symbol.size; ++mx) {
      if (!symbol.Dark(mx, my)) continue;
      // Where module (mx, my) lands after the clockwise quarter turns.
      int x = mx, y = my;
      for (int t = 0; t < turns; ++t) {
        const int nx = symbol.size - 1 - y;
        y = x;
        x = nx;
      }
      const int left = (x + quietModules) * moduleSize;
      const int top = (y + quietModules) * moduleSize;
      for (int dy = 0; dy < moduleSize; ++dy)
        for (int dx = 0; dx < moduleSize; ++dx) bitmap.SetPixel(left + dx, top + dy, kBlack);
    }
  }
  return bitmap;
}

TBitmap RenderSymbolRotated(const TTestSymbol& symbol, int moduleSize, int quietModules, double degrees) {
  const TBitmap upright = RenderSymbol(symbol, moduleSize, quietModules, 0);
  const int side = upright.Width();
  // Room for the corners after the turn.
  const int out = static_cast<int>(std::ceil(side * 1.42)) + 2;
  TBitmap bitmap(out, out);
  const double radians = degrees * M_PI / 180.0;
  const double c = std::cos(radians), s = std::sin(radians);
  const double centreIn = side / 2.0, centreOut = out / 2.0;
  for (int y = 0; y < out; ++y) {
    for (int x = 0; x < out; ++x) {
      // Inverse turn: which upright pixel lands here.
      const double dx = x + 0.5 - centreOut, dy = y + 0.5 - centreOut;
      const int sx = static_cast<int>(std::floor(c * dx + s * dy + centreIn));
      const int sy = static_cast<int>(std::floor(-s * dx + c * dy + centreIn));
      if (upright.Contains(sx, sy) && upright.Pixel(sx, sy) == kBlack) bitmap.SetPixel(x, y, kBlack);
    }
  }
  return bitmap;
}

TPlaneBoolean ThresholdPlane(const TBitmap& bitmap) {
  TPlaneBoolean plane(bitmap.Width(), bitmap.Height());
  for (std::int32_t y = 0; y < bitmap.Height(); ++y)
    for (std::int32_t x = 0; x < bitmap.Width(); ++x) {
      const TColor c = bitmap.Pixel(x, y);
      const int grey = ((c & 0xFF) + ((c >> 8) & 0xFF) + ((c >> 16) & 0xFF)) / 3;
      plane[x][y] = grey < 128 ? 1 : 0;
    }
  return plane;
}

void WriteBmp(const TBitmap& bitmap, const std::string& path) { WriteFile(path, EncodeBmp(bitmap)); }

void WriteJpeg(const TBitmap& bitmap, const std::string& path, int quality) {
  WriteJpeg(bitmap, path, quality, TJpegCoding{});
}

void WriteJpeg(const TBitmap& bitmap, const std::string& path, int quality, const TJpegCoding& coding) {
  ::TJpegCoding product;
  product.progressive = coding.progressive;
  product.arithmetic = coding.arithmetic;
  product.grey = coding.grey;
  product.scans = coding.scans;
  product.restartRows = coding.restartRows;
  WriteFile(path, EncodeJpeg(bitmap, quality, product));
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + path);
  std::ostringstream content;
  content << in.rdbuf();
  return content.str();
}

void WriteFile(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary);
  if (!out) throw std::runtime_error("cannot write " + path);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

}  // namespace testing_support
