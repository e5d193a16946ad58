#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <functional>
#include <string>
#include <vector>

#include "PhotoScene.h"
#include "StageFailures.h"
#include "TestSymbols.h"
#include "common/ShiftJis.h"
#include "decoder/Analysis.h"
#include "decoder/DiagnosisTexts.h"
#include "decoder/Verdict.h"

namespace {

using namespace testing_support;

// The analysis on a facade and panes of its own, as the first analysis of a window.
TAnalysisResult FreshAnalysis(const TBitmap& picture, const TAnalysisParameters& parameters = {}) {
  TSurfaces surfaces;
  TVeltrix veltrix(surfaces);
  return Analyse(veltrix, surfaces, picture, parameters);
}

struct TVerdictCase {
  const char* name;
  TBitmap picture;
  TStage stage;
  TEvidenceKind kind;
  // The figures that make the evidence, checked against what the picture was made to show.
  std::function<void(const TAnalysisResult&)> check;
  std::vector<TSuggestionKind> suggestions;
};

TEST(Verdict, NamesTheStageAndTheFigureEachDamageWasMadeToShow) {
  const std::vector<TVerdictCase> cases = {
      {"too small to binarize", TBitmap(1, 1), TStage::Binarization, TEvidenceKind::PictureTooSmall,
       [](const TAnalysisResult& r) { EXPECT_EQ(r.verdict.evidence.numbers[0], 1); },
       {TSuggestionKind::LargerPicture}},
      {"symbol on a dark background", SymbolOnDarkBackground(), TStage::FinderSearch, TEvidenceKind::TooFewCandidates,
       [](const TAnalysisResult& r) {
         const TBinarizationFigures& b = *r.diagnosis.binarization;
         // The print (grey 0x70) lies above the threshold: only the background is dark.
         EXPECT_LT(b.DarkBelow(), 0x70);
         EXPECT_GT(b.DarkShare(), 0.8);
         EXPECT_EQ(r.verdict.evidence.numbers[2], std::lround(b.DarkShare() * 100));
       },
       {TSuggestionKind::SmallerResolver}},
      // A clean two-tone picture: no Resolver moves a grey level across the threshold, so none is suggested.
      {"a finder pattern erased", FinderPatternErased(), TStage::FinderSearch, TEvidenceKind::TooFewCandidates,
       [](const TAnalysisResult& r) {
         EXPECT_EQ(r.verdict.evidence.numbers[0], 2);
         EXPECT_EQ(r.diagnosis.finder->candidates, 2);
         EXPECT_EQ(r.diagnosis.finder->needed, 3);
       },
       {}},
      {"timing damaged", TimingDamaged(), TStage::Version, TEvidenceKind::NoTimingMatch,
       [](const TAnalysisResult& r) {
         const TTimingTrial& two = r.diagnosis.version->trials.at(2 - r.diagnosis.version->estimate);
         EXPECT_EQ(two.version, 2);
         EXPECT_EQ(two.samples, 13);
         EXPECT_EQ(two.matchesAxis1, 11);
         EXPECT_EQ(two.matchesAxis2, 11);
         EXPECT_EQ(r.diagnosis.version->trials.back().version, 14);
         // Best share 11 / 13 at version 2, against 90 %.
         EXPECT_EQ(r.verdict.evidence.numbers[2], 2);
         EXPECT_EQ(r.verdict.evidence.numbers[3], 85);
         EXPECT_EQ(r.verdict.evidence.numbers[4], 90);
       },
       {}},
      {"version information damaged", VersionInformationDamaged(), TStage::Version, TEvidenceKind::VersionInformation,
       [](const TAnalysisResult& r) {
         EXPECT_EQ(r.diagnosis.version->candidate, 9);
         ASSERT_EQ(r.diagnosis.version->informationBlocks.size(), 2u);
         EXPECT_GT(r.verdict.evidence.numbers[1], 3);
         EXPECT_EQ(r.verdict.evidence.numbers[2], 3);
       },
       {}},
      // Where no timing test passes, only the version information names version
      // 15: one wrong bit of it is close enough to claim the version, two are not.
      {"version information one bit wrong", VersionInformationFlipped(1), TStage::Version,
       TEvidenceKind::NoTimingMatch,
       [](const TAnalysisResult& r) {
         const std::vector<TSelfNamingVersion>& named = r.diagnosis.version->selfNamingVersions;
         EXPECT_NE(std::find(named.begin(), named.end(), TSelfNamingVersion{15, 1}), named.end());
         EXPECT_EQ(r.verdict.suggestions.at(0).value, 15);
       },
       {TSuggestionKind::ForceVersion}},
      {"version information two bits wrong", VersionInformationFlipped(2), TStage::Version,
       TEvidenceKind::NoTimingMatch,
       [](const TAnalysisResult& r) {
         const std::vector<TSelfNamingVersion>& named = r.diagnosis.version->selfNamingVersions;
         EXPECT_NE(std::find(named.begin(), named.end(), TSelfNamingVersion{15, 2}), named.end());
       },
       {}},
      // The bottom-right search ends inside its window: no smaller one would mend it.
      {"edges meet outside the picture", EdgesMeetOutside(), TStage::Corners, TEvidenceKind::CornerFailure,
       [](const TAnalysisResult& r) {
         EXPECT_EQ(r.diagnosis.corners->step, TCornerStep::Intersection);
         EXPECT_EQ(r.verdict.evidence.text, "Program Error");
         EXPECT_EQ(r.verdict.evidence.numbers[1], 0);
       },
       {}},
      {"dark beyond the corner, to the picture's edge", DarkBeyondTheCorner(), TStage::Corners,
       TEvidenceKind::CornerFailure,
       [](const TAnalysisResult& r) {
         const TCornerFigures& c = *r.diagnosis.corners;
         EXPECT_EQ(c.warp, 6);
         EXPECT_TRUE(c.searches[3].found);
         EXPECT_EQ(c.searches[3].hit.x, r.diagnosis.pictureWidth - 1);
         EXPECT_EQ(r.verdict.evidence.numbers[1], 1);
         EXPECT_EQ(r.verdict.suggestions.at(0).value, 2);
       },
       {TSuggestionKind::SmallerWarp}},
      {"dark beyond the corner, in a wide quiet zone", DarkBeyondTheCorner(3, 9, 10), TStage::Codewords,
       TEvidenceKind::BlocksUncorrectable,
       [](const TAnalysisResult& r) {
         const TCornerSearchFigures& search = r.diagnosis.corners->searches[3];
         EXPECT_EQ(search.hit.x - search.around.x, search.radius);
       },
       {TSuggestionKind::SmallerWarp}},
      {"five format bits flipped", RenderSymbol(FormatFlipped(5), 4), TStage::Format, TEvidenceKind::FormatUnreadable,
       [](const TAnalysisResult& r) {
         const TFormatFigures& f = *r.diagnosis.format;
         EXPECT_EQ(f.read ^ FreshAnalysis(RenderSymbol(FormatFlipped(0), 4)).diagnosis.format->read, 0x1Fu);
         // The nearest valid word, by the test's own BCH arithmetic.
         int nearest = 15;
         for (int data = 0; data < 32; ++data)
           nearest = std::min(nearest, std::popcount((f.read ^ 0x5412u) ^ static_cast<unsigned>(FormatCodeword(data))));
         EXPECT_EQ(f.distance, nearest);
         EXPECT_GT(f.distance, 3);
         EXPECT_EQ(r.verdict.evidence.numbers[0], nearest);
       },
       {}},
      {"four codewords of a block damaged", BlockBeyondCorrection(), TStage::Codewords,
       TEvidenceKind::BlocksUncorrectable,
       [](const TAnalysisResult& r) {
         const TCorrectionFigures& c = *r.diagnosis.correction;
         ASSERT_EQ(c.blocks.size(), 4u);
         EXPECT_TRUE(c.blocks[0].uncorrectable);
         EXPECT_EQ(c.blocks[0].locatorDegree, 4);
         for (std::size_t b = 1; b < 4; ++b) EXPECT_FALSE(c.blocks[b].uncorrectable) << b;
         EXPECT_EQ((std::vector<std::int64_t>(r.verdict.evidence.numbers.begin(), r.verdict.evidence.numbers.begin() + 3)),
                   (std::vector<std::int64_t>{1, 4, 3}));
         // The damage shows in the text read without correction: as long as the real one, not equal to it.
         ASSERT_TRUE(c.unverified.has_value());
         EXPECT_EQ(c.unverified->text.size(), kFoxText.size());
         EXPECT_NE(c.unverified->text, kFoxText);
         EXPECT_EQ(r.text, "");
       },
       {}},
      {"an unsupported mode", UnsupportedMode(), TStage::Data, TEvidenceKind::DataStopped,
       [](const TAnalysisResult& r) {
         EXPECT_TRUE(r.decoded);
         EXPECT_EQ(r.text, "before");
         EXPECT_EQ(r.diagnosis.data->stop, TDataStop::UnsupportedMode);
         EXPECT_EQ(r.verdict.evidence.numbers[0], 7);  // ECI
         EXPECT_EQ(r.verdict.evidence.numbers[1], 1);
       },
       {}},
  };
  for (const TVerdictCase& c : cases) {
    SCOPED_TRACE(c.name);
    const TAnalysisResult result = FreshAnalysis(c.picture);
    EXPECT_EQ(result.verdict.stage, c.stage) << NameOf(result.verdict.stage).key;
    EXPECT_EQ(result.verdict.evidence.kind, c.kind) << KeyOf(result.verdict.evidence.kind);
    std::vector<TSuggestionKind> kinds;
    for (const TSuggestion& s : result.verdict.suggestions) kinds.push_back(s.kind);
    EXPECT_EQ(kinds, c.suggestions);
    c.check(result);
  }
}

// A picture large enough whose binary plane could not be allocated is not
// called too small: the verdict names the failure the record keeps.
TEST(Verdict, AFailedAllocationIsNamedAndNotTakenForASmallPicture) {
  const TBitmap picture(3000, 3000);
  TAnalysisResult result;
  {
    const TPlaneWithoutMemory refused(3000, 3000);
    result = FreshAnalysis(picture);
  }
  const std::string failure = "not enough memory to binarize a 3000 x 3000 picture";
  EXPECT_TRUE(result.aborted);
  EXPECT_EQ(result.failureReason, failure);
  EXPECT_EQ(result.diagnosis.failure, failure);
  EXPECT_EQ(result.verdict.stage, TStage::Binarization);
  EXPECT_EQ(result.verdict.evidence, (TEvidence{TEvidenceKind::StageFailure, {}, failure}));
  EXPECT_TRUE(result.verdict.suggestions.empty());
  EXPECT_EQ(DiagnosisLine(result.verdict), "stage: binarization; " + failure);
  // With the memory there the same picture is binarized and searched.
  EXPECT_EQ(FreshAnalysis(picture).stage, TStage::FinderSearch);
}

// Each suggestion made for these pictures gets the decode past the stage that stopped it.
TEST(Verdict, FollowingTheSuggestionGetsPastTheStage) {
  // Version 15 lies beyond the timing test; its version information names it at its own module size.
  const TBitmap fifteen = RenderSymbol(EncodeBytes("version fifteen", 15, 1), 3);
  EXPECT_EQ(FreshAnalysis(fifteen).verdict.suggestions.front(), (TSuggestion{TSuggestionKind::ForceVersion, 15}));
  for (const TBitmap& picture : {fifteen, VersionInformationFlipped(1), DarkBeyondTheCorner(), DarkBeyondTheCorner(3, 9, 10), SymbolOnDarkBackground()}) {
    const TAnalysisResult result = FreshAnalysis(picture);
    ASSERT_FALSE(result.verdict.suggestions.empty());
    TAnalysisParameters parameters;
    // A Resolver suggestion is one step: followed a few times it must get further.
    TAnalysisResult followed = result;
    for (int step = 0; step < 8 && followed.stage == result.stage && !followed.verdict.suggestions.empty(); ++step) {
      parameters = Following(parameters, followed.verdict.suggestions.front());
      followed = FreshAnalysis(picture, parameters);
    }
    EXPECT_GT(followed.stage, result.stage) << DiagnosisLine(result.verdict);
  }
  EXPECT_TRUE(FreshAnalysis(fifteen, {7, 6, 15}).decoded);
}

TEST(Verdict, ResolverIsSuggestedTowardsTheShareOfDarkOnlyWhereItMovesGreyLevels) {
  TDiagnosis diagnosis;
  diagnosis.stage = TStage::FinderSearch;
  diagnosis.finder.emplace();
  TBinarizationFigures& b = diagnosis.binarization.emplace();
  b.width = 10;
  b.height = 10;
  b.threshold = 120;
  // Grey levels of the middle row on both sides of T - Resolver = 113.
  for (const int grey : {20, 100, 110, 118, 200, 240}) b.middleRowHistogram[static_cast<std::size_t>(grey)] = 5;
  struct TCase {
    std::int64_t dark;
    std::int32_t offset;
    std::vector<TSuggestion> expected;
  };
  for (const TCase& c : std::vector<TCase>{
           // One step of 12 grey levels, towards more dark from 45 % dark on.
           {60, 7, {{TSuggestionKind::SmallerResolver, -5}}},
           {45, 7, {{TSuggestionKind::SmallerResolver, -5}}},
           {30, 7, {{TSuggestionKind::LargerResolver, 19}}},
           // No move beyond the ends of the range.
           {60, -128, {}},
           {30, 128, {}},
       }) {
    b.darkPixels = c.dark;
    b.offset = c.offset;
    EXPECT_EQ(Judge(diagnosis).suggestions, c.expected) << c.dark << " " << c.offset;
  }
  // Nothing within a step: on to just past the nearest grey level, 200.
  b.middleRowHistogram[118] = 0;
  b.darkPixels = 60;
  b.offset = 7;
  EXPECT_EQ(Judge(diagnosis).suggestions, (std::vector<TSuggestion>{{TSuggestionKind::SmallerResolver, -81}}));
  // A move that would leave the middle row all of one colour is no suggestion.
  b.middleRowHistogram[240] = 0;
  EXPECT_TRUE(Judge(diagnosis).suggestions.empty());
  // A two-tone middle row: no Resolver moves a pixel without making all of the row one colour.
  b.middleRowHistogram = {};
  b.middleRowHistogram[0] = 4;
  b.middleRowHistogram[255] = 6;
  for (const std::int64_t dark : {40, 60}) {
    b.darkPixels = dark;
    EXPECT_TRUE(Judge(diagnosis).suggestions.empty()) << dark;
  }
}

}  // namespace

namespace {

// The bottom-left finder painted over: the finder search "succeeds" with a
// false third candidate inside the symbol, a later stage stops, and the
// verdict names the finder search as the suspect with that candidate. A symbol with its three finders and a damaged timing
// pattern has no suspect: the triangle is right.
TEST(Verdict, FinderCandidatesThatAreNoSymbolsAreSuspected) {
  TTestSymbol symbol = EncodeBytes("finder painted over", 2, 1);
  for (std::int32_t y = symbol.size - 7; y < symbol.size; ++y)
    for (std::int32_t x = 0; x < 7; ++x)
      if (symbol.Dark(x, y)) FlipModule(symbol, x, y);
  constexpr std::int32_t kModule = 4, kQuiet = 12;
  const TBitmap picture = RenderSymbol(symbol, kModule, kQuiet);
  const TAnalysisResult painted = FreshAnalysis(picture);
  ASSERT_GT(painted.stage, TStage::FinderSearch) << painted.failureReason;
  ASSERT_FALSE(painted.decoded);
  ASSERT_TRUE(painted.verdict.suspect);
  const TSuspect& suspect = *painted.verdict.suspect;
  EXPECT_EQ(suspect.stage, TStage::FinderSearch);
  // Not one of the two finder patterns left (their centres 3.5 modules in from the symbol's corners).
  const std::int32_t near = (kQuiet + 3) * kModule + 2, far = (kQuiet + symbol.size - 4) * kModule + 2;
  for (const TPoint real : {TPoint{near, near}, TPoint{far, near}})
    EXPECT_GT(std::abs(suspect.candidate.x - real.x) + std::abs(suspect.candidate.y - real.y), 2 * kModule);
  EXPECT_NE(suspect.failed & TSuspect::kWeights, 0);
  EXPECT_LT(suspect.weight * 2, suspect.otherWeight);
  EXPECT_NE(EnglishText(suspect).find("is weaker (" + std::to_string(suspect.weight) + " against"), std::string::npos)
      << EnglishText(suspect);
  EXPECT_NE(DiagnosisHeadline(painted.verdict).find("疑い"), std::string::npos);
  EXPECT_NE(DiagnosisLine(painted.verdict).find("the finder search is suspect"), std::string::npos);
  // The decoder's own stage stays where it stopped.
  EXPECT_EQ(painted.verdict.stage, painted.stage);

  const TAnalysisResult timing = FreshAnalysis(TimingDamaged());
  ASSERT_EQ(timing.stage, TStage::Version);
  EXPECT_FALSE(timing.verdict.suspect);
  EXPECT_NE(MessageNote(timing.errorCode).find("エラーコード 1"), std::string::npos);
  EXPECT_EQ(MessageNote(3), "");
}

}  // namespace

namespace {

// The module size is estimated from the finder candidates' weights (six
// stretches a pixel of module) and named when too small for the sampling.
TEST(Verdict, ModuleSizeFromTheFinderCandidates) {
  struct TCase {
    int moduleSize;
    bool named;
  };
  for (const TCase c : {TCase{2, true}, TCase{4, false}}) {
    SCOPED_TRACE(c.moduleSize);
    TTestSymbol symbol = EncodeBytes("far away", 2, 1);
    for (std::int32_t y = symbol.size - 7; y < symbol.size; ++y)
      for (std::int32_t x = 0; x < 7; ++x)
        if (symbol.Dark(x, y)) FlipModule(symbol, x, y);
    const TAnalysisResult result = FreshAnalysis(RenderSymbol(symbol, c.moduleSize));
    ASSERT_FALSE(result.decoded);
    EXPECT_EQ(result.verdict.moduleTenths, c.moduleSize * 10);
    EXPECT_EQ(result.verdict.moduleSource, TModuleSource::FinderCandidates);
    EXPECT_EQ(JapaneseModuleText(result.verdict).find("（位置検出パターンの候補の重みから）") != std::string::npos, c.named);
    EXPECT_EQ(!EnglishModuleText(result.verdict).empty(), c.named);
    EXPECT_EQ(DiagnosisLine(result.verdict).find("about 2.0 pixels per module") != std::string::npos, c.named);
  }
  EXPECT_EQ(FreshAnalysis(RenderSymbol(EncodeBytes("near", 1, 1), 2)).verdict.moduleTenths, 0);
}

}  // namespace

namespace {

// Past the corners the module size comes from the symbol's frame, within 5 %
// of the size drawn, and says so; a photograph slanted at a size between whole
// pixels too.
TEST(Verdict, ModuleSizeFromTheFrameOnceTheCornersStand) {
  struct TCase {
    const char* name;
    TBitmap picture;
    TStage stage;
    double module;
  };
  TPhotoOptions slanted;
  slanted.moduleSize = 5.5;
  slanted.degrees = 8;
  slanted.width = 400;
  slanted.height = 360;
  const std::vector<TCase> cases = {
      {"format unreadable", FormatUnreadable(), TStage::Format, 4},
      {"block beyond correction", BlockBeyondCorrection(), TStage::Codewords, 4},
      {"slanted photograph, format unreadable", RenderPhoto(FormatFlipped(5), slanted), TStage::Format, 5.5},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.name);
    const TAnalysisResult result = FreshAnalysis(c.picture);
    ASSERT_EQ(result.stage, c.stage);
    EXPECT_EQ(result.verdict.moduleSource, TModuleSource::Frame);
    EXPECT_NEAR(result.verdict.moduleTenths / 10.0, c.module, 0.05 * c.module);
  }
  // Modules of 2.4 pixels: too small for the sampling, named with the frame as the source.
  slanted.moduleSize = 2.4;
  const TAnalysisResult small = FreshAnalysis(RenderPhoto(FormatFlipped(5), slanted));
  ASSERT_EQ(small.verdict.moduleSource, TModuleSource::Frame);
  EXPECT_NEAR(small.verdict.moduleTenths, 24, 1);
  EXPECT_NE(JapaneseModuleText(small.verdict).find("約 2."), std::string::npos);
  EXPECT_NE(JapaneseModuleText(small.verdict).find("（シンボルの枠から）"), std::string::npos);
  EXPECT_NE(EnglishModuleText(small.verdict).find("(from the symbol's frame)"), std::string::npos);
}

// A mirrored symbol is located transposed: its format information reads in
// reverse. Named so at versions the timing test settles, seen at any quarter
// turn, with the distances; never the symbol as printed, nor one whose format
// information or blocks are damaged.
TEST(Verdict, MirroredSymbolNamedFromItsFormatInformation) {
  std::vector<std::pair<TBitmap, bool>> cases;  // picture, named mirrored
  for (const int version : {1, 2, 4, 6, 7, 9, 12}) {
    const TTestSymbol symbol = EncodeBytes("mirrored " + std::to_string(version), version, version % 4);
    cases.emplace_back(RenderSymbol(MirrorImage(symbol), 4, 4, version % 4), true);
    cases.emplace_back(RenderSymbol(symbol, 4, 4, version % 4), false);
  }
  for (const int flips : {3, 4, 5}) cases.emplace_back(RenderSymbol(FormatFlipped(flips), 4), false);
  cases.emplace_back(FormatUnreadable(), false);
  cases.emplace_back(BlockBeyondCorrection(), false);
  for (std::size_t i = 0; i < cases.size(); ++i) {
    SCOPED_TRACE(i);
    const TAnalysisResult result = FreshAnalysis(cases[i].first);
    ASSERT_EQ(result.verdict.mirrored.has_value(), cases[i].second) << result.failureReason;
    EXPECT_EQ(DiagnosisLine(result.verdict).find("the symbol is mirrored") != std::string::npos, cases[i].second);
    if (cases[i].second) {
      EXPECT_EQ(*result.verdict.mirrored, (TMirrored{0, 0, result.diagnosis.format->distance}));
      EXPECT_GE(result.verdict.mirrored->ordinaryDistance, 3);
    }
  }
}

// The rule: both copies within 1 bit of one word in mirrored order, the
// decoder's copy 3 bits nearer so than read the ordinary way; after a failure.
TEST(Verdict, MirroredOnlyWhereBothCopiesReadClearlyNearerMirrored) {
  struct TCase {
    TStage stage;
    std::int32_t distance, first, second;
    std::uint32_t secondNearest;  // the first copy's is 0x537
    bool named;
  };
  for (const TCase c : {TCase{TStage::Format, 4, 0, 0, 0x537, true}, TCase{TStage::Codewords, 4, 1, 1, 0x537, true},
                        TCase{TStage::Codewords, 3, 1, 0, 0x537, false}, TCase{TStage::Format, 5, 2, 0, 0x537, false},
                        TCase{TStage::Codewords, 3, 0, 2, 0x537, false}, TCase{TStage::Codewords, 3, 0, 0, 0, false},
                        TCase{TStage::Done, 3, 0, 0, 0x537, false}}) {
    TDiagnosis diagnosis;
    diagnosis.stage = c.stage;
    diagnosis.format = TFormatFigures{};
    diagnosis.format->distance = c.distance;
    diagnosis.format->mirrored = {{{0, 0x537, c.first}, {0, c.secondNearest, c.second}}};
    const std::optional<TMirrored> mirrored = Judge(diagnosis).mirrored;
    EXPECT_EQ(mirrored, c.named ? std::optional(TMirrored{c.first, c.second, c.distance}) : std::nullopt)
        << c.distance << c.first << c.second;
  }
}

}  // namespace
