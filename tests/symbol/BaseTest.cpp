#include <gtest/gtest.h>

#include "symbol/Base.h"

TEST(Base, StartsWithoutErrorAndSetErrorCodeKeepsOnlyTableCodes) {
  TBase base;
  EXPECT_EQ(base.ErrorCode, 0);
  EXPECT_EQ(base.MajorVersion * 10 + base.MinorVersion, 30);
  base.SetErrorCode(10);
  EXPECT_EQ(base.ErrorCode, 10);
  base.SetErrorCode(5);
  for (int ignored : {11, -1}) {
    base.SetErrorCode(ignored);
    EXPECT_EQ(base.ErrorCode, 5) << ignored;
  }
  base.SetErrorCode(0);
  EXPECT_EQ(base.ErrorCode, 0);
}
