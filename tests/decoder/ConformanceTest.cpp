// End-to-end conformance: symbols made by an independent encoder, rendered as
// pictures and decoded through the facade exactly as a user's picture would be.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "ConformancePictures.h"
#include "RecordingSurfaces.h"
#include "SymbolCodewords.h"
#include "TempFolder.h"
#include "TestSymbols.h"
#include "common/Messages.h"
#include "common/Surfaces.h"
#include "decoder/Veltrix.h"

namespace {

using namespace testing_support;

constexpr int kL = 0, kM = 1, kQ = 2, kH = 3;
const char* const kLevelNames[] = {"L", "M", "Q", "H"};
const char* const kModeNames[] = {"numeric", "alphanumeric", "byte", "kanji"};

struct TOutcome {
  bool ok = false;
  std::string text, error;
};

TOutcome DecodePicture(const TBitmap& picture, int forceVersion = 0, TSurfaces* surfaces = nullptr) {
  TSurfaces own;
  TVeltrix veltrix(surfaces != nullptr ? *surfaces : own);
  veltrix.SetForceVersion(forceVersion);
  const bool ok = veltrix.Decode(picture);
  return {ok, veltrix.DecodedText(), veltrix.GetErrorText() + veltrix.FailureText()};
}

void ExpectDecodes(const TOutcome& outcome, const std::string& data) {
  EXPECT_TRUE(outcome.ok) << outcome.error;
  EXPECT_TRUE(outcome.text == data) << "text of " << outcome.text.size() << " bytes";
}

// A failed decode, never a wrong text.
void ExpectFails(const TOutcome& outcome, int message) {
  EXPECT_FALSE(outcome.ok);
  EXPECT_EQ(outcome.text, "");
  EXPECT_EQ(outcome.error, ErrorMessage(message));
}

// Automatic version detection reaches version 14; larger symbols need a forced version.
int ForcedFor(int version) { return version <= 14 ? 0 : version; }

// `length` characters of the mode, drawn from a generator seeded with `seed`
// (minstd_rand is defined exactly by the C++ standard, so the cases are the same everywhere). Kanji
// characters come as Shift-JIS pairs from both ranges of the Kanji mode.
std::string MakeData(TSegmentMode mode, int length, int seed) {
  static const std::string alphanumeric = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ $%*+-./:";
  std::minstd_rand random(static_cast<std::uint_fast32_t>(seed) + 1);
  auto next = [&random](int range) { return static_cast<int>(random() % static_cast<std::uint_fast32_t>(range)); };
  std::string data;
  for (int i = 0; i < length; ++i) {
    switch (mode) {
      case TSegmentMode::Numeric: data += static_cast<char>('0' + next(10)); break;
      case TSegmentMode::Alphanumeric: data += alphanumeric[static_cast<std::size_t>(next(45))]; break;
      case TSegmentMode::Byte: data += static_cast<char>(next(256)); break;
      case TSegmentMode::Kanji: {
        const int first = next(5) == 0 ? 0xE0 + next(11) : 0x88 + next(24);
        const int second = 0x40 + next(0xBD);
        data += static_cast<char>(first);
        data += static_cast<char>(second == 0x7F ? 0x80 : second);
        break;
      }
      case TSegmentMode::Eci: break;  // a designator, not data; no case asks for it
    }
  }
  return data;
}

TTestSymbol ByteSymbol(const std::string& data, int version, int level) {
  return EncodeSegments({{TSegmentMode::Byte, data}}, version, level);
}

bool FitsVersion(TSegmentMode mode, int length, int seed, int version, int level) {
  try {
    return EncodeSegments({{mode, MakeData(mode, length, seed)}}, version, level).version == version;
  } catch (const std::exception&) {
    return false;  // more than the largest symbol holds
  }
}

// The most characters of the mode that a symbol of (version, level) holds.
int Capacity(TSegmentMode mode, int seed, int version, int level) {
  int low = 1, high = 8000;
  while (high - low > 1) {
    const int middle = (low + high) / 2;
    (FitsVersion(mode, middle, seed, version, level) ? low : high) = middle;
  }
  return low;
}

// Pixels per module from 3 to 8, kept smaller for large versions so that a picture stays below 1000 pixels.
int ModuleSizeFor(int version, int salt) {
  int size = 3 + (version + salt) % 6;
  while (size > 3 && (4 * version + 25) * size > 1000) --size;
  return size;
}

// ---------------------------------------------------------------------------
// Every version at every level, modes and module sizes spread over the cases,
// the odd versions filled to six tenths (the rest pad codewords), the even ones
// to capacity.

struct TVersionCase {
  int version, level, seed;
  int tenths;      // of the capacity filled with data; pad codewords fill the rest
  int moduleSize;  // pixels per module
  bool operator==(const TVersionCase&) const = default;
};

// Generated cases that the decoder's own algorithm cannot read, each with the
// message it ends with. They are kept as expected failures (a failed decode,
// never a wrong text); the same version and level is decoded with other data.
struct TExpectedFailure {
  TVersionCase c;
  int message;
};
const TExpectedFailure kExpectedFailures[] = {
    // The timing test samples module row 6 at the pitch of a smaller version; for
    // version 1 nine samples that fall on data modules alternate by chance, so the
    // symbol is read as a 21 x 21 matrix whose blocks cannot be corrected.
    {{5, kL, 5 * 4 + kL, 6, 8}, 3},
    // A structure of the data area passes the 1:1:3:1:1 run test with more crossing
    // runs than one of the real finder patterns (at a few pixels per module the
    // half-module tolerance, inclusive, also admits 1:1:4:1:1 stretches, and
    // repeated pad codewords draw the same structures again and again), so the
    // search puts it among the three centres and the version information is not
    // found where that triangle puts it (message 1) ...
    {{14, kM, 14 * 4 + kM, 10, 6}, 1},
    {{20, kL, 20 * 4 + kL, 10, 5}, 1},
    {{22, kH, 22 * 4 + kH, 10, 4}, 1},
    {{24, kQ, 24 * 4 + kQ, 10, 5}, 1},
    {{28, kQ, 28 * 4 + kQ, 10, 3}, 1},
    {{29, kH, 29 * 4 + kH, 6, 5}, 1},
    {{31, kQ, 31 * 4 + kQ, 6, 6}, 1},
    {{32, kQ, 32 * 4 + kQ, 10, 6}, 1},
    {{35, kM, 35 * 4 + kM, 6, 3}, 1},
    {{39, kL, 39 * 4 + kL, 6, 5}, 1},
    // ... or, when the two real patterns left still frame a version block, the
    // version is read but the modules are sampled on the wrong triangle (message 3).
    {{19, kH, 19 * 4 + kH, 6, 7}, 3},
    {{35, kL, 35 * 4 + kL, 6, 6}, 3},
};

const TExpectedFailure* ExpectedFailure(const TVersionCase& c) {
  for (const TExpectedFailure& known : kExpectedFailures)
    if (known.c == c) return &known;
  return nullptr;
}

void CheckVersionCase(const TVersionCase& c) {
  const auto mode = static_cast<TSegmentMode>((c.version + c.level) % 4);
  const int length = std::max(1, Capacity(mode, c.seed, c.version, c.level) * c.tenths / 10);
  const std::string data = MakeData(mode, length, c.seed);
  const TTestSymbol symbol = EncodeSegments({{mode, data}}, c.version, c.level);
  ASSERT_EQ(symbol.version, c.version);
  const TBitmap picture = RenderSymbol(symbol, c.moduleSize);
  SCOPED_TRACE(testing::Message() << "version " << c.version << "-" << kLevelNames[c.level] << ", "
                                  << kModeNames[static_cast<int>(mode)] << " x" << length << ", " << c.moduleSize
                                  << " px per module, seed " << c.seed);
  const TOutcome outcome = DecodePicture(picture, ForcedFor(c.version));
  if (const TExpectedFailure* known = ExpectedFailure(c)) return ExpectFails(outcome, known->message);
  ExpectDecodes(outcome, data);
  if (c.version >= 15) {
    // A different forced value of 7 or more: it only sets the pitch with which
    // the version information is found, and the version read there wins.
    const int other = c.version == 40 ? 39 : (c.level % 2 == 0 ? c.version - 1 : c.version + 1);
    SCOPED_TRACE(testing::Message() << "forced " << other);
    ExpectDecodes(DecodePicture(picture, other), data);
  }
}

class ConformanceVersion : public testing::TestWithParam<int> {};

TEST_P(ConformanceVersion, EveryLevelDecodesToTheEncodedText) {
  const int version = GetParam();
  for (int level = kL; level <= kH; ++level) {
    const TVersionCase c{version, level, version * 4 + level, version % 2 == 0 ? 10 : 6, ModuleSizeFor(version, level)};
    CheckVersionCase(c);
    // An expected failure is replaced by other data, another fill and another module size.
    if (ExpectedFailure(c) != nullptr)
      CheckVersionCase({version, level, c.seed + 1000, c.tenths == 10 ? 8 : 10, ModuleSizeFor(version, level + 1)});
  }
}

INSTANTIATE_TEST_SUITE_P(AllVersions, ConformanceVersion, testing::Range(1, 41), [](const testing::TestParamInfo<int>& info) {
  return std::string("V").append(std::to_string(info.param));
});

TEST(ConformanceModes, SegmentsOfEveryModeInOneSymbol) {
  const std::string kanji = "\x88\x9F\x93\x5F\xE4\xAA";  // three Kanji characters
  const std::vector<TSegment> segments = {{TSegmentMode::Numeric, "0123456789"},
                                          {TSegmentMode::Alphanumeric, "AC-42 $%*+-./:"},
                                          {TSegmentMode::Byte, "bytes \x01\xFE"},
                                          {TSegmentMode::Kanji, kanji}};
  for (const int version : {3, 12})
    ExpectDecodes(DecodePicture(RenderSymbol(EncodeSegments(segments, version, kM), 4)),
                  "0123456789AC-42 $%*+-./:bytes \x01\xFE" + kanji);
}

// Numeric digits go in groups of three, the last group one or two digits;
// every group keeps its leading zeros, a last pair below 10 ("07") included.
TEST(ConformanceModes, NumericGroupsKeepTheirLeadingZeros) {
  const std::vector<std::vector<TSegment>> cases = {
      {{TSegmentMode::Numeric, "07"}},
      {{TSegmentMode::Numeric, "12345607"}},
      {{TSegmentMode::Numeric, "00700"}},
      {{TSegmentMode::Numeric, "0000000009"}},
      {{TSegmentMode::Numeric, "81009"}, {TSegmentMode::Alphanumeric, "AB"}},
  };
  for (const auto& segments : cases) {
    std::string text;
    for (const TSegment& segment : segments) text += segment.data;
    SCOPED_TRACE(text);
    for (const int version : {1, 7}) ExpectDecodes(DecodePicture(RenderSymbol(EncodeSegments(segments, version, kQ), 4)), text);
  }
}

TEST(ConformanceModes, AutomaticDetectionStopsAtVersion14) {
  // The timing test tries versions up to 14 only: a version-15 symbol is read
  // with a forced version and fails without one.
  const std::string data = MakeData(TSegmentMode::Byte, 40, 1);
  const TBitmap picture = RenderSymbol(ByteSymbol(data, 15, kM), 4);
  ExpectFails(DecodePicture(picture, 0), 1);
  ExpectDecodes(DecodePicture(picture, 15), data);
}

// ---------------------------------------------------------------------------

TEST(ConformancePictures, QuarterTurnsAndSmallAngles) {
  for (const int version : {2, 8, 16}) {
    const std::string data = MakeData(TSegmentMode::Byte, 20 + version, version);
    const TTestSymbol symbol = ByteSymbol(data, version, kQ);
    for (const int turns : {1, 2, 3}) {
      SCOPED_TRACE(testing::Message() << "version " << version << ", " << 90 * turns << " degrees");
      ExpectDecodes(DecodePicture(RenderSymbol(symbol, 5, 4, turns), ForcedFor(version)), data);
    }
  }
  const struct {
    int version;
    double degrees;
  } angles[] = {{2, 4.0}, {3, -7.0}, {5, 11.0}, {7, -3.0}, {10, 16.0}};
  for (const auto& c : angles) {
    SCOPED_TRACE(testing::Message() << "version " << c.version << ", " << c.degrees << " degrees");
    const std::string data = MakeData(TSegmentMode::Alphanumeric, 10 + c.version, c.version);
    const TTestSymbol symbol = EncodeSegments({{TSegmentMode::Alphanumeric, data}}, c.version, kM);
    ExpectDecodes(DecodePicture(RenderSymbolRotated(symbol, 6, 4, c.degrees)), data);
  }
}

TEST(ConformancePictures, JpegFilesThroughTheLoader) {
  const struct {
    int version, level, moduleSize, quality;
  } cases[] = {{1, kH, 4, 75}, {4, kQ, 5, 90}, {9, kM, 3, 85}, {22, kL, 4, 90}};
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "version " << c.version);
    const std::string data = MakeData(TSegmentMode::Byte, 5 + 3 * c.version, c.version);
    const TTempFolder folder("conformance");
    const std::string path = folder.Path("symbol.jpg");
    WriteJpeg(RenderSymbol(ByteSymbol(data, c.version, c.level), c.moduleSize), path, c.quality);
    const TBitmap picture = ReadJpeg(path);
    ExpectDecodes(DecodePicture(picture, ForcedFor(c.version)), data);
  }
}

// ---------------------------------------------------------------------------
// Damaged codewords. Codeword j·B + b is the j-th data codeword of block b.

std::vector<std::string> CorrectionLines(const TSurfaces& surfaces) {
  std::vector<std::string> lines;
  for (const auto& line : surfaces.Text(TTextPaneId::RdSnMemo).Lines())
    if (line == "No errors found." || line.find(" data errors corrected.") != std::string::npos) lines.push_back(line);
  return lines;
}

bool HasLine(const TSurfaces& surfaces, TTextPaneId pane, const std::string& line) {
  const auto& lines = surfaces.Text(pane).Lines();
  return std::find(lines.begin(), lines.end(), line) != lines.end();
}

TEST(ConformanceDamage, UpToThreeCodewordsPerBlockAreCorrectedMoreFailWithMessage3) {
  // Versions and levels with at least 10 error-correction codewords per block:
  // one block, equal blocks and blocks of two lengths.
  const struct {
    int version, level, blocks;
  } cases[] = {{2, kL, 1}, {3, kM, 1}, {5, kQ, 4}, {6, kM, 4}, {7, kH, 5}, {13, kQ, 12}, {24, kH, 32}};
  for (const auto& c : cases) {
    for (const int n : {1, 2, 3, 4, 6}) {
      SCOPED_TRACE(testing::Message() << "version " << c.version << "-" << kLevelNames[c.level] << ", " << n
                                      << " per damaged block");
      const std::string data = MakeData(TSegmentMode::Byte, 12 + c.version, n);
      TTestSymbol symbol = ByteSymbol(data, c.version, c.level);
      ASSERT_EQ(symbol.version, c.version);
      // Up to three: n codewords in the first block and n in the last; more: n in the middle block.
      const int last = c.blocks - 1;
      for (const int b : n <= 3 ? std::set<int>{0, last} : std::set<int>{c.blocks / 2}) {
        const int first = FirstDamageIndex(symbol, c.blocks, b);
        for (int j = first; j < first + n; ++j) DamageCodeword(symbol, j * c.blocks + b);
      }
      TSurfaces surfaces;
      const TOutcome outcome = DecodePicture(RenderSymbol(symbol, 4), ForcedFor(c.version), &surfaces);
      EXPECT_TRUE(HasLine(surfaces, TTextPaneId::BLMemo, "RSBlock数 : " + std::to_string(c.blocks)));
      if (n > 3) {
        ExpectFails(outcome, 3);
        continue;
      }
      ExpectDecodes(outcome, data);
      // One running-total line per block, then the total when there are several blocks.
      auto corrected = [](int total) { return std::to_string(total) + " data errors corrected."; };
      std::vector<std::string> expected;
      for (int b = 0; b < c.blocks; ++b) expected.push_back(corrected(b < last || c.blocks == 1 ? n : 2 * n));
      if (c.blocks > 1) expected.push_back(corrected(2 * n));
      EXPECT_EQ(CorrectionLines(surfaces), expected);
    }
  }
}

TEST(ConformanceDamage, Version1LowNeverCorrects) {
  // The decoder always works with eight syndromes; for 7 error-correction codewords
  // S6 and S7 are never zero, so the locator never comes out below degree 4 and a
  // damaged 1-L symbol cannot be corrected. It must fail, never give a wrong text.
  for (const std::vector<int>& damaged : std::vector<std::vector<int>>{{0}, {7}, {25}, {2, 11}}) {
    TTestSymbol symbol = ByteSymbol("1-L", 1, kL);
    for (const int k : damaged) DamageCodeword(symbol, k);
    ExpectFails(DecodePicture(RenderSymbol(symbol, 4)), 3);
  }
}

// ---------------------------------------------------------------------------
// The report's exact lines.

TEST(ConformanceReport, Version1ListingAndCorrectionLine) {
  const TTestSymbol symbol = ByteSymbol("REPORT 1", 1, kQ);
  TSurfaces surfaces;
  ASSERT_TRUE(DecodePicture(RenderSymbol(symbol, 5), 0, &surfaces).ok);
  std::vector<std::string> expected = {"--- ReadBlocks ---", "  No  Data "};
  const std::vector<int> codewords = PlacementCodewords(symbol);
  ASSERT_EQ(codewords.size(), 26u);
  for (std::size_t k = 0; k < codewords.size(); ++k) {
    char line[32];
    std::snprintf(line, sizeof line, "  %2d   %02X", static_cast<int>(k), static_cast<unsigned>(codewords[k]));
    expected.push_back(line);
  }
  expected.insert(expected.end(), {"プロック数：26", "--- CorrectedDataBlocks ---", "バージョン : 1",
                                   "エラー訂正レベル :Q", "RSBlock数 : 1"});
  EXPECT_EQ(surfaces.Text(TTextPaneId::BLMemo).Lines(), expected);
  EXPECT_EQ(CorrectionLines(surfaces), std::vector<std::string>{"No errors found."});
}

TEST(ConformanceReport, Version5QBlockLinesAndRunningTotals) {
  const std::string data = MakeData(TSegmentMode::Byte, 50, 5);
  TTestSymbol symbol = ByteSymbol(data, 5, kQ);
  ASSERT_EQ(symbol.version, 5);
  // One error in block 0: its running total stands on every later block's line and once more at the end.
  DamageCodeword(symbol, 16);  // data codeword 4 of block 0
  TRecordingSurfaces surfaces;
  ExpectDecodes(DecodePicture(RenderSymbol(symbol, 4), 0, &surfaces), data);
  const auto& listing = surfaces.Text(TTextPaneId::BLMemo).Lines();
  ASSERT_GE(listing.size(), 9u);
  EXPECT_EQ(std::vector<std::string>(listing.end() - 9, listing.end()),
            (std::vector<std::string>{"プロック数：134", "--- CorrectedDataBlocks ---", "バージョン : 5",
                                      "エラー訂正レベル :Q", "RSBlock数 : 4", "RSBlocks = 0", "RSBlocks = 1",
                                      "RSBlocks = 2", "RSBlocks = 3"}));
  const std::string one = "1 data errors corrected.";
  EXPECT_EQ(CorrectionLines(surfaces), std::vector<std::string>(5, one));
  // Across the panes: each block's block line sits between its trace and its correction line.
  std::vector<std::string> order;
  for (const auto& entry : surfaces.Log())
    if (entry.line == "--- Decode Data ---" || entry.line.rfind("RSBlocks = ", 0) == 0 || entry.line == one)
      order.push_back(entry.line);
  std::vector<std::string> expected;
  for (int b = 0; b < 4; ++b) expected.insert(expected.end(), {"--- Decode Data ---", "RSBlocks = " + std::to_string(b), one});
  expected.push_back(one);
  EXPECT_EQ(order, expected);
}

// ---------------------------------------------------------------------------

TEST(ConformanceRepeat, TwoDecodesInARowOnOneFacade) {
  TSurfaces surfaces;
  TVeltrix veltrix(surfaces);
  ASSERT_TRUE(veltrix.Decode(RenderSymbol(EncodeBytes("first decode", 3, kM), 4)));
  ASSERT_EQ(surfaces.Image(TImagePaneId::DigitImage).CurrentPicture().Width(), 29);
  // A second success replaces the panes and adds a second listing.
  ASSERT_TRUE(veltrix.Decode(RenderSymbol(EncodeBytes("second", 1, kM), 4)));
  EXPECT_EQ(veltrix.DecodedText(), "second");
  EXPECT_EQ(surfaces.Image(TImagePaneId::DigitImage).CurrentPicture().Width(), 21);
  const auto& listing = surfaces.Text(TTextPaneId::BLMemo).Lines();
  EXPECT_EQ(std::count(listing.begin(), listing.end(), "--- ReadBlocks ---"), 2);
  // A symbol beyond correction after a success: failed, no text left over from before.
  TTestSymbol broken = EncodeBytes("first decode", 3, kM);
  for (int k = 20; k < 25; ++k) DamageCodeword(broken, k);
  EXPECT_FALSE(veltrix.Decode(RenderSymbol(broken, 4)));
  EXPECT_EQ(veltrix.DecodedText(), "");
  EXPECT_EQ(veltrix.GetErrorText(), ErrorMessage(3));
}

}  // namespace
