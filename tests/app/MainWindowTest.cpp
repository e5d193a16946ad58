#include <functional>
#include <memory>
#include <string>

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFontDatabase>
#include <QFontInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "MainUnit.h"
#include "WindowSurfaces.h"
#include "TestSymbols.h"
#include "decoder/Veltrix.h"

namespace {

using namespace testing_support;

// One QApplication for the whole program, made when the tests start and
// destroyed when they end (not among the exit handlers, where Qt's own
// globals may already be gone).
class QtEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    application_ = std::make_unique<QApplication>(argc_, argv_);
  }
  void TearDown() override { application_.reset(); }

 private:
  int argc_ = 1;
  char name_[24] = "test_app_MainWindowTest";
  char* argv_[2] = {name_, nullptr};
  std::unique_ptr<QApplication> application_;
};
[[maybe_unused]] ::testing::Environment* const kQtEnvironment =
    ::testing::AddGlobalTestEnvironment(new QtEnvironment);

void EnsureApplication() { ASSERT_NE(QApplication::instance(), nullptr); }

// The text field inside a spin field, as the user types into it.
QLineEdit* Editor(QSpinBox* spin) { return spin->findChild<QLineEdit*>(); }

constexpr const char* kNoFinder = "位置検出パターンがみつかりません。";

// A version-3 symbol with a Kanji segment, so that the result line shows
// whether the Shift-JIS text reached the pane as real characters.
TTestSymbol VersionThreeSymbol() {
  return EncodeSegments({{TSegmentMode::Byte, "Morilux "}, {TSegmentMode::Kanji, "\x93\x5F\xE4\xAA"}}, 3, 1);
}
const QString kVersionThreeText = QStringLiteral("Morilux 点茗");

class MainWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    EnsureApplication();
    form_ = std::make_unique<TForm1>();
    form_->SetMessageSink([this](const QString& text) { messages_ << text; });
    ASSERT_TRUE(dir_.isValid());
  }

  template <typename T>
  T* Find(const char* name) {
    T* widget = form_->findChild<T*>(QString::fromLatin1(name));
    EXPECT_NE(widget, nullptr) << name;
    return widget;
  }

  // The lines a text widget shows (a trailing empty line counts).
  QStringList MemoLines(const char* name) {
    const QString text = Find<QPlainTextEdit>(name)->toPlainText();
    return text.isEmpty() ? QStringList{} : text.split(QLatin1Char('\n'));
  }

  QString Status(int panel) {
    return Find<QLabel>(panel == 0 ? "StatusPanel0" : "StatusPanel1")->text();
  }

  QString WritePicture(const TBitmap& bitmap, const QString& fileName) {
    const QString path = dir_.filePath(fileName);
    WriteBmp(bitmap, path.toStdString());
    return path;
  }

  QString SymbolPicture() { return WritePicture(RenderSymbol(VersionThreeSymbol(), 6), "symbol.bmp"); }

  std::unique_ptr<TForm1> form_;
  QStringList messages_;
  QTemporaryDir dir_;
};

// ---------------------------------------------------------------------------

TEST_F(MainWindow, PagesComeInOrderWithLocatePageInFront) {
  auto* pages = Find<QTabWidget>("PageControl1");
  const QStringList names{"TabSheet1", "TabSheet11", "TabSheet8", "TabSheet2", "TabSheet7",
                          "TabSheet9", "TabSheet3",  "TabSheet6", "TabSheet4", "TabSheet5"};
  const QStringList captions{"読み込み画像", "位置検索", "タイミング", "デジタル処理画像", "形式情報",
                             "サンプリング", "マスク",   "BlockRead",  "ReedSolomon",    "結果表示"};
  ASSERT_EQ(pages->count(), names.size());
  for (int i = 0; i < pages->count(); ++i) {
    EXPECT_EQ(pages->widget(i)->objectName(), names[i]);
    EXPECT_EQ(pages->tabText(i), captions[i]);
  }
  EXPECT_EQ(pages->currentWidget()->objectName(), "TabSheet11");
  EXPECT_EQ(form_->windowTitle(), "Morilux");
}

TEST_F(MainWindow, TopBarHoldsButtonsAndParameterFields) {
  auto* read = Find<QPushButton>("ImageReadBtn");
  EXPECT_EQ(read->text(), "読込");
  EXPECT_EQ(read->geometry(), QRect(3, 0, 42, 41));
  auto* analyse = Find<QPushButton>("AnalyBtn");
  EXPECT_EQ(analyse->text(), "解析");
  EXPECT_EQ(analyse->geometry(), QRect(48, 0, 40, 40));

  struct Field {
    const char* name;
    const char* label;
    const char* caption;
    int minimum, maximum, initial;
    QRect geometry;
  };
  for (const Field& f : {Field{"SpinEdit1", "Label8", "Resolver", -128, 128, 7, QRect(152, 8, 41, 22)},
                         Field{"SpinEdit3", "Label11", "Warp", 1, 6, 6, QRect(232, 8, 33, 22)},
                         Field{"SpinEdit2", "Label10", "ForceVertion", 0, 40, 0, QRect(352, 8, 33, 22)}}) {
    auto* spin = Find<TSpinEdit>(f.name);
    EXPECT_EQ(spin->minimum(), f.minimum) << f.name;
    EXPECT_EQ(spin->maximum(), f.maximum) << f.name;
    EXPECT_EQ(spin->value(), f.initial) << f.name;
    EXPECT_EQ(spin->ReadValue(), f.initial) << f.name;
    EXPECT_EQ(spin->geometry(), f.geometry) << f.name;
    EXPECT_EQ(Find<QLabel>(f.label)->text(), f.caption) << f.label;
  }
  EXPECT_EQ(Find<QLabel>("Label8")->pos(), QPoint(104, 16));
  EXPECT_EQ(Find<QLabel>("Label11")->pos(), QPoint(200, 16));
  EXPECT_EQ(Find<QLabel>("Label10")->pos(), QPoint(280, 16));
}

TEST_F(MainWindow, SpinFieldWithoutNumberReadsAsItsMinimum) {
  for (const char* name : {"SpinEdit1", "SpinEdit3", "SpinEdit2"}) {
    auto* spin = Find<TSpinEdit>(name);
    for (const char* text : {"", "-", "abc", "1x"}) {
      Editor(spin)->setText(QString::fromLatin1(text));
      EXPECT_EQ(spin->ReadValue(), spin->minimum()) << name << " '" << text << "'";
    }
    Editor(spin)->setText("5");
    EXPECT_EQ(spin->ReadValue(), 5) << name;
    // Out of range as typed: read within the range.
    Editor(spin)->setText("999");
    EXPECT_EQ(spin->ReadValue(), spin->maximum()) << name;
  }
  auto* resolver = Find<TSpinEdit>("SpinEdit1");
  Editor(resolver)->setText("abc");
  resolver->interpretText();  // what losing the focus does
  EXPECT_EQ(resolver->value(), -128);
  EXPECT_EQ(resolver->text(), "-128");
}

TEST_F(MainWindow, PanesHaveTheirPlacesSizesAndFonts) {
  const std::pair<const char*, QPoint> images[] = {
      {"Image1", {32, 56}},      {"FrontImage", {32, 56}}, {"ClossLineImage", {496, 56}},
      {"TimeImage", {32, 56}},   {"Image2", {32, 56}},     {"DigitImage", {496, 56}},
      {"AdjustImage", {32, 56}}, {"MaskImage", {32, 56}},  {"ResultImage", {496, 56}},
      {"BlockImage", {496, 56}}};
  for (const auto& [name, at] : images) {
    EXPECT_EQ(Find<TImageView>(name)->geometry(), QRect(at, QSize(420, 420))) << name;
    const std::string frame = std::string(name) + "Frame";
    EXPECT_EQ(Find<QWidget>(frame.c_str())->geometry(), QRect(at - QPoint(8, 8), QSize(441, 441))) << name;
  }
  const std::pair<const char*, QSize> texts[] = {
      {"ImgMemo", {500, 450}}, {"BLMemo", {441, 441}}, {"RdSnMemo", {905, 450}}, {"ResultMemo", {500, 450}}};
  for (const auto& [name, size] : texts) {
    auto* memo = Find<QPlainTextEdit>(name);
    EXPECT_EQ(memo->geometry(), QRect(QPoint(24, 48), size)) << name;
    EXPECT_EQ(memo->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn) << name;
    EXPECT_TRUE(memo->font().fixedPitch()) << name;
    EXPECT_EQ(memo->font().families().value(0), "ＭＳ ゴシック") << name;
    EXPECT_EQ(memo->font().pixelSize(), 12) << name;
  }
  EXPECT_EQ(Find<QPlainTextEdit>("RdSnMemo")->lineWrapMode(), QPlainTextEdit::NoWrap);
  EXPECT_EQ(Find<QPlainTextEdit>("ResultMemo")->lineWrapMode(), QPlainTextEdit::WidgetWidth);
  EXPECT_EQ(form_->font().families().value(0), "ＭＳ Ｐゴシック");
}

TEST_F(MainWindow, FontsFallBackToAnInstalledJapaneseFamily) {
  bool anyJapanese = false;
  for (const QString& family : QFontDatabase::families(QFontDatabase::Japanese)) {
    anyJapanese = anyJapanese || !QFontDatabase::isPrivateFamily(family);
  }
  if (!anyJapanese) GTEST_SKIP() << "no Japanese font installed";
  for (const QFont& font : {form_->font(), Find<QPlainTextEdit>("ResultMemo")->font()}) {
    const QString used = QFontInfo(font).family();
    EXPECT_TRUE(QFontDatabase::writingSystems(used).contains(QFontDatabase::Japanese)) << used.toStdString();
  }
}

TEST_F(MainWindow, FormatPaneFollowsThePageSize) {
  form_->show();
  Find<QTabWidget>("PageControl1")->setCurrentIndex(4);
  QApplication::processEvents();
  auto* memo = Find<QWidget>("ImgMemo");
  EXPECT_EQ(memo->geometry(), QRect(24, 48, 500, 450));
  form_->resize(form_->size() + QSize(200, 100));
  QApplication::processEvents();
  EXPECT_EQ(memo->geometry(), QRect(24, 48, 700, 550));
  // The other panes keep their design size.
  EXPECT_EQ(Find<QWidget>("ResultMemo")->size(), QSize(500, 450));
}

TEST_F(MainWindow, MenuStatusBarAndOpenDialog) {
  const QList<QAction*> top = form_->menuBar()->actions();
  ASSERT_EQ(top.size(), 2);
  EXPECT_EQ(top[0]->text(), "ファイル");
  ASSERT_NE(top[0]->menu(), nullptr);
  ASSERT_EQ(top[0]->menu()->actions().size(), 1);
  EXPECT_EQ(top[0]->menu()->actions()[0]->text(), "読み込み");
  EXPECT_EQ(top[1]->text(), "ヘルプ");
  EXPECT_EQ(top[1]->menu(), nullptr);
  EXPECT_EQ(top[1]->objectName(), "N6");

  EXPECT_EQ(Find<QLabel>("StatusPanel0")->width(), 120);
  EXPECT_EQ(Find<QLabel>("StatusPanel1")->minimumWidth(), 50);

  auto* dialog = Find<QFileDialog>("OpenDialog1");
  EXPECT_EQ(dialog->nameFilters(), (QStringList{"Jpeg (*.jpg *.jpeg)", "bmp (*.bmp)"}));
}

TEST_F(MainWindow, EnterKeyIsNotInputInTheReedSolomonPane) {
  for (const auto& [name, wantsEnter] : {std::pair{"RdSnMemo", false}, std::pair{"ResultMemo", true}}) {
    auto* memo = Find<QPlainTextEdit>(name);
    QKeyEvent press(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"));
    QApplication::sendEvent(memo, &press);
    EXPECT_EQ(memo->document()->blockCount(), wantsEnter ? 2 : 1) << name;
  }
}

// ---------------------------------------------------------------------------

TEST(WindowPicture, ConvertsToolkitColoursToQtRgb) {
  EnsureApplication();
  TBitmap bitmap(5, 2);
  const TColor colours[] = {kBlack, kWhite, kRed, kBlue, kYellow};
  for (int x = 0; x < 5; ++x) bitmap.SetPixel(x, 0, colours[x]);
  bitmap.SetPixel(0, 1, 0x123456);
  const QImage image = ToQImage(bitmap);
  ASSERT_EQ(image.size(), QSize(5, 2));
  EXPECT_EQ(image.pixel(0, 0), qRgb(0, 0, 0));
  EXPECT_EQ(image.pixel(1, 0), qRgb(255, 255, 255));
  EXPECT_EQ(image.pixel(2, 0), qRgb(255, 0, 0));
  EXPECT_EQ(image.pixel(3, 0), qRgb(0, 0, 255));
  EXPECT_EQ(image.pixel(4, 0), qRgb(255, 255, 0));
  EXPECT_EQ(image.pixel(0, 1), qRgb(0x56, 0x34, 0x12));
  EXPECT_TRUE(ToQImage(TBitmap()).isNull());
}

TEST(WindowPicture, PaneStretchesItsPictureWithoutKeepingTheAspect) {
  EnsureApplication();
  TImageView view;
  view.resize(420, 420);
  // A wide picture, top half black: shown over the whole square, top half black.
  TBitmap wide(1000, 800);
  for (int y = 0; y < 400; ++y)
    for (int x = 0; x < 1000; ++x) wide.SetPixel(x, y, kBlack);
  view.SetPicture(wide);
  EXPECT_EQ(view.PictureSize(), QSize(1000, 800));
  ASSERT_EQ(view.Shown().size(), QSize(420, 420));
  EXPECT_EQ(view.Shown().pixel(5, 5), qRgb(0, 0, 0));
  EXPECT_EQ(view.Shown().pixel(414, 200), qRgb(0, 0, 0));
  EXPECT_EQ(view.Shown().pixel(414, 414), qRgb(255, 255, 255));
  // A 21 x 21 matrix is enlarged with sharp module edges (20 pixels per module).
  TBitmap matrix(21, 21);
  matrix.SetPixel(0, 0, kBlack);
  view.SetPicture(matrix);
  EXPECT_EQ(view.Shown().pixel(19, 19), qRgb(0, 0, 0));
  EXPECT_EQ(view.Shown().pixel(20, 20), qRgb(255, 255, 255));
  view.SetPicture(TBitmap());
  EXPECT_TRUE(view.Shown().isNull());
}

// ---------------------------------------------------------------------------

TEST_F(MainWindow, LoadShowsThePictureOnBothPicturePagesAndBringsItToFront) {
  TBitmap picture(60, 40);
  picture.SetPixel(3, 4, kRed);
  const QString path = WritePicture(picture, "PHOTO.BMP");  // the extension is tested in lower case
  ASSERT_EQ(form_->LoadPictureFile(path), TForm1::TLoadResult::Loaded);
  EXPECT_EQ(form_->Picture(), picture);
  EXPECT_EQ(form_->Surfaces().Image(TImagePaneId::Image1).CurrentPicture(), picture);
  EXPECT_EQ(form_->Surfaces().Image(TImagePaneId::Image2).CurrentPicture(), picture);
  EXPECT_EQ(Find<TImageView>("Image1")->PictureSize(), QSize(60, 40));
  EXPECT_EQ(Find<TImageView>("Image2")->Shown().size(), QSize(420, 420));
  EXPECT_EQ(Find<QTabWidget>("PageControl1")->currentWidget()->objectName(), "TabSheet1");
  EXPECT_TRUE(messages_.isEmpty());
}

TEST_F(MainWindow, UnreadableOrUnsupportedFileKeepsThePreviousPicture) {
  const TBitmap first(30, 20);
  ASSERT_EQ(form_->LoadPictureFile(WritePicture(first, "first.bmp")), TForm1::TLoadResult::Loaded);
  Find<QTabWidget>("PageControl1")->setCurrentIndex(4);

  // Another extension loads nothing; the picture pages show the earlier picture again.
  WriteFile(dir_.filePath("other.png").toStdString(), "not read");
  EXPECT_EQ(form_->LoadPictureFile(dir_.filePath("other.png")), TForm1::TLoadResult::Unsupported);
  EXPECT_EQ(form_->Picture(), first);
  EXPECT_EQ(Find<TImageView>("Image1")->PictureSize(), QSize(30, 20));
  EXPECT_EQ(Find<QTabWidget>("PageControl1")->currentWidget()->objectName(), "TabSheet1");
  EXPECT_TRUE(messages_.isEmpty());

  // A missing or damaged file: a message with the reason, nothing else changes.
  Find<QTabWidget>("PageControl1")->setCurrentIndex(4);
  WriteFile(dir_.filePath("broken.jpg").toStdString(), "no JPEG here");
  for (const char* name : {"missing.bmp", "broken.jpg"}) {
    messages_.clear();
    EXPECT_EQ(form_->LoadPictureFile(dir_.filePath(name)), TForm1::TLoadResult::Failed) << name;
    ASSERT_EQ(messages_.size(), 1) << name;
    EXPECT_FALSE(messages_[0].isEmpty()) << name;
    EXPECT_EQ(form_->Picture(), first) << name;
    EXPECT_EQ(Find<TImageView>("Image2")->PictureSize(), QSize(30, 20)) << name;
    EXPECT_EQ(Find<QTabWidget>("PageControl1")->currentIndex(), 4) << name;
  }
}

// ---------------------------------------------------------------------------

TEST_F(MainWindow, AnalysingBeforeAnyPictureFailsWithoutFinderPattern) {
  form_->AnalyBtnClick();
  EXPECT_EQ(MemoLines("ResultMemo"), (QStringList{"データ :", "失敗", kNoFinder}));
  EXPECT_EQ(Status(1), kNoFinder);
  EXPECT_EQ(Status(0), "Veltrix Ver 3.0");
  EXPECT_TRUE(messages_.isEmpty());
}

TEST_F(MainWindow, FailedAnalysisReportsTheReasonInResultAndStatus) {
  ASSERT_EQ(form_->LoadPictureFile(WritePicture(TBitmap(200, 150), "blank.bmp")), TForm1::TLoadResult::Loaded);
  form_->AnalyBtnClick();
  const QStringList lines = MemoLines("ResultMemo");
  ASSERT_EQ(lines.size(), 3);
  EXPECT_EQ(lines[0], "データ :");
  EXPECT_EQ(lines[1], "失敗");
  EXPECT_EQ(Status(1), lines[2]);
  EXPECT_EQ(Status(0), "Veltrix Ver 3.0");
  EXPECT_EQ(lines[2], kNoFinder);
  // The binarized picture reached its pane.
  EXPECT_EQ(Find<TImageView>("FrontImage")->PictureSize(), QSize(200, 150));
}

TEST_F(MainWindow, AnalysisClearsThreeTextPanesButKeepsTheListing) {
  for (TTextPaneId id : {TTextPaneId::ImgMemo, TTextPaneId::BLMemo, TTextPaneId::RdSnMemo, TTextPaneId::ResultMemo})
    form_->Surfaces().Text(id).AppendLine("earlier run");
  form_->Surfaces().Refresh();
  ASSERT_EQ(form_->LoadPictureFile(SymbolPicture()), TForm1::TLoadResult::Loaded);
  form_->AnalyBtnClick();

  EXPECT_FALSE(MemoLines("ImgMemo").contains("earlier run"));
  EXPECT_FALSE(MemoLines("RdSnMemo").contains("earlier run"));
  EXPECT_FALSE(MemoLines("ResultMemo").contains("earlier run"));
  EXPECT_EQ(MemoLines("BLMemo").value(0), "earlier run");
  // Every widget shows exactly the lines the stages wrote into the registry.
  for (TTextPaneId id : {TTextPaneId::ImgMemo, TTextPaneId::BLMemo, TTextPaneId::RdSnMemo, TTextPaneId::ResultMemo}) {
    QStringList registry;
    for (const std::string& line : form_->Surfaces().Text(id).Lines()) registry << QString::fromStdString(line);
    const std::string name(PaneName(id));
    EXPECT_EQ(MemoLines(name.c_str()), registry) << name;
  }
}

TEST_F(MainWindow, ClosedWindowIgnoresTheAnalysisCommand) {
  form_->FormClose();
  form_->AnalyBtnClick();
  EXPECT_TRUE(MemoLines("ResultMemo").isEmpty());
  EXPECT_TRUE(messages_.isEmpty());
}

TEST_F(MainWindow, MissingHelpFileIsReported) {
  const QString previous = QDir::currentPath();
  ASSERT_TRUE(QDir::setCurrent(dir_.path()));
  form_->N6Click();
  QDir::setCurrent(previous);
  ASSERT_EQ(messages_.size(), 1);
  EXPECT_TRUE(messages_[0].contains("Morilux.chm"));
}

// ---------------------------------------------------------------------------

TEST_F(MainWindow, SuccessfulAnalysisShowsTheTextAndOk) {
  ASSERT_EQ(form_->LoadPictureFile(SymbolPicture()), TForm1::TLoadResult::Loaded);
  form_->AnalyBtnClick();
  EXPECT_EQ(MemoLines("ResultMemo"), (QStringList{"データ :" + kVersionThreeText, "完了", ""}));
  EXPECT_EQ(Status(1), "Ｏｋ");
  EXPECT_EQ(Status(0), "Veltrix Ver 3.0");
  EXPECT_FALSE(MemoLines("ImgMemo").isEmpty());
  EXPECT_FALSE(MemoLines("RdSnMemo").isEmpty());
  for (const char* pane : {"FrontImage", "ClossLineImage", "TimeImage", "AdjustImage", "DigitImage", "BlockImage",
                           "MaskImage", "ResultImage"}) {
    EXPECT_FALSE(Find<TImageView>(pane)->Shown().isNull()) << pane;
  }
  EXPECT_EQ(Find<TImageView>("DigitImage")->PictureSize(), QSize(29, 29));
}

TEST_F(MainWindow, SecondAnalysisReplacesTracesButAddsToTheListing) {
  ASSERT_EQ(form_->LoadPictureFile(SymbolPicture()), TForm1::TLoadResult::Loaded);
  form_->AnalyBtnClick();
  const QStringList img = MemoLines("ImgMemo");
  const QStringList rdSn = MemoLines("RdSnMemo");
  const QStringList listing = MemoLines("BLMemo");
  ASSERT_FALSE(listing.isEmpty());
  form_->AnalyBtnClick();
  EXPECT_EQ(MemoLines("ImgMemo"), img);
  EXPECT_EQ(MemoLines("RdSnMemo"), rdSn);
  EXPECT_EQ(MemoLines("BLMemo"), listing + listing);
  EXPECT_EQ(MemoLines("ResultMemo"), (QStringList{"データ :" + kVersionThreeText, "完了", ""}));
}

}  // namespace
