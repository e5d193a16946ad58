#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "SymbolCodewords.h"
#include "TestSymbols.h"
#include "common/Errors.h"
#include "data/DataBlockReader.h"

using namespace testing_support;

namespace {

// A bit stream written most significant bit first, cut into codewords; the last
// codeword is filled with zeros.
class TBitWriter {
 public:
  void Put(std::uint32_t value, int width) {
    for (int i = width - 1; i >= 0; --i) bits_.push_back((value >> i) & 1);
  }
  // Bits as text, spaces ignored: "0001 0000001000".
  void Put(const std::string& text) {
    for (char c : text)
      if (c == '0' || c == '1') bits_.push_back(c == '1');
  }
  int Size() const { return static_cast<int>(bits_.size()); }
  TIntegers Codewords() const {
    TIntegers codewords((bits_.size() + 7) / 8, 0);
    for (std::size_t i = 0; i < bits_.size(); ++i)
      if (bits_[i]) codewords[i / 8] |= 0x80 >> (i % 8);
    return codewords;
  }

 private:
  std::vector<int> bits_;
};

// Character-count lengths for versions 1-9, 10-26, 27-40: numeric, alphanumeric, byte, Kanji.
int CountBits(TSegmentMode mode, int version) {
  const int range = version <= 9 ? 0 : version <= 26 ? 1 : 2;
  switch (mode) {
    case TSegmentMode::Numeric: return std::vector{10, 12, 14}[range];
    case TSegmentMode::Alphanumeric: return std::vector{9, 11, 13}[range];
    case TSegmentMode::Byte: return std::vector{8, 16, 16}[range];
    case TSegmentMode::Kanji: return std::vector{8, 10, 12}[range];
  }
  return 0;
}

int AlphanumericValue(char c) {
  return static_cast<int>(std::string("0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ $%*+-./:").find(c));
}

// Writes one segment as the standard lays it out.
void PutSegment(TBitWriter& writer, const TSegment& segment, int version) {
  const std::string& d = segment.data;
  switch (segment.mode) {
    case TSegmentMode::Numeric:
      writer.Put(1, 4);
      writer.Put(static_cast<std::uint32_t>(d.size()), CountBits(segment.mode, version));
      for (std::size_t i = 0; i < d.size(); i += 3) {
        const std::string group = d.substr(i, 3);
        writer.Put(static_cast<std::uint32_t>(std::stoi(group)), group.size() == 3 ? 10 : group.size() == 2 ? 7 : 4);
      }
      break;
    case TSegmentMode::Alphanumeric:
      writer.Put(2, 4);
      writer.Put(static_cast<std::uint32_t>(d.size()), CountBits(segment.mode, version));
      for (std::size_t i = 0; i + 1 < d.size(); i += 2)
        writer.Put(static_cast<std::uint32_t>(AlphanumericValue(d[i]) * 45 + AlphanumericValue(d[i + 1])), 11);
      if (d.size() % 2) writer.Put(static_cast<std::uint32_t>(AlphanumericValue(d.back())), 6);
      break;
    case TSegmentMode::Byte:
      writer.Put(4, 4);
      writer.Put(static_cast<std::uint32_t>(d.size()), CountBits(segment.mode, version));
      for (char c : d) writer.Put(static_cast<unsigned char>(c), 8);
      break;
    case TSegmentMode::Kanji:
      writer.Put(8, 4);
      writer.Put(static_cast<std::uint32_t>(d.size() / 2), CountBits(segment.mode, version));
      for (std::size_t i = 0; i + 1 < d.size(); i += 2) {
        const int code = static_cast<unsigned char>(d[i]) * 256 + static_cast<unsigned char>(d[i + 1]);
        const int offset = code <= 0x9FFC ? code - 0x8140 : code - 0xC140;
        writer.Put(static_cast<std::uint32_t>((offset >> 8) * 0xC0 + (offset & 0xFF)), 13);
      }
      break;
  }
}

std::string Concatenated(const std::vector<TSegment>& segments) {
  std::string text;
  for (const TSegment& segment : segments) text += segment.data;
  return text;
}

std::string DecodeStream(const TIntegers& codewords, int version) {
  TDataBlockReader reader(codewords, static_cast<std::int32_t>(codewords.size()), version);
  return reader.Decode();
}

std::string DecodeBits(const std::string& bits, int version) {
  TBitWriter writer;
  writer.Put(bits);
  return DecodeStream(writer.Codewords(), version);
}

// Block structure (blocks, error-correction codewords in total) at level L of the versions used here.
struct TLevelL {
  int version;
  int blocks;
  int ecTotal;
};
constexpr TLevelL kLevelL[] = {{1, 1, 7}, {9, 2, 60}, {10, 4, 72}, {26, 12, 336}, {27, 12, 360}, {40, 25, 750}};

// The data codewords of an encoder-made symbol at level L.
TIntegers EncoderStream(const std::vector<TSegment>& segments, const TLevelL& level) {
  const TTestSymbol symbol = EncodeSegments(segments, level.version, 0);
  EXPECT_EQ(symbol.version, level.version);
  const auto blocks = SplitBlocks(PlacementCodewords(symbol), level.blocks, level.ecTotal);
  for (const auto& block : blocks) EXPECT_TRUE(IsReedSolomonCodeword(block, level.ecTotal / level.blocks));
  const std::vector<int> data = DataOfBlocks(blocks, level.ecTotal / level.blocks);
  return TIntegers(data.begin(), data.end());
}

const std::vector<TSegment> kAllModes = {
    {TSegmentMode::Numeric, "0012345678901"},
    {TSegmentMode::Alphanumeric, "AC-42 $%*+-./:Z"},
    {TSegmentMode::Byte, std::string("Hello\x00\xff\x80", 8)},
    {TSegmentMode::Kanji, "\x93\x5F\xE4\xAA\x81\x40\x9F\xFC\xE0\x40\xEB\xBF"},
};

// Every mode in one stream, small enough for version 1.
const std::vector<TSegment> kAllModesSmall = {
    {TSegmentMode::Numeric, "0123"},
    {TSegmentMode::Alphanumeric, "A1"},
    {TSegmentMode::Byte, "b"},
    {TSegmentMode::Kanji, "\x93\x5F"},
};

const std::vector<TSegment>& AllModesFor(int version) { return version == 1 ? kAllModesSmall : kAllModes; }

}  // namespace

TEST(DataSegments, WorkedExamples) {
  EXPECT_EQ(DecodeBits("0001 0000001000 0000001100 0101011001 1000011 0000", 1), "01234567");
  EXPECT_EQ(DecodeBits("0010 000000101 00111001110 11100111001 000010 0000", 1), "AC-42");
  EXPECT_EQ(DecodeBits("1000 00000010 0110110011111 1101010101010 0000", 1), "\x93\x5F\xE4\xAA");
  EXPECT_EQ(DecodeBits("0100 00000011 01000001 01000010 01000011 0000", 1), "ABC");
  // Numeric then alphanumeric, nothing between them.
  EXPECT_EQ(DecodeBits("0001 0000000010 0001100 0010 000000001 001010 0000", 1), "12A");
  EXPECT_EQ(DecodeBits("0001 0000000000 0000", 1), "");
}

TEST(DataSegments, NumericGroupsKeepLeadingZerosAndOutOfRangeValues) {
  EXPECT_EQ(DecodeBits("0001 0000001001 0000000111 0000101101 0101011001 0000", 1), "007045345");
  EXPECT_EQ(DecodeBits("0001 0000000010 0000101 0000", 1), "05");
  EXPECT_EQ(DecodeBits("0001 0000000011 1111111111 0000", 1), "1023");
  EXPECT_EQ(DecodeBits("0001 0000000010 1111111 0000", 1), "127");
  EXPECT_EQ(DecodeBits("0001 0000000001 1111 0000", 1), "15");
}

TEST(DataSegments, AlphanumericValuesBeyondTheTableAddNothingAndDecodingGoesOn) {
  // 2024 = 44 * 45 + 44; 2025 = 45 * 45 + 0; 2047 = 45 * 45 + 22.
  EXPECT_EQ(DecodeBits("0010 000000010 11111101000 0000", 1), "::");
  EXPECT_EQ(DecodeBits("0010 000000010 11111101001 0000", 1), "0");
  EXPECT_EQ(DecodeBits("0010 000000011 11111111111 101101 0001 0000000001 0111 0000", 1), "M7");
}

TEST(DataSegments, CountLengthsFollowTheVersionRanges) {
  // The same bits read as a 10-bit count in version 9 and a 12-bit count in version 10.
  const std::string bits = "0001 000000000111 0000000001 0000";
  EXPECT_NE(DecodeBits(bits, 9), DecodeBits(bits, 10));
  EXPECT_EQ(DecodeBits("0001 000000000011 0001111011 0000", 10), "123");
  EXPECT_EQ(DecodeBits("0001 00000000000011 0001111011 0000", 27), "123");
  EXPECT_EQ(DecodeBits("0100 0000000000000001 01011010 0000", 10), "Z");
  EXPECT_EQ(DecodeBits("0010 0000000000001 100011 0000", 40), "Z");
  EXPECT_EQ(DecodeBits("1000 000000000001 0110110011111 0000", 27), "\x93\x5F");
  EXPECT_EQ(DecodeBits("1000 0000000001 0110110011111 0000", 26), "\x93\x5F");
}

TEST(DataSegments, OtherModeIndicatorsEndTheText) {
  EXPECT_EQ(DecodeBits("0111 00000011 0001 0000000001 0001 0000", 1), "");
  EXPECT_EQ(DecodeBits("0001 0000000001 0101 0111 00000011 0100 00000001 01000001", 1), "5");
  for (const char* mode : {"0011", "0101", "1001", "0110", "1111"})
    EXPECT_EQ(DecodeBits(std::string("0001 0000000001 0101 ") + mode + " 0001 0000000001 0101", 1), "5") << mode;
}

TEST(DataSegments, ExhaustedStreamReadsZeros) {
  // The count says 3 digits but the stream ends: the group reads as 000.
  EXPECT_EQ(DecodeBits("0001 0000000011", 1), "000");
  // Three bits left after a segment: no mode indicator can be read.
  EXPECT_EQ(DecodeBits("0001 0000000010 0001100 111", 1), "12");
  EXPECT_EQ(DecodeStream({}, 1), "");
}

TEST(DataBitStream, ShortReadsReturnZeroWithoutMoving) {
  const TIntegers codewords = {0xA5, 0x3C, 0xFF};
  TDataBlockReader reader(codewords, 3, 1);
  EXPECT_EQ(reader.ReadBits(3), 0b101u);
  EXPECT_EQ(reader.ReadBits(16), 0b0010100111100111u);  // spans three codewords
  EXPECT_EQ(reader.ReadBits(6), 0u);                    // only 5 bits left
  EXPECT_EQ(reader.ReadBits(5), 0b11111u);              // ends on the last bit
  EXPECT_EQ(reader.ReadBits(1), 0u);

  // Only the first `count` codewords belong to the stream.
  TDataBlockReader partial(codewords, 1, 1);
  EXPECT_EQ(partial.ReadBits(9), 0u);
  EXPECT_EQ(partial.ReadBits(8), 0xA5u);
  TDataBlockReader tooMany(codewords, 10, 1);
  EXPECT_EQ(tooMany.ReadBits(16), 0xA53Cu);
  EXPECT_EQ(tooMany.ReadBits(16), 0u);
  EXPECT_EQ(tooMany.ReadBits(8), 0xFFu);
}

TEST(DataBitStream, SixteenBitCountSpanningThreeCodewords) {
  const std::string bytes(259, 'q');  // count 0x0103: bits set at both ends
  // A numeric group of 3 (26 bits) puts the count at bit 1 of a codeword, a Kanji
  // character (27 bits) at bit 0.
  for (const TSegment& lead : {TSegment{TSegmentMode::Numeric, "123"}, TSegment{TSegmentMode::Kanji, "\x93\x5F"}}) {
    const std::vector<TSegment> segments = {lead, {TSegmentMode::Byte, bytes}};
    TBitWriter writer;
    for (const TSegment& segment : segments) PutSegment(writer, segment, 10);
    writer.Put(0, 4);
    EXPECT_EQ(DecodeStream(writer.Codewords(), 10), lead.data + bytes);
    EXPECT_EQ(DecodeStream(EncoderStream(segments, kLevelL[2]), 10), lead.data + bytes);
  }
}

TEST(DataBitStream, SegmentEndingOnTheLastBitDecodesCompletely) {
  const std::vector<std::vector<TSegment>> streams = {
      {{TSegmentMode::Alphanumeric, "AB"}},  // 24 bits
      {{TSegmentMode::Byte, "x"}, {TSegmentMode::Kanji, "\xE4\xAA"}, {TSegmentMode::Alphanumeric, "Q"}},  // 64 bits
  };
  for (const auto& segments : streams) {
    TBitWriter writer;
    for (const TSegment& segment : segments) PutSegment(writer, segment, 1);
    ASSERT_EQ(writer.Size() % 8, 0);
    EXPECT_EQ(DecodeStream(writer.Codewords(), 1), Concatenated(segments));
  }
}

TEST(DataRoundTrips, OwnStreamsEqualTheEncodersAndDecodeInEveryRange) {
  for (const TLevelL& level : kLevelL) {
    const std::vector<TSegment>& segments = AllModesFor(level.version);
    const TIntegers encoded = EncoderStream(segments, level);
    EXPECT_EQ(DecodeStream(encoded, level.version), Concatenated(segments)) << "version " << level.version;

    // The same segments written here, with terminator, byte padding and pad codewords.
    TBitWriter writer;
    for (const TSegment& segment : segments) PutSegment(writer, segment, level.version);
    writer.Put(0, 4);
    TIntegers own = writer.Codewords();
    for (std::size_t i = 0; own.size() < encoded.size(); ++i) own.push_back(i % 2 ? 0x11 : 0xEC);
    EXPECT_EQ(own, encoded) << "version " << level.version;
  }
}

TEST(DataRoundTrips, EachModeAloneAcrossTheCountRanges) {
  for (const TLevelL& level : kLevelL) {
    for (const TSegment& segment : kAllModes) {
      EXPECT_EQ(DecodeStream(EncoderStream({segment}, level), level.version), segment.data)
          << "version " << level.version;
    }
  }
}

TEST(DataReader, RefusesVersionsOutsideTheStandard) {
  const TIntegers codewords = {0};
  EXPECT_THROW(TDataBlockReader(codewords, 1, 0), TDecodeError);
  EXPECT_THROW(TDataBlockReader(codewords, 1, 41), TDecodeError);
}
