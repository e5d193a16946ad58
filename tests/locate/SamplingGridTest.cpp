#include <gtest/gtest.h>

#include "common/Bitmap.h"
#include "common/Errors.h"
#include "common/Surfaces.h"
#include "locate/Coordinates.h"

namespace {

// The frame of an upright version-1 symbol at 10 pixels per module whose
// outer corners are (40, 40) and (249, 249): edges of 209 pixels.
void VersionOneFrame(TCoordinates& geometry) {
  geometry.SettleVersion(1);
  geometry.SetCorners({40, 40}, {249, 40}, {40, 249}, {249, 249});
}

// A version-2 frame: 25 modules over 249 pixels.
void VersionTwoFrame(TCoordinates& geometry) {
  geometry.SetCentres({75, 75}, {254, 75}, {75, 254});
  geometry.SettleVersion(2);
  geometry.SetCorners({40, 40}, {289, 40}, {40, 289}, {289, 289});
}

void FillBlock(TPlaneBoolean& plane, std::int32_t left, std::int32_t top, std::int32_t right, std::int32_t bottom) {
  for (std::int32_t y = top; y <= bottom; ++y)
    for (std::int32_t x = left; x <= right; ++x) plane[x][y] = 1;
}

TEST(SamplingGridMapping, ModuleCentresOfTheVersionOneFrame) {
  TSurfaces surfaces;
  TCoordinates geometry(surfaces);
  VersionOneFrame(geometry);
  EXPECT_EQ(geometry.MapModule(0, 0), (TPoint{45, 45}));      // 44.98
  EXPECT_EQ(geometry.MapModule(20, 20), (TPoint{244, 244}));  // 244.02
  EXPECT_EQ(geometry.MapModule(6, 6), (TPoint{105, 105}));
  EXPECT_EQ(geometry.MapModule(14, 6), (TPoint{184, 105}));
  // Version 1 samples at the frame position itself.
  const TPlaneBoolean plane(290, 290);
  EXPECT_EQ(geometry.GetSamplePoint(plane, 14, 6), (TPoint{184, 105}));
  EXPECT_EQ(geometry.GetSamplePoint(plane, 20, 20), (TPoint{244, 244}));
}

TEST(SamplingGridMapping, DeviationOfTheFourthCornerBendsTheFarModules) {
  TSurfaces surfaces;
  TCoordinates geometry(surfaces);
  geometry.SettleVersion(1);
  // The bottom-right corner 21 pixels further right than a parallelogram.
  geometry.SetCorners({0, 0}, {210, 0}, {0, 210}, {231, 210});
  EXPECT_EQ(geometry.MapModule(0, 20), (TPoint{5, 205}));     // left edge: no deviation
  EXPECT_EQ(geometry.MapModule(20, 0), (TPoint{205, 5}));     // top row: 205 + 20.5 / 21 * 0.5 / 21 * 21 = 205.49
  EXPECT_EQ(geometry.MapModule(20, 20), (TPoint{225, 205}));  // 205 + 20.5 / 21 * 20.5 / 21 * 21
}

TEST(SamplingGridMapping, DegenerateFrameOrNoVersion) {
  TSurfaces surfaces;
  TCoordinates geometry(surfaces);
  const TPlaneBoolean plane(10, 10);
  EXPECT_EQ(geometry.GetSamplePoint(plane, 5, 5), (TPoint{0, 0}));  // no version settled
  geometry.SettleVersion(1);
  geometry.SetCorners({10, 10}, {10, 10}, {10, 50}, {50, 50});
  EXPECT_THROW(geometry.MapModule(3, 3), TMathError);
}

TEST(SamplingGridNodes, NearestNodeOfVersionTwo) {
  TSurfaces surfaces;
  TCoordinates geometry(surfaces);
  geometry.SettleVersion(2);  // positions 6 and 18
  EXPECT_EQ(geometry.NearestGridNode(10, 10), (TPoint{0, 0}));
  EXPECT_EQ(geometry.NearestGridNode(20, 20), (TPoint{1, 1}));
  EXPECT_EQ(geometry.NearestGridNode(12, 12), (TPoint{0, 0}));  // equal to all four: first wins
  EXPECT_EQ(geometry.NearestGridNode(12, 13), (TPoint{0, 1}));
  EXPECT_EQ(geometry.NearestGridNode(24, 0), (TPoint{1, 0}));
}

TEST(SamplingGridNodes, VersionOneRefinesOnlyTheFourthNode) {
  TSurfaces surfaces;
  TCoordinates geometry(surfaces);
  VersionOneFrame(geometry);
  geometry.SetCentres({75, 75}, {215, 75}, {75, 215});
  geometry.SettleVersion(1);
  TPlaneBoolean plane(290, 290);
  FillBlock(plane, 180, 180, 189, 189);  // module (14, 14)
  geometry.BuildAlignmentGrid(plane, 290, 290);
  const TPlanePoint& grid = geometry.Grid();
  ASSERT_EQ(grid.Width(), 2);
  EXPECT_EQ(grid[0][0], (TPoint{105, 105}));
  EXPECT_EQ(grid[1][0], (TPoint{184, 105}));
  EXPECT_EQ(grid[0][1], (TPoint{105, 184}));
  EXPECT_EQ(grid[1][1], (TPoint{185, 185}));  // (179 + 190 + 1) div 2
}

TEST(SamplingGridNodes, AlignmentDisplacementShiftsTheModulesNearestToIt) {
  TSurfaces surfaces;
  TCoordinates geometry(surfaces);
  VersionTwoFrame(geometry);
  const TPoint predicted = geometry.MapModule(18, 18);
  // The real alignment centre lies 3 pixels right of and 2 above the prediction.
  TPlaneBoolean plane(330, 330);
  FillBlock(plane, predicted.x - 2, predicted.y - 7, predicted.x + 7, predicted.y + 2);
  geometry.BuildAlignmentGrid(plane, 330, 330);
  EXPECT_EQ(geometry.Grid()[1][1], (TPoint{predicted.x + 3, predicted.y - 2}));
  // Finder corners keep their prediction.
  EXPECT_EQ(geometry.Grid()[1][0], geometry.MapModule(18, 6));

  const TPoint far = geometry.MapModule(20, 20);
  EXPECT_EQ(geometry.GetSamplePoint(plane, 20, 20), (TPoint{far.x + 3, far.y - 2}));
  EXPECT_EQ(geometry.GetSamplePoint(plane, 10, 10), geometry.MapModule(10, 10));
  EXPECT_EQ(geometry.GetSamplePoint(plane, 12, 12), geometry.MapModule(12, 12));

  // The picture: the plane with the four nodes in blue.
  geometry.DrawAdjustImage(plane, 330, 330);
  const TBitmap& picture = surfaces.Image(TImagePaneId::AdjustImage).CurrentPicture();
  ASSERT_EQ(picture.Width(), 330);
  std::int32_t blue = 0;
  for (std::int32_t y = 0; y < 330; ++y)
    for (std::int32_t x = 0; x < 330; ++x) {
      const TColor c = picture.Pixel(x, y);
      if (c == kBlue) ++blue;
      else if (c != (plane[x][y] ? kBlack : kWhite)) ADD_FAILURE() << x << "," << y;
    }
  EXPECT_EQ(blue, 4);
  EXPECT_EQ(picture.Pixel(predicted.x + 3, predicted.y - 2), kBlue);
}

class SnapToDarkCentre : public ::testing::Test {
 protected:
  // Pitch 10 unless the test says otherwise.
  void SetUp() override {
    geometry.SetCentres({0, 0}, {140, 0}, {0, 140});
    geometry.SettleVersion(1);
  }
  TSurfaces surfaces;
  TCoordinates geometry{surfaces};
  TPlaneBoolean plane{200, 200};
};

TEST_F(SnapToDarkCentre, DarkPredictionTakesTheCentreOfItsRuns) {
  FillBlock(plane, 180, 50, 189, 53);
  EXPECT_EQ(geometry.SnapToDarkCentre(plane, 200, 200, {182, 51}), (TPoint{185, 52}));
  // An L shape: the column through the pixel is taller than the one through the row's centre.
  FillBlock(plane, 100, 100, 109, 100);
  FillBlock(plane, 101, 90, 101, 104);
  // Column 101 runs from 90 to 104 (centre 97); column 105 would give 100.
  EXPECT_EQ(geometry.SnapToDarkCentre(plane, 200, 200, {101, 100}), (TPoint{105, 97}));
}

TEST_F(SnapToDarkCentre, LightPredictionSearchesSquaresTopRowFirst) {
  const TPoint p{100, 100};
  // Nothing within 2 pixels; within 3 the top row of the square comes first.
  FillBlock(plane, p.x + 3, p.y - 7, p.x + 7, p.y - 3);
  plane[p.x - 3][p.y - 1] = 1;
  plane[p.x][p.y + 3] = 1;
  EXPECT_EQ(geometry.SnapToDarkCentre(plane, 200, 200, p), (TPoint{p.x + 5, p.y - 5}));
}

TEST_F(SnapToDarkCentre, NothingWithinOneModuleOrAPitchBelowOnePixel) {
  plane[100][111] = 1;  // 11 pixels away, the pitch is 10
  EXPECT_EQ(geometry.SnapToDarkCentre(plane, 200, 200, {100, 100}), (TPoint{100, 100}));
  geometry.SetCentres({0, 0}, {5, 0}, {0, 5});
  geometry.SettleVersion(1);
  plane[101][100] = 1;
  EXPECT_EQ(geometry.SnapToDarkCentre(plane, 200, 200, {100, 100}), (TPoint{100, 100}));
}

TEST_F(SnapToDarkCentre, PredictionOutsideIsClampedToTheEdge) {
  FillBlock(plane, 196, 10, 199, 13);
  // Runs stop at the plane's edge on the dark side: (195 + 199 + 1) div 2.
  EXPECT_EQ(geometry.SnapToDarkCentre(plane, 200, 200, {202, 11}), (TPoint{197, 12}));
  EXPECT_EQ(geometry.SnapToDarkCentre(plane, 200, 200, {-40, -3}), (TPoint{0, 0}));
}

TEST_F(SnapToDarkCentre, LargePitchSearchStaysBounded) {
  geometry.SetCentres({0, 0}, {1400000000, 0}, {0, 1400000000});
  geometry.SettleVersion(1);
  plane[199][199] = 1;
  EXPECT_EQ(geometry.SnapToDarkCentre(plane, 200, 200, {0, 0}), (TPoint{199, 199}));
}

}  // namespace
