#include "LoadChecks.h"

#include <filesystem>
#include <system_error>

#include "PictureLoader.h"

namespace picture_loading {

void Fail(const std::string& path, const std::string& reason) {
  std::string line = path + ": " + reason;
  // One line, whatever the file name or a library message holds.
  for (char& c : line)
    if (c == '\n' || c == '\r') c = ' ';
  throw TPictureError(line);
}

void CheckFile(const std::string& path) {
  std::error_code error;
  const auto status = std::filesystem::status(path, error);
  if (error || !std::filesystem::exists(status)) {
    if (error && error != std::errc::no_such_file_or_directory) Fail(path, "cannot open: " + error.message());
    Fail(path, "no such file");
  }
  if (!std::filesystem::is_regular_file(status)) Fail(path, "not a regular file");
  const auto size = std::filesystem::file_size(path, error);
  if (!error && size == 0) Fail(path, "the file is empty");
}

bool TooLarge(long long width, long long height) { return width * height > kMaxPicturePixels; }

std::string SizeReason(long long width, long long height) {
  return "the picture is too large (" + std::to_string(width) + " x " + std::to_string(height) +
         " pixels, at most " + std::to_string(kMaxPicturePixels / 1'000'000) + " megapixels are accepted)";
}

}  // namespace picture_loading
