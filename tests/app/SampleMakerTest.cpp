// The sample maker's window: a symbol made to order, loaded into the main
// window, analysed and saved without leaving the program; refusals shown in
// the window; the label of a made picture while, and only while, it is loaded.

#include <functional>
#include <string>
#include <vector>

#include <QAction>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFile>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>
#include <QWindow>
#include <gtest/gtest.h>

#include "ImageView.h"
#include "PaneTools.h"
#include "SampleMaker.h"
#include "WindowTestSupport.h"
#include "decoder/Veltrix.h"
#include "picture/PictureLoader.h"

namespace {

using namespace testing_support;
using window_testing::MainWindow;

class SampleMaker : public MainWindow {
 protected:
  // The command as a user gives it: Ctrl+M in the main window.
  TSampleMakerWindow* Open() {
    form_->show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(form_.get()));
    EXPECT_TRUE(Activate(*form_));
    QTest::keyClick(form_.get(), Qt::Key_M, Qt::ControlModifier);
    auto* window = form_->findChild<TSampleMakerWindow*>(QStringLiteral("SampleMakerWindow"));
    EXPECT_NE(window, nullptr);
    return window;
  }
  // The user turns to `window`, as a click on it does through the window manager.
  static bool Activate(QWidget& window) {
    window.windowHandle()->requestActivate();
    return QTest::qWaitFor([&] { return QApplication::activeWindow() == &window; }, 2000);
  }
  template <typename T>
  static T* In(QWidget& window, const char* name) {
    T* widget = window.findChild<T*>(QString::fromLatin1(name));
    EXPECT_NE(widget, nullptr) << name;
    return widget;
  }
  // Typed over what the field holds, as a user types.
  static void Type(QAbstractSpinBox* field, const QString& text) {
    field->setFocus(Qt::TabFocusReason);
    QLineEdit* editor = field->findChild<QLineEdit*>();
    QTest::keyClick(editor, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(editor, text);
  }
  static void Write(QWidget& window, const QString& text) {
    auto* field = In<QPlainTextEdit>(window, "SampleText");
    field->selectAll();
    // Typed when it can be, else as an input method gives it.
    if (text.toLatin1() == text.toUtf8())
      QTest::keyClicks(field, text);
    else
      field->insertPlainText(text);
  }
  QLabel* CaptionLabel() { return form_->findChild<QLabel*>(QStringLiteral("SampleCaptionLabel")); }
  QString Readout() { return Find<QLabel>("StatusPanel2")->text(); }
};

// What a teacher does: version 5, level Q, mask 3, turned by 10 degrees, made,
// analysed in the main window and saved in each kind of file. The analysis
// reads back the text, version, level and mask chosen.
TEST_F(SampleMaker, Version5QWithMask3TurnedTenDegreesIsMadeAnalysedAndSaved) {
  TSampleMakerWindow* window = Open();
  ASSERT_NE(window, nullptr);
  EXPECT_TRUE(window->isVisible());
  EXPECT_FALSE(window->isModal());
  Write(*window, QStringLiteral("Lesson 5: masks"));
  Type(In<QSpinBox>(*window, "SampleVersion"), QStringLiteral("5"));
  In<QComboBox>(*window, "SampleLevel")->setCurrentIndex(2);
  Type(In<QSpinBox>(*window, "SampleMask"), QStringLiteral("3"));
  Type(In<QDoubleSpinBox>(*window, "SampleEffect_rotation"), QStringLiteral("10"));
  QTest::mouseClick(In<QPushButton>(*window, "SampleLoadButton"), Qt::LeftButton);

  // The core's own sample of the same choices is what the main window holds.
  TSampleRequest asked;
  asked.symbol = {"Lesson 5: masks", TSampleMode::Automatic, 5, 2, 3};
  asked.effects.rotation = 10;
  const TSample expected = MakeSample(asked);
  ASSERT_EQ(form_->Picture(), expected.picture);
  EXPECT_EQ(Page(), "TabSheet1");
  const QString caption = QString::fromStdString(SampleCaption(expected));
  EXPECT_TRUE(caption.startsWith(QStringLiteral("作成: 型番 5-Q, マスク 3, ")));
  ASSERT_NE(CaptionLabel(), nullptr);
  EXPECT_TRUE(CaptionLabel()->isVisible());
  EXPECT_EQ(CaptionLabel()->text(), caption);
  EXPECT_EQ(Readout(), caption);
  EXPECT_EQ(window->MessageText().left(caption.size()), caption);

  QTest::keyClick(form_.get(), Qt::Key_F5);
  const TAnalysisResult& analysis = form_->LastAnalysis();
  ASSERT_TRUE(analysis.decoded) << analysis.failureReason;
  EXPECT_EQ(analysis.text, "Lesson 5: masks");
  EXPECT_EQ(analysis.diagnosis.SettledVersion(), 5);
  EXPECT_EQ(analysis.diagnosis.SettledLevel(), 2);
  EXPECT_EQ(analysis.diagnosis.SettledMask(), 3);
  // The report names what was made.
  ASSERT_TRUE(form_->WriteReport(dir_.filePath("lesson.html")));
  QFile report(dir_.filePath("lesson.html"));
  ASSERT_TRUE(report.open(QIODevice::ReadOnly));
  EXPECT_TRUE(QString::fromUtf8(report.readAll()).contains(caption.toHtmlEscaped()));

  // Saved through the file chooser (Ctrl+S), then in each kind: every file reads back as the sample.
  QString suggested;
  form_->Inspector().SetFileChooser([&](const QString&, const QString& name, const QString&) {
    suggested = name;
    return dir_.filePath("lesson.png");
  });
  // The load gave the main window the focus; the user turns back to the maker.
  ASSERT_TRUE(Activate(*window));
  QTest::keyClick(In<QSpinBox>(*window, "SampleMask")->findChild<QLineEdit*>(), Qt::Key_S, Qt::ControlModifier);
  EXPECT_EQ(suggested, "sample-5-Q-mask3.png");
  for (const char* name : {"lesson.png", "lesson.bmp", "lesson.JPG"}) {
    SCOPED_TRACE(name);
    const QString path = dir_.filePath(QString::fromLatin1(name));
    if (path.endsWith(".png")) {
      EXPECT_EQ(window->MessageText(), QStringLiteral("保存しました：") + path);
    } else {
      ASSERT_TRUE(window->Save(path)) << window->MessageText().toStdString();
    }
    const std::optional<TBitmap> loaded = LoadPicture(QFile::encodeName(path).toStdString());
    ASSERT_TRUE(loaded);
    if (!path.endsWith(".JPG")) {
      EXPECT_EQ(*loaded, expected.picture);
      continue;
    }
    TSurfaces surfaces;
    TVeltrix veltrix(surfaces);
    EXPECT_EQ(Analyse(veltrix, surfaces, *loaded, {}).text, "Lesson 5: masks");
  }
  EXPECT_TRUE(messages_.isEmpty()) << messages_.join("; ").toStdString();
}

// A request the maker refuses says why in the window; nothing is made,
// nothing reaches the main window, no message box opens; a mended request
// makes a sample again.
TEST_F(SampleMaker, RefusalsAreShownInTheWindowAndChangeNothingElse) {
  ASSERT_EQ(Load(RenderSymbol(EncodeBytes("loaded", 1, 1), 4), "loaded.bmp"), TForm1::TLoadResult::Loaded);
  const TBitmap loaded = form_->Picture();
  TSampleMakerWindow* window = Open();
  ASSERT_NE(window, nullptr);
  const auto set = [&](const char* name, double value) {
    if (auto* spin = window->findChild<QSpinBox*>(QString::fromLatin1(name))) spin->setValue(static_cast<int>(value));
    if (auto* spin = window->findChild<QDoubleSpinBox*>(QString::fromLatin1(name))) spin->setValue(value);
  };
  const auto mode = [&](TSampleMode chosen) {
    In<QComboBox>(*window, "SampleMode")->setCurrentIndex(static_cast<int>(&NameOf(chosen) - kSampleModes.data()));
  };
  const struct {
    const char* what;
    std::function<void()> choose;
    const char* reason;
  } cases[] = {
      {"text too long for a forced version",
       [&] { Write(*window, QStringLiteral("The quick brown fox jumps over the lazy dog")), set("SampleVersion", 1),
             In<QComboBox>(*window, "SampleLevel")->setCurrentIndex(3); },
       "does not fit version 1 at level H"},
      {"Kanji mode for Latin letters", [&] { Write(*window, QStringLiteral("ABC")), mode(TSampleMode::Kanji); },
       "Kanji mode takes only"},
      {"numeric mode for a letter", [&] { Write(*window, QStringLiteral("12a")), mode(TSampleMode::Numeric); },
       "numeric mode takes only"},
      {"no text", [&] { In<QPlainTextEdit>(*window, "SampleText")->clear(); }, "the text is empty"},
      {"a character Shift-JIS lacks", [&] { Write(*window, QStringLiteral("smile \U0001F600")); }, "U+1F600"},
      {"less than a pixel a module", [&] { set("SampleModuleSize", 1), set("SampleEffect_scale", 0.5); },
       "fewer than one pixel per module"},
  };
  for (const auto& refusal : cases) {
    SCOPED_TRACE(refusal.what);
    TSampleRequest preset;
    preset.symbol.text = "Morilux";
    window->SetRequest(preset);
    ASSERT_TRUE(window->MakeNow());
    refusal.choose();
    QTest::mouseClick(In<QPushButton>(*window, "SampleLoadButton"), Qt::LeftButton);
    EXPECT_TRUE(window->MessageText().startsWith(QStringLiteral("作れません："))) << window->MessageText().toStdString();
    EXPECT_TRUE(window->MessageText().contains(QString::fromLatin1(refusal.reason))) << window->MessageText().toStdString();
    EXPECT_EQ(window->Made(), nullptr);
    EXPECT_FALSE(In<QPushButton>(*window, "SampleLoadButton")->isEnabled());
    EXPECT_FALSE(In<QPushButton>(*window, "SampleSaveButton")->isEnabled());
    EXPECT_FALSE(window->Save(dir_.filePath("refused.png")));
    EXPECT_FALSE(QFile::exists(dir_.filePath("refused.png")));
    EXPECT_EQ(form_->Picture(), loaded);
    EXPECT_EQ(CaptionLabel(), nullptr);
  }
  EXPECT_TRUE(messages_.isEmpty());
  Write(*window, QStringLiteral("mended"));
  set("SampleEffect_scale", 1);
  ASSERT_TRUE(window->MakeNow()) << window->MessageText().toStdString();
  EXPECT_TRUE(In<QPushButton>(*window, "SampleLoadButton")->isEnabled());
  // A name of another kind is refused before anything is written.
  EXPECT_FALSE(window->Save(dir_.filePath("sample.gif")));
  EXPECT_TRUE(window->MessageText().contains(".png、.bmp、.jpg、.jpeg"));
  EXPECT_FALSE(QFile::exists(dir_.filePath("sample.gif")));
  EXPECT_FALSE(window->Save(dir_.filePath("no-folder/sample.png")));
  EXPECT_TRUE(window->MessageText().startsWith(QStringLiteral("保存できませんでした：")));
}

// The label and the readout say what was made while a made picture is
// loaded: a failed load keeps them with the picture, a new load removes them.
TEST_F(SampleMaker, CaptionLastsWhileTheMadePictureIsLoaded) {
  EXPECT_EQ(CaptionLabel(), nullptr);
  TSampleMakerWindow* window = Open();
  ASSERT_NE(window, nullptr);
  const auto made = [&] { return QString::fromStdString(SampleCaption(*window->Made())); };
  ASSERT_TRUE(window->LoadIntoMainWindow());
  const QString first = made();
  ASSERT_NE(CaptionLabel(), nullptr);
  EXPECT_TRUE(CaptionLabel()->isVisible());
  EXPECT_EQ(CaptionLabel()->text(), first);
  EXPECT_EQ(Readout(), first);
  // The readout tells of a pixel under the cursor, then of the picture again.
  TImageView* pane = View(TImagePaneId::Image1);
  QTest::mouseMove(pane, pane->rect().center());
  EXPECT_TRUE(Readout().startsWith(QStringLiteral("画素"))) << Readout().toStdString();
  emit pane->HoverLeft();
  EXPECT_EQ(Readout(), first);

  // A file that is no picture loads nothing: the made picture and its caption stay.
  QFile notes(dir_.filePath("notes.txt"));
  ASSERT_TRUE(notes.open(QIODevice::WriteOnly));
  notes.close();
  EXPECT_EQ(form_->LoadPictureFile(notes.fileName()), TForm1::TLoadResult::Unsupported);
  EXPECT_TRUE(CaptionLabel()->isVisible());
  EXPECT_EQ(Readout(), first);

  ASSERT_EQ(Load(RenderSymbol(EncodeBytes("a file", 1, 1), 4), "file.bmp"), TForm1::TLoadResult::Loaded);
  EXPECT_FALSE(CaptionLabel()->isVisible());
  EXPECT_TRUE(Readout().isEmpty());
  emit pane->HoverLeft();
  EXPECT_TRUE(Readout().isEmpty());
  form_->AnalyseCommand();
  ASSERT_TRUE(form_->WriteReport(dir_.filePath("file.html")));
  QFile report(dir_.filePath("file.html"));
  ASSERT_TRUE(report.open(QIODevice::ReadOnly));
  EXPECT_FALSE(QString::fromUtf8(report.readAll()).contains(QStringLiteral("作成")));

  In<QSpinBox>(*window, "SampleMask")->setValue(6);
  ASSERT_TRUE(window->LoadIntoMainWindow());
  EXPECT_TRUE(CaptionLabel()->isVisible());
  EXPECT_NE(made(), first);
  EXPECT_EQ(CaptionLabel()->text(), made());
  EXPECT_TRUE(CaptionLabel()->text().contains(QStringLiteral("マスク 6,")));
  // The label stands below the pane, clear of it, on the page, also when the panes are fitted to a larger window.
  for (const bool fitted : {false, true}) {
    Find<QAction>("FitWindowAction")->setChecked(fitted);
    form_->resize(fitted ? 1600 : 979, fitted ? 1000 : 663);
    QApplication::processEvents();
    SCOPED_TRACE(fitted);
    EXPECT_GT(pane->width(), fitted ? 420 : 419);
    EXPECT_GT(CaptionLabel()->y(), pane->geometry().bottom());
    EXPECT_LE(CaptionLabel()->geometry().bottom(), pane->parentWidget()->height());
  }
}

// Opening the window changes nothing the main window shows; its preview
// follows the choices a moment after a change; its fields leave the window's
// keys to it, and Esc and Ctrl+W close it.
TEST_F(SampleMaker, PreviewFollowsTheChoicesAndKeysReachTheWindow) {
  form_->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(form_.get()));
  const QImage before = form_->grab().toImage();
  TSampleMakerWindow* window = Open();
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(form_->grab().toImage(), before);
  EXPECT_TRUE(form_->Picture().Empty());

  TSampleRequest request;
  request.symbol = {"漢字", TSampleMode::Kanji, 3, 3, 7};
  request.moduleSize = 5;
  request.quietZone = 2;
  request.effects = ParseEffects("all,perspective=-3.5,jpeg=0,scale=1.25");
  request.seed = 4000000000U;
  window->SetRequest(request);
  const TSampleRequest read = window->Request();
  EXPECT_EQ(read.symbol.text, request.symbol.text);
  EXPECT_EQ(read.symbol.mode, request.symbol.mode);
  EXPECT_EQ(read.symbol.version, 3);
  EXPECT_EQ(read.symbol.level, 3);
  EXPECT_EQ(read.symbol.mask, 7);
  EXPECT_EQ(read.moduleSize, 5);
  EXPECT_EQ(read.quietZone, 2);
  EXPECT_EQ(FormatEffects(read.effects), FormatEffects(request.effects));
  EXPECT_EQ(read.seed, request.seed);

  ASSERT_TRUE(QTest::qWaitFor([&] { return window->Made() != nullptr; }, 5000)) << window->MessageText().toStdString();
  EXPECT_EQ(window->Made()->symbol.mask, 7);
  EXPECT_EQ(window->findChild<TImageView*>("SamplePreview")->Picture(), MakeSample(request).picture);
  In<QSpinBox>(*window, "SampleMask")->setValue(kAutomaticMask);
  EXPECT_EQ(window->Made(), nullptr);
  ASSERT_TRUE(QTest::qWaitFor([&] { return window->Made() != nullptr; }, 5000));
  EXPECT_EQ(In<QSpinBox>(*window, "SampleMask")->text(), QStringLiteral("自動"));
  EXPECT_TRUE(window->MessageText().contains(QStringLiteral("(自動)")));

  // No field claims a key of the window, and each key does its command from there.
  std::vector<QWidget*> fields;
  for (QAbstractSpinBox* spin : window->findChildren<QAbstractSpinBox*>()) fields.push_back(spin->findChild<QLineEdit*>());
  fields.push_back(In<QPlainTextEdit>(*window, "SampleText"));
  fields.push_back(In<QComboBox>(*window, "SampleMode"));
  for (QWidget* field : fields)
    for (const QKeyCombination key : {QKeyCombination(Qt::Key_Escape), Qt::CTRL | Qt::Key_W, Qt::CTRL | Qt::Key_S,
                                      Qt::CTRL | Qt::Key_Return}) {
      QKeyEvent override(QEvent::ShortcutOverride, key.key(), key.keyboardModifiers());
      QApplication::sendEvent(field, &override);
      EXPECT_FALSE(override.isAccepted()) << field->objectName().toStdString() << " " << QKeySequence(key).toString().toStdString();
    }
  ASSERT_TRUE(Activate(*window));
  QTest::keyClick(In<QDoubleSpinBox>(*window, "SampleSeed")->findChild<QLineEdit*>(), Qt::Key_Return, Qt::ControlModifier);
  EXPECT_EQ(form_->Picture(), window->Made()->picture);
  ASSERT_TRUE(Activate(*window));
  QTest::keyClick(In<QDoubleSpinBox>(*window, "SampleSeed")->findChild<QLineEdit*>(), Qt::Key_Escape);
  EXPECT_FALSE(window->isVisible());
  EXPECT_EQ(Open(), window);
  EXPECT_TRUE(window->isVisible());
  ASSERT_TRUE(Activate(*window));
  QTest::keyClick(In<QPlainTextEdit>(*window, "SampleText"), Qt::Key_W, Qt::ControlModifier);
  EXPECT_FALSE(window->isVisible());
}

}  // namespace
