// The keys that work wherever the focus is: the window's commands from every
// parameter field and pane, the page keys, Esc and Ctrl+W in the windows
// beside the main window, and the arrows in the codeword listing.

#include <functional>
#include <string>
#include <vector>

#include <QAction>
#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMainWindow>
#include <QPlainTextEdit>
#include <QShortcut>
#include <QSpinBox>
#include <QTabWidget>
#include <QTest>
#include <QTextBlock>
#include <QTimer>
#include <gtest/gtest.h>

#include "ClassSetWindow.h"
#include "ExplorerWindow.h"
#include "HelpWindow.h"
#include "ModuleReadout.h"
#include "PaneTools.h"
#include "WindowKeys.h"
#include "WindowTestSupport.h"

namespace {

using namespace testing_support;
using window_testing::MainWindow;

// Whether the widget claims the key before the shortcuts are looked at.
bool Claimed(QWidget& widget, QKeyCombination key) {
  QKeyEvent override(QEvent::ShortcutOverride, key.key(), key.keyboardModifiers());
  override.setAccepted(false);
  QApplication::sendEvent(&widget, &override);
  return override.isAccepted();
}

// A field that claims every key, as a spin field claims Ctrl+E on X11.
class TGreedyField : public QLineEdit {
 public:
  using QLineEdit::QLineEdit;

 protected:
  bool event(QEvent* event) override {
    if (event->type() == QEvent::ShortcutOverride) {
      event->accept();
      return true;
    }
    return QLineEdit::event(event);
  }
};

// The refusal itself, independent of what the platform's fields claim: in a
// window that leaves its command keys to its commands, a field that claims
// every key still lets Ctrl+E and Ctrl+Shift+Tab (in both spellings) run
// their commands, and keeps the keys that are no command.
TEST(CommandKeys, AFieldThatClaimsEveryKeyLeavesTheWindowsCommandKeys) {
  QMainWindow window;
  auto* field = new TGreedyField(&window);
  window.setCentralWidget(field);
  int explored = 0;
  int turned = 0;
  QAction* explore = window.addAction(QStringLiteral("explore"));
  explore->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_E));
  QObject::connect(explore, &QAction::triggered, [&] { ++explored; });
  QAction* back = window.addAction(QStringLiteral("back"));
  back->setShortcuts({QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Tab), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Backtab)});
  QObject::connect(back, &QAction::triggered, [&] { ++turned; });
  // Another window's command is no command of this one.
  QWidget other;
  auto* foreign = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_K), &other);
  (void)foreign;
  window.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
  field->setFocus();

  EXPECT_TRUE(Claimed(*field, Qt::CTRL | Qt::Key_E));  // before the refusal
  LeaveCommandKeysToWindow(window);
  EXPECT_FALSE(Claimed(*field, Qt::CTRL | Qt::Key_E));
  EXPECT_FALSE(Claimed(*field, Qt::CTRL | Qt::SHIFT | Qt::Key_Backtab));
  EXPECT_TRUE(Claimed(*field, Qt::CTRL | Qt::Key_Z));
  EXPECT_TRUE(Claimed(*field, Qt::CTRL | Qt::Key_K));
  QTest::keyClick(field, Qt::Key_E, Qt::ControlModifier);
  QTest::keyClick(field, Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier);
  QTest::keyClick(field, Qt::Key_Tab, Qt::ControlModifier | Qt::ShiftModifier);
  EXPECT_EQ(explored, 1);
  EXPECT_EQ(turned, 2);
  // A disabled command leaves its key to the field.
  explore->setEnabled(false);
  EXPECT_TRUE(Claimed(*field, Qt::CTRL | Qt::Key_E));
}

class WindowKeys : public MainWindow {
 protected:
  void SetUp() override {
    MainWindow::SetUp();
    form_->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form_.get()));
    Activate(*form_);
  }
  // The window the user turns to, as the window manager makes it active:
  // shortcuts of a window act only while it is.
  static void Activate(QWidget& window) {
    window.windowHandle()->requestActivate();
    EXPECT_TRUE(QTest::qWaitFor([&] { return QApplication::activeWindow() == &window; }, 2000))
        << window.objectName().toStdString();
  }
  // The widgets where the focus may be when a key is pressed: each parameter
  // field (its editor passes the focus to it), a text pane, an image pane and
  // the page control.
  std::vector<QWidget*> FocusPlaces() {
    std::vector<QWidget*> places;
    for (const char* field : {"SpinEdit1", "SpinEdit3", "SpinEdit2"}) places.push_back(Find<TSpinEdit>(field));
    places.push_back(form_->Surfaces().Memo(TTextPaneId::ResultMemo));
    places.push_back(View(TImagePaneId::FrontImage));
    places.push_back(Find<QTabWidget>("PageControl1"));
    return places;
  }
  // The focus in `widget`, its page in front; the widget that has it (the
  // page control passes it to its tab bar).
  QWidget* Focus(QWidget* widget) {
    auto* pages = Find<QTabWidget>("PageControl1");
    for (QWidget* at = widget; at != nullptr; at = at->parentWidget())
      if (pages->indexOf(at) >= 0) pages->setCurrentWidget(at);
    Activate(*form_);
    widget->setFocus(Qt::TabFocusReason);
    QWidget* focused = widget;
    while (focused->focusProxy() != nullptr) focused = focused->focusProxy();
    EXPECT_EQ(QApplication::focusWidget(), focused) << widget->objectName().toStdString();
    return focused;
  }
};

// F5, Ctrl+O, Ctrl+E and Ctrl+R run their commands with the focus in any
// parameter field or pane, and the field never claims them first.
TEST_F(WindowKeys, CommandsRunWhereverTheFocusIs) {
  ASSERT_EQ(Load(RenderSymbol(EncodeBytes("keys", 1, 1), 4), "keys.bmp"), TForm1::TLoadResult::Loaded);
  const struct {
    QKeyCombination key;
    const char* action;
  } commands[] = {{Qt::Key_F5, "AnalyseAction"},
                  {Qt::CTRL | Qt::Key_O, "ReadMenuItem"},
                  {Qt::CTRL | Qt::Key_E, "ExploreAction"},
                  {Qt::CTRL | Qt::Key_R, "ReportAction"}};
  // The report asks for a file name (cancelled), the load command shows its dialog (closed).
  form_->Inspector().SetFileChooser([](const QString&, const QString&, const QString&) { return QString(); });
  for (const auto& command : commands) {
    int ran = 0;
    const QMetaObject::Connection counting = QObject::connect(Find<QAction>(command.action), &QAction::triggered, [&] { ++ran; });
    for (QWidget* place : FocusPlaces()) {
      const std::string where = command.action + std::string(" from ") + place->objectName().toStdString() + " in " +
                                place->parentWidget()->objectName().toStdString();
      QWidget* focused = Focus(place);
      EXPECT_FALSE(Claimed(*focused, command.key)) << where;
      QTimer::singleShot(0, [] {
        if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget())) dialog->reject();
      });
      const int before = ran;
      QTest::keyClick(focused, command.key.key(), command.key.keyboardModifiers());
      EXPECT_EQ(ran, before + 1) << where;
    }
    QObject::disconnect(counting);
  }
  // F5 analysed, Ctrl+E showed the explorer.
  EXPECT_TRUE(form_->LastAnalysis().decoded);
  ASSERT_NE(form_->findChild<TExplorerWindow*>(), nullptr);
  EXPECT_TRUE(form_->findChild<TExplorerWindow*>()->isVisible());
  form_->findChild<TExplorerWindow*>()->close();
}

// Ctrl+Tab and Ctrl+PgDn go to the next page, Ctrl+Shift+Tab and Ctrl+PgUp
// to the previous one, round from the last to the first, from every place
// the focus may be.
TEST_F(WindowKeys, PageKeysTurnThePagesRound) {
  auto* pages = Find<QTabWidget>("PageControl1");
  const int last = pages->count() - 1;
  const struct {
    Qt::Key key;
    Qt::KeyboardModifiers modifiers;
    int step;
  } keys[] = {{Qt::Key_Tab, Qt::ControlModifier, 1},
              {Qt::Key_PageDown, Qt::ControlModifier, 1},
              {Qt::Key_Tab, Qt::ControlModifier | Qt::ShiftModifier, -1},
              {Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier, -1},
              {Qt::Key_PageUp, Qt::ControlModifier, -1}};
  for (const auto& each : keys) {
    for (const int from : {0, 4, 7, last}) {
      // The fields and the page control, seen on every page, and a pane of the page.
      std::vector<QWidget*> places;
      for (const char* field : {"SpinEdit1", "SpinEdit3", "SpinEdit2"}) places.push_back(Find<TSpinEdit>(field));
      places.push_back(pages);
      if (auto* memo = pages->widget(from)->findChild<QPlainTextEdit*>(); memo && memo->isVisibleTo(pages->widget(from)))
        places.push_back(memo);
      if (auto* view = pages->widget(from)->findChild<TImageView*>()) places.push_back(view);
      for (QWidget* place : places) {
        const std::string where = QKeySequence(QKeyCombination(each.modifiers, each.key)).toString().toStdString() +
                                  " from " + place->objectName().toStdString() + " on page " + std::to_string(from);
        pages->setCurrentIndex(from);
        QWidget* focused = Focus(place);
        EXPECT_FALSE(Claimed(*focused, QKeyCombination(each.modifiers, each.key))) << where;
        QTest::keyClick(focused, each.key, each.modifiers);
        EXPECT_EQ(pages->currentIndex(), (from + each.step + last + 1) % (last + 1)) << where;
      }
    }
  }
}

// Esc and Ctrl+W close the help and the explorer, from each of their fields.
TEST_F(WindowKeys, EscAndCtrlWCloseTheWindowsBesideTheMainWindow) {
  const struct {
    const char* window;
    const char* field;
  } places[] = {{"HelpWindow", "HelpSearch"},  {"HelpWindow", "HelpLanguage"}, {"HelpWindow", "HelpBrowser"},
                {"ExplorerWindow", "ResolverFrom"}, {"ExplorerWindow", "WarpStep"}, {"ExplorerWindow", "ExploreMap"},
                {"ClassSetWindow", "ClassSetTable"}, {"ClassSetWindow", "ClassSetExplore"}};
  for (const QKeyCombination key : {QKeyCombination(Qt::Key_Escape), Qt::CTRL | Qt::Key_W}) {
    for (const auto& place : places) {
      const std::string where = QKeySequence(key).toString().toStdString() + " in " + place.field;
      QWidget* window = nullptr;
      if (std::string(place.window) == "HelpWindow") {
        form_->N6Click();
        window = form_->Help();
      } else if (std::string(place.window) == "ClassSetWindow") {
        window = form_->OpenClassSet(QDir::tempPath() + QStringLiteral("/no-such-folder-of-morilux"));
      } else {
        window = form_->ExplorerCommand();
      }
      ASSERT_NE(window, nullptr);
      ASSERT_TRUE(window->isVisible()) << where;
      ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
      Activate(*window);
      auto* field = window->findChild<QWidget*>(QString::fromLatin1(place.field));
      ASSERT_NE(field, nullptr) << where;
      field->setFocus(Qt::TabFocusReason);
      QWidget* focused = QApplication::focusWidget();
      ASSERT_NE(focused, nullptr) << where;
      EXPECT_FALSE(Claimed(*focused, key)) << where;
      QTest::keyClick(focused, key.key(), key.keyboardModifiers());
      EXPECT_FALSE(window->isVisible()) << where;
    }
  }
  // The main window has no such keys: Esc in a field leaves it open.
  QTest::keyClick(Focus(Find<TSpinEdit>("SpinEdit1")), Qt::Key_Escape);
  EXPECT_TRUE(form_->isVisible());
}

// Down and Up in the codeword listing step through the codewords of the last
// analysis's listing, each line selected and its modules outlined on
// BlockImage; off the listing Down starts at the first, Up at the last.
TEST_F(WindowKeys, ArrowsInTheListingStepThroughTheCodewordsAndTheOutlineFollows) {
  TMemo* listing = form_->Surfaces().Memo(TTextPaneId::BLMemo);
  // No analysis yet: the arrows are the text pane's own, nothing is outlined.
  QTest::keyClick(listing, Qt::Key_Down);
  EXPECT_EQ(form_->Inspector().HighlightedCodeword(), -1);

  // Two analyses: the listing of the first stays above the second's.
  ASSERT_EQ(Load(RenderSymbol(EncodeBytes("arrows", 2, 1), 4), "arrows.bmp"), TForm1::TLoadResult::Loaded);
  form_->AnalyBtnClick();
  form_->AnalyBtnClick();
  ASSERT_TRUE(form_->LastAnalysis().decoded);
  const TModuleMap* map = form_->Inspector().ModuleMap(TImagePaneId::BlockImage);
  ASSERT_NE(map, nullptr);
  const int count = map->CodewordCount();
  ASSERT_EQ(count, 44);
  const auto chosen = [&] {
    const QTextCursor cursor = listing->textCursor();
    // The whole line is selected, as a click on a module selects it.
    EXPECT_EQ(cursor.selectedText(), cursor.block().text());
    return cursor.blockNumber();
  };
  listing->moveCursor(QTextCursor::Start);  // a line of the first analysis
  const struct {
    Qt::Key key;
    int codeword;
  } steps[] = {{Qt::Key_Down, 0}, {Qt::Key_Down, 1}, {Qt::Key_Down, 2}, {Qt::Key_Up, 1},
               {Qt::Key_Up, 0},   {Qt::Key_Up, 0}};
  for (const auto& step : steps) {
    QTest::keyClick(listing, step.key);
    EXPECT_EQ(form_->Inspector().HighlightedCodeword(), step.codeword);
    EXPECT_EQ(chosen(), map->LineOf(step.codeword));
    EXPECT_EQ(View(TImagePaneId::BlockImage)->Highlight(), map->ModulesOf(step.codeword));
  }
  listing->moveCursor(QTextCursor::End);  // the block summary after the codewords
  QTest::keyClick(listing, Qt::Key_Up);
  EXPECT_EQ(form_->Inspector().HighlightedCodeword(), count - 1);
  QTest::keyClick(listing, Qt::Key_Down);
  EXPECT_EQ(form_->Inspector().HighlightedCodeword(), count - 1);
}

}  // namespace
