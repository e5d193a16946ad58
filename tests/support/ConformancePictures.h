#pragma once

// Further test pictures for the end-to-end tests: symbols with chosen codewords
// damaged, and JPEG files read back the way the program's loader reads them.
// Header only, so that it adds nothing to the shared test library.

#include <algorithm>
#include <csetjmp>
#include <cstdint>
#include <cstdio>
#include <stdexcept>
#include <string>
#include <vector>

// After <cstdio>: the library's header uses FILE without declaring it.
#include <jpeglib.h>

#include "TestSymbols.h"
#include "common/Bitmap.h"
#include "common/Types.h"

namespace testing_support {

// The same pixels in a packed picture of three bytes a pixel, as the JPEG loader makes them.
inline TBitmap Packed(const TBitmap& picture) {
  TBitmap packed = TBitmap::PackedWithoutFill(picture.Width(), picture.Height());
  for (std::int32_t y = 0; y < picture.Height(); ++y) {
    std::uint8_t* rgb = packed.MutablePackedRow(y);
    for (std::int32_t x = 0; x < picture.Width(); ++x)
      for (int c = 0; c < 3; ++c) rgb[3 * x + c] = static_cast<std::uint8_t>(picture.Pixel(x, y) >> (8 * c));
  }
  return packed;
}

// Inverts module (x, y) of the symbol.
inline void FlipModule(TTestSymbol& symbol, std::int32_t x, std::int32_t y) {
  symbol.modules[static_cast<std::size_t>(y) * static_cast<std::size_t>(symbol.size) + static_cast<std::size_t>(x)] ^= 0x01;
}

// The modules of the symbol in codeword placement order: two-column strips from
// the right edge, upward and downward in turn, the vertical timing column stepped
// over, skipping every module that the encoder marked as a function pattern.
// Module 8k is the first (most significant) bit of codeword k.
inline std::vector<TPoint> PlacementOrder(const TTestSymbol& symbol) {
  std::vector<TPoint> order;
  bool upward = true;
  for (std::int32_t right = symbol.size - 1; right >= 1; right -= 2) {
    if (right == 6) right = 5;
    for (std::int32_t i = 0; i < symbol.size; ++i) {
      const std::int32_t y = upward ? symbol.size - 1 - i : i;
      for (std::int32_t x = right; x >= right - 1; --x)
        if (!symbol.Function(x, y)) order.push_back({x, y});
    }
    upward = !upward;
  }
  return order;
}

// Makes codeword k (in placement order) wrong by inverting one of its modules:
// the one farthest from the bottom and right edges, so that the damage does not
// move the corner and edges that locate the symbol.
inline void DamageCodeword(TTestSymbol& symbol, std::int32_t k) {
  const std::vector<TPoint> order = PlacementOrder(symbol);
  const std::size_t first = static_cast<std::size_t>(k) * 8;
  if (k < 0 || first + 8 > order.size()) throw std::out_of_range("no such codeword");
  TPoint chosen = order[first];
  std::int32_t best = -1;
  for (std::size_t i = first; i < first + 8; ++i) {
    const std::int32_t margin = std::min(symbol.size - 1 - order[i].x, symbol.size - 1 - order[i].y);
    if (margin > best) {
      best = margin;
      chosen = order[i];
    }
  }
  FlipModule(symbol, chosen.x, chosen.y);
}

// Codeword index of the first of n data codewords of block b (of `blocks`) to
// damage: data codeword j of block b is codeword j * blocks + b; the first ones
// lie in the four columns at the right edge, next to the corner that locates the
// symbol, so the damage starts past them.
inline std::int32_t FirstDamageIndex(const TTestSymbol& symbol, std::int32_t blocks, std::int32_t b) {
  std::int32_t j = 0;
  while (j * blocks + b < 2 * (symbol.version + 2)) ++j;
  return j;
}

// Reads a JPEG file as the program's loader does: full size, 24-bit colour,
// block smoothing, accurate integer DCT, no colour quantization.
inline TBitmap ReadJpeg(const std::string& path) {
  struct Errors {
    jpeg_error_mgr manager;
    std::jmp_buf jump;
  };
  FILE* in = std::fopen(path.c_str(), "rb");
  if (in == nullptr) throw std::runtime_error("cannot read " + path);
  jpeg_decompress_struct info{};
  Errors errors{};
  info.err = jpeg_std_error(&errors.manager);
  errors.manager.error_exit = [](j_common_ptr common) {
    std::longjmp(reinterpret_cast<Errors*>(common->err)->jump, 1);
  };
  TBitmap bitmap;
  if (setjmp(errors.jump) != 0) {
    jpeg_destroy_decompress(&info);
    std::fclose(in);
    throw std::runtime_error("broken JPEG file " + path);
  }
  jpeg_create_decompress(&info);
  jpeg_stdio_src(&info, in);
  jpeg_read_header(&info, TRUE);
  info.out_color_space = JCS_RGB;
  info.do_block_smoothing = TRUE;
  info.dct_method = JDCT_ISLOW;
  info.quantize_colors = FALSE;
  jpeg_start_decompress(&info);
  bitmap.SetSize(static_cast<std::int32_t>(info.output_width), static_cast<std::int32_t>(info.output_height));
  std::vector<JSAMPLE> row(static_cast<std::size_t>(info.output_width) * 3);
  while (info.output_scanline < info.output_height) {
    const std::int32_t y = static_cast<std::int32_t>(info.output_scanline);
    JSAMPROW rows[1] = {row.data()};
    jpeg_read_scanlines(&info, rows, 1);
    TColor* out = bitmap.MutableRow(y);
    for (std::int32_t x = 0; x < bitmap.Width(); ++x) {
      const std::size_t at = static_cast<std::size_t>(x) * 3;
      out[x] = static_cast<TColor>(row[at]) | (static_cast<TColor>(row[at + 1]) << 8) |
               (static_cast<TColor>(row[at + 2]) << 16);
    }
  }
  jpeg_finish_decompress(&info);
  jpeg_destroy_decompress(&info);
  std::fclose(in);
  return bitmap;
}

// The symbol in dark grey 110 on light grey 116: the threshold lies near the
// middle row's mean (114), so the presets (Resolver 7) see no dark pixel and
// only a Resolver near 0 reads it.
inline TBitmap FaintSymbol(const std::string& text) {
  const TBitmap symbol = RenderSymbol(EncodeBytes(text, 2, 1), 4);
  TBitmap faint(symbol.Width(), symbol.Height());
  for (std::int32_t y = 0; y < symbol.Height(); ++y)
    for (std::int32_t x = 0; x < symbol.Width(); ++x) {
      const TColor grey = symbol.Pixel(x, y) == kBlack ? 110 : 116;
      faint.SetPixel(x, y, grey | grey << 8 | grey << 16);
    }
  return faint;
}

}  // namespace testing_support
