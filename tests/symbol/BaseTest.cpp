#include <gtest/gtest.h>

#include "symbol/Base.h"

TEST(Base, StartsWithoutErrorAndSetErrorCodeKeepsOnlyTableCodes) {
  TBase base;
  EXPECT_EQ(base.MajorVersion * 10 + base.MinorVersion + base.ErrorCode, 30);
  for (auto [code, kept] : {std::pair{10, 10}, {5, 5}, {11, 5}, {-1, 5}, {0, 0}}) {
    base.SetErrorCode(code);
    EXPECT_EQ(base.ErrorCode, kept) << code;
  }
}
