#include <chrono>
#include <filesystem>
#include <string>

#include <QAction>
#include <QCheckBox>
#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include "ClassSetWindow.h"
#include "FilledSymbols.h"
#include "StageFailures.h"
#include "WindowTestSupport.h"
#include "classset/ClassSet.h"
#include "common/ShiftJis.h"
#include "report/ClassSummary.h"

namespace {

using namespace testing_support;
using window_testing::MainWindow;

class ClassSetWindow : public MainWindow {
 protected:
  // A picture that decodes, one without a symbol, one that cannot be read.
  QString Folder(const QString& name = QStringLiteral("class")) {
    const QString folder = dir_.filePath(name);
    QDir().mkpath(folder);
    const auto path = [&](const char* file) { return (folder + "/" + file).toStdString(); };
    WriteJpeg(RenderSymbol(EncodeBytes("student <1>", 1, 1), 4), path("student-1.jpg"));
    WriteBmp(TBitmap(60, 40), path("student-2.bmp"));
    WriteFile(path("student-10.png"), NoiseBytes(300, 5));
    return folder;
  }
  static void WaitForRun(TClassSetWindow& window) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::minutes(2);
    while (window.Running() && std::chrono::steady_clock::now() < deadline) QTest::qWait(5);
    ASSERT_FALSE(window.Running());
  }
  static QString Status(TClassSetWindow& window) { return window.findChild<QLabel*>("ClassSetStatus")->text(); }
};

// The menu command asks for a folder and shows its pictures in a window of
// its own, analysed off the main window with the fields' values: the table is
// the command line's, and nothing reaches the main window's pages.
TEST_F(ClassSetWindow, TheMenuCommandShowsTheFoldersTableAsTheCommandLineMakesIt) {
  const QString folder = Folder();
  Find<TSpinEdit>("SpinEdit1")->setValue(-3);
  Find<TSpinEdit>("SpinEdit3")->setValue(5);
  // ファイル keeps its one item; the command stands in ツール.
  EXPECT_EQ(Find<QMenu>("FileMenu")->actions().size(), 1);
  QAction* command = Find<QAction>("OpenFolderAction");
  EXPECT_TRUE(Find<QMenu>("ToolsMenu")->actions().contains(command));
  EXPECT_EQ(command->shortcut(), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_F));
  QTimer::singleShot(0, form_.get(), [&] {
    auto* dialog = form_->findChild<QFileDialog*>("OpenFolderDialog");
    ASSERT_NE(dialog, nullptr);
    dialog->findChild<QLineEdit*>("fileNameEdit")->setText(folder);
    static_cast<QDialog*>(dialog)->done(QDialog::Accepted);
  });
  command->trigger();
  auto* window = form_->findChild<TClassSetWindow*>("ClassSetWindow");
  ASSERT_NE(window, nullptr);
  EXPECT_TRUE(window->isVisible());
  EXPECT_FALSE(window->isModal());
  WaitForRun(*window);
  EXPECT_EQ(QDir(window->Folder()).canonicalPath(), QDir(folder).canonicalPath());

  TClassSetOptions options;
  options.parameters = {-3, 5, 0};
  const std::vector<std::string> names = ClassSetPictures(folder.toStdString());
  const std::vector<std::optional<TClassRow>> expected = RunClassSet(folder.toStdString(), names, options, 1);
  EXPECT_EQ(window->Rows(), expected);
  auto* table = window->findChild<QTableWidget*>("ClassSetTable");
  ASSERT_EQ(table->rowCount(), 3);
  for (int row = 0; row < 3; ++row)
    for (int column = 0; column < table->columnCount(); ++column) {
      const QString heading = table->horizontalHeaderItem(column)->text();
      for (const TClassColumnName& name : kClassColumns)
        if (QString::fromUtf8(name.heading.data(), static_cast<qsizetype>(name.heading.size())) == heading) {
          EXPECT_EQ(table->item(row, column)->text().toStdString(), ClassCellText(*expected[static_cast<std::size_t>(row)], name.column))
              << row << " " << heading.toStdString();
        }
    }
  EXPECT_FALSE(table->item(0, 0)->icon().isNull());
  EXPECT_EQ(window->findChild<QProgressBar*>("ClassSetProgress")->value(), 3);
  EXPECT_TRUE(Status(*window).contains(QStringLiteral("復号できた 1、復号できなかった 1、読み込めない 1"))) << Status(*window).toStdString();
  EXPECT_TRUE(form_->Surfaces().Text(TTextPaneId::ResultMemo).Lines().empty());
  EXPECT_TRUE(form_->Picture().Empty());

  // The texts can be hidden for an exercise.
  const int textColumn = static_cast<int>(std::find_if(kClassColumns.begin(), kClassColumns.end(), [](const TClassColumnName& c) {
                                            return c.column == TClassColumn::Text;
                                          }) - kClassColumns.begin());
  EXPECT_FALSE(table->isColumnHidden(textColumn));
  window->findChild<QCheckBox*>("ClassSetHideAnswer")->setChecked(true);
  EXPECT_TRUE(table->isColumnHidden(textColumn));
}

// A click on a row loads its picture in the main window and analyses it with
// the row's values; a file that cannot be read says so as a load does.
TEST_F(ClassSetWindow, ARowOpensItsPictureInTheMainWindow) {
  const QString folder = Folder();
  Find<TSpinEdit>("SpinEdit1")->setValue(-3);
  TClassSetWindow* window = form_->OpenClassSet(folder);
  WaitForRun(*window);
  // The fields change after the run: the row keeps the values it was analysed with.
  Find<TSpinEdit>("SpinEdit1")->setValue(20);
  auto* table = window->findChild<QTableWidget*>("ClassSetTable");
  QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, table->visualRect(table->model()->index(0, 2)).center());
  EXPECT_EQ(form_->Picture().Width(), RenderSymbol(EncodeBytes("student <1>", 1, 1), 4).Width());
  EXPECT_TRUE(form_->LastAnalysis().decoded);
  EXPECT_EQ(form_->LastAnalysis().text, "student <1>");
  EXPECT_EQ(form_->LastAnalysis().parameters, window->Rows()[0]->parameters);
  EXPECT_EQ(Find<TSpinEdit>("SpinEdit1")->value(), -3);
  EXPECT_TRUE(messages_.isEmpty());

  window->RowClicked(2);
  EXPECT_EQ(messages_.size(), 1);
  EXPECT_TRUE(form_->LastAnalysis().decoded);
  EXPECT_EQ(form_->Picture().Width(), RenderSymbol(EncodeBytes("student <1>", 1, 1), 4).Width());
}

// Cancel keeps the rows done; a folder asked for during a run is taken once
// the run has stopped; a folder without pictures says so.
TEST_F(ClassSetWindow, CancelAndAnotherFolderDuringARun) {
  const QString many = dir_.filePath(QStringLiteral("many"));
  QDir().mkpath(many);
  const TBitmap picture = RenderSymbol(EncodeBytes("many", 3, 1), 6);
  for (int i = 0; i < 40; ++i) WriteBmp(picture, (many + QStringLiteral("/p%1.bmp").arg(i)).toStdString());
  TClassSetWindow* window = form_->OpenClassSet(many);
  window->findChild<QPushButton*>("ClassSetCancelButton")->click();
  WaitForRun(*window);
  const std::size_t done = static_cast<std::size_t>(
      std::count_if(window->Rows().begin(), window->Rows().end(), [](const auto& row) { return row.has_value(); }));
  EXPECT_LT(done, 40u);
  EXPECT_TRUE(Status(*window).contains(QStringLiteral("中止しました"))) << Status(*window).toStdString();
  EXPECT_TRUE(window->findChild<QPushButton*>("ClassSetStartButton")->isEnabled());

  ASSERT_TRUE(window->Start(many));
  const QString other = Folder(QStringLiteral("other"));
  EXPECT_EQ(form_->OpenClassSet(other), window);
  WaitForRun(*window);
  // The second folder's run, started after the first one stopped.
  WaitForRun(*window);
  EXPECT_EQ(window->Folder(), other);
  ASSERT_EQ(window->Rows().size(), 3u);
  for (const auto& row : window->Rows()) EXPECT_TRUE(row.has_value());

  QDir().mkpath(dir_.filePath(QStringLiteral("none")));
  EXPECT_FALSE(window->Start(dir_.filePath(QStringLiteral("none"))));
  EXPECT_TRUE(Status(*window).contains(QStringLiteral("読み込める画像（.jpg、.jpeg、.bmp、.png）がありません"))) << Status(*window).toStdString();
  EXPECT_FALSE(window->Start(dir_.filePath(QStringLiteral("missing"))));
  EXPECT_TRUE(Status(*window).contains(QStringLiteral("フォルダを読めません"))) << Status(*window).toStdString();
  // A run left going ends with the main window.
  ASSERT_TRUE(window->Start(many));
  form_.reset();
}

}  // namespace
