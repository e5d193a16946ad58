#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "StageFailures.h"
#include "PhotoScene.h"
#include "TestSymbols.h"
#include "common/Diagnosis.h"
#include "decoder/Analysis.h"
#include "decoder/Decorder.h"
#include "decoder/DiagnosisTexts.h"
#include "image/FrontImage.h"

namespace {

using namespace testing_support;

std::vector<TBitmap> Pictures() {
  TPhotoOptions photo;
  photo.seed = 7;
  photo.degrees = 4;
  return {RenderSymbol(EncodeBytes("clean", 2, 1), 4), RenderPhoto(EncodeBytes("photograph", 3, 1), photo),
          EdgesMeetOutside(), BlockBeyondCorrection(), FormatUnreadable(), TimingDamaged(), TBitmap(90, 60)};
}

TEST(DiagnosisRecord, TwoDecodesOfOnePictureGiveEqualRecords) {
  TSurfaces surfaces;
  TVeltrix veltrix(surfaces);
  TSurfaces otherSurfaces;
  TVeltrix other(otherSurfaces);
  for (const TBitmap& picture : Pictures()) {
    veltrix.Decode(picture);
    const TDiagnosis first = veltrix.Diagnosis();
    veltrix.Decode(picture);
    EXPECT_EQ(veltrix.Diagnosis(), first) << NameOf(first.stage).key;
    other.Decode(picture);
    EXPECT_EQ(other.Diagnosis(), first) << NameOf(first.stage).key;
  }
}

// A decode that stops early keeps nothing of the stages an earlier decode reached.
TEST(DiagnosisRecord, HoldsOnlyTheStagesThatRanInTheLastDecode) {
  TSurfaces surfaces;
  TVeltrix veltrix(surfaces);
  veltrix.SetResolver(20);
  ASSERT_TRUE(veltrix.Decode(RenderSymbol(EncodeBytes("all stages", 2, 1), 4)));
  const TDiagnosis& full = veltrix.Diagnosis();
  EXPECT_EQ(full.stage, TStage::Done);
  EXPECT_EQ(full.failure, "");
  EXPECT_EQ(full.parameters, (TDecodeParameters{20, 1, 0}));
  EXPECT_TRUE(full.binarization && full.finder && full.version && full.corners && full.sampling && full.format &&
              full.correction && full.data);

  ASSERT_FALSE(veltrix.Decode(TBitmap(90, 60)));
  const TDiagnosis& early = veltrix.Diagnosis();
  EXPECT_EQ(early.stage, TStage::FinderSearch);
  EXPECT_EQ(early.failure, "位置検出パターンがみつかりません。");
  EXPECT_EQ(early.pictureWidth, 90);
  EXPECT_TRUE(early.binarization && early.finder);
  EXPECT_FALSE(early.version || early.corners || early.sampling || early.format || early.correction || early.data);

  ASSERT_FALSE(veltrix.Decode(TBitmap(1, 1)));
  EXPECT_FALSE(veltrix.Diagnosis().binarization.has_value());
}

// The same stages on two sets of panes, once reporting to nobody and once to a
// recorder: every pane and line comes out the same.
TEST(DiagnosisRecord, PanesAndLinesAreTheSameWithAndWithoutTheRecorder) {
  struct TPipeline {
    explicit TPipeline(TDecodeObserver& observer) : front(surfaces, observer), driver(surfaces, observer) {}
    void Decode(const TBitmap& picture) {
      const TPlaneBoolean& plane = front.Binarize(picture);
      driver.SetWarp(6);
      try {
        driver.Decode(plane, picture.Width(), picture.Height());
      } catch (const std::exception&) {
        // The facade's part; the panes are what matters here.
      }
    }
    TSurfaces surfaces;
    TFrontImage front;
    TDecorder driver;
  };
  TDiagnosisRecorder recorder;
  TPipeline plain(TDecodeObserver::Nobody());
  TPipeline recorded(recorder);
  for (const TBitmap& picture : Pictures()) {
    plain.Decode(picture);
    recorded.Decode(picture);
    for (std::size_t i = 0; i < kImagePaneCount; ++i) {
      const auto id = static_cast<TImagePaneId>(i);
      EXPECT_EQ(plain.surfaces.Image(id).CurrentPicture(), recorded.surfaces.Image(id).CurrentPicture()) << PaneName(id);
    }
    for (std::size_t i = 0; i < kTextPaneCount; ++i) {
      const auto id = static_cast<TTextPaneId>(i);
      EXPECT_EQ(plain.surfaces.Text(id).Lines(), recorded.surfaces.Text(id).Lines()) << PaneName(id);
    }
  }
  EXPECT_TRUE(recorder.Record().binarization.has_value());
}

TEST(DiagnosisRecord, EveryStageOfACleanDecodeReportsWhatDecidedIt) {
  const TTestSymbol symbol = EncodeBytes("figures", 2, 1);
  TSurfaces surfaces;
  TVeltrix veltrix(surfaces);
  ASSERT_TRUE(veltrix.Decode(RenderSymbol(symbol, 4)));
  const TDiagnosis& d = veltrix.Diagnosis();

  // The three heaviest candidates are the ones chosen.
  const TFinderFigures& finder = *d.finder;
  EXPECT_EQ(finder.candidates, 3);
  EXPECT_EQ(finder.rowGroups, 3);
  EXPECT_EQ(finder.columnGroups, 3);
  EXPECT_GT(finder.horizontalStretches, 0);
  ASSERT_EQ(finder.heaviest.size(), 3u);
  ASSERT_TRUE(finder.centres.has_value());
  std::set<std::pair<int, int>> chosen, heaviest;
  for (const TPoint p : *finder.centres) chosen.insert({p.x, p.y});
  for (const TFinderCandidate& c : finder.heaviest) heaviest.insert({c.centre.x, c.centre.y});
  EXPECT_EQ(chosen, heaviest);

  // The last version tried passed, with more than 90 % of its samples.
  const TVersionFigures& version = *d.version;
  ASSERT_FALSE(version.trials.empty());
  EXPECT_TRUE(version.trials.back().passed);
  EXPECT_EQ(version.trials.back().version, 2);
  EXPECT_EQ(version.trials.back().samples, 13);
  EXPECT_GT(version.trials.back().Share(), version.shareNeeded);
  EXPECT_EQ(version.lastTimingVersion, 14);
  EXPECT_EQ(version.version, 2);
  EXPECT_TRUE(version.informationBlocks.empty());

  EXPECT_EQ(d.corners->step, TCornerStep::Done);
  for (const TCornerSearchFigures& search : d.corners->searches) EXPECT_TRUE(search.found);
  EXPECT_EQ(d.sampling->size, 25);
  EXPECT_EQ(d.sampling->alignmentNodes, 4);
  EXPECT_EQ(d.sampling->outside, 0);

  EXPECT_EQ(d.format->distance, 0);
  EXPECT_EQ(d.format->level, 1);
  EXPECT_EQ(d.format->mask, MaskOf(symbol));
  EXPECT_TRUE(d.format->Accepted());

  EXPECT_EQ(d.correction->UncorrectableBlocks(), 0);
  EXPECT_FALSE(d.correction->unverified.has_value());
  for (const TBlockFigures& block : d.correction->blocks) EXPECT_EQ(block.nonZeroSyndromes, 0);

  ASSERT_EQ(d.data->segments.size(), 1u);
  EXPECT_EQ(d.data->segments[0].mode, 4u);
  EXPECT_EQ(d.data->segments[0].count, 7u);
  EXPECT_EQ(d.data->stop, TDataStop::Terminator);
}

// Writes the walk as "path=value" lines, lists numbered, and checks that groups and lists close.
class TPaths : public TFigureVisitor {
 public:
  void BeginGroup(std::string_view key) override { Open(key, false); }
  void EndGroup() override { Close(false); }
  void BeginList(std::string_view key) override { Open(key, true); }
  void EndList() override { Close(true); }
  void Number(std::string_view key, std::int64_t value) override { Put(key, std::to_string(value)); }
  void Real(std::string_view key, double value) override { Put(key, std::to_string(value)); }
  void Flag(std::string_view key, bool value) override { Put(key, value ? "true" : "false"); }
  void Text(std::string_view key, std::string_view value) override { Put(key, std::string(value)); }

  std::set<std::string> lines;
  bool balanced = true;
  std::size_t Depth() const { return path_.size(); }

 private:
  struct TLevel {
    std::string prefix;
    bool list;
    int index;
  };
  std::string Name(std::string_view key) {
    if (path_.empty()) return std::string(key);
    TLevel& level = path_.back();
    if (level.list) {
      balanced = balanced && key.empty();
      return level.prefix + "[" + std::to_string(level.index++) + "]";
    }
    balanced = balanced && !key.empty();
    return level.prefix + "." + std::string(key);
  }
  void Open(std::string_view key, bool list) { path_.push_back({Name(key), list, 0}); }
  void Close(bool list) {
    balanced = balanced && !path_.empty() && path_.back().list == list;
    if (!path_.empty()) path_.pop_back();
  }
  void Put(std::string_view key, const std::string& value) { lines.insert(Name(key) + "=" + value); }
  std::vector<TLevel> path_;
};

TEST(DiagnosisRecord, WalkNamesEveryFigureOnceWithBalancedGroups) {
  TSurfaces surfaces;
  TVeltrix veltrix(surfaces);
  const TAnalysisResult result = Analyse(veltrix, surfaces, BlockBeyondCorrection(), {});
  TPaths paths;
  VisitFigures(result.diagnosis, paths);
  VisitVerdict(result.verdict, paths);
  EXPECT_TRUE(paths.balanced);
  EXPECT_EQ(paths.Depth(), 0u);
  for (const std::string& line : std::vector<std::string>{"stage=codewords", "parameters.warp=6",
        "finder_search.candidates=" + std::to_string(result.diagnosis.finder->candidates), "finder_search.needed=3",
        "version.timing[0].version=1", "format.accepted=true", "reed_solomon.correctable=3",
        "reed_solomon.blocks[0].uncorrectable=true", "reed_solomon.blocks[1].uncorrectable=false",
        "evidence.kind=blocks_uncorrectable", "binarization.threshold=" + std::to_string(result.diagnosis.binarization->threshold),
        "binarization.middle_row_histogram[255]=" + std::to_string(result.diagnosis.binarization->middleRowHistogram[255])})
    EXPECT_EQ(paths.lines.count(line), 1u) << line;
  EXPECT_EQ(std::count_if(paths.lines.begin(), paths.lines.end(),
                          [](const std::string& l) { return l.rfind("reed_solomon.unverified.text=", 0) == 0; }),
            1);
}

}  // namespace
