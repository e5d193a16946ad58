#include <gtest/gtest.h>

#include <QImage>

#include "common/Bitmap.h"
#include "picture/QtPicture.h"

namespace {

TEST(QtPicture, ColoursCrossBothWaysPixelForPixel) {
  TBitmap bitmap(5, 2);
  bitmap.SetPixel(0, 0, kBlack);
  bitmap.SetPixel(1, 0, kRed);
  bitmap.SetPixel(2, 0, kBlue);
  bitmap.SetPixel(3, 0, 0x123456);
  const QImage image = ToQImage(bitmap);
  ASSERT_EQ(image.format(), QImage::Format_RGB32);
  EXPECT_EQ(image.pixel(0, 0), qRgb(0, 0, 0));
  EXPECT_EQ(image.pixel(1, 0), qRgb(255, 0, 0));
  EXPECT_EQ(image.pixel(2, 0), qRgb(0, 0, 255));
  EXPECT_EQ(image.pixel(3, 0), qRgb(0x56, 0x34, 0x12));
  EXPECT_EQ(image.pixel(4, 1), qRgb(255, 255, 255));
  EXPECT_EQ(FromQImage(image), bitmap);
  // Any format comes back as colours, the alpha dropped.
  EXPECT_EQ(FromQImage(image.convertToFormat(QImage::Format_ARGB32_Premultiplied)), bitmap);
  EXPECT_TRUE(ToQImage(TBitmap()).isNull());
}

TEST(QtPicture, APictureOverAPlaneShowsItsPaintedPixels) {
  TPlaneBoolean plane(100, 80);
  plane(1, 1) = 1;
  TBitmap picture = TBitmap::FromPlane(plane);
  picture.SetPixel(2, 0, kRed);
  ASSERT_NE(picture.Plane(), nullptr);
  const QImage image = ToQImage(picture);
  EXPECT_EQ(image.pixel(1, 1), qRgb(0, 0, 0));
  EXPECT_EQ(image.pixel(2, 0), qRgb(255, 0, 0));
  EXPECT_EQ(image.pixel(0, 0), qRgb(255, 255, 255));
  EXPECT_NE(picture.Plane(), nullptr);  // read without widening the picture
}

}  // namespace
