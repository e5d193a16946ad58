#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "TempFolder.h"
#include "TestSymbols.h"
#include "report/PictureSource.h"

using namespace testing_support;

namespace {

// A JPEG segment of `marker` with its length and `data`.
std::string Segment(unsigned char marker, const std::string& data) {
  const std::size_t length = data.size() + 2;
  return std::string{'\xFF', static_cast<char>(marker), static_cast<char>(length >> 8), static_cast<char>(length & 0xFF)} +
         data;
}

// An EXIF block whose first directory holds one entry: `tag` of `type` and count 1 with `value`.
std::string Exif(bool little, unsigned tag, unsigned type, unsigned value) {
  const auto u16 = [&](unsigned v) {
    return little ? std::string{static_cast<char>(v & 0xFF), static_cast<char>(v >> 8)}
                  : std::string{static_cast<char>(v >> 8), static_cast<char>(v & 0xFF)};
  };
  const auto u32 = [&](unsigned v) { return little ? u16(v & 0xFFFF) + u16(v >> 16) : u16(v >> 16) + u16(v & 0xFFFF); };
  const std::string value16 = u16(value) + std::string(2, '\0');
  return std::string("Exif\0\0", 6) + (little ? "II" : "MM") + u16(42) + u32(8) + u16(1) + u16(tag) + u16(type) + u32(1) +
         value16 + u32(0);
}

// The file with segments put right after its start-of-image marker.
std::string WithSegments(const std::string& jpeg, const std::vector<std::string>& segments) {
  std::string file = jpeg.substr(0, 2);
  for (const std::string& segment : segments) file += segment;
  return file + jpeg.substr(2);
}

class PictureSource : public TTempFolderTest {
 protected:
  PictureSource() : TTempFolderTest("source") {}

  std::string Jpeg(const TJpegCoding& coding = {}) {
    WriteJpeg(RenderSymbol(EncodeBytes("source", 1, 1), 4), Path("coded.jpg"), 90, coding);
    return ReadFile(Path("coded.jpg"));
  }
};

// A browser shows these as the loader decodes them, or not: it would turn the
// picture by its EXIF orientation, convert it by its colour profile, or may
// not read the coding at all.
TEST_F(PictureSource, OnlyFilesABrowserShowsAsLoadedAreEmbedded) {
  const std::string plain = Jpeg();
  const unsigned char kApp1 = 0xE1, kApp2 = 0xE2;
  constexpr unsigned kOrientation = 0x0112, kShort = 3, kLong = 4;
  struct TCase {
    const char* name;
    std::string file;
    bool shows;
  };
  const std::vector<TCase> cases = {
      {"colour, sequential", plain, true},
      {"progressive", Jpeg({.progressive = true}), true},
      {"grey", Jpeg({.grey = true}), true},
      {"arithmetic coding", Jpeg({.arithmetic = true}), false},
      {"orientation 1, little-endian", WithSegments(plain, {Segment(kApp1, Exif(true, kOrientation, kShort, 1))}), true},
      {"orientation 1, big-endian", WithSegments(plain, {Segment(kApp1, Exif(false, kOrientation, kShort, 1))}), true},
      {"EXIF without orientation", WithSegments(plain, {Segment(kApp1, Exif(true, 0x010F, kShort, 6))}), true},
      {"orientation 6", WithSegments(plain, {Segment(kApp1, Exif(true, kOrientation, kShort, 6))}), false},
      {"orientation 3, big-endian", WithSegments(plain, {Segment(kApp1, Exif(false, kOrientation, kShort, 3))}), false},
      {"orientation of an unexpected type", WithSegments(plain, {Segment(kApp1, Exif(true, kOrientation, kLong, 1))}), false},
      {"EXIF cut short", WithSegments(plain, {Segment(kApp1, Exif(true, kOrientation, kShort, 1).substr(0, 20))}), false},
      {"XMP beside EXIF", WithSegments(plain, {Segment(kApp1, "http://ns.adobe.com/xap/1.0/\0<x/>")}), true},
      {"colour profile", WithSegments(plain, {Segment(kApp2, std::string("ICC_PROFILE\0\1\1", 14) + "profile")}), false},
      {"not a JPEG file", "BM not a picture", false},
      {"no image data", plain.substr(0, 20), false},
  };
  for (const TCase& c : cases) EXPECT_EQ(ShowsAsLoaded(c.file), c.shows) << c.name;
}

// The file is embedded only while it is what was loaded: a change after the
// load, another kind of file, or a missing one gives nothing.
TEST_F(PictureSource, TheFileIsEmbeddedOnlyWhileItIsWhatWasLoaded) {
  const std::string jpeg = Jpeg();
  WriteFile(Path("photo.JPG"), jpeg);
  const TPictureSource source(Path("photo.JPG"));
  EXPECT_EQ(source.EmbeddableJpeg(), jpeg);

  WriteFile(Path("photo.JPG"), jpeg + "changed");
  EXPECT_EQ(source.EmbeddableJpeg(), "");

  WriteFile(Path("picture.bmp"), jpeg);
  EXPECT_EQ(TPictureSource(Path("picture.bmp")).EmbeddableJpeg(), "");
  const TPictureSource missing(Path("missing.jpg"));
  WriteFile(Path("missing.jpg"), jpeg);
  EXPECT_EQ(missing.EmbeddableJpeg(), "");
  EXPECT_EQ(TPictureSource().EmbeddableJpeg(), "");
}

}  // namespace
