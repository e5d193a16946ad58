#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <cstdio>
#include <string>

#include "FilledSymbols.h"
#include "ModulePlanes.h"
#include "TestSymbols.h"
#include "common/Errors.h"
#include "common/Surfaces.h"
#include "image/ImageReader.h"
#include "locate/Coordinates.h"

namespace {

using testing_support::EncodeBytes;
using testing_support::PlaneFromModules;
using testing_support::RenderSymbol;
using testing_support::ThresholdPlane;
using testing_support::TTestSymbol;

std::int32_t CountRed(const TBitmap& picture) {
  std::int32_t count = 0;
  for (std::int32_t y = 0; y < picture.Height(); ++y)
    for (std::int32_t x = 0; x < picture.Width(); ++x) count += picture.Pixel(x, y) == kRed;
  return count;
}

bool SameMatrix(const TPlaneBoolean& a, const TPlaneBoolean& b) {
  if (a.Width() != b.Width() || a.Height() != b.Height()) return false;
  for (std::int32_t y = 0; y < a.Height(); ++y)
    for (std::int32_t x = 0; x < a.Width(); ++x)
      if (a[x][y] != b[x][y]) return false;
  return true;
}

// A short text at level M, so that the encoder keeps the version asked for.
TTestSymbol SymbolOfVersion(int version) {
  return EncodeBytes("MX" + std::to_string(version), version, 1);
}

TEST(ImageReaderSampling, VersionOneGivesItsMatrixAndOneRedPointPerModule) {
  const TTestSymbol symbol = SymbolOfVersion(1);
  const TPlaneBoolean plane = PlaneFromModules(symbol.Matrix(), 10);
  TSurfaces surfaces;
  TImageReader reader(surfaces);
  EXPECT_EQ(reader.Size(), 0);
  ASSERT_EQ(reader.Read(plane, plane.Width(), plane.Height()), 0);
  EXPECT_EQ(reader.Size(), 21);
  EXPECT_TRUE(SameMatrix(reader.Matrix(), symbol.Matrix()));
  const TBitmap& adjust = surfaces.Image(TImagePaneId::AdjustImage).CurrentPicture();
  EXPECT_EQ(CountRed(adjust), 441);
  ASSERT_EQ(surfaces.Text(TTextPaneId::ImgMemo).Lines().size(), 1u);
  EXPECT_EQ(surfaces.Text(TTextPaneId::ImgMemo).Lines()[0], "型番 1");
}

TEST(ImageReaderSampling, ForcedVersionTwoWithRedPointsOverTheAlignmentGrid) {
  const TTestSymbol symbol = SymbolOfVersion(2);
  const TPlaneBoolean plane = PlaneFromModules(symbol.Matrix(), 8);
  TSurfaces surfaces;
  TImageReader reader(surfaces);
  reader.SetForceVersion(2);
  ASSERT_EQ(reader.Read(plane, plane.Width(), plane.Height()), 0);
  EXPECT_EQ(reader.Size(), 25);
  EXPECT_TRUE(SameMatrix(reader.Matrix(), symbol.Matrix()));
  EXPECT_TRUE(surfaces.Image(TImagePaneId::TimeImage).CurrentPicture().Empty());  // no timing test

  const TBitmap& adjust = surfaces.Image(TImagePaneId::AdjustImage).CurrentPicture();
  EXPECT_EQ(CountRed(adjust), 625);
  // Each alignment node stays blue unless a sampling point fell on it afterwards;
  // everything else is the binary plane.
  const TPlanePoint& grid = reader.Coordinates().Grid();
  ASSERT_EQ(grid.Width(), 2);
  for (std::int32_t j = 0; j < 2; ++j)
    for (std::int32_t i = 0; i < 2; ++i) {
      const TColor c = adjust.Pixel(grid[i][j].x, grid[i][j].y);
      EXPECT_TRUE(c == kBlue || c == kRed);
    }
  for (std::int32_t y = 0; y < adjust.Height(); ++y)
    for (std::int32_t x = 0; x < adjust.Width(); ++x) {
      const TColor c = adjust.Pixel(x, y);
      if (c != kRed && c != kBlue && c != (plane[x][y] ? kBlack : kWhite)) ADD_FAILURE() << x << "," << y;
    }
}

TEST(ImageReaderSampling, ModulesOutsideThePictureAreLightEvenAfterADarkRead) {
  TTestSymbol symbol = SymbolOfVersion(1);
  // Darken the bottom-right corner module, so that a full read finds it dark.
  symbol.modules[20 * 21 + 20] |= 1;
  // Turned by 45 degrees the corner points downward and can be cut off
  // without touching a finder pattern.
  const TPlaneBoolean whole = ThresholdPlane(testing_support::RenderSymbolRotated(symbol, 10, 4, 45.0));
  TSurfaces surfaces;
  TImageReader reader(surfaces);
  reader.SetForceVersion(1);
  ASSERT_EQ(reader.Read(whole, whole.Width(), whole.Height()), 0);
  ASSERT_TRUE(SameMatrix(reader.Matrix(), symbol.Matrix()));
  // Where the bottom-right corner is sought: one module inside the corner.
  const TCoordinates& geometry = reader.Coordinates();
  const TPoint estimate = geometry.ModuleOffsetToImage(geometry.Centre(0), 16.5L, 16.5L);

  // The same picture cut above that search window (radius one pitch), so that
  // the corner keeps its prediction and the bottom modules fall outside.
  const std::int32_t height = estimate.y - 11;
  TPlaneBoolean cut(whole.Width(), height);
  for (std::int32_t y = 0; y < height; ++y)
    for (std::int32_t x = 0; x < whole.Width(); ++x) cut[x][y] = whole[x][y];
  ASSERT_EQ(reader.Read(cut, cut.Width(), height), 0);
  EXPECT_EQ(reader.Size(), 21);
  std::int32_t outside = 0;
  for (std::int32_t y = 0; y < 21; ++y)
    for (std::int32_t x = 0; x < 21; ++x) {
      const TPoint at = reader.Coordinates().GetSamplePoint(cut, x, y);
      if (at.y >= height) {
        ++outside;
        EXPECT_EQ(reader.Matrix()[x][y], 0) << x << "," << y;
      }
    }
  EXPECT_GT(outside, 0);
  EXPECT_EQ(reader.Matrix()[20][20], 0);
  EXPECT_EQ(CountRed(surfaces.Image(TImagePaneId::AdjustImage).CurrentPicture()), 441 - outside);
}

TEST(ImageReaderFailure, NoSymbolKeepsThePreviousMatrixAndPaintsNothing) {
  const TTestSymbol symbol = SymbolOfVersion(1);
  const TPlaneBoolean plane = PlaneFromModules(symbol.Matrix(), 5);
  TSurfaces surfaces;
  TImageReader reader(surfaces);
  ASSERT_EQ(reader.Read(plane, plane.Width(), plane.Height()), 0);
  const TPlaneBoolean before = reader.Matrix();
  const TBitmap adjustBefore = surfaces.Image(TImagePaneId::AdjustImage).CurrentPicture();

  const TPlaneBoolean blank(200, 150);
  EXPECT_EQ(reader.Read(blank, 200, 150), 1);
  EXPECT_EQ(reader.LastResult(), 1);
  EXPECT_EQ(reader.Size(), 21);
  EXPECT_TRUE(SameMatrix(reader.Matrix(), before));
  EXPECT_TRUE(surfaces.Image(TImagePaneId::AdjustImage).CurrentPicture() == adjustBefore);
}

// Symbols of every version, filled with data, drawn at module sizes 3 to 10
// and turned by quarter turns, must sample back to the encoder's matrix.
// Versions up to 14 are settled by the timing patterns, larger ones need the
// forced version (the version information then confirms it).
//
// Expected failures: the finder search has no geometric check of its three
// candidates, so when the data area holds a finder-like structure that
// collects more matching runs than a real finder pattern, that structure is
// taken for one of the three and the symbol is located wrongly. With these
// symbols it happens only from version 22 on; each case is listed here and must
// show exactly that cause (a centre that is no finder centre).
struct TConformanceCase {
  int version;
  int quarterTurns;
};
constexpr TConformanceCase kMislocated[] = {
    {22, 0}, {29, 0}, {34, 1}, {37, 1}, {40, 0},
};

bool IsMislocatedCase(int version, int turns) {
  for (const TConformanceCase& c : kMislocated)
    if (c.version == version && c.quarterTurns == turns) return true;
  return false;
}

TEST(ImageReaderConformance, EveryVersionAndQuarterTurnSamplesTheEncodersMatrix) {
  const auto start = std::chrono::steady_clock::now();
  for (int version = 1; version <= 40; ++version) {
    const TTestSymbol symbol = testing_support::FilledSymbol(version, 1);
    ASSERT_EQ(symbol.version, version);
    for (int turns = 0; turns < 4; ++turns) {
      // One module size per version and turn, every size 3 to 10 in use.
      const int moduleSize = 3 + (version * 3 + turns * 5) % 8;
      const TPlaneBoolean plane = ThresholdPlane(RenderSymbol(symbol, moduleSize, 4, turns));
      TSurfaces surfaces;
      TImageReader reader(surfaces);
      reader.SetWarp(6);
      reader.SetForceVersion(version <= 14 ? 0 : version);
      SCOPED_TRACE("version " + std::to_string(version) + ", module size " + std::to_string(moduleSize) +
                   ", quarter turns " + std::to_string(turns));

      if (IsMislocatedCase(version, turns)) {
        std::int32_t result = -1;
        try {
          result = reader.Read(plane, plane.Width(), plane.Height());
        } catch (const TDecodeError&) {
        }
        EXPECT_FALSE(result == 0 && SameMatrix(reader.Matrix(), symbol.Matrix())) << "now located correctly";
        // Finder centres lie at module 3 or N - 4 (+ the quiet zone) in both directions.
        const std::int32_t nearEdge = 7 * moduleSize + moduleSize / 2;
        const std::int32_t farEdge = symbol.size * moduleSize + moduleSize / 2;
        bool foreign = false;
        for (int i = 0; i < 3; ++i) {
          const TPoint p = reader.Coordinates().Centre(i);
          for (const std::int32_t value : {p.x, p.y})
            if (std::abs(value - nearEdge) > 2 && std::abs(value - farEdge) > 2) foreign = true;
        }
        EXPECT_TRUE(foreign) << "failed with the true finder centres";
        continue;
      }

      ASSERT_EQ(reader.Read(plane, plane.Width(), plane.Height()), 0);
      ASSERT_EQ(reader.Size(), symbol.size);
      // The matrix is in symbol coordinates whatever the turn.
      EXPECT_TRUE(SameMatrix(reader.Matrix(), symbol.Matrix()));
      const auto& memo = surfaces.Text(TTextPaneId::ImgMemo).Lines();
      ASSERT_EQ(memo.size(), 1u);
      EXPECT_EQ(memo[0], "型番 " + std::to_string(version));
    }
  }
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::printf("conformance: 160 pictures in %.2f s\n", seconds);
}

}  // namespace
