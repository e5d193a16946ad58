#include "PrincipalPattern.h"

#include <cmath>

#include "common/Rounding.h"
#include "locate/Geometry.h"
#include "symbol/Versions.h"

TPrincipalPattern::TPrincipalPattern(TPoint centre0, TPoint centre1, TPoint centre2)
    : centres_{centre0, centre1, centre2},
      lengthX_(Distance(centre0, centre1)),
      angleX_(Direction(centre0, centre1)),
      lengthY_(Distance(centre0, centre2)),
      angleY_(Direction(centre0, centre2)) {}

void TPrincipalPattern::SetVersion(std::int32_t version) {
  // The finder centres lie seven modules less than the side apart; never zero
  // for an integer version, and computed in 64 bits for any forced one.
  const long double modules = static_cast<long double>(SymbolSide(version) - 7);
  widthX_ = lengthX_ / modules;
  widthY_ = lengthY_ / modules;
}

TPoint TPrincipalPattern::Centre(std::int32_t index) const {
  if (index < 0 || index > 2) return TPoint{};
  return centres_[index];
}

TPoint TPrincipalPattern::ModuleToImage(std::int32_t a, std::int32_t b, TPoint origin) const {
  const long double x = a * widthX_ * cosl(angleX_) + b * widthY_ * cosl(angleY_) + origin.x;
  const long double y = a * widthX_ * sinl(angleX_) + b * widthY_ * sinl(angleY_) + origin.y;
  return TPoint{RoundHalfEven(x, "module position x"), RoundHalfEven(y, "module position y")};
}
