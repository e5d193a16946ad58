#include "DataMask.h"

bool MaskCondition(std::int32_t pattern, std::int32_t x, std::int32_t y) {
  // x is the column (j), y the row (i).
  switch (pattern) {
    case 0: return (x + y) % 2 == 0;
    case 1: return y % 2 == 0;
    case 2: return x % 3 == 0;
    case 3: return (x + y) % 3 == 0;
    case 4: return (x / 3 + y / 2) % 2 == 0;
    case 5: return (x * y) % 2 + (x * y) % 3 == 0;
    case 6: return ((x * y) % 2 + (x * y) % 3) % 2 == 0;
    case 7: return ((x * y) % 3 + (x + y) % 2) % 2 == 0;
  }
  return false;
}
