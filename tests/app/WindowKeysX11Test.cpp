// The window's command keys on the X11 platform, run by ctest under xvfb-run
// (a virtual X server): there a spin field's editor claims Ctrl+E as "end of
// line", which the offscreen platform of the other window tests does not, so
// only here does the refusal of that claim show.

#include <QAction>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMainWindow>
#include <QSpinBox>
#include <QTabWidget>
#include <QTest>
#include <gtest/gtest.h>

#include "ExplorerWindow.h"
#include "WindowTestSupport.h"

namespace {

using namespace testing_support;
using window_testing::MainWindow;

bool Claimed(QWidget& widget, QKeyCombination key) {
  QKeyEvent override(QEvent::ShortcutOverride, key.key(), key.keyboardModifiers());
  override.setAccepted(false);
  QApplication::sendEvent(&widget, &override);
  return override.isAccepted();
}

void Activate(QWidget& window) {
  window.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
  window.activateWindow();
  window.windowHandle()->requestActivate();
  ASSERT_TRUE(QTest::qWaitFor([&] { return QApplication::activeWindow() == &window; }, 5000));
}

// What the window has to overcome: an ordinary spin field takes Ctrl+E.
TEST(X11Keys, AnOrdinarySpinFieldClaimsCtrlE) {
  ASSERT_EQ(QGuiApplication::platformName(), "xcb");
  QMainWindow window;
  auto* spin = new QSpinBox(&window);
  window.setCentralWidget(spin);
  int ran = 0;
  QAction* explore = window.addAction(QStringLiteral("explore"));
  explore->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_E));
  QObject::connect(explore, &QAction::triggered, [&] { ++ran; });
  Activate(window);
  spin->setFocus();
  EXPECT_TRUE(Claimed(*spin, Qt::CTRL | Qt::Key_E));
  QTest::keyClick(spin, Qt::Key_E, Qt::ControlModifier);
  EXPECT_EQ(ran, 0);
}

// In the main window the same key runs the explorer command from every
// parameter field, and F5 and the page keys work there too.
TEST_F(MainWindow, CommandKeysRunFromTheParameterFieldsOnX11) {
  ASSERT_EQ(QGuiApplication::platformName(), "xcb");
  ASSERT_EQ(Load(RenderSymbol(EncodeBytes("x11", 1, 1), 4), "x11.bmp"), TForm1::TLoadResult::Loaded);
  auto* pages = Find<QTabWidget>("PageControl1");
  for (const char* name : {"SpinEdit1", "SpinEdit3", "SpinEdit2"}) {
    SCOPED_TRACE(name);
    Activate(*form_);
    auto* field = Find<TSpinEdit>(name);
    field->setFocus();
    ASSERT_EQ(QApplication::focusWidget(), field);
    EXPECT_FALSE(Claimed(*field, Qt::CTRL | Qt::Key_E));
    QTest::keyClick(field, Qt::Key_E, Qt::ControlModifier);
    auto* explorer = form_->findChild<TExplorerWindow*>();
    ASSERT_NE(explorer, nullptr);
    EXPECT_TRUE(explorer->isVisible());
    explorer->close();

    Activate(*form_);
    field->setFocus();
    const int page = pages->currentIndex();
    QTest::keyClick(field, Qt::Key_Tab, Qt::ControlModifier);
    EXPECT_EQ(pages->currentIndex(), (page + 1) % pages->count());
    QTest::keyClick(field, Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(pages->currentIndex(), page);
    const int analysed = static_cast<int>(form_->Surfaces().Text(TTextPaneId::BLMemo).Lines().size());
    QTest::keyClick(field, Qt::Key_F5);
    EXPECT_TRUE(form_->LastAnalysis().decoded);
    EXPECT_GT(static_cast<int>(form_->Surfaces().Text(TTextPaneId::BLMemo).Lines().size()), analysed);
  }
}

}  // namespace
