#pragma once

#include <optional>
#include <stdexcept>
#include <string>

#include "common/Bitmap.h"

// A picture file that cannot be loaded. The message is one line naming the
// file and the reason.
class TPictureError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The largest picture accepted, in pixels; larger ones are refused from their
// header, before anything large is allocated.
inline constexpr long long kMaxPicturePixels = 120'000'000;

// Loads a picture by the lower-cased extension of its name: ".jpg" and ".jpeg"
// as JPEG, ".bmp" as Windows bitmap. Any other extension loads nothing and
// gives std::nullopt. A missing, empty, truncated or damaged file, or content
// that does not match the extension, throws TPictureError.
std::optional<TBitmap> LoadPicture(const std::string& path);

// True when LoadPicture would load the file: its name ends in ".jpg", ".jpeg"
// or ".bmp", in any case.
bool IsPictureFileName(const std::string& path);

// The extension of the file name, dot included, in lower case ("" when none).
std::string LowerCaseExtension(const std::string& path);
