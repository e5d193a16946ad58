#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "common/Bitmap.h"
#include "common/Surfaces.h"
#include "decoder/Analysis.h"

// The parameter explorer: the analysis command run on one picture for every
// cell of a grid of Resolver and Warp values, to show which settings read the
// symbol and where the others stop. Every cell is exactly the analysis a front
// end would run with its values; what does not change between cells is done
// once: the binary plane and the finder search depend only on Resolver, so
// they run once per Resolver value, not once per cell. The rows of Resolver
// values may run on several threads at once; the map is the same whatever
// their number.

// Values from `from` to `to` (both included) in steps of `step`.
struct TExploreRange {
  std::int32_t from = 0;
  std::int32_t to = 0;
  std::int32_t step = 1;
};

struct TExploreGrid {
  std::vector<std::int32_t> resolvers;  // ascending, each once
  std::vector<std::int32_t> warps;      // ascending, each once
  std::int32_t forceVersion = 0;

  // Resolver and Warp over their ranges, plus the Resolver preset when it lies
  // in its range but not on a step. Throws std::invalid_argument with a
  // one-line message when a range leaves the parameter's range, runs
  // backwards or has a step below 1, or when ForceVersion lies outside its range.
  static TExploreGrid Make(const TExploreRange& resolver, const TExploreRange& warp, std::int32_t forceVersion);
  // The preset grid: Resolver -128 to 128 in steps of 8 with the preset 7,
  // every Warp from 1 to 6.
  static TExploreRange DefaultResolvers();
  static TExploreRange DefaultWarps();

  std::size_t CellCount() const { return resolvers.size() * warps.size(); }
};

struct TExploreCell {
  std::int32_t resolver = 0;
  std::int32_t warp = 0;
  // False for a cell not reached before a cancel.
  bool ran = false;
  TAnalysisResult result;
  // Index into TExploreMap::texts of the decoded text, -1 when not decoded.
  std::int32_t textIndex = -1;
};

struct TExploreMap {
  TExploreGrid grid;
  // Resolver-major: the cell of resolvers[r] and warps[w] at r * warps.size() + w.
  std::vector<TExploreCell> cells;
  // The distinct decoded texts (Shift-JIS bytes) in the order of the cells
  // (Resolver-major, whatever order they ran in); more than one means that
  // some cell read the symbol wrongly.
  std::vector<std::string> texts;
  // False when the run was cancelled before the last cell.
  bool complete = false;

  // The cell a front end shows: the cell of the presets when it decodes;
  // otherwise, of the decoding cells, the one nearest in Resolver to the
  // preset (the lower Resolver on a tie), and of that Resolver's the one with
  // the highest Warp. None when no cell decodes.
  std::optional<std::size_t> Chosen() const;
  // The parameters of a cell: its Resolver and Warp, the grid's ForceVersion.
  TAnalysisParameters ParametersOf(std::size_t cell) const;
};

class TExplorer {
 public:
  // Called after every cell with the cells done and the cells in all: from
  // the thread that ran the cell, one call at a time, `done` counting up by one.
  using TProgress = std::function<void(std::size_t done, std::size_t total)>;

  // Keeps a copy of the picture that shares nothing with it (made here, on the
  // calling thread), so that Run may then go on another thread. The cells
  // draw on surfaces of the explorer's own that keep nothing.
  TExplorer(const TBitmap& picture, TExploreGrid grid);
  // The same with a picture that shares nothing with any picture another
  // thread reads (the caller's own detached copy, read by no one else while
  // the explorer runs): kept as it is, without a further copy.
  struct TOwnPicture {};
  TExplorer(TBitmap picture, TExploreGrid grid, TOwnPicture);
  // The same drawing on the given surfaces, which the caller keeps alive;
  // being one set of panes, they see the rows one after another.
  TExplorer(const TBitmap& picture, TExploreGrid grid, TSurfaces& surfaces);
  ~TExplorer();
  TExplorer(const TExplorer&) = delete;
  TExplorer& operator=(const TExplorer&) = delete;

  // Runs the cells on `jobs` threads (the calling one among them; one with
  // surfaces of the caller's, at most one per Resolver value). Each thread
  // takes a whole row of the grid at a time, the next Resolver value not yet
  // taken, and runs its cells in order of Warp, from a binarization of its
  // own on its own copy of the picture and its own surfaces that keep
  // nothing. Every thread stops before its next cell once `cancel` holds
  // true, so that each row holds its first cells and the map says it is not
  // complete. An exception of a cell ends the run on every thread and comes
  // out of Run.
  TExploreMap Run(const TProgress& progress = {}, const std::atomic<bool>* cancel = nullptr, unsigned jobs = 1);

 private:
  // The cells of rows taken from `next` until none is left or `stop` says so.
  struct TShared;
  void RunRows(TShared& shared, const TBitmap& picture, TSurfaces& surfaces) const;

  TBitmap picture_;
  TExploreGrid grid_;
  std::unique_ptr<TSurfaces> silent_;
  TSurfaces& surfaces_;
};
