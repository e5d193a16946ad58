// The window under random use: a seeded sequence of user actions (loads
// through the file dialog and by drag and drop, analyses by button, key and
// menu, typing into the spin fields, page switches, wheel, drags, clicks and
// keys on the panes, context menus, resizing, enlarged windows, the report,
// the parameter explorer, the sample maker, the class set's window and the
// help window, the page keys and the window's command keys from wherever the
// focus is, Esc and Ctrl+W, the arrows in the codeword listing, the presets
// and the fit to the window), after each of which the window must be usable
// and must show what the last command did.
//
//   MORILUX_RANDOM_SEED     replays a run (the seed is printed at its start)
//   MORILUX_RANDOM_ACTIONS  how many actions (the build chooses the default)
//   MORILUX_RANDOM_SECONDS  stops earlier once this much time has passed (default 60)
//   MORILUX_RANDOM_TRACE=1  prints every action as it starts

// Mouse events travel through the platform window, as a real mouse's do, so
// that popups, context menus, focus and grabs behave as they would for a user.
#define QTEST_QPA_MOUSE_HANDLING

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <deque>
#include <functional>
#include <iostream>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include <QAbstractItemView>
#include <QAbstractSpinBox>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QDropEvent>
#include <QFileDialog>
#include <QLineEdit>
#include <QMenu>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QMimeData>
#include <QPointer>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QStatusBar>
#include <QTabBar>
#include <QTableWidget>
#include <QTest>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTimer>
#include <QUrl>
#include <QWheelEvent>
#include <gtest/gtest.h>

#include "ClassSetWindow.h"
#include "ExplorerWindow.h"
#include "ModuleReadout.h"
#include "FilledSymbols.h"
#include "HelpWindow.h"
#include "PaneTools.h"
#include "SampleMaker.h"
#include "StageFailures.h"
#include "TestPng.h"
#include "WindowTestSupport.h"
#include "common/VisibleText.h"
#include "decoder/Analysis.h"
#include "decoder/Veltrix.h"
#include "picture/PictureLoader.h"

#ifndef MORILUX_RANDOM_USE_ACTIONS
#define MORILUX_RANDOM_USE_ACTIONS 300
#endif

namespace {

using namespace testing_support;

// Drags leave the window on purpose, and the offscreen platform cannot raise
// windows or grab the keyboard for menus: Qt's warnings about these are expected here.
void QuietHandler(QtMsgType type, const QMessageLogContext& context, const QString& text) {
  if (text.contains(QLatin1String("occurs outside target window")) || text.contains(QLatin1String("This plugin does not support"))) return;
  qt_message_output(type, context, text);
}

long long Setting(const char* name, long long fallback) {
  const char* text = std::getenv(name);
  if (text == nullptr || *text == '\0') return fallback;
  char* end = nullptr;
  const long long value = std::strtoll(text, &end, 10);
  return end != nullptr && *end == '\0' ? value : fallback;
}

// ---------------------------------------------------------------------------
// The answers to what the window opens and waits for.

// Dialogs, message boxes and menus that the window opens run their own event
// loop until answered. The answerer gives the answers the test expects, in
// order; anything else that opens would wait for an answer no one gives,
// and is a fault (it is closed so that the run can report it).
class TAnswerer : public QObject {
 public:
  struct TAnswer {
    enum class TKind { ChooseFile, Cancel, Message, Menu };
    TKind kind;
    QString path;                              // ChooseFile
    std::function<QAction*(QMenu&)> choose;    // Menu: the item to choose, null to close the menu
    bool optional = false;                     // the step may open nothing

    static TAnswer File(const QString& path) { return {TKind::ChooseFile, path, {}}; }
    static TAnswer Cancel() { return {TKind::Cancel, {}, {}}; }
    static TAnswer Message() { return {TKind::Message, {}, {}}; }
    static TAnswer Menu(std::function<QAction*(QMenu&)> choose, bool optional = false) {
      return {TKind::Menu, {}, std::move(choose), optional};
    }
  };

  TAnswerer() {
    poll_.setInterval(1);
    connect(&poll_, &QTimer::timeout, this, [this] { Poll(); });
    poll_.start();
  }

  void Expect(TAnswer answer) { queue_.push_back(std::move(answer)); }
  // Nothing is open, nothing more is expected to open.
  bool Idle() const {
    return !answering_ && QApplication::activePopupWidget() == nullptr && QApplication::activeModalWidget() == nullptr &&
           std::all_of(queue_.begin(), queue_.end(), [](const TAnswer& answer) { return answer.optional; });
  }
  // Unanswered expectations are dropped (after a fault has been recorded).
  void Forget() { queue_.clear(); }
  QStringList& Faults() { return faults_; }
  QStringList& Messages() { return messages_; }

 private:
  static QString Describe(QWidget* widget) {
    return QStringLiteral("%1 \"%2\"").arg(QString::fromLatin1(widget->metaObject()->className()), widget->objectName());
  }

  void Poll() {
    if (answering_) return;
    QWidget* open = QApplication::activePopupWidget();
    if (open == nullptr) open = QApplication::activeModalWidget();
    if (open == nullptr) return;
    // Answered from a timer of its own: an answer may open the next dialog,
    // whose loop must still see this poll.
    answering_ = true;
    QTimer::singleShot(0, this, [this, target = QPointer<QWidget>(open)] {
      answering_ = false;
      if (target && (target == QApplication::activePopupWidget() || target == QApplication::activeModalWidget())) Answer(target);
    });
  }

  static void Close(QWidget* widget) {
    if (auto* dialog = qobject_cast<QDialog*>(widget))
      dialog->reject();
    else
      widget->close();
  }

  void Answer(QWidget* widget) {
    if (queue_.empty()) {
      faults_ << QStringLiteral("unexpected %1 (%2)").arg(Describe(widget), Text(widget));
      Close(widget);
      return;
    }
    TAnswer answer = std::move(queue_.front());
    queue_.pop_front();
    using enum TAnswer::TKind;
    if (auto* menu = qobject_cast<QMenu*>(widget); menu != nullptr && answer.kind == Menu) {
      QAction* item = answer.choose ? answer.choose(*menu) : nullptr;
      if (item == nullptr) {
        QTest::keyClick(menu, Qt::Key_Escape);
        return;
      }
      menu->setActiveAction(item);
      QTest::keyClick(menu, Qt::Key_Return);
      return;
    }
    if (qobject_cast<QMenu*>(widget) == nullptr && widget->isWindow() && widget->windowType() == Qt::Popup && answer.kind == Menu) {
      // A list that drops down (a combo box's) is closed again.
      QTest::keyClick(widget->focusWidget() != nullptr ? widget->focusWidget() : widget, Qt::Key_Escape);
      return;
    }
    if (auto* dialog = qobject_cast<QFileDialog*>(widget); dialog != nullptr && (answer.kind == ChooseFile || answer.kind == Cancel)) {
      if (answer.kind == Cancel) {
        dialog->reject();
        return;
      }
      // The path as typed into the dialog's name field, accepted without the
      // dialog's own check: the file may have gone, or been replaced, since
      // the dialog listed it.
      auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
      if (name == nullptr) {
        faults_ << QStringLiteral("the file dialog has no name field");
        dialog->reject();
        return;
      }
      // Typing drops the file chosen on the dialog's last opening only while
      // the name field has the focus, which the offscreen platform may give
      // late on a busy machine; that file would then be opened instead.
      if (auto* list = dialog->findChild<QAbstractItemView*>(QStringLiteral("listView"))) list->clearSelection();
      name->setText(answer.path);
      static_cast<QDialog*>(dialog)->done(QDialog::Accepted);
      return;
    }
    if (auto* box = qobject_cast<QMessageBox*>(widget); box != nullptr && answer.kind == Message) {
      messages_ << box->text();
      QTest::keyClick(box, Qt::Key_Return);
      return;
    }
    faults_ << QStringLiteral("%1 opened where the test expected answer %2").arg(Describe(widget)).arg(static_cast<int>(answer.kind));
    queue_.clear();
    Close(widget);
  }

  static QString Text(QWidget* widget) {
    if (auto* box = qobject_cast<QMessageBox*>(widget)) return box->text();
    return widget->windowTitle();
  }

  QTimer poll_;
  std::deque<TAnswer> queue_;
  bool answering_ = false;
  QStringList faults_;
  QStringList messages_;
};

// ---------------------------------------------------------------------------
// The files the load commands are given.

struct TPictureFile {
  enum class TKind { Good, Damaged, OtherKind };
  QString path;
  TKind kind;
  TBitmap picture;  // Good: what the loader gives
};

TBitmap NoisePicture(int width, int height, std::uint32_t seed) {
  TBitmap bitmap(width, height);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      seed = seed * 1664525u + 1013904223u;
      if (seed >> 31) bitmap.SetPixel(x, y, kBlack);
    }
  return bitmap;
}

// Small pictures that decode, fail at various stages, or hold no symbol;
// damaged, truncated and mislabelled files; names that are missing or of other kinds.
std::vector<TPictureFile> MakeFiles(const QDir& dir) {
  const auto path = [&](const char* name) { return dir.filePath(QString::fromLatin1(name)); };
  const TTestSymbol quick = EncodeBytes("The quick brown fox jumps over 13 dogs!!", 5, 2);
  const struct {
    const char* name;
    TBitmap picture;
  } bitmaps[] = {
      {"v1.bmp", RenderSymbol(EncodeBytes("Morilux 1", 1, 0), 3)},
      {"kanji.bmp", RenderSymbol(EncodeSegments({{TSegmentMode::Byte, "Morilux "}, {TSegmentMode::Kanji, "\x93\x5F\xE4\xAA"}}, 2, 1), 4)},
      {"quick.bmp", RenderSymbol(quick, 3)},
      {"turned.BMP", RenderSymbol(EncodeBytes("turned", 3, 3), 4, 4, 1)},
      {"tilted.bmp", RenderSymbolRotated(EncodeBytes("tilted", 2, 1), 4, 4, 17.0)},
      {"controls.bmp", RenderSymbol(EncodeBytes("tab\there\nnew line \x1b[2J\\ del\x7f", 2, 1), 3)},
      {"seven.bmp", RenderSymbol(EncodeBytes("version seven", 7, 1), 2)},
      {"format.bmp", FormatUnreadable()},
      {"blocks.bmp", BlockBeyondCorrection()},
      {"blank.bmp", TBitmap(40, 30)},
      {"dot.bmp", TBitmap(1, 1)},
      {"line.bmp", TBitmap(300, 2)},
      {"noise.bmp", NoisePicture(64, 48, 7)},
  };
  std::vector<TPictureFile> files;
  for (const auto& [name, picture] : bitmaps) {
    WriteBmp(picture, path(name).toStdString());
    files.push_back({path(name), TPictureFile::TKind::Good, picture});
  }
  WriteJpeg(RenderSymbol(quick, 3), path("quick.jpg").toStdString());
  WriteJpeg(RenderSymbol(EncodeBytes("JPEG", 1, 1), 4), path("upper.JPEG").toStdString(), 60);
  WritePng(RenderSymbol(EncodeBytes("PNG", 1, 1), 4), path("symbol.png").toStdString(), {TPngColours::Grey, 1, true});
  const std::string jpeg = ReadFile(path("quick.jpg").toStdString());
  const std::string png = ReadFile(path("symbol.png").toStdString());
  const std::string bmp = ReadFile(path("v1.bmp").toStdString());
  const struct {
    const char* name;
    std::string bytes;
  } damaged[] = {
      {"garbage.jpg", NoiseBytes(3000, 11)},      {"garbage.bmp", NoiseBytes(3000, 12)},
      {"truncated.jpg", jpeg.substr(0, jpeg.size() / 2)}, {"header.jpg", jpeg.substr(0, 200)},
      {"truncated.bmp", bmp.substr(0, bmp.size() / 2)},   {"header.bmp", bmp.substr(0, 54)},
      {"empty.jpg", ""},                          {"jpeg.bmp", jpeg},
      {"notes.txt", "not a picture"},             {"picture.png", bmp},
      {"truncated.png", png.substr(0, png.size() - 20)}, {"picture.gif", bmp},
  };
  for (const auto& [name, bytes] : damaged) {
    WriteFile(path(name).toStdString(), bytes);
    files.push_back({path(name), TPictureFile::TKind::Damaged, {}});
  }
  dir.mkdir(QStringLiteral("folder.bmp"));
  dir.mkdir(QStringLiteral("saved"));
  for (const char* name : {"quick.jpg", "upper.JPEG", "symbol.png", "folder.bmp", "missing.jpg", "no-folder/missing.bmp", "no-extension"})
    files.push_back({path(name), TPictureFile::TKind::Damaged, {}});
  // What the loader makes of each file decides what the window must show.
  for (TPictureFile& file : files) {
    try {
      const std::optional<TBitmap> loaded = LoadPicture(QFile::encodeName(file.path).toStdString());
      file.kind = loaded ? TPictureFile::TKind::Good : TPictureFile::TKind::OtherKind;
      if (loaded && !file.picture.Empty()) {
        EXPECT_EQ(*loaded, file.picture) << file.path.toStdString();
      }
      if (loaded) file.picture = *loaded;
    } catch (const std::exception&) {
      file.kind = TPictureFile::TKind::Damaged;
    }
  }
  return files;
}

// ---------------------------------------------------------------------------

// What the window must show after each step: the picture of the last good
// load, the result of the last analysis, status panel 1 as the last command left it.
struct TExpected {
  TBitmap picture;
  std::optional<TAnalysisResult> analysis;
  std::vector<std::string> result;  // ResultMemo as written
  std::vector<std::string> imgMemo, rdSnMemo;
  std::size_t listing = 0;          // lines of BLMemo
  QString status0;
  QString status1;
  QString status1Contains;          // instead of status1 when not empty
  QString page;                     // the page in front, when a command chose it
  QString madeCaption;              // what the loaded picture is, when the sample maker made it
};

class RandomUse : public window_testing::MainWindow {
 protected:
  using TAnswer = TAnswerer::TAnswer;
  using TKind = TAnswer::TKind;

  void SetUp() override {
    MainWindow::SetUp();
    previousHandler_ = qInstallMessageHandler(QuietHandler);
    // Message boxes are shown, and answered by the answerer, as a user would.
    form_->SetMessageSink({});
    // The help command opens a help file of the current folder if there is
    // one: none there, so it shows the built-in manual.
    previousFolder_ = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(dir_.path()));
    files_ = MakeFiles(QDir(dir_.path()));
    form_->Inspector().SetFileChooser([this](const QString&, const QString& suggested, const QString&) { return ChooseSaveName(suggested); });
    form_->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form_.get()));
    expected_.status0 = Status(0);
  }

  void TearDown() override {
    for (QWidget* window : EnlargedWindows()) window->close();
    if (SampleWindow() != nullptr) SampleWindow()->close();
    if (form_->Help() != nullptr) form_->Help()->close();
    if (Explorer() != nullptr) Explorer()->close();
    if (ClassSet() != nullptr) ClassSet()->close();
    QDir::setCurrent(previousFolder_);
    qInstallMessageHandler(previousHandler_);
  }

  // --- Random choices ---
  std::uint64_t Below(std::uint64_t n) { return n == 0 ? 0 : random_() % n; }
  bool Chance(int percent) { return Below(100) < static_cast<std::uint64_t>(percent); }
  template <typename T>
  const T& Pick(const std::vector<T>& items) { return items[Below(items.size())]; }
  // A point of the widget where the user sees it (a click there reaches it),
  // or, `mayLeave`, sometimes anywhere around it (a drag that leaves the pane).
  QPoint PointIn(const QWidget* widget, bool mayLeave = false) {
    const int w = std::max(1, widget->width()), h = std::max(1, widget->height());
    if (mayLeave && Chance(15)) return {static_cast<int>(Below(3 * w)) - w, static_cast<int>(Below(3 * h)) - h};
    const QRegion visible = widget->visibleRegion();
    const QRect box = visible.isEmpty() ? widget->rect() : *(visible.begin() + Below(visible.rectCount()));
    return {box.left() + static_cast<int>(Below(std::max(1, box.width()))), box.top() + static_cast<int>(Below(std::max(1, box.height())))};
  }
  static bool Seen(const QWidget* widget) { return widget->isVisible() && !widget->visibleRegion().isEmpty(); }

  // --- The window's parts ---
  std::vector<TSpinEdit*> Fields() { return {Find<TSpinEdit>("SpinEdit1"), Find<TSpinEdit>("SpinEdit3"), Find<TSpinEdit>("SpinEdit2")}; }
  std::vector<TImageView*> ShownViews() {
    std::vector<TImageView*> views;
    for (std::size_t i = 0; i < kImagePaneCount; ++i)
      if (TImageView* view = View(static_cast<TImagePaneId>(i)); Seen(view)) views.push_back(view);
    for (QWidget* window : EnlargedWindows())
      if (TImageView* view = window->findChild<TImageView*>(); Seen(view)) views.push_back(view);
    return views;
  }
  std::vector<TMemo*> ShownMemos() {
    std::vector<TMemo*> memos;
    for (std::size_t i = 0; i < kTextPaneCount; ++i)
      if (TMemo* memo = form_->Surfaces().Memo(static_cast<TTextPaneId>(i)); Seen(memo->viewport())) memos.push_back(memo);
    return memos;
  }
  std::vector<QWidget*> EnlargedWindows() {
    std::vector<QWidget*> windows;
    for (QWidget* widget : QApplication::topLevelWidgets())
      if (widget->isVisible() && widget->parentWidget() == form_.get() && widget->findChild<TImageView*>() != nullptr &&
          qobject_cast<TSampleMakerWindow*>(widget) == nullptr)
        windows.push_back(widget);
    return windows;
  }
  // Where a click on `widget` lands on it, if anywhere.
  std::optional<QPoint> Reachable(QWidget* widget) {
    if (!Seen(widget)) return std::nullopt;
    return PointIn(widget);
  }
  // The user turns to `window`, as a click on it does through the window manager.
  void Activate(QWidget& window) {
    QApplication::processEvents();
    if (QApplication::activeWindow() == &window) return;
    window.windowHandle()->requestActivate();
    if (!QTest::qWaitFor([&window] { return QApplication::activeWindow() == &window; }, 1000))
      Note("the window " + window.objectName() + " did not become active");
  }
  // The user turns to the main window, as a click on it does through the
  // window manager. (QWidget::activateWindow does nothing while a window of
  // its own, an enlarged pane, is active: Qt counts the main window as active then.)
  void ActivateMain() {
    QApplication::processEvents();
    if (QApplication::activeWindow() == form_.get()) return;
    form_->windowHandle()->requestActivate();
    if (!QTest::qWaitFor([this] { return QApplication::activeWindow() == form_.get(); }, 1000))
      Note("the window did not become active");
  }

  // Where the focus is in the main window, put in one of its fields or
  // panes now and then: the window's command keys work from all of them.
  QWidget* MainFocus() {
    if (Chance(40)) {
      std::vector<QWidget*> places;
      for (TSpinEdit* field : Fields()) places.push_back(field);
      for (TMemo* memo : ShownMemos())
        if (memo->window() == form_.get()) places.push_back(memo);
      for (TImageView* view : ShownViews())
        if (view->window() == form_.get()) places.push_back(view);
      Pick(places)->setFocus(Qt::TabFocusReason);
    }
    QWidget* focused = QApplication::focusWidget();
    return focused != nullptr && focused->window() == form_.get() ? focused : form_.get();
  }
  // Esc or Ctrl+W from one of the window's widgets, or a click on its close button.
  void ClosedByKeyOrClose(QWidget& window, const char* name) {
    const int how = static_cast<int>(Below(3));
    Note(QStringLiteral("%1: closed (%2)").arg(QString::fromLatin1(name), how == 0 ? "Esc" : how == 1 ? "Ctrl+W" : "close"));
    if (how == 2) {
      window.close();
      return;
    }
    window.activateWindow();
    std::vector<QWidget*> places;
    for (QWidget* widget : window.findChildren<QWidget*>())
      if (widget->isVisible() && widget->focusPolicy() != Qt::NoFocus) places.push_back(widget);
    QWidget* target = places.empty() ? &window : Pick(places);
    target->setFocus(Qt::TabFocusReason);
    QTest::keyClick(target, how == 0 ? Qt::Key_Escape : Qt::Key_W, how == 0 ? Qt::NoModifier : Qt::ControlModifier);
  }

  // --- Expectations of the commands ---
  // The parameters the window reads from a field's text, typed or not.
  static int FieldValue(const TSpinEdit* field) {
    bool ok = false;
    const long long value = field->findChild<QLineEdit*>()->text().trimmed().toLongLong(&ok);
    if (!ok) return field->minimum();
    return static_cast<int>(std::clamp<long long>(value, field->minimum(), field->maximum()));
  }
  void ExpectAnalysis() {
    const std::vector<TSpinEdit*> fields = Fields();
    pendingParameters_ = TAnalysisParameters{FieldValue(fields[0]), FieldValue(fields[1]), FieldValue(fields[2])};
  }
  // What the core's analysis command gives on the same picture and parameters.
  void AnalysisDone() {
    TSurfaces surfaces;
    TVeltrix veltrix(surfaces);
    TAnalysisResult result = Analyse(veltrix, surfaces, expected_.picture, *pendingParameters_);
    result.listingStart = expected_.listing;
    expected_.listing += surfaces.Text(TTextPaneId::BLMemo).Lines().size();
    expected_.result = surfaces.Text(TTextPaneId::ResultMemo).Lines();
    expected_.imgMemo = surfaces.Text(TTextPaneId::ImgMemo).Lines();
    expected_.rdSnMemo = surfaces.Text(TTextPaneId::RdSnMemo).Lines();
    expected_.status0 = QString::fromStdString(surfaces.Status(0));
    expected_.status1 = QString::fromStdString(surfaces.Status(1));
    expected_.status1Contains.clear();
    analysedSinceLoad_ = true;
    ++analyses_;
    decoded_ += result.decoded ? 1 : 0;
    expected_.analysis = std::move(result);
    pendingParameters_.reset();
  }
  // The load command on `file` once it has been chosen.
  void ExpectLoad(const TPictureFile& file) {
    ++loads_[static_cast<std::size_t>(file.kind)];
    switch (file.kind) {
      case TPictureFile::TKind::Good:
        expected_.picture = file.picture;
        expected_.madeCaption.clear();
        analysedSinceLoad_ = false;
        expected_.page = QStringLiteral("TabSheet1");
        break;
      case TPictureFile::TKind::OtherKind:
        expected_.page = QStringLiteral("TabSheet1");
        expected_.status1Contains = QFileInfo(file.path).fileName();
        break;
      case TPictureFile::TKind::Damaged:
        answerer_.Expect(TAnswer::Message());
        expectedMessage_ = QFileInfo(file.path).fileName();
        expected_.status1Contains = QFileInfo(file.path).fileName();
        break;
    }
  }
  // The load command through the file dialog: panel 1 is cleared, then the
  // dialog is cancelled or a file chosen.
  void ExpectReadCommand() {
    expected_.status1.clear();
    expected_.status1Contains.clear();
    if (Chance(10)) {
      answerer_.Expect(TAnswer::Cancel());
      Note("dialog cancelled");
      return;
    }
    const TPictureFile& file = Pick(files_);
    Note("dialog chooses " + QFileInfo(file.path).fileName());
    answerer_.Expect(TAnswer::File(file.path));
    ExpectLoad(file);
  }
  // The report command: a message while there is no analysis of the picture
  // loaded now, else the file chooser (stubbed by ChooseSaveName).
  void ExpectReport() {
    if (expected_.picture.Empty() || !analysedSinceLoad_) answerer_.Expect(TAnswer::Message());
  }
  TExplorerWindow* Explorer() { return form_->findChild<TExplorerWindow*>(); }
  TSampleMakerWindow* SampleWindow() { return form_->findChild<TSampleMakerWindow*>(); }
  // The sample maker's load: what the core makes of the window's choices then
  // becomes the picture, unless the maker refuses them.
  void SampleLoadDone() {
    pendingSampleLoad_ = false;
    try {
      const TSample sample = MakeSample(SampleWindow()->Request());
      expected_.picture = sample.picture;
      expected_.madeCaption = QString::fromStdString(SampleCaption(sample));
      expected_.page = QStringLiteral("TabSheet1");
      expected_.status1.clear();
      expected_.status1Contains.clear();
      analysedSinceLoad_ = false;
      ++loads_[3];
    } catch (const std::exception& refused) {
      Note(QStringLiteral("  refused: %1").arg(QString::fromUtf8(refused.what())));
    }
  }
  TClassSetWindow* ClassSet() { return form_->findChild<TClassSetWindow*>(); }
  // The folder command: the dialog cancelled, or a folder chosen (the test's
  // own with every file of the loads, one of saved reports, one that is
  // missing, a file); the class set's window then shows.
  void ExpectFolderCommand() {
    if (Chance(10)) {
      answerer_.Expect(TAnswer::Cancel());
      Note("folder dialog cancelled");
      return;
    }
    const QString folders[] = {dir_.path(), dir_.path(), dir_.filePath(QStringLiteral("saved")),
                               dir_.filePath(QStringLiteral("no-folder")), dir_.filePath(QStringLiteral("notes.txt"))};
    const QString& folder = folders[Below(std::size(folders))];
    Note("folder dialog chooses " + folder);
    answerer_.Expect(TAnswer::File(folder));
    expectClassSet_ = true;
  }
  QString ChooseSaveName(const QString& suggested) {
    switch (Below(4)) {
      case 0: return {};  // cancelled
      case 1:             // a folder that cannot exist: the save fails with a message (the sample maker's in its window)
        if (!sampleSaving_) answerer_.Expect(TAnswer::Message());
        return dir_.filePath(QStringLiteral("notes.txt/") + QFileInfo(suggested).fileName());
      default:
        saved_ << dir_.filePath(QStringLiteral("saved/") + QFileInfo(suggested).fileName());
        return saved_.back();
    }
  }

  // Chooses an item of a context menu or of "ツール" and sets up what it does.
  QAction* ChooseMenuItem(QMenu& menu) {
    std::vector<QAction*> items;
    for (QAction* action : menu.actions())
      if (!action->isSeparator() && action->isVisible() && action->isEnabled() && action->menu() == nullptr &&
          action->objectName() != "QuitAction")
        items.push_back(action);
    if (items.empty() || Chance(8)) return nullptr;
    QAction* item = Pick(items);
    const QString name = item->objectName();
    Note("menu item " + (name.isEmpty() ? item->text() : name));
    if (name == "AnalyseAction") ExpectAnalysis();
    if (name == "ReadMenuItem" || name == "OpenAnyAction") ExpectReadCommand();
    if (name == "ReportAction") ExpectReport();
    if (name == "ExploreAction") expectExplorer_ = true;
    if (name == "SampleMakerAction") expectSampleMaker_ = true;
    if (name == "OpenFolderAction") ExpectFolderCommand();
    return item;
  }

  // --- Steps and checks ---
  void Note(const QString& text) {
    log_.push_back(text);
    if (log_.size() > 40) log_.pop_front();
    if (trace_) std::cout << "  " << text.toStdString() << std::endl;
  }

  // Lets the window finish the step: answered dialogs close, queued events run.
  void Settle() {
    QElapsedTimer waited;
    waited.start();
    do {
      QApplication::processEvents(QEventLoop::AllEvents, 20);
      if (pendingParameters_ && answerer_.Idle()) AnalysisDone();
      if (pendingSampleLoad_ && answerer_.Idle()) SampleLoadDone();
    } while (!answerer_.Idle() && waited.elapsed() < 20000);
    if (!answerer_.Idle()) answerer_.Faults() << QStringLiteral("an expected dialog, message or menu never opened, or one stays open");
    answerer_.Forget();
    if (pendingParameters_) AnalysisDone();
    if (pendingSampleLoad_) SampleLoadDone();
    QApplication::processEvents();
  }

  static QStringList Shown(const std::vector<std::string>& lines) {
    QStringList shown;
    for (const std::string& line : lines) shown << QString::fromStdString(VisibleText(line));
    return shown;
  }
  QStringList Registry(TTextPaneId pane) {
    QStringList lines;
    for (const std::string& line : form_->Surfaces().Text(pane).Lines()) lines << QString::fromStdString(line);
    return lines;
  }
  static QStringList Lines(const std::vector<std::string>& lines) {
    QStringList list;
    for (const std::string& line : lines) list << QString::fromStdString(line);
    return list;
  }

  // The window after a step: nothing waits for an answer, it takes input,
  // and it shows what the last commands did.
  ::testing::AssertionResult Usable() {
    auto fail = [](const QString& what) { return ::testing::AssertionFailure() << what.toStdString(); };
    if (!answerer_.Faults().isEmpty()) return fail(answerer_.Faults().join(QStringLiteral("; ")));
    if (QWidget* popup = QApplication::activePopupWidget()) return fail("a popup stays open: " + popup->objectName());
    if (QWidget* modal = QApplication::activeModalWidget()) return fail("a modal window stays open: " + modal->objectName());
    if (QWidget::mouseGrabber() != nullptr) return fail("the mouse stays grabbed by " + QWidget::mouseGrabber()->objectName());
    if (QWidget::keyboardGrabber() != nullptr) return fail("the keyboard stays grabbed");
    if (!form_->isVisible() || !form_->isEnabled() || QApplication::overrideCursor() != nullptr) return fail("the window is hidden, disabled or busy");
    for (const char* name : {"ImageReadBtn", "AnalyBtn", "SpinEdit1", "SpinEdit3", "SpinEdit2", "PageControl1"})
      if (!Find<QWidget>(name)->isEnabled()) return fail(QStringLiteral("%1 is disabled").arg(name));
    if (!(form_->Picture() == expected_.picture))
      return fail(QStringLiteral("the picture is %1 x %2, not the last one loaded (%3 x %4)")
                      .arg(form_->Picture().Width()).arg(form_->Picture().Height())
                      .arg(expected_.picture.Width()).arg(expected_.picture.Height()));
    const QString result = Find<QPlainTextEdit>("ResultMemo")->toPlainText();
    if (result != Shown(expected_.result).join(QLatin1Char('\n')))
      return fail("ResultMemo shows \"" + result + "\", the last analysis gave \"" + Lines(expected_.result).join("|") + "\"");
    if (Registry(TTextPaneId::ResultMemo) != Lines(expected_.result)) return fail("ResultMemo's lines differ from the last analysis");
    if (Registry(TTextPaneId::ImgMemo) != Lines(expected_.imgMemo) || Registry(TTextPaneId::RdSnMemo) != Lines(expected_.rdSnMemo))
      return fail("ImgMemo or RdSnMemo differ from the last analysis");
    if (form_->Surfaces().Text(TTextPaneId::BLMemo).Lines().size() != expected_.listing)
      return fail(QStringLiteral("BLMemo holds %1 lines, not %2").arg(form_->Surfaces().Text(TTextPaneId::BLMemo).Lines().size()).arg(expected_.listing));
    if (expected_.analysis) {
      const TAnalysisResult& a = form_->LastAnalysis();
      const TAnalysisResult& e = *expected_.analysis;
      if (a.decoded != e.decoded || a.text != e.text || a.errorText != e.errorText || a.failureReason != e.failureReason ||
          a.versionText != e.versionText || a.stage != e.stage || a.aborted != e.aborted || a.listingStart != e.listingStart ||
          a.parameters.resolver != e.parameters.resolver || a.parameters.warp != e.parameters.warp ||
          a.parameters.forceVersion != e.parameters.forceVersion)
        return fail(QStringLiteral("the last analysis (%1, %2, %3: %4) differs from the core's (%5, %6, %7: %8)")
                        .arg(a.parameters.resolver).arg(a.parameters.warp).arg(a.parameters.forceVersion)
                        .arg(QString::fromStdString(a.decoded ? a.text : a.failureReason))
                        .arg(e.parameters.resolver).arg(e.parameters.warp).arg(e.parameters.forceVersion)
                        .arg(QString::fromStdString(e.decoded ? e.text : e.failureReason)));
    }
    if (Status(0) != expected_.status0) return fail("status panel 0 shows \"" + Status(0) + "\", not \"" + expected_.status0 + "\"");
    const QString panel1 = Status(1);
    if (expected_.status1Contains.isEmpty() ? panel1 != expected_.status1 : !panel1.contains(expected_.status1Contains))
      return fail("status panel 1 shows \"" + panel1 + "\", not \"" + expected_.status1 + expected_.status1Contains + "\"");
    // The note beside the fields names a value other than a preset exactly when there is one.
    const std::vector<TSpinEdit*> fields = Fields();
    const bool differing = std::any_of(fields.begin(), fields.end(), [](const TSpinEdit* field) {
      const TParameter parameter = field->objectName() == "SpinEdit1"   ? TParameter::Resolver
                                   : field->objectName() == "SpinEdit3" ? TParameter::Warp
                                                                        : TParameter::ForceVersion;
      return FieldValue(field) != RangeOf(parameter).preset;
    });
    if (Find<QLabel>("ParameterNote")->isVisibleTo(form_.get()) != differing)
      return fail("the note beside the fields reads \"" + Find<QLabel>("ParameterNote")->text() + "\"");
    // Unfitted, the panes keep their size whatever the window's; the status bar stays in it.
    if (!Find<QAction>("FitWindowAction")->isChecked() && View(TImagePaneId::FrontImage)->size() != QSize(420, 420))
      return fail("an image pane is not 420 x 420");
    if (!form_->statusBar()->isVisible() || !form_->rect().contains(form_->statusBar()->geometry()))
      return fail("the status bar is out of the window");
    if (expectOutlined_ && form_->Inspector().HighlightedCodeword() != *expectOutlined_)
      return fail(QStringLiteral("codeword %1 is outlined, not %2 of the listing's line").arg(form_->Inspector().HighlightedCodeword()).arg(*expectOutlined_));
    expectOutlined_.reset();
    if (expectHelp_ && (form_->Help() == nullptr || !form_->Help()->isVisible())) return fail("the help command showed no manual");
    expectHelp_ = false;
    if (expectExplorer_ && (Explorer() == nullptr || !Explorer()->isVisible())) return fail("the explorer command showed no window");
    expectExplorer_ = false;
    if (expectSampleMaker_ && (SampleWindow() == nullptr || !SampleWindow()->isVisible()))
      return fail("the sample maker's command showed no window");
    expectSampleMaker_ = false;
    sampleSaving_ = false;
    // The caption of a made picture shows while it is loaded, and only then.
    const auto* made = form_->findChild<QLabel*>(QStringLiteral("SampleCaptionLabel"));
    const QString madeShown = made != nullptr && !made->isHidden() ? made->text() : QString();
    if (madeShown != expected_.madeCaption)
      return fail("the made picture's caption is \"" + madeShown + "\", not \"" + expected_.madeCaption + "\"");
    if (expectClassSet_ && (ClassSet() == nullptr || !ClassSet()->isVisible())) return fail("the folder command showed no window");
    expectClassSet_ = false;
    for (const QString& path : saved_)
      if (!QFileInfo::exists(path)) return fail("a save wrote no " + path);
    saved_.clear();
    if (!expected_.page.isEmpty() && Page() != expected_.page) return fail("the page in front is " + Page() + ", not " + expected_.page);
    expected_.page.clear();
    if (!expectedMessage_.isEmpty()) {
      if (answerer_.Messages().isEmpty() || !answerer_.Messages().back().contains(expectedMessage_))
        return fail("no message names " + expectedMessage_);
      expectedMessage_.clear();
    }
    return ::testing::AssertionSuccess();
  }

  void Drop();
  void DropWhileAnalysing();
  void SampleMakerStep();
  void Run();
  void Step();

  std::mt19937_64 random_;
  std::vector<TPictureFile> files_;
  TAnswerer answerer_;
  TExpected expected_;
  std::optional<TAnalysisParameters> pendingParameters_;
  QString expectedMessage_;
  bool expectHelp_ = false;
  bool expectExplorer_ = false;
  std::optional<std::int32_t> expectOutlined_;  // the codeword the listing's arrows chose
  bool expectSampleMaker_ = false;
  bool pendingSampleLoad_ = false;  // the sample maker's load command was given
  bool sampleSaving_ = false;       // the file chooser asks for the sample maker
  bool expectClassSet_ = false;
  bool analysedSinceLoad_ = false;  // a report needs an analysis of the picture loaded now
  QStringList saved_;               // files the last step's saves must have written
  std::deque<QString> log_;
  int analyses_ = 0, decoded_ = 0;
  std::array<int, 4> loads_{};  // by kind of file, then made samples
  bool trace_ = false;
  QString previousFolder_;
  QtMessageHandler previousHandler_ = nullptr;
};

// ---------------------------------------------------------------------------
// The actions.

const std::vector<const char*> kTypedTexts = {
    "0", "7", "-5", "3", "40", "41", "128", "129", "-128", "-129", "999", "-300", "1", "6", "14", "15",
    "99999999999999999999", "-", "+", "+5", "", " ", "abc", "4x", "1e3", "0x10", "1,000", "１２", "٣", "--1", "00006",
};

const std::vector<Qt::Key> kKeys = {
    Qt::Key_0,    Qt::Key_1,      Qt::Key_Plus,     Qt::Key_Minus,    Qt::Key_Equal, Qt::Key_Left, Qt::Key_Right,
    Qt::Key_Up,   Qt::Key_Down,   Qt::Key_PageUp,   Qt::Key_PageDown, Qt::Key_Home,  Qt::Key_End,  Qt::Key_Return,
    Qt::Key_Enter, Qt::Key_Escape, Qt::Key_Tab,     Qt::Key_Backtab,  Qt::Key_Space, Qt::Key_Backspace, Qt::Key_Delete,
    Qt::Key_A,    Qt::Key_X,      Qt::Key_9,        Qt::Key_F2,
};

// Types the text as keys; characters beyond ASCII come as the text of a key, as an input method gives them.
void TypeText(QWidget* widget, const QString& text) {
  for (const QChar ch : text) {
    if (ch.unicode() < 0x80)
      QTest::keyClick(widget, ch.toLatin1());
    else
      QTest::sendKeyEvent(QTest::Click, widget, Qt::Key_unknown, QString(ch), Qt::NoModifier);
  }
}

void SendWheel(QWidget* widget, QPoint at, QPoint angle) {
  QWheelEvent wheel(QPointF(at), QPointF(widget->mapToGlobal(at)), QPoint(), angle, Qt::NoButton, Qt::NoModifier,
                    Qt::NoScrollPhase, false);
  QApplication::sendEvent(widget, &wheel);
}

// A drag from a file manager that ends on some part of the window, or leaves it again.
void RandomUse::Drop() {
  std::vector<QWidget*> targets = {form_.get(), Find<QWidget>("PageControl1")};
  for (TSpinEdit* field : Fields()) targets.push_back(field->findChild<QLineEdit*>());
  for (TImageView* view : ShownViews())
    if (view->window() == form_.get()) targets.push_back(view);
  for (TMemo* memo : ShownMemos()) targets.push_back(memo->viewport());
  QWidget* target = Pick(targets);
  QMimeData data;
  const TPictureFile& file = Pick(files_);
  const int shape = static_cast<int>(Below(10));
  if (shape == 0)
    data.setText(QString::fromLatin1(Pick(kTypedTexts)));  // text, not a file
  else if (shape == 1)
    data.setUrls({QUrl(QStringLiteral("https://example.invalid/remote.bmp"))});
  else
    data.setUrls({QUrl::fromLocalFile(file.path), QUrl::fromLocalFile(Pick(files_).path)});
  const bool leaves = Chance(10);
  Note(QStringLiteral("drop (%1%2) of %3 on %4").arg(shape).arg(leaves ? ", left" : "").arg(QFileInfo(file.path).fileName(), target->objectName()));
  if (shape >= 2 && !leaves) {
    expected_.status1.clear();
    expected_.status1Contains.clear();
    if (IsPictureFileName(QFile::encodeName(file.path).toStdString()))
      ExpectLoad(file);
    else
      expected_.status1Contains = QFileInfo(file.path).fileName();
  }
  const QPoint at = PointIn(target);
  QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(target, &enter);
  QDragMoveEvent move(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(target, &move);
  if (leaves) {
    QDragLeaveEvent leave;
    QApplication::sendEvent(target, &leave);
    return;
  }
  QDropEvent drop(QPointF(at), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(target, &drop);
}

// Sometimes a file is dropped while the analysis runs: the window lets
// events other than keys and clicks through before it decodes, and a drop
// from another program may be one of them. The drop's load comes first,
// the analysis decodes what it loaded.
void RandomUse::DropWhileAnalysing() {
  if (!Chance(15)) return;
  QTimer::singleShot(0, form_.get(), [this] {
    if (Status(1) != QStringLiteral("解析中")) return;
    Note("while analysing:");
    Drop();
  });
}

// The sample maker's window: its choices typed, picked or set at once, a
// moment for the preview, the load and save commands by button or key, and
// closing it by button or key.
void RandomUse::SampleMakerStep() {
  TSampleMakerWindow* window = SampleWindow();
  if (window == nullptr || !window->isVisible()) return;
  Activate(*window);
  const auto button = [window](const char* name) { return window->findChild<QPushButton*>(QString::fromLatin1(name)); };
  switch (Below(12)) {
    case 0:
    case 1:
    case 2: {
      std::vector<QAbstractSpinBox*> fields;
      for (QAbstractSpinBox* field : window->findChildren<QAbstractSpinBox*>()) fields.push_back(field);
      QAbstractSpinBox* field = Pick(fields);
      const char* texts[] = {"0", "1", "2", "3", "5", "7", "10", "-1", "-5", "", " ", "abc", "4x", "1e3", "0.5", "2.25", "-",
                             "99999999999999999999"};
      const char* text = texts[Below(std::size(texts))];
      Note(QStringLiteral("sample maker: \"%1\" into %2").arg(QString::fromLatin1(text), field->objectName()));
      field->setFocus(Qt::TabFocusReason);
      QTest::keyClick(field->findChild<QLineEdit*>(), Qt::Key_A, Qt::ControlModifier);
      TypeText(field->findChild<QLineEdit*>(), QString::fromLatin1(text));
      if (Chance(50)) QTest::keyClick(field->findChild<QLineEdit*>(), Qt::Key_Tab);
      break;
    }
    case 3: {
      const char* texts[] = {"Morilux", "Morilux サンプル", "https://example.com/", "", "0123456789", "HELLO WORLD", "漢字とかな", "smile \xF0\x9F\x98\x80", "a\nb",
                             "The quick brown fox jumps over the lazy dog, twice: the quick brown fox jumps over the lazy dog"};
      const char* text = texts[Below(std::size(texts))];
      Note(QStringLiteral("sample maker: text \"%1\"").arg(QString::fromUtf8(text)));
      auto* field = window->findChild<QPlainTextEdit*>(QStringLiteral("SampleText"));
      field->setFocus(Qt::TabFocusReason);
      field->selectAll();
      field->insertPlainText(QString::fromUtf8(text));
      break;
    }
    case 4: {
      std::vector<QComboBox*> lists;
      for (QComboBox* list : window->findChildren<QComboBox*>()) lists.push_back(list);
      QComboBox* list = Pick(lists);
      const int index = static_cast<int>(Below(static_cast<std::uint64_t>(list->count())));
      Note(QStringLiteral("sample maker: %1 item %2").arg(list->objectName()).arg(index));
      list->setCurrentIndex(index);
      break;
    }
    case 5: {
      QPushButton* effects = button(Chance(50) ? "SampleAllEffectsButton" : "SampleNoEffectsButton");
      Note("sample maker: " + effects->objectName());
      if (const std::optional<QPoint> at = Reachable(effects)) QTest::mouseClick(effects, Qt::LeftButton, {}, *at);
      break;
    }
    case 6:
    case 7: {
      // The load command: by the button while it is enabled, or by Ctrl+Enter.
      QPushButton* load = button("SampleLoadButton");
      const std::optional<QPoint> at = Reachable(load);
      if (Chance(50) && at) {
        Note("sample maker: load button");
        pendingSampleLoad_ = load->isEnabled();
        QTest::mouseClick(load, Qt::LeftButton, {}, *at);
      } else {
        Note("sample maker: Ctrl+Enter");
        pendingSampleLoad_ = true;
        QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : window, Qt::Key_Return, Qt::ControlModifier);
      }
      break;
    }
    case 8:
    case 9: {
      Note("sample maker: save");
      sampleSaving_ = true;
      QPushButton* save = button("SampleSaveButton");
      if (const std::optional<QPoint> at = Reachable(save); at && Chance(50))
        QTest::mouseClick(save, Qt::LeftButton, {}, *at);
      else
        QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : window, Qt::Key_S, Qt::ControlModifier);
      break;
    }
    case 10:
      Note("sample maker: waiting for the preview");
      QTest::qWait(200);
      break;
    default:
      if (Chance(30)) {
        Note("sample maker: closed (button)");
        if (const std::optional<QPoint> at = Reachable(button("SampleCloseButton")))
          QTest::mouseClick(button("SampleCloseButton"), Qt::LeftButton, {}, *at);
      } else {
        ClosedByKeyOrClose(*window, "sample maker");
      }
      break;
  }
}

void RandomUse::Step() {
  // Weighted actions; each notes what it does and sets up what it must lead to.
  const std::vector<std::pair<int, std::function<void()>>> actions = {
      {6, [this] {  // the load button
         ActivateMain();
         auto* button = Find<QPushButton>("ImageReadBtn");
         const std::optional<QPoint> at = Reachable(button);
         Note("load button");
         if (!at) return;
         ExpectReadCommand();
         QTest::mouseClick(button, Qt::LeftButton, {}, *at);
       }},
      {3, [this] {  // Ctrl+O
         ActivateMain();
         Note("Ctrl+O");
         ExpectReadCommand();
         QTest::keyClick(form_.get(), Qt::Key_O, Qt::ControlModifier);
       }},
      {5, [this] {  // a file dropped somewhere on the window
         ActivateMain();
         Drop();
       }},
      {8, [this] {  // the analysis button
         ActivateMain();
         auto* button = Find<QPushButton>("AnalyBtn");
         const std::optional<QPoint> at = Reachable(button);
         Note("analysis button");
         if (!at) return;
         ExpectAnalysis();
         DropWhileAnalysing();
         QTest::mouseClick(button, Qt::LeftButton, {}, *at);
       }},
      {6, [this] {  // F5
         ActivateMain();
         Note("F5");
         ExpectAnalysis();
         DropWhileAnalysing();
         QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : form_.get(), Qt::Key_F5);
       }},
      {4, [this] {  // a menu of the menu bar
         ActivateMain();
         QMenuBar* bar = form_->menuBar();
         const QList<QAction*> menus = bar->actions();
         QAction* menu = Pick(std::vector<QAction*>(menus.begin(), menus.end()));
         const QRect place = bar->actionGeometry(menu);
         Note("menu bar: " + menu->text());
         if (place.isEmpty() || !bar->rect().contains(place.center())) return;
         if (menu->menu() != nullptr)
           answerer_.Expect(TAnswer::Menu([this](QMenu& m) { return ChooseMenuItem(m); }));
         else if (menu->objectName() == "N6")
           expectHelp_ = true;
         QTest::mouseClick(bar, Qt::LeftButton, {}, place.center());
       }},
      {2, [this] {  // F1
         ActivateMain();
         Note("F1");
         expectHelp_ = true;
         QTest::keyClick(form_.get(), Qt::Key_F1);
       }},
      {14, [this] {  // typing into a spin field
         ActivateMain();
         TSpinEdit* field = Pick(Fields());
         QLineEdit* editor = field->findChild<QLineEdit*>();
         const char* text = Pick(kTypedTexts);
         Note(QStringLiteral("type \"%1\" into %2").arg(QString::fromUtf8(text), field->objectName()));
         if (const std::optional<QPoint> at = Reachable(editor))
           QTest::mouseClick(editor, Qt::LeftButton, {}, *at);
         else
           field->setFocus(Qt::TabFocusReason);
         if (Chance(70)) QTest::keyClick(editor, Qt::Key_A, Qt::ControlModifier);
         TypeText(editor, QString::fromUtf8(text));
       }},
      {5, [this] {  // the presets typed in again, so that more analyses get far
         ActivateMain();
         Note("presets typed in");
         for (TSpinEdit* field : Fields()) {
           QLineEdit* editor = field->findChild<QLineEdit*>();
           field->setFocus(Qt::TabFocusReason);
           QTest::keyClick(editor, Qt::Key_A, Qt::ControlModifier);
           const TParameter parameter = field->objectName() == "SpinEdit1"   ? TParameter::Resolver
                                        : field->objectName() == "SpinEdit3" ? TParameter::Warp
                                                                             : TParameter::ForceVersion;
           TypeText(editor, QString::number(RangeOf(parameter).preset));
         }
       }},
      {4, [this] {  // a pasted text
         ActivateMain();
         TSpinEdit* field = Pick(Fields());
         QLineEdit* editor = field->findChild<QLineEdit*>();
         QApplication::clipboard()->setText(QString::fromUtf8(Pick(kTypedTexts)));
         Note("paste \"" + QApplication::clipboard()->text() + "\" into " + field->objectName());
         field->setFocus(Qt::MouseFocusReason);
         if (Chance(50)) editor->selectAll();
         QTest::keyClick(editor, Qt::Key_V, Qt::ControlModifier);
       }},
      {6, [this] {  // stepping a spin field
         ActivateMain();
         TSpinEdit* field = Pick(Fields());
         Note("step " + field->objectName());
         if (Chance(50)) {
           SendWheel(field, PointIn(field), QPoint(0, Chance(50) ? 120 : -120));
         } else {
           field->setFocus(Qt::TabFocusReason);
           const Qt::Key keys[] = {Qt::Key_Up, Qt::Key_Down, Qt::Key_PageUp, Qt::Key_PageDown, Qt::Key_Return, Qt::Key_Escape};
           QTest::keyClick(field->findChild<QLineEdit*>(), keys[Below(std::size(keys))]);
         }
       }},
      {6, [this] {  // leaving a field: Tab, or a click elsewhere
         ActivateMain();
         Note("leave the field");
         if (Chance(50))
           QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : form_.get(), Qt::Key_Tab);
         else
           Find<QTabWidget>("PageControl1")->setFocus(Qt::MouseFocusReason);
       }},
      {10, [this] {  // another page
         ActivateMain();
         auto* pages = Find<QTabWidget>("PageControl1");
         const int page = static_cast<int>(Below(pages->count()));
         const int how = static_cast<int>(Below(3));
         Note(QStringLiteral("page %1 (%2)").arg(page).arg(how == 0 ? "tab" : how == 1 ? "set" : "page key"));
         switch (how) {
           case 0:
             if (const QRect tab = pages->tabBar()->tabRect(page); pages->tabBar()->rect().contains(tab.center())) {
               QTest::mouseClick(pages->tabBar(), Qt::LeftButton, {}, tab.center());
               break;
             }
             [[fallthrough]];
           case 1: pages->setCurrentIndex(page); break;
           default: {
             // From wherever the focus is in the main window, a spin field included.
             const struct {
               Qt::Key key;
               Qt::KeyboardModifiers modifiers;
               int step;
             } keys[] = {{Qt::Key_Tab, Qt::ControlModifier, 1},
                         {Qt::Key_PageDown, Qt::ControlModifier, 1},
                         {Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier, -1},
                         {Qt::Key_PageUp, Qt::ControlModifier, -1}};
             const auto& key = keys[Below(std::size(keys))];
             QWidget* target = MainFocus();
             const int count = pages->count();
             const int next = ((pages->currentIndex() + key.step) % count + count) % count;
             Note(QStringLiteral("  %1 from %2").arg(QKeySequence(QKeyCombination(key.modifiers, key.key)).toString(), target->objectName()));
             expected_.page = pages->widget(next)->objectName();
             QTest::keyClick(target, key.key, key.modifiers);
             break;
           }
         }
       }},
      {12, [this] {  // the wheel over a pane
         const std::vector<TImageView*> views = ShownViews();
         if (views.empty()) return;
         TImageView* view = Pick(views);
         const int deltas[] = {120, -120, 240, -360, 15, -1, 1200, -2400, 0};
         const int delta = deltas[Below(std::size(deltas))];
         Note(QStringLiteral("wheel %1 over %2").arg(delta).arg(view->objectName()));
         SendWheel(view, PointIn(view), Chance(20) ? QPoint(delta, 0) : QPoint(0, delta));
       }},
      {10, [this] {  // a drag over a pane
         const std::vector<TImageView*> views = ShownViews();
         if (views.empty()) return;
         TImageView* view = Pick(views);
         Note("drag over " + view->objectName());
         QTest::mousePress(view, Qt::LeftButton, {}, PointIn(view));
         for (int i = static_cast<int>(Below(5)); i >= 0; --i) QTest::mouseMove(view, PointIn(view, true));
         QTest::mouseRelease(view, Qt::LeftButton, {}, PointIn(view, true));
       }},
      {8, [this] {  // click, double-click or hover on a pane
         const std::vector<TImageView*> views = ShownViews();
         if (views.empty()) return;
         TImageView* view = Pick(views);
         const QPoint at = PointIn(view);
         const int kind = static_cast<int>(Below(3));
         Note(QStringLiteral("%1 on %2").arg(kind == 0 ? "click" : kind == 1 ? "double-click" : "hover").arg(view->objectName()));
         if (kind == 0) QTest::mouseClick(view, Qt::LeftButton, {}, at);
         if (kind == 1) QTest::mouseDClick(view, Qt::LeftButton, {}, at);
         if (kind == 2) QTest::mouseMove(view, at);
       }},
      {10, [this] {  // keys on whatever has the focus
         QWidget* target = QApplication::focusWidget();
         if (target == nullptr || Chance(30)) {
           const std::vector<TImageView*> views = ShownViews();
           if (!views.empty()) target = Pick(views);
           if (target != nullptr) target->setFocus(Qt::MouseFocusReason);
         }
         if (target == nullptr) target = form_.get();
         const Qt::Key key = Pick(kKeys);
         Note(QStringLiteral("key %1 on %2").arg(QKeySequence(key).toString(), target->objectName()));
         // Space presses a focused button: its command runs.
         if (key == Qt::Key_Space && target->objectName() == "AnalyBtn") ExpectAnalysis();
         if (key == Qt::Key_Space && target->objectName() == "ImageReadBtn") ExpectReadCommand();
         if (key == Qt::Key_Space && target->objectName() == "SampleLoadButton") pendingSampleLoad_ = true;
         if (key == Qt::Key_Space && target->objectName() == "SampleSaveButton") sampleSaving_ = true;
         // The menu bar keeps the focus after a menu was closed by Escape; some keys open a menu again.
         if (qobject_cast<QMenuBar*>(target) != nullptr)
           answerer_.Expect(TAnswer::Menu([this](QMenu& m) { return ChooseMenuItem(m); }, true));
         // Space opens a combo box's list.
         if (qobject_cast<QComboBox*>(target) != nullptr) answerer_.Expect(TAnswer::Menu({}, true));
         QTest::keyClick(target, key);
       }},
      {8, [this] {  // clicks, keys and the wheel on a text pane
         const std::vector<TMemo*> memos = ShownMemos();
         if (memos.empty()) return;
         TMemo* memo = Pick(memos);
         Note("text pane " + memo->objectName());
         QTest::mouseClick(memo->viewport(), Qt::LeftButton, Chance(20) ? Qt::ShiftModifier : Qt::NoModifier, PointIn(memo->viewport()));
         const Qt::Key keys[] = {Qt::Key_Down, Qt::Key_Up, Qt::Key_PageDown, Qt::Key_End, Qt::Key_Home, Qt::Key_Return, Qt::Key_A};
         const Qt::Key key = keys[Below(std::size(keys))];
         QTest::keyClick(memo, key, key == Qt::Key_End || key == Qt::Key_A ? Qt::ControlModifier : Qt::NoModifier);
         // In the codeword listing the arrows choose a codeword, outlined on BlockImage.
         if (memo->objectName() == "BLMemo" && (key == Qt::Key_Down || key == Qt::Key_Up)) {
           if (const TModuleMap* map = form_->Inspector().ModuleMap(TImagePaneId::BlockImage); map && map->LineOf(0) >= 0)
             expectOutlined_ = map->CodewordOnLine(static_cast<std::size_t>(memo->textCursor().blockNumber()));
         }
         SendWheel(memo->viewport(), PointIn(memo->viewport()), QPoint(0, Chance(50) ? -360 : 120));
       }},
      {8, [this] {  // a context menu (a right click)
         std::vector<QWidget*> targets;
         for (TImageView* view : ShownViews())
           if (view->window() == form_.get()) targets.push_back(view);
         for (TMemo* memo : ShownMemos()) targets.push_back(memo->viewport());
         // A field scrolled half out of the window may show its arrows and not its editor.
         for (TSpinEdit* field : Fields())
           if (Seen(field->findChild<QLineEdit*>())) targets.push_back(field->findChild<QLineEdit*>());
         if (targets.empty()) return;
         QWidget* target = Pick(targets);
         ActivateMain();
         Note("context menu on " + target->objectName());
         const QPoint at = PointIn(target);
         answerer_.Expect(TAnswer::Menu([this](QMenu& m) { return ChooseMenuItem(m); }));
         QTest::mouseClick(target, Qt::RightButton, {}, at);
       }},
      {3, [this] {  // ツール → 既定値に戻す
         ActivateMain();
         Note("presets");
         Find<QAction>("PresetsAction")->trigger();
       }},
      {3, [this] {  // "ツール" toggles
         const std::vector<QAction*> toggles = {form_->Inspector().MarksAction(), form_->Inspector().LinkAction(),
                                                Find<QAction>("FitWindowAction")};
         QAction* action = Pick(toggles);
         Note("toggle " + action->objectName());
         action->trigger();
       }},
      {2, [this] {  // Ctrl+R, the report
         ActivateMain();
         QWidget* target = MainFocus();
         Note("Ctrl+R from " + target->objectName());
         ExpectReport();
         QTest::keyClick(target, Qt::Key_R, Qt::ControlModifier);
       }},
      {2, [this] {  // Ctrl+E, the parameter explorer
         ActivateMain();
         QWidget* target = MainFocus();
         Note("Ctrl+E from " + target->objectName());
         expectExplorer_ = true;
         QTest::keyClick(target, Qt::Key_E, Qt::ControlModifier);
       }},
      {6, [this] {  // the explorer window: ranges, start, cancel, a cell of the map, closing
         TExplorerWindow* explorer = Explorer();
         if (explorer == nullptr || !explorer->isVisible()) return;
         explorer->activateWindow();
         const int kind = static_cast<int>(Below(7));
         if (kind == 0) {
           const char* names[] = {"ResolverFrom", "ResolverTo", "ResolverStep", "WarpFrom", "WarpTo", "WarpStep"};
           auto* field = explorer->findChild<QSpinBox*>(QString::fromLatin1(names[Below(std::size(names))]));
           const char* text = Pick(kTypedTexts);
           Note(QStringLiteral("explorer: \"%1\" into %2").arg(QString::fromUtf8(text), field->objectName()));
           if (!field->isEnabled()) return;
           field->setFocus(Qt::TabFocusReason);
           QTest::keyClick(field, Qt::Key_A, Qt::ControlModifier);
           TypeText(field->findChild<QLineEdit*>(), QString::fromUtf8(text));
           QTest::keyClick(field, Qt::Key_Tab);
         } else if (kind <= 2 || kind == 5) {
           auto* button = explorer->findChild<QPushButton*>(kind == 2 ? "ExploreCancelButton" : "ExploreStartButton");
           Note("explorer: " + button->text());
           if (const std::optional<QPoint> at = Reachable(button)) QTest::mouseClick(button, Qt::LeftButton, {}, *at);
         } else if (kind <= 4) {
           // A while for the run to end, so that its map can be used.
           if (kind == 3) {
             Note("explorer: waiting");
             (void)QTest::qWaitFor([explorer] { return !explorer->Running(); }, 3000);
           }
           auto* table = explorer->findChild<QTableWidget*>(QStringLiteral("ExploreMap"));
           if (table->rowCount() == 0 || table->columnCount() == 0 || !Seen(table->viewport())) return;
           const int row = static_cast<int>(Below(static_cast<std::uint64_t>(table->rowCount())));
           const int column = static_cast<int>(Below(static_cast<std::uint64_t>(table->columnCount())));
           table->scrollToItem(table->item(row, column));
           const QRect place = table->visualItemRect(table->item(row, column));
           Note(QStringLiteral("explorer: cell %1, %2").arg(row).arg(column));
           if (!table->viewport()->rect().contains(place.center())) return;
           // A cell of a finished map hands its values to the main window's analysis.
           if (const TExploreMap* map = explorer->Map()) {
             const TExploreCell& cell = map->cells[static_cast<std::size_t>(row) * map->grid.warps.size() + static_cast<std::size_t>(column)];
             pendingParameters_ = TAnalysisParameters{cell.resolver, cell.warp, map->grid.forceVersion};
           }
           QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, place.center());
         } else {
           ClosedByKeyOrClose(*explorer, "explorer");
         }
       }},
      {2, [this] {  // Ctrl+Shift+F, a folder's pictures
         ActivateMain();
         Note("Ctrl+Shift+F");
         ExpectFolderCommand();
         QTest::keyClick(form_.get(), Qt::Key_F, Qt::ControlModifier | Qt::ShiftModifier);
       }},
      {5, [this] {  // the class set's window: cancel, again, its check boxes, a row, waiting, closing
         TClassSetWindow* window = ClassSet();
         if (window == nullptr || !window->isVisible()) return;
         window->activateWindow();
         const int kind = static_cast<int>(Below(8));
         if (kind <= 1) {
           auto* button = window->findChild<QPushButton*>(kind == 0 ? "ClassSetCancelButton" : "ClassSetStartButton");
           Note("class set: " + button->text());
           if (const std::optional<QPoint> at = Reachable(button)) QTest::mouseClick(button, Qt::LeftButton, {}, *at);
         } else if (kind == 2) {
           auto* box = window->findChild<QCheckBox*>(Chance(50) ? "ClassSetHideAnswer" : "ClassSetExplore");
           Note("class set: " + box->objectName());
           if (const std::optional<QPoint> at = Reachable(box)) QTest::mouseClick(box, Qt::LeftButton, {}, *at);
         } else if (kind <= 5) {
           if (kind == 3) {
             Note("class set: waiting");
             (void)QTest::qWaitFor([window] { return !window->Running(); }, 3000);
           }
           auto* table = window->findChild<QTableWidget*>(QStringLiteral("ClassSetTable"));
           if (table->rowCount() == 0 || !Seen(table->viewport())) return;
           const int row = static_cast<int>(Below(static_cast<std::uint64_t>(table->rowCount())));
           table->scrollToItem(table->item(row, 0));
           const QRect place = table->visualItemRect(table->item(row, 0));
           Note(QStringLiteral("class set: row %1").arg(row));
           if (!table->viewport()->rect().contains(place.center())) return;
           // The row's picture is loaded in the main window and, once loaded, analysed with the row's values.
           const QString path = QDir(window->Folder()).filePath(table->item(row, 0)->text().section(QStringLiteral("（"), 0, 0));
           const auto file = std::find_if(files_.begin(), files_.end(), [&](const TPictureFile& f) { return f.path == path; });
           if (file == files_.end()) return;
           expected_.status1.clear();
           expected_.status1Contains.clear();
           ExpectLoad(*file);
           if (file->kind == TPictureFile::TKind::Good) {
             const std::optional<TClassRow>& done = window->Rows()[static_cast<std::size_t>(row)];
             const std::vector<TSpinEdit*> fields = Fields();
             pendingParameters_ = done ? done->parameters
                                       : TAnalysisParameters{FieldValue(fields[0]), FieldValue(fields[1]), FieldValue(fields[2])};
           }
           QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, place.center());
         } else {
           ClosedByKeyOrClose(*window, "class set");
         }
       }},
      {6, [this] {  // the help window: search, language, contents, scrolling, links
         THelpWindow* help = form_->Help();
         if (help == nullptr || !help->isVisible()) return;
         help->activateWindow();
         const int kind = static_cast<int>(Below(6));
         auto* search = help->findChild<QLineEdit*>(QStringLiteral("HelpSearch"));
         if (kind == 0) {
           const char* texts[] = {"解析", "Resolver", "a", " ", "\\", ".*", "not in the manual", "マスク", "", "ForceVertion"};
           const char* text = texts[Below(std::size(texts))];
           Note(QStringLiteral("help: search \"%1\"").arg(QString::fromUtf8(text)));
           QTest::keyClick(help, Qt::Key_F, Qt::ControlModifier);
           TypeText(search, QString::fromUtf8(text));
           const Qt::Key keys[] = {Qt::Key_Return, Qt::Key_F3, Qt::Key_Escape};
           QTest::keyClick(search, keys[Below(std::size(keys))], Chance(30) ? Qt::ShiftModifier : Qt::NoModifier);
         } else if (kind == 1) {
           auto* language = help->findChild<QComboBox*>(QStringLiteral("HelpLanguage"));
           Note("help: another language");
           language->setFocus(Qt::TabFocusReason);
           QTest::keyClick(language, Chance(50) ? Qt::Key_Down : Qt::Key_Up);
         } else if (kind == 2) {
           QListWidget* contents = help->Contents();
           if (contents->count() == 0 || !Seen(contents->viewport())) return;
           const int row = static_cast<int>(Below(static_cast<std::uint64_t>(contents->count())));
           contents->scrollToItem(contents->item(row));
           Note(QStringLiteral("help: contents row %1").arg(row));
           const QRect place = contents->visualItemRect(contents->item(row));
           if (contents->viewport()->rect().contains(place.center()))
             QTest::mouseClick(contents->viewport(), Qt::LeftButton, {}, place.center());
         } else if (kind == 3) {
           QWidget* page = help->Browser()->viewport();
           if (!Seen(page)) return;
           Note("help: wheel and click in the text");
           SendWheel(page, PointIn(page), QPoint(0, Chance(50) ? -720 : 360));
           QTest::mouseClick(page, Qt::LeftButton, {}, PointIn(page));
         } else if (kind == 4) {
           // An anchor link of the text, as a click on it follows it.
           Note("help: a link");
           QTextBrowser* browser = help->Browser();
           std::vector<QString> links;
           for (QTextBlock block = browser->document()->begin(); block.isValid() && links.size() < 200; block = block.next())
             for (auto fragment = block.begin(); !fragment.atEnd(); ++fragment)
               if (fragment.fragment().charFormat().isAnchor() && !fragment.fragment().charFormat().anchorHref().isEmpty())
                 links.push_back(fragment.fragment().charFormat().anchorHref());
           if (!links.empty()) browser->setSource(QUrl(Pick(links)));
         } else {
           ClosedByKeyOrClose(*help, "help");
         }
       }},
      {3, [this] {  // Ctrl+M, the sample maker
         ActivateMain();
         Note("Ctrl+M");
         expectSampleMaker_ = true;
         QTest::keyClick(form_.get(), Qt::Key_M, Qt::ControlModifier);
       }},
      {10, [this] { SampleMakerStep(); }},
      {4, [this] {  // resizing
         const int sizes[][2] = {{979, 663}, {400, 300}, {1600, 1000}, {640, 480}, {1200, 700}, {120, 90}, {1, 1}};
         const auto& size = sizes[Below(std::size(sizes))];
         std::vector<QWidget*> windows = EnlargedWindows();
         if (form_->Help() != nullptr && form_->Help()->isVisible()) windows.push_back(form_->Help());
         if (Explorer() != nullptr && Explorer()->isVisible()) windows.push_back(Explorer());
         if (SampleWindow() != nullptr && SampleWindow()->isVisible()) windows.push_back(SampleWindow());
         if (ClassSet() != nullptr && ClassSet()->isVisible()) windows.push_back(ClassSet());
         QWidget* window = windows.empty() || Chance(70) ? form_.get() : Pick(windows);
         Note(QStringLiteral("resize %1 to %2 x %3").arg(window->objectName()).arg(size[0]).arg(size[1]));
         window->resize(size[0], size[1]);
       }},
      {2, [this] {  // closing an enlarged window
         std::vector<QWidget*> windows = EnlargedWindows();
         if (windows.empty()) return;
         QWidget* window = Pick(windows);
         Note("close " + window->objectName());
         window->close();
       }},
      {2, [this] {  // painting every page, as showing each would
         Note("grab every page");
         auto* pages = Find<QTabWidget>("PageControl1");
         for (int i = 0; i < pages->count(); ++i) pages->widget(i)->grab();
         for (QWidget* window : EnlargedWindows()) window->grab();
       }},
  };
  int total = 0;
  for (const auto& [weight, action] : actions) total += weight;
  int chosen = static_cast<int>(Below(static_cast<std::uint64_t>(total)));
  for (const auto& [weight, action] : actions) {
    if (chosen < weight) {
      action();
      break;
    }
    chosen -= weight;
  }
  Settle();
}

void RandomUse::Run() {
  const auto now = static_cast<unsigned long long>(std::chrono::system_clock::now().time_since_epoch().count());
  const auto seed = static_cast<unsigned long long>(Setting("MORILUX_RANDOM_SEED", static_cast<long long>(now % 1000000000ULL)));
  const long long count = Setting("MORILUX_RANDOM_ACTIONS", MORILUX_RANDOM_USE_ACTIONS);
  const long long seconds = Setting("MORILUX_RANDOM_SECONDS", 60);
  trace_ = Setting("MORILUX_RANDOM_TRACE", 0) != 0;
  random_.seed(seed);
  std::cout << "random use: MORILUX_RANDOM_SEED=" << seed << " MORILUX_RANDOM_ACTIONS=" << count << std::endl;
  const auto start = std::chrono::steady_clock::now();
  long long step = 0;
  for (; step < count; ++step) {
    if (std::chrono::steady_clock::now() - start > std::chrono::seconds(seconds)) break;
    if (trace_) std::cout << "step " << step << std::endl;
    Step();
    const ::testing::AssertionResult usable = Usable();
    if (!usable) {
      QStringList steps(log_.begin(), log_.end());
      ADD_FAILURE() << "step " << step << " of the run with MORILUX_RANDOM_SEED=" << seed << ": " << usable.message()
                    << "\nlast actions:\n  " << steps.join(QStringLiteral("\n  ")).toStdString();
      return;
    }
  }
  const double took = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::cout << "random use: " << step << " actions in " << took << " s; " << analyses_ << " analyses (" << decoded_
            << " decoded); loads of " << loads_[0] << " good, " << loads_[1] << " damaged or missing, " << loads_[2]
            << " other files, " << loads_[3] << " made samples; " << answerer_.Messages().size() << " messages answered; "
            << form_->Surfaces().Text(TTextPaneId::BLMemo).Lines().size() << " listing lines" << std::endl;

  // Last, the quit command: the window closes, and a late command does nothing.
  ActivateMain();
  QTest::keyClick(form_.get(), Qt::Key_Q, Qt::ControlModifier);
  QApplication::processEvents();
  EXPECT_FALSE(form_->isVisible());
  form_->AnalyBtnClick();
  EXPECT_TRUE(answerer_.Faults().isEmpty()) << answerer_.Faults().join("; ").toStdString();
}

TEST_F(RandomUse, WindowStaysUsableAndShowsTheLastCommand) { Run(); }

}  // namespace
