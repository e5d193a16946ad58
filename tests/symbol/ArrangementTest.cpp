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

TEST(Arrangement, RefusesVersionsOutsideTheStandard) {
  EXPECT_THROW(TArrangement(0), TDecodeError);
  EXPECT_THROW(TArrangement(41), TDecodeError);
}
