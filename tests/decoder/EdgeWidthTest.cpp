#include <gtest/gtest.h>

#include <cmath>
#include <optional>
#include <vector>

#include "PhotoScene.h"
#include "StageFailures.h"
#include "TestSymbols.h"
#include "decoder/Analysis.h"
#include "decoder/EdgeWidth.h"

namespace {

using namespace testing_support;

TDiagnosis Record(const TBitmap& picture) {
  TSurfaces surfaces;
  TVeltrix veltrix(surfaces);
  return Analyse(veltrix, surfaces, picture, {}).diagnosis;
}

// The grey levels of a picture squeezed into [low, high].
TBitmap Faded(const TBitmap& picture, std::int32_t low, std::int32_t high) {
  TBitmap faded = picture.Detached();
  for (std::int32_t y = 0; y < picture.Height(); ++y)
    for (std::int32_t x = 0; x < picture.Width(); ++x) {
      const auto grey = static_cast<TColor>(low + static_cast<std::int32_t>(picture.Pixel(x, y) & 0xFF) * (high - low) / 255);
      faded.SetPixel(x, y, grey | grey << 8 | grey << 16);
    }
  return faded;
}

// Symbols photographed sharp and out of focus at a few module sizes: the
// edges come out as wide as the blur makes them (a pass of 1-2-1 adds a
// variance of half a pixel squared; an edge's 10-90 % width is 2.56 standard
// deviations), the module size as drawn, and only edges wider than nine
// tenths of a module are called blurred.
TEST(EdgeWidth, SharpPicturesAreNotBlurredAndBlurredOnesAre) {
  struct TCase {
    const char* name;
    TBitmap picture;
    double module;
    int passes;  // -1: the test photograph's own softening (supersampled, one pass)
    bool blurred;
  };
  TPhotoOptions slanted;
  slanted.moduleSize = 5;
  slanted.degrees = 12;
  slanted.width = 400;
  slanted.height = 360;
  const std::vector<TCase> cases = {
      {"3 pixels, sharp", BlurredSymbol(3, 0), 3, 0, false},
      {"4 pixels, one pass", BlurredSymbol(4, 1), 4, 1, false},
      {"6 pixels, two passes", BlurredSymbol(6, 2), 6, 2, false},
      {"8 pixels, four passes", BlurredSymbol(8, 4), 8, 4, false},
      {"slanted photograph", RenderPhoto(EncodeBytes("slanted", 2, 1), slanted), 5 / std::cos(12 * M_PI / 180), -1, false},
      {"6 pixels, eight passes", BlurredSymbol(6, 8), 6, 8, false},
      {"4 pixels, four passes", BlurredSymbol(4, 4), 4, 4, true},
      {"4 pixels, six passes", BlurredSymbol(4, 6), 4, 6, true},
      {"4 pixels, eight passes", BlurredSymbol(4, 8), 4, 8, true},
      {"5 pixels, ten passes", BlurredSymbol(5, 10), 5, 10, true},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.name);
    const std::optional<TEdgeMeasure> measure = MeasureEdges(c.picture, Record(c.picture));
    ASSERT_TRUE(measure);
    EXPECT_GE(measure->edges, 8);
    EXPECT_NEAR(measure->moduleTenths / 10.0, c.module, 0.1 * c.module);
    const double edge = measure->edgeTenths / 10.0;
    if (c.passes == 0) {
      EXPECT_LE(edge, 2.0);
    } else if (c.passes > 0) {
      const double expected = 2.56 * std::sqrt(c.passes / 2.0);
      EXPECT_NEAR(edge, expected, 0.2 * expected);
    }
    EXPECT_EQ(measure->Blurred(), c.blurred) << edge << " against " << measure->moduleTenths / 10.0;
    EXPECT_EQ(measure->Blurred(), edge > 0.9 * measure->moduleTenths / 10.0);
  }
}

// Nothing is said where no ring can be measured: no candidate, too little
// contrast around the candidates, a record without the finder's figures.
TEST(EdgeWidth, NothingMeasuredWhereNoRingCanBeSeen) {
  struct TCase {
    const char* name;
    TBitmap picture;
    bool candidates;  // the finder search found three or more
  };
  const TTestSymbol symbol = EncodeBytes("no ring", 2, 1);
  const std::vector<TCase> cases = {
      {"blank", TBitmap(90, 60), false},
      {"faint", Faded(RenderSymbol(symbol, 4), 120, 150), true},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.name);
    const TDiagnosis record = Record(c.picture);
    ASSERT_TRUE(record.binarization);
    EXPECT_EQ(record.finder && record.finder->candidates >= 3, c.candidates);
    EXPECT_FALSE(MeasureEdges(c.picture, record));
  }
  // A record without the finder's figures measures nothing either.
  TDiagnosis bare = Record(RenderSymbol(symbol, 4));
  bare.finder.reset();
  EXPECT_FALSE(MeasureEdges(RenderSymbol(symbol, 4), bare));
}

}  // namespace
