// A 100-megapixel picture through the whole decode: it must end, in bounded
// time (the test's ctest time-out) and memory, in the symbol's text.

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "RobustnessSupport.h"
#include "TestSymbols.h"

namespace ts = testing_support;

TEST(LargePicture, HundredMegapixelsDecode) {
  const std::string text = "a small symbol in a very large picture";
  const TBitmap symbol = ts::RenderSymbol(ts::EncodeBytes(text, 3, 1), 24, 4);
  constexpr std::int32_t kSide = 10000;
  TBitmap picture(kSide, kSide);  // white
  const std::int32_t offset = (kSide - symbol.Width()) / 2;
  for (std::int32_t y = 0; y < symbol.Height(); ++y) {
    TColor* row = picture.MutableRow(offset + y) + offset;
    const TColor* source = symbol.Row(y);
    std::copy(source, source + symbol.Width(), row);
  }
  const auto outcome = robustness::Decode(picture);
  EXPECT_TRUE(robustness::TextOrCleanFailure(outcome, text));
  EXPECT_TRUE(outcome.decoded) << outcome.Reason();
}
