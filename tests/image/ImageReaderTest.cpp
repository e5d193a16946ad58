#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "FilledSymbols.h"
#include "ModulePlanes.h"
#include "TestSymbols.h"
#include "common/Errors.h"
#include "common/Surfaces.h"
#include "image/ImageReader.h"
#include "locate/Coordinates.h"

namespace {

using namespace testing_support;

const TBitmap& AdjustImage(const TSurfaces& surfaces) { return surfaces.Image(TImagePaneId::AdjustImage).CurrentPicture(); }

TEST(ImageReaderSampling, OneRedPointPerModuleOverTheAlignmentGridAndFailuresKeepTheMatrix) {
  const TTestSymbol symbol = EncodeBytes("MX2", 2, 1);
  const TPlaneBoolean plane = PlaneFromModules(symbol.Matrix(), 8);
  TSurfaces surfaces;
  TImageReader reader(surfaces);
  EXPECT_EQ(reader.Size(), 0);
  reader.SetForceVersion(2);
  ASSERT_EQ(reader.Read(plane, plane.Width(), plane.Height()), 0);
  EXPECT_EQ(reader.Size(), 25);
  EXPECT_TRUE(SamePlane(reader.Matrix(), symbol.Matrix()));
  EXPECT_TRUE(surfaces.Image(TImagePaneId::TimeImage).CurrentPicture().Empty());  // forced: no timing test
  // The blue alignment nodes stay unless a sampling point fell on them; everything else is the plane.
  const TBitmap adjust = AdjustImage(surfaces);
  EXPECT_EQ(RedPixels(adjust).size(), 625u);
  TBitmap expected = TBitmap::FromPlane(plane);
  const TPlanePoint& grid = reader.Coordinates().Grid();
  for (std::int32_t j = 0; j < grid.Height(); ++j)
    for (std::int32_t i = 0; i < grid.Width(); ++i) expected.SetPixel(grid[i][j].x, grid[i][j].y, kBlue);
  for (const TPoint& p : RedPixels(adjust)) expected.SetPixel(p.x, p.y, kRed);
  EXPECT_EQ(adjust, expected);

  // No symbol: code 1, and the matrix and the picture stay.
  EXPECT_EQ(reader.Read(TPlaneBoolean(200, 150), 200, 150), 1);
  EXPECT_EQ(reader.LastResult(), 1);
  EXPECT_EQ(reader.Size(), 25);
  EXPECT_TRUE(SamePlane(reader.Matrix(), symbol.Matrix()));
  EXPECT_EQ(AdjustImage(surfaces), adjust);
}

TEST(ImageReaderSampling, ModulesOutsideThePictureAreLightEvenAfterADarkRead) {
  TTestSymbol symbol = EncodeBytes("MX1", 1, 1);
  symbol.modules[20 * 21 + 20] |= 1;  // a dark bottom-right corner module
  // Turned by 45 degrees the corner points downward and can be cut off
  // without touching a finder pattern.
  const TPlaneBoolean whole = ThresholdPlane(RenderSymbolRotated(symbol, 10, 4, 45.0));
  TSurfaces surfaces;
  TImageReader reader(surfaces);
  reader.SetForceVersion(1);
  ASSERT_EQ(reader.Read(whole, whole.Width(), whole.Height()), 0);
  ASSERT_TRUE(SamePlane(reader.Matrix(), symbol.Matrix()));
  // The same picture cut above the bottom-right search window (one pitch
  // around one module inside the corner): the corner keeps its prediction and
  // the bottom modules fall outside.
  const TCoordinates& geometry = reader.Coordinates();
  const std::int32_t height = geometry.ModuleOffsetToImage(geometry.Centre(0), 16.5L, 16.5L).y - 11;
  TPlaneBoolean cut(whole.Width(), height);
  for (std::int32_t y = 0; y < height; ++y)
    for (std::int32_t x = 0; x < whole.Width(); ++x) cut[x][y] = whole[x][y];
  ASSERT_EQ(reader.Read(cut, cut.Width(), height), 0);
  std::int32_t outside = 0;
  for (std::int32_t y = 0; y < 21; ++y)
    for (std::int32_t x = 0; x < 21; ++x)
      if (geometry.GetSamplePoint(cut, x, y).y >= height) {
        ++outside;
        EXPECT_EQ(reader.Matrix()[x][y], 0) << x << "," << y;
      }
  EXPECT_GT(outside, 0);
  EXPECT_EQ(reader.Matrix()[20][20], 0);
  EXPECT_EQ(RedPixels(AdjustImage(surfaces)).size(), static_cast<std::size_t>(441 - outside));
}

// Symbols of every version filled with data, drawn at module sizes 3 to 10
// and turned by quarter turns, sample back to the encoder's matrix. Versions
// up to 14 are settled by the timing patterns, larger ones are forced (the
// version information then confirms them).
//
// Expected failures: the finder search has no geometric check of its three
// candidates, so a finder-like structure in the data area that collects more
// matching runs than a real finder pattern is taken for one of the three. With
// these symbols it happens only from version 22 on; each case is listed and
// must show exactly that cause (a centre that is no finder centre).
constexpr std::pair<int, int> kMislocated[] = {{22, 0}, {29, 0}, {34, 1}, {37, 1}, {40, 0}};  // version, quarter turns

TEST(ImageReaderConformance, EveryVersionAndQuarterTurnSamplesTheEncodersMatrix) {
  const auto start = std::chrono::steady_clock::now();
  for (int version = 1; version <= 40; ++version) {
    const TTestSymbol symbol = FilledSymbol(version, 1);
    ASSERT_EQ(symbol.version, version);
    for (int turns = 0; turns < 4; ++turns) {
      const int moduleSize = 3 + (version * 3 + turns * 5) % 8;  // every size 3 to 10 in use
      SCOPED_TRACE(testing::Message() << "version " << version << ", module size " << moduleSize << ", quarter turns " << turns);
      const TPlaneBoolean plane = ThresholdPlane(RenderSymbol(symbol, moduleSize, 4, turns));
      TSurfaces surfaces;
      TImageReader reader(surfaces);
      reader.SetWarp(6);
      reader.SetForceVersion(version <= 14 ? 0 : version);
      if (std::find(std::begin(kMislocated), std::end(kMislocated), std::pair{version, turns}) != std::end(kMislocated)) {
        std::int32_t result = -1;
        try {
          result = reader.Read(plane, plane.Width(), plane.Height());
        } catch (const TDecodeError&) {
        }
        EXPECT_FALSE(result == 0 && SamePlane(reader.Matrix(), symbol.Matrix())) << "now located correctly";
        // Finder centres lie at module 3 or N - 4 (after the quiet zone) in both directions.
        const std::int32_t nearEdge = 7 * moduleSize + moduleSize / 2, farEdge = symbol.size * moduleSize + moduleSize / 2;
        bool foreign = false;
        for (int i = 0; i < 3; ++i) {
          const TPoint p = reader.Coordinates().Centre(i);
          for (const std::int32_t v : {p.x, p.y}) foreign |= std::abs(v - nearEdge) > 2 && std::abs(v - farEdge) > 2;
        }
        EXPECT_TRUE(foreign) << "failed with the true finder centres";
        continue;
      }
      ASSERT_EQ(reader.Read(plane, plane.Width(), plane.Height()), 0);
      ASSERT_EQ(reader.Size(), symbol.size);
      EXPECT_TRUE(SamePlane(reader.Matrix(), symbol.Matrix()));  // in symbol coordinates whatever the turn
      EXPECT_EQ(surfaces.Text(TTextPaneId::ImgMemo).Lines(), std::vector<std::string>{"型番 " + std::to_string(version)});
    }
  }
  std::printf("conformance: 160 pictures in %.2f s\n",
              std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
}

}  // namespace
