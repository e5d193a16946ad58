#pragma once

// GF(256) with polynomial 0x11D and alpha = 2, by shifts: the arithmetic of
// the tests and fuzz harnesses, independent of the code under test (no tables
// to share with it). Header only, free of any library.

#include <vector>

namespace testing_support {

inline int GfMul(int a, int b) {
  int product = 0;
  for (; b != 0; b >>= 1, a = (a << 1) ^ (a & 0x80 ? 0x11D : 0))
    if (b & 1) product ^= a;
  return product;
}
inline int GfPower(int e) { return e == 0 ? 1 : GfMul(2, GfPower(e - 1)); }
// The block (first element = highest power) evaluated at x.
inline int Evaluate(const std::vector<int>& block, int x) {
  int sum = 0;
  for (int c : block) sum = GfMul(sum, x) ^ c;
  return sum;
}

}  // namespace testing_support
