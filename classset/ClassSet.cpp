#include "classset/ClassSet.h"

#include <algorithm>
#include <array>
#include <exception>
#include <filesystem>
#include <mutex>
#include <system_error>
#include <thread>

#include "image/FrontImage.h"
#include "picture/JpegFile.h"
#include "picture/PictureLoader.h"

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
unsigned char Folded(char c) {
  return static_cast<unsigned char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
}

// The run of digits at `at`, without its leading zeros; `at` moves past it.
std::string_view DigitRun(std::string_view name, std::size_t& at) {
  const std::size_t start = at;
  while (at < name.size() && IsDigit(name[at])) ++at;
  std::string_view run = name.substr(start, at - start);
  while (run.size() > 1 && run.front() == '0') run.remove_prefix(1);
  return run;
}

// JPEG quality of the thumbnails: small files, no visible blocks at their size.
constexpr int kThumbnailQuality = 85;

// The picture shrunk to width x height, each pixel the mean of the block of
// pictures' pixels it covers (the blocks' edges at i * size / target,
// truncated, so that every picture pixel counts in exactly one block).
TBitmap Shrunk(const TBitmap& picture, std::int32_t width, std::int32_t height) {
  const std::int64_t w = picture.Width(), h = picture.Height();
  std::vector<std::int32_t> column(static_cast<std::size_t>(w));
  for (std::int32_t tx = 0, x = 0; tx < width; ++tx)
    for (const std::int64_t end = (tx + 1) * w / width; x < end; ++x) column[static_cast<std::size_t>(x)] = tx;
  TBitmap shrunk = TBitmap::WithoutFill(width, height);
  std::vector<std::array<std::uint64_t, 3>> sums(static_cast<std::size_t>(width));
  std::vector<std::uint64_t> counts(static_cast<std::size_t>(width));
  std::vector<TColor> scratch(static_cast<std::size_t>(w));
  std::int64_t y = 0;
  for (std::int32_t ty = 0; ty < height; ++ty) {
    std::fill(sums.begin(), sums.end(), std::array<std::uint64_t, 3>{});
    std::fill(counts.begin(), counts.end(), 0);
    for (const std::int64_t end = (ty + 1) * h / height; y < end; ++y) {
      const TColor* row = picture.ReadRow(static_cast<std::int32_t>(y), scratch.data());
      for (std::int64_t x = 0; x < w; ++x) {
        const auto tx = static_cast<std::size_t>(column[static_cast<std::size_t>(x)]);
        const TColor c = row[x];
        sums[tx][0] += c & 0xFF;
        sums[tx][1] += (c >> 8) & 0xFF;
        sums[tx][2] += (c >> 16) & 0xFF;
        ++counts[tx];
      }
    }
    TColor* out = shrunk.MutableRow(ty);
    for (std::size_t tx = 0; tx < sums.size(); ++tx) {
      const std::uint64_t n = std::max<std::uint64_t>(counts[tx], 1);
      const auto mean = [&](int channel) { return static_cast<TColor>((sums[tx][channel] + n / 2) / n); };
      out[tx] = mean(0) | mean(1) << 8 | mean(2) << 16;
    }
  }
  return shrunk;
}

// The load command's part: the picture, or the one-line reason it cannot be had.
std::optional<TBitmap> Load(const std::string& path, std::string& message) {
  try {
    std::optional<TBitmap> picture = LoadPicture(path);
    if (!picture) message = path + ": unsupported extension (use " + PictureExtensionList() + ")";
    return picture;
  } catch (const TPictureError& failure) {
    message = failure.what();
  } catch (const std::exception& failure) {
    message = path + ": cannot load the picture: " + failure.what();
  }
  return std::nullopt;
}

}  // namespace

bool NameOrder(std::string_view a, std::string_view b) {
  std::size_t i = 0, j = 0;
  while (i < a.size() && j < b.size()) {
    if (IsDigit(a[i]) && IsDigit(b[j])) {
      const std::string_view x = DigitRun(a, i), y = DigitRun(b, j);
      if (x.size() != y.size()) return x.size() < y.size();
      if (x != y) return x < y;
      continue;
    }
    if (Folded(a[i]) != Folded(b[j])) return Folded(a[i]) < Folded(b[j]);
    ++i;
    ++j;
  }
  if ((i < a.size()) != (j < b.size())) return j < b.size();
  return a < b;
}

std::vector<std::string> ClassSetPictures(const std::string& folder) {
  namespace fs = std::filesystem;
  std::error_code error;
  fs::directory_iterator entry(fs::path(folder), error);
  const auto fail = [&] { return TClassSetError(folder + ": cannot read the folder: " + error.message()); };
  if (error) throw fail();
  std::vector<std::string> names;
  for (; entry != fs::directory_iterator(); entry.increment(error)) {
    if (error) throw fail();
    const std::string name = entry->path().filename().string();
    if (name.empty() || name.front() == '.' || !IsPictureFileName(name)) continue;
    std::error_code ignored;
    if (entry->is_directory(ignored)) continue;
    names.push_back(name);
  }
  if (error) throw fail();
  std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) { return NameOrder(a, b); });
  return names;
}

TClassThumbnail ClassThumbnail(const TBitmap& picture) {
  if (picture.Empty()) return {};
  const std::int32_t side = std::max(picture.Width(), picture.Height());
  const auto scaled = [&](std::int32_t size) {
    if (side <= kThumbnailSide) return size;
    return std::max<std::int32_t>(1, static_cast<std::int32_t>((std::int64_t{size} * kThumbnailSide + side / 2) / side));
  };
  TClassThumbnail thumbnail{{}, scaled(picture.Width()), scaled(picture.Height())};
  thumbnail.jpeg = EncodeJpeg(Shrunk(picture, thumbnail.width, thumbnail.height), kThumbnailQuality);
  return thumbnail;
}

std::optional<TClassRow> AnalyseClassPicture(const std::string& folder, const std::string& name,
                                             const TClassSetOptions& options, const TClassWriter& writer,
                                             const std::atomic<bool>* stop) {
  const auto stopped = [stop] { return stop != nullptr && stop->load(std::memory_order_relaxed); };
  if (stopped()) return std::nullopt;
  const std::string path = (std::filesystem::path(folder) / name).string();
  TClassRow row;
  row.name = name;
  // Taken before the load: a report embeds the file only while it is still what was loaded.
  const TPictureSource source(path);
  const std::optional<TBitmap> picture = Load(path, row.message);
  if (!picture) return row;
  row.width = picture->Width();
  row.height = picture->Height();
  try {
    TClassThumbnail thumbnail = ClassThumbnail(*picture);
    row.thumbnail = std::move(thumbnail.jpeg);
    row.thumbnailWidth = thumbnail.width;
    row.thumbnailHeight = thumbnail.height;
  } catch (const std::exception&) {
    // A row without its thumbnail says all the rest.
  }

  std::optional<TExploreMap> map;
  TAnalysisParameters parameters = options.parameters;
  if (options.explore) {
    map = TExplorer(*picture, *options.explore).Run({}, stop);
    if (!map->complete) return std::nullopt;
    // The presets when no cell decodes, as the command line's exploration.
    parameters.forceVersion = options.explore->forceVersion;
    if (const std::optional<std::size_t> chosen = map->Chosen())
      parameters = {map->cells[*chosen].resolver, map->cells[*chosen].warp, options.explore->forceVersion};
    row.cells = map->cells.size();
    row.decodingCells = static_cast<std::size_t>(
        std::count_if(map->cells.begin(), map->cells.end(), [](const TExploreCell& cell) { return cell.result.decoded; }));
  }

  TSurfaces surfaces;
  surfaces.Image(TImagePaneId::Image1).ReplacePicture(*picture);
  surfaces.Image(TImagePaneId::Image2).ReplacePicture(*picture);
  TVeltrix veltrix(surfaces);
  TAnalysisResult result = Analyse(veltrix, surfaces, *picture, parameters);
  if (options.pictureHistogram) result.diagnosis.pictureHistogram = TFrontImage::GreyHistogram(*picture);

  row.outcome = result.decoded ? TClassOutcome::Decoded : TClassOutcome::NotDecoded;
  if (!result.decoded) row.message = result.failureReason.empty() ? "the symbol could not be decoded" : result.failureReason;
  row.parameters = result.parameters;
  row.text = result.text;
  row.stage = result.stage;
  row.verdict = result.verdict;
  // The trial of suggestions, a step after the analysis as on the command line.
  if (WorthTrying(result)) {
    row.trial = TTrialRunner(*picture, result, 0).Run(stop, 1);
    if (!row.trial->complete) return std::nullopt;
  }
  if (stopped()) return std::nullopt;
  if (writer) writer({path, *picture, source, surfaces, result, map ? &*map : nullptr, row.trial ? &*row.trial : nullptr}, row);
  return row;
}

std::vector<std::optional<TClassRow>> RunClassSet(const std::string& folder, const std::vector<std::string>& names,
                                                  const TClassSetOptions& options, unsigned jobs, const TClassRowDone& done,
                                                  const std::atomic<bool>* stop, const TClassWriter& writer) {
  std::vector<std::optional<TClassRow>> rows(names.size());
  std::atomic<std::size_t> next{0};
  // Set when a thread failed: the others end after (without a stop of the
  // caller's: within) the picture they are on.
  std::atomic<bool> failed{false};
  std::mutex doneLock;
  std::size_t doneCount = 0;
  const auto work = [&] {
    for (std::size_t i = next++; i < names.size(); i = next++) {
      if (failed.load(std::memory_order_relaxed)) return;
      // Without a stop of the caller's, another thread's failure stops this
      // picture's exploration and trial too.
      std::optional<TClassRow> row = AnalyseClassPicture(folder, names[i], options, writer, stop != nullptr ? stop : &failed);
      if (!row) return;
      rows[i] = std::move(row);
      if (done) {
        const std::lock_guard<std::mutex> lock(doneLock);
        done(i, *rows[i], ++doneCount, names.size());
      }
    }
  };
  const std::size_t threads = std::clamp<std::size_t>(jobs, 1, std::max<std::size_t>(names.size(), 1));
  std::vector<std::exception_ptr> failures(threads);
  const auto guarded = [&](std::size_t t) {
    try {
      work();
    } catch (...) {
      failures[t] = std::current_exception();
      failed = true;
    }
  };
  std::vector<std::thread> helpers;
  for (std::size_t t = 1; t < threads; ++t) {
    try {
      helpers.emplace_back(guarded, t);
    } catch (const std::system_error&) {
      // No further thread to be had: those started take every picture.
      break;
    }
  }
  guarded(0);
  for (std::thread& helper : helpers) helper.join();
  for (const std::exception_ptr& failure : failures)
    if (failure) std::rethrow_exception(failure);
  return rows;
}
