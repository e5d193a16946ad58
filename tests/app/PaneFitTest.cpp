// Panes that fit: the window's first size on small screens, a small window
// that scrolls instead of cutting, the pages fitted to the window
// ("ウィンドウに合わせる") and back, and the diagnosis text wrapped in a narrow window.

#include <map>
#include <optional>
#include <string>

#include <QAction>
#include <QFrame>
#include <QLabel>
#include <QScrollArea>
#include <QScrollBar>
#include <QStatusBar>
#include <QTabWidget>
#include <QTest>
#include <gtest/gtest.h>

#include "DiagnosisPage.h"
#include "PaneFit.h"
#include "StageFailures.h"
#include "WindowPlacement.h"
#include "WindowTestSupport.h"

namespace {

using namespace testing_support;
using window_testing::MainWindow;

TEST(FirstGeometry, AsDesignedWhereItFitsElseOnTheScreen) {
  const QSize window(979, 663);
  const QPoint at(231, 232);
  const struct {
    const char* what;
    QRect available;
    std::optional<QPoint> designedAt;
    QRect expected;
  } cases[] = {
      {"a large screen", QRect(0, 0, 1920, 1080), at, QRect(at, window)},
      {"a laptop screen: moved up", QRect(0, 0, 1280, 800), at, QRect(231, 752 - 663, 979, 663)},
      {"1920 x 1080 at scale 2", QRect(0, 0, 960, 540), at, QRect(0, 0, 944, 492)},
      {"a panel on the left", QRect(64, 0, 896, 540), at, QRect(64, 0, 880, 492)},
      {"a second screen", QRect(1920, 0, 1280, 1024), at, QRect(1920, 232, 979, 663)},
      {"no designed place", QRect(0, 0, 800, 600), std::nullopt, QRect(0, 0, 784, 552)},
      {"a tiny screen", QRect(0, 0, 10, 10), at, QRect(0, 0, 1, 1)},
  };
  for (const auto& c : cases) EXPECT_EQ(FirstGeometry(window, c.designedAt, c.available), c.expected) << c.what;
}

class PaneFit : public MainWindow {
 protected:
  void SetUp() override {
    MainWindow::SetUp();
    form_->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form_.get()));
  }
  void Resize(QSize size) {
    form_->resize(size);
    QApplication::processEvents();
  }
  QTabWidget* Pages() { return Find<QTabWidget>("PageControl1"); }
  QScrollArea* Scroll() { return Find<QScrollArea>("ClientScroll"); }
  // The geometry of every widget placed on the pages of panes.
  std::map<QString, QRect> Places() {
    std::map<QString, QRect> places;
    for (int i = 0; i < Pages()->count(); ++i)
      for (const QWidget* child : Pages()->widget(i)->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        places[Pages()->widget(i)->objectName() + "/" + child->objectName() + "/" + child->metaObject()->className() +
               (qobject_cast<const QLabel*>(child) ? "/" + static_cast<const QLabel*>(child)->text() : QString())] =
            child->geometry();
    return places;
  }
};

// A window smaller than the pages' panes scrolls them, each image pane still
// 420 x 420 and the status bar in view; at the design size nothing scrolls.
TEST_F(PaneFit, ASmallWindowScrollsAndKeepsThePanesAndTheStatusBar) {
  Resize(QSize(979, 663));
  EXPECT_FALSE(Scroll()->horizontalScrollBar()->isVisible());
  EXPECT_FALSE(Scroll()->verticalScrollBar()->isVisible());
  for (const QSize size : {QSize(640, 480), QSize(400, 300)}) {
    SCOPED_TRACE(std::to_string(size.width()) + " x " + std::to_string(size.height()));
    Resize(size);
    for (const char* page : {"TabSheet11", "TabSheet6", "TabSheet4"}) {
      Pages()->setCurrentWidget(Find<QWidget>(page));
      QApplication::processEvents();
      EXPECT_TRUE(Scroll()->horizontalScrollBar()->isVisible()) << page;
      EXPECT_TRUE(Scroll()->verticalScrollBar()->isVisible()) << page;
      // The page is as large as its panes need: nothing is cut, all can be scrolled to.
      const QWidget* shown = Pages()->currentWidget();
      EXPECT_GE(shown->width(), shown->childrenRect().right());
      EXPECT_GE(shown->height(), shown->childrenRect().bottom());
    }
    EXPECT_EQ(View(TImagePaneId::FrontImage)->size(), QSize(420, 420));
    EXPECT_EQ(View(TImagePaneId::BlockImage)->size(), QSize(420, 420));
    QStatusBar* status = form_->statusBar();
    EXPECT_TRUE(status->isVisible());
    EXPECT_TRUE(form_->rect().contains(status->geometry())) << "the status bar lies inside the window";
    EXPECT_GT(status->height(), 10);
  }
}

// Fitted, every pane page is scaled alike with the page, its frames around
// its panes and its captions moved with them; smaller than half the design
// the page scrolls again; unfitted, every widget is back where it was.
TEST_F(PaneFit, FittedPanesFollowTheWindowInTheSameArrangementAndReturn) {
  Resize(QSize(979, 663));
  // Each page is laid out once it has been in front.
  const auto showEveryPage = [&] {
    for (int i = 0; i < Pages()->count(); ++i) {
      Pages()->setCurrentIndex(i);
      QApplication::processEvents();
    }
  };
  showEveryPage();
  const std::map<QString, QRect> designed = Places();
  QAction* fit = Find<QAction>("FitWindowAction");
  EXPECT_TRUE(fit->isCheckable());
  EXPECT_FALSE(fit->isChecked());
  fit->setChecked(true);
  const TPaneFit& fitting = form_->Fit();
  for (const QSize size : {QSize(1958, 1326), QSize(1300, 700), QSize(979, 663), QSize(700, 500), QSize(300, 200)}) {
    SCOPED_TRACE(std::to_string(size.width()) + " x " + std::to_string(size.height()));
    Resize(size);
    for (const char* page : {"TabSheet11", "TabSheet6", "TabSheet7", "TabSheet4"}) {
      Pages()->setCurrentWidget(Find<QWidget>(page));
      QApplication::processEvents();
      const QWidget* shown = Pages()->currentWidget();
      const double scale = fitting.ScaleOf(*shown);
      EXPECT_DOUBLE_EQ(scale, std::max(0.5, std::min(shown->width() / 975.0, shown->height() / 546.0))) << page;
      for (const QWidget* child : shown->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        const std::string name = std::string(page) + " " + child->objectName().toStdString();
        const QRect& before = designed.at(
            shown->objectName() + "/" + child->objectName() + "/" + child->metaObject()->className() +
            (qobject_cast<const QLabel*>(child) ? "/" + static_cast<const QLabel*>(child)->text() : QString()));
        if (qobject_cast<const TImageView*>(child) || child->objectName() == "BLMemo" || child->objectName() == "RdSnMemo") {
          EXPECT_NEAR(child->x(), before.x() * scale, 1) << name;
          EXPECT_NEAR(child->y(), before.y() * scale, 1) << name;
          EXPECT_NEAR(child->width(), before.width() * scale, 1) << name;
          EXPECT_NEAR(child->height(), before.height() * scale, 1) << name;
        } else if (child->objectName().endsWith("Frame")) {
          const QWidget* pane = shown->findChild<QWidget*>(child->objectName().chopped(5));
          EXPECT_EQ(child->geometry(), pane->geometry().adjusted(-8, -8, 13, 13)) << name;
        } else if (child->objectName() == "ImgMemo") {
          // Anchored: its distances from the page's sides scale too.
          EXPECT_NEAR(child->x(), 24 * scale, 1);
          EXPECT_NEAR(shown->width() - child->geometry().right() - 1, (975 - 524) * scale, 1);
          EXPECT_NEAR(shown->height() - child->geometry().bottom() - 1, (546 - 498) * scale, 1);
        } else {
          EXPECT_EQ(child->size(), before.size()) << name << ": a caption keeps its size";
          EXPECT_NEAR(child->x(), before.x() * scale, 1) << name;
        }
      }
      // Below half the design the page keeps half the designed arrangement and scrolls.
      const bool scrolls = Scroll()->horizontalScrollBar()->isVisible() || Scroll()->verticalScrollBar()->isVisible();
      EXPECT_EQ(scrolls, size.width() < 500 || size.height() < 350) << page;
    }
  }
  fit->setChecked(false);
  Resize(QSize(979, 663));
  showEveryPage();
  const std::map<QString, QRect> back = Places();
  ASSERT_EQ(back.size(), designed.size());
  for (const auto& [name, place] : designed) EXPECT_EQ(back.at(name), place) << name.toStdString();
}

// In a narrow window the page 診断 fits the window: its chain of stages
// continues on another line and its texts wrap, instead of running past the
// window's edge.
TEST_F(PaneFit, TheDiagnosisWrapsInANarrowWindow) {
  ASSERT_EQ(Load(FormatUnreadable(), "format.bmp"), TForm1::TLoadResult::Loaded);
  form_->AnalyBtnClick();
  ASSERT_FALSE(form_->LastAnalysis().decoded);
  Pages()->setCurrentWidget(&form_->DiagnosisView());
  Resize(QSize(979, 663));
  const QLabel* first = Find<QLabel>("StageName0");
  const QLabel* last = Find<QLabel>("StageName7");
  EXPECT_EQ(first->y(), last->y()) << "one line at the design size";
  const int figures = Find<QLabel>("DiagnosisFigures")->height();
  Resize(QSize(520, 480));
  const auto* scroll = Find<QScrollArea>("DiagnosisScroll");
  EXPECT_FALSE(Scroll()->horizontalScrollBar()->isVisible());
  EXPECT_FALSE(scroll->horizontalScrollBar()->isVisible());
  EXPECT_GT(last->y(), first->y()) << "the chain goes on below";
  const int width = scroll->viewport()->width();
  for (const char* name : {"StageName7", "DiagnosisHeadline", "DiagnosisEvidence", "DiagnosisFigures", "HistogramPlot",
                           "ProfilePlot", "TimingPlot"}) {
    const QWidget* label = Find<QWidget>(name);
    EXPECT_LE(label->mapTo(scroll->widget(), QPoint(label->width(), 0)).x(), width) << name;
  }
  EXPECT_GT(Find<QLabel>("DiagnosisFigures")->height(), figures) << "the figures wrap onto more lines";
}

}  // namespace
