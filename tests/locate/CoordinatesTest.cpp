#include <gtest/gtest.h>

#include <chrono>
#include <limits>
#include <string>
#include <tuple>
#include <vector>

#include "FilledSymbols.h"
#include "ModulePlanes.h"
#include "TestSymbols.h"
#include "common/Errors.h"
#include "common/Surfaces.h"
#include "locate/Coordinates.h"

namespace {

using testing_support::PlaneFromModules;
constexpr std::int32_t kMaxInt = std::numeric_limits<std::int32_t>::max();

TPlaneBoolean SymbolPlane(int version) { return PlaneFromModules(testing_support::FilledSymbol(version, 1).Matrix(), 4); }

// Locate on a whole plane; a raised failure counts as -1.
std::int32_t LocateOrFailure(TCoordinates& geometry, const TPlaneBoolean& plane) {
  try {
    return geometry.Locate(plane, plane.Width(), plane.Height());
  } catch (const TDecodeError&) {
    return -1;
  }
}

TEST(LocateVersion, AutomaticFromTheTimingPatternsForcedFromTheUserOrTheVersionBlocks) {
  // Forced 0 or below: automatic, drawn on TimeImage. A forced version up to 6
  // has nothing to confirm it here; from 7 on the version information must.
  const TPlaneBoolean three = SymbolPlane(3), nine = SymbolPlane(9);
  for (const auto& [plane, forced, result] : {std::tuple{&three, 0, 0}, {&three, -5, 0}, {&three, 3, 0}, {&nine, 9, 0},
                                             {&three, 7, 1}, {&three, 40, 1}, {&three, kMaxInt, 1}}) {
    const std::int32_t version = plane == &three ? 3 : 9;
    SCOPED_TRACE(testing::Message() << "version " << version << " forced " << forced);
    TSurfaces surfaces;
    TCoordinates geometry(surfaces);
    geometry.SetForceVersion(forced);
    ASSERT_EQ(geometry.Locate(*plane, plane->Width(), plane->Height()), result);
    EXPECT_EQ(geometry.GetVersion(), result == 0 ? version : 0);
    EXPECT_EQ(surfaces.Text(TTextPaneId::ImgMemo).Lines(),
              result == 0 ? std::vector<std::string>{"型番 " + std::to_string(version)} : std::vector<std::string>{});
    EXPECT_EQ(surfaces.Image(TImagePaneId::TimeImage).CurrentPicture().Empty(), forced > 0);
    if (result == 0) {
      EXPECT_EQ(geometry.Grid().Width(), version == 3 ? 2 : 3);
    }
  }
}

TEST(LocateFailure, NoThreeFinderPatternsGiveCodeOneAndKeepTheEarlierResult) {
  const TPlaneBoolean plane = SymbolPlane(2);
  TSurfaces surfaces;
  TCoordinates geometry(surfaces);
  ASSERT_EQ(geometry.Locate(plane, plane.Width(), plane.Height()), 0);
  const TPoint corner = geometry.Corner(3);

  // Only the top-left and top-right finder patterns of a symbol.
  const auto symbol = testing_support::EncodeBytes("TWO", 1, 0);
  TPlaneBoolean modules(21, 21);
  for (std::int32_t y = 0; y < 7; ++y)
    for (std::int32_t x = 0; x < 21; ++x) modules[x][y] = (x < 7 || x >= 14) && symbol.Dark(x, y);
  for (const TPlaneBoolean& bad : {TPlaneBoolean(), TPlaneBoolean(300, 200), TPlaneBoolean(300, 200, 1),
                                   PlaneFromModules(modules, 6)})
    EXPECT_EQ(geometry.Locate(bad, bad.Width(), bad.Height()), 1);
  EXPECT_EQ(geometry.GetVersion(), 2);
  EXPECT_EQ(geometry.Corner(3), corner);
  EXPECT_EQ(surfaces.Text(TTextPaneId::ImgMemo).Lines().size(), 1u);

  // A size that does not match the plane is refused.
  EXPECT_THROW(geometry.Locate(TPlaneBoolean(100, 100), 200, 100), TDecodeError);
  // Degenerate centres: edges of length 0, or far outside 32-bit reach once extrapolated.
  geometry.SetForceVersion(1);
  EXPECT_THROW(geometry.LocateFromCentres(plane, 200, 200, {50, 50}, {50, 50}, {50, 50}), TMathError);
  EXPECT_THROW(geometry.LocateFromCentres(plane, 200, 200, {0, 0}, {2000000000, 0}, {0, 2000000000}), TMathError);
}

TEST(LocateFailure, FinderLikeStripesEndInACodeOrARaisedFailureQuickly) {
  // Crossed 1:1:3:1:1 stripes: finder-like runs everywhere.
  constexpr int kPattern[] = {1, 0, 1, 1, 1, 0, 1, 0};
  TPlaneBoolean plane(700, 700);
  for (std::int32_t y = 0; y < 700; ++y)
    for (std::int32_t x = 0; x < 700; ++x) plane[x][y] = kPattern[(x / 5) % 8] ^ kPattern[(y / 5) % 8] ^ 1;
  TSurfaces surfaces;
  TCoordinates geometry(surfaces);
  const auto start = std::chrono::steady_clock::now();
  for (const std::int32_t forced : {0, 1, 5, 12, 40, kMaxInt}) {
    geometry.SetForceVersion(forced);
    const std::int32_t result = LocateOrFailure(geometry, plane);
    // Up to version 6 a forced version may pass the stripes as a symbol.
    EXPECT_TRUE(result == 1 || result == -1 || (result == 0 && forced >= 1 && forced <= 6)) << forced << ": " << result;
  }
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(30));
}

}  // namespace
