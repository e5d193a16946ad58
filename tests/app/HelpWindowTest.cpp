#include <functional>
#include <string>
#include <vector>

#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QRegularExpression>
#include <QTabWidget>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextDocument>
#include <QUrl>
#include <gtest/gtest.h>

#include "HelpWindow.h"
#include "MainUnit.h"
#include "WindowTestSupport.h"
#include "report/StageTexts.h"

// Stands in for the desktop's file opener, so that no program is started.
class TUrlRecorder : public QObject {
  Q_OBJECT

 public:
  QList<QUrl> opened;

 public slots:
  void Open(const QUrl& url) { opened << url; }
};

namespace {

using window_testing::MainWindow;

// Runs the help command with `folder` as the working folder.
void HelpIn(TForm1& form, const QString& folder) {
  const QString previous = QDir::currentPath();
  ASSERT_TRUE(QDir::setCurrent(folder));
  form.N6Click();
  QDir::setCurrent(previous);
}

// The block of the section heading `text` (level 2).
QTextBlock Heading(const QTextDocument& document, const QString& text) {
  QTextBlock block = document.begin();
  while (block.isValid() && (block.text() != text || block.blockFormat().headingLevel() != 2)) block = block.next();
  return block;
}

TEST_F(MainWindow, HelpOpensTheManualAtThePageInFront) {
  struct TCase {
    const char* page;
    const char* heading;  // the text at the top of the manual
  };
  auto* pages = Find<QTabWidget>("PageControl1");
  EXPECT_EQ(pages->currentWidget()->objectName(), "TabSheet11");
  for (const TCase& each : std::vector<TCase>{{"TabSheet11", "位置検索"},
                                              {"TabSheet6", "BlockRead"},
                                              {"TabSheet5", "結果表示"},
                                              {"TabSheet10", "診断"},
                                              {"TabSheet1", "読み込み画像"}}) {
    pages->setCurrentWidget(Find<QWidget>(each.page));
    HelpIn(*form_, dir_.path());
    ASSERT_TRUE(messages_.isEmpty()) << messages_.join('\n').toStdString();
    THelpWindow* help = form_->Help();
    ASSERT_NE(help, nullptr);
    EXPECT_TRUE(help->isVisible());
    EXPECT_EQ(help->CurrentSection(), each.page);
    const QTextBlock top = help->Browser()->cursorForPosition(QPoint(4, 8)).block();
    EXPECT_EQ(top.text(), each.heading);
    EXPECT_EQ(top.blockFormat().headingLevel(), 2);
  }

  // The other language keeps the section; both languages put Japanese first.
  THelpWindow& help = *form_->Help();
  EXPECT_EQ(help.SetLanguage(TManualLanguage::English), "");
  EXPECT_EQ(help.CurrentSection(), "en-TabSheet1");
  EXPECT_EQ(help.SetLanguage(TManualLanguage::Both), "");
  EXPECT_EQ(help.CurrentSection(), "TabSheet1");
  const QString all = help.Browser()->toPlainText();
  EXPECT_LT(all.indexOf("Morilux マニュアル"), all.indexOf("Morilux manual"));
  pages->setCurrentWidget(Find<QWidget>("TabSheet9"));
  HelpIn(*form_, dir_.path());
  EXPECT_EQ(help.CurrentSection(), "TabSheet9");
}

TEST_F(MainWindow, ManualIncludesStageTextsAndFollowsItsLinks) {
  THelpWindow help;
  ASSERT_EQ(help.OpenAtPage("TabSheet1"), "");
  const QString text = help.Browser()->toPlainText();
  EXPECT_FALSE(text.contains("{{stage:"));
  // The explanation of the finder search stands under its heading, its marks rendered.
  const QTextBlock heading = Heading(*help.Browser()->document(), "位置検索");
  ASSERT_TRUE(heading.isValid());
  std::string shown;
  for (const TInlineSpan& span : InlineSpans(TStageTexts::BuiltIn().At("TabSheet11").ja)) shown += span.text;
  EXPECT_EQ(heading.next().text().toStdString(), shown);

  help.Browser()->setSource(QUrl("#parameters"));
  EXPECT_EQ(help.CurrentSection(), "parameters");

  // Every picture the manual shows is in the program.
  int pictures = 0;
  for (const QRegularExpressionMatch& image :
       QRegularExpression(R"(!\[[^\]]*\]\(([^)]+)\))").globalMatch(LoadManual(":/manual", TManualLanguage::Both).markdown)) {
    ++pictures;
    EXPECT_TRUE(QFile::exists(":/manual/" + image.captured(1))) << image.captured(1).toStdString();
  }
  EXPECT_GE(pictures, 10);

  // The contents list leads to a heading.
  const QList<QListWidgetItem*> items = help.Contents()->findItems("BlockRead", Qt::MatchContains);
  ASSERT_FALSE(items.isEmpty());
  emit help.Contents()->itemActivated(items.front());
  EXPECT_EQ(help.CurrentSection(), "TabSheet6");

  EXPECT_FALSE(help.windowIcon().isNull());
  EXPECT_FALSE(form_->windowIcon().isNull());
}

TEST_F(MainWindow, HelpFileInTheWorkingFolderIsOpenedInstead) {
  QFile chm(dir_.filePath("Morilux.chm"));
  ASSERT_TRUE(chm.open(QIODevice::WriteOnly));
  chm.close();

  TUrlRecorder opener;
  QDesktopServices::setUrlHandler("file", &opener, "Open");
  HelpIn(*form_, dir_.path());
  QDesktopServices::unsetUrlHandler("file");
  ASSERT_EQ(opener.opened.size(), 1);
  EXPECT_EQ(opener.opened[0], QUrl::fromLocalFile(QDir(dir_.path()).absoluteFilePath("Morilux.chm")));
  EXPECT_TRUE(messages_.isEmpty());
  EXPECT_EQ(form_->Help(), nullptr);

  // No program to open it with.
  HelpIn(*form_, dir_.path());
  ASSERT_EQ(messages_.size(), 1);
  EXPECT_TRUE(messages_[0].contains("Morilux.chm"));
  EXPECT_EQ(form_->Help(), nullptr);
}

TEST_F(MainWindow, DamagedManualGivesAMessage) {
  struct TCase {
    const char* what;
    std::function<void(const QString& folder)> damage;
    const char* named;  // the file the message names
  };
  const auto rewrite = [](const QString& path, const std::function<QByteArray(QByteArray)>& change) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = change(file.readAll());
    file.close();
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
  };
  const std::vector<TCase> cases = {
      {"missing file", [](const QString& f) { QFile::remove(f + "/manual-ja.md"); }, "manual-ja.md"},
      {"empty file", [&](const QString& f) { rewrite(f + "/manual-ja.md", [](QByteArray) { return QByteArray(); }); },
       "manual-ja.md"},
      {"not UTF-8",
       [&](const QString& f) { rewrite(f + "/manual-ja.md", [](QByteArray b) { return b.insert(10, "\xff\xfe"); }); },
       "manual-ja.md"},
      {"unknown stage",
       [&](const QString& f) {
         rewrite(f + "/manual-ja.md", [](QByteArray b) { return b.replace("{{stage:TabSheet8:ja}}", "{{stage:Nope:ja}}"); });
       },
       "manual-ja.md"},
      {"anchor without heading",
       [&](const QString& f) {
         rewrite(f + "/manual-ja.md", [](QByteArray b) { return b.replace("<!-- anchor: intro -->\n", "<!-- anchor: intro -->\ntext\n"); });
       },
       "manual-ja.md"},
      {"stage field missing",
       [&](const QString& f) {
         rewrite(f + "/stages.md", [](QByteArray b) { return b.replace(b.indexOf("\nen: "), 4, "\nxx:"); });
       },
       "stages.md"},
      {"no folder", [](const QString& f) { QDir(f).removeRecursively(); }, "stages.md"},
  };
  for (const TCase& each : cases) {
    const QString folder = dir_.filePath(QString::fromLatin1(each.what).replace(' ', '-'));
    ASSERT_TRUE(QDir().mkpath(folder));
    for (const char* name : {"manual-ja.md", "manual-en.md", "stages.md"})
      ASSERT_TRUE(QFile::copy(QString(":/manual/") + name, folder + "/" + name));
    for (const char* name : {"manual-ja.md", "manual-en.md", "stages.md"})
      QFile::setPermissions(folder + "/" + name, QFile::ReadOwner | QFile::WriteOwner);
    each.damage(folder);

    TForm1 form;
    QStringList messages;
    form.SetMessageSink([&](const QString& text) { messages << text; });
    form.SetManualSource(folder);
    HelpIn(form, dir_.path());
    ASSERT_EQ(messages.size(), 1) << each.what;
    EXPECT_TRUE(messages[0].startsWith("マニュアルを表示できません")) << messages[0].toStdString();
    EXPECT_TRUE(messages[0].contains(each.named)) << each.what << ": " << messages[0].toStdString();
    ASSERT_NE(form.Help(), nullptr);
    EXPECT_FALSE(form.Help()->isVisible()) << each.what;
  }
}

TEST_F(MainWindow, SearchFindsAndHighlightsWords) {
  THelpWindow help;
  ASSERT_EQ(help.OpenAtPage("TabSheet11"), "");
  auto* found = help.findChild<QLabel*>("HelpFound");
  ASSERT_TRUE(help.Find("ReedSolomon"));
  const int first = help.Browser()->textCursor().position();
  EXPECT_EQ(help.Browser()->textCursor().selectedText(), "ReedSolomon");
  EXPECT_GT(help.Browser()->extraSelections().size(), 3);
  EXPECT_TRUE(found->text().endsWith("件"));
  ASSERT_TRUE(help.Find("ReedSolomon"));
  EXPECT_GT(help.Browser()->textCursor().position(), first);
  ASSERT_TRUE(help.Find("ReedSolomon", true));
  EXPECT_EQ(help.Browser()->textCursor().position(), first);
  // The search starts at the section shown, and wraps at the end.
  const int section = Heading(*help.Browser()->document(), "位置検索").position();
  EXPECT_GT(first, section);
  ASSERT_TRUE(help.Find("Morilux マニュアル"));
  EXPECT_LT(help.Browser()->textCursor().position(), section);

  EXPECT_FALSE(help.Find("qzqzqz"));
  EXPECT_TRUE(help.Browser()->extraSelections().isEmpty());
  EXPECT_EQ(found->text(), "見つかりません");
}

// Another language while words are highlighted: the highlighting moves to
// the new text (the old marks point into a text that is gone).
TEST_F(MainWindow, HighlightedWordsFollowAChangeOfLanguage) {
  THelpWindow help;
  ASSERT_EQ(help.OpenAtPage("TabSheet4"), "");
  ASSERT_TRUE(help.Find("ReedSolomon"));
  for (const TManualLanguage language : {TManualLanguage::English, TManualLanguage::Both, TManualLanguage::Japanese}) {
    ASSERT_EQ(help.SetLanguage(language), "");
    const QList<QTextEdit::ExtraSelection> marks = help.Browser()->extraSelections();
    ASSERT_FALSE(marks.isEmpty()) << static_cast<int>(language);
    for (const QTextEdit::ExtraSelection& mark : marks) {
      EXPECT_EQ(mark.cursor.document(), help.Browser()->document());
      EXPECT_EQ(mark.cursor.selectedText(), "ReedSolomon");
    }
  }
}

// Each manual's links lead to anchors of its own, and the two stand section
// for section: every Japanese anchor has its English counterpart and back.
TEST(ManualAnchors, LinksLeadToAnchorsAndBothManualsHaveEverySection) {
  std::vector<QStringList> names;
  for (const TManualLanguage language : {TManualLanguage::Japanese, TManualLanguage::English}) {
    const TManualText manual = LoadManual(QStringLiteral(":/manual"), language);
    QStringList anchors;
    for (const TManualAnchor& anchor : manual.anchors) anchors << anchor.name;
    int links = 0;
    for (const QRegularExpressionMatch& link : QRegularExpression(R"(\]\(#([^)]+)\))").globalMatch(manual.markdown)) {
      ++links;
      EXPECT_TRUE(anchors.contains(link.captured(1))) << link.captured(1).toStdString();
    }
    EXPECT_GE(links, 20);
    names.push_back(anchors);
  }
  QStringList counterparts;
  for (const QString& name : names[0]) counterparts << QStringLiteral("en-") + name;
  EXPECT_EQ(counterparts, names[1]);
  EXPECT_TRUE(names[0].contains(QStringLiteral("sample")));
}

}  // namespace


#include "HelpWindowTest.moc"
