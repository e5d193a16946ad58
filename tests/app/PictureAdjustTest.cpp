#include <QAction>
#include <QLabel>
#include <gtest/gtest.h>

#include "MainUnit.h"
#include "PictureAdjust.h"
#include "TestSymbols.h"
#include "WindowTestSupport.h"
#include "decoder/PictureOperations.h"

namespace {

using namespace testing_support;
using window_testing::MainWindow;

// ツール → 画像の調整: an inverted symbol, which no parameter reads, reads once
// the picture is inverted back; the operated picture replaces the loaded one
// as a load does, a label on 読み込み画像 names the operations while any is
// applied, and 元に戻す brings back the picture as loaded without a label.
TEST_F(MainWindow, PictureOperationsReplaceTheLoadedPictureWithALabel) {
  form_->show();
  const TBitmap symbol = RenderSymbol(EncodeBytes("adjusted", 2, 1), 4);
  const TBitmap inverted = ApplyOperations(symbol, {true, false, 0});
  ASSERT_EQ(Load(inverted, "inverted.bmp"), TForm1::TLoadResult::Loaded);
  const auto label = [this] { return form_->findChild<QLabel*>(QStringLiteral("SampleCaptionLabel")); };
  EXPECT_TRUE(label() == nullptr || !label()->isVisible());
  form_->AnalyBtnClick();
  ASSERT_FALSE(form_->LastAnalysis().decoded);

  Find<QAction>("AdjustInvertAction")->trigger();
  EXPECT_EQ(form_->Picture(), symbol);
  EXPECT_TRUE(form_->Adjuster().Operations().invert);
  ASSERT_NE(label(), nullptr);
  EXPECT_TRUE(label()->isVisible());
  EXPECT_EQ(label()->text(), "画像の調整：白黒反転");
  form_->AnalyBtnClick();
  EXPECT_TRUE(form_->LastAnalysis().decoded);

  // Operations add up from the picture as loaded: four quarter turns and two mirrors are none.
  for (int i = 0; i < 4; ++i) Find<QAction>("AdjustRotateAction")->trigger();
  Find<QAction>("AdjustMirrorAction")->trigger();
  Find<QAction>("AdjustMirrorAction")->trigger();
  EXPECT_EQ(form_->Adjuster().Operations(), (TPictureOperations{true, false, 0}));
  Find<QAction>("AdjustRotateAction")->trigger();
  EXPECT_EQ(form_->Picture(), ApplyOperations(inverted, {true, false, 90}));
  EXPECT_EQ(label()->text(), "画像の調整：白黒反転、90° 回転");

  Find<QAction>("AdjustResetAction")->trigger();
  EXPECT_EQ(form_->Picture(), inverted);
  EXPECT_FALSE(label()->isVisible());
  // A new load ends the operations.
  Find<QAction>("AdjustMirrorAction")->trigger();
  ASSERT_EQ(Load(symbol, "plain.bmp"), TForm1::TLoadResult::Loaded);
  EXPECT_FALSE(form_->Adjuster().Operations().Any());
  EXPECT_EQ(form_->Picture(), symbol);
  EXPECT_FALSE(label()->isVisible());
}

}  // namespace
