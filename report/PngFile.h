#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "common/Bitmap.h"
#include "common/Plane.h"

// Pictures as PNG files, small and quick to make: a picture of at most 256
// colours (a binary plane with a few painted marks, a module picture) as a
// palette picture of 1, 2, 4 or 8 bits a pixel, any other as 8-bit RGB. The
// file holds exactly the picture's colours.
//
// The parts of a picture that reading may change (the pixels painted over a
// plane are put in order on first reading) are taken when a TPngPicture is
// made, on the calling thread; Encode then only reads, and may run on another
// thread while the picture's owner waits.
class TPngPicture {
 public:
  explicit TPngPicture(const TBitmap& picture);

  // The PNG file's bytes. Throws std::runtime_error when libpng fails (for
  // want of memory).
  std::string Encode() const;

  std::size_t Area() const;

 private:
  // Row y as colour values, in `scratch` or in the picture.
  const TColor* Row(std::int32_t y, TColor* scratch) const;

  // An ordinary or packed picture, read through its rows.
  TBitmap picture_;
  // A picture over a plane: the plane and the painted pixels in order of position.
  std::shared_ptr<const TPlaneBoolean> plane_;
  std::vector<std::pair<std::size_t, TColor>> painted_;
};

// Encodes the pictures on up to `threads` threads (the calling one included)
// and gives their files in the same order. Throws what an encoding threw.
std::vector<std::string> EncodePngs(const std::vector<const TPngPicture*>& pictures, unsigned threads);
