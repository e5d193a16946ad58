#include <gtest/gtest.h>

#include "SymbolCodewords.h"
#include "TestSymbols.h"
#include "common/Errors.h"
#include "symbol/Arrangement.h"

using testing_support::EncodeBytes;
using testing_support::TTestSymbol;

namespace {

TTestSymbol SymbolOfVersion(int version) {
  const TTestSymbol symbol = EncodeBytes("1", version, 0);
  EXPECT_EQ(symbol.version, version);
  return symbol;
}

}  // namespace

TEST(ArrangementFunctionModules, EqualTheEncodersForEveryVersion) {
  for (int version = 1; version <= 40; ++version) {
    const TTestSymbol symbol = SymbolOfVersion(version);
    const TArrangement arrangement(version);
    ASSERT_EQ(arrangement.Width(), symbol.size);
    int mismatches = 0;
    for (int x = 0; x < symbol.size; ++x)
      for (int y = 0; y < symbol.size; ++y)
        if (arrangement.IsFunctionModule(x, y) != symbol.Function(x, y)) {
          if (++mismatches <= 3) ADD_FAILURE() << "version " << version << " module (" << x << ", " << y << ")";
        }
    EXPECT_EQ(mismatches, 0) << "version " << version;
  }
}

TEST(ArrangementFunctionModules, OutsideIsNeverAFunctionModule) {
  const TArrangement arrangement(3);
  for (int y = -1; y <= arrangement.Height(); ++y) {
    EXPECT_FALSE(arrangement.IsFunctionModule(-1, y));
    EXPECT_FALSE(arrangement.IsFunctionModule(arrangement.Width(), y));
  }
}

TEST(ArrangementKinds, VersionOne) {
  const TArrangement arrangement(1);
  EXPECT_EQ(arrangement.Version(), 1);
  EXPECT_EQ(arrangement.Seeds().Count(), 2);
  EXPECT_FALSE(arrangement.IsFunctionModule(14, 14));
  for (auto [x, y] : {std::pair{3, 3}, {17, 3}, {3, 17}, {6, 6}, {6, 14}, {14, 6}})
    EXPECT_EQ(arrangement.GetPatternKind(x, y), 1) << x << ", " << y;
  EXPECT_EQ(arrangement.GetPatternKind(10, 6), 2);
  EXPECT_EQ(arrangement.GetPatternKind(6, 12), 2);
  EXPECT_EQ(arrangement.GetPatternKind(8, 13), 3);  // dark module
  EXPECT_EQ(arrangement.GetPatternKind(0, 0), 3);
}

TEST(ArrangementKinds, VersionTwoAlignmentPattern) {
  const TArrangement arrangement(2);
  for (int x = 16; x <= 20; ++x)
    for (int y = 16; y <= 20; ++y) EXPECT_EQ(arrangement.GetPatternKind(x, y), x == 18 && y == 18 ? 1 : 3);
  EXPECT_EQ(arrangement.GetPatternKind(15, 18), 0);
  EXPECT_EQ(arrangement.GetPatternKind(21, 18), 0);
}

TEST(ArrangementKinds, VersionSevenAlignmentOnTimingAndVersionAreas) {
  const TArrangement arrangement(7);
  // The patterns centred on the timing lines keep kind 3 where they cross them.
  EXPECT_EQ(arrangement.GetPatternKind(6, 22), 1);
  EXPECT_EQ(arrangement.GetPatternKind(22, 6), 1);
  for (int d : {-2, -1, 1, 2}) {
    EXPECT_EQ(arrangement.GetPatternKind(6, 22 + d), 3);
    EXPECT_EQ(arrangement.GetPatternKind(22 + d, 6), 3);
  }
  EXPECT_EQ(arrangement.GetPatternKind(6, 19), 2);
  EXPECT_EQ(arrangement.GetPatternKind(38, 38), 1);
  for (int a = 34; a <= 36; ++a)
    for (int b = 0; b <= 5; ++b) {
      EXPECT_EQ(arrangement.GetPatternKind(a, b), 3);
      EXPECT_EQ(arrangement.GetPatternKind(b, a), 3);
    }
  EXPECT_EQ(arrangement.GetPatternKind(33, 0), 0);
  EXPECT_EQ(arrangement.GetPatternKind(0, 33), 0);
}

TEST(ArrangementCodewords, CountEqualsTheEncodersDataAreaForEveryVersion) {
  for (int version = 1; version <= 40; ++version) {
    const TTestSymbol symbol = SymbolOfVersion(version);
    int dataModules = 0;
    for (int x = 0; x < symbol.size; ++x)
      for (int y = 0; y < symbol.size; ++y) dataModules += symbol.Function(x, y) ? 0 : 1;
    EXPECT_EQ(TArrangement(version).CodewordCount(), dataModules / 8) << "version " << version;
  }
  EXPECT_EQ(TArrangement(1).CodewordCount(), 26);
  EXPECT_EQ(TArrangement(2).CodewordCount(), 44);
  EXPECT_EQ(TArrangement(7).CodewordCount(), 196);
  EXPECT_EQ(TArrangement(14).CodewordCount(), 581);
  EXPECT_EQ(TArrangement(40).CodewordCount(), 3706);
}

TEST(ArrangementVersions, RefusesVersionsOutsideTheStandard) {
  EXPECT_THROW(TArrangement(0), TDecodeError);
  EXPECT_THROW(TArrangement(41), TDecodeError);
}
