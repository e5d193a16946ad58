#pragma once

#include <cstdint>
#include <string>

#include "common/Bitmap.h"

// Operations on the loaded picture where no parameter can help: the colours
// inverted (light modules on a dark ground), the picture mirrored left to
// right, and turned clockwise by quarter turns. Applied in that order
// (mirror, turn, invert); an operated picture replaces the loaded one as a
// new load does.
struct TPictureOperations {
  bool invert = false;
  bool mirror = false;
  std::int32_t rotate = 0;  // clockwise degrees: 0, 90, 180 or 270

  bool Any() const { return invert || mirror || rotate != 0; }
  friend bool operator==(const TPictureOperations&, const TPictureOperations&) = default;
};

// True for 0, 90, 180 and 270.
bool ValidRotation(std::int32_t degrees);

// The picture with the operations applied (a copy; the picture unchanged
// when there are none). Throws std::invalid_argument for a rotation that is
// no quarter turn.
TBitmap ApplyOperations(const TBitmap& picture, const TPictureOperations& operations);

// "inverted, mirrored, turned 90°" / "白黒反転、左右反転、90° 回転"; empty when none.
std::string EnglishText(const TPictureOperations& operations);
std::string JapaneseText(const TPictureOperations& operations);
// "--invert --mirror --rotate 90"; empty when none.
std::string CommandLineForm(const TPictureOperations& operations);
