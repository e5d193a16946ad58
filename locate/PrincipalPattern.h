#pragma once

#include <cstdint>

#include "common/Types.h"

// The two axes of a symbol, taken from its three finder-pattern centres:
// centre 0 is the corner pattern, the X axis runs to centre 1 and the Y axis
// to centre 2. Each axis has a direction in the image and, once the version is
// known, the width of one module along it. The axes are used as measured (not
// forced perpendicular or equal), so module offsets map affinely to pixels.
class TPrincipalPattern {
 public:
  TPrincipalPattern(TPoint centre0, TPoint centre1, TPoint centre2);

  // Derives both module widths: the finder centres of a symbol are seven
  // modules less than its side apart.
  void SetVersion(std::int32_t version);

  long double GetModuleWidthX() const { return widthX_; }
  long double GetModuleWidthY() const { return widthY_; }
  long double GetAngleX() const { return angleX_; }
  long double GetAngleY() const { return angleY_; }
  long double GetLengthX() const { return lengthX_; }
  long double GetLengthY() const { return lengthY_; }
  TPoint Centre(std::int32_t index) const;

  // Pixel reached from origin by a modules along the X axis and b modules
  // along the Y axis; the whole sum, origin included, is rounded.
  TPoint ModuleToImage(std::int32_t a, std::int32_t b, TPoint origin) const;

 private:
  TPoint centres_[3];
  long double lengthX_ = 0;
  long double angleX_ = 0;
  long double widthX_ = 0;
  long double lengthY_ = 0;
  long double angleY_ = 0;
  long double widthY_ = 0;
};
