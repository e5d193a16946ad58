// Every pane stays as it is: a set of generated pictures is decoded through the
// facade, and every picture pane (size and a 64-bit digest of its pixels),
// every text pane (line count and digest, and the lines of ImgMemo) and the
// outcome are compared with values recorded from a known-good build. Speed-ups
// of any stage must leave all of them unchanged.
//
// MORILUX_GOLDEN_PRINT=1 prints the values of the build under test in the form
// of the table below, for recording them after an intended change of output.

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "ConformancePictures.h"
#include "PhotoScene.h"
#include "TestSymbols.h"
#include "common/Surfaces.h"
#include "decoder/Veltrix.h"

namespace {

using namespace testing_support;

// ---- Digests ----

class TFnv {
 public:
  void Byte(std::uint8_t b) {
    hash_ ^= b;
    hash_ *= 0x100000001B3ull;
  }
  void Word(std::uint32_t w) {
    for (int i = 0; i < 4; ++i) Byte(static_cast<std::uint8_t>(w >> (8 * i)));
  }
  void Text(const std::string& text) {
    for (const char c : text) Byte(static_cast<std::uint8_t>(c));
  }
  std::uint64_t Value() const { return hash_; }

 private:
  std::uint64_t hash_ = 0xCBF29CE484222325ull;
};

struct TPaneDigest {
  std::int32_t width = 0;
  std::int32_t height = 0;
  std::uint64_t hash = 0;
  friend bool operator==(const TPaneDigest&, const TPaneDigest&) = default;
};

struct TTextDigest {
  std::int32_t lines = 0;
  std::uint64_t hash = 0;
  friend bool operator==(const TTextDigest&, const TTextDigest&) = default;
};

// Pixels read one at a time, row after row: the plainest reading a front end can do.
TPaneDigest DigestPicture(const TBitmap& picture) {
  TFnv fnv;
  fnv.Word(static_cast<std::uint32_t>(picture.Width()));
  fnv.Word(static_cast<std::uint32_t>(picture.Height()));
  for (std::int32_t y = 0; y < picture.Height(); ++y)
    for (std::int32_t x = 0; x < picture.Width(); ++x) fnv.Word(picture.Pixel(x, y));
  return {picture.Width(), picture.Height(), fnv.Value()};
}

TTextDigest DigestLines(const std::vector<std::string>& lines) {
  TFnv fnv;
  for (const std::string& line : lines) {
    fnv.Text(line);
    fnv.Byte('\n');
  }
  return {static_cast<std::int32_t>(lines.size()), fnv.Value()};
}

struct TRecord {
  bool decoded = false;
  std::string text;
  std::string error;
  std::string failure;
  std::vector<TPaneDigest> pictures;     // every image pane, in pane order
  std::vector<TTextDigest> texts;        // every text pane, in pane order
  std::vector<std::string> imgMemo;      // the lines of ImgMemo

  friend bool operator==(const TRecord&, const TRecord&) = default;
};

TRecord Record(const TVeltrix& veltrix, const TSurfaces& surfaces, bool decoded) {
  TRecord record;
  record.decoded = decoded;
  record.text = veltrix.DecodedText();
  record.error = veltrix.GetErrorText();
  record.failure = veltrix.FailureText();
  for (std::size_t i = 0; i < kImagePaneCount; ++i)
    record.pictures.push_back(DigestPicture(surfaces.Image(static_cast<TImagePaneId>(i)).CurrentPicture()));
  for (std::size_t i = 0; i < kTextPaneCount; ++i)
    record.texts.push_back(DigestLines(surfaces.Text(static_cast<TTextPaneId>(i)).Lines()));
  record.imgMemo = surfaces.Text(TTextPaneId::ImgMemo).Lines();
  return record;
}

// ---- The pictures ----

struct TRun {
  std::function<TBitmap()> picture;
  std::int32_t resolver = 7;
  std::int32_t warp = 6;
  std::int32_t forceVersion = 0;
};

// Pixel values shifted by up to +-amount grey levels, the same shift on all three channels.
TBitmap WithNoise(const TBitmap& picture, int amount, std::uint64_t seed) {
  TBitmap noisy = picture;
  for (std::int32_t y = 0; y < noisy.Height(); ++y) {
    TColor* row = noisy.MutableRow(y);
    for (std::int32_t x = 0; x < noisy.Width(); ++x) {
      const std::uint64_t h =
          photo_detail::Mix(seed ^ (static_cast<std::uint64_t>(y) << 32 | static_cast<std::uint32_t>(x)));
      const int shift = static_cast<int>(h % static_cast<std::uint64_t>(2 * amount + 1)) - amount;
      TColor colour = 0;
      for (int c = 0; c < 3; ++c) {
        const int value = static_cast<int>((row[x] >> (8 * c)) & 0xFF) + shift;
        colour |= static_cast<TColor>(std::clamp(value, 0, 255)) << (8 * c);
      }
      row[x] = colour;
    }
  }
  return noisy;
}

// The part of the picture inside [0, width) x [0, height).
TBitmap Cut(const TBitmap& picture, std::int32_t width, std::int32_t height) {
  TBitmap cut(width, height);
  for (std::int32_t y = 0; y < height; ++y)
    for (std::int32_t x = 0; x < width; ++x) cut.SetPixel(x, y, picture.Pixel(x, y));
  return cut;
}

TTestSymbol BlankSymbol() {
  TTestSymbol symbol;
  symbol.version = 1;
  symbol.size = 21;
  symbol.modules.assign(21 * 21, 0);
  return symbol;
}

TPhotoOptions SmallPhoto(std::uint64_t seed, double moduleSize, double degrees) {
  TPhotoOptions options;
  options.width = 900;
  options.height = 680;
  options.seed = seed;
  options.moduleSize = moduleSize;
  options.degrees = degrees;
  options.centreX = 0.46;
  options.centreY = 0.53;
  return options;
}

TTestSymbol Damaged(TTestSymbol symbol, std::int32_t count) {
  for (std::int32_t k = 0; k < count; ++k) DamageCodeword(symbol, 4 + 2 * k);
  return symbol;
}

struct TCase {
  const char* name;
  std::vector<TRun> runs;  // decoded one after the other on the same panes; the last one is recorded
};

std::vector<TCase> Cases() {
  return {
      {"upright-v2", {{[] { return RenderSymbol(EncodeBytes("GOLDEN PANES 1", 2, 1), 4, 4); }}}},
      {"quarter-turn-v4-resolver", {{[] { return RenderSymbol(EncodeBytes("QUARTER TURN", 4, 0), 3, 4, 1); }, -20}}},
      {"rotated-v6", {{[] { return RenderSymbolRotated(EncodeBytes("TURNED BY 23 DEGREES", 6, 2), 5, 4, 23.0); }}}},
      {"noisy-v8",
       {{[] { return WithNoise(RenderSymbol(EncodeBytes("NOISE AND VERSION INFORMATION", 8, 1), 4, 4), 90, 7); }}}},
      {"photo-v7",
       {{[] { return RenderPhoto(EncodeBytes("A PHOTOGRAPH OF A PRINTED SYMBOL", 7, 1), SmallPhoto(11, 5.0, 9.0)); }}}},
      {"photo-v3-warp1",
       {{[] { return RenderPhoto(EncodeBytes("SMALL WARP", 3, 3), SmallPhoto(12, 7.0, -4.0)); }, 0, 1}}},
      {"photo-without-symbol", {{[] { return RenderPhoto(BlankSymbol(), SmallPhoto(13, 6.0, 3.0)); }}}},
      {"cut-right-v3",
       {{[] {
         const TBitmap whole = RenderSymbol(EncodeBytes("CUT ON THE RIGHT", 3, 1), 5, 4);
         return Cut(whole, whole.Width() * 7 / 10, whole.Height());
       }}}},
      {"cut-corner-v5",
       {{[] {
         // One module of the quiet zone left on the right and at the bottom: the
         // window in which the bottom-right corner is sought leaves the picture.
         const TBitmap whole = RenderSymbol(EncodeBytes("CUT AT THE CORNER", 5, 1), 4, 2);
         return Cut(whole, whole.Width() - 4, whole.Height() - 4);
       }}}},
      {"damaged-v5", {{[] { return RenderSymbol(Damaged(EncodeBytes("TOO MANY ERRORS HERE", 5, 0), 12), 4, 4); }}}},
      // Version 5-Q has four blocks; codeword 4j + b is data codeword j of block b.
      {"corrected-two-blocks-v5",
       {{[] {
         TTestSymbol symbol = EncodeBytes("CORRECTED IN TWO BLOCKS", 5, 2);
         for (const std::int32_t k : {1, 5, 9, 2}) DamageCodeword(symbol, k);
         return RenderSymbol(symbol, 4, 4);
       }}}},
      {"forced-v12-warp2",
       {{[] { return RenderSymbol(EncodeBytes("FORCED VERSION TWELVE", 12, 1), 3, 4); }, 7, 2, 12}}},
      {"forced-v40",
       {{[] {
         std::string text;
         while (text.size() < 900) text += "FORTY ";
         return RenderSymbol(EncodeBytes(text, 40, 1), 2, 4);
       },
         7, 6, 40}}},
      {"wrong-forced-version", {{[] { return RenderSymbol(EncodeBytes("NOT VERSION FIVE", 3, 1), 4, 4); }, 7, 6, 5}}},
      {"stripes", {{[] { return RenderCrossedStripes(360, 300, 4); }}}},
      {"tiny", {{[] { return TBitmap(1, 1); }}}},
      {"empty", {{[] { return TBitmap(); }}}},
      {"second-decode-smaller",
       {{[] { return RenderSymbolRotated(EncodeBytes("FIRST AND LARGER", 5, 1), 6, 4, 11.0); }},
        {[] { return RenderSymbol(EncodeBytes("SECOND", 1, 1), 3, 4); }}}},
      {"success-then-no-symbol",
       {{[] { return RenderSymbol(EncodeBytes("PANES OF THE FIRST STAY", 2, 1), 4, 4); }},
        {[] { return TBitmap(132, 132); }}}},
      {"second-decode-same-size",
       {{[] { return RenderSymbol(EncodeBytes("FIRST OF TWO", 2, 1), 4, 4); }},
        {[] { return RenderSymbol(EncodeBytes("SECOND OF TWO", 2, 1), 4, 4); }}}},
  };
}

// Test names in failure reports.
void PrintTo(const TCase& testCase, std::ostream* out) { *out << testCase.name; }

TRecord RunCase(const TCase& testCase, bool packed) {
  TSurfaces surfaces;
  TVeltrix veltrix(surfaces);
  bool decoded = false;
  for (const TRun& run : testCase.runs) {
    const TBitmap picture = packed ? Packed(run.picture()) : run.picture();
    // As the front ends do: the loaded picture on both picture panes, then the analysis.
    surfaces.Image(TImagePaneId::Image1).ReplacePicture(picture);
    surfaces.Image(TImagePaneId::Image2).ReplacePicture(picture);
    veltrix.SetWarp(run.warp);
    veltrix.SetResolver(run.resolver);
    veltrix.SetForceVersion(run.forceVersion);
    decoded = veltrix.Decode(picture);
  }
  return Record(veltrix, surfaces, decoded);
}

// ---- Printing, for recording ----

std::string Quoted(const std::string& text) {
  std::string out = "\"";
  for (const char c : text) {
    const auto u = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else if (u < 0x20 || u == 0x7F) {
      char octal[8];
      std::snprintf(octal, sizeof octal, "\\%03o", u);
      out += octal;
    } else {
      out += c;  // UTF-8 passes as it is
    }
  }
  return out + "\"";
}

void Print(const char* name, const TRecord& r) {
  std::printf("    {%s, %s, %s, %s, %s,\n     {", Quoted(name).c_str(), r.decoded ? "true" : "false",
              Quoted(r.text).c_str(), Quoted(r.error).c_str(), Quoted(r.failure).c_str());
  for (std::size_t i = 0; i < r.pictures.size(); ++i)
    std::printf("%s{%d, %d, 0x%016llXull}", i == 0 ? "" : (i % 3 == 0 ? ",\n      " : ", "), r.pictures[i].width,
                r.pictures[i].height, static_cast<unsigned long long>(r.pictures[i].hash));
  std::printf("},\n     {");
  for (std::size_t i = 0; i < r.texts.size(); ++i)
    std::printf("%s{%d, 0x%016llXull}", i == 0 ? "" : ", ", r.texts[i].lines,
                static_cast<unsigned long long>(r.texts[i].hash));
  std::printf("},\n     {");
  for (std::size_t i = 0; i < r.imgMemo.size(); ++i) std::printf("%s%s", i == 0 ? "" : ", ", Quoted(r.imgMemo[i]).c_str());
  std::printf("}},\n");
}

// ---- The recorded values ----

struct TExpected {
  const char* name;
  TRecord record;
};

const std::vector<TExpected>& Expected() {
  static const std::vector<TExpected> expected = {
    {"upright-v2", true, "GOLDEN PANES 1", "", "",
     {{132, 132, 0x945435F1526B3805ull}, {132, 132, 0x945435F1526B3805ull}, {132, 132, 0x945435F1526B3805ull},
      {132, 132, 0x4476956D3B14246Dull}, {132, 132, 0xF6E755DE9EC82A5Aull}, {132, 132, 0xB5625D96FE3DAB7Full},
      {25, 25, 0x1BEC5B8A9FB2C7ECull}, {25, 25, 0x1BEC5B8A9FB2C7ECull}, {25, 25, 0x5E7F5332B4D48BE5ull},
      {25, 25, 0x6633940BE48FD6C6ull}},
     {{3, 0x4A7FCD6138A6D4BCull}, {51, 0x7441A41D7866FEF3ull}, {20, 0x6F7EE5814F247F3Full}, {0, 0xCBF29CE484222325ull}},
     {"型番 2", "エラー訂正レベル　M", "マスクパターン　　1"}},
    {"quarter-turn-v4-resolver", true, "QUARTER TURN", "", "",
     {{123, 123, 0xAF5C8075B10ED23Cull}, {123, 123, 0xAF5C8075B10ED23Cull}, {123, 123, 0xAF5C8075B10ED23Cull},
      {123, 123, 0xF7D231E1149828ACull}, {123, 123, 0xA97A2AAAAD6484F7ull}, {123, 123, 0x12B2BEF56A0D4F92ull},
      {33, 33, 0x813C658FB33AD63Cull}, {33, 33, 0x813C658FB33AD63Cull}, {33, 33, 0x5C60802AA6FE4405ull},
      {33, 33, 0x067B0304AB8518AAull}},
     {{3, 0x58E75F60DB1C4AB4ull}, {107, 0x81D8BFDDEB68BFF8ull}, {20, 0x296EC01BD5992DB4ull}, {0, 0xCBF29CE484222325ull}},
     {"型番 4", "エラー訂正レベル　L", "マスクパターン　　0"}},
    {"rotated-v6", true, "TURNED BY 23 DEGREES", "", "",
     {{350, 350, 0xA6BCC6946A4BEDB8ull}, {350, 350, 0xA6BCC6946A4BEDB8ull}, {350, 350, 0xA6BCC6946A4BEDB8ull},
      {350, 350, 0x14BD9411C2AB7502ull}, {350, 350, 0x19CA1E3B44EB0D47ull}, {350, 350, 0xBC555A37E70E0D3Full},
      {41, 41, 0x32BE3B762196FE75ull}, {41, 41, 0x32BE3B762196FE75ull}, {41, 41, 0xE7D70843B923464Cull},
      {41, 41, 0xD2F22856207AE32Dull}},
     {{3, 0xDACE0E55FE646438ull}, {179, 0x4412BDBD6AAFF3F0ull}, {80, 0x9979A6F4AC717EDAull}, {0, 0xCBF29CE484222325ull}},
     {"型番 6", "エラー訂正レベル　Q", "マスクパターン　　5"}},
    {"noisy-v8", true, "NOISE AND VERSION INFORMATION", "", "",
     {{228, 228, 0xC62A40552F18F79Aull}, {228, 228, 0xC62A40552F18F79Aull}, {228, 228, 0x6FA263ED0D807C05ull},
      {228, 228, 0xF187E91799878DD0ull}, {228, 228, 0x7E57E3ADB81A3DDAull}, {228, 228, 0x4457EE053CD87CD3ull},
      {49, 49, 0x348AF04069BCAD2Cull}, {49, 49, 0x348AF04069BCAD2Cull}, {49, 49, 0x6D09371DF421098Cull},
      {49, 49, 0xC44E946245E5878Bull}},
     {{3, 0x74F40E6ACCEEDDD3ull}, {253, 0xC98DC712C274379Eull}, {80, 0x4E0CFD6007CE7755ull}, {0, 0xCBF29CE484222325ull}},
     {"型番 8", "エラー訂正レベル　M", "マスクパターン　　4"}},
    {"photo-v7", true, "A PHOTOGRAPH OF A PRINTED SYMBOL", "", "",
     {{900, 680, 0xDEC497CCA947C2FEull}, {900, 680, 0xDEC497CCA947C2FEull}, {900, 680, 0x823B36D2FFED015Eull},
      {900, 680, 0xD252C320B844248Eull}, {900, 680, 0x397697780422440Dull}, {900, 680, 0x1C725B5AB4FB5B70ull},
      {45, 45, 0x695667D49BCC13CCull}, {45, 45, 0x695667D49BCC13CCull}, {45, 45, 0xC7AC6F8563D3546Cull},
      {45, 45, 0xAD6E3D36F1D64833ull}},
     {{3, 0xA8566A4613D13FB0ull}, {203, 0x7A3BB9CB9179B8EDull}, {80, 0x4895EAF93BB3DC22ull}, {0, 0xCBF29CE484222325ull}},
     {"型番 7", "エラー訂正レベル　M", "マスクパターン　　0"}},
    {"photo-v3-warp1", true, "SMALL WARP", "", "",
     {{900, 680, 0xB4A6F53F933D2C7Aull}, {900, 680, 0xB4A6F53F933D2C7Aull}, {900, 680, 0xC3E7724220C13A6Eull},
      {900, 680, 0xFF241581B15F428Cull}, {900, 680, 0xCF74AAE68D942F55ull}, {900, 680, 0xE1EEBBF0AD782C8Dull},
      {29, 29, 0x114D602C189AD6C5ull}, {29, 29, 0x114D602C189AD6C5ull}, {29, 29, 0x06FFD4001BE3949Cull},
      {29, 29, 0x726FFE682FD05B2Eull}},
     {{3, 0x3D2B319AE825AE45ull}, {77, 0xF2CF7E8C5733E188ull}, {40, 0xFF3021A21B7B70C2ull}, {0, 0xCBF29CE484222325ull}},
     {"型番 3", "エラー訂正レベル　H", "マスクパターン　　2"}},
    {"photo-without-symbol", false, "", "位置検出パターンがみつかりません。", "",
     {{900, 680, 0x7911A9B864330E1Cull}, {900, 680, 0x7911A9B864330E1Cull}, {900, 680, 0xE40254F387C4DA2Eull},
      {900, 680, 0xA3737A744D3AF9EEull}, {900, 680, 0xC1E8D9C69C81EDD4ull}, {0, 0, 0xA8C7F832281A39C5ull},
      {0, 0, 0xA8C7F832281A39C5ull}, {0, 0, 0xA8C7F832281A39C5ull}, {0, 0, 0xA8C7F832281A39C5ull},
      {0, 0, 0xA8C7F832281A39C5ull}},
     {{0, 0xCBF29CE484222325ull}, {0, 0xCBF29CE484222325ull}, {0, 0xCBF29CE484222325ull}, {0, 0xCBF29CE484222325ull}},
     {}},
    {"cut-right-v3", false, "", "位置検出パターンがみつかりません。", "",
     {{129, 185, 0xF60A37A39FEC99C4ull}, {129, 185, 0xF60A37A39FEC99C4ull}, {129, 185, 0xF60A37A39FEC99C4ull},
      {129, 185, 0x36D5E4F354EE50FFull}, {129, 185, 0xD1E98543CD63B3BEull}, {0, 0, 0xA8C7F832281A39C5ull},
      {0, 0, 0xA8C7F832281A39C5ull}, {0, 0, 0xA8C7F832281A39C5ull}, {0, 0, 0xA8C7F832281A39C5ull},
      {0, 0, 0xA8C7F832281A39C5ull}},
     {{0, 0xCBF29CE484222325ull}, {0, 0xCBF29CE484222325ull}, {0, 0xCBF29CE484222325ull}, {0, 0xCBF29CE484222325ull}},
     {}},
    {"cut-corner-v5", true, "CUT AT THE CORNER", "", "",
     {{160, 160, 0x1CB25ABFA9FC09C5ull}, {160, 160, 0x1CB25ABFA9FC09C5ull}, {160, 160, 0x1CB25ABFA9FC09C5ull},
      {160, 160, 0x07E4E62AEF0F5985ull}, {160, 160, 0xAA7FA66EEF8358DAull}, {160, 160, 0xEDDA192C9BE318B7ull},
      {37, 37, 0x2235B060DB44B1BCull}, {37, 37, 0x2235B060DB44B1BCull}, {37, 37, 0x8042A6F0F8495B45ull},
      {37, 37, 0x61728D3C5558CA0Aull}},
     {{3, 0x8AFE3E4281C0D708ull}, {141, 0x0A09459383A8C764ull}, {40, 0x1B274A80CA3D2398ull}, {0, 0xCBF29CE484222325ull}},
     {"型番 5", "エラー訂正レベル　M", "マスクパターン　　6"}},
    {"damaged-v5", false, "", "セルの読み込みでエラーが発生しました。", "",
     {{180, 180, 0x942814E611928CE5ull}, {180, 180, 0x942814E611928CE5ull}, {180, 180, 0x942814E611928CE5ull},
      {180, 180, 0x71AB8C36D8A739A8ull}, {180, 180, 0xCA992CF0120EB3BAull}, {180, 180, 0x4A810AF681A8429Bull},
      {37, 37, 0x4A87D10ADD05CC7Cull}, {37, 37, 0x4A87D10ADD05CC7Cull}, {37, 37, 0x55CA2C3369FC08A5ull},
      {37, 37, 0x6074A30487BE954Aull}},
     {{3, 0x3EB0B406EE0D69C0ull}, {141, 0xCFCB1179AAF7E3CDull}, {23, 0x361C50AFC5D6CF70ull}, {0, 0xCBF29CE484222325ull}},
     {"型番 5", "エラー訂正レベル　L", "マスクパターン　　1"}},
    {"corrected-two-blocks-v5", true, "CORRECTED IN TWO BLOCKS", "", "",
     {{180, 180, 0xA135FA9AEC7233E5ull}, {180, 180, 0xA135FA9AEC7233E5ull}, {180, 180, 0xA135FA9AEC7233E5ull},
      {180, 180, 0x0375918B6EAE5A80ull}, {180, 180, 0x4B3A328972CC6DBAull}, {180, 180, 0x4108FB86D2AD8573ull},
      {37, 37, 0x9D8AC9841477C3FCull}, {37, 37, 0x9D8AC9841477C3FCull}, {37, 37, 0x39C3F41FBF92D465ull},
      {37, 37, 0x90D4B9870254A4BDull}},
     {{3, 0x4300F07D1215E2A5ull}, {145, 0x78DCCB6B56E550BCull}, {87, 0xA34AA42C2A62783Aull}, {0, 0xCBF29CE484222325ull}},
     {"型番 5", "エラー訂正レベル　Q", "マスクパターン　　3"}},
    {"forced-v12-warp2", true, "FORCED VERSION TWELVE", "", "",
     {{219, 219, 0x8859BC6120D34FECull}, {219, 219, 0x8859BC6120D34FECull}, {219, 219, 0x8859BC6120D34FECull},
      {219, 219, 0xD08880BE5EB65488ull}, {0, 0, 0xA8C7F832281A39C5ull}, {219, 219, 0xA1B60CC21EF63B12ull},
      {65, 65, 0x3084C501B612240Cull}, {65, 65, 0x3084C501B612240Cull}, {65, 65, 0x985FF79DD79364ECull},
      {65, 65, 0xF137EB9CA4CD4DBFull}},
     {{3, 0x3D5011F2FEAE9C9Eull}, {481, 0x95D1679BE1F11774ull}, {160, 0xC94AB02107D27344ull}, {0, 0xCBF29CE484222325ull}},
     {"型番 12", "エラー訂正レベル　M", "マスクパターン　　2"}},
    {"forced-v40", true, "FORTY FORTY FORTY FORTY FORTY FORTY FORTY FORTY FORTY FORTY FORTY FORTY FORTY FORTY FORTY FORTY FORTY FORTY FORTY FORTY FORTY FORTY FORTY FORTY FORTY FORTY FORTY FORTY FORTY FORTY FORTY FORTY FORTY FORTY FORTY FORTY FORTY FORTY FORTY FORTY FORTY FORTY FORTY FORTY FORTY FORTY FORTY FORTY FORTY FORTY FORTY FORTY FORTY FORTY FORTY FORTY FORTY FORTY FORTY FORTY FORTY FORTY FORTY FORTY FORTY FORTY FORTY FORTY FORTY FORTY FORTY FORTY FORTY FORTY FORTY FORTY FORTY FORTY FORTY FORTY FORTY FORTY FORTY FORTY FORTY FORTY FORTY FORTY FORTY FORTY FORTY FORTY FORTY FORTY FORTY FORTY FORTY FORTY FORTY FORTY FORTY FORTY FORTY FORTY FORTY FORTY FORTY FORTY FORTY FORTY FORTY FORTY FORTY FORTY FORTY FORTY FORTY FORTY FORTY FORTY FORTY FORTY FORTY FORTY FORTY FORTY FORTY FORTY FORTY FORTY FORTY FORTY FORTY FORTY FORTY FORTY FORTY FORTY FORTY FORTY FORTY FORTY FORTY FORTY FORTY FORTY FORTY FORTY FORTY FORTY ", "", "",
     {{370, 370, 0x31F6229469424A19ull}, {370, 370, 0x31F6229469424A19ull}, {370, 370, 0x31F6229469424A19ull},
      {370, 370, 0xFC492884BAEFA9C1ull}, {0, 0, 0xA8C7F832281A39C5ull}, {370, 370, 0x2F09DA7582EBA56Full},
      {177, 177, 0x81922180B1DB71CCull}, {177, 177, 0x81922180B1DB71CCull}, {177, 177, 0x87720D2223A65F2Cull},
      {177, 177, 0x38C0896B5355F1D8ull}},
     {{3, 0x250C7D66C0B56DB1ull}, {3762, 0x3EC74C16400A0467ull}, {980, 0xFB11A710F4972416ull}, {0, 0xCBF29CE484222325ull}},
     {"型番 40", "エラー訂正レベル　M", "マスクパターン　　4"}},
    {"wrong-forced-version", false, "", "形式情報の読み込みでエラーが発生しました。", "Format Information Error",
     {{148, 148, 0xBDE963DA1712CAA5ull}, {148, 148, 0xBDE963DA1712CAA5ull}, {148, 148, 0xBDE963DA1712CAA5ull},
      {148, 148, 0x3B15F3A903951E38ull}, {0, 0, 0xA8C7F832281A39C5ull}, {148, 148, 0x0E60793DBFEEE6FAull},
      {37, 37, 0xD27A32E945123B45ull}, {37, 37, 0xD27A32E945123B45ull}, {0, 0, 0xA8C7F832281A39C5ull},
      {0, 0, 0xA8C7F832281A39C5ull}},
     {{2, 0xD1FF710F4B54B9D9ull}, {0, 0xCBF29CE484222325ull}, {0, 0xCBF29CE484222325ull}, {0, 0xCBF29CE484222325ull}},
     {"型番 5", "Format Information Error"}},
    {"stripes", false, "", "位置検出パターンがみつかりません。", "",
     {{360, 300, 0x9E31FA1E33BC5D69ull}, {360, 300, 0x9E31FA1E33BC5D69ull}, {360, 300, 0x9E31FA1E33BC5D69ull},
      {360, 300, 0x42D5B2C702336042ull}, {360, 300, 0x1C2B9C77EDE38173ull}, {0, 0, 0xA8C7F832281A39C5ull},
      {0, 0, 0xA8C7F832281A39C5ull}, {0, 0, 0xA8C7F832281A39C5ull}, {0, 0, 0xA8C7F832281A39C5ull},
      {0, 0, 0xA8C7F832281A39C5ull}},
     {{0, 0xCBF29CE484222325ull}, {0, 0xCBF29CE484222325ull}, {0, 0xCBF29CE484222325ull}, {0, 0xCBF29CE484222325ull}},
     {}},
    {"tiny", false, "", "位置検出パターンがみつかりません。", "",
     {{1, 1, 0x06ADFC1F7A948DECull}, {1, 1, 0x06ADFC1F7A948DECull}, {0, 0, 0xA8C7F832281A39C5ull},
      {0, 0, 0xA8C7F832281A39C5ull}, {0, 0, 0xA8C7F832281A39C5ull}, {0, 0, 0xA8C7F832281A39C5ull},
      {0, 0, 0xA8C7F832281A39C5ull}, {0, 0, 0xA8C7F832281A39C5ull}, {0, 0, 0xA8C7F832281A39C5ull},
      {0, 0, 0xA8C7F832281A39C5ull}},
     {{0, 0xCBF29CE484222325ull}, {0, 0xCBF29CE484222325ull}, {0, 0xCBF29CE484222325ull}, {0, 0xCBF29CE484222325ull}},
     {}},
    {"empty", false, "", "位置検出パターンがみつかりません。", "",
     {{0, 0, 0xA8C7F832281A39C5ull}, {0, 0, 0xA8C7F832281A39C5ull}, {0, 0, 0xA8C7F832281A39C5ull},
      {0, 0, 0xA8C7F832281A39C5ull}, {0, 0, 0xA8C7F832281A39C5ull}, {0, 0, 0xA8C7F832281A39C5ull},
      {0, 0, 0xA8C7F832281A39C5ull}, {0, 0, 0xA8C7F832281A39C5ull}, {0, 0, 0xA8C7F832281A39C5ull},
      {0, 0, 0xA8C7F832281A39C5ull}},
     {{0, 0xCBF29CE484222325ull}, {0, 0xCBF29CE484222325ull}, {0, 0xCBF29CE484222325ull}, {0, 0xCBF29CE484222325ull}},
     {}},
    {"second-decode-smaller", true, "SECOND", "", "",
     {{87, 87, 0x8A9CFE708B70A83Cull}, {87, 87, 0x8A9CFE708B70A83Cull}, {87, 87, 0x8A9CFE708B70A83Cull},
      {87, 87, 0x0CEBF83F99DDA710ull}, {87, 87, 0x9F4E01319C1DB9E3ull}, {87, 87, 0x7170E0CEEE26226Dull},
      {21, 21, 0x4A7B4BDE1FCBD49Cull}, {21, 21, 0x4A7B4BDE1FCBD49Cull}, {21, 21, 0x65D1DE99455F1F6Cull},
      {21, 21, 0xB1CDCE3904B21F28ull}},
     {{6, 0x0A4FAE4431A7A7E7ull}, {174, 0x306488F57DCD7B6Eull}, {60, 0x94A1DC2A42CD0E4Aull}, {0, 0xCBF29CE484222325ull}},
     {"型番 5", "エラー訂正レベル　M", "マスクパターン　　4", "型番 1", "エラー訂正レベル　M", "マスクパターン　　0"}},
    {"success-then-no-symbol", false, "", "位置検出パターンがみつかりません。", "",
     {{132, 132, 0x05548B71688AC105ull}, {132, 132, 0x05548B71688AC105ull}, {132, 132, 0x05548B71688AC105ull},
      {132, 132, 0x05548B71688AC105ull}, {132, 132, 0x82C4696EB6EE2B5Aull}, {132, 132, 0xF0E8BFBD3DB28803ull},
      {25, 25, 0x4CF44F2F08E3E58Cull}, {25, 25, 0x4CF44F2F08E3E58Cull}, {25, 25, 0x72BF6875C01834E5ull},
      {25, 25, 0x0C3A47688BC8F4DAull}},
     {{3, 0x4A79056138A11536ull}, {51, 0xE81DDC51BCD2EF4Aull}, {20, 0x95E6EDBA47BC837Aull}, {0, 0xCBF29CE484222325ull}},
     {"型番 2", "エラー訂正レベル　M", "マスクパターン　　3"}},
    {"second-decode-same-size", true, "SECOND OF TWO", "", "",
     {{132, 132, 0x11CE5DFFACE21B05ull}, {132, 132, 0x11CE5DFFACE21B05ull}, {132, 132, 0x11CE5DFFACE21B05ull},
      {132, 132, 0xDAACB33513425FDDull}, {132, 132, 0x850015BA934D4A5Aull}, {132, 132, 0x0FBB83DAC600FCD7ull},
      {25, 25, 0x8DA4E30CF95CB56Cull}, {25, 25, 0x8DA4E30CF95CB56Cull}, {25, 25, 0x61F7A0930DB7CD05ull},
      {25, 25, 0xC85461F1A5BEDBEEull}},
     {{6, 0x361E66C7711E769Dull}, {102, 0x324E6076770CB635ull}, {40, 0x83E1BCE8F4E1C691ull}, {0, 0xCBF29CE484222325ull}},
     {"型番 2", "エラー訂正レベル　M", "マスクパターン　　0", "型番 2", "エラー訂正レベル　M", "マスクパターン　　0"}},
  };
  return expected;
}

const TRecord* Find(const char* name) {
  for (const TExpected& e : Expected())
    if (std::string(e.name) == name) return &e.record;
  return nullptr;
}

// ---- The test ----

class GoldenPanes : public ::testing::TestWithParam<TCase> {};

TEST_P(GoldenPanes, EveryPaneAndLineIsAsRecorded) {
  const TCase& testCase = GetParam();
  // The pictures as they are, and packed three bytes a pixel as a loaded photograph is.
  for (const bool packed : {false, true}) {
    SCOPED_TRACE(packed ? "packed picture" : "ordinary picture");
    const TRecord actual = RunCase(testCase, packed);
    if (std::getenv("MORILUX_GOLDEN_PRINT") != nullptr && !packed) Print(testCase.name, actual);
    const TRecord* expected = Find(testCase.name);
    ASSERT_NE(expected, nullptr) << "no recorded values for " << testCase.name;
    EXPECT_EQ(actual.decoded, expected->decoded);
    EXPECT_EQ(actual.text, expected->text);
    EXPECT_EQ(actual.error, expected->error);
    EXPECT_EQ(actual.failure, expected->failure);
    for (std::size_t i = 0; i < kImagePaneCount; ++i) {
      const TPaneDigest& a = actual.pictures[i];
      const TPaneDigest& e = expected->pictures[i];
      EXPECT_TRUE(a == e) << PaneName(static_cast<TImagePaneId>(i)) << ": " << a.width << " x " << a.height << " "
                          << std::hex << a.hash << ", recorded " << std::dec << e.width << " x " << e.height << " "
                          << std::hex << e.hash;
    }
    for (std::size_t i = 0; i < kTextPaneCount; ++i) {
      const TTextDigest& a = actual.texts[i];
      const TTextDigest& e = expected->texts[i];
      EXPECT_TRUE(a == e) << PaneName(static_cast<TTextPaneId>(i)) << ": " << a.lines << " lines " << std::hex
                          << a.hash << ", recorded " << std::dec << e.lines << " lines " << std::hex << e.hash;
    }
    EXPECT_EQ(actual.imgMemo, expected->imgMemo);
  }
}

INSTANTIATE_TEST_SUITE_P(Pictures, GoldenPanes, ::testing::ValuesIn(Cases()),
                         [](const ::testing::TestParamInfo<TCase>& info) {
                           std::string name = info.param.name;
                           for (char& c : name)
                             if (c == '-') c = '_';
                           return name;
                         });

}  // namespace
