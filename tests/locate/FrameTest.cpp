#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <functional>
#include <numbers>
#include <random>
#include <string>
#include <vector>

#include "ModulePlanes.h"
#include "TestSymbols.h"
#include "common/Errors.h"
#include "common/Surfaces.h"
#include "locate/Coordinates.h"

namespace {

constexpr long double kPi = std::numbers::pi_v<long double>;

std::string MessageOf(const std::function<void()>& action) {
  try {
    action();
  } catch (const TMathError& error) {
    return error.what();
  }
  return "no failure";
}

// Centres (0, 0), (140, 0), (0, 140) of a version-1 symbol: pitch 10.
void PitchTen(TCoordinates& geometry) {
  geometry.SetCentres({0, 0}, {140, 0}, {0, 140});
  geometry.SettleVersion(1);
}

TEST(FrameCorners, VersionOneSymbolAtPitchTen) {
  // 10 pixels per module, 4-module quiet zone: the symbol covers pixels 40 to
  // 249 and the finder centres are (75, 75), (215, 75) and (75, 215).
  for (const bool darkCorner : {true, false}) {
    SCOPED_TRACE(darkCorner ? "dark corner module" : "light corner module");
    TPlaneBoolean modules = testing_support::EncodeBytes("FRAME", 1, 1).Matrix();
    modules[20][20] = darkCorner;
    const TPlaneBoolean plane = testing_support::PlaneFromModules(modules, 10);
    TSurfaces surfaces;
    TCoordinates geometry(surfaces);
    geometry.SetCentres({75, 75}, {215, 75}, {75, 215});
    geometry.SettleVersion(1);
    // Predictions half a finder pattern out from the centres, and the estimate
    // one module inside the bottom-right corner.
    EXPECT_EQ(geometry.ModuleOffsetToImage({75, 75}, -3.5L, -3.5L), (TPoint{40, 40}));
    EXPECT_EQ(geometry.ModuleOffsetToImage({215, 75}, 3.5L, -3.5L), (TPoint{250, 40}));
    EXPECT_EQ(geometry.ModuleOffsetToImage({75, 215}, -3.5L, 3.5L), (TPoint{40, 250}));
    EXPECT_EQ(geometry.ModuleOffsetToImage({75, 75}, 16.5L, 16.5L), (TPoint{240, 240}));
    geometry.FrameSymbol(plane, plane.Width(), plane.Height());
    // A light corner module: the window hits a neighbouring module, and the
    // bottom and right edges meet at the light outer corner.
    EXPECT_EQ(geometry.SearchHit() == (TPoint{249, 249}), darkCorner);
    const std::array<TPoint, 4> corners = {geometry.Corner(0), geometry.Corner(1), geometry.Corner(2), geometry.Corner(3)};
    EXPECT_EQ(corners, (std::array<TPoint, 4>{{{40, 40}, {249, 40}, {40, 249}, {249, 249}}}));
    EXPECT_EQ(geometry.TopLength(), 209.0L);
  }
}

TEST(FrameCorners, WarpSizesTheWindowAndHugeWindowsScanOnlyThePlane) {
  TSurfaces surfaces;
  TCoordinates geometry(surfaces);
  PitchTen(geometry);
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

  // A pitch of 10^8 pixels: the corner window would hold 10^18 pixels.
  geometry.SetCentres({0, 0}, {1400000000, 0}, {0, 1400000000});
  geometry.SettleVersion(1);
  TPlaneBoolean small(300, 200);
  small[299][0] = small[0][199] = 1;
  const auto start = std::chrono::steady_clock::now();
  ASSERT_TRUE(geometry.FindFarthestDark(small, 300, 200, {150, 100}, {0, 0}, 6));
  EXPECT_EQ(geometry.SearchHit(), (TPoint{299, 0}));
  // Every pixel of the plane is nearer to the corner than 0.3 of this edge.
  EXPECT_EQ(geometry.RightEdgeAngle(small, 300, 200, {10, 10}, {2000000000, 1999999999}), 2 * kPi);
  EXPECT_EQ(geometry.BottomEdgeAngle(small, 300, 200, {10, 10}, {2000000000, 1999999999}), -2 * kPi);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
}

TEST(FrameCorners, AmongEquallyFarPixelsTheFirstColumnThenTheFirstRowWins) {
  TSurfaces surfaces;
  TCoordinates geometry(surfaces);
  PitchTen(geometry);  // window of radius 10 for k = 1
  struct TTie {
    TPoint first;   // first in the scan: the column left of the other, or the same column higher up
    TPoint second;
  };
  // Pairs at the same distance from the reference (50, 50).
  for (const TTie& tie : std::vector<TTie>{{{44, 42}, {44, 58}},     // one column
                                           {{42, 44}, {58, 44}},     // one row
                                           {{44, 58}, {56, 42}},     // the left one lower
                                           {{42, 56}, {56, 58}}}) {  // 6^2 + 8^2 = 8^2 + 6^2
    TPlaneBoolean plane(100, 100);
    plane[tie.first.x][tie.first.y] = plane[tie.second.x][tie.second.y] = 1;
    ASSERT_TRUE(geometry.FindFarthestDark(plane, 100, 100, {50, 50}, {50, 50}, 1));
    EXPECT_EQ(geometry.SearchHit(), tie.first) << tie.first.x << "," << tie.first.y;
  }
}

TEST(FrameEdges, AnglesAreExactOnTheAxesAndStraightLeftDependsOnTheEdge) {
  EXPECT_EQ(TCoordinates::DirectionAngle({5, 5}, {9, 5}), 0.0L);
  EXPECT_EQ(TCoordinates::DirectionAngle({5, 5}, {5, 9}), kPi / 2);
  EXPECT_EQ(TCoordinates::DirectionAngle({5, 5}, {1, 5}), kPi);
  EXPECT_EQ(TCoordinates::DirectionAngle({5, 5}, {5, 1}), -kPi / 2);
  EXPECT_EQ(TCoordinates::DirectionAngle({5, 5}, {6, 4}), -kPi / 4);
  EXPECT_EQ(MessageOf([] { TCoordinates::DirectionAngle({5, 5}, {5, 5}); }), "Base Angle Error");

  // Axis-aligned edges need no scan.
  TSurfaces surfaces;
  TCoordinates geometry(surfaces);
  TPlaneBoolean plane(60, 60);
  EXPECT_EQ(geometry.BottomEdgeAngle(plane, 60, 60, {10, 10}, {10, 40}), kPi / 2);
  EXPECT_EQ(geometry.RightEdgeAngle(plane, 60, 60, {10, 40}, {10, 10}), -kPi / 2);
  EXPECT_EQ(geometry.BottomEdgeAngle(plane, 60, 60, {10, 10}, {40, 10}), 0.0L);
  EXPECT_EQ(geometry.RightEdgeAngle(plane, 60, 60, {40, 10}, {10, 10}), -kPi);
  EXPECT_EQ(MessageOf([&] { geometry.BottomEdgeAngle(plane, 60, 60, {10, 10}, {10, 10}); }), "Base Angle Error");

  // A dark pixel straight left of (40, 40) counts as -pi when the edge runs up
  // to the left, as +pi when it runs down to the left.
  plane[20][40] = 1;
  EXPECT_EQ(geometry.RightEdgeAngle(plane, 60, 60, {40, 40}, {10, 20}), -kPi);
  EXPECT_EQ(geometry.BottomEdgeAngle(plane, 60, 60, {40, 40}, {10, 20}), -kPi);
  EXPECT_EQ(geometry.BottomEdgeAngle(plane, 60, 60, {40, 40}, {10, 50}), kPi);
}

TEST(FrameEdges, OnlyALightIntersectionAwayFromTheHitReplacesTheCorner) {
  TSurfaces surfaces;
  TCoordinates geometry(surfaces);
  PitchTen(geometry);
  // The bottom edge from C2 = (10, 80) and the right edge from C1 = (80, 10) meet at (80, 80).
  TPlaneBoolean plane(100, 100);
  plane[60][80] = plane[80][60] = 1;
  const auto checkFrom = [&](TPoint hit) {
    plane[hit.x][hit.y] = 1;
    geometry.SetCorners({10, 10}, {80, 10}, {10, 80}, hit);
    geometry.CheckBottomRightCorner(plane, 100, 100);
    return geometry.Corner(3);
  };
  EXPECT_EQ(checkFrom({77, 77}), (TPoint{77, 77}));  // within half a module
  EXPECT_EQ(checkFrom({70, 70}), (TPoint{80, 80}));
  plane[80][80] = 1;
  EXPECT_EQ(checkFrom({70, 70}), (TPoint{70, 70}));  // dark intersection

  plane = TPlaneBoolean(100, 100);  // as at the start: only the two edge pixels dark
  plane[60][80] = plane[80][60] = 1;
  const auto failure = [&](TPoint c1, TPoint c2, TPoint c3) {
    return MessageOf([&] {
      geometry.SetCorners({10, 10}, c1, c2, c3);
      geometry.CheckBottomRightCorner(plane, 100, 100);
    });
  };
  EXPECT_EQ(failure({5, 80}, {10, 80}, {30, 80}), "Program Error");    // parallel edges
  EXPECT_EQ(failure({150, 0}, {0, 50}, {150, 50}), "Program Error");   // intersection off the plane
  EXPECT_EQ(failure({80, 10}, {10, 80}, {10, 80}), "Base Angle Error");  // C3 on C2
}

long double PlainDistance(TPoint a, TPoint b) {
  const long double dx = static_cast<long double>(static_cast<std::int64_t>(b.x) - a.x);
  const long double dy = static_cast<long double>(static_cast<std::int64_t>(b.y) - a.y);
  return sqrtl(dx * dx + dy * dy);
}

// The extreme direction angle from q of the dark pixels of the rectangle q-r,
// at least 0.3 of the edge away from q, looked at one pixel after the other.
long double PlainEdgeAngle(const TPlaneBoolean& plane, TPoint q, TPoint r, bool largest) {
  const long double nearest = 0.3L * PlainDistance(q, r);
  const bool upLeft = r.x < q.x && r.y < q.y;
  long double best = largest ? -2 * kPi : 2 * kPi;
  for (std::int32_t y = std::max(0, std::min(q.y, r.y)); y <= std::min(plane.Height() - 1, std::max(q.y, r.y)); ++y)
    for (std::int32_t x = std::max(0, std::min(q.x, r.x)); x <= std::min(plane.Width() - 1, std::max(q.x, r.x)); ++x) {
      if (!plane(x, y) || PlainDistance(q, {x, y}) < nearest) continue;
      const long double angle = (upLeft && y == q.y && x < q.x) ? -kPi : TCoordinates::DirectionAngle(q, {x, y});
      if (largest ? angle > best : angle < best) best = angle;
    }
  return best;
}

TEST(CornerSearch, EdgeAnglesAndFarthestPixelsMatchAPixelByPixelSearch) {
  std::minstd_rand random(99);
  auto below = [&random](std::int32_t n) { return static_cast<std::int32_t>(random() % static_cast<std::uint32_t>(n)); };
  TSurfaces surfaces;
  TCoordinates coordinates(surfaces);
  coordinates.SetCentres({10, 10}, {70, 14}, {6, 70});
  coordinates.SettleVersion(3);
  for (int round = 0; round < 60; ++round) {
    // Sparse and dense planes, with lines through them so that many pixels share a direction.
    const std::int32_t width = 20 + below(90), height = 20 + below(90);
    TPlaneBoolean plane(width, height);
    const std::uint32_t density = 1 + static_cast<std::uint32_t>(below(60));
    for (std::int32_t y = 0; y < height; ++y)
      for (std::int32_t x = 0; x < width; ++x) plane(x, y) = random() % 100 < density ? 1 : 0;
    const TPoint origin{below(width), below(height)};
    for (std::int32_t t = 0; t < 40; ++t) {
      const TPoint p{origin.x + t * (1 + round % 3), origin.y - t * (round % 4)};
      if (plane.Contains(p)) plane(p.x, p.y) = 1;
    }
    for (int pair = 0; pair < 8; ++pair) {
      // Corners inside, on the border of, and outside the plane, in all four quadrants.
      const TPoint q{below(width + 40) - 20, below(height + 40) - 20};
      const TPoint r{below(width + 40) - 20, below(height + 40) - 20};
      if (q.x == r.x || q.y == r.y) continue;
      EXPECT_EQ(coordinates.BottomEdgeAngle(plane, width, height, q, r), PlainEdgeAngle(plane, q, r, true))
          << round << ": " << q.x << "," << q.y << " " << r.x << "," << r.y;
      EXPECT_EQ(coordinates.RightEdgeAngle(plane, width, height, q, r), PlainEdgeAngle(plane, q, r, false))
          << round << ": " << q.x << "," << q.y << " " << r.x << "," << r.y;

      // Farthest dark pixel from r in the window around q: the first of the farthest, column by column.
      const std::int32_t k = 1 + below(3);
      const std::int64_t radius = std::llround(k * std::max(coordinates.Pitch1(), coordinates.Pitch2()));
      long double best = 0;
      TPoint hit{-1, -1};
      for (std::int64_t x = std::max<std::int64_t>(0, q.x - radius); x <= std::min<std::int64_t>(width - 1, q.x + radius); ++x)
        for (std::int64_t y = std::max<std::int64_t>(0, q.y - radius); y <= std::min<std::int64_t>(height - 1, q.y + radius); ++y) {
          const TPoint pixel{static_cast<std::int32_t>(x), static_cast<std::int32_t>(y)};
          if (!plane(pixel.x, pixel.y)) continue;
          if (PlainDistance(pixel, r) > best) {
            best = PlainDistance(pixel, r);
            hit = pixel;
          }
        }
      const bool found = coordinates.FindFarthestDark(plane, width, height, q, r, k);
      EXPECT_EQ(found, best != 0) << round;
      if (found) {
        EXPECT_EQ(coordinates.SearchHit().x, hit.x) << round;
        EXPECT_EQ(coordinates.SearchHit().y, hit.y) << round;
      }
    }
  }
}

}  // namespace
