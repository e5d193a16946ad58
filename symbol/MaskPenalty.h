#pragma once

#include <cstdint>

#include "common/Plane.h"

// How unfit a masked symbol is for reading, by the four rules an encoder uses
// to choose its mask (the lowest total wins):
//   runs       a row or column run of five or more modules of one colour:
//              3, plus 1 for each module past the fifth;
//   blocks     every 2 x 2 block of one colour (overlapping blocks counted): 3;
//   finders    every 1:1:3:1:1 dark-light-dark-light-dark run with four light
//              modules before or after it, in a row or column: 40;
//   balance    10 for every full 5 % by which the dark share strays from 50 %.
struct TMaskPenalty {
  std::int64_t runs = 0;
  std::int64_t blocks = 0;
  std::int64_t finders = 0;
  std::int64_t balance = 0;

  std::int64_t Total() const { return runs + blocks + finders + balance; }
  friend bool operator==(const TMaskPenalty&, const TMaskPenalty&) = default;
};

// The penalties of a whole symbol (every module, function patterns included),
// `modules` being its side x side plane [x][y], True = dark. A plane that is
// not square is scored over its whole width and height.
TMaskPenalty MaskPenalty(const TPlaneBoolean& modules);
