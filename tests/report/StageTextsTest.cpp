#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "report/StageTexts.h"

namespace {

const std::string kEntry = "## TabSheet1\n\ncaption: 読み込み画像\ncaption-en: Loaded picture\nja: 日本語の説明。\nen: The English text.\n";

TEST(StageTexts, ReadsEntriesAndSkipsCommentsTitlesAndOtherLines) {
  const std::string source = "# Title\r\n<!--\nja: not a field\n## NotAKey\n-->\n<!-- one line -->\nja: before any entry\n" +
                             kEntry + "ignored line\n\n## Two_2  \r\nen:   trimmed  \r\nja: 二\ncaption: 二\ncaption-en: Two\n"
                             "ja:no space, ignored\n";
  const TStageTexts texts = TStageTexts::Parse(source);
  EXPECT_EQ(texts.Keys(), (std::vector<std::string>{"TabSheet1", "Two_2"}));
  EXPECT_EQ(texts.At("TabSheet1").caption, "読み込み画像");
  EXPECT_EQ(texts.At("TabSheet1").captionEn, "Loaded picture");
  EXPECT_EQ(texts.At("TabSheet1").ja, "日本語の説明。");
  EXPECT_EQ(texts.At("Two_2").en, "trimmed");
  EXPECT_THROW(texts.At("TabSheet2"), TStageTextError);
}

TEST(StageTexts, DamagedSourcesAreRefusedNamingTheLine) {
  struct TCase {
    std::string source;
    std::string message;
  };
  const std::vector<TCase> cases = {
      {kEntry + kEntry, "line 7: the key TabSheet1 is given twice"},
      {kEntry + "ja: again\n", "line 7: the field ja is given twice"},
      {"## A\ncaption: a\ncaption-en: a\nja: a\n", "line 1: the entry A has no field en"},
      {"## A\ncaption: a\ncaption-en: a\nja:  \nen: a\n", "line 4: the field ja is empty"},
  };
  for (const TCase& c : cases) {
    try {
      TStageTexts::Parse(c.source);
      ADD_FAILURE() << "accepted: " << c.source;
    } catch (const TStageTextError& error) {
      EXPECT_NE(std::string(error.what()).find(c.message), std::string::npos) << error.what();
    }
  }
}

TEST(StageTexts, InlineMarksCodeFirstUnpairedMarksStay) {
  using enum TInlineSpan::TKind;
  struct TCase {
    std::string text;
    std::vector<std::pair<TInlineSpan::TKind, std::string>> spans;
  };
  const std::vector<TCase> cases = {
      {"plain", {{Plain, "plain"}}},
      {"a **b** c `d` e", {{Plain, "a "}, {Strong, "b"}, {Plain, " c "}, {Code, "d"}, {Plain, " e"}}},
      {"`**not bold**` **`x`", {{Code, "**not bold**"}, {Plain, " **"}, {Code, "x"}}},
      {"one ` tick and ** stars", {{Plain, "one ` tick and ** stars"}}},
      {"**", {{Plain, "**"}}},
  };
  for (const TCase& c : cases) {
    std::vector<std::pair<TInlineSpan::TKind, std::string>> spans;
    for (const TInlineSpan& span : InlineSpans(c.text)) spans.push_back({span.kind, span.text});
    EXPECT_EQ(spans, c.spans) << c.text;
  }
}

}  // namespace
