#include <gtest/gtest.h>

#include "TestSymbols.h"
#include "common/Errors.h"
#include "symbol/Arrangement.h"

using testing_support::EncodeBytes;
using testing_support::TTestSymbol;

TEST(Arrangement, FunctionModulesAndCodewordCountEqualTheEncodersForEveryVersion) {
  for (int version = 1; version <= 40; ++version) {
    SCOPED_TRACE("version " + std::to_string(version));
    const TTestSymbol symbol = EncodeBytes("1", version, 0);
    ASSERT_EQ(symbol.version, version);
    const TArrangement arrangement(version);
    ASSERT_EQ(arrangement.Width(), symbol.size);
    int mismatches = 0, dataModules = 0;
    for (int x = 0; x < symbol.size; ++x)
      for (int y = 0; y < symbol.size; ++y) {
        if (arrangement.IsFunctionModule(x, y) != symbol.Function(x, y) && ++mismatches <= 3)
          ADD_FAILURE() << "module (" << x << ", " << y << ")";
        dataModules += symbol.Function(x, y) ? 0 : 1;
      }
    EXPECT_EQ(mismatches, 0);
    EXPECT_EQ(arrangement.CodewordCount(), dataModules / 8);
    // Outside the grid nothing is a function module.
    for (int y = -1; y <= symbol.size; ++y)
      EXPECT_FALSE(arrangement.IsFunctionModule(-1, y) || arrangement.IsFunctionModule(symbol.size, y));
  }
  for (auto [version, count] : {std::pair{1, 26}, {2, 44}, {7, 196}, {40, 3706}})
    EXPECT_EQ(TArrangement(version).CodewordCount(), count) << "version " << version;
}

// The encoder marks each function module with the pattern it placed there
// (bit 6 finder and separator, 5 alignment, 4 timing, 3 version, 2 format;
// bit 7 alone for the dark module); the names must say the same.
TEST(Arrangement, FunctionPatternNamesEqualTheEncodersMarksForEveryVersion) {
  using enum TFunctionPattern;
  for (int version = 1; version <= 40; ++version) {
    SCOPED_TRACE("version " + std::to_string(version));
    const TTestSymbol symbol = EncodeBytes("1", version, 0);
    const TArrangement arrangement(version);
    int mismatches = 0, finder = 0, finderDark = 0, separator = 0, lightSeparator = 0, dark = 0;
    for (int x = 0; x < symbol.size; ++x)
      for (int y = 0; y < symbol.size; ++y) {
        const std::uint8_t marks = symbol.modules[static_cast<std::size_t>(y * symbol.size + x)] & 0xFC;
        const TFunctionPattern pattern = arrangement.FunctionPatternAt(x, y);
        const TFunctionPattern expected = marks == 0                ? None
                                          : (marks & 0x40) != 0     ? (pattern == Separator ? Separator : Finder)
                                          : (marks & 0x20) != 0     ? Alignment
                                          : (marks & 0x10) != 0     ? Timing
                                          : (marks & 0x08) != 0     ? Version
                                          : (marks & 0x04) != 0     ? Format
                                                                    : DarkModule;
        if (pattern != expected && ++mismatches <= 3)
          ADD_FAILURE() << "module (" << x << ", " << y << "): " << static_cast<int>(pattern);
        finder += pattern == Finder;
        finderDark += pattern == Finder && symbol.Dark(x, y);
        separator += pattern == Separator;
        lightSeparator += pattern == Separator && !symbol.Dark(x, y);
        dark += pattern == DarkModule && symbol.Dark(x, y);
      }
    EXPECT_EQ(mismatches, 0);
    // Three 7 x 7 finders of 33 dark modules each; 15 light separator modules beside each.
    EXPECT_EQ(finder, 3 * 49);
    EXPECT_EQ(finderDark, 3 * 33);
    EXPECT_EQ(separator, 3 * 15);
    EXPECT_EQ(lightSeparator, separator);
    EXPECT_EQ(dark, 1);
    EXPECT_EQ(arrangement.FunctionPatternAt(-1, 0), None);
    EXPECT_EQ(arrangement.FunctionPatternAt(0, symbol.size), None);
  }
}

TEST(Arrangement, RefusesVersionsOutsideTheStandard) {
  EXPECT_THROW(TArrangement(0), TDecodeError);
  EXPECT_THROW(TArrangement(41), TDecodeError);
}
