// Writes the seed corpora of the fuzz harnesses: morilux_fuzz_seeds DIR makes
// DIR/decode, DIR/symbol, DIR/reed_solomon, DIR/data_segments, DIR/loader_jpeg,
// DIR/loader_bmp and DIR/loader_png. Symbols come from the test encoder,
// Reed-Solomon blocks and segment streams from small encoders of this file,
// JPEG and PNG files (of every kind) from the test helpers' writers and BMP
// files from a writer of this file, covering the kinds of files a user meets.
// The seeds only give the fuzzers a start: every field of the inputs is still
// mutated freely.

#include <array>
#include <cstdint>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <string>
#include <vector>

#include "GaloisField.h"
#include "TestPng.h"
#include "TestSymbols.h"
#include "common/Bitmap.h"

namespace ts = testing_support;

namespace {

using TBytes = std::string;

std::filesystem::path g_root;

void Seed(const char* corpus, const std::string& name, const TBytes& bytes) {
  const std::filesystem::path directory = g_root / corpus;
  std::filesystem::create_directories(directory);
  ts::WriteFile((directory / name).string(), bytes);
}

void Put16(TBytes& out, std::uint32_t v) {
  out += static_cast<char>(v & 0xFF);
  out += static_cast<char>((v >> 8) & 0xFF);
}
void Put32(TBytes& out, std::uint32_t v) {
  Put16(out, v & 0xFFFF);
  Put16(out, v >> 16);
}

ts::TTestSymbol Symbol(int version, int level, const std::string& text) {
  return ts::EncodeBytes(text, version, level);
}

// ---- decode: pictures in the harness's own format ----

TBytes DecodeInput(const TBitmap& picture, int format, std::int32_t resolver, std::int32_t warp,
                   std::int32_t forceVersion, std::uint8_t flags = 0) {
  TBytes out;
  out += static_cast<char>(format);
  Put16(out, static_cast<std::uint32_t>(picture.Width()));
  Put16(out, static_cast<std::uint32_t>(picture.Height()));
  Put32(out, static_cast<std::uint32_t>(resolver));
  Put32(out, static_cast<std::uint32_t>(warp));
  Put32(out, static_cast<std::uint32_t>(forceVersion));
  out += static_cast<char>(flags);
  for (std::int32_t y = 0; y < picture.Height(); ++y) {
    std::uint8_t bits = 0;
    for (std::int32_t x = 0; x < picture.Width(); ++x) {
      const TColor c = picture.Pixel(x, y);
      const std::uint8_t grey = static_cast<std::uint8_t>((30 * (c & 0xFF) + 59 * ((c >> 8) & 0xFF) + 11 * ((c >> 16) & 0xFF)) / 100);
      if (format == 0) {
        if (grey < 128) bits |= static_cast<std::uint8_t>(0x80 >> (x % 8));
        if (x % 8 == 7 || x + 1 == picture.Width()) {
          out += static_cast<char>(bits);
          bits = 0;
        }
      } else if (format == 1) {
        out += static_cast<char>(grey);
      } else {
        out += static_cast<char>(c & 0xFF);
        out += static_cast<char>((c >> 8) & 0xFF);
        out += static_cast<char>((c >> 16) & 0xFF);
      }
    }
  }
  return out;
}

void DecodeSeeds() {
  int n = 0;
  auto seed = [&n](const TBytes& bytes) { Seed("decode", "seed-" + std::to_string(n++), bytes); };
  const std::vector<std::pair<int, int>> symbols = {{1, 0}, {1, 3}, {2, 1}, {3, 2}, {4, 0}, {5, 1}, {7, 0}, {10, 1}, {14, 0}};
  for (const auto& [version, level] : symbols) {
    const ts::TTestSymbol symbol = Symbol(version, level, "Morilux " + std::to_string(version));
    const int moduleSize = symbol.size <= 33 ? 4 : (symbol.size <= 57 ? 3 : 2);
    const TBitmap upright = ts::RenderSymbol(symbol, moduleSize, 4);
    seed(DecodeInput(upright, 0, 7, 6, 0));
    seed(DecodeInput(ts::RenderSymbol(symbol, moduleSize, 2, 1), 0, 7, 1, version));
    seed(DecodeInput(ts::RenderSymbolRotated(symbol, moduleSize, 4, 17.0), 0, 7, 3, 0));
    if (version <= 3) {
      seed(DecodeInput(upright, 1, -20, 6, 0, 1));
      seed(DecodeInput(ts::RenderSymbol(symbol, moduleSize, 4, 2), 2, 30, 2, 0));
    }
  }
  // Forced versions that do not fit, parameters at and beyond their ends.
  const TBitmap v1 = ts::RenderSymbol(Symbol(1, 1, "12345"), 4, 4);
  for (std::int32_t forced : {40, 41, 2147483647, -5, -2147483647 - 1})
    seed(DecodeInput(v1, 0, 7, 6, forced));
  seed(DecodeInput(v1, 0, -2147483647 - 1, -2147483647 - 1, 0));
  seed(DecodeInput(v1, 0, 2147483647, 2147483647, 0));
  // Pictures without a symbol: empty, tiny, one colour.
  seed(DecodeInput(TBitmap(0, 0), 1, 7, 6, 0));
  seed(DecodeInput(TBitmap(1, 1), 1, 7, 6, 0));
  seed(DecodeInput(TBitmap(2, 1), 1, 7, 6, 0));
  seed(DecodeInput(TBitmap(40, 40), 1, 7, 6, 0));
}

// ---- symbol: undamaged symbols, upright, turned and in perspective ----

void SymbolSeeds() {
  int n = 0;
  // Version, level, pixels per module (field value), turn, corner shifts, text.
  auto seed = [&n](int version, int level, int pitch, int turn, std::array<int, 8> corners, const std::string& text) {
    TBytes out;
    out += static_cast<char>(version - 1);
    out += static_cast<char>(level);
    out += TBytes(15, '\0');  // finders whole
    out += static_cast<char>(pitch);
    out += '\4';
    out += static_cast<char>(turn);
    for (int shift : corners) out += static_cast<char>(shift);
    out += TBytes{10, 20, 127, 0, 0, 1, 0, 0, 0, 7, 6, 1, 0};  // margin, greys, no noise, Resolver 7, Warp 6, no flips
    Seed("symbol", "seed-" + std::to_string(n++), out + text);
  };
  seed(1, 1, 10, 0, {}, "HELLO");
  seed(3, 2, 12, 20, {}, "MORILUX");
  seed(5, 0, 14, 0, {}, "MORILUX SYMBOL FUZZ 5");
  seed(2, 3, 16, 0, {10, 0, -20, 5, 0, 0, 30, -10}, "PERSPECTIVE");
  seed(7, 1, 8, 200, {}, "VERSION 7 TURNED");
}

// ---- reed_solomon: blocks of a code with roots alpha^1 .. alpha^e ----

// Systematic encoding with the generator (x - alpha^first) ... (x - alpha^(first + ec - 1)).
std::vector<int> RsEncode(const std::vector<int>& data, int ec, int first) {
  using testing_support::GfMul;
  using testing_support::GfPower;
  std::vector<int> generator = {1};
  for (int i = 0; i < ec; ++i) {
    std::vector<int> next(generator.size() + 1, 0);
    for (std::size_t j = 0; j < generator.size(); ++j) {
      next[j] ^= generator[j];
      next[j + 1] ^= GfMul(generator[j], GfPower(first + i));
    }
    generator = next;
  }
  std::vector<int> remainder(static_cast<std::size_t>(ec), 0);
  for (int d : data) {
    const int factor = d ^ remainder[0];
    remainder.erase(remainder.begin());
    remainder.push_back(0);
    for (int j = 0; j < ec; ++j) remainder[static_cast<std::size_t>(j)] ^= GfMul(generator[static_cast<std::size_t>(j + 1)], factor);
  }
  std::vector<int> block = data;
  block.insert(block.end(), remainder.begin(), remainder.end());
  return block;
}

void ReedSolomonSeeds() {
  int n = 0;
  auto seed = [&n](bool wide, int blocks, const std::vector<int>& codewords) {
    TBytes out;
    out += static_cast<char>(wide ? 1 : 0);
    out += static_cast<char>(blocks - 1);
    for (int c : codewords) {
      if (wide) Put32(out, static_cast<std::uint32_t>(c));
      else out += static_cast<char>(c);
    }
    Seed("reed_solomon", "seed-" + std::to_string(n++), out);
  };
  std::uint32_t random = 12345;
  auto next = [&random]() {
    random = random * 1103515245u + 12345u;
    return static_cast<int>((random >> 16) & 0xFF);
  };
  const std::vector<std::pair<int, int>> shapes = {{19, 7}, {16, 10}, {13, 13}, {9, 17}, {34, 10}, {15, 22}, {115, 30}, {24, 28}};
  for (const auto& [dataLength, ec] : shapes) {
    std::vector<int> data;
    for (int i = 0; i < dataLength; ++i) data.push_back(next());
    for (int first : {0, 1}) {
      const std::vector<int> block = RsEncode(data, ec, first);
      seed(false, 1, block);
      for (int errors = 1; errors <= 4; ++errors) {
        std::vector<int> damaged = block;
        for (int e = 0; e < errors; ++e) damaged[static_cast<std::size_t>((e * 7 + 3) % damaged.size())] ^= 1 + next() % 255;
        seed(false, 1, damaged);
      }
    }
    // Two blocks, one intact and one damaged, through one decoder.
    std::vector<int> pair = RsEncode(data, ec, 1);
    std::vector<int> second = pair;
    second[2] ^= 0x55;
    pair.insert(pair.end(), second.begin(), second.end());
    seed(false, 2, pair);
  }
  seed(false, 1, {});
  seed(true, 1, {0x100, -1, 2147483647, 7, 0, 0, 0, 0, 0, 0, 0, 0, 0});
  seed(true, 3, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12});
}

// ---- data_segments: bit streams of segments ----

class TBitWriter {
 public:
  void Put(std::uint32_t value, int bits) {
    for (int i = bits - 1; i >= 0; --i) {
      if (used_ % 8 == 0) bytes_ += '\0';
      if ((value >> i) & 1) bytes_.back() = static_cast<char>(bytes_.back() | (0x80 >> (used_ % 8)));
      ++used_;
    }
  }
  const TBytes& Bytes() const { return bytes_; }

 private:
  TBytes bytes_;
  int used_ = 0;
};

int CountBits(int mode, int version) {
  const int range = version <= 9 ? 0 : (version <= 26 ? 1 : 2);
  switch (mode) {
    case 1: return std::array<int, 3>{10, 12, 14}[range];
    case 2: return std::array<int, 3>{9, 11, 13}[range];
    case 4: return std::array<int, 3>{8, 16, 16}[range];
    default: return std::array<int, 3>{8, 10, 12}[range];
  }
}

void DataSegmentSeeds() {
  int n = 0;
  auto seed = [&n](int version, const TBitWriter& stream, std::uint8_t flags = 0) {
    TBytes out;
    out += static_cast<char>(version - 1);
    out += static_cast<char>(flags);
    if (flags & 2) Put32(out, static_cast<std::uint32_t>(stream.Bytes().size()));
    out += stream.Bytes();
    Seed("data_segments", "seed-" + std::to_string(n++), out);
  };
  for (int version : {1, 9, 10, 26, 27, 40}) {
    TBitWriter all;
    all.Put(1, 4);  // numeric 01234567
    all.Put(8, CountBits(1, version));
    all.Put(12, 10);
    all.Put(345, 10);
    all.Put(67, 7);
    all.Put(2, 4);  // alphanumeric AC-42
    all.Put(5, CountBits(2, version));
    all.Put(10 * 45 + 12, 11);
    all.Put(41 * 45 + 4, 11);
    all.Put(2, 6);
    all.Put(4, 4);  // bytes ABC
    all.Put(3, CountBits(4, version));
    for (int c : {0x41, 0x42, 0x43}) all.Put(static_cast<std::uint32_t>(c), 8);
    all.Put(8, 4);  // Kanji
    all.Put(2, CountBits(8, version));
    all.Put(0x0D9F, 13);
    all.Put(0x1AAA, 13);
    all.Put(0, 4);
    for (int pad = 0; pad < 4; ++pad) all.Put(pad % 2 ? 0x11 : 0xEC, 8);
    seed(version, all);
    seed(version, all, 2);
    TBitWriter eci;
    eci.Put(7, 4);
    eci.Put(26, 8);
    eci.Put(4, 4);
    eci.Put(1, CountBits(4, version));
    eci.Put(0x41, 8);
    seed(version, eci);
  }
  // A byte segment that claims more than the stream holds.
  TBitWriter overlong;
  overlong.Put(4, 4);
  overlong.Put(0xFFFF, 16);
  overlong.Put(0x41, 8);
  seed(12, overlong);
}

// ---- loader_bmp: the kinds of BMP a user meets ----

// A BMP with an information header of infoSize bytes (12 = the old core
// header), bitsPerPixel 1, 4, 8 (palette), 16, 24 or 32, rows bottom-up unless
// topDown. compression 1 and 2 are run-length encoded 8 and 4 bits.
TBytes MakeBmp(const TBitmap& picture, int bitsPerPixel, int infoSize = 40, bool topDown = false, int compression = 0) {
  const int width = picture.Width(), height = picture.Height();
  const bool palette = bitsPerPixel <= 8;
  const int colours = palette ? (1 << bitsPerPixel) : 0;
  auto index = [&](int x, int y) {
    const TColor c = picture.Pixel(x, y);
    const int grey = static_cast<int>((c & 0xFF) + ((c >> 8) & 0xFF) + ((c >> 16) & 0xFF)) / 3;
    return grey * colours / 256;
  };
  TBytes pixels;
  for (int row = 0; row < height; ++row) {
    const int y = topDown ? row : height - 1 - row;
    if (compression == 1) {
      for (int x = 0; x < width; ++x) {
        pixels += static_cast<char>(1);
        pixels += static_cast<char>(index(x, y));
      }
      pixels += '\0';
      pixels += '\0';  // end of line
      continue;
    }
    if (compression == 2) {
      for (int x = 0; x < width; x += 2) {
        pixels += static_cast<char>(x + 1 < width ? 2 : 1);
        pixels += static_cast<char>((index(x, y) << 4) | (x + 1 < width ? index(x + 1, y) : 0));
      }
      pixels += '\0';
      pixels += '\0';
      continue;
    }
    TBytes line;
    int bitsUsed = 0;
    for (int x = 0; x < width; ++x) {
      const TColor c = picture.Pixel(x, y);
      if (palette) {
        if (bitsUsed % 8 == 0) line += '\0';
        line.back() = static_cast<char>(line.back() | (index(x, y) << (8 - bitsPerPixel - bitsUsed % 8)));
        bitsUsed += bitsPerPixel;
      } else if (bitsPerPixel == 16) {
        const std::uint32_t v = (((c >> 3) & 0x1F) << 10) | (((c >> 11) & 0x1F) << 5) | ((c >> 19) & 0x1F);
        Put16(line, v);
      } else {
        line += static_cast<char>((c >> 16) & 0xFF);
        line += static_cast<char>((c >> 8) & 0xFF);
        line += static_cast<char>(c & 0xFF);
        if (bitsPerPixel == 32) line += '\0';
      }
    }
    while (line.size() % 4 != 0) line += '\0';
    pixels += line;
  }
  const int paletteBytes = colours * (infoSize == 12 ? 3 : 4);
  const std::uint32_t offset = static_cast<std::uint32_t>(14 + infoSize + paletteBytes);
  TBytes out = "BM";
  Put32(out, offset + static_cast<std::uint32_t>(pixels.size()));
  Put32(out, 0);
  Put32(out, offset);
  Put32(out, static_cast<std::uint32_t>(infoSize));
  if (infoSize == 12) {
    Put16(out, static_cast<std::uint32_t>(width));
    Put16(out, static_cast<std::uint32_t>(height));
    Put16(out, 1);
    Put16(out, static_cast<std::uint32_t>(bitsPerPixel));
  } else {
    Put32(out, static_cast<std::uint32_t>(width));
    Put32(out, static_cast<std::uint32_t>(topDown ? -height : height));
    Put16(out, 1);
    Put16(out, static_cast<std::uint32_t>(bitsPerPixel));
    Put32(out, static_cast<std::uint32_t>(compression));
    Put32(out, static_cast<std::uint32_t>(pixels.size()));
    Put32(out, 2835);
    Put32(out, 2835);
    Put32(out, static_cast<std::uint32_t>(colours));
    Put32(out, 0);
    while (out.size() < static_cast<std::size_t>(14 + infoSize)) out += '\0';  // larger headers: masks left 0
  }
  for (int i = 0; i < colours; ++i) {
    const int level = colours == 1 ? 0 : i * 255 / (colours - 1);
    for (int k = 0; k < 3; ++k) out += static_cast<char>(level);
    if (infoSize != 12) out += '\0';
  }
  return out + pixels;
}

void BmpSeeds(const TBitmap& small, const TBitmap& tiny) {
  const std::string file = (g_root / "loader_bmp" / "helper.bmp").string();
  std::filesystem::create_directories(g_root / "loader_bmp");
  ts::WriteBmp(small, file);  // the test helpers' own writer
  Seed("loader_bmp", "bpp24-topdown.bmp", MakeBmp(small, 24, 40, true));
  for (int bits : {1, 4, 8, 16, 32}) Seed("loader_bmp", "bpp" + std::to_string(bits) + ".bmp", MakeBmp(small, bits));
  Seed("loader_bmp", "core-header.bmp", MakeBmp(small, 8, 12));
  Seed("loader_bmp", "v4-header.bmp", MakeBmp(tiny, 24, 108));
  Seed("loader_bmp", "v5-header.bmp", MakeBmp(tiny, 32, 124));
  Seed("loader_bmp", "rle8.bmp", MakeBmp(small, 8, 40, false, 1));
  Seed("loader_bmp", "rle4.bmp", MakeBmp(small, 4, 40, false, 2));
  Seed("loader_bmp", "one-pixel.bmp", MakeBmp(TBitmap(1, 1), 24));
}

// ---- loader_jpeg: baseline, progressive, greyscale, restart intervals ----

void JpegSeeds(const TBitmap& small, const TBitmap& tiny) {
  std::filesystem::create_directories(g_root / "loader_jpeg");
  auto seed = [](const char* name, const TBitmap& picture, int quality, const ts::TJpegCoding& coding) {
    ts::WriteJpeg(picture, (g_root / "loader_jpeg" / name).string(), quality, coding);
  };
  seed("baseline.jpg", small, 75, {});
  seed("grey.jpg", small, 80, {.grey = true});
  seed("progressive.jpg", small, 80, {.progressive = true});
  seed("progressive-grey.jpg", tiny, 60, {.progressive = true, .grey = true});
  seed("arithmetic.jpg", small, 80, {.arithmetic = true});
  seed("restarts.jpg", small, 50, {.restartRows = 1});
  seed("tiny.jpg", tiny, 30, {});
  seed("one-pixel.jpg", TBitmap(1, 1), 90, {});
}

// ---- loader_png: every colour type and depth, interlaced, transparency, side chunks ----

void PngSeeds(const TBitmap& small, const TBitmap& tiny) {
  std::filesystem::create_directories(g_root / "loader_png");
  ts::WritePng(small, (g_root / "loader_png" / "helper.png").string());
  // The symbol in grey, with a translucent band across it, so that alpha and
  // palette transparency carry something.
  const auto pixels = [](const TBitmap& picture, bool band) {
    std::vector<ts::TRgba16> out;
    for (std::int32_t y = 0; y < picture.Height(); ++y)
      for (std::int32_t x = 0; x < picture.Width(); ++x) {
        const std::uint16_t grey = picture.Pixel(x, y) == kBlack ? 0 : 0xFFFF;
        const std::uint16_t alpha = band && y * 4 / picture.Height() == 1 ? 0x4000 : 0xFFFF;
        out.push_back({grey, grey, grey, alpha});
      }
    return out;
  };
  const std::vector<ts::TRgba16> smallPixels = pixels(small, true), tinyPixels = pixels(tiny, true);
  // A palette of one bit holds black and white only.
  const std::vector<ts::TRgba16> opaquePixels = pixels(small, false);
  using C = ts::TPngColours;
  const struct {
    const char* name;
    ts::TPngCoding coding;
  } kinds[] = {
      {"grey1", {C::Grey, 1}},          {"grey2", {C::Grey, 2}},           {"grey4", {C::Grey, 4}},
      {"grey8", {C::Grey, 8}},          {"grey16", {C::Grey, 16}},         {"grey-alpha8", {C::GreyAlpha, 8}},
      {"grey-alpha16", {C::GreyAlpha, 16}}, {"rgb8", {C::Rgb, 8}},         {"rgb16", {C::Rgb, 16}},
      {"rgba8", {C::Rgba, 8}},          {"rgba16", {C::Rgba, 16}},         {"palette1", {C::Palette, 1}},
      {"palette2", {C::Palette, 2}},    {"palette4", {C::Palette, 4}},     {"palette8", {C::Palette, 8}},
      {"grey8-interlaced", {C::Grey, 8, true}}, {"rgba8-interlaced", {C::Rgba, 8, true}},
      {"palette1-interlaced", {C::Palette, 1, true}},
      {"grey8-keyed", {C::Grey, 8, false, ts::TRgba16{0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF}}},
      {"rgb8-keyed", {C::Rgb, 8, false, ts::TRgba16{0, 0, 0, 0xFFFF}}},
  };
  for (const auto& kind : kinds) {
    const bool twoColours = kind.coding.colours == C::Palette && kind.coding.depth == 1;
    Seed("loader_png", std::string(kind.name) + ".png",
         ts::EncodePng(small.Width(), small.Height(), twoColours ? opaquePixels : smallPixels, kind.coding));
  }
  Seed("loader_png", "tiny-rgb16-interlaced.png", ts::EncodePng(tiny.Width(), tiny.Height(), tinyPixels, {C::Rgb, 16, true}));
  Seed("loader_png", "one-pixel.png", ts::EncodePng(1, 1, {ts::TRgba16{}}, {C::Rgba, 8}));
  // Chunks beside the picture, which the loader skips.
  std::string sides = ts::EncodePng(tiny.Width(), tiny.Height(), tinyPixels, {C::Rgb, 8});
  sides = ts::InsertPngChunk(sides, "IDAT", ts::PngChunk("gAMA", std::string("\x00\x00\xb1\x8f", 4)));
  sides = ts::InsertPngChunk(sides, "IDAT", ts::PngChunk("tEXt", std::string("Software\0seed", 13)));
  sides = ts::InsertPngChunk(sides, "IEND", ts::PngChunk("tIME", std::string("\x07\xea\x0c\x08\x0c\x00\x00", 7)));
  Seed("loader_png", "side-chunks.png", sides);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s DIRECTORY\n", argv[0]);
    return 2;
  }
  try {
    g_root = argv[1];
    std::filesystem::create_directories(g_root);
    DecodeSeeds();
    SymbolSeeds();
    ReedSolomonSeeds();
    DataSegmentSeeds();
    // Small pictures keep the loader seeds small, so that the fuzzer mutates
    // headers and markers rather than pixels.
    const TBitmap small = ts::RenderSymbol(Symbol(1, 1, "Morilux"), 2, 2);
    const TBitmap tiny = ts::RenderSymbol(Symbol(1, 0, "1"), 1, 0);
    BmpSeeds(small, tiny);
    JpegSeeds(small, tiny);
    PngSeeds(small, tiny);
  } catch (const std::exception& failure) {
    std::fprintf(stderr, "%s\n", failure.what());
    return 1;
  }
  return 0;
}
