#pragma once

#include <array>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

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

enum class TPictureFormat { Jpeg, Bmp, Png };

// The kinds of picture file the loader reads, in the order they are listed
// to the user, each with the extensions (dot included, lower case) that name it.
struct TPictureKind {
  TPictureFormat format;
  const char* name;
  std::array<const char*, 2> extensions;  // nullptr after the last
};
inline constexpr std::array<TPictureKind, 3> kPictureKinds = {{
    {TPictureFormat::Jpeg, "JPEG", {".jpg", ".jpeg"}},
    {TPictureFormat::Bmp, "BMP", {".bmp", nullptr}},
    {TPictureFormat::Png, "PNG", {".png", nullptr}},
}};

// Every extension of kPictureKinds, in their order.
std::vector<std::string> PictureExtensions();
// The same for messages and help texts: ".jpg, .jpeg, .bmp or .png".
std::string PictureExtensionList();

// The format the lower-cased extension of the name stands for, if any.
std::optional<TPictureFormat> FormatOfName(const std::string& path);

// Loads a picture by the lower-cased extension of its name: ".jpg" and ".jpeg"
// as JPEG, ".bmp" as Windows bitmap, ".png" as PNG (transparent parts on
// white). Any other extension loads nothing and gives std::nullopt. A
// missing, empty, truncated or damaged file, or content that does not match
// the extension, throws TPictureError.
std::optional<TBitmap> LoadPicture(const std::string& path);

// True when LoadPicture would load the file: its name has an extension of
// kPictureKinds, in any case.
bool IsPictureFileName(const std::string& path);

// The extension of the file name, dot included, in lower case ("" when none).
std::string LowerCaseExtension(const std::string& path);
