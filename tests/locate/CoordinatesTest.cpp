#include <gtest/gtest.h>

#include <chrono>
#include <limits>
#include <string>

#include "FilledSymbols.h"
#include "ModulePlanes.h"
#include "TestSymbols.h"
#include "common/Errors.h"
#include "common/Surfaces.h"
#include "locate/Coordinates.h"

namespace {

using testing_support::PlaneFromModules;

TPlaneBoolean SymbolPlane(int version, int moduleSize = 4) {
  const auto symbol = testing_support::FilledSymbol(version, 1);
  EXPECT_EQ(symbol.version, version);
  return PlaneFromModules(symbol.Matrix(), moduleSize);
}

const std::vector<std::string>& Memo(const TSurfaces& surfaces) {
  return surfaces.Text(TTextPaneId::ImgMemo).Lines();
}

// Locate on a plane; a raised geometry failure counts as -1.
std::int32_t LocateOrFailure(TCoordinates& geometry, const TPlaneBoolean& plane) {
  try {
    return geometry.Locate(plane, plane.Width(), plane.Height());
  } catch (const TDecodeError&) {
    return -1;
  }
}

TEST(LocateVersion, AutomaticVersionComesFromTheTimingPatterns) {
  const TPlaneBoolean plane = SymbolPlane(3);
  TSurfaces surfaces;
  TCoordinates geometry(surfaces);
  ASSERT_EQ(geometry.Locate(plane, plane.Width(), plane.Height()), 0);
  EXPECT_EQ(geometry.GetVersion(), 3);
  EXPECT_EQ(Memo(surfaces), std::vector<std::string>{"型番 3"});
  EXPECT_FALSE(surfaces.Image(TImagePaneId::TimeImage).CurrentPicture().Empty());
  EXPECT_FALSE(surfaces.Image(TImagePaneId::AdjustImage).CurrentPicture().Empty());
  EXPECT_EQ(geometry.Grid().Width(), 2);
}

TEST(LocateVersion, ForcedVersionSkipsTheTimingTest) {
  const TPlaneBoolean plane = SymbolPlane(3);
  // A forced version up to 6 has nothing to confirm it at this stage, so the
  // stripes may pass as a symbol; larger ones must meet the version information.
  for (const std::int32_t forced : {3, 0, -5}) {
    TSurfaces surfaces;
    TCoordinates geometry(surfaces);
    geometry.SetForceVersion(forced);
    ASSERT_EQ(geometry.Locate(plane, plane.Width(), plane.Height()), 0);
    EXPECT_EQ(Memo(surfaces), std::vector<std::string>{"型番 3"});
    // Only an automatic decision draws on TimeImage.
    EXPECT_EQ(surfaces.Image(TImagePaneId::TimeImage).CurrentPicture().Empty(), forced > 0) << forced;
  }

  // From version 7 on, the version information confirms the forced version.
  const TPlaneBoolean nine = SymbolPlane(9);
  TSurfaces surfaces;
  TCoordinates geometry(surfaces);
  geometry.SetForceVersion(9);
  ASSERT_EQ(geometry.Locate(nine, nine.Width(), nine.Height()), 0);
  EXPECT_EQ(Memo(surfaces), std::vector<std::string>{"型番 9"});
  EXPECT_TRUE(surfaces.Image(TImagePaneId::TimeImage).CurrentPicture().Empty());
}

TEST(LocateVersion, ForcedVersionThatMissesTheVersionBlocksFails) {
  const TPlaneBoolean plane = SymbolPlane(3);
  // A forced version up to 6 has nothing to confirm it at this stage, so the
  // stripes may pass as a symbol; larger ones must meet the version information.
  for (const std::int32_t forced : {7, 20, 40, std::numeric_limits<std::int32_t>::max()}) {
    TSurfaces surfaces;
    TCoordinates geometry(surfaces);
    geometry.SetForceVersion(forced);
    EXPECT_EQ(geometry.Locate(plane, plane.Width(), plane.Height()), 1) << forced;
    EXPECT_EQ(geometry.GetVersion(), 0);
    EXPECT_TRUE(Memo(surfaces).empty());
  }
}

TEST(LocateVersion, AFailedSearchKeepsTheEarlierResult) {
  const TPlaneBoolean plane = SymbolPlane(2);
  TSurfaces surfaces;
  TCoordinates geometry(surfaces);
  ASSERT_EQ(geometry.Locate(plane, plane.Width(), plane.Height()), 0);
  const TPoint corner = geometry.Corner(3);
  const TPlaneBoolean blank(100, 100);
  EXPECT_EQ(geometry.Locate(blank, 100, 100), 1);
  EXPECT_EQ(geometry.GetVersion(), 2);
  EXPECT_EQ(geometry.Corner(3), corner);
}

TEST(LocateFailure, PicturesWithoutThreeFinderPatternsGiveCodeOne) {
  TSurfaces surfaces;
  TCoordinates geometry(surfaces);
  EXPECT_EQ(geometry.Locate(TPlaneBoolean(), 0, 0), 1);
  EXPECT_EQ(geometry.Locate(TPlaneBoolean(300, 200), 300, 200), 1);
  EXPECT_EQ(geometry.Locate(TPlaneBoolean(300, 200, 1), 300, 200), 1);

  // Only the top-left and top-right finder patterns of a symbol.
  auto symbol = testing_support::EncodeBytes("TWO", 1, 0);
  TPlaneBoolean modules(21, 21);
  for (std::int32_t y = 0; y < 7; ++y)
    for (std::int32_t x = 0; x < 21; ++x)
      if (x < 7 || x >= 14) modules[x][y] = symbol.Dark(x, y);
  const TPlaneBoolean two = PlaneFromModules(modules, 6);
  EXPECT_EQ(geometry.Locate(two, two.Width(), two.Height()), 1);
  EXPECT_TRUE(Memo(surfaces).empty());
}

TEST(LocateFailure, FinderLikeStripesEndInACodeOrARaisedFailure) {
  // Crossed 1:1:3:1:1 stripes: finder-like runs everywhere.
  const std::int32_t side = 700;
  TPlaneBoolean plane(side, side);
  constexpr int kPattern[] = {1, 0, 1, 1, 1, 0, 1, 0};
  for (std::int32_t y = 0; y < side; ++y)
    for (std::int32_t x = 0; x < side; ++x)
      plane[x][y] = kPattern[(x / 5) % 8] ^ kPattern[(y / 5) % 8] ^ 1;
  TSurfaces surfaces;
  TCoordinates geometry(surfaces);
  const auto start = std::chrono::steady_clock::now();
  const std::int32_t result = LocateOrFailure(geometry, plane);
  EXPECT_TRUE(result == 1 || result == -1) << result;
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(20));

  // A forced version up to 6 has nothing to confirm it at this stage, so the
  // stripes may pass as a symbol; larger ones must meet the version information.
  for (const std::int32_t forced : {1, 5, 12, 40, std::numeric_limits<std::int32_t>::max()}) {
    geometry.SetForceVersion(forced);
    const std::int32_t forcedResult = LocateOrFailure(geometry, plane);
    if (forced > 6) {
      EXPECT_TRUE(forcedResult == 1 || forcedResult == -1) << forced;
    } else {
      EXPECT_TRUE(forcedResult == 0 || forcedResult == 1 || forcedResult == -1) << forced;
    }
  }
}

TEST(LocateFailure, DegenerateCentresRaiseAMathError) {
  const TPlaneBoolean plane(200, 200);
  TSurfaces surfaces;
  TCoordinates geometry(surfaces);
  geometry.SetForceVersion(1);
  // Three equal centres: the frame has edges of length 0.
  EXPECT_THROW(geometry.LocateFromCentres(plane, 200, 200, {50, 50}, {50, 50}, {50, 50}), TMathError);
  // Centres far outside 32-bit reach once extrapolated.
  EXPECT_THROW(geometry.LocateFromCentres(plane, 200, 200, {0, 0}, {2000000000, 0}, {0, 2000000000}), TMathError);
}

TEST(LocateFailure, SizeThatDoesNotMatchThePlaneIsRefused) {
  TSurfaces surfaces;
  TCoordinates geometry(surfaces);
  EXPECT_THROW(geometry.Locate(TPlaneBoolean(100, 100), 200, 100), TDecodeError);
}

}  // namespace
