#include <gtest/gtest.h>

#include "common/Errors.h"
#include "symbol/Module.h"

namespace {

int Sum(const TModule& m, int x, int y) { return m.GetCell(x, y) + m.GetMaskCell(x, y) + m.GetDataCell(x, y) + m.GetPatternKind(x, y); }

int Total(const TModule& m) {
  int total = 0;
  for (int x = 0; x < m.Width(); ++x)
    for (int y = 0; y < m.Height(); ++y) total += Sum(m, x, y);
  return total;
}

}  // namespace

TEST(ModuleGrid, FieldsAreIndependentNotTransposedAndSilentOutside) {
  TModule module(2);
  EXPECT_EQ(module.Height(), 25);
  EXPECT_EQ(Total(module), 0);
  for (auto [x, y] : {std::pair{25, 0}, {0, 25}, {-1, 24}, {24, -1}})
    module.SetCell(x, y, 1), module.SetMaskCell(x, y, 1), module.SetDataCell(x, y, 1), module.SetPatternKind(x, y, 3);
  EXPECT_EQ(Total(module), 0);
  module.SetCell(2, 5, 1);
  module.SetMaskCell(2, 5, 1);
  module.SetDataCell(24, 0, 1);
  module.SetPatternKind(0, 24, 3);
  EXPECT_EQ(module.GetCell(2, 5) + module.GetMaskCell(2, 5) + module.GetDataCell(24, 0) + module.GetPatternKind(0, 24), 6);
  EXPECT_EQ(Total(module), 6);
  // (1, -1) and (23, 25) would fall on (0, 24) and (24, 0) if only the flat index were checked.
  for (auto [x, y] : {std::pair{-1, 0}, {25, 0}, {0, 25}, {0, -1}, {1, -1}, {23, 25}}) EXPECT_EQ(Sum(module, x, y), 0);
  for (int version : {0, 41, -3}) EXPECT_THROW(TModule{version}, TDecodeError) << version;
}
