#include <gtest/gtest.h>

#include <array>
#include <limits>
#include <vector>

#include "ModulePlanes.h"
#include "TestSymbols.h"
#include "common/Bitmap.h"
#include "common/Surfaces.h"
#include "locate/TimingPattern.h"

namespace {

using namespace testing_support;

// An upright version-1 symbol at 10 pixels per module with a 4-module quiet
// zone: the finder centres are kP0, kP1, kP2 and the timing patterns run
// along pixel row and column 100 .. 109.
constexpr TPoint kP0{75, 75}, kP1{215, 75}, kP2{75, 215};
TPlaneBoolean VersionOnePlane() { return ThresholdPlane(RenderSymbol(EncodeBytes("TIMING", 1, 0), 10, 4, 0)); }
const TBitmap& TimeImage(TSurfaces& surfaces) { return surfaces.Image(TImagePaneId::TimeImage).CurrentPicture(); }

TEST(TimingPatternCheck, VersionOnePassesAtPitchTenVersionTwoFallsOutOfStep) {
  TSurfaces surfaces;
  TPlaneBoolean plane = VersionOnePlane();
  TTimingPattern timing(surfaces, kP0, kP1, kP2);
  EXPECT_EQ(timing.Length1(), 140);
  EXPECT_EQ(timing.Length2(), 140);
  ASSERT_TRUE(timing.CheckVersion(1, plane, 290, 290));
  EXPECT_EQ(timing.Size(), 21);
  EXPECT_EQ(timing.Pitch1(), 10);
  // Nine samples on row 105 from x = 105; axis 2 is not sampled once axis 1 passes.
  TBitmap expected = TBitmap::FromPlane(plane);
  for (std::int32_t x = 105; x <= 185; x += 10) expected.SetPixel(x, 105, kRed);
  EXPECT_EQ(TimeImage(surfaces), expected);

  EXPECT_FALSE(timing.CheckVersion(2, plane, 290, 290));
  EXPECT_EQ(timing.Size(), 25);
  EXPECT_EQ(timing.Pitch1(), 140.0L / 18);
  // Both axes were sampled, 13 samples each from the shared start point, on a fresh picture.
  EXPECT_EQ(RedPixels(TimeImage(surfaces)).size(), 25u);

  // With the timing row damaged, the column passes.
  for (std::int32_t y = 100; y <= 109; ++y)
    for (std::int32_t x = 110; x <= 179; ++x) plane[x][y] = 0;
  EXPECT_TRUE(timing.CheckVersion(1, plane, 290, 290));
  std::vector<TPoint> samples;
  for (std::int32_t x = 105; x <= 185; x += 10) samples.push_back({x, 105});
  for (std::int32_t y = 115; y <= 185; y += 10) samples.push_back({105, y});
  EXPECT_EQ(RedPixels(TimeImage(surfaces)), samples);
}

TEST(TimingPatternCheck, SamplesOutsideThePlaneAndVersionsOutsideTheSymbologyFail) {
  TSurfaces surfaces;
  const TPlaneBoolean plane = VersionOnePlane();
  // The timing row lies inside the plane but beyond the given width: it is not read.
  TTimingPattern timing(surfaces, kP0, kP1, kP2);
  EXPECT_FALSE(timing.CheckVersion(1, plane, 150, 150));
  EXPECT_EQ(TimeImage(surfaces).Width(), 150);
  for (const TPoint& p : RedPixels(TimeImage(surfaces))) EXPECT_LT(p.x, 150);
  // Refused after drawing the plane.
  for (std::int32_t version : {0, -5, 41, std::numeric_limits<std::int32_t>::max(), std::numeric_limits<std::int32_t>::min()}) {
    surfaces.Image(TImagePaneId::TimeImage).ReplacePicture(TBitmap(3, 3));
    EXPECT_FALSE(timing.CheckVersion(version, plane, 290, 290));
    EXPECT_EQ(TimeImage(surfaces), TBitmap::FromPlane(plane));
  }
  // Centres far off the plane, and partly off it.
  TTimingPattern outside(surfaces, {-400, -400}, {-100, -400}, {-400, -100});
  EXPECT_FALSE(outside.CheckVersion(1, plane, 290, 290));
  EXPECT_EQ(outside.EstimateVersion(plane), 1);
  TTimingPattern across(surfaces, {250, 250}, {900, 250}, {250, 900});
  EXPECT_FALSE(across.CheckVersion(3, plane, 290, 290));
  EXPECT_GE(across.EstimateVersion(plane), 1);
}

// A light plane in which the walk beside axis 1 (row 76 from x = 75) meets
// `changes1` colour changes and the walk beside axis 2 (column 76 from y = 75)
// meets `changes2`: the first light pixel is one change, each lone dark pixel
// two more, and a dark run to the end one more.
TPlaneBoolean ChangesPlane(std::int32_t changes1, std::int32_t changes2) {
  TPlaneBoolean plane(290, 290);
  for (const bool row : {true, false}) {
    const std::int32_t changes = row ? changes1 : changes2;
    auto set = [&](std::int32_t t) { (row ? plane[t][76] : plane[76][t]) = 1; };
    for (std::int32_t left = changes - 1, t = 80; left >= 2; left -= 2, t += 2) set(t);
    if (changes % 2 == 0)
      for (std::int32_t u = 200; u <= 215; ++u) set(u);
  }
  return plane;
}

TEST(TimingPatternEstimate, ChangesBetweenCentresGiveALowerEstimatePaintedOnTheCurrentPicture) {
  TSurfaces surfaces;
  TTimingPattern timing(surfaces, kP0, kP1, kP2);
  for (const auto [changes1, changes2, version] :
       {std::array{24, 24, 1}, {30, 12, 3}, {25, 3, 2}, {12, 28, 2}, {29, 1, 3}, {33, 1, 4}, {1, 1, 1}})
    EXPECT_EQ(timing.EstimateVersion(ChangesPlane(changes1, changes2)), version) << changes1 << " / " << changes2;

  const TBitmap black = TBitmap::FromPlane(TPlaneBoolean(290, 290, 1));
  surfaces.Image(TImagePaneId::TimeImage).ReplacePicture(black);
  EXPECT_EQ(timing.EstimateVersion(ChangesPlane(3, 2)), 1);
  // Row 76: light at 75, dark at 80, light at 81. Column 76: light at 75, dark from 200.
  TBitmap expected = black;
  for (const TPoint& p : {TPoint{75, 76}, TPoint{80, 76}, TPoint{81, 76}, TPoint{76, 75}, TPoint{76, 200}})
    expected.SetPixel(p.x, p.y, kRed);
  EXPECT_EQ(TimeImage(surfaces), expected);
}

TEST(TimingPatternEstimate, AChangeOnTheFarCentreIsCountedAndMarked) {
  // Beside axis 1 the walk ends on (215, 76), beside axis 2 on (76, 215): each
  // line's 25th change lies on that last pixel, and only with it do 25 changes
  // make version 2.
  TSurfaces surfaces;
  TTimingPattern timing(surfaces, kP0, kP1, kP2);
  TPlaneBoolean plane = ChangesPlane(24, 24);
  plane[215][76] = 0;
  plane[76][215] = 0;
  const TBitmap black = TBitmap::FromPlane(TPlaneBoolean(290, 290, 1));
  surfaces.Image(TImagePaneId::TimeImage).ReplacePicture(black);
  EXPECT_EQ(timing.EstimateVersion(plane), 2);
  EXPECT_EQ(TimeImage(surfaces).Pixel(215, 76), kRed);
  EXPECT_EQ(TimeImage(surfaces).Pixel(76, 215), kRed);
}

}  // namespace
