// The page table against everything else that names the pages: the stage
// explanations (docs/manual/stages.md) and both manuals, as the program
// carries them, and the panes the stages draw on.

#include <algorithm>
#include <array>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "HelpWindow.h"
#include "report/Pages.h"
#include "report/StageTexts.h"

namespace {

QString Q(std::string_view text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

const TManualAnchor* FindAnchor(const TManualText& manual, const QString& name) {
  for (const TManualAnchor& anchor : manual.anchors)
    if (anchor.name == name) return &anchor;
  return nullptr;
}

TEST(PageTable, EveryPageIsExplainedAndHasItsSectionInBothManuals) {
  const TStageTexts& texts = TStageTexts::BuiltIn();
  const TManualText japanese = LoadManual(QStringLiteral(":/manual"), TManualLanguage::Japanese);
  const TManualText english = LoadManual(QStringLiteral(":/manual"), TManualLanguage::English);
  std::vector<std::string> keys;
  for (const TPage& page : Pages()) {
    SCOPED_TRACE(std::string(page.objectName));
    keys.emplace_back(page.explanationKey);
    EXPECT_EQ(texts.At(page.explanationKey).caption, page.caption);

    const TManualAnchor* ja = FindAnchor(japanese, Q(page.manualAnchor));
    ASSERT_NE(ja, nullptr);
    EXPECT_EQ(ja->level, 2);
    EXPECT_EQ(ja->heading, Q(page.caption));
    const TManualAnchor* en = FindAnchor(english, QStringLiteral("en-") + Q(page.manualAnchor));
    ASSERT_NE(en, nullptr);
    EXPECT_EQ(en->level, 2);
    // The English heading names the page by its caption, then in English.
    EXPECT_TRUE(en->heading.startsWith(Q(page.caption) + QStringLiteral(" ("))) << en->heading.toStdString();
    EXPECT_EQ(ManualSection(Q(page.objectName), TManualLanguage::English), en->name);
  }
  // The entries stand in the order of the tabs (one for a page still to come may stand among them).
  std::vector<std::string> entries;
  for (const std::string& key : texts.Keys())
    if (std::find(keys.begin(), keys.end(), key) != keys.end()) entries.push_back(key);
  EXPECT_EQ(entries, keys);
}

// A pane bound twice would leave one of its pages empty; one on no page would
// take a stage's drawing nowhere.
TEST(PageTable, EveryPaneIsOnExactlyOnePage) {
  std::array<int, kImagePaneCount> images{};
  std::array<int, kTextPaneCount> texts{};
  std::vector<std::string_view> names;
  for (const TPage& page : Pages()) {
    names.push_back(page.objectName);
    for (const TPagePane& pane : page.panes) {
      if (pane.kind == TPagePane::TKind::Image)
        ++images[static_cast<std::size_t>(pane.image)];
      else
        ++texts[static_cast<std::size_t>(pane.text)];
    }
  }
  for (std::size_t i = 0; i < kImagePaneCount; ++i) EXPECT_EQ(images[i], 1) << PaneName(static_cast<TImagePaneId>(i));
  for (std::size_t i = 0; i < kTextPaneCount; ++i) EXPECT_EQ(texts[i], 1) << PaneName(static_cast<TTextPaneId>(i));
  for (const std::string_view name : names) EXPECT_EQ(FindPage(name)->objectName, name) << "object names are unique";
}

}  // namespace
