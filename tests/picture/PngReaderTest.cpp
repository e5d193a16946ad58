#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "TempFolder.h"
#include "TestPng.h"
#include "TestSymbols.h"
#include "picture/PictureLoader.h"

using namespace testing_support;

namespace {

class PngFiles : public TTempFolderTest {
 protected:
  PngFiles() : TTempFolderTest("png") {}
};

// Colours a sample of 16 bits may take at each depth, chosen so that rounding
// and truncation to 8 bits differ (0x00FF rounds to 1, 0xFF00 to 254).
const std::vector<std::uint16_t> kSamples = {0x0000, 0xFFFF, 0x00FF, 0xFF00, 0x8000, 0x7FFF, 0x1234, 0xC0DE};

// The 8-bit value a file sample stands for: its top `depth` bits, scaled to
// 0..255 with rounding.
unsigned Expected8(std::uint16_t sample, int depth) {
  const unsigned stored = depth == 16 ? sample : sample >> (16 - depth);
  const unsigned top = (1u << depth) - 1;
  return (stored * 255 + top / 2) / top;
}

// The picture of `colours`, cycled along rows and columns.
std::vector<TRgba16> Cycled(int width, int height, const std::vector<TRgba16>& colours) {
  std::vector<TRgba16> pixels;
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) pixels.push_back(colours[static_cast<std::size_t>(x * 3 + y * 5) % colours.size()]);
  return pixels;
}

// The colour value (0x00BBGGRR) a pixel of the file must load as: each
// sample at the file's depth (8 for a palette's colours), over white by its alpha.
TColor ExpectedColour(const TRgba16& p, const TPngCoding& coding) {
  const int depth = coding.colours == TPngColours::Palette ? 8 : coding.depth;
  const bool grey = coding.colours == TPngColours::Grey || coding.colours == TPngColours::GreyAlpha;
  const bool hasAlpha = coding.colours == TPngColours::GreyAlpha || coding.colours == TPngColours::Rgba ||
                        coding.colours == TPngColours::Palette;
  const auto stored = [depth](std::uint16_t v) { return depth == 16 ? v : v >> (16 - depth); };
  unsigned alpha = hasAlpha ? Expected8(p.a, depth) : 255;
  if (coding.transparent) {
    const bool keyed = grey ? stored(p.r) == stored(coding.transparent->r)
                            : stored(p.r) == stored(coding.transparent->r) && stored(p.g) == stored(coding.transparent->g) &&
                                  stored(p.b) == stored(coding.transparent->b);
    if (keyed) alpha = 0;
  }
  TColor colour = 0;
  const std::uint16_t samples[3] = {p.r, grey ? p.r : p.g, grey ? p.r : p.b};
  for (int c = 0; c < 3; ++c) {
    const unsigned value = Expected8(samples[c], depth);
    colour |= static_cast<TColor>((value * alpha + 255 * (255 - alpha) + 127) / 255) << (8 * c);
  }
  return colour;
}

TRgba16 Grey(std::uint16_t v, std::uint16_t a = 0xFFFF) { return {v, v, v, a}; }


}  // namespace

// Every colour type at every depth it allows, plain and interlaced, at sizes
// that leave some of the seven interlace passes empty: each pixel loads as
// its samples rounded to 8 bits, transparent ones over white.
TEST_F(PngFiles, EveryKindLoadsItsColoursOverWhite) {
  std::vector<TRgba16> greys, colours, translucent;
  for (std::size_t i = 0; i < kSamples.size(); ++i) {
    greys.push_back(Grey(kSamples[i]));
    colours.push_back({kSamples[i], kSamples[(i + 3) % kSamples.size()], kSamples[(i + 5) % kSamples.size()], 0xFFFF});
    translucent.push_back({kSamples[i], kSamples[(i + 1) % kSamples.size()], kSamples[(i + 2) % kSamples.size()],
                           kSamples[(i + 4) % kSamples.size()]});
  }
  std::vector<TRgba16> greyAlpha;
  for (const TRgba16& p : translucent) greyAlpha.push_back(Grey(p.r, p.a));
  const std::vector<TRgba16> two = {{0, 0, 0, 0xFFFF}, {0xFFFF, 0x8000, 0, 0x8000}};
  const std::vector<TRgba16> four = {two[0], two[1], Grey(0xFFFF), {0x1234, 0xC0DE, 0x7FFF, 0}};
  struct TCase {
    TPngCoding coding;
    const std::vector<TRgba16>& colours;
  };
  const TCase cases[] = {
      {TPngCoding(TPngColours::Grey, 1), greys},          {TPngCoding(TPngColours::Grey, 2), greys},
      {TPngCoding(TPngColours::Grey, 4), greys},          {TPngCoding(TPngColours::Grey, 8), greys},
      {TPngCoding(TPngColours::Grey, 16), greys},         {TPngCoding(TPngColours::GreyAlpha, 8), greyAlpha},
      {TPngCoding(TPngColours::GreyAlpha, 16), greyAlpha}, {TPngCoding(TPngColours::Rgb, 8), colours},
      {TPngCoding(TPngColours::Rgb, 16), colours},        {TPngCoding(TPngColours::Rgba, 8), translucent},
      {TPngCoding(TPngColours::Rgba, 16), translucent},   {TPngCoding(TPngColours::Palette, 1), two},
      {TPngCoding(TPngColours::Palette, 2), four},        {TPngCoding(TPngColours::Palette, 4), translucent},
      {TPngCoding(TPngColours::Palette, 8), translucent},
      // One colour marked transparent in the transparency chunk.
      {TPngCoding(TPngColours::Grey, 4, false, Grey(0x1234)), greys},
      {TPngCoding(TPngColours::Grey, 16, false, Grey(0xC0DE)), greys},
      {TPngCoding(TPngColours::Rgb, 8, false, colours[2]), colours},
      {TPngCoding(TPngColours::Rgb, 16, false, colours[5]), colours},
  };
  for (const TCase& test : cases) {
    for (const bool interlaced : {false, true}) {
      for (const auto& [width, height] : {std::pair{1, 1}, std::pair{3, 5}, std::pair{13, 9}, std::pair{17, 16}}) {
        TPngCoding coding = test.coding;
        coding.interlaced = interlaced;
        SCOPED_TRACE(::testing::Message() << "colour type " << static_cast<int>(coding.colours) << ", depth "
                                          << coding.depth << (interlaced ? ", interlaced " : ", ") << width << " x "
                                          << height << (coding.transparent ? ", keyed" : ""));
        const std::vector<TRgba16> pixels = Cycled(width, height, test.colours);
        WriteFile(Path("kind.png"), EncodePng(width, height, pixels, coding));
        const std::optional<TBitmap> loaded = LoadPicture(Path("kind.png"));
        ASSERT_TRUE(loaded.has_value());
        ASSERT_EQ(loaded->Width(), width);
        ASSERT_EQ(loaded->Height(), height);
        for (int y = 0; y < height; ++y)
          for (int x = 0; x < width; ++x)
            ASSERT_EQ(loaded->Pixel(x, y), ExpectedColour(pixels[static_cast<std::size_t>(y * width + x)], coding))
                << x << "," << y;
      }
    }
  }
}

// Web tools often store black behind transparent pixels: the symbol stays
// dark on white, not on black.
TEST_F(PngFiles, TransparentBackgroundBecomesWhite) {
  const TTestSymbol symbol = EncodeBytes("PNG", 1, 1);
  const TBitmap drawn = RenderSymbol(symbol, 2, 2);
  std::vector<TRgba16> pixels;
  for (int y = 0; y < drawn.Height(); ++y)
    for (int x = 0; x < drawn.Width(); ++x)
      pixels.push_back(drawn.Pixel(x, y) == kBlack ? TRgba16{0, 0, 0, 0xFFFF} : TRgba16{0, 0, 0, 0});
  for (const TPngColours colours : {TPngColours::Rgba, TPngColours::GreyAlpha, TPngColours::Palette}) {
    WriteFile(Path("web.png"), EncodePng(drawn.Width(), drawn.Height(), pixels, TPngCoding(colours, 8)));
    EXPECT_EQ(LoadPicture(Path("web.png")).value(), drawn) << static_cast<int>(colours);
  }
}

// Chunks that change nothing shown are skipped unread: text, a gamma and a
// colour profile that is not even compressed data, unknown ones, and data
// left after the picture's rows.
TEST_F(PngFiles, ChunksBesideThePictureAreSkipped) {
  const TBitmap picture = RenderSymbol(EncodeBytes("chunks", 1, 1), 3);
  WritePng(picture, Path("plain.png"));
  std::string file = ReadFile(Path("plain.png"));
  file = InsertPngChunk(file, "IDAT", PngChunk("gAMA", std::string("\x00\x00\x27\x10", 4)));
  file = InsertPngChunk(file, "IDAT", PngChunk("iCCP", std::string("profile\0\0not deflate data", 26)));
  file = InsertPngChunk(file, "IDAT", PngChunk("tEXt", std::string("Comment\0made by a test", 22)));
  file = InsertPngChunk(file, "IDAT", PngChunk("prVt", "private"));
  std::string damaged = PngChunk("tEXt", "damaged checksum");
  damaged[8] ^= 0x20;  // the contents' first byte: the checksum no longer matches
  file = InsertPngChunk(file, "IEND", damaged);
  WriteFile(Path("chunks.png"), file);
  EXPECT_EQ(LoadPicture(Path("chunks.png")).value(), picture);
}

TEST_F(PngFiles, BadFilesAreRefusedWithOneLineNamingFileAndReason) {
  const TBitmap picture = RenderSymbol(EncodeBytes("refused", 2, 1), 4);
  WritePng(picture, Path("whole.png"));
  const std::string png = ReadFile(Path("whole.png"));
  WriteBmp(picture, Path("whole.bmp"));
  WriteJpeg(picture, Path("whole.jpg"));
  const std::string ihdr = png.substr(16, 13);
  // The header's width and height (big-endian) replaced, its checksum made to match.
  const auto sized = [&](const std::string& widthHeight) {
    return ReplacePngChunk(png, "IHDR", widthHeight + ihdr.substr(8));
  };
  // The last byte of the image data's checksum (the image data ends 12 bytes before the end).
  std::string badData = png;
  badData[png.size() - 13] ^= 0x55;
  const struct {
    const char* name;
    std::string bytes;
    const char* reason;
  } cases[] = {
      {"empty.png", "", "empty"},
      {"bitmap.png", ReadFile(Path("whole.bmp")), "not a PNG picture"},
      {"photo.png", ReadFile(Path("whole.jpg")), "not a PNG picture"},
      {"signature.png", png.substr(0, 8), "truncated"},
      {"header.png", png.substr(0, 20), "truncated"},
      {"half.png", png.substr(0, png.size() / 2), "truncated"},
      {"noend.png", png.substr(0, png.size() - 12), "truncated"},
      {"checksum.png", badData, "CRC error"},
      // 100000 x 100000 pixels, over the limit; 10000 x 10000, within it but
      // far more rows than the data can hold.
      {"huge.png", sized(std::string("\x00\x01\x86\xA0\x00\x01\x86\xA0", 8)), "too large"},
      {"large.png", sized(std::string("\x00\x00\x27\x10\x00\x00\x27\x10", 8)), "far too few"},
      {"zero.png", sized(std::string(8, '\0')), "not a readable PNG picture"},
      {"depth.png", ReplacePngChunk(png, "IHDR", ihdr.substr(0, 8) + "\x03" + ihdr.substr(9)), "not a readable PNG"},
      {"nopalette.png", ReplacePngChunk(png, "IHDR", ihdr.substr(0, 9) + "\x03" + ihdr.substr(10)), "not a readable PNG"},
      {"critical.png", InsertPngChunk(png, "IDAT", PngChunk("CRIT", "must be understood")), "not a readable PNG"},
  };
  for (const auto& test : cases) WriteFile(Path(test.name), test.bytes);
  std::filesystem::create_directories(Path("folder.png"));
  std::vector<std::pair<std::string, std::string>> refusals = {{"missing.png", "no such file"},
                                                               {"folder.png", "not a regular file"}};
  for (const auto& test : cases) refusals.emplace_back(test.name, test.reason);
  for (const auto& [name, reason] : refusals) {
    SCOPED_TRACE(name);
    try {
      LoadPicture(Path(name));
      ADD_FAILURE() << "loaded";
    } catch (const TPictureError& error) {
      const std::string message = error.what();
      EXPECT_NE(message.find(Path(name)), std::string::npos) << message;
      EXPECT_NE(message.find(reason), std::string::npos) << message;
      EXPECT_EQ(message.find('\n'), std::string::npos) << message;
    }
  }
}
