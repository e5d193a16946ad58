#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "SymbolCodewords.h"
#include "TestSymbols.h"
#include "common/Errors.h"
#include "data/DataBlockReader.h"

using namespace testing_support;

namespace {

std::string Decode(const TIntegers& codewords, int version) {
  return TDataBlockReader(codewords, static_cast<std::int32_t>(codewords.size()), version).Decode();
}

// Bits as text, spaces ignored, cut into codewords; the last one is filled with zeros.
TIntegers Codewords(const std::string& text) {
  TIntegers codewords;
  int bits = 0;
  for (char c : text) {
    if (c != '0' && c != '1') continue;
    if (bits % 8 == 0) codewords.push_back(0);
    codewords.back() |= (c - '0') << (7 - bits++ % 8);
  }
  return codewords;
}

std::string DecodeBits(const std::string& text, int version) { return Decode(Codewords(text), version); }

// The reader of a stream of bits as text, after its Decode.
TDataFigures FiguresOf(const std::string& text, int version) {
  const TIntegers codewords = Codewords(text);
  TDataBlockReader reader(codewords, static_cast<std::int32_t>(codewords.size()), version);
  reader.Decode();
  return reader.Figures();
}

// Block structure at level L of versions in each count-length range (1-9, 10-26, 27-40).
struct TLevelL { int version, blocks, ecTotal; };
constexpr TLevelL kLevelL[] = {{1, 1, 7}, {9, 2, 60}, {10, 4, 72}, {26, 12, 336}, {27, 12, 360}, {40, 25, 750}};

// Decodes the data codewords, block after block, of an encoder-made symbol at level L
// and compares the text with the segments'.
void ExpectRoundTrip(const std::vector<TSegment>& segments, const TLevelL& level) {
  const TTestSymbol symbol = EncodeSegments(segments, level.version, 0);
  ASSERT_EQ(symbol.version, level.version);
  TIntegers data;
  for (const auto& block : SplitBlocks(PlacementCodewords(symbol), level.blocks, level.ecTotal))
    data.insert(data.end(), block.begin(), block.end() - level.ecTotal / level.blocks);
  std::string text;
  for (const TSegment& segment : segments) text += segment.data;
  EXPECT_EQ(Decode(data, level.version), text) << "version " << level.version << ", " << segments.size() << " segments";
}

}  // namespace

TEST(DataSegments, StreamsAndTheirTexts) {
  const struct {
    const char* bits;
    int version;
    std::string text;
  } kCases[] = {
      {"0001 0000001000 0000001100 0101011001 1000011 0000", 1, "01234567"},
      {"0010 000000101 00111001110 11100111001 000010 0000", 1, "AC-42"},
      {"1000 00000010 0110110011111 1101010101010 0000", 1, "\x93\x5F\xE4\xAA"},
      {"0100 00000011 01000001 01000010 01000011 0000", 1, "ABC"},
      {"0001 0000000010 0001100 0010 000000001 001010 0000", 1, "12A"},  // nothing between segments
      {"0001 0000000000 0000", 1, ""},
      // Numeric groups keep their leading zeros; values beyond a group's range are written as they are.
      {"0001 0000001001 0000000111 0000101101 0101011001 0000", 1, "007045345"},
      {"0001 0000000010 0000101 0000", 1, "05"},
      {"0001 0000000101 1111111111 1111111 0001 0000000001 1111 0000", 1, "102312715"},
      // Alphanumeric values beyond the table add nothing for that character; decoding goes on.
      // 2024 = 44 * 45 + 44; 2025 = 45 * 45 + 0; 2047 = 45 * 45 + 22; 6-bit 45.
      {"0010 000000010 11111101000 0000", 1, "::"},
      {"0010 000000010 11111101001 0000", 1, "0"},
      {"0010 000000011 11111111111 101101 0001 0000000001 0111 0000", 1, "M7"},
      // Count lengths of the three version ranges.
      {"0001 000000000011 0001111011 0000", 10, "123"},
      {"0001 00000000000011 0001111011 0000", 27, "123"},
      {"0100 0000000000000001 01011010 0000", 10, "Z"},
      {"0010 00000000001 100011 0000", 26, "Z"},
      {"0010 0000000000001 100011 0000", 40, "Z"},
      {"1000 0000000001 0110110011111 0000", 26, "\x93\x5F"},
      {"1000 000000000001 0110110011111 0000", 27, "\x93\x5F"},
      {"0001 000000000111 0000000001 0000", 9, "12"},  // count 1 in 10 bits, 7 in 12 bits
      {"0001 000000000111 0000000001 0000", 10, "0010000"},
      // Any other mode indicator ends the text.
      {"0111 00000011 0001 0000000001 0001 0000", 1, ""},
      {"0001 0000000001 0101 0111 00000011 0100 00000001 01000001", 1, "5"},
      {"0001 0000000001 0101 0011 0001 0000000001 0101", 1, "5"},
      {"0001 0000000001 0101 1001 0001 0000000001 0101", 1, "5"},
      {"0001 0000000001 0101 1111 0001 0000000001 0101", 1, "5"},
      // An exhausted stream reads zeros and ends; a segment may end on the last bit.
      {"0001 0000000011", 1, "000"},
      {"0001 0000000010 0001100 111", 1, "12"},
      {"", 1, ""},
      {"0010 000000010 00111001101", 1, "AB"},
  };
  for (const auto& c : kCases) EXPECT_EQ(DecodeBits(c.bits, c.version), c.text) << c.bits << " (version " << c.version << ")";
}

// Where and why the reading stopped, and the segments met on the way.
TEST(DataSegments, FiguresTellWhereAndWhyTheReadingStopped) {
  struct TCase {
    const char* name;
    const char* bits;
    std::vector<TSegmentFigures> segments;
    TDataStop stop;
    std::uint32_t stopMode;
    std::int64_t stopBit;
  };
  const std::vector<TCase> cases = {
      {"terminator after two segments", "0001 0000000011 0000001100 0100 00000001 01000001 0000",
       {{1, 3, 0, false}, {4, 1, 24, false}},
       TDataStop::Terminator, 0, 44},
      {"ECI first", "0111 00011010 0100 00000001 01000001 0000", {}, TDataStop::UnsupportedMode, 7, 0},
      {"structured append after a segment", "0100 00000001 01000001 0011 0000", {{4, 1, 0, false}},
       TDataStop::UnsupportedMode, 3, 20},
      // The segment ends on the last bit: no four bits are left for the next indicator.
      {"exhausted exactly", "0001 0000000011 0000001100", {{1, 3, 0, false}}, TDataStop::Exhausted, 0, 24},
      // The third byte finds four bits; they are then read as the terminator.
      {"cut inside a segment", "0100 00000011 01000001 01000010", {{4, 3, 0, true}}, TDataStop::Terminator, 0, 28},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.name);
    const TDataFigures figures = FiguresOf(c.bits, 1);
    EXPECT_EQ(figures.segments, c.segments);
    EXPECT_EQ(figures.stop, c.stop);
    EXPECT_EQ(figures.stopMode, c.stopMode);
    EXPECT_EQ(figures.stopBit, c.stopBit);
  }
}

TEST(DataBitStream, ShortReadsReturnZeroWithoutMoving) {
  const TIntegers codewords = {0xA5, 0x3C, 0xFF};
  TDataBlockReader reader(codewords, 3, 1);
  EXPECT_EQ(reader.ReadBits(3), 0b101u);
  EXPECT_EQ(reader.ReadBits(16), 0b0010100111100111u);  // spans three codewords
  EXPECT_EQ(reader.ReadBits(6), 0u);                    // only 5 bits left
  EXPECT_EQ(reader.ReadBits(5), 0b11111u);              // ends on the last bit
  EXPECT_EQ(reader.ReadBits(1), 0u);

  // Only the first `count` codewords, and never more than the array holds, belong to the stream.
  TDataBlockReader partial(codewords, 1, 1);
  EXPECT_EQ(partial.ReadBits(9), 0u);
  EXPECT_EQ(partial.ReadBits(8), 0xA5u);
  TDataBlockReader tooMany(codewords, 10, 1);
  EXPECT_EQ(tooMany.ReadBits(16), 0xA53Cu);
  EXPECT_EQ(tooMany.ReadBits(16), 0u);
  EXPECT_EQ(tooMany.ReadBits(8), 0xFFu);

  EXPECT_THROW(TDataBlockReader(codewords, 1, 0), TDecodeError);
  EXPECT_THROW(TDataBlockReader(codewords, 1, 41), TDecodeError);
}

TEST(DataRoundTrips, EncoderStreamsInEveryModeAndCountRange) {
  const std::vector<TSegment> kModes = {
      {TSegmentMode::Numeric, "0012345678901"},
      {TSegmentMode::Alphanumeric, "AC-42 $%*+-./:Z"},
      {TSegmentMode::Byte, std::string("Hello\x00\xff\x80", 8)},
      {TSegmentMode::Kanji, "\x93\x5F\xE4\xAA\x81\x40\x9F\xFC\xE0\x40\xEB\xBF"},
  };
  // Every mode in one stream, small enough for version 1.
  const std::vector<TSegment> kSmall = {{TSegmentMode::Numeric, "0123"}, {TSegmentMode::Alphanumeric, "A1"},
                                        {TSegmentMode::Byte, "b"}, {TSegmentMode::Kanji, "\x93\x5F"}};
  for (const TLevelL& level : kLevelL) {
    std::vector<std::vector<TSegment>> streams = {level.version == 1 ? kSmall : kModes};
    for (const TSegment& segment : kModes) streams.push_back({segment});
    for (const auto& segments : streams) ExpectRoundTrip(segments, level);
  }
}

TEST(DataRoundTrips, SixteenBitCountSpanningThreeCodewords) {
  // A numeric group of 3 (26 bits) puts the byte count at bit 1 of a codeword, a Kanji
  // character (27 bits) at bit 0; count 259 = 0x0103 has bits set at both ends.
  for (const TSegment& lead : {TSegment{TSegmentMode::Numeric, "123"}, TSegment{TSegmentMode::Kanji, "\x93\x5F"}})
    ExpectRoundTrip({lead, {TSegmentMode::Byte, std::string(259, 'q')}}, kLevelL[2]);
}
