#include <gtest/gtest.h>

#include "common/ShiftJis.h"

TEST(ShiftJis, ConvertsKanjiKeepsControlsAndReplacesInvalidBytes) {
  // 0x93FA 0x967B is "日本"; a tab and a newline stay as they are.
  EXPECT_EQ(ShiftJisToUtf8("\x93\xFA\x96\x7B\t\nA"), "日本\t\nA");
  EXPECT_EQ(ShiftJisToUtf8(""), "");
  EXPECT_EQ(ShiftJisToUtf8("A\x81"), "A\xEF\xBF\xBD");  // lead byte at the end
  EXPECT_EQ(ShiftJisToUtf8("\xA0" "B"), "\xEF\xBF\xBD" "B");
  // Code page 932, not plain Shift-JIS: backslash and tilde stay ASCII, and
  // the vendor rows are there (0x8740 is the circled one).
  EXPECT_EQ(ShiftJisToUtf8("\x5C\x7E\x87\x40"), "\\~\u2460");
}
