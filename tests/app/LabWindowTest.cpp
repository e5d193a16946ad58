// The error-correction lab's window: opened from the main window on the
// matrix of the last analysis, changed by the mouse and the damage commands,
// decoded again each time by its own facade while the main window's panes
// and status stay as the analysis left them.

#include <QCheckBox>
#include <QLabel>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>
#include <QTextBlock>
#include <QWindow>
#include <gtest/gtest.h>

#include "ImageView.h"
#include "LabMatrixView.h"
#include "LabWindow.h"
#include "WindowTestSupport.h"
#include "decoder/Lab.h"
#include "sample/Sample.h"

namespace {

using window_testing::MainWindow;

class LabWindow : public MainWindow {
 protected:
  // A made 5-Q symbol, loaded and analysed, and the lab opened by its keys.
  TLabWindow* AnalyseAndOpen() {
    TSampleRequest request;
    request.symbol.text = "Morilux lab";
    request.symbol.version = 5;
    request.symbol.level = 2;
    EXPECT_EQ(Load(MakeSample(request).picture, QStringLiteral("five.bmp")), TForm1::TLoadResult::Loaded);
    form_->AnalyseCommand();
    form_->show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(form_.get()));
    QTest::keyClick(form_.get(), Qt::Key_L, Qt::ControlModifier | Qt::ShiftModifier);
    auto* lab = form_->findChild<TLabWindow*>(QStringLiteral("LabWindow"));
    EXPECT_NE(lab, nullptr);
    return lab;
  }
  template <typename T>
  static T* In(QWidget& window, const char* name) {
    T* widget = window.findChild<T*>(QString::fromLatin1(name));
    EXPECT_NE(widget, nullptr) << name;
    return widget;
  }
  static void Drag(TLabMatrixView& view, const std::vector<TPoint>& modules) {
    QTest::mousePress(&view, Qt::LeftButton, {}, view.CentreOf(modules.front()));
    for (const TPoint module : modules) {
      const QPointF at(view.CentreOf(module));
      QMouseEvent move(QEvent::MouseMove, at, view.mapToGlobal(at), Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
      QApplication::sendEvent(&view, &move);
    }
    QTest::mouseRelease(&view, Qt::LeftButton, {}, view.CentreOf(modules.back()));
  }
};

TEST_F(LabWindow, FourWrongCodewordsFailHereWhereTheLevelCorrectsAndTheMainWindowStaysAsItWas) {
  TLabWindow* lab = AnalyseAndOpen();
  ASSERT_NE(lab, nullptr);
  ASSERT_NE(lab->Lab(), nullptr);
  const QStringList trace = MemoLines("RdSnMemo");
  const QStringList listing = MemoLines("BLMemo");
  const QStringList result = MemoLines("ResultMemo");
  const QString status = Status(1);
  EXPECT_TRUE(lab->Summary().contains(QStringLiteral("変えたモジュール 0 個")));

  In<QSpinBox>(*lab, "LabBlock")->setValue(0);
  In<QSpinBox>(*lab, "LabCount")->setValue(4);
  QTest::mouseClick(In<QPushButton>(*lab, "LabSpoilRandom"), Qt::LeftButton);
  EXPECT_TRUE(lab->Summary().contains(
      QStringLiteral("ブロック 0：誤り 4 個。この復号器（3 個まで）：訂正できません。レベルの約束（9 個まで）：訂正できます。")))
      << lab->Summary().toStdString();
  EXPECT_FALSE(lab->Lab()->Last().result.decoded);
  EXPECT_TRUE(lab->Details().contains(QStringLiteral("S_j = R(α^j), j = 0..17")));
  EXPECT_EQ(In<QPlainTextEdit>(*lab, "LabListing")->extraSelections().size(), 4);
  // The lab's own panes show its decode: the block pane as its facade drew it.
  const TBitmap& blocks = lab->Lab()->Surfaces().Image(TImagePaneId::BlockImage).CurrentPicture();
  EXPECT_TRUE(In<TImageView>(*lab, "LabBlockImage")->Picture() == blocks);
  // The main window's facade and panes did not move.
  EXPECT_EQ(MemoLines("RdSnMemo"), trace);
  EXPECT_EQ(MemoLines("BLMemo"), listing);
  EXPECT_EQ(MemoLines("ResultMemo"), result);
  EXPECT_EQ(Status(1), status);

  // Ctrl+Z in the lab's window, once the user has turned to it.
  ASSERT_TRUE(QTest::qWaitForWindowExposed(lab));
  lab->windowHandle()->requestActivate();
  ASSERT_TRUE(QTest::qWaitFor([&] { return QApplication::activeWindow() == lab; }, 2000));
  QTest::keyClick(lab, Qt::Key_Z, Qt::ControlModifier);
  EXPECT_TRUE(lab->Lab()->Last().result.decoded);
  EXPECT_TRUE(lab->Lab()->Matrix().ChangedModules().empty());
}

TEST_F(LabWindow, ClicksFlipDragsPaintAndEraseModeMarksModulesUnreadable) {
  TLabWindow* lab = AnalyseAndOpen();
  ASSERT_NE(lab, nullptr);
  ASSERT_NE(lab->Lab(), nullptr);
  lab->resize(1100, 700);
  TLabMatrixView& view = lab->MatrixView();
  const TLabMatrix& matrix = lab->Lab()->Matrix();
  // The first codeword's first module, bottom right.
  const TPoint first{36, 36};
  const bool before = matrix.Modules()[first.x][first.y] != 0;
  QTest::mouseClick(&view, Qt::LeftButton, {}, view.CentreOf(first));
  EXPECT_EQ(matrix.Modules()[first.x][first.y] != 0, !before);
  EXPECT_EQ(lab->Lab()->Last().changedCodewords, std::vector<std::int32_t>{0});

  Drag(view, {{30, 20}, {30, 21}, {30, 22}, {30, 23}});
  for (int y = 20; y <= 23; ++y) EXPECT_EQ(matrix.Modules()[30][y], matrix.Modules()[30][20]) << y;
  EXPECT_EQ(matrix.Steps(), 2u);

  In<QCheckBox>(*lab, "LabErasing")->setChecked(true);
  Drag(view, {{20, 30}, {21, 30}});
  EXPECT_EQ(matrix.ErasedModules().size(), 2u);
  EXPECT_TRUE(lab->Summary().contains(QStringLiteral("読めない印 2 個")));
  // A right click spoils the whole codeword under it.
  QTest::mouseClick(&view, Qt::RightButton, {}, view.CentreOf({36, 34}));
  EXPECT_EQ(In<QSpinBox>(*lab, "LabCodeword")->value(), 0);
  EXPECT_EQ(matrix.Steps(), 4u);
  QTest::mouseClick(In<QPushButton>(*lab, "LabRestore"), Qt::LeftButton);
  EXPECT_TRUE(matrix.ChangedModules().empty() && matrix.ErasedModules().empty());
  EXPECT_TRUE(lab->Lab()->Last().result.decoded);
}

TEST_F(LabWindow, RefusalsAreShownAndChangeNothing) {
  TLabWindow* lab = AnalyseAndOpen();
  ASSERT_NE(lab, nullptr);
  EXPECT_FALSE(lab->SpoilBurst(130, 20));
  EXPECT_TRUE(lab->Message().contains(QStringLiteral("codeword")));
  EXPECT_EQ(lab->Lab()->Matrix().Steps(), 0u);
  // The reading-order step wraps round, names the codeword's block and marks its line of the listing.
  lab->Step(-1);
  const QString hex = QStringLiteral("%1").arg(lab->Lab()->Last().codewords[133], 2, 16, QLatin1Char('0')).toUpper();
  EXPECT_EQ(In<QLabel>(*lab, "LabStepText")->text(), QStringLiteral("符号語 133 = ") + hex + QStringLiteral("：ブロック 3 の 33 番目（誤り訂正）"));
  auto* listing = In<QPlainTextEdit>(*lab, "LabListing");
  ASSERT_EQ(listing->extraSelections().size(), 1);
  EXPECT_TRUE(listing->extraSelections()[0].cursor.block().text().trimmed().startsWith(QStringLiteral("133 ")));
  // The masks' page and the interleaving of the four blocks.
  for (int mask = 0; mask < 8; ++mask)
    EXPECT_NE(lab->findChild<QLabel*>(QStringLiteral("LabMask%1").arg(mask)), nullptr) << mask;
  const QString used = QStringLiteral("マスク %1\n（このシンボル").arg(lab->Lab()->Original().mask);
  EXPECT_TRUE(lab->findChild<QLabel*>(QStringLiteral("LabMaskCaption%1").arg(lab->Lab()->Original().mask))->text().startsWith(used));
  EXPECT_TRUE(In<QPlainTextEdit>(*lab, "LabInterleaving")->toPlainText().contains(QStringLiteral("ブロック 3 のデータ: 3 7 11")));
  // No matrix to open: the window says what to do.
  EXPECT_FALSE(lab->OpenFrom(nullptr));
  EXPECT_EQ(lab->Lab(), nullptr);
  EXPECT_FALSE(lab->Message().isEmpty());
}

}  // namespace
