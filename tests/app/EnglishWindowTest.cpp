#include <chrono>
#include <map>

#include <QAbstractButton>
#include <QAbstractSpinBox>
#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTabWidget>
#include <QTableWidget>
#include <QTest>
#include <gtest/gtest.h>

#include "ClassSetWindow.h"
#include "ExplorerWindow.h"
#include "HelpWindow.h"
#include "LabWindow.h"
#include "SampleMaker.h"
#include "UiLanguage.h"
#include "UiTexts.h"
#include "WindowTestSupport.h"
#include "common/Messages.h"

namespace {

using namespace testing_support;
using window_testing::MainWindow;

// Kana, CJK punctuation and ideographs, full-width forms.
bool HasJapanese(const QString& text) {
  static const QRegularExpression japanese(QStringLiteral("[\\x{3000}-\\x{30ff}\\x{3400}-\\x{9fff}\\x{ff00}-\\x{ffef}]"));
  return japanese.match(text).hasMatch();
}

// The text without the decoder's messages, which the window shows as the
// decoder writes them (their English beside them).
QString WithoutDecoderMessages(QString text) {
  for (std::int32_t code = 0; code < 16; ++code)
    if (const std::string message = ErrorMessage(code); !message.empty()) text.remove(QString::fromStdString(message));
  return text;
}

// What the stages write, the decoded text and the file names keep their
// language; the language menu reads the same in both.
bool KeepsItsLanguage(const QObject* object) {
  static const QStringList names = {QStringLiteral("ImgMemo"),      QStringLiteral("BLMemo"),
                                    QStringLiteral("RdSnMemo"),     QStringLiteral("ResultMemo"),
                                    QStringLiteral("StatusPanel0"), QStringLiteral("StatusPanel1"),
                                    QStringLiteral("LanguageMenu"), QStringLiteral("JapaneseAction"),
                                    QStringLiteral("UnverifiedText"), QStringLiteral("HelpContents")};
  for (const QObject* at = object; at != nullptr; at = at->parent())
    if (names.contains(at->objectName())) return true;
  return false;
}

// The text panes whose every line is the window's own: the lab's summary and
// interleaving. (The lab's listing is BlockRead's and its details hold the
// correction's trace lines: those keep the stages' language, and the test
// checks the lab's lines among them itself.)
bool WritesItsOwnLines(const QObject* object) {
  static const QStringList names = {QStringLiteral("LabSummary"), QStringLiteral("LabInterleaving")};
  return names.contains(object->objectName());
}

// Every text the windows show of their own, by where it stands.
class TShownTexts {
 public:
  TShownTexts() {
    for (QWidget* window : QApplication::topLevelWidgets()) Walk(window, window->objectName() + "/" + window->metaObject()->className());
  }
  const std::map<QString, QString>& Texts() const { return texts_; }

 private:
  void Add(const QString& where, const QString& text) {
    if (!text.isEmpty()) texts_[where] = text;
  }
  void Action(QAction* action, const QString& where) {
    if (KeepsItsLanguage(action)) return;
    Add(where + ":text", action->text());
    Add(where + ":tip", action->toolTip());
  }
  void Walk(QWidget* w, const QString& where) {
    if (KeepsItsLanguage(w)) return;
    Add(where + ":title", w->windowTitle());
    Add(where + ":tip", w->toolTip());
    if (auto* label = qobject_cast<QLabel*>(w)) Add(where + ":label", label->text());
    if (auto* button = qobject_cast<QAbstractButton*>(w)) Add(where + ":button", button->text());
    if (auto* box = qobject_cast<QGroupBox*>(w)) Add(where + ":group", box->title());
    if (auto* menu = qobject_cast<QMenu*>(w)) Add(where + ":menu", menu->title());
    if (auto* edit = qobject_cast<QLineEdit*>(w)) Add(where + ":placeholder", edit->placeholderText());
    if (auto* pane = qobject_cast<QPlainTextEdit*>(w); pane != nullptr && WritesItsOwnLines(pane))
      Add(where + ":lines", pane->toPlainText());
    if (auto* spin = qobject_cast<QAbstractSpinBox*>(w)) Add(where + ":special", spin->specialValueText());
    if (auto* combo = qobject_cast<QComboBox*>(w))
      for (int i = 0; i < combo->count(); ++i) Add(where + ":item" + QString::number(i), combo->itemText(i));
    if (auto* tabs = qobject_cast<QTabWidget*>(w))
      for (int i = 0; i < tabs->count(); ++i) {
        Add(where + ":tab" + QString::number(i), tabs->tabText(i));
        Add(where + ":tabtip" + QString::number(i), tabs->tabToolTip(i));
      }
    if (auto* table = qobject_cast<QTableWidget*>(w)) {
      // The class set's first column is the file names, its third the texts read.
      const bool classSet = table->objectName() == QStringLiteral("ClassSetTable");
      for (int c = 0; c < table->columnCount(); ++c) {
        if (QTableWidgetItem* head = table->horizontalHeaderItem(c)) Add(where + ":head" + QString::number(c), head->text());
        for (int r = 0; r < table->rowCount(); ++r)
          if (QTableWidgetItem* cell = table->item(r, c); cell != nullptr && !(classSet && (c == 0 || c == 2))) {
            const QString at = where + ":cell" + QString::number(r) + "," + QString::number(c);
            Add(at, cell->text());
            Add(at + ":tip", cell->toolTip());
          }
      }
    }
    int n = 0;
    for (QAction* action : w->actions()) Action(action, where + "/action" + QString::number(n++));
    n = 0;
    for (QObject* child : w->children()) {
      const QString at = where + "/" + child->objectName() + "#" + QString::number(n++);
      if (auto* widget = qobject_cast<QWidget*>(child))
        Walk(widget, at);
      else if (auto* action = qobject_cast<QAction*>(child))
        Action(action, at);
    }
  }

  std::map<QString, QString> texts_;
};

std::map<QString, QString> ShownTexts() { return TShownTexts().Texts(); }

class EnglishWindow : public MainWindow {
 protected:
  void TearDown() override { SetUiLanguage(TUiLanguage::Japanese); }

  // A decoded symbol on the pages, and every window of the tools open on it.
  void OpenEverything() {
    ASSERT_EQ(Load(RenderSymbol(EncodeBytes("english", 2, 1), 4), QStringLiteral("symbol.bmp")), TForm1::TLoadResult::Loaded);
    form_->AnalyseCommand();
    TExplorerWindow* explorer = form_->ExplorerCommand();
    ASSERT_TRUE(explorer->Start());
    Wait([explorer] { return !explorer->Running(); });
    form_->SampleMakerCommand();
    const QString folder = dir_.filePath(QStringLiteral("class"));
    QDir().mkpath(folder);
    WriteBmp(RenderSymbol(EncodeBytes("one", 1, 1), 4), (folder + "/one.bmp").toStdString());
    WriteBmp(TBitmap(60, 40), (folder + "/blank.bmp").toStdString());
    TClassSetWindow* classSet = form_->OpenClassSet(folder);
    Wait([classSet] { return !classSet->Running(); });
    form_->N6Click();
    ASSERT_NE(form_->Help(), nullptr);
    // The lab on the analysed symbol, one block spoilt past this decoder's
    // limit, a codeword stepped to.
    labWindow_ = form_->LabCommand();
    ASSERT_NE(labWindow_->Lab(), nullptr);
    ASSERT_TRUE(labWindow_->SpoilRandom(0, 4, 1));
    labWindow_->Step(1);
    // The masks' page the lab made before opening is gone for good.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  }
  // "マスク" names the main window's page of one mask and the lab's tab of eight.
  void ExpectMaskTabs(const char* page, const char* labTab) const {
    auto* pages = form_->findChild<QTabWidget*>(QStringLiteral("PageControl1"));
    EXPECT_EQ(pages->tabText(pages->indexOf(form_->findChild<QWidget*>(QStringLiteral("TabSheet3")))), QString::fromUtf8(page));
    EXPECT_EQ(labWindow_->findChild<QTabWidget*>(QStringLiteral("LabPages"))->tabText(1), QString::fromUtf8(labTab));
  }
  QString LabLines(const char* pane) const {
    return labWindow_->findChild<QPlainTextEdit*>(QString::fromLatin1(pane))->toPlainText();
  }
  template <typename TDone>
  static void Wait(TDone done) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::minutes(2);
    while (!done() && std::chrono::steady_clock::now() < deadline) QTest::qWait(5);
    ASSERT_TRUE(done());
  }

  TLabWindow* labWindow_ = nullptr;
};

// English reaches every text the windows show of their own, a new analysis
// included; Japanese comes back text for text.
TEST_F(EnglishWindow, EnglishLeavesNoJapaneseAndJapaneseComesBackWhole) {
  OpenEverything();
  const std::map<QString, QString> japanese = ShownTexts();
  ASSERT_GT(japanese.size(), 200U);
  const QString labDetails = LabLines("LabDetails");
  const QString labListing = LabLines("LabListing");

  SetUiLanguage(TUiLanguage::English);
  const auto expectEnglish = [] {
    for (const auto& [where, text] : ShownTexts())
      EXPECT_FALSE(HasJapanese(WithoutDecoderMessages(text))) << qPrintable(where + " = " + text);
  };
  expectEnglish();
  ExpectMaskTabs("Mask", "Masks");
  // The lab's details: its own lines in English, the correction's trace as
  // the stage writes it; the listing as BlockRead writes it.
  const QStringList stageLines = labDetails.split(QLatin1Char('\n'));
  const QString englishDetails = LabLines("LabDetails");
  EXPECT_NE(englishDetails, labDetails);
  for (const QString& line : englishDetails.split(QLatin1Char('\n')))
    if (HasJapanese(line)) {
      EXPECT_TRUE(stageLines.contains(line)) << qPrintable(line);
    }
  EXPECT_EQ(LabLines("LabListing"), labListing);
  // Texts made while in English: an analysis, then a failed one.
  form_->AnalyseCommand();
  expectEnglish();
  ASSERT_EQ(Load(TBitmap(80, 60), QStringLiteral("blank.bmp")), TForm1::TLoadResult::Loaded);
  form_->AnalyseCommand();
  expectEnglish();
  ASSERT_EQ(Load(RenderSymbol(EncodeBytes("english", 2, 1), 4), QStringLiteral("symbol.bmp")), TForm1::TLoadResult::Loaded);
  form_->AnalyseCommand();
  // The new pictures stopped the explorer's map: the same map again.
  TExplorerWindow* explorer = form_->ExplorerCommand();
  ASSERT_TRUE(explorer->Start());
  Wait([explorer] { return !explorer->Running(); });
  EXPECT_EQ(form_->Help()->Language(), TManualLanguage::English);

  SetUiLanguage(TUiLanguage::Japanese);
  const std::map<QString, QString> back = ShownTexts();
  for (const auto& [where, text] : japanese) {
    const auto found = back.find(where);
    ASSERT_NE(found, back.end()) << qPrintable(where);
    // The explorer's second run took its own time.
    static const QRegularExpression seconds(QStringLiteral("\\d+\\.\\d\\d"));
    EXPECT_EQ(QString(found->second).replace(seconds, "#"), QString(text).replace(seconds, "#")) << qPrintable(where);
  }
  EXPECT_EQ(form_->Help()->Language(), TManualLanguage::Japanese);
  EXPECT_EQ(LabLines("LabDetails"), labDetails);
  ExpectMaskTabs("マスク", "マスク");
}

// The choice is remembered, a window made later opens in it, and the
// language menu says which is on.
TEST_F(EnglishWindow, TheChoiceIsRememberedAndReachesWindowsMadeLater) {
  EXPECT_TRUE(RememberedLanguage().isEmpty());
  Find<QAction>("EnglishAction")->trigger();
  EXPECT_EQ(RememberedLanguage(), QStringLiteral("en"));
  EXPECT_TRUE(Find<QAction>("EnglishAction")->isChecked());
  EXPECT_EQ(form_->findChild<QMenu*>(QStringLiteral("ToolsMenu"))->title(), QStringLiteral("Tools"));
  TSampleMakerWindow* maker = form_->SampleMakerCommand();
  EXPECT_EQ(maker->windowTitle(), QStringLiteral("Sample maker — Morilux"));
  TForm1 later;
  EXPECT_EQ(later.findChild<QPushButton*>(QStringLiteral("ImageReadBtn"))->text(), QStringLiteral("Load"));

  Find<QAction>("JapaneseAction")->trigger();
  EXPECT_EQ(RememberedLanguage(), QStringLiteral("ja"));
  EXPECT_TRUE(Find<QAction>("JapaneseAction")->isChecked());
  EXPECT_EQ(maker->windowTitle(), QStringLiteral("サンプル作成 — Morilux"));
}

// Every row turns back into itself: no two texts share an English, and no
// English holds Japanese.
TEST(UiTexts, EveryRowTurnsBackIntoItsJapanese) {
  for (std::span<const TUiTextPair> table : UiTextTables())
    for (const TUiTextPair& row : table) {
      const QString japanese = QString::fromUtf8(row.japanese.data(), static_cast<qsizetype>(row.japanese.size()));
      const QString english = QString::fromUtf8(row.english.data(), static_cast<qsizetype>(row.english.size()));
      EXPECT_FALSE(HasJapanese(english)) << qPrintable(english);
      EXPECT_EQ(TranslatedText(japanese, TUiLanguage::English), english) << qPrintable(japanese);
      EXPECT_EQ(TranslatedText(english, TUiLanguage::Japanese), japanese) << qPrintable(english);
    }
}

// A composed text swaps both ways once shown; the decoder's messages keep
// their Japanese with the meaning beside it.
TEST(UiTexts, ComposedTextsAndDecoderMessagesSwap) {
  const QString shown = Ui(QStringLiteral("%1 枚を解析しました。")).arg(12);
  EXPECT_EQ(shown, QStringLiteral("12 枚を解析しました。"));
  EXPECT_EQ(TranslatedText(shown, TUiLanguage::English), QStringLiteral("Pictures analysed: 12. "));
  EXPECT_EQ(TranslatedText(QStringLiteral("Pictures analysed: 12. "), TUiLanguage::Japanese), shown);
  EXPECT_EQ(DecoderMessage(QStringLiteral("サポートしていない型番です。")).English(),
            QStringLiteral("サポートしていない型番です。 (The version is not supported.)"));
  EXPECT_EQ(DecoderMessage(QStringLiteral("unknown")).English(), QStringLiteral("unknown"));
}

}  // namespace
