#include "PrincipalPattern.h"

#include <cmath>

#include "common/Rounding.h"
#include "symbol/Versions.h"

namespace {

// Length and direction of from -> to. The differences are taken in 64 bits so
// that no pair of 32-bit points overflows.
void Measure(TPoint from, TPoint to, long double& length, long double& angle) {
  const long double dx = static_cast<long double>(static_cast<std::int64_t>(to.x) - from.x);
  const long double dy = static_cast<long double>(static_cast<std::int64_t>(to.y) - from.y);
  length = sqrtl(dx * dx + dy * dy);
  angle = atan2l(dy, dx);
}

}  // namespace

TPrincipalPattern::TPrincipalPattern(TPoint centre0, TPoint centre1, TPoint centre2)
    : centres_{centre0, centre1, centre2} {
  Measure(centre0, centre1, lengthX_, angleX_);
  Measure(centre0, centre2, lengthY_, angleY_);
}

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
