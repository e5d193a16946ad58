#include <chrono>
#include <string>

#include <QAction>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QTest>
#include <gtest/gtest.h>

#include "ConformancePictures.h"
#include "ExplorerWindow.h"
#include "WindowTestSupport.h"
#include "decoder/Veltrix.h"
#include "report/ExploreCells.h"

namespace {

using namespace testing_support;
using window_testing::MainWindow;

class ExplorerWindow : public MainWindow {
 protected:
  TExplorerWindow* Open() {
    Find<QAction>("ExploreAction")->trigger();
    auto* window = form_->findChild<TExplorerWindow*>("ExplorerWindow");
    EXPECT_NE(window, nullptr);
    return window;
  }
  void SetGrid(TExplorerWindow& window, TExploreRange resolver, TExploreRange warp) {
    const auto set = [&](const char* name, int value) { window.findChild<QSpinBox*>(name)->setValue(value); };
    set("ResolverFrom", resolver.from), set("ResolverTo", resolver.to), set("ResolverStep", resolver.step);
    set("WarpFrom", warp.from), set("WarpTo", warp.to), set("WarpStep", warp.step);
  }
  // The window's events until the run has ended and its map is shown.
  static void WaitForRun(TExplorerWindow& window) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::minutes(2);
    while (window.Running() && std::chrono::steady_clock::now() < deadline) QTest::qWait(5);
    ASSERT_FALSE(window.Running());
  }
  static QString Status(TExplorerWindow& window) { return window.findChild<QLabel*>("ExploreStatus")->text(); }
};

// A faint symbol that only Resolvers near 0 read: the map shows each cell as
// a single analysis with its values ends, the main window's panes are not
// touched while the grid runs, and a click on a decoding cell puts its values
// into the fields and runs the main window's analysis with them.
TEST_F(ExplorerWindow, MapCellsAreSingleAnalysesAndAClickRunsTheMainWindowsAnalysis) {
  const TBitmap picture = FaintSymbol("<b>&amp;</b>");
  ASSERT_EQ(Load(picture, "faint.bmp"), TForm1::TLoadResult::Loaded);
  Find<TSpinEdit>("SpinEdit2")->setValue(2);
  TExplorerWindow* window = Open();
  ASSERT_NE(window, nullptr);
  EXPECT_TRUE(window->isVisible());
  EXPECT_FALSE(window->isModal());
  SetGrid(*window, {-16, 16, 8}, {5, 6, 1});
  window->findChild<QPushButton*>("ExploreStartButton")->click();
  // The click has returned with the grid still to run: the main window's events go on meanwhile.
  EXPECT_TRUE(window->Running());
  EXPECT_FALSE(window->findChild<QPushButton*>("ExploreStartButton")->isEnabled());
  WaitForRun(*window);

  const TExploreMap* map = window->Map();
  ASSERT_NE(map, nullptr);
  EXPECT_TRUE(map->complete);
  EXPECT_EQ(map->grid.forceVersion, 2);
  EXPECT_EQ(map->grid.resolvers, (std::vector<std::int32_t>{-16, -8, 0, 7, 8, 16}));
  EXPECT_EQ(window->findChild<QProgressBar*>("ExploreProgress")->value(), 12);
  // Nothing of the grid reached the main window.
  EXPECT_TRUE(form_->Surfaces().Text(TTextPaneId::ResultMemo).Lines().empty());
  EXPECT_TRUE(form_->Surfaces().Image(TImagePaneId::FrontImage).CurrentPicture().Empty());

  auto* table = window->findChild<QTableWidget*>("ExploreMap");
  ASSERT_EQ(table->rowCount(), 6);
  ASSERT_EQ(table->columnCount(), 2);
  std::optional<std::size_t> decoding;
  bool stopped = false;
  for (std::size_t i = 0; i < map->cells.size(); ++i) {
    const TExploreCell& cell = map->cells[i];
    SCOPED_TRACE(CellTitle(cell));
    TSurfaces surfaces;
    TVeltrix veltrix(surfaces);
    EXPECT_EQ(cell.result.decoded, Analyse(veltrix, surfaces, picture, {cell.resolver, cell.warp, 2}).decoded);
    const QTableWidgetItem* item = table->item(static_cast<int>(i / 2), static_cast<int>(i % 2));
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(item->background().color(), QColor(QString::fromUtf8(CellColour(cell).data(), CellColour(cell).size())));
    // A cell that stopped shows its stage's letter; one that decoded, its text's.
    EXPECT_EQ(item->text().toStdString(), cell.result.decoded ? CellMark(cell) : std::string(StageLetter(cell.result.stage)));
    if (cell.result.decoded) {
      decoding = decoding.value_or(i);
      EXPECT_TRUE(item->font().bold());
      // The decoded text is shown as written, never as markup.
      EXPECT_TRUE(item->toolTip().contains("&lt;b&gt;&amp;amp;&lt;/b&gt;")) << item->toolTip().toStdString();
    }
    stopped = stopped || !cell.result.decoded;
  }
  ASSERT_TRUE(decoding.has_value());
  EXPECT_TRUE(stopped);
  EXPECT_EQ(window->findChild<QLabel*>("ExploreTexts")->text(), "A: <b>&amp;</b>");

  // A click on the decoding cell: the fields take its values and the main
  // window shows the analysis that those values give.
  const TExploreCell& cell = map->cells[*decoding];
  const QRect at = table->visualItemRect(table->item(static_cast<int>(*decoding / 2), static_cast<int>(*decoding % 2)));
  QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, at.center());
  EXPECT_EQ(window->Picked(), decoding);
  EXPECT_EQ(Find<TSpinEdit>("SpinEdit1")->value(), cell.resolver);
  EXPECT_EQ(Find<TSpinEdit>("SpinEdit3")->value(), cell.warp);
  TSurfaces surfaces;
  TVeltrix veltrix(surfaces);
  const TAnalysisResult alone = Analyse(veltrix, surfaces, picture, {cell.resolver, cell.warp, 2});
  EXPECT_EQ(form_->LastAnalysis().parameters, alone.parameters);
  EXPECT_TRUE(form_->LastAnalysis().decoded);
  EXPECT_EQ(form_->Surfaces().Text(TTextPaneId::ResultMemo).Lines(), surfaces.Text(TTextPaneId::ResultMemo).Lines());
  EXPECT_EQ(form_->Surfaces().Image(TImagePaneId::ResultImage).CurrentPicture(),
            surfaces.Image(TImagePaneId::ResultImage).CurrentPicture());
  EXPECT_TRUE(messages_.isEmpty());
}

// Cancel, a new load in the main window and closing the explorer's window
// each stop a run; the cells done before a cancel stay on the map, a new
// picture's load drops the map of the earlier one.
TEST_F(ExplorerWindow, CancelNewLoadAndCloseStopTheRun) {
  const TBitmap picture = RenderSymbol(EncodeBytes("cancel", 3, 1), 8);
  TExplorerWindow* window = Open();
  EXPECT_FALSE(window->Start());
  EXPECT_TRUE(Status(*window).contains("画像")) << Status(*window).toStdString();
  ASSERT_EQ(Load(picture, "cancel.bmp"), TForm1::TLoadResult::Loaded);

  enum class TStop { Cancel, Load, Close };
  for (const TStop stop : {TStop::Cancel, TStop::Load, TStop::Close}) {
    SCOPED_TRACE(static_cast<int>(stop));
    window = Open();
    ASSERT_TRUE(window->Start());
    switch (stop) {
      case TStop::Cancel: window->findChild<QPushButton*>("ExploreCancelButton")->click(); break;
      case TStop::Load: ASSERT_EQ(Load(picture, "again.bmp"), TForm1::TLoadResult::Loaded); break;
      case TStop::Close: window->close(); break;
    }
    WaitForRun(*window);
    EXPECT_TRUE(window->findChild<QPushButton*>("ExploreStartButton")->isEnabled());
    if (stop == TStop::Load) {
      EXPECT_EQ(window->Map(), nullptr);
      EXPECT_TRUE(Status(*window).contains("新しい画像")) << Status(*window).toStdString();
      continue;
    }
    const TExploreMap* map = window->Map();
    ASSERT_NE(map, nullptr);
    EXPECT_FALSE(map->complete);
    // The run is on every core, each thread stopping before its next cell:
    // every row holds its first cells, and some cell did not run.
    const std::size_t warps = map->grid.warps.size();
    std::size_t ran = 0;
    for (std::size_t i = 0; i < map->cells.size(); ++i) {
      ran += map->cells[i].ran ? 1 : 0;
      if (i % warps > 0) {
        EXPECT_TRUE(!map->cells[i].ran || map->cells[i - 1].ran) << i;
      }
    }
    EXPECT_LT(ran, map->cells.size());
    auto* table = window->findChild<QTableWidget*>("ExploreMap");
    const QTableWidgetItem* last = table->item(table->rowCount() - 1, table->columnCount() - 1);
    EXPECT_EQ(last->background().color(), QColor(QString::fromUtf8(kNotRunColour.data(), kNotRunColour.size())));
  }
  // A map on show goes with the next load; a run left going ends with the main window.
  ASSERT_NE(window->Map(), nullptr);
  ASSERT_EQ(Load(picture, "cancel.bmp"), TForm1::TLoadResult::Loaded);
  EXPECT_EQ(window->Map(), nullptr);
  ASSERT_TRUE(Open()->Start());
  form_.reset();
}

}  // namespace
