#include <sys/stat.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFileDialog>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QXmlStreamReader>
#include <gtest/gtest.h>

#include "PaneTools.h"
#include "MainUnit.h"
#include "TestSymbols.h"
#include "WindowSurfaces.h"
#include "WindowTestSupport.h"
#include "decoder/Trial.h"
#include "decoder/Veltrix.h"
#include "image/FrontImage.h"
#include "report/HtmlReport.h"
#include "report/Pages.h"

namespace {

using namespace testing_support;
using window_testing::MainWindow;

constexpr const char* kNoFinder = "位置検出パターンがみつかりません。";

TEST_F(MainWindow, PagesControlsAndMenuAsDesigned) {
  auto* pages = Find<QTabWidget>("PageControl1");
  QStringList shown, table;
  for (int i = 0; i < pages->count(); ++i) shown << pages->widget(i)->objectName() + " " + pages->tabText(i);
  for (const TPage& page : Pages())
    table << QString::fromStdString(std::string(page.objectName) + " " + std::string(page.caption));
  EXPECT_EQ(shown, table);
  // The designed pages and the diagnosis come first, in this order; later pages follow them.
  const QStringList designed{"TabSheet1 読み込み画像", "TabSheet11 位置検索", "TabSheet8 タイミング",
                             "TabSheet2 デジタル処理画像", "TabSheet7 形式情報", "TabSheet9 サンプリング",
                             "TabSheet3 マスク", "TabSheet6 BlockRead", "TabSheet4 ReedSolomon",
                             "TabSheet5 結果表示", "TabSheet10 診断"};
  EXPECT_EQ(shown.mid(0, designed.size()), designed);
  EXPECT_EQ(Page(), "TabSheet11");
  EXPECT_EQ(form_->windowTitle(), "Morilux");

  EXPECT_EQ(Find<QPushButton>("ImageReadBtn")->text(), "読込");
  EXPECT_EQ(Find<QPushButton>("AnalyBtn")->text(), "解析");
  const struct {
    const char *name, *label, *caption;
    int minimum, maximum, initial;
  } fields[] = {{"SpinEdit1", "Label8", "Resolver", -128, 128, 7},
                {"SpinEdit3", "Label11", "Warp", 1, 6, 6},
                {"SpinEdit2", "Label10", "ForceVertion", 0, 40, 0}};
  for (const auto& f : fields) {
    auto* spin = Find<TSpinEdit>(f.name);
    EXPECT_EQ(spin->minimum(), f.minimum) << f.name;
    EXPECT_EQ(spin->maximum(), f.maximum) << f.name;
    EXPECT_EQ(spin->ReadValue(), f.initial) << f.name;
    EXPECT_EQ(Find<QLabel>(f.label)->text(), f.caption) << f.label;
    // A text that is not a number reads as the minimum; one out of range as typed, within the range.
    auto* editor = spin->findChild<QLineEdit*>();
    for (const char* text : {"", "-", "abc", "1x"}) {
      editor->setText(QString::fromLatin1(text));
      EXPECT_EQ(spin->ReadValue(), f.minimum) << f.name << " '" << text << "'";
    }
    editor->setText("999");
    EXPECT_EQ(spin->ReadValue(), f.maximum) << f.name;
  }
  auto* resolver = Find<TSpinEdit>("SpinEdit1");
  resolver->findChild<QLineEdit*>()->setText("abc");
  resolver->interpretText();  // what losing the focus does
  EXPECT_EQ(resolver->text(), "-128");

  // The two designed menus, and the added "ツール" between them.
  const QList<QAction*> menu = form_->menuBar()->actions();
  ASSERT_EQ(menu.size(), 3);
  EXPECT_EQ(menu[0]->text(), "ファイル");
  ASSERT_NE(menu[0]->menu(), nullptr);
  ASSERT_EQ(menu[0]->menu()->actions().size(), 1);
  EXPECT_EQ(menu[0]->menu()->actions()[0]->text(), "読み込み");
  EXPECT_EQ(menu[1]->text(), "ツール");
  ASSERT_NE(menu[1]->menu(), nullptr);
  EXPECT_EQ(menu[1]->menu()->actions()[0]->text(), "解析");
  EXPECT_EQ(menu[2]->text(), "ヘルプ");
  EXPECT_EQ(menu[2]->menu(), nullptr);
  EXPECT_EQ(Find<QFileDialog>("OpenDialog1")->nameFilters(), (QStringList{"Jpeg (*.jpg *.jpeg)", "bmp (*.bmp)"}));
}

// Every pane on its page at its place: image panes of 420 x 420 at x 32 or
// 496 in a sunken frame of 441 x 441 8 pixels above and left of them, text
// panes from (24, 48), each label above its pane.
TEST_F(MainWindow, PanesAndLabelsWhereTheWindowWasDesignedToShowThem) {
  struct TPaneCase {
    const char* page;
    const char* pane;
    QRect geometry;  // an empty size: kept at its distances from the page's sides
    const char* label;
  };
  const QRect left(32, 56, 420, 420), right(496, 56, 420, 420);
  const std::vector<TPaneCase> cases = {
      {"TabSheet1", "Image1", left, "読み込み画像"},
      {"TabSheet11", "FrontImage", left, "Resolver"},
      {"TabSheet11", "ClossLineImage", right, "位置検索パターン"},
      {"TabSheet8", "TimeImage", left, nullptr},
      {"TabSheet2", "Image2", left, "読み込み画像"},
      {"TabSheet2", "DigitImage", right, "デジタル処理結果"},
      {"TabSheet7", "ImgMemo", QRect(24, 48, 0, 0), "形式情報"},
      {"TabSheet9", "AdjustImage", left, "サンプリング"},
      {"TabSheet3", "MaskImage", left, "マスク"},
      {"TabSheet3", "ResultImage", right, "マスク結果"},
      {"TabSheet6", "BLMemo", QRect(24, 48, 441, 441), nullptr},
      {"TabSheet6", "BlockImage", right, nullptr},
      {"TabSheet4", "RdSnMemo", QRect(24, 48, 905, 450), nullptr},
      {"TabSheet5", "ResultMemo", QRect(24, 48, 500, 450), nullptr},
  };
  std::map<QString, QStringList> labels;
  for (const TPaneCase& c : cases) {
    auto* pane = Find<QWidget>(c.pane);
    ASSERT_NE(pane, nullptr);
    EXPECT_EQ(pane->parentWidget()->objectName(), c.page) << c.pane;
    EXPECT_EQ(pane->pos(), c.geometry.topLeft()) << c.pane;
    if (!c.geometry.isEmpty()) {
      EXPECT_EQ(pane->size(), c.geometry.size()) << c.pane;
    }
    if (auto* frame = form_->findChild<QFrame*>(QString::fromLatin1(c.pane) + "Frame")) {
      EXPECT_EQ(frame->geometry(), QRect(c.geometry.x() - 8, c.geometry.y() - 8, 441, 441)) << c.pane;
      EXPECT_EQ(frame->frameStyle(), QFrame::Panel | QFrame::Sunken);
    } else {
      EXPECT_NE(qobject_cast<QPlainTextEdit*>(pane), nullptr) << c.pane << " has no frame";
    }
    if (c.label) labels[c.page] << QStringLiteral("%1 %2,24").arg(QString::fromUtf8(c.label)).arg(c.geometry.x());
  }
  for (const TPage& page : Pages()) {
    QStringList shown;
    for (const QLabel* label : Find<QWidget>(std::string(page.objectName).c_str())->findChildren<QLabel*>())
      if (label->y() == 24) shown << QStringLiteral("%1 %2,%3").arg(label->text()).arg(label->x()).arg(label->y());
    EXPECT_EQ(shown, labels[QString::fromStdString(std::string(page.objectName))]) << page.objectName;
  }
  // The format pane keeps the distances it has at the window's design size
  // (a page of 975 x 546) from the page's sides.
  auto* format = Find<QWidget>("ImgMemo");
  Find<QTabWidget>("PageControl1")->setCurrentWidget(format->parentWidget());
  form_->show();
  form_->resize(form_->width() + 100, form_->height() + 60);
  QApplication::processEvents();
  const QSize page = format->parentWidget()->size();
  EXPECT_EQ(format->size(), QSize(page.width() - 975 + 500, page.height() - 546 + 450));
}

TEST(WindowPicture, StretchedPanes) {
  ASSERT_NE(QApplication::instance(), nullptr);
  TBitmap bitmap(21, 42);
  bitmap.SetPixel(0, 0, kBlack);
  bitmap.SetPixel(1, 0, kRed);
  // Stretched over the whole pane, the aspect ratio not kept, with sharp module edges (20 x 10 pixels).
  TImageView view;
  view.resize(420, 420);
  view.SetPicture(bitmap);
  ASSERT_EQ(view.Shown().size(), QSize(420, 420));
  EXPECT_EQ(view.Shown().pixel(19, 9), qRgb(0, 0, 0));
  EXPECT_EQ(view.Shown().pixel(19, 10), qRgb(255, 255, 255));
  EXPECT_EQ(view.Shown().pixel(20, 9), qRgb(255, 0, 0));
}

// Shrinking averages boxes of pixels; a picture over a binary plane, with its
// painted pixels, shrinks exactly as the same pixels in an ordinary picture,
// also when the scaler reuses the plane's counts for another pane.
TEST(WindowPicture, ShrunkPanesAverageBoxesAlikeInBothFormsOfPicture) {
  ASSERT_NE(QApplication::instance(), nullptr);
  for (const QSize size : {QSize(1000, 700), QSize(30, 900), QSize(421, 1260)}) {
    auto plane = std::make_shared<TPlaneBoolean>(size.width(), size.height());
    for (int y = 0; y < size.height(); ++y)
      for (int x = 0; x < size.width(); ++x) (*plane)[x][y] = ((x / 7 + y / 5) % 3 == 0) ? 1 : 0;
    TBitmap lines = TBitmap::FromSharedPlane(plane, size.width(), size.height());
    lines.Line(0, 0, size.width() - 1, size.height() - 1, kRed);
    TBitmap dots = TBitmap::FromSharedPlane(plane, size.width(), size.height());
    for (int y = 3; y < size.height(); y += 17) dots.SetPixel(y % size.width(), y, kBlue);
    ASSERT_NE(lines.Plane(), nullptr);

    TPaneScaler shared;
    for (const TBitmap& picture : {lines, dots, lines}) {
      TBitmap ordinary = picture;
      ordinary.MutableRow(0);  // the same pixels, four bytes each
      ASSERT_EQ(ordinary.Plane(), nullptr);
      TPaneScaler own;
      const QImage expected = own.Scale(ordinary, QSize(420, 420));
      EXPECT_EQ(shared.Scale(picture, QSize(420, 420)), expected) << size.width() << " x " << size.height();
    }
  }
  // Whole boxes of one colour keep it; a box of half black and half white is mid-grey.
  TBitmap half(840, 420);
  for (int y = 0; y < 420; ++y) half.SetPixel(2 * (y % 2), y, kBlack);
  for (int y = 0; y < 420; ++y)
    for (int x = 420; x < 840; ++x) half.SetPixel(x, y, kBlack);
  TPaneScaler scaler;
  const QImage shown = scaler.Scale(half, QSize(420, 420));
  EXPECT_EQ(shown.pixel(0, 0), qRgb(128, 128, 128));
  EXPECT_EQ(shown.pixel(1, 0), qRgb(255, 255, 255));
  EXPECT_EQ(shown.pixel(300, 7), qRgb(0, 0, 0));
}

TEST_F(MainWindow, LoadShowsThePictureOrKeepsThePreviousOne) {
  TBitmap picture(60, 40);
  picture.SetPixel(3, 4, kRed);
  ASSERT_EQ(Load(picture, "PHOTO.BMP"), TForm1::TLoadResult::Loaded);  // the extension is tested in lower case
  EXPECT_EQ(form_->Picture(), picture);
  EXPECT_EQ(form_->Surfaces().Image(TImagePaneId::Image1).CurrentPicture(), picture);
  EXPECT_EQ(form_->Surfaces().Image(TImagePaneId::Image2).CurrentPicture(), picture);
  EXPECT_EQ(Find<TImageView>("Image2")->PictureSize(), QSize(60, 40));
  EXPECT_EQ(Page(), "TabSheet1");

  // Another extension loads nothing; the picture pages show the earlier picture again, panel 1 says why.
  Find<QTabWidget>("PageControl1")->setCurrentIndex(4);
  EXPECT_EQ(Load(TBitmap(30, 20), "other.gif"), TForm1::TLoadResult::Unsupported);
  EXPECT_EQ(form_->Picture(), picture);
  EXPECT_EQ(Find<TImageView>("Image1")->PictureSize(), QSize(60, 40));
  EXPECT_EQ(Page(), "TabSheet1");
  EXPECT_EQ(Status(1), "other.gif は読み込めません（.jpg、.jpeg、.bmp、.png のファイルだけです）");
  EXPECT_TRUE(messages_.isEmpty());

  // A file that cannot be read (missing, damaged, empty, a folder, a pipe
  // that no program writes to, one without read permission): one message
  // with the reason, nothing else changes, and nothing waits.
  Find<QTabWidget>("PageControl1")->setCurrentIndex(4);
  WriteFile(dir_.filePath("broken.jpg").toStdString(), "no JPEG here");
  WriteFile(dir_.filePath("empty.png").toStdString(), "");
  ASSERT_TRUE(QDir(dir_.path()).mkdir("folder.png"));
  ASSERT_EQ(::mkfifo(QFile::encodeName(dir_.filePath("pipe.jpg")).constData(), 0600), 0);
  WriteBmp(picture, dir_.filePath("locked.bmp").toStdString());
  ASSERT_TRUE(QFile::setPermissions(dir_.filePath("locked.bmp"), QFileDevice::Permissions()));
  QStringList unreadable{"missing.bmp", "broken.jpg", "empty.png", "folder.png", "pipe.jpg"};
  // (A superuser reads it all the same.)
  if (QFile locked(dir_.filePath("locked.bmp")); !locked.open(QIODevice::ReadOnly)) unreadable << "locked.bmp";
  for (const QString& name : unreadable) {
    messages_.clear();
    EXPECT_EQ(form_->LoadPictureFile(dir_.filePath(name)), TForm1::TLoadResult::Failed) << name.toStdString();
    ASSERT_EQ(messages_.size(), 1) << name.toStdString();
    EXPECT_TRUE(messages_[0].contains(name)) << messages_[0].toStdString();
    EXPECT_EQ(Status(1), messages_[0]);
    EXPECT_EQ(form_->Picture(), picture) << name.toStdString();
    EXPECT_EQ(Find<QTabWidget>("PageControl1")->currentIndex(), 4) << name.toStdString();
  }
}

TEST_F(MainWindow, FailedAnalysesReportTheReasonInResultAndStatus) {
  // Before any picture: the empty picture is decoded and fails.
  for (const bool loaded : {false, true}) {
    if (loaded) {
      ASSERT_EQ(Load(TBitmap(200, 150), "blank.bmp"), TForm1::TLoadResult::Loaded);
    }
    form_->AnalyBtnClick();
    EXPECT_EQ(MemoLines("ResultMemo"), (QStringList{"データ :", "失敗", kNoFinder}));
    EXPECT_EQ(Status(1), kNoFinder);
    EXPECT_EQ(Status(0), "Veltrix Ver 3.0");
  }
  EXPECT_EQ(Find<TImageView>("FrontImage")->PictureSize(), QSize(200, 150));
  EXPECT_TRUE(messages_.isEmpty());
}

TEST_F(MainWindow, AnalysesClearThreeTextPanesAndAddToTheListing) {
  for (const TTextPaneId id : {TTextPaneId::ImgMemo, TTextPaneId::BLMemo, TTextPaneId::RdSnMemo, TTextPaneId::ResultMemo})
    form_->Surfaces().Text(id).AppendLine("earlier run");
  form_->Surfaces().Refresh();
  // A version-3 symbol with a Kanji segment: the Shift-JIS text must reach the pane as real characters.
  const TTestSymbol symbol =
      EncodeSegments({{TSegmentMode::Byte, "Morilux "}, {TSegmentMode::Kanji, "\x93\x5F\xE4\xAA"}}, 3, 1);
  ASSERT_EQ(Load(RenderSymbol(symbol, 6), "symbol.bmp"), TForm1::TLoadResult::Loaded);
  form_->AnalyBtnClick();
  const QStringList result{"データ :" + QStringLiteral("Morilux 点茗"), "完了", ""};
  EXPECT_EQ(MemoLines("ResultMemo"), result);
  EXPECT_EQ(Status(1), "Ｏｋ");
  EXPECT_EQ(Status(0), "Veltrix Ver 3.0");
  const QStringList img = MemoLines("ImgMemo"), rdSn = MemoLines("RdSnMemo"), listing = MemoLines("BLMemo");
  EXPECT_FALSE(img.isEmpty() || img.contains("earlier run"));
  EXPECT_FALSE(rdSn.isEmpty() || rdSn.contains("earlier run"));
  ASSERT_GT(listing.size(), 1);
  EXPECT_EQ(listing[0], "earlier run");
  for (const char* pane : {"FrontImage", "ClossLineImage", "TimeImage", "AdjustImage", "DigitImage", "BlockImage",
                           "MaskImage", "ResultImage"})
    EXPECT_FALSE(Find<TImageView>(pane)->Shown().isNull()) << pane;
  EXPECT_EQ(Find<TImageView>("DigitImage")->PictureSize(), QSize(29, 29));
  // Every widget shows exactly the lines the stages wrote into the registry.
  for (const TTextPaneId id : {TTextPaneId::ImgMemo, TTextPaneId::BLMemo, TTextPaneId::RdSnMemo, TTextPaneId::ResultMemo}) {
    QStringList registry;
    for (const std::string& line : form_->Surfaces().Text(id).Lines()) registry << QString::fromStdString(line);
    EXPECT_EQ(MemoLines(std::string(PaneName(id)).c_str()), registry) << PaneName(id);
  }

  // The second run's lines replace the first's, except in the listing, which grows.
  form_->AnalyBtnClick();
  EXPECT_EQ(MemoLines("ResultMemo"), result);
  EXPECT_EQ(MemoLines("ImgMemo"), img);
  EXPECT_EQ(MemoLines("RdSnMemo"), rdSn);
  EXPECT_EQ(MemoLines("BLMemo"), listing + listing.mid(1));
}

// The window runs the analysis command of the core with the fields' values:
// its panes, status panels and result are those of the same command on
// surfaces of its own.
TEST_F(MainWindow, AnalysisIsTheCoresCommandWithTheFieldsValues) {
  const TBitmap picture = RenderSymbol(EncodeBytes("The quick brown fox jumps over 13 dogs!!", 5, 2), 5);
  ASSERT_EQ(Load(picture, "fields.bmp"), TForm1::TLoadResult::Loaded);
  Find<TSpinEdit>("SpinEdit1")->setValue(20);
  Find<TSpinEdit>("SpinEdit3")->setValue(3);
  form_->AnalyBtnClick();

  TSurfaces surfaces;
  TVeltrix veltrix(surfaces);
  const TAnalysisResult expected = Analyse(veltrix, surfaces, picture, {20, 3, 0});
  ASSERT_TRUE(expected.decoded);
  const TAnalysisResult& actual = form_->LastAnalysis();
  EXPECT_EQ(actual.text, expected.text);
  EXPECT_EQ(actual.stage, TStage::Done);
  EXPECT_EQ(actual.parameters.resolver, 20);
  EXPECT_EQ(actual.parameters.warp, 3);
  for (const TTextPaneId id : {TTextPaneId::ImgMemo, TTextPaneId::BLMemo, TTextPaneId::RdSnMemo, TTextPaneId::ResultMemo}) {
    QStringList lines;
    for (const std::string& line : surfaces.Text(id).Lines()) lines << QString::fromStdString(line);
    EXPECT_EQ(MemoLines(std::string(PaneName(id)).c_str()), lines) << PaneName(id);
  }
  EXPECT_EQ(Status(0).toStdString(), surfaces.Status(0));
  EXPECT_EQ(Status(1).toStdString(), surfaces.Status(1));
  for (std::size_t i = 0; i < kImagePaneCount; ++i) {
    const auto id = static_cast<TImagePaneId>(i);
    const bool loaded = id == TImagePaneId::Image1 || id == TImagePaneId::Image2;
    EXPECT_EQ(form_->Surfaces().Image(id).CurrentPicture(), loaded ? picture : surfaces.Image(id).CurrentPicture())
        << PaneName(id);
  }
}

// The text panes show control characters as escapes; the registry, from
// which --out files and the golden digests are made, keeps the raw line.
TEST_F(MainWindow, TextPanesShowControlCharactersAsEscapes) {
  ASSERT_EQ(Load(RenderSymbol(EncodeBytes("\x1b[31mred\\\x7f", 1, 1), 6), "escape.bmp"), TForm1::TLoadResult::Loaded);
  form_->AnalyBtnClick();
  EXPECT_EQ(MemoLines("ResultMemo"), (QStringList{"データ :\\x1b[31mred\\\\\\x7f", "完了", ""}));
  EXPECT_EQ(form_->Surfaces().Text(TTextPaneId::ResultMemo).Lines().front(), "データ :\x1b[31mred\\\x7f");

  // A C1 control and a byte that is not UTF-8, written by a stage straight into a pane.
  form_->Surfaces().Text(TTextPaneId::BLMemo).AppendLine("\xc2\x9b" "2J \xff");
  form_->Surfaces().Refresh();
  EXPECT_EQ(MemoLines("BLMemo").back(), "\\u009b2J \\xff");
  EXPECT_EQ(form_->Surfaces().Text(TTextPaneId::BLMemo).Lines().back(), "\xc2\x9b" "2J \xff");
}

// A typed value past the range is kept as typed until the field loses the
// focus, then brought to the nearest limit; the keyboard's analysis command
// takes what is typed as if the focus had left.
TEST_F(MainWindow, TypedValuesOutOfRangeAreBroughtToTheLimitWhenTheFieldIsLeft) {
  auto* resolver = Find<TSpinEdit>("SpinEdit1");
  auto* editor = resolver->findChild<QLineEdit*>();
  const auto type = [&](const char* text) {
    editor->selectAll();
    QTest::keyClicks(editor, QString::fromLatin1(text));
  };
  type("999");
  EXPECT_EQ(editor->text(), "999");
  QFocusEvent leave(QEvent::FocusOut, Qt::TabFocusReason);
  QApplication::sendEvent(resolver, &leave);
  EXPECT_EQ(editor->text(), "128");
  EXPECT_EQ(resolver->value(), 128);
  type("-300");
  QApplication::sendEvent(resolver, &leave);
  EXPECT_EQ(resolver->value(), -128);
  type("42");
  QApplication::sendEvent(resolver, &leave);
  EXPECT_EQ(resolver->value(), 42);
  // Letters are still refused as they are typed.
  type("4x");
  EXPECT_EQ(editor->text(), "4");

  ASSERT_EQ(Load(RenderSymbol(EncodeBytes("F5", 1, 1), 4), "f5.bmp"), TForm1::TLoadResult::Loaded);
  type("999");
  auto* warp = Find<TSpinEdit>("SpinEdit3")->findChild<QLineEdit*>();
  warp->selectAll();
  QTest::keyClicks(warp, "0");
  Find<QAction>("AnalyseAction")->trigger();
  EXPECT_EQ(form_->LastAnalysis().parameters.resolver, 128);
  EXPECT_EQ(form_->LastAnalysis().parameters.warp, 1);
  EXPECT_EQ(editor->text(), "128");
  EXPECT_TRUE(form_->LastAnalysis().decoded);
  for (const char* name : {"SpinEdit1", "SpinEdit3", "SpinEdit2", "Label8", "Label11", "Label10"})
    EXPECT_FALSE(Find<QWidget>(name)->toolTip().isEmpty()) << name;
}

// Qt fires neither of two actions that share a shortcut. (The file dialogs'
// own actions act only inside their dialogs.)
TEST_F(MainWindow, EveryShortcutBelongsToOneAction) {
  const auto inDialog = [](const QObject* object) {
    for (; object != nullptr; object = object->parent())
      if (qobject_cast<const QDialog*>(object) != nullptr) return true;
    return false;
  };
  std::map<QString, QStringList> owners;
  for (QAction* action : form_->findChildren<QAction*>())
    if (!inDialog(action))
      for (const QKeySequence& key : action->shortcuts()) owners[key.toString()] << action->objectName();
  for (const auto& [key, actions] : owners) EXPECT_EQ(actions.size(), 1) << key.toStdString() << ": " << actions.join(", ").toStdString();
  const std::map<QString, QString> expected = {
      {"Ctrl+O", "ReadMenuItem"}, {"F1", "N6"}, {"F5", "AnalyseAction"}, {"Ctrl+Q", "QuitAction"},
      {"Ctrl+Shift+O", "OpenAnyAction"}, {"Ctrl+E", "ExploreAction"}, {"Ctrl+R", "ReportAction"},
      {"Ctrl+Tab", "NextPageAction"}, {"Ctrl+PgDown", "NextPageAction"}, {"Ctrl+Shift+Tab", "PreviousPageAction"},
      {"Ctrl+PgUp", "PreviousPageAction"}};
  for (const auto& [key, action] : expected) {
    ASSERT_EQ(owners.count(key), 1u) << key.toStdString();
    EXPECT_EQ(owners[key], QStringList{action}) << key.toStdString();
  }
}

// The text panes can be read, selected and copied, not typed over; the
// facade's notifications write the outcome into status panel 1.
TEST_F(MainWindow, TextPanesAreReadOnlyAndTheFacadeReportsItsOutcome) {
  form_->Surfaces().Text(TTextPaneId::BLMemo).AppendLine("listing");
  form_->Surfaces().Refresh();
  for (const char* name : {"ImgMemo", "BLMemo", "RdSnMemo", "ResultMemo"}) {
    auto* memo = Find<QPlainTextEdit>(name);
    EXPECT_TRUE(memo->isReadOnly()) << name;
    QTest::keyClicks(memo, "typed");
    EXPECT_FALSE(memo->toPlainText().contains("typed")) << name;
  }
  TSurfaces surfaces;
  TVeltrix veltrix(surfaces);
  EXPECT_FALSE(veltrix.Decode(TBitmap(80, 60)));
  form_->ShowDecodeError(veltrix);
  EXPECT_EQ(Status(1), kNoFinder);
  EXPECT_TRUE(veltrix.Decode(RenderSymbol(EncodeBytes("ok", 1, 1), 4)));
  form_->ShowDecoded(veltrix);
  EXPECT_EQ(Status(1), "Ｏｋ");
}

TEST_F(MainWindow, ClosedWindow) {
  form_->FormClose();
  form_->AnalyBtnClick();
  EXPECT_TRUE(MemoLines("ResultMemo").isEmpty());
  EXPECT_TRUE(messages_.isEmpty());
}

}  // namespace

// The report of the window is the command line's report of the same picture
// and values: the panes the last analysis drew and its part of the listing,
// nothing an earlier analysis left. It is refused until the picture loaded
// now is analysed, and a file that cannot be written is named in one message.
TEST_F(MainWindow, ReportHoldsTheLastAnalysisOnlyAndIsRefusedWhileThePagesAreStale) {
  const QString report = dir_.filePath("report.html");
  int chosen = 0;
  form_->Inspector().SetFileChooser([&](const QString&, const QString& suggested, const QString&) {
    ++chosen;
    EXPECT_TRUE(suggested.endsWith("symbol-report.html")) << suggested.toStdString();
    return report;
  });
  QAction* command = Find<QAction>("ReportAction");
  command->trigger();
  ASSERT_EQ(messages_.size(), 1);
  const TBitmap picture = RenderSymbol(EncodeBytes("<script>alert(1)</script>", 2, 1), 5);
  ASSERT_EQ(Load(picture, "symbol.bmp"), TForm1::TLoadResult::Loaded);
  command->trigger();
  ASSERT_EQ(messages_.size(), 2);
  EXPECT_TRUE(messages_[1].contains("解析")) << messages_[1].toStdString();
  EXPECT_EQ(chosen, 0);
  EXPECT_FALSE(QFile::exists(report));

  // A decode, then a run that stops at the finder search: the later pages
  // still show the decode's pictures, which the report leaves out.
  form_->AnalyBtnClick();
  ASSERT_TRUE(form_->LastAnalysis().decoded);
  const TAnalysisParameters failing{-128, 6, 0};
  form_->SetFieldsAndAnalyse(failing);
  ASSERT_EQ(form_->LastAnalysis().stage, TStage::FinderSearch);
  ASSERT_GT(form_->LastAnalysis().listingStart, 0u);
  command->trigger();
  ASSERT_EQ(chosen, 1);
  ASSERT_EQ(messages_.size(), 2);
  const std::string written = ReadFile(report.toStdString());

  TSurfaces surfaces;
  surfaces.Image(TImagePaneId::Image1).ReplacePicture(picture);
  surfaces.Image(TImagePaneId::Image2).ReplacePicture(picture);
  TVeltrix veltrix(surfaces);
  TAnalysisResult alone = Analyse(veltrix, surfaces, picture, failing);
  // The diagnosis's histogram of the picture, which the command line makes for its report.
  alone.diagnosis.pictureHistogram = TFrontImage::GreyHistogram(picture);
  // The report command waited for the trial of the failed analysis, which the report shows.
  const TTrial trial = TTrialRunner(picture, alone, 0).Run();
  EXPECT_EQ(written, HtmlReport({.pictureName = "symbol.bmp", .width = picture.Width(), .height = picture.Height(),
                                 .surfaces = &surfaces, .result = &alone, .trial = &trial}));
  // Read back: well formed, the outcome and every page, the hostile text nowhere as markup.
  QXmlStreamReader xml(QByteArray::fromStdString(written));
  QStringList sections;
  while (!xml.atEnd()) {
    xml.readNext();
    if (xml.isStartElement() && xml.name() == QStringLiteral("section")) sections << xml.attributes().value("id").toString();
    if (xml.isStartElement()) {
      EXPECT_NE(xml.name(), QStringLiteral("script"));
    }
  }
  EXPECT_FALSE(xml.hasError()) << xml.errorString().toStdString();
  QStringList expected{"outcome"};
  for (const TPage& page : Pages())
    expected << QString::fromUtf8(page.objectName.data(), static_cast<qsizetype>(page.objectName.size()));
  EXPECT_EQ(sections, expected);

  // A new load makes the pages stale again: refused, the file kept as it was.
  ASSERT_EQ(Load(picture, "symbol.bmp"), TForm1::TLoadResult::Loaded);
  command->trigger();
  EXPECT_EQ(messages_.size(), 3);
  EXPECT_EQ(chosen, 1);
  EXPECT_EQ(ReadFile(report.toStdString()), written);

  form_->AnalyBtnClick();
  const QString impossible = dir_.filePath("symbol.bmp/report.html");
  EXPECT_FALSE(form_->WriteReport(impossible));
  ASSERT_EQ(messages_.size(), 4);
  EXPECT_TRUE(messages_[3].contains(impossible)) << messages_[3].toStdString();
  EXPECT_EQ(QDir(dir_.path()).entryList(QDir::Files), (QStringList{"report.html", "symbol.bmp"}));

  // The check box in the save dialog makes an exercise and its answer sheet;
  // the box keeps its state for the next report.
  form_->SetFieldsAndAnalyse({7, 6, 0});
  ASSERT_TRUE(form_->LastAnalysis().decoded);
  const QString exercise = dir_.filePath("exercise.html");
  for (const bool tick : {true, false}) {
    form_->Inspector().SetFileChooser([&](const QString&, const QString&, const QString&) {
      auto* box = form_->findChild<QCheckBox*>("HideAnswerCheck");
      EXPECT_NE(box, nullptr);
      if (box == nullptr) return QString();
      EXPECT_EQ(box->isChecked(), !tick) << "the state the box was left in";
      if (tick) box->setChecked(true);
      return exercise;
    });
    command->trigger();
  }
  EXPECT_EQ(form_->findChild<QCheckBox*>("HideAnswerCheck"), nullptr);
  const std::string sheet = ReadFile(dir_.filePath("exercise-answer.html").toStdString());
  EXPECT_NE(sheet.find("alert(1)"), std::string::npos);
  EXPECT_EQ(ReadFile(exercise.toStdString()).find("alert(1)"), std::string::npos);
  EXPECT_EQ(messages_.size(), 4);
}
