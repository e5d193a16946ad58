#include <gtest/gtest.h>

#include <string>

#include "common/VisibleText.h"

using namespace std::string_literals;

TEST(VisibleText, ControlsEscapedEverythingElseKept) {
  struct TCase {
    std::string text, shown;
  };
  const TCase cases[] = {
      {"", ""},
      {"Hello, Morilux ~!", "Hello, Morilux ~!"},
      {"a\tb\nc", "a\tb\nc"},
      // C0 controls, the first and the last, and the usual escape sequences.
      {"\0x"s, "\\x00x"},
      {"\x1b[2J\x1b]0;title\x07", "\\x1b[2J\\x1b]0;title\\x07"},
      {"\r\b\x1f", "\\x0d\\x08\\x1f"},
      {" \x7f~", " \\x7f~"},
      // C1 controls by code point; U+00A0 just past them stays.
      {"\xc2\x80\xc2\x85\xc2\x9b" "1m\xc2\x9f", "\\u0080\\u0085\\u009b1m\\u009f"},
      {"\xc2\xa0\xc3\xa9", "\xc2\xa0\xc3\xa9"},
      // The backslash, so that a literal "\x1b" cannot pass for an escape.
      {"\\", "\\\\"},
      {"\\x1b", "\\\\x1b"},
      // Valid multibyte text of every length, the replacement character included.
      {"日本①\xef\xbf\xbd\xf0\x9f\x98\x80\xf4\x8f\xbf\xbf", "日本①\xef\xbf\xbd\xf0\x9f\x98\x80\xf4\x8f\xbf\xbf"},
      // Bytes that are not well-formed UTF-8, one escape each; what follows them is read afresh.
      {"\xff\xfe", "\\xff\\xfe"},
      {"\x80" "a", "\\x80a"},
      {"\xc0\xaf\xc1\xbf", "\\xc0\\xaf\\xc1\\xbf"},      // overlong
      {"\xe0\x9f\xbf", "\\xe0\\x9f\\xbf"},               // overlong three-byte form
      {"\xed\xa0\x80", "\\xed\\xa0\\x80"},               // a surrogate
      {"\xf4\x90\x80\x80", "\\xf4\\x90\\x80\\x80"},      // past U+10FFFF
      {"\xe6\x97" "A", "\\xe6\\x97A"},                   // cut short before an ASCII byte
      {"A\xe6\x97", "A\\xe6\\x97"},                      // cut short at the end
      {"\xc2\x1b", "\\xc2\\x1b"},                        // a control cannot hide in a sequence
  };
  for (const TCase& c : cases) EXPECT_EQ(VisibleText(c.text), c.shown) << c.shown;
}
