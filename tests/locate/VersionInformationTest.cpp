#include <gtest/gtest.h>

#include <cstdint>

#include "ModulePlanes.h"
#include "TestSymbols.h"
#include "common/Surfaces.h"
#include "locate/Coordinates.h"

namespace {

using testing_support::ModuleCentre;
using testing_support::PlaneFromModules;

constexpr int kModule = 5;

// The 18-bit version information: 6 version bits and 12 BCH bits (generator 0x1F25).
std::uint32_t VersionCode(std::uint32_t version) {
  std::uint32_t remainder = version << 12;
  for (int bit = 17; bit >= 12; --bit)
    if (remainder & (1u << bit)) remainder ^= 0x1F25u << (bit - 12);
  return (version << 12) | remainder;
}

TEST(VersionCodeMatch, EveryCodewordGivesItsVersion) {
  EXPECT_EQ(VersionCode(7), 0x07C94u);
  EXPECT_EQ(VersionCode(40), 0x28C69u);
  for (std::uint32_t v = 7; v <= 40; ++v) EXPECT_EQ(TCoordinates::MatchVersionCode(VersionCode(v)), v);
}

TEST(VersionCodeMatch, ThreeWrongBitsAreToleratedFourAreNot) {
  for (std::uint32_t v = 7; v <= 40; ++v) {
    const std::uint32_t code = VersionCode(v);
    EXPECT_EQ(TCoordinates::MatchVersionCode(code ^ 0b100000010000000001u), v);
    EXPECT_EQ(TCoordinates::MatchVersionCode(code ^ 0b100000010000000011u), 0) << v;
  }
  EXPECT_EQ(TCoordinates::MatchVersionCode(0), 0);
  EXPECT_EQ(TCoordinates::MatchVersionCode(0x3FFFF), 0);
}

// A version-7 symbol at 5 pixels per module; the finder centres are those of
// its modules (3, 3), (41, 3) and (3, 41).
class VersionInformationRead : public ::testing::Test {
 protected:
  void SetUp() override {
    symbol = testing_support::EncodeBytes("VERSION 7", 7, 0);
    ASSERT_EQ(symbol.version, 7);
    modules = symbol.Matrix();
  }
  std::int32_t Read(std::int32_t shiftUp = 0) {
    TPlaneBoolean plane = PlaneFromModules(modules, kModule);
    if (shiftUp > 0) {
      // The picture cut at the top: everything moves up by shiftUp pixels.
      TPlaneBoolean cut(plane.Width(), plane.Height() - shiftUp);
      for (std::int32_t y = 0; y < cut.Height(); ++y)
        for (std::int32_t x = 0; x < cut.Width(); ++x) cut[x][y] = plane[x][y + shiftUp];
      plane = cut;
    }
    const auto at = [&](std::int32_t mx, std::int32_t my) {
      const TPoint p = ModuleCentre(mx, my, kModule);
      return TPoint{p.x, p.y - shiftUp};
    };
    geometry.SetCentres(at(3, 3), at(41, 3), at(3, 41));
    geometry.SettleVersion(7);
    return geometry.ReadVersionInformation(plane);
  }
  // Inverts modules of the block beside the top-right finder (first) or above the bottom-left one.
  void Damage(bool firstBlock, int count) {
    for (int i = 0; i < count; ++i) {
      const int along = (i * 5) % 18;
      const int x = firstBlock ? 34 + along % 3 : along / 3;
      const int y = firstBlock ? along / 3 : 34 + along % 3;
      modules[x][y] ^= 1;
    }
  }
  testing_support::TTestSymbol symbol;
  TPlaneBoolean modules;
  TSurfaces surfaces;
  TCoordinates geometry{surfaces};
};

TEST_F(VersionInformationRead, CleanBlocksGiveTheVersion) { EXPECT_EQ(Read(), 7); }

TEST_F(VersionInformationRead, ThreeWrongModulesStillGiveTheVersion) {
  Damage(true, 3);
  Damage(false, 3);
  EXPECT_EQ(Read(), 7);
}

TEST_F(VersionInformationRead, FourWrongModulesInTheFirstBlockFallBackToTheSecond) {
  Damage(true, 4);
  EXPECT_EQ(Read(), 7);
  Damage(false, 4);
  EXPECT_EQ(Read(), 0);
}

TEST_F(VersionInformationRead, FirstBlockOutsideThePictureEndsTheReading) {
  // Six modules cut off the top: the first block starts above the picture,
  // while the second block is whole and clean.
  EXPECT_EQ(Read(6 * kModule), 0);
}

}  // namespace
