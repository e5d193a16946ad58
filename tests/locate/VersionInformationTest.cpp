#include <gtest/gtest.h>

#include <cstdint>

#include "ModulePlanes.h"
#include "TestSymbols.h"
#include "common/Surfaces.h"
#include "locate/Coordinates.h"

namespace {

// The 18-bit version information: 6 version bits and 12 BCH bits (generator 0x1F25).
std::uint32_t VersionCode(std::uint32_t version) {
  std::uint32_t remainder = version << 12;
  for (int bit = 17; bit >= 12; --bit)
    if (remainder & (1u << bit)) remainder ^= 0x1F25u << (bit - 12);
  return (version << 12) | remainder;
}

TEST(VersionCodeMatch, EveryCodewordGivesItsVersionWithUpToThreeWrongBits) {
  EXPECT_EQ(VersionCode(7), 0x07C94u);
  EXPECT_EQ(VersionCode(40), 0x28C69u);
  for (std::uint32_t v = 7; v <= 40; ++v) {
    const std::uint32_t code = VersionCode(v);
    EXPECT_EQ(TCoordinates::MatchVersionCode(code), v);
    EXPECT_EQ(TCoordinates::MatchVersionCode(code ^ 0b100000010000000001u), v);
    EXPECT_EQ(TCoordinates::MatchVersionCode(code ^ 0b100000010000000011u), 0) << v;
  }
  EXPECT_EQ(TCoordinates::MatchVersionCode(0), 0);
  EXPECT_EQ(TCoordinates::MatchVersionCode(0x3FFFF), 0);
}

// Reads the version information of an encoder's version-7 symbol at 5 pixels
// per module, with modules of the block beside the top-right finder (first
// block) and of the block above the bottom-left one (second) inverted, and the
// picture cut by `cutTop` pixels at the top. The centres are those of modules (3, 3), (41, 3), (3, 41).
std::int32_t ReadVersion(int wrongInFirst, int wrongInSecond, std::int32_t cutTop = 0) {
  const auto symbol = testing_support::EncodeBytes("VERSION 7", 7, 0);
  EXPECT_EQ(symbol.version, 7);
  TPlaneBoolean modules = symbol.Matrix();
  for (int i = 0; i < 4; ++i) {
    const int along = (i * 5) % 18;
    if (i < wrongInFirst) modules[34 + along % 3][along / 3] ^= 1;
    if (i < wrongInSecond) modules[along / 3][34 + along % 3] ^= 1;
  }
  const TPlaneBoolean whole = testing_support::PlaneFromModules(modules, 5);
  TPlaneBoolean plane(whole.Width(), whole.Height() - cutTop);
  for (std::int32_t y = 0; y < plane.Height(); ++y)
    for (std::int32_t x = 0; x < plane.Width(); ++x) plane[x][y] = whole[x][y + cutTop];
  const auto at = [&](std::int32_t mx, std::int32_t my) {
    const TPoint p = testing_support::ModuleCentre(mx, my, 5);
    return TPoint{p.x, p.y - cutTop};
  };
  TSurfaces surfaces;
  TCoordinates geometry(surfaces);
  geometry.SetCentres(at(3, 3), at(41, 3), at(3, 41));
  geometry.SettleVersion(7);
  return geometry.ReadVersionInformation(plane);
}

TEST(VersionInformationRead, ThreeWrongModulesAreToleratedFourFallBackToTheSecondBlock) {
  EXPECT_EQ(ReadVersion(0, 0), 7);
  EXPECT_EQ(ReadVersion(3, 3), 7);
  EXPECT_EQ(ReadVersion(4, 0), 7);
  EXPECT_EQ(ReadVersion(4, 4), 0);
  // Six modules cut off the top: the first block starts above the picture,
  // which ends the reading although the second block is whole and clean.
  EXPECT_EQ(ReadVersion(0, 0, 30), 0);
}

}  // namespace
