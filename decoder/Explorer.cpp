#include "decoder/Explorer.h"

#include <algorithm>
#include <cstdlib>
#include <stdexcept>
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

TExplorer::TExplorer(const TBitmap& picture, TExploreGrid grid, TSurfaces& surfaces)
    : picture_(picture.Detached()), grid_(std::move(grid)), surfaces_(surfaces) {}

TExplorer::~TExplorer() = default;

TExploreMap TExplorer::Run(const TProgress& progress, const std::atomic<bool>* cancel) {
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

  std::size_t done = 0;
  const auto cancelled = [cancel] { return cancel != nullptr && cancel->load(std::memory_order_relaxed); };
  for (std::size_t r = 0; r < grid_.resolvers.size(); ++r) {
    if (cancelled()) return map;
    TBinarized kept;
    {
      TVeltrix binarizer(surfaces_);
      binarizer.SetResolver(grid_.resolvers[r]);
      kept = binarizer.Binarize(picture_);
    }
    for (std::size_t w = 0; w < grid_.warps.size(); ++w) {
      if (cancelled()) return map;
      const std::size_t index = r * grid_.warps.size() + w;
      TExploreCell& cell = map.cells[index];
      // A facade of its own for every cell: nothing of another cell's decode
      // can reach this one.
      TVeltrix veltrix(surfaces_);
      cell.result = AnalyseBinarized(veltrix, surfaces_, kept, map.ParametersOf(index));
      cell.ran = true;
      if (cell.result.decoded) {
        const auto known = std::find(map.texts.begin(), map.texts.end(), cell.result.text);
        cell.textIndex = static_cast<std::int32_t>(known - map.texts.begin());
        if (known == map.texts.end()) map.texts.push_back(cell.result.text);
      }
      ++done;
      if (progress) progress(done, map.cells.size());
    }
  }
  map.complete = true;
  return map;
}
