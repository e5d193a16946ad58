#include <gtest/gtest.h>

#include "common/ShiftJis.h"

#include <string>
#include <vector>

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

TEST(ShiftJis, Utf8ComesBackUnchangedOrIsRefusedByName) {
  EXPECT_EQ(Utf8ToShiftJis("日本\t\nA"), "\x93\xFA\x96\x7B\t\nA");
  EXPECT_EQ(Utf8ToShiftJis("\\~\u2460"), "\x5C\x7E\x87\x40");
  EXPECT_EQ(Utf8ToShiftJis(""), "");
  struct TCase {
    std::string text;
    std::string message;
  };
  const std::vector<TCase> cases = {
      {"caf\u00E9", "has no character '\u00E9' (U+00E9)"},
      {"\U0001F600", "has no character"},
      {"\u301C", "would give '\u301C' (U+301C) back as '\uFF5E' (U+FF5E)"},
      {"\u00A5", "would give '\u00A5' (U+00A5) back as '\\' (U+005C)"},
      {"A\xFF", "not valid UTF-8 (byte 2)"},
      {"\xE6\x97", "not valid UTF-8 (byte 1)"},
  };
  for (const TCase& c : cases) {
    try {
      Utf8ToShiftJis(c.text);
      ADD_FAILURE() << c.text;
    } catch (const TShiftJisError& refusal) {
      EXPECT_NE(std::string(refusal.what()).find(c.message), std::string::npos) << refusal.what();
    }
  }
}

TEST(ShiftJis, EveryDoubleByteCharacterTheDecoderShowsIsCarriedBack) {
  // Whatever text a two-byte code reads as, converting it back gives bytes that read as the same text.
  int carried = 0;
  for (int lead = 0x81; lead <= 0xFC; ++lead)
    for (int trail = 0x40; trail <= 0xFC; ++trail) {
      const std::string bytes{static_cast<char>(lead), static_cast<char>(trail)};
      const std::string text = ShiftJisToUtf8(bytes);
      if (text.find("\xEF\xBF\xBD") != std::string::npos) continue;
      try {
        EXPECT_EQ(ShiftJisToUtf8(Utf8ToShiftJis(text)), text);
        ++carried;
      } catch (const TShiftJisError&) {
        // A code whose character another code carries (the duplicates of the vendor rows) may be refused
        // only when the text would change; none does.
        ADD_FAILURE() << text;
      }
    }
  EXPECT_GT(carried, 7000);
}
