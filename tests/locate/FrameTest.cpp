#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <cmath>
#include <numbers>
#include <string>

#include "ModulePlanes.h"
#include "TestSymbols.h"
#include "common/Errors.h"
#include "common/Surfaces.h"
#include "locate/Coordinates.h"

namespace {

constexpr long double kPi = std::numbers::pi_v<long double>;

// A version-1 symbol at 10 pixels per module with a 4-module quiet zone: the
// symbol covers pixels 40 to 249, the finder centres are (75, 75), (215, 75)
// and (75, 215), the module pitch is exactly 10.
TPlaneBoolean VersionOnePlane(bool cornerModuleDark) {
  TPlaneBoolean modules = testing_support::EncodeBytes("FRAME", 1, 1).Matrix();
  modules[20][20] = cornerModuleDark ? 1 : 0;
  return testing_support::PlaneFromModules(modules, 10);
}

void PlaceVersionOne(TCoordinates& geometry) {
  geometry.SetCentres({75, 75}, {215, 75}, {75, 215});
  geometry.SettleVersion(1);
}

std::string MessageOf(const std::function<void()>& action) {
  try {
    action();
  } catch (const TMathError& error) {
    return error.what();
  }
  return "no failure";
}

TEST(FrameCorners, UprightSymbolWithDarkCornerModule) {
  const TPlaneBoolean plane = VersionOnePlane(true);
  TSurfaces surfaces;
  TCoordinates geometry(surfaces);
  PlaceVersionOne(geometry);
  // Predictions half a finder pattern out from the centres, and the estimate
  // one module inside the bottom-right corner.
  EXPECT_EQ(geometry.ModuleOffsetToImage({75, 75}, -3.5L, -3.5L), (TPoint{40, 40}));
  EXPECT_EQ(geometry.ModuleOffsetToImage({215, 75}, 3.5L, -3.5L), (TPoint{250, 40}));
  EXPECT_EQ(geometry.ModuleOffsetToImage({75, 215}, -3.5L, 3.5L), (TPoint{40, 250}));
  EXPECT_EQ(geometry.ModuleOffsetToImage({75, 75}, 16.5L, 16.5L), (TPoint{240, 240}));
  geometry.FrameSymbol(plane, plane.Width(), plane.Height());
  EXPECT_EQ(geometry.Corner(0), (TPoint{40, 40}));
  EXPECT_EQ(geometry.Corner(1), (TPoint{249, 40}));
  EXPECT_EQ(geometry.Corner(2), (TPoint{40, 249}));
  EXPECT_EQ(geometry.Corner(3), (TPoint{249, 249}));
  EXPECT_EQ(geometry.TopLength(), 209.0L);
  EXPECT_EQ(geometry.LeftLength(), 209.0L);
  EXPECT_EQ(geometry.TopAngle(), 0.0L);
  EXPECT_EQ(geometry.LeftAngle(), kPi / 2);
  EXPECT_EQ(geometry.DeviationLength(), 0.0L);
}

TEST(FrameCorners, LightCornerModuleMovesTheCornerToTheEdgeIntersection) {
  const TPlaneBoolean plane = VersionOnePlane(false);
  TSurfaces surfaces;
  TCoordinates geometry(surfaces);
  PlaceVersionOne(geometry);
  geometry.FrameSymbol(plane, plane.Width(), plane.Height());
  // The window finds a dark pixel of a neighbouring module; the supporting
  // lines of the bottom and right edges meet at the light outer corner.
  EXPECT_NE(geometry.SearchHit(), (TPoint{249, 249}));
  EXPECT_EQ(geometry.Corner(3), (TPoint{249, 249}));
}

TEST(FrameCorners, TheWarpFactorSizesTheBottomRightWindow) {
  TSurfaces surfaces;
  TCoordinates geometry(surfaces);
  geometry.SetCentres({0, 0}, {140, 0}, {0, 140});
  geometry.SettleVersion(1);  // pitch 10
  TPlaneBoolean plane(400, 400);
  plane[225][225] = 1;  // 25 right of and below the estimate (200, 200)
  for (std::int32_t y = 205; y <= 208; ++y)
    for (std::int32_t x = 205; x <= 208; ++x) plane[x][y] = 1;
  ASSERT_TRUE(geometry.FindFarthestDark(plane, 400, 400, {200, 200}, {0, 0}, 3));
  EXPECT_EQ(geometry.SearchHit(), (TPoint{225, 225}));
  ASSERT_TRUE(geometry.FindFarthestDark(plane, 400, 400, {200, 200}, {0, 0}, 1));
  EXPECT_EQ(geometry.SearchHit(), (TPoint{208, 208}));
  // No dark pixel in the window, or only the reference itself: no hit, the last one stays.
  EXPECT_FALSE(geometry.FindFarthestDark(plane, 400, 400, {100, 100}, {0, 0}, 1));
  EXPECT_FALSE(geometry.FindFarthestDark(plane, 400, 400, {225, 225}, {225, 225}, 1));
  EXPECT_EQ(geometry.SearchHit(), (TPoint{208, 208}));
}

TEST(FrameEdges, AnglesAreExactOnTheAxes) {
  EXPECT_EQ(TCoordinates::DirectionAngle({5, 5}, {9, 5}), 0.0L);
  EXPECT_EQ(TCoordinates::DirectionAngle({5, 5}, {5, 9}), kPi / 2);
  EXPECT_EQ(TCoordinates::DirectionAngle({5, 5}, {1, 5}), kPi);
  EXPECT_EQ(TCoordinates::DirectionAngle({5, 5}, {5, 1}), -kPi / 2);
  EXPECT_EQ(TCoordinates::DirectionAngle({5, 5}, {6, 4}), -kPi / 4);
  EXPECT_EQ(MessageOf([] { TCoordinates::DirectionAngle({5, 5}, {5, 5}); }), "Base Angle Error");

  // Axis-aligned edges need no scan.
  TSurfaces surfaces;
  TCoordinates geometry(surfaces);
  const TPlaneBoolean plane(50, 50);
  EXPECT_EQ(geometry.BottomEdgeAngle(plane, 50, 50, {10, 10}, {10, 40}), kPi / 2);
  EXPECT_EQ(geometry.RightEdgeAngle(plane, 50, 50, {10, 40}, {10, 10}), -kPi / 2);
  EXPECT_EQ(geometry.BottomEdgeAngle(plane, 50, 50, {10, 10}, {40, 10}), 0.0L);
  EXPECT_EQ(geometry.RightEdgeAngle(plane, 50, 50, {40, 10}, {10, 10}), -kPi);
  EXPECT_EQ(MessageOf([&] { geometry.BottomEdgeAngle(plane, 50, 50, {10, 10}, {10, 10}); }), "Base Angle Error");
}

TEST(FrameEdges, StraightLeftCountsAsMinusPiWhenTheEdgeRunsUpLeft) {
  TSurfaces surfaces;
  TCoordinates geometry(surfaces);
  TPlaneBoolean plane(60, 60);
  plane[20][40] = 1;  // straight left of (40, 40)
  EXPECT_EQ(geometry.RightEdgeAngle(plane, 60, 60, {40, 40}, {10, 20}), -kPi);
  EXPECT_EQ(geometry.BottomEdgeAngle(plane, 60, 60, {40, 40}, {10, 20}), -kPi);
  // Towards down-left the same pixel is at +pi.
  EXPECT_EQ(geometry.BottomEdgeAngle(plane, 60, 60, {40, 40}, {10, 50}), kPi);
}

TEST(FrameEdges, FarAwayCornersAndHugeWindowsScanOnlyThePlane) {
  TSurfaces surfaces;
  TCoordinates geometry(surfaces);
  // A pitch of 10^8 pixels: the corner window would hold 10^18 pixels.
  geometry.SetCentres({0, 0}, {1400000000, 0}, {0, 1400000000});
  geometry.SettleVersion(1);
  TPlaneBoolean plane(300, 200);
  plane[299][0] = 1;
  plane[0][199] = 1;
  const auto start = std::chrono::steady_clock::now();
  ASSERT_TRUE(geometry.FindFarthestDark(plane, 300, 200, {150, 100}, {0, 0}, 6));
  EXPECT_EQ(geometry.SearchHit(), (TPoint{299, 0}));
  // Every pixel of the plane is nearer to the corner than 0.3 of this edge.
  EXPECT_EQ(geometry.RightEdgeAngle(plane, 300, 200, {10, 10}, {2000000000, 1999999999}), 2 * kPi);
  EXPECT_EQ(geometry.BottomEdgeAngle(plane, 300, 200, {10, 10}, {2000000000, 1999999999}), -2 * kPi);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
}

// Corners around a light plane with pitch 10: the bottom edge from C2 = (10, 80)
// and the right edge from C1 = (80, 10) meet at (80, 80).
class FrameEdgeCheck : public ::testing::Test {
 protected:
  void SetUp() override {
    geometry.SetCentres({0, 0}, {140, 0}, {0, 140});
    geometry.SettleVersion(1);
    plane[60][80] = 1;  // on the bottom edge
    plane[80][60] = 1;  // on the right edge
  }
  TPoint CheckFrom(TPoint hit) {
    plane[hit.x][hit.y] = 1;
    geometry.SetCorners({10, 10}, {80, 10}, {10, 80}, hit);
    geometry.CheckBottomRightCorner(plane, 100, 100);
    return geometry.Corner(3);
  }
  TSurfaces surfaces;
  TCoordinates geometry{surfaces};
  TPlaneBoolean plane{100, 100};
};

TEST_F(FrameEdgeCheck, OnlyALightIntersectionAwayFromTheHitReplacesIt) {
  EXPECT_EQ(CheckFrom({77, 77}), (TPoint{77, 77}));  // within half a module
  EXPECT_EQ(CheckFrom({70, 70}), (TPoint{80, 80}));
  plane[80][80] = 1;
  EXPECT_EQ(CheckFrom({70, 70}), (TPoint{70, 70}));  // dark intersection
}

TEST_F(FrameEdgeCheck, ParallelEdgesAreAProgramError) {
  geometry.SetCorners({10, 10}, {5, 80}, {10, 80}, {30, 80});
  EXPECT_EQ(MessageOf([&] { geometry.CheckBottomRightCorner(plane, 100, 100); }), "Program Error");
}

TEST_F(FrameEdgeCheck, IntersectionOutsideThePlaneIsAProgramError) {
  // A vertical right edge at x = 150 and a horizontal bottom edge at y = 50.
  geometry.SetCorners({10, 10}, {150, 0}, {0, 50}, {150, 50});
  EXPECT_EQ(MessageOf([&] { geometry.CheckBottomRightCorner(plane, 100, 100); }), "Program Error");
}

TEST_F(FrameEdgeCheck, CornerOnTheBottomLeftCornerIsABaseAngleError) {
  geometry.SetCorners({10, 10}, {80, 10}, {10, 80}, {10, 80});
  EXPECT_EQ(MessageOf([&] { geometry.CheckBottomRightCorner(plane, 100, 100); }), "Base Angle Error");
}

TEST(FrameValues, ParallelogramCornerDeviationAndEdgeAngles) {
  TSurfaces surfaces;
  TCoordinates geometry(surfaces);
  geometry.SetCorners({40, 40}, {249, 40}, {40, 249}, {259, 254});
  EXPECT_EQ(geometry.DeviationLength(), sqrtl(125.0L));
  EXPECT_EQ(geometry.DeviationAngle(), atan2l(5.0L, 10.0L));
  // Not normalised: up and to the left of the parallelogram corner is negative.
  geometry.SetCorners({40, 40}, {249, 40}, {40, 249}, {239, 239});
  EXPECT_EQ(geometry.DeviationAngle(), -3 * kPi / 4);

  // Edge angles, unlike the deviation, lie in 0 to 2 pi.
  geometry.SetCorners({0, 100}, {1000, 90}, {10, 1100}, {1000, 1090});
  EXPECT_EQ(geometry.TopAngle(), atan2l(-10.0L, 1000.0L) + 2 * kPi);
  EXPECT_GT(geometry.TopAngle(), 6.27L);
  EXPECT_EQ(geometry.LeftAngle(), atan2l(1000.0L, 10.0L));
}

}  // namespace
