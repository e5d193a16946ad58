#include <gtest/gtest.h>

#include <atomic>
#include <numeric>
#include <optional>
#include <stdexcept>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "ConformancePictures.h"
#include "StageFailures.h"
#include "TestSymbols.h"
#include "common/Bitmap.h"
#include "common/Plane.h"
#include "common/Surfaces.h"
#include "decoder/Analysis.h"
#include "decoder/DiagnosisTexts.h"
#include "decoder/Explorer.h"

namespace {

using namespace testing_support;

// Panes that count how often FrontImage and ClossLineImage are drawn anew: once
// per binarization and once per finder search.
class TCountingSurfaces : public TSurfaces {
 public:
  TCountingSurfaces() {
    InstallImagePane(TImagePaneId::FrontImage, &binarized_);
    InstallImagePane(TImagePaneId::ClossLineImage, &searched_);
  }
  int Binarizations() const { return binarized_.count; }
  int Searches() const { return searched_.count; }

 private:
  struct TCountingPane : TImagePane {
    void ReplacePicture(const TBitmap& picture) override {
      ++count;
      TImagePane::ReplacePicture(picture);
    }
    int count = 0;
  };
  TCountingPane binarized_;
  TCountingPane searched_;
};

}  // namespace

// Readable messages when two results differ.
void PrintTo(const TAnalysisResult& r, std::ostream* os) {
  *os << "{decoded " << r.decoded << ", stage " << NameOf(r.stage).key << ", reason '" << r.failureReason << "', error "
      << r.errorCode << " '" << r.errorText << "', " << r.parameters.resolver << "/" << r.parameters.warp << "/"
      << r.parameters.forceVersion << ", version " << r.diagnosis.SettledVersion().value_or(-1) << ", level "
      << r.diagnosis.SettledLevel().value_or(-1) << ", mask " << r.diagnosis.SettledMask().value_or(-1) << ", blocks";
  if (r.diagnosis.correction)
    for (const TBlockFigures& b : r.diagnosis.correction->blocks)
      *os << " " << b.dataCodewords << "+" << b.codewords - b.dataCodewords << ":" << b.corrected << (b.uncorrectable ? "!" : "");
  *os << ", verdict '" << DiagnosisLine(r.verdict) << "'";
  *os << ", listing " << r.listingStart << ", text '" << r.text << "'}";
}

namespace {

TAnalysisResult FreshAnalysis(const TBitmap& picture, const TAnalysisParameters& parameters) {
  TSurfaces surfaces;
  TVeltrix veltrix(surfaces);
  return Analyse(veltrix, surfaces, picture, parameters);
}

TEST(ExploreGrid, PresetGridAndItsLimits) {
  const TExploreGrid grid = TExploreGrid::Make(TExploreGrid::DefaultResolvers(), TExploreGrid::DefaultWarps(), 0);
  EXPECT_EQ(grid.resolvers.size(), 34u);
  EXPECT_EQ(grid.warps, (std::vector<std::int32_t>{1, 2, 3, 4, 5, 6}));
  EXPECT_EQ(grid.CellCount(), 204u);
  EXPECT_TRUE(std::is_sorted(grid.resolvers.begin(), grid.resolvers.end()));
  EXPECT_EQ(std::count(grid.resolvers.begin(), grid.resolvers.end(), 7), 1);
  EXPECT_EQ(grid.resolvers.front(), -128);
  EXPECT_EQ(grid.resolvers.back(), 128);

  EXPECT_EQ(TExploreGrid::Make({0, 20, 10}, {2, 6, 2}, 3).resolvers, (std::vector<std::int32_t>{0, 7, 10, 20}));
  EXPECT_EQ(TExploreGrid::Make({0, 20, 10}, {2, 6, 2}, 3).warps, (std::vector<std::int32_t>{2, 4, 6}));
  EXPECT_EQ(TExploreGrid::Make({8, 16, 8}, {1, 1, 1}, 0).resolvers, (std::vector<std::int32_t>{8, 16}));
  EXPECT_EQ(TExploreGrid::Make({7, 7, 1}, {6, 6, 1}, 40).CellCount(), 1u);

  const std::vector<std::pair<TExploreRange, TExploreRange>> refused = {
      {{0, 8, 0}, {1, 6, 1}},    {{8, 0, 1}, {1, 6, 1}},  {{-129, 0, 8}, {1, 6, 1}},
      {{0, 129, 8}, {1, 6, 1}},  {{0, 8, 8}, {0, 6, 1}},  {{0, 8, 8}, {1, 7, 1}},
  };
  for (const auto& [resolver, warp] : refused)
    EXPECT_THROW(TExploreGrid::Make(resolver, warp, 0), std::invalid_argument) << resolver.from << ".." << resolver.to;
  EXPECT_THROW(TExploreGrid::Make({0, 8, 8}, {1, 6, 1}, 41), std::invalid_argument);
}

TEST(ExploreCells, EveryCellIsTheAnalysisOfItsValuesWithOneBinarizationPerResolver) {
  struct TCase {
    const char* name;
    TBitmap picture;
    std::int32_t forceVersion;
    // Some cells decode and some do not.
    bool varies;
  };
  const std::vector<TCase> cases = {
      {"tilted photograph", EdgesMeetOutside(), 0, true},
      {"faint symbol", FaintSymbol("faint"), 0, true},
      {"forced version", RenderSymbol(EncodeBytes("forced", 15, 1), 3), 15, false},
      {"too small to binarize", TBitmap(1, 5), 0, false},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.name);
    const TExploreGrid grid = TExploreGrid::Make({-24, 24, 8}, {1, 6, 1}, c.forceVersion);
    TCountingSurfaces surfaces;
    // Surfaces of the caller's are one set of panes: its rows run one after another whatever the threads asked.
    const TExploreMap map = TExplorer(c.picture, grid, surfaces).Run({}, nullptr, 3);
    ASSERT_TRUE(map.complete);
    ASSERT_EQ(map.cells.size(), grid.CellCount());
    bool someDecoded = false, someFailed = false;
    for (const TExploreCell& cell : map.cells) {
      SCOPED_TRACE("Resolver " + std::to_string(cell.resolver) + ", Warp " + std::to_string(cell.warp));
      ASSERT_TRUE(cell.ran);
      TAnalysisResult alone = FreshAnalysis(c.picture, {cell.resolver, cell.warp, c.forceVersion});
      // These surfaces keep every cell's listing, a fresh set only its own.
      alone.listingStart = cell.result.listingStart;
      EXPECT_EQ(cell.result, alone);
      EXPECT_EQ(cell.textIndex >= 0, cell.result.decoded);
      if (cell.result.decoded) {
        EXPECT_EQ(map.texts[static_cast<std::size_t>(cell.textIndex)], cell.result.text);
      }
      (cell.result.decoded ? someDecoded : someFailed) = true;
    }
    EXPECT_EQ(someDecoded && someFailed, c.varies);
    // Binarization and finder search depend on Resolver alone.
    const int resolvers = static_cast<int>(grid.resolvers.size());
    EXPECT_EQ(surfaces.Binarizations(), c.picture.Width() > 1 ? resolvers : 0);
    EXPECT_EQ(surfaces.Searches(), c.picture.Width() > 1 ? resolvers : 0);
  }
}

// A decode from a kept binarization draws every pane as a whole analysis
// does, also after a decode of the same plane with other values.
TEST(ExploreCells, DecodeFromAKeptBinarizationDrawsThePanesOfAWholeAnalysis) {
  for (const auto& [picture, forceVersion] :
       std::vector<std::pair<TBitmap, std::int32_t>>{{EdgesMeetOutside(), 0}, {RenderSymbol(EncodeBytes("forced", 15, 1), 3), 15}}) {
    TSurfaces kept;
    TVeltrix binarizer(kept);
    binarizer.SetResolver(7);
    const TBinarized binarized = binarizer.Binarize(picture);
    for (const std::int32_t warp : {6, 1, 3, 5}) {
      SCOPED_TRACE("Warp " + std::to_string(warp));
      // What an earlier cell drew on the later panes is gone before each cell.
      for (std::size_t i = 0; i < kImagePaneCount; ++i) {
        const auto id = static_cast<TImagePaneId>(i);
        if (id != TImagePaneId::FrontImage && id != TImagePaneId::ClossLineImage) kept.Image(id).ReplacePicture(TBitmap());
      }
      kept.Text(TTextPaneId::BLMemo).Clear();
      TVeltrix cell(kept);
      const TAnalysisResult result = AnalyseBinarized(cell, kept, binarized, {-50, warp, forceVersion});

      TSurfaces whole;
      TVeltrix veltrix(whole);
      EXPECT_EQ(result, Analyse(veltrix, whole, picture, {7, warp, forceVersion}));
      for (std::size_t i = 0; i < kImagePaneCount; ++i) {
        const auto id = static_cast<TImagePaneId>(i);
        EXPECT_TRUE(kept.Image(id).CurrentPicture() == whole.Image(id).CurrentPicture()) << PaneName(id);
      }
      for (std::size_t i = 0; i < kTextPaneCount; ++i) {
        const auto id = static_cast<TTextPaneId>(i);
        EXPECT_EQ(kept.Text(id).Lines(), whole.Text(id).Lines()) << PaneName(id);
      }
      EXPECT_EQ(kept.Status(0), whole.Status(0));
      EXPECT_EQ(kept.Status(1), whole.Status(1));
    }
  }
}

TEST(ExploreChoice, PresetsFirstThenNearestResolverTheLowerOnATieThenTheHighestWarp) {
  struct TCase {
    std::vector<std::pair<std::int32_t, std::int32_t>> decoding;
    std::optional<std::pair<std::int32_t, std::int32_t>> chosen;
  };
  const std::vector<TCase> cases = {
      {{{0, 6}, {7, 6}, {8, 6}}, std::pair{7, 6}},
      {{{8, 6}, {7, 5}}, std::pair{7, 5}},
      {{{0, 6}, {8, 1}}, std::pair{8, 1}},
      {{{8, 6}, {6, 1}}, std::pair{6, 1}},
      {{{-8, 2}, {-8, 4}, {-8, 3}}, std::pair{-8, 4}},
      {{}, std::nullopt},
  };
  for (const TCase& c : cases) {
    TExploreMap map;
    map.grid = TExploreGrid::Make({-8, 8, 2}, {1, 6, 1}, 0);
    for (const std::int32_t resolver : map.grid.resolvers)
      for (const std::int32_t warp : map.grid.warps) {
        TExploreCell cell;
        cell.resolver = resolver;
        cell.warp = warp;
        cell.ran = true;
        cell.result.decoded = std::find(c.decoding.begin(), c.decoding.end(), std::pair{resolver, warp}) != c.decoding.end();
        map.cells.push_back(cell);
      }
    const std::optional<std::size_t> chosen = map.Chosen();
    ASSERT_EQ(chosen.has_value(), c.chosen.has_value());
    if (chosen) {
      EXPECT_EQ((std::pair{map.cells[*chosen].resolver, map.cells[*chosen].warp}), *c.chosen);
    }
  }
}

// The window explores on a worker thread while its own analyses go on, on the
// same picture, which its panes show: the explorer's copy shares nothing with
// that picture, and each side gives what it gives alone. The ThreadSanitizer
// build of the core (scripts/sanitize.sh --thread) reports any memory the two
// threads touch without order between them.
TEST(ExploreRun, AWorkerThreadExploresWhileTheMainThreadAnalysesTheSamePicture) {
  // Of a picture made from a plane, the marks painted over it out of order are
  // sorted by the first reading.
  const TBitmap symbol = RenderSymbol(EncodeBytes("plane", 1, 1), 4);
  TPlaneBoolean plane(symbol.Width(), symbol.Height());
  for (std::int32_t x = 0; x < symbol.Width(); ++x)
    for (std::int32_t y = 0; y < symbol.Height(); ++y) plane[x][y] = symbol.Pixel(x, y) == kBlack ? 1 : 0;
  TBitmap marked = TBitmap::FromPlane(plane);
  for (const std::int32_t i : {3, 1, 2}) marked.SetPixel(i, i, 0x808080);
  const TBitmap pictures[] = {RenderSymbol(EncodeBytes("threads", 3, 1), 4), Packed(FaintSymbol("faint")), marked};
  for (const TBitmap& picture : pictures) {
    const TExploreGrid grid = TExploreGrid::Make({-16, 16, 8}, {1, 6, 5}, 0);
    TSurfaces surfaces;
    surfaces.Image(TImagePaneId::Image1).ReplacePicture(picture);
    surfaces.Image(TImagePaneId::Image2).ReplacePicture(picture);
    TExplorer explorer(picture, grid);
    TExploreMap map;
    std::thread worker([&] { map = explorer.Run(); });
    TVeltrix veltrix(surfaces);
    std::vector<TAnalysisResult> analysed;
    for (const std::int32_t resolver : {7, 0, -16, 7}) analysed.push_back(Analyse(veltrix, surfaces, picture, {resolver, 6, 0}));
    worker.join();

    for (TAnalysisResult& result : analysed) {
      TAnalysisResult alone = FreshAnalysis(picture, result.parameters);
      alone.listingStart = result.listingStart;  // these surfaces keep every analysis's listing
      EXPECT_EQ(result, alone);
    }
    ASSERT_TRUE(map.complete);
    for (const TExploreCell& cell : map.cells) {
      TAnalysisResult alone = FreshAnalysis(picture, {cell.resolver, cell.warp, 0});
      alone.listingStart = cell.result.listingStart;
      EXPECT_EQ(cell.result, alone);
    }
  }
}

TEST(ExploreRun, ProgressCountsTheCellsAndACancelStopsBeforeTheNext) {
  const TBitmap picture = RenderSymbol(EncodeBytes("cancel", 1, 1), 3);
  const TExploreGrid grid = TExploreGrid::Make({0, 16, 8}, {1, 6, 1}, 0);
  std::atomic<bool> cancel{false};
  std::vector<std::size_t> seen;
  const TExploreMap map = TExplorer(picture, grid).Run(
      [&](std::size_t done, std::size_t total) {
        seen.push_back(done);
        EXPECT_EQ(total, grid.CellCount());
        if (done == 8) cancel = true;
      },
      &cancel);
  EXPECT_FALSE(map.complete);
  EXPECT_EQ(seen, (std::vector<std::size_t>{1, 2, 3, 4, 5, 6, 7, 8}));
  EXPECT_EQ(std::count_if(map.cells.begin(), map.cells.end(), [](const TExploreCell& cell) { return cell.ran; }), 8);

  const TExploreMap whole = TExplorer(picture, grid).Run();
  EXPECT_TRUE(whole.complete);
  EXPECT_EQ(whole.texts, (std::vector<std::string>{"cancel"}));
}

// The map, its texts and their letters and the chosen cell are the same on
// any number of threads.
TEST(ExploreRun, TheMapIsTheSameWhateverTheNumberOfThreads) {
  const std::vector<std::pair<const char*, TBitmap>> pictures = {
      {"tilted photograph", EdgesMeetOutside()},
      {"faint symbol", FaintSymbol("faint")},
      {"plain symbol", RenderSymbol(EncodeBytes("threads", 2, 1), 3)},
  };
  for (const auto& [name, picture] : pictures) {
    SCOPED_TRACE(name);
    const TExploreGrid grid = TExploreGrid::Make({-40, 40, 8}, {1, 6, 1}, 0);
    const TExploreMap alone = TExplorer(picture, grid).Run();
    ASSERT_TRUE(alone.complete);
    for (const unsigned jobs : {2u, 3u, 64u}) {
      SCOPED_TRACE(std::to_string(jobs) + " threads");
      const TExploreMap map = TExplorer(picture, grid).Run({}, nullptr, jobs);
      EXPECT_TRUE(map.complete);
      EXPECT_EQ(map.texts, alone.texts);
      EXPECT_EQ(map.Chosen(), alone.Chosen());
      ASSERT_EQ(map.cells.size(), alone.cells.size());
      for (std::size_t i = 0; i < map.cells.size(); ++i) {
        EXPECT_TRUE(map.cells[i].ran);
        EXPECT_EQ(map.cells[i].textIndex, alone.cells[i].textIndex) << i;
        EXPECT_EQ(map.cells[i].result, alone.cells[i].result) << i;
      }
    }
  }
}

// On several threads a cancel stops every thread before its next cell: each
// row holds its first cells, no more cells ran than were done when the
// cancel came plus one a further thread, and every cell that ran is the
// cell of a whole run.
TEST(ExploreRun, ACancelOnSeveralThreadsLeavesTheFirstCellsOfEachRow) {
  const TBitmap picture = RenderSymbol(EncodeBytes("cancel", 1, 1), 3);
  const TExploreGrid grid = TExploreGrid::Make({-32, 32, 8}, {1, 6, 1}, 0);
  const TExploreMap whole = TExplorer(picture, grid).Run();
  for (const unsigned jobs : {2u, 4u}) {
    SCOPED_TRACE(std::to_string(jobs) + " threads");
    std::atomic<bool> cancel{false};
    std::vector<std::size_t> seen;
    const TExploreMap map = TExplorer(picture, grid).Run(
        [&](std::size_t done, std::size_t) {
          seen.push_back(done);
          if (done == 8) cancel = true;
        },
        &cancel, jobs);
    EXPECT_FALSE(map.complete);
    std::vector<std::size_t> counted(seen.size());
    std::iota(counted.begin(), counted.end(), 1);
    EXPECT_EQ(seen, counted);
    const auto ran = static_cast<std::size_t>(
        std::count_if(map.cells.begin(), map.cells.end(), [](const TExploreCell& cell) { return cell.ran; }));
    EXPECT_EQ(ran, seen.size());
    EXPECT_GE(ran, 8u);
    EXPECT_LE(ran, 8u + jobs - 1);
    const std::size_t warps = grid.warps.size();
    for (std::size_t r = 0; r < grid.resolvers.size(); ++r)
      for (std::size_t w = 1; w < warps; ++w) {
        EXPECT_TRUE(!map.cells[r * warps + w].ran || map.cells[r * warps + w - 1].ran) << "row " << r << " has a gap";
      }
    for (std::size_t i = 0; i < map.cells.size(); ++i)
      if (map.cells[i].ran) {
        EXPECT_EQ(map.cells[i].result, whole.cells[i].result) << i;
      }
  }
}

// What a cell throws (here the progress report) ends the run on every thread and comes out of Run.
TEST(ExploreRun, AFailureOnOneThreadEndsTheRunAndComesOut) {
  const TBitmap picture = RenderSymbol(EncodeBytes("failure", 1, 1), 3);
  const TExploreGrid grid = TExploreGrid::Make({-64, 64, 8}, {1, 6, 1}, 0);
  for (const unsigned jobs : {1u, 2u, 3u}) {
    std::atomic<std::size_t> calls{0};
    EXPECT_THROW(TExplorer(picture, grid).Run(
                     [&](std::size_t done, std::size_t) {
                       ++calls;
                       if (done == 5) throw std::runtime_error("stop here");
                     },
                     nullptr, jobs),
                 std::runtime_error)
        << jobs;
    // The others stop before their next cell.
    EXPECT_LE(calls.load(), 5u + jobs - 1) << jobs;
  }
}

}  // namespace
