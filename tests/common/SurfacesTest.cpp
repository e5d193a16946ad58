#include <gtest/gtest.h>

#include "common/Messages.h"
#include "common/Surfaces.h"

TEST(Surfaces, PanesKeepCopiesOtherStatusPanelsAreIgnoredNamesAreExact) {
  TSurfaces surfaces;
  TBitmap mine(4, 4);
  TImagePane& front = surfaces.Image(TImagePaneId::FrontImage);
  front.ReplacePicture(mine);
  mine.SetPixel(0, 0, kRed);
  EXPECT_EQ(front.CurrentPicture().Pixel(0, 0), kWhite);
  front.CurrentPicture().SetPixel(1, 1, kRed);
  EXPECT_EQ(front.CurrentPicture().Pixel(1, 1), kRed);
  EXPECT_EQ(mine.Pixel(1, 1), kWhite);

  surfaces.SetStatus(1, "解析中");
  surfaces.SetStatus(2, "ignored");
  EXPECT_EQ(surfaces.Status(2), "");
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
