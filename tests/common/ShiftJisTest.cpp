#include <gtest/gtest.h>

#include "common/ShiftJis.h"

TEST(ShiftJis, ConvertsKanjiKeepsControlsAndReplacesInvalidBytes) {
  // 0x93FA 0x967B is "日本"; a tab and a newline stay as they are.
  EXPECT_EQ(ShiftJisToUtf8("\x93\xFA\x96\x7B\t\nA"), "日本\t\nA");
  EXPECT_EQ(ShiftJisToUtf8(""), "");
  EXPECT_EQ(ShiftJisToUtf8("A\x81"), "A\xEF\xBF\xBD");  // lead byte at the end
  EXPECT_EQ(ShiftJisToUtf8("\xA0" "B"), "\xEF\xBF\xBD" "B");
}
