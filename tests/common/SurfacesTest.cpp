#include <gtest/gtest.h>

#include <memory>

#include "common/Messages.h"
#include "common/Surfaces.h"

TEST(Surfaces, ReplacePictureKeepsACopy) {
  TSurfaces surfaces;
  TBitmap mine(4, 4);
  surfaces.Image(TImagePaneId::FrontImage).ReplacePicture(mine);
  mine.SetPixel(0, 0, kRed);
  EXPECT_EQ(surfaces.Image(TImagePaneId::FrontImage).CurrentPicture().Pixel(0, 0), kWhite);
  surfaces.Image(TImagePaneId::FrontImage).CurrentPicture().SetPixel(1, 1, kRed);
  EXPECT_EQ(surfaces.Image(TImagePaneId::FrontImage).CurrentPicture().Pixel(1, 1), kRed);
  EXPECT_EQ(mine.Pixel(1, 1), kWhite);
}

TEST(Surfaces, PlanePicturesShareOnlyTheSharedBinaryPlane) {
  TSurfaces surfaces;
  auto shared = std::make_shared<TPlaneBoolean>(40, 30);
  (*shared)[3][4] = 1;
  surfaces.ShareBinaryPlane(shared);
  const TBitmap whole = surfaces.PlanePicture(*shared, 40, 30);
  const TBitmap cut = surfaces.PlanePicture(*shared, 10, 99);
  EXPECT_EQ(whole.Plane(), shared.get());
  EXPECT_EQ(cut.Plane(), shared.get());
  EXPECT_EQ(cut.Width(), 10);
  EXPECT_EQ(cut.Height(), 30);
  EXPECT_EQ(cut.Pixel(3, 4), kBlack);

  // Another plane, even one with the same pixels, is copied: the picture must
  // not change when the caller's plane does.
  TPlaneBoolean other = *shared;
  const TBitmap copied = surfaces.PlanePicture(other, 20, 20);
  EXPECT_NE(copied.Plane(), &other);
  EXPECT_EQ(copied.Width(), 20);
  other[3][4] = 0;
  EXPECT_EQ(copied.Pixel(3, 4), kBlack);
  EXPECT_EQ(copied, surfaces.PlanePicture(*shared, 20, 20));
}

TEST(Surfaces, TextPanesAppendAndClear) {
  TSurfaces surfaces;
  TTextPane& memo = surfaces.Text(TTextPaneId::RdSnMemo);
  memo.AppendLine("a");
  memo.AppendLine("");
  EXPECT_EQ(memo.Lines().size(), 2u);
  memo.Clear();
  EXPECT_TRUE(memo.Lines().empty());
  surfaces.SetStatus(1, "解析中");
  surfaces.SetStatus(2, "ignored");
  EXPECT_EQ(surfaces.Status(1), "解析中");
  EXPECT_EQ(PaneName(TImagePaneId::ClossLineImage), "ClossLineImage");
  EXPECT_EQ(PaneName(TTextPaneId::BLMemo), "BLMemo");
}

TEST(Messages, TableAndLevels) {
  EXPECT_EQ(ErrorMessage(1), "位置検出パターンがみつかりません。");
  EXPECT_EQ(ErrorMessage(4), "位置検出パターンが見つかりません。");
  EXPECT_EQ(ErrorMessage(6), "");
  EXPECT_EQ(ErrorMessage(11), "");
  EXPECT_STREQ(kLevelLetters[2], "Q");
}
