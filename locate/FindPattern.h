#pragma once

#include <array>
#include <cstdint>

#include "common/Bitmap.h"
#include "common/DecodeStages.h"
#include "common/Diagnosis.h"
#include "common/Plane.h"
#include "common/Surfaces.h"
#include "common/Types.h"
#include "locate/CenterDots.h"
#include "locate/Lines.h"

// What a finder search found: its code (0 three centres found and ordered, 1
// fewer than three candidates) and the ordered centres. It depends on nothing
// but the binary plane, so it can be kept for further decodes of that plane.
struct TFinderResult {
  std::int32_t code = 1;
  std::array<TPoint, 3> centres{};
};

// Finds the three finder patterns of a symbol in the binary plane and returns
// their centres in a fixed order: the corner pattern first, then the other two
// such that the third lies clockwise from the second, as seen on the screen
// (upright symbol: top-left, top-right, bottom-left).
//
// Every row and every column is scanned for dark-light-dark-light-dark
// stretches in the proportions 1:1:3:1:1 (half a module of tolerance), the
// stretches are grouped by crossing, and the middle stretch of each group
// gives a centre. The work is shown on ClossLineImage: the plane, and after a
// success the triangle of centres (red 0-1, blue 0-2, yellow 1-2).
class TFindPattern {
 public:
  explicit TFindPattern(TSurfaces& surfaces, TDecodeObserver& observer = TDecodeObserver::Nobody());

  // 0 when three centres were found and ordered; 1 when fewer than three
  // candidates exist (the centres keep their previous values). Only the part
  // of the plane inside width x height is scanned.
  std::int32_t Search(const TPlaneBoolean& plane, std::int32_t width, std::int32_t height);
  // Centre 0, 1 or 2 in the ordered form; (0, 0) for any other index.
  TPoint GetPattern(std::int32_t index) const;

  // The finder proportions test on the five most recent runs of a line scan:
  // lengths[(slot + 1) % 5] is the oldest run, lengths[slot] the newest.
  // Passes when every run e lies within the inclusive bounds m*r - m/2 and
  // m*r + m/2 (m = total / 7, r = 1, 1, 3, 1, 1) as computed in extended
  // precision; at totals such as 10 or 20 that rounding puts a middle run of
  // exactly half the stretch outside.
  static bool FinderRunTest(const std::array<std::int32_t, 5>& lengths, std::int32_t slot);
  // Puts three centres in the fixed order: the corner opposite the longest
  // side first, then the other two by their turning direction.
  static std::array<TPoint, 3> OrderCentres(TPoint p0, TPoint p1, TPoint p2);

  // The stretches and candidates of the last search.
  const TLines& HorizontalLines() const { return horizontal_; }
  const TLines& VerticalLines() const { return vertical_; }
  const TCenterDots& CenterDots() const { return centerDots_; }

 private:
  // What the last scan and grouping found, for the observer.
  TFinderFigures Figures() const;
  void Scan(const TPlaneBoolean& plane, std::int32_t width, std::int32_t height);

  TSurfaces& surfaces_;
  TDecodeObserver& observer_;
  TLines horizontal_;
  TLines vertical_;
  TCenterDots centerDots_;
  std::array<TPoint, 3> patterns_{};
};
