// The lab decodes again from the matrix an analysis sampled: unchanged, it
// gives what the analysis gave; changed, it reports each block against the
// unchanged matrix and against the level's full capacity.

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "common/Surfaces.h"
#include "decoder/Analysis.h"
#include "decoder/Decorder.h"
#include "decoder/Lab.h"
#include "decoder/LabMasks.h"
#include "decoder/LabReport.h"
#include "decoder/Veltrix.h"
#include "sample/Sample.h"
#include "sample/SymbolMaker.h"
#include "symbol/Remask.h"
#include "symbol/Versions.h"

namespace {

struct TAnalysed {
  std::unique_ptr<TSurfaces> surfaces = std::make_unique<TSurfaces>();
  std::unique_ptr<TVeltrix> veltrix = std::make_unique<TVeltrix>(*surfaces);
  TAnalysisResult result;
};

// A made symbol printed and analysed as a photo would be.
TAnalysed AnalyseMade(const std::string& text, int version, int level, int mask = kAutomaticMask) {
  TSampleRequest request;
  request.symbol.text = text;
  request.symbol.version = version;
  request.symbol.level = level;
  request.symbol.mask = mask;
  request.moduleSize = 4;
  TAnalysed analysed;
  // The version is given: the location's own version test reaches version 14.
  TAnalysisParameters parameters;
  parameters.forceVersion = version;
  analysed.result = Analyse(*analysed.veltrix, *analysed.surfaces, MakeSample(request).picture, parameters);
  return analysed;
}

std::vector<std::string> Tail(const std::vector<std::string>& lines, std::size_t from) {
  return {lines.begin() + static_cast<std::ptrdiff_t>(std::min(from, lines.size())), lines.end()};
}

// ImgMemo without the location's version line: the lines of the format stage.
std::vector<std::string> FormatLines(const std::vector<std::string>& lines) {
  std::vector<std::string> kept;
  for (const std::string& line : lines)
    if (line.rfind("型番 ", 0) != 0) kept.push_back(line);
  return kept;
}

struct TSymbolCase { int version, level, mask; };

TEST(Lab, TheUnchangedMatrixGivesWhatTheAnalysisGave) {
  constexpr TSymbolCase kCases[] = {{1, 0, 0}, {1, 3, 7}, {2, 1, 3}, {3, 2, kAutomaticMask}, {5, 2, 1},
                                    {7, 0, 4}, {10, 3, 2}, {14, 1, 5}, {22, 2, 6}, {27, 0, kAutomaticMask},
                                    {33, 3, 0}, {40, 1, kAutomaticMask}};
  for (const TSymbolCase& symbol : kCases) {
    const std::string what = std::to_string(symbol.version) + "-" + std::to_string(symbol.level);
    const TAnalysed analysed = AnalyseMade("lab " + what, symbol.version, symbol.level, symbol.mask);
    ASSERT_TRUE(analysed.result.decoded) << what << " " << analysed.result.failureReason << " " << analysed.result.errorText;
    const TLab lab(analysed.veltrix->Driver().Sampled());
    const TSurfaces& ours = lab.Surfaces();
    const TSurfaces& theirs = *analysed.surfaces;
    for (const TImagePaneId pane : {TImagePaneId::DigitImage, TImagePaneId::BlockImage, TImagePaneId::MaskImage,
                                    TImagePaneId::ResultImage})
      EXPECT_TRUE(ours.Image(pane).CurrentPicture() == theirs.Image(pane).CurrentPicture()) << what << " " << PaneName(pane);
    EXPECT_EQ(ours.Text(TTextPaneId::ImgMemo).Lines(), FormatLines(theirs.Text(TTextPaneId::ImgMemo).Lines())) << what;
    EXPECT_EQ(ours.Text(TTextPaneId::BLMemo).Lines(),
              Tail(theirs.Text(TTextPaneId::BLMemo).Lines(), analysed.result.listingStart)) << what;
    for (const TTextPaneId pane : {TTextPaneId::RdSnMemo, TTextPaneId::ResultMemo})
      EXPECT_EQ(ours.Text(pane).Lines(), theirs.Text(pane).Lines()) << what << " " << PaneName(pane);
    const TLabRun& run = lab.Original();
    EXPECT_TRUE(run.result.decoded) << what;
    EXPECT_EQ(run.result.text, analysed.result.text) << what;
    EXPECT_EQ(run.blocks.size(), static_cast<std::size_t>(ReedSolomonBlocks(symbol.version, symbol.level))) << what;
    for (const TLabBlock& block : run.blocks) {
      EXPECT_TRUE(block.wrong.empty()) << what;
      EXPECT_EQ(block.capacity.outcome, TCapacityOutcome::Intact) << what;
    }
  }
}

// A matrix that is no symbol's size fails inside the facade, like any decode.
TEST(Lab, AMatrixOfNoSymbolSizeIsAFailedDecodeNotACrash) {
  TSurfaces surfaces;
  TVeltrix veltrix(surfaces);
  for (const int side : {0, 20, 22, 178}) {
    const TAnalysisResult result = AnalyseMatrix(veltrix, surfaces, TPlaneBoolean(side, side, 0));
    EXPECT_FALSE(result.decoded) << side;
    EXPECT_FALSE(result.failureReason.empty()) << side;
  }
  // The right size, but nothing readable in it.
  EXPECT_FALSE(AnalyseMatrix(veltrix, surfaces, TPlaneBoolean(21, 21, 0)).decoded);
  EXPECT_THROW(TLab(TPlaneBoolean(20, 21, 0)), TLabError);
}

// Four wrong codewords in one block of a 5-Q symbol: beyond this decoder,
// within what the level promises (9 a block).
TEST(Lab, FourWrongCodewordsFailHereAndAreCorrectedAtFullCapacity) {
  const TAnalysed analysed = AnalyseMade("four wrong codewords", 5, 2);
  ASSERT_TRUE(analysed.result.decoded);
  TLab lab(analysed.veltrix->Driver().Sampled());
  lab.Matrix().SpoilRandom(lab.OriginalLayout(), 0, 4, 11);
  const TLabRun& run = lab.Decode();
  EXPECT_FALSE(run.result.decoded);
  ASSERT_EQ(run.blocks.size(), 4u);
  const TLabBlock& block = run.blocks[0];
  EXPECT_EQ(block.wrong.size(), 4u);
  EXPECT_TRUE(block.figures.uncorrectable);
  EXPECT_EQ(block.promised, 9);
  EXPECT_EQ(block.capacity.outcome, TCapacityOutcome::Corrected);
  EXPECT_TRUE(block.CapacityRestored());
  for (std::size_t b = 1; b < run.blocks.size(); ++b) EXPECT_TRUE(run.blocks[b].wrong.empty());
  ASSERT_TRUE(run.capacityText.has_value());
  EXPECT_EQ(*run.capacityText, analysed.result.text);
  EXPECT_EQ(run.changedCodewords.size(), 4u);
  EXPECT_EQ(LabBlockLine(block, 0, TLabLanguage::English),
            "block 0: 4 wrong codewords; this decoder (up to 3): uncorrectable; the level promises 9: corrected");
  // Undone, the decode is the unchanged matrix's again.
  ASSERT_TRUE(lab.Matrix().Undo());
  EXPECT_TRUE(lab.Decode().result.decoded);
  EXPECT_TRUE(lab.Last().changedCodewords.empty());
}

// Three wrong codewords are within this decoder; erasures count half at full capacity.
TEST(Lab, ThreeWrongCodewordsAreCorrectedByBoth) {
  const TAnalysed analysed = AnalyseMade("three", 2, 1);
  ASSERT_TRUE(analysed.result.decoded);
  TLab lab(analysed.veltrix->Driver().Sampled());
  const std::vector<std::int32_t> spoilt = {2, 9, 30};
  lab.Matrix().SpoilCodewords(spoilt);
  const TLabRun& run = lab.Decode();
  EXPECT_TRUE(run.result.decoded);
  EXPECT_EQ(run.result.text, analysed.result.text);
  ASSERT_EQ(run.blocks.size(), 1u);
  EXPECT_EQ(run.blocks[0].wrong, spoilt);
  EXPECT_EQ(run.blocks[0].mended, spoilt);
  EXPECT_TRUE(run.blocks[0].Restored());
  EXPECT_TRUE(run.blocks[0].CapacityRestored());
}

// The eight masks of a made symbol score as the maker scored them when it chose.
TEST(Lab, TheMasksViewScoresEachMaskAsTheEncoderChoseAmongThem) {
  for (const int mask : {kAutomaticMask, 3}) {
    const TMadeSymbol made = MakeSymbol({"masks", TSampleMode::Automatic, 4, 1, mask});
    const TLab lab(made.modules);
    const std::optional<TLabMasks> masks = LabMasks(lab);
    ASSERT_TRUE(masks.has_value());
    EXPECT_EQ(masks->used, made.mask);
    EXPECT_EQ(masks->penalties, made.penalties);
    EXPECT_EQ(masks->chosen, LowestPenaltyMask(made.penalties));
    if (mask == kAutomaticMask) {
      EXPECT_EQ(masks->chosen, made.mask);
    }
    // Each symbol carries its own mask's format information and decodes to the same text.
    for (int other = 0; other < kMaskPatterns; ++other) {
      const TLab again(masks->symbols[static_cast<std::size_t>(other)]);
      EXPECT_EQ(again.Original().mask, other);
      EXPECT_EQ(again.Original().result.text, lab.Original().result.text);
    }
  }
  EXPECT_FALSE(LabMasks(TLab(TPlaneBoolean(21, 21, 0))).has_value());
}

TEST(LabMatrix, EachChangeIsOneStepThatUndoTakesBack) {
  TPlaneBoolean sampled(25, 25, 0);
  TLabMatrix matrix(sampled);
  EXPECT_EQ(matrix.Version(), 2);
  EXPECT_EQ(matrix.CodewordCount(), TotalCodewords(2));
  const TPoint module{24, 24};  // the first bit of codeword 0
  EXPECT_EQ(matrix.CodewordAt(module), 0);
  EXPECT_EQ(matrix.CodewordAt({0, 0}), -1);  // a finder pattern's module

  struct TAction { const char* name; std::function<void(TLabMatrix&)> act; int changed, erased; };
  const std::vector<TAction> actions = {
      {"flip", [](TLabMatrix& m) { m.Flip({3, 4}); }, 1, 0},
      {"paint", [](TLabMatrix& m) { const TPoint p[] = {{1, 1}, {2, 1}, {1, 1}}; m.Paint(p, true); }, 2, 0},
      {"erase", [](TLabMatrix& m) { const TPoint p[] = {{9, 9}, {10, 9}}; m.MarkErased(p, true); }, 0, 2},
      {"spoil", [](TLabMatrix& m) { const std::int32_t c[] = {0, 5, 5}; m.SpoilCodewords(c); }, 16, 0},
      {"burst", [](TLabMatrix& m) { m.SpoilBurst(10, 3); }, 24, 0},
      {"random", [](TLabMatrix& m) { m.SpoilRandom({{{0, 1, 2, 3, 4, 5, 6, 7}, 4}}, 0, 3, 5); }, -1, 0},
  };
  for (const TAction& action : actions) {
    TLabMatrix changed(sampled);
    action.act(changed);
    EXPECT_EQ(changed.Steps(), 1u) << action.name;
    if (action.changed >= 0) {
      EXPECT_EQ(static_cast<int>(changed.ChangedModules().size()), action.changed) << action.name;
    }
    EXPECT_EQ(static_cast<int>(changed.ErasedModules().size()), action.erased) << action.name;
    changed.Restore();
    EXPECT_TRUE(changed.ChangedModules().empty() && changed.ErasedModules().empty()) << action.name;
    ASSERT_TRUE(changed.Undo()) << action.name;  // takes back the restore
    ASSERT_TRUE(changed.Undo()) << action.name;
    EXPECT_TRUE(changed.ChangedModules().empty() && changed.ErasedModules().empty()) << action.name;
    EXPECT_FALSE(changed.Undo()) << action.name;
  }
  // Painting what is already there changes nothing and is no step.
  TLabMatrix same(sampled);
  const TPoint light[] = {{5, 5}};
  same.Paint(light, false);
  EXPECT_EQ(same.Steps(), 0u);
  // An erased module is read light.
  const TPoint dark[] = {{12, 12}};
  same.Paint(dark, true);
  same.MarkErased(dark, true);
  EXPECT_EQ(same.AsRead()[12][12], 0);
  EXPECT_EQ(same.Modules()[12][12], 1);
}

TEST(LabMatrix, RandomSpoilingFollowsTheSeedAndStaysInItsBlock) {
  const TPlaneBoolean sampled(45, 45, 0);
  const std::vector<TBlockLayout> layout = {{{0, 2, 4, 6, 8, 10, 12, 14, 16, 18}, 6}, {{1, 3, 5, 7, 9, 11, 13, 15, 17, 19}, 6}};
  TLabMatrix a(sampled), b(sampled), c(sampled);
  a.SpoilRandom(layout, 1, 5, 42);
  b.SpoilRandom(layout, 1, 5, 42);
  c.SpoilRandom(layout, 1, 5, 43);
  EXPECT_EQ(a.ChangedModules(), b.ChangedModules());
  EXPECT_NE(a.ChangedModules(), c.ChangedModules());
  std::vector<std::int32_t> touched;
  for (const TPoint module : a.ChangedModules()) touched.push_back(a.CodewordAt(module));
  std::sort(touched.begin(), touched.end());
  touched.erase(std::unique(touched.begin(), touched.end()), touched.end());
  EXPECT_EQ(touched.size(), 5u);
  for (const std::int32_t index : touched) EXPECT_EQ(index % 2, 1) << index;
}

TEST(LabMatrix, RefusesWhatItDoesNotHoldBeforeChangingAnything) {
  TLabMatrix matrix(TPlaneBoolean(21, 21, 0));
  const std::vector<TBlockLayout> layout = {{{0, 1, 2}, 1}};
  const TPoint outside[] = {{1, 1}, {21, 0}};
  const std::int32_t codewords[] = {0, 26};
  EXPECT_THROW(matrix.Flip({-1, 0}), TLabError);
  EXPECT_THROW(matrix.Paint(outside, true), TLabError);
  EXPECT_THROW(matrix.MarkErased(outside, true), TLabError);
  EXPECT_THROW(matrix.SpoilCodewords(codewords), TLabError);
  EXPECT_THROW(matrix.SpoilBurst(24, 3), TLabError);
  EXPECT_THROW(matrix.SpoilBurst(0, 0), TLabError);
  EXPECT_THROW(matrix.SpoilRandom(layout, 1, 1, 1), TLabError);
  EXPECT_THROW(matrix.SpoilRandom(layout, 0, 4, 1), TLabError);
  EXPECT_THROW(matrix.SpoilRandom({}, 0, 1, 1), TLabError);
  EXPECT_EQ(matrix.Steps(), 0u);
  EXPECT_TRUE(matrix.ChangedModules().empty());
}

}  // namespace
