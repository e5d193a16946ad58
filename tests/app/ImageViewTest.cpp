#include <cmath>
#include <memory>

#include <QApplication>
#include <QMouseEvent>
#include <QSignalSpy>
#include <QTest>
#include <QWheelEvent>
#include <gtest/gtest.h>

#include "ImageView.h"
#include "WindowTestSupport.h"

namespace {

void Wheel(TImageView& view, QPoint at, int eighths) {
  QWheelEvent wheel(at, view.mapToGlobal(at), QPoint(), QPoint(0, eighths), Qt::NoButton, Qt::NoModifier,
                    Qt::NoScrollPhase, false);
  QApplication::sendEvent(&view, &wheel);
}

void Drag(TImageView& view, QPoint from, QPoint to) {
  QTest::mousePress(&view, Qt::LeftButton, {}, from);
  for (int step = 1; step <= 4; ++step) {
    const QPoint at = from + (to - from) * step / 4;
    QMouseEvent move(QEvent::MouseMove, at, view.mapToGlobal(at), Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&view, &move);
  }
  QTest::mouseRelease(&view, Qt::LeftButton, {}, to);
}

bool Near(double a, double b) { return std::abs(a - b) < 1e-9; }

TEST(ImageView, WheelAndDragChangeTheViewDoubleClickRestoresIt) {
  TImageView view;
  view.resize(420, 420);
  TBitmap picture(210, 210);
  view.SetPicture(picture);
  ASSERT_TRUE(view.Stretched());
  QSignalSpy changes(&view, &TImageView::ViewChanged);

  // One notch about a point: two display pixels per picture pixel (the fit)
  // times 2^(1/4), and the pixel under the cursor stays under it.
  const QPoint at(100, 200);
  const QPoint under = view.PixelAt(at);
  EXPECT_EQ(under, QPoint(50, 100));
  Wheel(view, at, 120);
  EXPECT_FALSE(view.Stretched());
  EXPECT_TRUE(Near(view.Zoom(), 2 * std::exp2(0.25)));
  EXPECT_EQ(view.PixelAt(at), under);
  Wheel(view, at, 120 * 100);
  EXPECT_TRUE(Near(view.Zoom(), TImageView::kMaxZoom));
  EXPECT_EQ(view.PixelAt(at), under);

  // Dragging to the left shows what lies to the right.
  const QPointF origin = view.Origin();
  Drag(view, QPoint(300, 200), QPoint(236, 200));
  EXPECT_TRUE(Near(view.Origin().x(), origin.x() + 64 / TImageView::kMaxZoom));
  EXPECT_TRUE(Near(view.Origin().y(), origin.y()));

  QTest::mouseDClick(&view, Qt::LeftButton, {}, QPoint(10, 10));
  EXPECT_TRUE(view.Stretched());
  EXPECT_EQ(view.PixelAt(at), under);

  // Keys: + zooms about the middle, 0 stretches again; zooming out stops at 1/16,
  // where a small picture sits in the middle of the pane.
  view.setFocus();
  QTest::keyClick(&view, Qt::Key_Plus);
  EXPECT_FALSE(view.Stretched());
  QTest::keyClick(&view, Qt::Key_0);
  EXPECT_TRUE(view.Stretched());
  Wheel(view, at, -120 * 100);
  EXPECT_TRUE(Near(view.Zoom(), TImageView::kMinZoom));
  EXPECT_EQ(view.PixelAt(QPoint(0, 0)), QPoint(-1, -1));
  EXPECT_GT(view.PixelAt(QPoint(210, 210)).x(), 90);
  EXPECT_LT(view.PixelAt(QPoint(210, 210)).x(), 120);
  EXPECT_GE(changes.count(), 6);

  // A drag from the stretched view pans from the fitted view; a click without
  // a drag names its pixel; a picture of another size starts stretched.
  view.ShowStretched();
  QSignalSpy clicks(&view, &TImageView::PixelClicked);
  QTest::mouseClick(&view, Qt::LeftButton, {}, at);
  ASSERT_EQ(clicks.count(), 1);
  EXPECT_EQ(clicks[0][0].toPoint(), under);
  Drag(view, QPoint(200, 200), QPoint(100, 200));
  EXPECT_FALSE(view.Stretched());
  EXPECT_EQ(clicks.count(), 1);
  view.SetPicture(TBitmap(30, 30));
  EXPECT_TRUE(view.Stretched());
}

// The wheel zooms by a quarter of a doubling a notch, from the fit of two
// display pixels per picture pixel: 16 notches reach 32, 36 notches back reach
// 1/16, and a notch past either end changes nothing, the pixels on screen
// included (32 display pixels to a picture pixel, 16 picture pixels to a
// display pixel).
TEST(ImageView, WheelStopsAtThirtyTwoDisplayPixelsAndAtOneSixteenth) {
  TImageView view;
  view.resize(420, 420);
  view.SetPicture(TBitmap(210, 210));
  const QPoint at(210, 210);
  struct TCase {
    int notches;  // from the view before, one at a time
    double zoom;  // display pixels per picture pixel afterwards
    QPoint step;  // a display step from the cursor ...
    int pixels;   // ... crosses this many picture pixels
  };
  const TCase cases[] = {
      {16, 32, {32, 0}, 1}, {1, 32, {32, 0}, 1}, {10, 32, {64, 0}, 2},
      {-36, 1.0 / 16, {1, 0}, 16}, {-1, 1.0 / 16, {1, 0}, 16}, {-10, 1.0 / 16, {2, 0}, 32},
  };
  for (const TCase& c : cases) {
    for (int n = 0; n < std::abs(c.notches); ++n) Wheel(view, at, c.notches > 0 ? 120 : -120);
    SCOPED_TRACE(testing::Message() << c.notches << " notches to " << c.zoom);
    EXPECT_TRUE(Near(view.Zoom(), c.zoom)) << view.Zoom();
    EXPECT_EQ(view.PixelAt(at + c.step).x() - view.PixelAt(at).x(), c.pixels);
  }
}

// What the pane shows at a display pixel is the picture pixel the readout
// names there, enlarged stretched or zoomed, for any ratio.
TEST(ImageView, ReadoutNamesThePixelShownUnderTheCursor) {
  TBitmap picture(29, 23);
  for (int y = 0; y < 23; ++y)
    for (int x = 0; x < 29; ++x) picture.SetPixel(x, y, static_cast<TColor>(x * 8 | (y * 8) << 8));
  TImageView view;
  view.resize(420, 400);
  view.SetPicture(picture);
  const auto check = [&](const char* what) {
    const QImage& shown = view.Shown();
    int mismatches = 0;
    for (int y = 0; y < shown.height(); y += 3)
      for (int x = 0; x < shown.width(); x += 3) {
        const QPoint pixel = view.PixelAt(QPoint(x, y));
        const QRgb expected = pixel.x() < 0 ? view.palette().color(QPalette::Window).rgb()
                                            : qRgb(pixel.x() * 8, pixel.y() * 8, 0);
        if (shown.pixel(x, y) != expected && ++mismatches <= 3) ADD_FAILURE() << what << " at " << x << ", " << y;
      }
  };
  check("stretched");
  view.SetZoom(3.7, QPointF(-4.3, 2.6));
  check("zoom 3.7");
  view.SetZoom(32, QPointF(10.2, 11.9));
  check("zoom 32");
}

// A mark painted by a stage on a 12-megapixel pane stays a whole display
// pixel in its own colour when the pane shrinks the picture 10 or 16 times;
// without the marks it is averaged away like any other pixel.
TEST(ImageView, PaintedPixelOfATwelveMegapixelPaneShowsWhenShrunk) {
  auto plane = std::make_shared<TPlaneBoolean>(4000, 3000);
  for (int y = 1000; y < 2000; ++y)
    for (int x = 1500; x < 2500; ++x) (*plane)[x][y] = 1;
  TBitmap picture = TBitmap::FromSharedPlane(plane, 4000, 3000);
  const QPoint mark(1234, 2345);
  picture.SetPixel(mark.x(), mark.y(), kRed);
  picture.SetPixel(1700, 1500, kYellow);  // on the dark square
  ASSERT_NE(picture.Plane(), nullptr);

  TImageView view;
  view.resize(420, 420);
  view.SetPicture(picture);
  const auto shownAt = [&](QPoint pixel) {
    const QPointF centre = view.CentreOf(pixel);
    return view.Shown().pixel(static_cast<int>(std::floor(centre.x())), static_cast<int>(std::floor(centre.y())));
  };
  EXPECT_EQ(shownAt(mark), qRgb(255, 0, 0));
  EXPECT_EQ(shownAt(QPoint(1700, 1500)), qRgb(255, 255, 0));
  EXPECT_EQ(view.MarksPainted(), 2u);
  for (const double zoom : {1.0 / 16, 0.1, 1.0 / 3}) {
    view.SetZoom(zoom, QPointF(1000, 2000));
    EXPECT_EQ(shownAt(mark), qRgb(255, 0, 0)) << zoom;
  }
  view.SetMarksShown(false);
  EXPECT_NE(shownAt(mark), qRgb(255, 0, 0));
  EXPECT_EQ(view.MarksPainted(), 0u);
  // Enlarged, the pixel is a crisp square of its own colour anyway.
  view.SetZoom(8, QPointF(mark.x() - 10, mark.y() - 10));
  const QPointF corner = view.CentreOf(mark) - QPointF(4, 4);
  EXPECT_EQ(view.Shown().pixel(corner.toPoint()), qRgb(255, 0, 0));
  EXPECT_EQ(view.Shown().pixel((corner + QPointF(7, 7)).toPoint()), qRgb(255, 0, 0));
  EXPECT_EQ(view.Shown().pixel((corner - QPointF(1, 1)).toPoint()), qRgb(255, 255, 255));
}

// The alignment nodes come from the sampling grid: a dot over the red
// sampling point painted on the node's own pixel when shrunk, a ring around
// it when magnified, nothing when the marks are hidden.
TEST(ImageView, AlignmentNodesAreDotsWhenShrunkAndRingsWhenMagnified) {
  const auto bluish = [](QRgb c) { return qBlue(c) > 180 && qRed(c) < 90 && qGreen(c) < 90; };
  auto plane = std::make_shared<TPlaneBoolean>(2000, 2000);
  TBitmap picture = TBitmap::FromSharedPlane(plane, 2000, 2000);
  picture.SetPixel(1000, 1000, kRed);
  TImageView view;
  view.resize(420, 420);
  view.SetPicture(picture);
  view.SetNodes({{1000, 1000}});
  const QPointF centre = view.CentreOf(QPoint(1000, 1000));
  EXPECT_TRUE(bluish(view.Shown().pixel(centre.toPoint())));

  view.SetZoom(8, QPointF(990, 990));
  const QPointF magnified = view.CentreOf(QPoint(1000, 1000));
  EXPECT_EQ(view.Shown().pixel(magnified.toPoint()), qRgb(255, 0, 0));
  int ringPixels = 0;
  for (int dx = 6; dx <= 14; ++dx) ringPixels += bluish(view.Shown().pixel((magnified + QPointF(dx, 0)).toPoint()));
  EXPECT_GE(ringPixels, 1);
  view.SetMarksShown(false);
  for (int dx = 6; dx <= 14; ++dx) EXPECT_FALSE(bluish(view.Shown().pixel((magnified + QPointF(dx, 0)).toPoint())));
}

// Marks on a shrunk picture are two display pixels wide, four in a drawing at
// twice the resolution; a mark's own display pixel keeps its colour beside a
// neighbour's widened one; enlarged pixels are as wide as the zoom makes them.
TEST(ImageView, MarksOnAShrunkPictureAreAtLeastTwoDisplayPixelsWide) {
  auto plane = std::make_shared<TPlaneBoolean>(4000, 3000);
  TBitmap picture = TBitmap::FromSharedPlane(plane, 4000, 3000);
  for (int y = 0; y < 3000; ++y) picture.SetPixel(1234, y, kRed);  // a line one pixel wide
  TImageView view;
  view.resize(420, 420);
  view.SetPicture(picture);
  // Red display pixels along the middle row of a drawing.
  const auto redAcross = [](const QImage& image) {
    int red = 0;
    for (int x = 0; x < image.width(); ++x) red += image.pixel(x, image.height() / 2) == qRgb(255, 0, 0);
    return red;
  };
  struct TCase {
    const char* name;
    double zoom;  // 0: stretched
    int shown;
  };
  for (const TCase& c : std::vector<TCase>{{"stretched", 0, 2}, {"zoom 1/16", 1.0 / 16, 2}, {"zoom 0.1", 0.1, 2},
                                           {"zoom 1/3", 1.0 / 3, 2}, {"zoom 8", 8, 8}}) {
    SCOPED_TRACE(c.name);
    if (c.zoom > 0) view.SetZoom(c.zoom, QPointF(1234 - 200 / c.zoom, 1000));
    EXPECT_EQ(redAcross(view.Shown()), c.shown);
    EXPECT_EQ(redAcross(view.Render(2)), 2 * c.shown);
    EXPECT_EQ(view.Render(1), view.Shown()) << "the same drawing as the pane's";
  }

  // Two marks in neighbouring display pixels: each keeps its own.
  TBitmap pair = TBitmap::FromSharedPlane(plane, 4000, 3000);
  const QPoint red(2000, 1500), blue(2010, 1500);  // ten pixels apart: 1.05 display pixels
  pair.SetPixel(red.x(), red.y(), kRed);
  pair.SetPixel(blue.x(), blue.y(), kBlue);
  view.SetPicture(pair);
  view.ShowStretched();
  const auto at = [&](QPoint pixel) {
    const QPointF centre = view.CentreOf(pixel);
    return view.Shown().pixel(static_cast<int>(std::floor(centre.x())), static_cast<int>(std::floor(centre.y())));
  };
  ASSERT_NE(std::floor(view.CentreOf(red).x()), std::floor(view.CentreOf(blue).x()));
  EXPECT_EQ(at(red), qRgb(255, 0, 0));
  EXPECT_EQ(at(blue), qRgb(0, 0, 255));
  EXPECT_EQ(view.MarksPainted(), 2u);
  view.SetMarksShown(false);
  EXPECT_EQ(redAcross(view.Shown()), 0);

  // A row of points 2.3 display pixels apart (a shrunk grid of sampling
  // points) keeps one display pixel each, so that the picture shows between them.
  TBitmap grid = TBitmap::FromSharedPlane(plane, 4000, 3000);
  for (int x = 100; x < 3900; x += 22) grid.SetPixel(x, 1500, kRed);
  TImageView dense;
  dense.resize(420, 420);
  dense.SetPicture(grid);
  const int row = static_cast<int>(std::floor(dense.CentreOf(QPoint(0, 1500)).y()));
  int across = 0, points = 0, down = 0;
  for (int x = 0; x < 420; ++x) across += dense.Shown().pixel(x, row) == qRgb(255, 0, 0);
  for (int x = 100; x < 3900; x += 22) ++points;
  EXPECT_EQ(across, points);
  const int column = static_cast<int>(std::floor(dense.CentreOf(QPoint(100 + 22 * 86, 1500)).x()));
  for (int y = 0; y < 420; ++y) down += dense.Shown().pixel(column, y) == qRgb(255, 0, 0);
  EXPECT_EQ(down, 2) << "alone in its column, each point is widened along y";
}

}  // namespace
