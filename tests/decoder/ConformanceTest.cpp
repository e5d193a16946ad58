// End-to-end conformance: symbols made by an independent encoder, rendered as
// pictures and decoded through the facade exactly as a user's picture would be.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "ConformancePictures.h"
#include "RecordingSurfaces.h"
#include "TestSymbols.h"
#include "common/Messages.h"
#include "common/Surfaces.h"
#include "decoder/DecodingReport.h"
#include "decoder/Veltrix.h"

namespace {

using namespace testing_support;

constexpr int kL = 0, kM = 1, kQ = 2, kH = 3;
const char* const kLevelNames[] = {"L", "M", "Q", "H"};
const char* const kModeNames[] = {"numeric", "alphanumeric", "byte", "kanji"};

struct TOutcome {
  bool ok = false;
  std::string text;
  std::string error;
};

TOutcome DecodePicture(const TBitmap& picture, int forceVersion, TSurfaces& surfaces) {
  TVeltrix veltrix(surfaces);
  veltrix.SetForceVersion(forceVersion);
  TOutcome outcome;
  outcome.ok = veltrix.Decode(picture);
  outcome.text = veltrix.DecodedText();
  outcome.error = veltrix.GetErrorText() + veltrix.FailureText();
  return outcome;
}

TOutcome DecodePicture(const TBitmap& picture, int forceVersion = 0) {
  TSurfaces surfaces;
  return DecodePicture(picture, forceVersion, surfaces);
}

// Automatic version detection reaches version 14; larger symbols need a forced version.
int ForcedFor(int version) { return version <= 14 ? 0 : version; }

// `length` characters of the mode, drawn from a generator seeded with `seed`
// (minstd_rand is fully specified, so the cases are the same everywhere). Kanji
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
        int second = 0x40 + next(0xBD);
        if (second == 0x7F) second = 0x80;
        data += static_cast<char>(first);
        data += static_cast<char>(second);
        break;
      }
    }
  }
  return data;
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
  int low = 1, high = 2;
  while (FitsVersion(mode, high, seed, version, level)) {
    low = high;
    high *= 2;
  }
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
    if (known.c.version == c.version && known.c.level == c.level && known.c.seed == c.seed &&
        known.c.tenths == c.tenths && known.c.moduleSize == c.moduleSize)
      return &known;
  return nullptr;
}

void CheckVersionCase(const TVersionCase& c) {
  const int version = c.version, level = c.level;
  const auto mode = static_cast<TSegmentMode>((version + level) % 4);
  const int capacity = Capacity(mode, c.seed, version, level);
  const int length = std::max(1, capacity * c.tenths / 10);
  const std::string data = MakeData(mode, length, c.seed);
  const TTestSymbol symbol = EncodeSegments({{mode, data}}, version, level);
  ASSERT_EQ(symbol.version, version);
  const int moduleSize = c.moduleSize;
  const TBitmap picture = RenderSymbol(symbol, moduleSize);
  SCOPED_TRACE(testing::Message() << "version " << version << "-" << kLevelNames[level] << ", "
                                  << kModeNames[static_cast<int>(mode)] << " x" << length << ", " << moduleSize
                                  << " px per module, seed " << c.seed);
  const TOutcome outcome = DecodePicture(picture, ForcedFor(version));
  if (const TExpectedFailure* known = ExpectedFailure(c)) {
    EXPECT_FALSE(outcome.ok);
    EXPECT_EQ(outcome.text, "");
    EXPECT_EQ(outcome.error, ErrorMessage(known->message));
    return;
  }
  EXPECT_TRUE(outcome.ok) << outcome.error;
  EXPECT_TRUE(outcome.text == data) << "text of " << outcome.text.size() << " bytes";

  if (version >= 15) {
    // A different forced value of 7 or more: it only sets the pitch with which
    // the version information is found, and the version read there wins.
    const int other = version == 40 ? 39 : (level % 2 == 0 ? version - 1 : version + 1);
    const TOutcome forced = DecodePicture(picture, other);
    EXPECT_TRUE(forced.ok) << "forced " << other << ": " << forced.error;
    EXPECT_TRUE(forced.text == data) << "forced " << other;
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

INSTANTIATE_TEST_SUITE_P(AllVersions, ConformanceVersion, testing::Range(1, 41),
                         [](const testing::TestParamInfo<int>& info) { return "V" + std::to_string(info.param); });

TEST(ConformanceModes, SegmentsOfEveryModeInOneSymbol) {
  const std::string kanji = "\x88\x9F\x93\x5F\xE4\xAA";  // three Kanji characters
  const std::vector<TSegment> segments = {{TSegmentMode::Numeric, "0123456789"},
                                          {TSegmentMode::Alphanumeric, "AC-42 $%*+-./:"},
                                          {TSegmentMode::Byte, "bytes \x01\xFE"},
                                          {TSegmentMode::Kanji, kanji}};
  for (const int version : {3, 12}) {
    const TTestSymbol symbol = EncodeSegments(segments, version, kM);
    const TOutcome outcome = DecodePicture(RenderSymbol(symbol, 4));
    EXPECT_TRUE(outcome.ok) << outcome.error;
    EXPECT_EQ(outcome.text, "0123456789AC-42 $%*+-./:bytes \x01\xFE" + kanji);
  }
}

TEST(ConformanceModes, AutomaticDetectionStopsAtVersion14) {
  // Expected failure of the specified algorithm: the timing test tries versions
  // up to 14 only, so a version-15 symbol is found only with a forced version.
  const std::string data = MakeData(TSegmentMode::Byte, 40, 1);
  const TBitmap picture = RenderSymbol(EncodeSegments({{TSegmentMode::Byte, data}}, 15, kM), 4);
  const TOutcome automatic = DecodePicture(picture, 0);
  EXPECT_FALSE(automatic.ok);
  EXPECT_EQ(automatic.error, ErrorMessage(1));
  EXPECT_EQ(DecodePicture(picture, 15).text, data);
}

// ---------------------------------------------------------------------------

TEST(ConformancePictures, QuarterTurns) {
  for (const int version : {2, 8, 16}) {
    const std::string data = MakeData(TSegmentMode::Byte, 20 + version, version);
    const TTestSymbol symbol = EncodeSegments({{TSegmentMode::Byte, data}}, version, kQ);
    for (const int turns : {1, 2, 3}) {
      const TOutcome outcome = DecodePicture(RenderSymbol(symbol, 5, 4, turns), ForcedFor(version));
      EXPECT_TRUE(outcome.ok) << "version " << version << ", " << 90 * turns << " degrees: " << outcome.error;
      EXPECT_EQ(outcome.text, data) << "version " << version << ", " << 90 * turns << " degrees";
    }
  }
}

TEST(ConformancePictures, SmallAngles) {
  const struct {
    int version;
    double degrees;
  } cases[] = {{2, 4.0}, {3, -7.0}, {5, 11.0}, {7, -3.0}, {10, 16.0}};
  for (const auto& c : cases) {
    const std::string data = MakeData(TSegmentMode::Alphanumeric, 10 + c.version, c.version);
    const TTestSymbol symbol = EncodeSegments({{TSegmentMode::Alphanumeric, data}}, c.version, kM);
    const TOutcome outcome = DecodePicture(RenderSymbolRotated(symbol, 6, 4, c.degrees));
    EXPECT_TRUE(outcome.ok) << "version " << c.version << ", " << c.degrees << " degrees: " << outcome.error;
    EXPECT_EQ(outcome.text, data) << "version " << c.version << ", " << c.degrees << " degrees";
  }
}

TEST(ConformancePictures, JpegFilesThroughTheLoader) {
  const std::filesystem::path folder = std::filesystem::temp_directory_path();
  const struct {
    int version, level, moduleSize, quality;
  } cases[] = {{1, kH, 4, 75}, {4, kQ, 5, 90}, {9, kM, 3, 85}, {22, kL, 4, 90}};
  for (const auto& c : cases) {
    const std::string data = MakeData(TSegmentMode::Byte, 5 + 3 * c.version, c.version);
    const TTestSymbol symbol = EncodeSegments({{TSegmentMode::Byte, data}}, c.version, c.level);
    const std::string path =
        (folder / ("morilux_conformance_" + std::to_string(c.version) + "_" + std::to_string(::getpid()) + ".jpg"))
            .string();
    WriteJpeg(RenderSymbol(symbol, c.moduleSize), path, c.quality);
    const TBitmap picture = ReadJpeg(path);
    std::filesystem::remove(path);
    const TOutcome outcome = DecodePicture(picture, ForcedFor(c.version));
    EXPECT_TRUE(outcome.ok) << "version " << c.version << ": " << outcome.error;
    EXPECT_EQ(outcome.text, data) << "version " << c.version;
  }
}

// ---------------------------------------------------------------------------
// Damaged codewords. Codeword j·B + b is the j-th data codeword of block b.

struct TDamageCase {
  int version, level;
};

// Versions and levels with at least 10 error-correction codewords per block:
// one block, equal blocks and blocks of two lengths.
const TDamageCase kDamageCases[] = {{2, kL}, {3, kM}, {5, kQ}, {6, kM}, {7, kH}, {13, kQ}, {24, kH}};

std::vector<std::string> CorrectionLines(const TSurfaces& surfaces) {
  std::vector<std::string> lines;
  for (const auto& line : surfaces.Text(TTextPaneId::RdSnMemo).Lines())
    if (line == "No errors found." || line.find(" data errors corrected.") != std::string::npos) lines.push_back(line);
  return lines;
}

// The number of Reed-Solomon blocks, from the block summary of a decode of the intact symbol.
int BlockCountOf(const TTestSymbol& symbol) {
  TSurfaces surfaces;
  const TOutcome outcome = DecodePicture(RenderSymbol(symbol, 4), ForcedFor(symbol.version), surfaces);
  EXPECT_TRUE(outcome.ok) << "intact version " << symbol.version << ": " << outcome.error;
  const std::string prefix = "RSBlock数 : ";
  for (const auto& line : surfaces.Text(TTextPaneId::BLMemo).Lines())
    if (line.rfind(prefix, 0) == 0) return std::stoi(line.substr(prefix.size()));
  return 0;
}

TEST(ConformanceDamage, UpToThreeCodewordsPerBlockAreCorrected) {
  for (const auto& c : kDamageCases) {
    for (int n = 1; n <= 3; ++n) {
      const std::string data = MakeData(TSegmentMode::Byte, 12 + c.version, n);
      TTestSymbol symbol = EncodeSegments({{TSegmentMode::Byte, data}}, c.version, c.level);
      ASSERT_EQ(symbol.version, c.version);
      const int blocks = BlockCountOf(symbol);
      ASSERT_GT(blocks, 0);
      // n codewords in the first block and, when there are several, n in the last.
      const int last = blocks - 1;
      for (int j = 0; j < n; ++j) {
        DamageCodeword(symbol, (FirstDamageIndex(symbol, blocks, 0) + j) * blocks);
        if (blocks > 1) DamageCodeword(symbol, (FirstDamageIndex(symbol, blocks, last) + j) * blocks + last);
      }
      TSurfaces surfaces;
      SCOPED_TRACE(testing::Message() << "version " << c.version << "-" << kLevelNames[c.level] << ", " << n
                                      << " per block");
      const TOutcome outcome = DecodePicture(RenderSymbol(symbol, 4), ForcedFor(c.version), surfaces);
      EXPECT_TRUE(outcome.ok) << outcome.error;
      EXPECT_EQ(outcome.text, data);

      // One running-total line per block, then the total when there are several blocks.
      std::vector<std::string> expected;
      for (int b = 0; b < blocks; ++b)
        expected.push_back(decoding_report::CorrectionLine(b < last || blocks == 1 ? n : 2 * n));
      if (blocks > 1) expected.push_back(decoding_report::TotalLine(2 * n));
      EXPECT_EQ(CorrectionLines(surfaces), expected);
    }
  }
}

TEST(ConformanceDamage, FourOrMoreCodewordsInOneBlockFailWithMessage3) {
  for (const auto& c : kDamageCases) {
    for (const int n : {4, 6}) {
      const std::string data = MakeData(TSegmentMode::Byte, 12 + c.version, n);
      TTestSymbol symbol = EncodeSegments({{TSegmentMode::Byte, data}}, c.version, c.level);
      const int blocks = BlockCountOf(symbol);
      ASSERT_GT(blocks, 0);
      const int block = blocks / 2;
      const int first = FirstDamageIndex(symbol, blocks, block);
      for (int j = first; j < first + n; ++j) DamageCodeword(symbol, j * blocks + block);
      const TOutcome outcome = DecodePicture(RenderSymbol(symbol, 4), ForcedFor(c.version));
      SCOPED_TRACE(testing::Message() << "version " << c.version << "-" << kLevelNames[c.level] << ", " << n
                                      << " in block " << block);
      EXPECT_FALSE(outcome.ok);
      EXPECT_EQ(outcome.text, "");
      EXPECT_EQ(outcome.error, ErrorMessage(3));
    }
  }
}

TEST(ConformanceDamage, Version1LowNeverCorrects) {
  // Expected failure of the specified decoder: for 7 error-correction codewords its
  // syndromes S6 and S7 are never zero, so the locator never comes out below degree 4
  // and a damaged 1-L symbol cannot be corrected. It must fail, never give a wrong text.
  const std::string data = "1-L";
  for (const std::vector<int>& damaged : std::vector<std::vector<int>>{{0}, {7}, {25}, {2, 11}}) {
    TTestSymbol symbol = EncodeSegments({{TSegmentMode::Byte, data}}, 1, kL);
    for (const int k : damaged) DamageCodeword(symbol, k);
    const TOutcome outcome = DecodePicture(RenderSymbol(symbol, 4));
    EXPECT_FALSE(outcome.ok);
    EXPECT_EQ(outcome.text, "");
    EXPECT_EQ(outcome.error, ErrorMessage(3));
  }
}

// ---------------------------------------------------------------------------
// The report's exact lines.

TEST(ConformanceReport, Version1ListingAndCorrectionLine) {
  const std::string data = "REPORT 1";
  const TTestSymbol symbol = EncodeSegments({{TSegmentMode::Byte, data}}, 1, kQ);
  TSurfaces surfaces;
  ASSERT_TRUE(DecodePicture(RenderSymbol(symbol, 5), 0, surfaces).ok);

  std::vector<std::int32_t> codewords = ByteSegmentCodewords(data, 1, 13);
  const std::vector<std::int32_t> ec = ErrorCorrectionCodewords(codewords, 13);
  codewords.insert(codewords.end(), ec.begin(), ec.end());
  std::vector<std::string> expected = {"--- ReadBlocks ---", "  No  Data "};
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
  TTestSymbol symbol = EncodeSegments({{TSegmentMode::Byte, data}}, 5, kQ);
  ASSERT_EQ(symbol.version, 5);
  TRecordingSurfaces intact;
  ASSERT_TRUE(DecodePicture(RenderSymbol(symbol, 4), 0, intact).ok);
  const auto& listing = intact.Text(TTextPaneId::BLMemo).Lines();
  ASSERT_GE(listing.size(), 8u);
  EXPECT_EQ(std::vector<std::string>(listing.end() - 9, listing.end()),
            (std::vector<std::string>{"プロック数：134", "--- CorrectedDataBlocks ---", "バージョン : 5",
                                      "エラー訂正レベル :Q", "RSBlock数 : 4", "RSBlocks = 0", "RSBlocks = 1",
                                      "RSBlocks = 2", "RSBlocks = 3"}));
  EXPECT_EQ(CorrectionLines(intact), std::vector<std::string>(4, "No errors found."));

  // One error in block 0: its running total stands on every later block's line and once more at the end.
  DamageCodeword(symbol, 16);  // data codeword 4 of block 0
  TRecordingSurfaces damaged;
  const TOutcome outcome = DecodePicture(RenderSymbol(symbol, 4), 0, damaged);
  ASSERT_TRUE(outcome.ok);
  EXPECT_EQ(outcome.text, data);
  EXPECT_EQ(CorrectionLines(damaged), std::vector<std::string>(5, "1 data errors corrected."));
  // Across the panes: each block's block line sits between its trace and its correction line.
  std::vector<std::string> order;
  for (const auto& entry : damaged.Log())
    if (entry.line == "--- Decode Data ---" || entry.line.rfind("RSBlocks = ", 0) == 0 ||
        entry.line == "1 data errors corrected.")
      order.push_back(entry.line);
  const std::string one = "1 data errors corrected.";
  EXPECT_EQ(order, (std::vector<std::string>{"--- Decode Data ---", "RSBlocks = 0", one, "--- Decode Data ---",
                                             "RSBlocks = 1", one, "--- Decode Data ---", "RSBlocks = 2", one,
                                             "--- Decode Data ---", "RSBlocks = 3", one, one}));
}

// ---------------------------------------------------------------------------

TEST(ConformanceRepeat, TwoDecodesInARowOnOneFacade) {
  TSurfaces surfaces;
  TVeltrix veltrix(surfaces);
  const std::string first = "first decode";
  ASSERT_TRUE(veltrix.Decode(RenderSymbol(EncodeBytes(first, 3, kM), 4)));
  ASSERT_EQ(veltrix.DecodedText(), first);
  const TBitmap digit = surfaces.Image(TImagePaneId::DigitImage).CurrentPicture();
  const TBitmap result = surfaces.Image(TImagePaneId::ResultImage).CurrentPicture();
  const TBitmap adjust = surfaces.Image(TImagePaneId::AdjustImage).CurrentPicture();
  ASSERT_EQ(digit.Width(), 29);

  // A second success replaces the panes and adds a second listing.
  const std::string second = "second";
  ASSERT_TRUE(veltrix.Decode(RenderSymbol(EncodeBytes(second, 1, kM), 4)));
  EXPECT_EQ(veltrix.DecodedText(), second);
  EXPECT_EQ(surfaces.Image(TImagePaneId::DigitImage).CurrentPicture().Width(), 21);
  const auto& listing = surfaces.Text(TTextPaneId::BLMemo).Lines();
  EXPECT_EQ(std::count(listing.begin(), listing.end(), "--- ReadBlocks ---"), 2);
  const TBitmap secondDigit = surfaces.Image(TImagePaneId::DigitImage).CurrentPicture();
  const TBitmap secondResult = surfaces.Image(TImagePaneId::ResultImage).CurrentPicture();
  const std::size_t listed = listing.size();

  // A picture without a symbol: no text, and the panes of the stages that did not run keep their pictures.
  EXPECT_FALSE(veltrix.Decode(TBitmap(300, 300)));
  EXPECT_EQ(veltrix.DecodedText(), "");
  EXPECT_EQ(veltrix.GetErrorText(), ErrorMessage(1));
  EXPECT_EQ(surfaces.Image(TImagePaneId::DigitImage).CurrentPicture(), secondDigit);
  EXPECT_EQ(surfaces.Image(TImagePaneId::ResultImage).CurrentPicture(), secondResult);
  EXPECT_EQ(surfaces.Text(TTextPaneId::BLMemo).Lines().size(), listed);

  // A symbol beyond correction after a success: failed, no text left over from before.
  ASSERT_TRUE(veltrix.Decode(RenderSymbol(EncodeBytes(first, 3, kM), 4)));
  TTestSymbol broken = EncodeBytes(first, 3, kM);
  for (int k = 20; k < 25; ++k) DamageCodeword(broken, k);
  EXPECT_FALSE(veltrix.Decode(RenderSymbol(broken, 4)));
  EXPECT_EQ(veltrix.DecodedText(), "");
  EXPECT_EQ(veltrix.GetErrorText(), ErrorMessage(3));
  EXPECT_NE(adjust.Width(), 0);
}

}  // namespace
