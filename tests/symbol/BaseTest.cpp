#include <gtest/gtest.h>

#include "symbol/Base.h"

TEST(Base, StartsWithVersionThreeZeroAndNoError) {
  TBase base;
  EXPECT_EQ(base.MajorVersion, 3);
  EXPECT_EQ(base.MinorVersion, 0);
  EXPECT_EQ(base.ErrorCode, 0);
}

TEST(Base, SetErrorCodeKeepsOnlyTableCodes) {
  TBase base;
  base.SetErrorCode(10);
  EXPECT_EQ(base.ErrorCode, 10);
  base.SetErrorCode(5);
  base.SetErrorCode(11);
  EXPECT_EQ(base.ErrorCode, 5);
  base.SetErrorCode(-1);
  EXPECT_EQ(base.ErrorCode, 5);
  base.SetErrorCode(0);
  EXPECT_EQ(base.ErrorCode, 0);
}
