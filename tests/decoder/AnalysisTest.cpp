#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "StageFailures.h"
#include "SymbolCodewords.h"
#include "TestSymbols.h"
#include "common/DecodeStages.h"
#include "common/Surfaces.h"
#include "decoder/Analysis.h"
#include "decoder/DecodingReport.h"
#include "decoder/Decorder.h"
#include "image/FrontImage.h"

namespace {

using namespace testing_support;

const std::string kNoSymbol = "位置検出パターンがみつかりません。";

struct TStageCase {
  const char* name;
  TBitmap picture;
  TAnalysisParameters parameters;
  TStage stage;
  std::string status;  // panel 1
};

TEST(AnalysisStage, EveryFailureStopsAtTheStageThatFailed) {
  const TBitmap fifteen = RenderSymbol(EncodeBytes("version fifteen", 15, 1), 3);
  const std::vector<TStageCase> cases = {
      {"too small to binarize", TBitmap(1, 1), {}, TStage::Binarization, kNoSymbol},
      {"no symbol", TBitmap(120, 90), {}, TStage::FinderSearch, kNoSymbol},
      {"beyond the timing test", fifteen, {}, TStage::Version, kNoSymbol},
      {"version information damaged", VersionInformationDamaged(), {}, TStage::Version, kNoSymbol},
      {"edges meet outside the picture", EdgesMeetOutside(), {}, TStage::Corners, "Program Error"},
      {"format unreadable", FormatUnreadable(), {}, TStage::Format, "形式情報の読み込みでエラーが発生しました。"},
      {"four codewords of a block damaged", BlockBeyondCorrection(), {}, TStage::Codewords,
       "セルの読み込みでエラーが発生しました。"},
      {"forced version", fifteen, {7, 6, 15}, TStage::Done, "Ｏｋ"},
  };
  // One facade for all: a stage reached before must not linger into a later decode.
  TSurfaces surfaces;
  TVeltrix veltrix(surfaces);
  for (const TStageCase& c : cases) {
    SCOPED_TRACE(c.name);
    const TAnalysisResult result = Analyse(veltrix, surfaces, c.picture, c.parameters);
    EXPECT_EQ(result.stage, c.stage) << NameOf(result.stage).key;
    EXPECT_EQ(veltrix.StoppedAt(), c.stage);
    EXPECT_EQ(result.decoded, c.stage == TStage::Done);
    EXPECT_EQ(surfaces.Status(1), c.status);
    EXPECT_EQ(result.failureReason, result.decoded ? "" : c.status);
  }
}

// Every pane, line and status panel of `from` written into `to`.
void CopySurfaces(const TSurfaces& from, TSurfaces& to) {
  for (std::size_t i = 0; i < kImagePaneCount; ++i) {
    const auto pane = static_cast<TImagePaneId>(i);
    to.Image(pane).ReplacePicture(from.Image(pane).CurrentPicture());
  }
  for (std::size_t i = 0; i < kTextPaneCount; ++i) {
    const auto pane = static_cast<TTextPaneId>(i);
    to.Text(pane).Clear();
    for (const std::string& line : from.Text(pane).Lines()) to.Text(pane).AppendLine(line);
  }
  for (const int panel : {0, 1}) to.SetStatus(panel, from.Status(panel));
}

void ExpectSameSurfaces(const TSurfaces& actual, const TSurfaces& expected) {
  for (std::size_t i = 0; i < kImagePaneCount; ++i) {
    const auto pane = static_cast<TImagePaneId>(i);
    EXPECT_EQ(actual.Image(pane).CurrentPicture(), expected.Image(pane).CurrentPicture()) << PaneName(pane);
  }
  for (std::size_t i = 0; i < kTextPaneCount; ++i) {
    const auto pane = static_cast<TTextPaneId>(i);
    EXPECT_EQ(actual.Text(pane).Lines(), expected.Text(pane).Lines()) << PaneName(pane);
  }
  for (const int panel : {0, 1}) EXPECT_EQ(actual.Status(panel), expected.Status(panel)) << "panel " << panel;
}

// One facade analysing picture after picture leaves, step by step, what a
// fresh facade leaves on the same panes: nothing of an earlier decode (a
// version, a frame, a grid, a forced version, a plane, an error) reaches a later one.
TEST(AnalysisSequence, OneFacadeDrawsWhatFreshFacadesDraw) {
  const TBitmap seven = RenderSymbol(EncodeBytes("seven and up", 7, 1), 3);
  struct TStep {
    const char* name;
    TBitmap picture;
    TAnalysisParameters parameters;
    TStage stage;
  };
  const std::vector<TStep> steps = {
      {"version 7", seven, {}, TStage::Done},
      {"framing fails", EdgesMeetOutside(), {}, TStage::Corners},
      {"version 7 again, another Warp", seven, {7, 2, 0}, TStage::Done},
      {"wrong ForceVersion", seven, {7, 6, 3}, TStage::Format},
      {"too small to binarize", TBitmap(1, 40), {}, TStage::Binarization},
      {"version 7 after a picture too small", seven, {20, 6, 0}, TStage::Done},
      {"empty picture", TBitmap(), {}, TStage::FinderSearch},
      {"version 7 after the empty picture", seven, {}, TStage::Done},
  };
  TSurfaces surfaces;
  TVeltrix veltrix(surfaces);
  for (const TStep& step : steps) {
    SCOPED_TRACE(step.name);
    TSurfaces fresh;
    CopySurfaces(surfaces, fresh);
    TVeltrix freshVeltrix(fresh);
    const TAnalysisResult expected = Analyse(freshVeltrix, fresh, step.picture, step.parameters);
    const TAnalysisResult actual = Analyse(veltrix, surfaces, step.picture, step.parameters);
    EXPECT_EQ(expected.stage, step.stage) << NameOf(expected.stage).key;
    EXPECT_TRUE(actual == expected) << NameOf(actual.stage).key << " '" << actual.failureReason << "'";
    ExpectSameSurfaces(surfaces, fresh);
  }
}

// Sampling and the data segments cannot be made to fail from a picture; the
// order in which the stages report shows that they ran.
class TStageLog : public TDecodeObserver {
 public:
  void Enter(TStage stage) override { stages.push_back(stage); }
  std::vector<TStage> stages;
};

TEST(AnalysisStage, StagesReportInPipelineOrderAndOnlyWhenTheyRun) {
  TSurfaces surfaces;
  TStageLog log;
  TFrontImage binarizer(surfaces, log);
  TDecorder driver(surfaces, log);
  const auto decode = [&](const TBitmap& picture) {
    log.stages.clear();
    const TPlaneBoolean& plane = binarizer.Binarize(picture);
    try {
      driver.Decode(plane, picture.Width(), picture.Height());
    } catch (...) {
    }
    return log.stages;
  };
  using enum TStage;
  EXPECT_EQ(decode(RenderSymbol(EncodeBytes("in order", 3, 1), 4)),
            (std::vector<TStage>{Binarization, FinderSearch, Version, Corners, Sampling, Format, Codewords, Data}));
  EXPECT_EQ(decode(FormatUnreadable()), (std::vector<TStage>{Binarization, FinderSearch, Version, Corners, Sampling, Format}));
  EXPECT_EQ(decode(TBitmap(64, 48)), (std::vector<TStage>{Binarization, FinderSearch}));
}

TEST(AnalysisStage, EveryStageHasAKeyAndAJapaneseName) {
  for (std::size_t i = 0; i < kStageCount; ++i) {
    const TStageName& name = kStageNames[i];
    EXPECT_EQ(static_cast<std::size_t>(name.stage), i);
    EXPECT_EQ(&NameOf(name.stage), &name);
    EXPECT_FALSE(name.key.empty());
    EXPECT_FALSE(name.japanese.empty());
  }
  EXPECT_EQ(NameOf(TStage::FinderSearch).key, "finder search");
}

TEST(AnalysisCommand, PanesClearedParametersWrittenAfterTheHookClampedInTheResult) {
  TSurfaces surfaces;
  TVeltrix veltrix(surfaces);
  const TBitmap picture = RenderSymbol(EncodeBytes("analysis", 2, 1), 4);
  ASSERT_TRUE(Analyse(veltrix, surfaces, picture, {}).decoded);
  const std::size_t listing = surfaces.Text(TTextPaneId::BLMemo).Lines().size();

  int hooks = 0;
  const TAnalysisResult result = Analyse(veltrix, surfaces, picture, {1000, 0, 57}, [&] {
    ++hooks;
    // Three panes emptied, "解析中" shown, the parameters not yet written.
    EXPECT_TRUE(surfaces.Text(TTextPaneId::ResultMemo).Lines().empty());
    EXPECT_TRUE(surfaces.Text(TTextPaneId::RdSnMemo).Lines().empty());
    EXPECT_TRUE(surfaces.Text(TTextPaneId::ImgMemo).Lines().empty());
    EXPECT_EQ(surfaces.Text(TTextPaneId::BLMemo).Lines().size(), listing);
    EXPECT_EQ(surfaces.Status(1), "解析中");
    EXPECT_EQ(veltrix.Resolver(), 7);
  });
  EXPECT_EQ(hooks, 1);
  EXPECT_EQ(result.parameters.resolver, 128);
  EXPECT_EQ(result.parameters.warp, 1);
  EXPECT_EQ(result.parameters.forceVersion, 57);
  // A forced version that does not exist leaves the version to the version information, which version 2 lacks.
  EXPECT_FALSE(result.decoded);
  EXPECT_EQ(result.stage, TStage::Version);
  EXPECT_EQ(surfaces.Text(TTextPaneId::ResultMemo).Lines(), (std::vector<std::string>{"データ :", "失敗", kNoSymbol}));
  EXPECT_EQ(surfaces.Status(0), result.versionText);
  EXPECT_EQ(result.versionText, "Veltrix Ver 3.0");

  const TAnalysisResult decoded = Analyse(veltrix, surfaces, picture, {});
  EXPECT_EQ(decoded.text, "analysis");
  EXPECT_EQ(decoded.errorText, "");
  EXPECT_EQ(surfaces.Text(TTextPaneId::ResultMemo).Lines(), (std::vector<std::string>{"データ :analysis", "完了", ""}));
  EXPECT_EQ(surfaces.Status(1), "Ｏｋ");
  // Only the decodes that read codewords add a listing; each result says
  // where its own begins, and codeword k stands on its line there.
  const std::vector<std::string>& lines = surfaces.Text(TTextPaneId::BLMemo).Lines();
  EXPECT_EQ(lines.size(), 2 * listing);
  EXPECT_EQ(result.listingStart, listing);
  EXPECT_EQ(decoded.listingStart, listing);
  const std::vector<int> codewords = PlacementCodewords(EncodeBytes("analysis", 2, 1));
  for (std::size_t k = 0; k < codewords.size(); ++k) {
    char expected[32];
    std::snprintf(expected, sizeof expected, "  %2d   %02X", static_cast<int>(k), codewords[k]);
    EXPECT_EQ(lines.at(decoded.listingStart + decoding_report::kLinesBeforeCodewords + k), expected) << k;
  }
}

// A kept binarization brings the Resolver it was made with, whatever the
// command is given: the result and the record say what the decode ran with.
TEST(AnalysisCommand, AKeptBinarizationBringsItsResolver) {
  const TBitmap picture = RenderSymbol(EncodeBytes("kept", 2, 1), 4);
  TSurfaces binarizing;
  TVeltrix binarizer(binarizing);
  binarizer.SetResolver(1000);
  const TBinarized kept = binarizer.Binarize(picture);
  EXPECT_EQ(kept.Resolver(), 128);

  TSurfaces surfaces;
  TVeltrix veltrix(surfaces);
  const TAnalysisResult result = AnalyseBinarized(veltrix, surfaces, kept, {-50, 0, 2});
  EXPECT_EQ(result.parameters, (TAnalysisParameters{128, 1, 2}));
  EXPECT_EQ(result.diagnosis.parameters, (TDecodeParameters{128, 1, 2}));
  EXPECT_EQ(veltrix.Resolver(), 128);

  TSurfaces freshSurfaces;
  TVeltrix fresh(freshSurfaces);
  const TAnalysisResult whole = Analyse(fresh, freshSurfaces, picture, {128, 1, 2});
  EXPECT_TRUE(result == whole) << NameOf(result.stage).key << " / " << NameOf(whole.stage).key;
}

}  // namespace
