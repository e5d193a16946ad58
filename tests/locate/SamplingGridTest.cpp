#include <gtest/gtest.h>

#include "common/Bitmap.h"
#include "common/Errors.h"
#include "common/Surfaces.h"
#include "locate/Coordinates.h"

namespace {

void FillBlock(TPlaneBoolean& plane, std::int32_t left, std::int32_t top, std::int32_t right, std::int32_t bottom) {
  for (std::int32_t y = top; y <= bottom; ++y)
    for (std::int32_t x = left; x <= right; ++x) plane[x][y] = 1;
}

TEST(SamplingGridMapping, VersionOneFrameSamplesAtTheFramePositions) {
  TSurfaces surfaces;
  TCoordinates geometry(surfaces);
  const TPlaneBoolean plane(290, 290);
  EXPECT_EQ(geometry.GetSamplePoint(plane, 5, 5), (TPoint{0, 0}));  // no version settled
  // An upright version-1 symbol at 10 pixels per module: outer corners (40, 40) and (249, 249).
  geometry.SetCentres({75, 75}, {215, 75}, {75, 215});
  geometry.SettleVersion(1);
  geometry.SetCorners({40, 40}, {249, 40}, {40, 249}, {249, 249});
  EXPECT_EQ(geometry.MapModule(0, 0), (TPoint{45, 45}));      // 44.98
  EXPECT_EQ(geometry.MapModule(20, 20), (TPoint{244, 244}));  // 244.02
  EXPECT_EQ(geometry.MapModule(6, 6), (TPoint{105, 105}));
  EXPECT_EQ(geometry.MapModule(14, 6), (TPoint{184, 105}));
  EXPECT_EQ(geometry.GetSamplePoint(plane, 14, 6), (TPoint{184, 105}));
  EXPECT_EQ(geometry.GetSamplePoint(plane, 20, 20), (TPoint{244, 244}));

  // Only the fourth node of the alignment grid is refined: to the dark module (14, 14).
  TPlaneBoolean dark(290, 290);
  FillBlock(dark, 180, 180, 189, 189);
  geometry.BuildAlignmentGrid(dark, 290, 290);
  const TPlanePoint& grid = geometry.Grid();
  ASSERT_EQ(grid.Width(), 2);
  EXPECT_EQ(grid[0][0], (TPoint{105, 105}));
  EXPECT_EQ(grid[1][0], (TPoint{184, 105}));
  EXPECT_EQ(grid[0][1], (TPoint{105, 184}));
  EXPECT_EQ(grid[1][1], (TPoint{185, 185}));  // (179 + 190 + 1) div 2

  // A fourth corner 21 pixels right of the parallelogram bends only the far modules.
  geometry.SetCorners({0, 0}, {210, 0}, {0, 210}, {231, 210});
  EXPECT_EQ(geometry.MapModule(0, 20), (TPoint{5, 205}));
  EXPECT_EQ(geometry.MapModule(20, 0), (TPoint{205, 5}));     // 205 + 20.5 / 21 * 0.5 / 21 * 21 = 205.49
  EXPECT_EQ(geometry.MapModule(20, 20), (TPoint{225, 205}));  // 205 + 20.5 / 21 * 20.5 / 21 * 21
  geometry.SetCorners({0, 0}, {210, 0}, {0, 210}, {189, 189});  // up and to the left: both coordinates shrink
  EXPECT_EQ(geometry.MapModule(20, 20), (TPoint{185, 185}));
  geometry.SetCorners({10, 10}, {10, 10}, {10, 50}, {50, 50});
  EXPECT_THROW(geometry.MapModule(3, 3), TMathError);
}

TEST(SamplingGridNodes, AlignmentDisplacementMovesTheModulesNearestToIt) {
  TSurfaces surfaces;
  TCoordinates geometry(surfaces);
  geometry.SetCentres({75, 75}, {254, 75}, {75, 254});
  geometry.SettleVersion(2);  // alignment positions 6 and 18
  EXPECT_EQ(geometry.NearestGridNode(10, 10), (TPoint{0, 0}));
  EXPECT_EQ(geometry.NearestGridNode(20, 20), (TPoint{1, 1}));
  EXPECT_EQ(geometry.NearestGridNode(12, 12), (TPoint{0, 0}));  // equal to all four: the first wins
  EXPECT_EQ(geometry.NearestGridNode(12, 13), (TPoint{0, 1}));
  EXPECT_EQ(geometry.NearestGridNode(24, 0), (TPoint{1, 0}));

  geometry.SetCorners({40, 40}, {289, 40}, {40, 289}, {289, 289});
  const TPoint predicted = geometry.MapModule(18, 18);
  // The real alignment centre lies 3 pixels right of and 2 above the prediction.
  TPlaneBoolean plane(330, 330);
  FillBlock(plane, predicted.x - 2, predicted.y - 7, predicted.x + 7, predicted.y + 2);
  geometry.BuildAlignmentGrid(plane, 330, 330);
  EXPECT_EQ(geometry.Grid()[1][1], (TPoint{predicted.x + 3, predicted.y - 2}));
  EXPECT_EQ(geometry.Grid()[1][0], geometry.MapModule(18, 6));  // finder corners keep their prediction
  EXPECT_EQ(geometry.LargestGridShift(), 4);  // the root of 3^2 + 2^2
  const TPoint far = geometry.MapModule(20, 20);
  EXPECT_EQ(geometry.GetSamplePoint(plane, 20, 20), (TPoint{far.x + 3, far.y - 2}));
  EXPECT_EQ(geometry.GetSamplePoint(plane, 12, 12), geometry.MapModule(12, 12));

  // The picture: the plane with the four nodes in blue.
  geometry.DrawAdjustImage(plane, 330, 330);
  TBitmap expected = TBitmap::FromPlane(plane);
  for (std::int32_t j = 0; j < 2; ++j)
    for (std::int32_t i = 0; i < 2; ++i) expected.SetPixel(geometry.Grid()[i][j].x, geometry.Grid()[i][j].y, kBlue);
  EXPECT_EQ(surfaces.Image(TImagePaneId::AdjustImage).CurrentPicture(), expected);
}

// A node predicted two thousand million pixels out and pulled onto the plane
// has moved farther than a 32-bit count reaches: the figure saturates, and
// noting it fails nothing.
TEST(SamplingGridNodes, AShiftBeyondThirtyTwoBitsIsNotedAsTheLargestCount) {
  TSurfaces surfaces;
  TCoordinates geometry(surfaces);
  geometry.SettleVersion(40);
  geometry.SetCorners({-2000000000, -2000000000}, {100000000, -2000000000}, {-2000000000, 100000000},
                      {100000000, 100000000});
  const TPlaneBoolean plane(100, 100);
  geometry.BuildAlignmentGrid(plane, 100, 100);
  EXPECT_EQ(geometry.Grid()[1][0], (TPoint{0, 0}));
  EXPECT_EQ(geometry.LargestGridShift(), 2147483647);
}

TEST(SamplingGridSnap, DarkCentreOfTheRunsOrNearestDarkSquareWithinAModule) {
  TSurfaces surfaces;
  TCoordinates geometry(surfaces);
  geometry.SetCentres({0, 0}, {140, 0}, {0, 140});
  geometry.SettleVersion(1);  // pitch 10
  const auto snap = [&](const TPlaneBoolean& plane, TPoint p) { return geometry.SnapToDarkCentre(plane, 200, 200, p); };
  TPlaneBoolean plane(200, 200);
  FillBlock(plane, 180, 50, 189, 53);
  EXPECT_EQ(snap(plane, {182, 51}), (TPoint{185, 52}));
  // An L shape: column 101 runs from 90 to 104 (centre 97); column 105 would give 100.
  FillBlock(plane, 100, 100, 109, 100);
  FillBlock(plane, 101, 90, 101, 104);
  EXPECT_EQ(snap(plane, {101, 100}), (TPoint{105, 97}));
  // Outside the plane the prediction is clamped to the edge; runs stop there: (195 + 199 + 1) div 2.
  FillBlock(plane, 196, 10, 199, 13);
  EXPECT_EQ(snap(plane, {202, 11}), (TPoint{197, 12}));
  EXPECT_EQ(snap(plane, {-40, -3}), (TPoint{0, 0}));

  // A light prediction: nothing within 2 pixels; within 3 the top row of the square comes first.
  TPlaneBoolean light(200, 200);
  FillBlock(light, 103, 93, 107, 97);
  light[97][99] = light[100][103] = 1;
  EXPECT_EQ(snap(light, {100, 100}), (TPoint{105, 95}));
  // Nothing within one module.
  TPlaneBoolean lone(200, 200);
  lone[100][111] = 1;
  EXPECT_EQ(snap(lone, {100, 100}), (TPoint{100, 100}));
  // A pitch below one pixel searches nothing; a huge pitch stays bounded by the plane.
  geometry.SetCentres({0, 0}, {5, 0}, {0, 5});
  geometry.SettleVersion(1);
  lone[101][100] = 1;
  EXPECT_EQ(snap(lone, {100, 100}), (TPoint{100, 100}));
  geometry.SetCentres({0, 0}, {1400000000, 0}, {0, 1400000000});
  geometry.SettleVersion(1);
  TPlaneBoolean corner(200, 200);
  corner[199][199] = 1;
  EXPECT_EQ(snap(corner, {0, 0}), (TPoint{199, 199}));
}

}  // namespace
