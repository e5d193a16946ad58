#include "decoder/Explorer.h"

#include <algorithm>
#include <cstdlib>
#include <exception>
#include <mutex>
#include <stdexcept>
#include <system_error>
#include <thread>
#include <tuple>

#include "decoder/Parameters.h"
#include "decoder/Veltrix.h"

namespace {

// Panes that keep nothing: the cells' pictures and lines are never looked at,
// and painting on an empty picture costs nothing.
class TSilentImagePane : public TImagePane {
 public:
  void ReplacePicture(const TBitmap&) override {}
};

class TSilentTextPane : public TTextPane {
 public:
  void AppendLine(const std::string&) override {}
  void Clear() override {}
};

class TSilentSurfaces : public TSurfaces {
 public:
  TSilentSurfaces() {
    for (std::size_t i = 0; i < kImagePaneCount; ++i) InstallImagePane(static_cast<TImagePaneId>(i), &images_[i]);
    for (std::size_t i = 0; i < kTextPaneCount; ++i) InstallTextPane(static_cast<TTextPaneId>(i), &texts_[i]);
  }
  void SetStatus(int, const std::string&) override {}

 private:
  std::array<TSilentImagePane, kImagePaneCount> images_;
  std::array<TSilentTextPane, kTextPaneCount> texts_;
};

std::vector<std::int32_t> Values(const TExploreRange& range, TParameter parameter) {
  const TParameterRange& limits = RangeOf(parameter);
  const std::string name(limits.name);
  if (range.step < 1) throw std::invalid_argument(name + " step must be at least 1");
  if (range.from > range.to) throw std::invalid_argument(name + " range runs backwards");
  if (range.from < limits.minimum || range.to > limits.maximum)
    throw std::invalid_argument(name + " range must lie within " + std::to_string(limits.minimum) + ".." +
                                std::to_string(limits.maximum));
  std::vector<std::int32_t> values;
  for (std::int64_t v = range.from; v <= range.to; v += range.step) values.push_back(static_cast<std::int32_t>(v));
  return values;
}

}  // namespace

TExploreGrid TExploreGrid::Make(const TExploreRange& resolver, const TExploreRange& warp, std::int32_t forceVersion) {
  const TParameterRange& force = RangeOf(TParameter::ForceVersion);
  if (force.Clamp(forceVersion) != forceVersion)
    throw std::invalid_argument("ForceVersion must lie within " + std::to_string(force.minimum) + ".." +
                                std::to_string(force.maximum));
  TExploreGrid grid;
  grid.resolvers = Values(resolver, TParameter::Resolver);
  grid.warps = Values(warp, TParameter::Warp);
  grid.forceVersion = forceVersion;
  // The preset belongs to every grid that spans it, so that the map always
  // shows what the analysis does without exploring.
  const std::int32_t preset = RangeOf(TParameter::Resolver).preset;
  if (preset >= resolver.from && preset <= resolver.to &&
      !std::binary_search(grid.resolvers.begin(), grid.resolvers.end(), preset))
    grid.resolvers.insert(std::upper_bound(grid.resolvers.begin(), grid.resolvers.end(), preset), preset);
  return grid;
}

TExploreRange TExploreGrid::DefaultResolvers() {
  const TParameterRange& range = RangeOf(TParameter::Resolver);
  return {range.minimum, range.maximum, 8};
}

TExploreRange TExploreGrid::DefaultWarps() {
  const TParameterRange& range = RangeOf(TParameter::Warp);
  return {range.minimum, range.maximum, 1};
}

std::optional<std::size_t> TExploreMap::Chosen() const {
  const std::int32_t resolver = RangeOf(TParameter::Resolver).preset;
  // Nearest Resolver first, the lower on a tie, then the highest Warp. The
  // preset cell (Resolver 7, Warp 6, the highest), when it decodes, comes
  // first by this order too.
  static_assert(RangeOf(TParameter::Warp).preset == RangeOf(TParameter::Warp).maximum);
  const auto rank = [&](const TExploreCell& cell) {
    return std::make_tuple(std::abs(static_cast<std::int64_t>(cell.resolver) - resolver), cell.resolver, -cell.warp);
  };
  std::optional<std::size_t> chosen;
  for (std::size_t i = 0; i < cells.size(); ++i) {
    if (!cells[i].ran || !cells[i].result.decoded) continue;
    if (!chosen || rank(cells[i]) < rank(cells[*chosen])) chosen = i;
  }
  return chosen;
}

TAnalysisParameters TExploreMap::ParametersOf(std::size_t cell) const {
  return {cells.at(cell).resolver, cells.at(cell).warp, grid.forceVersion};
}

TExplorer::TExplorer(const TBitmap& picture, TExploreGrid grid)
    : picture_(picture.Detached()),
      grid_(std::move(grid)),
      silent_(std::make_unique<TSilentSurfaces>()),
      surfaces_(*silent_) {}

TExplorer::TExplorer(TBitmap picture, TExploreGrid grid, TOwnPicture)
    : picture_(std::move(picture)),
      grid_(std::move(grid)),
      silent_(std::make_unique<TSilentSurfaces>()),
      surfaces_(*silent_) {}

TExplorer::TExplorer(const TBitmap& picture, TExploreGrid grid, TSurfaces& surfaces)
    : picture_(picture.Detached()), grid_(std::move(grid)), surfaces_(surfaces) {}

TExplorer::~TExplorer() = default;

// What the threads of one run share: the map, whose cells each belong to the
// thread that runs them, the next row to take, and the count of cells done.
struct TExplorer::TShared {
  TShared(TExploreMap& map, const TProgress& progress, const std::atomic<bool>* cancel)
      : map(map), progress(progress), cancel(cancel) {}

  TExploreMap& map;
  const TProgress& progress;
  const std::atomic<bool>* cancel;
  std::atomic<std::size_t> next{0};
  // Set when a thread failed: the others stop as on a cancel.
  std::atomic<bool> failed{false};
  std::mutex progressLock;
  std::size_t done = 0;

  bool Stopped() const {
    return failed.load(std::memory_order_relaxed) || (cancel != nullptr && cancel->load(std::memory_order_relaxed));
  }
};

void TExplorer::RunRows(TShared& shared, const TBitmap& picture, TSurfaces& surfaces) const {
  const std::size_t warps = grid_.warps.size();
  for (std::size_t r = shared.next++; r < grid_.resolvers.size(); r = shared.next++) {
    if (shared.Stopped()) return;
    // The kept binarization is decoded on this thread, the one that made it.
    TBinarized kept;
    {
      TVeltrix binarizer(surfaces);
      binarizer.SetResolver(grid_.resolvers[r]);
      kept = binarizer.Binarize(picture);
    }
    for (std::size_t w = 0; w < warps; ++w) {
      if (shared.Stopped()) return;
      TExploreCell& cell = shared.map.cells[r * warps + w];
      // A facade of its own for every cell: nothing of another cell's decode
      // can reach this one.
      TVeltrix veltrix(surfaces);
      cell.result = AnalyseBinarized(veltrix, surfaces, kept, shared.map.ParametersOf(r * warps + w));
      cell.ran = true;
      if (shared.progress) {
        const std::lock_guard<std::mutex> lock(shared.progressLock);
        shared.progress(++shared.done, shared.map.cells.size());
      }
    }
  }
}

TExploreMap TExplorer::Run(const TProgress& progress, const std::atomic<bool>* cancel, unsigned jobs) {
  TExploreMap map;
  map.grid = grid_;
  map.cells.reserve(grid_.CellCount());
  for (const std::int32_t resolver : grid_.resolvers)
    for (const std::int32_t warp : grid_.warps) {
      TExploreCell cell;
      cell.resolver = resolver;
      cell.warp = warp;
      map.cells.push_back(std::move(cell));
    }

  TShared shared(map, progress, cancel);
  // Surfaces handed in are one set of panes, which one thread draws on.
  const std::size_t threads = silent_ ? std::clamp<std::size_t>(jobs, 1, std::max<std::size_t>(grid_.resolvers.size(), 1)) : 1;
  // Every other thread's copy of the picture and surfaces, made here: reading
  // a picture may change its form, so no two threads read the same one.
  std::vector<TBitmap> pictures;
  std::vector<std::unique_ptr<TSurfaces>> surfaces;
  for (std::size_t t = 1; t < threads; ++t) {
    pictures.push_back(picture_.Detached());
    surfaces.push_back(std::make_unique<TSilentSurfaces>());
  }
  std::vector<std::exception_ptr> failures(threads);
  const auto guarded = [&](std::size_t t, const TBitmap& picture, TSurfaces& panes) {
    try {
      RunRows(shared, picture, panes);
    } catch (...) {
      failures[t] = std::current_exception();
      shared.failed = true;
    }
  };
  std::vector<std::thread> helpers;
  for (std::size_t t = 1; t < threads; ++t) {
    try {
      helpers.emplace_back(guarded, t, std::cref(pictures[t - 1]), std::ref(*surfaces[t - 1]));
    } catch (const std::system_error&) {
      // No further thread to be had: those started take every row.
      break;
    }
  }
  guarded(0, picture_, surfaces_);
  for (std::thread& helper : helpers) helper.join();
  for (const std::exception_ptr& failure : failures)
    if (failure) std::rethrow_exception(failure);

  // The letters go by the cells' order, not by the order the threads ended in.
  for (TExploreCell& cell : map.cells) {
    if (!cell.ran || !cell.result.decoded) continue;
    const auto known = std::find(map.texts.begin(), map.texts.end(), cell.result.text);
    cell.textIndex = static_cast<std::int32_t>(known - map.texts.begin());
    if (known == map.texts.end()) map.texts.push_back(cell.result.text);
  }
  map.complete = std::all_of(map.cells.begin(), map.cells.end(), [](const TExploreCell& cell) { return cell.ran; });
  return map;
}
