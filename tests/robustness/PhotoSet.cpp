// The real photographs beside the repository (../shared/photos from the
// source directory), read through the picture loader and decoded with the
// window's preset parameters: every one ends in a text or in a failure that
// says why. Skipped when the photographs are not there.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "ConformancePictures.h"
#include "RobustnessSupport.h"
#include "TempFolder.h"
#include "TestSymbols.h"
#include "picture/PictureLoader.h"
#include "common/ShiftJis.h"

namespace {

std::filesystem::path PhotoDirectory() { return std::filesystem::path(MORILUX_SOURCE_DIR) / ".." / "shared" / "photos"; }

std::vector<std::filesystem::path> Photos() {
  std::vector<std::filesystem::path> photos;
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(PhotoDirectory(), error))
    if (entry.path().extension() == ".bmp") photos.push_back(entry.path());
  std::sort(photos.begin(), photos.end());
  return photos;
}

std::string Trimmed(std::string text) {
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
  return text;
}

}  // namespace

// The loader's limits on hostile JPEG files refuse no real photograph, however it is coded.
TEST(PhotoSet, EveryPhotoReencodedAsJpegLoadsAsLibjpegDecodesIt) {
  const std::vector<std::filesystem::path> photos = Photos();
  if (photos.empty()) GTEST_SKIP() << "no photographs in " << PhotoDirectory();
  const testing_support::TTempFolder folder("photo-reencoded");
  const std::string path = folder.Path("photo.jpg");
  const std::pair<const char*, testing_support::TJpegCoding> codings[] = {
      {"baseline", {}}, {"progressive", {true, false, false, 0}}, {"arithmetic", {false, true, false, 0}}};
  for (const auto& photo : photos) {
    const std::optional<TBitmap> picture = LoadPicture(photo.string());
    ASSERT_TRUE(picture.has_value()) << photo;
    for (const auto& [name, coding] : codings) {
      testing_support::WriteJpeg(*picture, path, 75, coding);
      std::optional<TBitmap> loaded;
      ASSERT_NO_THROW(loaded = LoadPicture(path)) << photo << " " << name;
      ASSERT_TRUE(loaded.has_value());
      EXPECT_EQ(*loaded, testing_support::ReadJpeg(path)) << photo << " " << name;
    }
  }
}

TEST(PhotoSet, EveryPhotoEndsInATextOrAClearFailure) {
  const std::vector<std::filesystem::path> photos = Photos();
  if (photos.empty()) GTEST_SKIP() << "no photographs in " << PhotoDirectory();
  TSurfaces surfaces;
  TVeltrix veltrix(surfaces);
  int decoded = 0, matching = 0;
  for (const auto& path : photos) {
    std::optional<TBitmap> picture;
    ASSERT_NO_THROW(picture = LoadPicture(path.string())) << path;
    ASSERT_TRUE(picture.has_value()) << path;
    // The window's presets: Resolver 7, Warp 6, automatic version.
    const auto outcome = robustness::Decode(veltrix, *picture, {7, 6, 0});
    EXPECT_TRUE(robustness::EndsCleanly(outcome)) << path;
    if (!outcome.decoded) continue;
    ++decoded;
    std::filesystem::path expected = path;
    expected.replace_extension(".txt");
    if (!std::filesystem::exists(expected)) continue;
    if (ShiftJisToUtf8(outcome.text) == Trimmed(testing_support::ReadFile(expected.string())))
      ++matching;
    else
      std::printf("%s: decoded \"%s\", not the text of its file\n", path.filename().c_str(), ShiftJisToUtf8(outcome.text).c_str());
  }
  // Not every photograph is readable by one global threshold; the count is
  // for the record.
  std::printf("%zu photographs: %d decoded, %d of them matching their text file\n", photos.size(), decoded, matching);
}
