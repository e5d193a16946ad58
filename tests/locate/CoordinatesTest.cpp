#include <gtest/gtest.h>

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

// The alignment positions and the grid are replaced only once the new frame stands.
TEST(LocateFailure, AFailedFramingKeepsTheEarlierAlignmentGrid) {
  const TPlaneBoolean plane = SymbolPlane(7);
  TSurfaces surfaces;
  TCoordinates geometry(surfaces);
  ASSERT_EQ(geometry.Locate(plane, plane.Width(), plane.Height()), 0);
  const TPlanePoint grid = geometry.Grid();
  ASSERT_EQ(grid.Width(), 3);
  // The corner predictions of these centres leave the 32-bit range.
  geometry.SetForceVersion(1);
  EXPECT_THROW(geometry.LocateFromCentres(plane, 200, 200, {0, 0}, {2000000000, 0}, {0, 2000000000}), TMathError);
  ASSERT_EQ(geometry.Grid().Width(), grid.Width());
  for (std::int32_t j = 0; j < grid.Height(); ++j)
    for (std::int32_t i = 0; i < grid.Width(); ++i) EXPECT_EQ(geometry.Grid()[i][j], grid[i][j]);
}

}  // namespace
