#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "classset/ClassRow.h"
#include "common/Bitmap.h"
#include "common/Surfaces.h"
#include "decoder/Analysis.h"
#include "decoder/Explorer.h"
#include "report/PictureSource.h"

// A class set: every picture of a folder analysed as the command line
// analyses one picture, on several threads at once, each picture giving one
// row of a table in the order of the pictures' names. The command line and
// the window both run it; what a row shows (and the files the command line
// writes beside it) is the same whatever the number of threads.

// A folder that cannot be listed. The message is one line naming the folder.
class TClassSetError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The order of the rows: names compared with their runs of digits as
// numbers ("photo-2" before "photo-10") and ASCII letters without their case;
// names equal that way (such as "a-07" and "a-7") in the order of their bytes.
bool NameOrder(std::string_view a, std::string_view b);

// The names of the pictures of the folder (not of its sub-folders), in
// NameOrder: every entry whose name has an extension of the loader's table of
// picture kinds (any letter case) and that is not a folder; hidden entries
// (a name starting with '.') are left out. Throws TClassSetError when the
// folder cannot be read.
std::vector<std::string> ClassSetPictures(const std::string& folder);

struct TClassSetOptions {
  // The parameters of every analysis; with `explore`, only its ForceVersion
  // counts, and each picture is analysed with its map's chosen cell.
  TAnalysisParameters parameters;
  std::optional<TExploreGrid> explore;
  // The picture's own grey levels in each result, for the files that show them.
  bool pictureHistogram = false;
};

// The largest side of a thumbnail, in pixels; smaller pictures keep their size.
inline constexpr std::int32_t kThumbnailSide = 128;
// The picture shrunk to fit kThumbnailSide (each thumbnail pixel the mean of
// the picture's pixels it covers), as a JPEG file, with its size. Nothing for
// an empty picture; throws TJpegError when it cannot be coded.
struct TClassThumbnail {
  std::string jpeg;
  std::int32_t width = 0;
  std::int32_t height = 0;
};
TClassThumbnail ClassThumbnail(const TBitmap& picture);

// What one picture's analysis left, for a writer of files beside its row.
struct TClassPicture {
  const std::string& path;
  const TBitmap& picture;
  // The file as it was when the picture was loaded from it.
  const TPictureSource& source;
  const TSurfaces& surfaces;
  const TAnalysisResult& result;
  // The map of the exploration whose chosen cell was analysed, or nullptr.
  const TExploreMap* explored;
  // The values tried after a failed analysis, or nullptr.
  const TTrial* trial = nullptr;
};
// Writes what it will of a picture and notes it in the row; called on the
// thread that analysed the picture. Anything it throws ends the run.
using TClassWriter = std::function<void(const TClassPicture& picture, TClassRow& row)>;

// One picture of the folder: loaded (a file that cannot be read gives its row
// with the reason), explored when asked, analysed on panes of its own, then
// handed to `writer`. Nothing when `stop` came to hold true first (an
// exploration is cut short by it, and nothing is written after it).
std::optional<TClassRow> AnalyseClassPicture(const std::string& folder, const std::string& name,
                                             const TClassSetOptions& options, const TClassWriter& writer = {},
                                             const std::atomic<bool>* stop = nullptr);

// Called as each row is done, with its index among the names, from the
// thread that made it, one call at a time; `done` counts up by one.
using TClassRowDone = std::function<void(std::size_t index, const TClassRow& row, std::size_t done, std::size_t total)>;

// Every picture of `names` (in the folder) on `jobs` threads, the calling one
// among them: each thread takes the next picture not yet taken and holds one
// picture at a time. The rows come back in the order of `names`; a picture
// not done because `stop` came to hold true has none. What a writer or a
// thread throws stops the other threads and comes out of the run once they
// have ended.
std::vector<std::optional<TClassRow>> RunClassSet(const std::string& folder, const std::vector<std::string>& names,
                                                  const TClassSetOptions& options, unsigned jobs,
                                                  const TClassRowDone& done = {}, const std::atomic<bool>* stop = nullptr,
                                                  const TClassWriter& writer = {});
