#include <gtest/gtest.h>

#include "GaloisField.h"
#include "data/GaloisField.h"

namespace {

// Against multiplication by shifts, which shares nothing with the tables.
TEST(GaloisField, TablesAgreeWithMultiplicationByShifts) {
  for (int a = 0; a < 256; ++a)
    for (int b = 0; b < 256; ++b) ASSERT_EQ(gf256::Mul(a, b), testing_support::GfMul(a, b)) << a << " " << b;
  for (int e = 0; e < 600; ++e) ASSERT_EQ(gf256::Exp(e), testing_support::GfPower(e % 255)) << e;
  for (int a = 1; a < 256; ++a) {
    EXPECT_EQ(gf256::Exp(gf256::Log(a)), a);
    EXPECT_EQ(gf256::Mul(a, gf256::Inverse(a)), 1) << a;
    EXPECT_EQ(gf256::Divide(gf256::Mul(a, 29), a), 29) << a;
  }
  EXPECT_EQ(gf256::Log(1), 0);  // the smallest exponent, not 255
}

}  // namespace
