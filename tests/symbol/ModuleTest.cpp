#include <gtest/gtest.h>

#include "common/Errors.h"
#include "symbol/Module.h"

TEST(ModuleGrid, VersionOneStartsAsTwentyOneSquareOfZeros) {
  const TModule module(1);
  EXPECT_EQ(module.Width(), 21);
  EXPECT_EQ(module.Height(), 21);
  for (int x = 0; x < 21; ++x)
    for (int y = 0; y < 21; ++y)
      ASSERT_EQ(module.GetCell(x, y) | module.GetMaskCell(x, y) | module.GetDataCell(x, y) | module.GetPatternKind(x, y), 0);
  EXPECT_EQ(TModule(40).Width(), 177);
}

TEST(ModuleGrid, FieldsAreIndependentAndNotTransposed) {
  TModule module(2);
  module.SetCell(2, 5, 1);
  module.SetMaskCell(2, 5, 1);
  module.SetPatternKind(7, 1, 3);
  module.SetDataCell(24, 0, 1);
  EXPECT_EQ(module.GetCell(2, 5), 1);
  EXPECT_EQ(module.GetCell(5, 2), 0);
  EXPECT_EQ(module.GetDataCell(2, 5), 0);
  EXPECT_EQ(module.GetMaskCell(2, 5), 1);
  EXPECT_EQ(module.GetPatternKind(7, 1), 3);
  EXPECT_EQ(module.GetPatternKind(1, 7), 0);
  EXPECT_EQ(module.GetDataCell(24, 0), 1);
  EXPECT_EQ(module.GetDataCell(0, 24), 0);
}

TEST(ModuleGrid, AccessOutsideIsSilent) {
  TModule module(1);
  for (int x = 0; x < 21; ++x)
    for (int y = 0; y < 21; ++y) module.SetCell(x, y, 1);
  EXPECT_EQ(module.GetCell(-1, 0), 0);
  EXPECT_EQ(module.GetDataCell(module.Width(), 3), 0);
  EXPECT_EQ(module.GetPatternKind(0, module.Height()), 0);

  TModule blank(1);
  blank.SetCell(blank.Width(), 0, 1);
  blank.SetMaskCell(0, 21, 1);
  blank.SetDataCell(-1, 20, 1);
  blank.SetPatternKind(21, 0, 3);
  for (int x = 0; x < 21; ++x)
    for (int y = 0; y < 21; ++y)
      ASSERT_EQ(blank.GetCell(x, y) | blank.GetMaskCell(x, y) | blank.GetDataCell(x, y) | blank.GetPatternKind(x, y), 0);
}

TEST(ModuleGrid, RefusesVersionsOutsideTheStandard) {
  EXPECT_THROW(TModule(0), TDecodeError);
  EXPECT_THROW(TModule(41), TDecodeError);
  EXPECT_THROW(TModule(-3), TDecodeError);
}
