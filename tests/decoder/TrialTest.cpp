#include <atomic>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "StageFailures.h"
#include "TestSymbols.h"
#include "decoder/Analysis.h"
#include "decoder/DiagnosisTexts.h"
#include "decoder/Trial.h"
#include "decoder/TrialTexts.h"

namespace {

using namespace testing_support;

TAnalysisResult AnalyseAlone(const TBitmap& picture, const TAnalysisParameters& parameters = {}) {
  TSurfaces surfaces;
  TVeltrix veltrix(surfaces);
  return Analyse(veltrix, surfaces, picture, parameters);
}

TStage Reached(const TAnalysisResult& result) { return result.decoded ? TStage::Done : result.stage; }

// Light modules on a dark ground, and a symbol seen from behind.
TBitmap Inverted(const TBitmap& picture) { return ApplyOperations(picture, {true, false, 0}); }
TBitmap Mirrored(const TBitmap& picture) { return ApplyOperations(picture, {false, true, 0}); }

// A shadow over the right half: every grey there a third of what it was.
TBitmap Shadowed(const TBitmap& picture) {
  TBitmap shadowed = picture.Detached();
  for (std::int32_t y = 0; y < picture.Height(); ++y)
    for (std::int32_t x = picture.Width() / 2; x < picture.Width(); ++x) {
      const TColor c = picture.Pixel(x, y);
      const TColor grey = ((c & 0xFF) / 3) & 0xFF;
      shadowed.SetPixel(x, y, grey | grey << 8 | grey << 16);
    }
  return shadowed;
}

// A band below the middle row (where the threshold is taken), a third of the
// picture across, with its dark pixels light grey: it reads with a smaller Resolver.
TBitmap Smudged(const TBitmap& picture) {
  TBitmap smudged = picture.Detached();
  for (std::int32_t y = picture.Height() * 7 / 12; y < picture.Height() * 3 / 4; ++y)
    for (std::int32_t x = picture.Width() / 3; x < picture.Width() * 2 / 3; ++x)
      if ((picture.Pixel(x, y) & 0xFF) < 0x80) smudged.SetPixel(x, y, 0xA0A0A0);
  return smudged;
}

// Pictures whose cause of failure is known: the trial shows only values that
// take the decode past the stage, each as far as a decode with it goes; where
// no value of the parameters can help, the picture inverted or mirrored is
// tried, and what helps names what the symbol is; where nothing helps, it
// says so and what it tried.
TEST(Trial, ShowsOnlyValuesThatGetPastTheStage) {
  struct TCase {
    const char* name;
    TBitmap picture;
    bool helps;  // some value is expected to get further
    TPictureOperations operations = {};  // those of the best value
    std::int32_t forced = 0;  // the best value's ForceVersion, where it must name one
  };
  const std::vector<TCase> cases = {
      {"dark background", SymbolOnDarkBackground(), true},
      {"dark beyond the corner", DarkBeyondTheCorner(), true},
      {"shadow over half", Shadowed(RenderSymbol(EncodeBytes("shadow", 2, 1), 4)), true},
      {"version above 14", RenderSymbol(EncodeBytes("large", 20, 0), 3), true},
      // Version 15 named by its version information, tried whether or not the verdict claims it.
      {"version information one bit wrong", VersionInformationFlipped(1), true, {}, 15},
      {"version information two bits wrong", VersionInformationFlipped(2), true, {}, 15},
      {"inverted", Inverted(RenderSymbol(EncodeBytes("inverted", 2, 1), 4)), true, {true, false, 0}},
      {"mirrored", Mirrored(RenderSymbol(EncodeBytes("mirrored", 3, 1), 4)), true, {false, true, 0}},
      {"blank", TBitmap(80, 60), false},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.name);
    const TAnalysisResult analysis = AnalyseAlone(c.picture);
    ASSERT_FALSE(analysis.decoded);
    ASSERT_TRUE(WorthTrying(analysis));
    const TTrial trial = TTrialRunner(c.picture, analysis, 7).Run(nullptr, 2);
    EXPECT_EQ(trial.analysis, 7u);
    EXPECT_TRUE(trial.complete);
    EXPECT_EQ(trial.stage, analysis.stage);
    EXPECT_FALSE(trial.tried.empty());
    EXPECT_EQ(!trial.helped.empty(), c.helps);
    EXPECT_LE(trial.helped.size(), TTrial::kShown);
    for (const TTriedValue& value : trial.helped) {
      EXPECT_GT(value.reached, analysis.stage);
      EXPECT_EQ(Reached(AnalyseAlone(ApplyOperations(c.picture, value.operations), value.parameters)), value.reached);
    }
    if (c.helps) {
      EXPECT_EQ(trial.helped.front().operations, c.operations);
      if (c.forced != 0) {
        EXPECT_EQ(trial.helped.front().parameters.forceVersion, c.forced);
      }
    }
    // Best first: none further than the first.
    for (const TTriedValue& value : trial.helped) EXPECT_LE(value.reached, trial.helped.front().reached);
    const std::string line = EnglishOutcome(trial);
    if (c.helps) {
      EXPECT_EQ(line.rfind("try --", 0), 0u) << line;
      EXPECT_NE(JapaneseOutcome(trial).find("で"), std::string::npos);
      if (c.operations.invert) {
        EXPECT_NE(JapaneseOutcome(trial).find("（反転した）シンボル"), std::string::npos);
      }
      if (c.operations.Any()) {
        EXPECT_EQ(line.rfind("try " + CommandLineForm(c.operations), 0), 0u) << line;
      }
    } else {
      EXPECT_EQ(line.rfind("nothing tried got past the " + std::string(NameOf(analysis.stage).key), 0), 0u) << line;
      EXPECT_NE(line.find("Resolver -128 to 128"), std::string::npos) << line;
    }
  }
}

// A symbol named mirrored is tried mirrored first, pointed to by the
// evidence, at other Resolver values where its own does not read; one above
// version 14 is named so only once a forced version gets it to the format
// information, and is then tried mirrored at that version.
TEST(Trial, MirroredPictureTriedWhereTheEvidenceNamesIt) {
  struct TCase {
    const char* name;
    TBitmap picture;
    bool named;  // by the analysis's verdict
    std::int32_t forced;
  };
  for (const TCase& c : {TCase{"clean", RenderSymbol(MirrorImage(EncodeBytes("mirrored", 3, 1)), 4), true, 0},
                         TCase{"smudged", Smudged(RenderSymbol(MirrorImage(EncodeBytes("smudged", 2, 1)), 4)), true, 0},
                         TCase{"version 15", RenderSymbol(MirrorImage(EncodeBytes("above 14", 15, 1)), 3), false, 15}}) {
    SCOPED_TRACE(c.name);
    const TAnalysisResult analysis = AnalyseAlone(c.picture);
    ASSERT_EQ(analysis.verdict.mirrored.has_value(), c.named);
    const TTrial trial = TTrialRunner(c.picture, analysis, 1).Run(nullptr, 2);
    ASSERT_FALSE(trial.tried.empty());
    EXPECT_EQ(trial.tried.front().operations.mirror, c.named);
    ASSERT_FALSE(trial.helped.empty());
    const TTriedValue& best = trial.helped.front();
    EXPECT_EQ(best.operations, (TPictureOperations{false, true, 0}));
    EXPECT_EQ(best.reached, TStage::Done);
    EXPECT_TRUE(best.fromEvidence);
    EXPECT_EQ(best.parameters.forceVersion, c.forced);
    EXPECT_EQ(Reached(AnalyseAlone(Mirrored(c.picture), best.parameters)), TStage::Done);
    // Tried once, before any value on the picture as it is where the verdict named it.
    EXPECT_EQ(std::count(trial.tried.begin(), trial.tried.end(), best), 1);
    const auto plain =
        std::find_if(trial.tried.begin(), trial.tried.end(), [](const TTriedValue& t) { return !t.operations.Any(); });
    EXPECT_EQ(std::find(trial.tried.begin(), trial.tried.end(), best) < plain, c.named);
  }
}

// The evidence's own values are among those tried: the verdict's suggestion
// of a version that names itself is tried first of the versions.
TEST(Trial, TriesTheEvidenceValues) {
  const TBitmap picture = SymbolOnDarkBackground();
  const TAnalysisResult analysis = AnalyseAlone(picture);
  const std::vector<TAnalysisParameters> evidence = EvidenceValues(analysis);
  ASSERT_FALSE(evidence.empty());
  const TTrial trial = TTrialRunner(picture, analysis, 1).Run();
  for (const TAnalysisParameters& value : evidence) {
    const auto tried = std::find_if(trial.tried.begin(), trial.tried.end(),
                                    [&](const TTriedValue& t) { return t.parameters == value; });
    ASSERT_NE(tried, trial.tried.end());
    EXPECT_TRUE(tried->fromEvidence);
  }
  // Nothing is tried twice, nor the analysis's own values.
  for (std::size_t i = 0; i < trial.tried.size(); ++i) {
    EXPECT_NE(trial.tried[i].parameters, analysis.parameters);
    for (std::size_t j = i + 1; j < trial.tried.size(); ++j) EXPECT_NE(trial.tried[i].parameters, trial.tried[j].parameters);
  }
}

// A decode that read, or a picture too small for a threshold, has nothing to
// try; a cancelled trial says it did not end.
TEST(Trial, NothingToTryAndCancelled) {
  const TBitmap decodes = RenderSymbol(EncodeBytes("fine", 1, 1), 4);
  const TAnalysisResult read = AnalyseAlone(decodes);
  EXPECT_FALSE(WorthTrying(read));
  const TTrial none = TTrialRunner(decodes, read, 2).Run();
  EXPECT_TRUE(none.tried.empty());
  EXPECT_TRUE(none.complete);
  EXPECT_FALSE(WorthTrying(AnalyseAlone(TBitmap(1, 1))));

  const TBitmap picture = SymbolOnDarkBackground();
  const std::atomic<bool> cancel{true};
  const TTrial cancelled = TTrialRunner(picture, AnalyseAlone(picture), 3).Run(&cancel, 2);
  EXPECT_FALSE(cancelled.complete);
  EXPECT_TRUE(cancelled.tried.empty());
  EXPECT_EQ(EnglishOutcome(cancelled), "the trial has not ended");
}

// What is shown of what helped: furthest first; among equals the evidence's
// values, then the smallest change, with a second Warp of one Resolver only
// after the other Resolvers that got as far.
TEST(Trial, ShownValuesSpanWhatHelped) {
  const TAnalysisParameters own{0, 3, 0};
  const auto value = [](std::int32_t resolver, std::int32_t warp, TStage reached, bool evidence = false) {
    TTriedValue v;
    v.parameters = {resolver, warp, 0};
    v.reached = reached;
    v.fromEvidence = evidence;
    return v;
  };
  const auto shown = [&own](std::vector<TTriedValue> helped) {
    std::vector<std::pair<std::int32_t, std::int32_t>> values;
    for (const TTriedValue& v : ShownValues(std::move(helped), own)) values.emplace_back(v.parameters.resolver, v.parameters.warp);
    return values;
  };
  using TShown = std::vector<std::pair<std::int32_t, std::int32_t>>;
  const TStage done = TStage::Done;
  const TStage format = TStage::Format;
  // One Resolver at three Warps and another Resolver: both Resolvers first.
  EXPECT_EQ(shown({value(8, 3, done), value(8, 2, done), value(8, 4, done), value(40, 3, done)}),
            (TShown{{8, 3}, {40, 3}, {8, 2}}));
  // Further beats alike; the evidence's value beats a smaller change.
  EXPECT_EQ(shown({value(8, 3, format), value(8, 2, done), value(8, 4, done), value(64, 3, format, true)}),
            (TShown{{8, 2}, {8, 4}, {64, 3}}));
  // Only Warps of one Resolver: all of them, smallest change first.
  EXPECT_EQ(shown({value(8, 6, done), value(8, 1, done), value(8, 4, done), value(8, 3, done)}),
            (TShown{{8, 3}, {8, 4}, {8, 1}}));
  EXPECT_TRUE(shown({}).empty());
}

}  // namespace

namespace {

// Operations undo themselves: a mirror twice, four quarter turns, an inversion
// twice; a quarter turn swaps the sides and takes the top-left pixel to the
// top-right corner.
TEST(PictureOperations, TurnMirrorAndInvertAsNamed) {
  TBitmap picture(3, 2);
  picture.SetPixel(0, 0, kRed);
  picture.SetPixel(2, 1, kBlue);
  const TBitmap turned = ApplyOperations(picture, {false, false, 90});
  ASSERT_EQ(turned.Width(), 2);
  ASSERT_EQ(turned.Height(), 3);
  EXPECT_EQ(turned.Pixel(1, 0), kRed);
  EXPECT_EQ(turned.Pixel(0, 2), kBlue);
  EXPECT_EQ(ApplyOperations(picture, {false, true, 0}).Pixel(2, 0), kRed);
  EXPECT_EQ(ApplyOperations(picture, {true, false, 0}).Pixel(0, 0), kRed ^ 0xFFFFFFu);
  struct TCase {
    TPictureOperations once;
    int times;
  };
  for (const TCase& c : {TCase{{false, true, 0}, 2}, TCase{{false, false, 90}, 4}, TCase{{false, false, 180}, 2},
                         TCase{{false, false, 270}, 4}, TCase{{true, false, 0}, 2}}) {
    TBitmap again = picture;
    for (int i = 0; i < c.times; ++i) again = ApplyOperations(again, c.once);
    EXPECT_EQ(again, picture) << CommandLineForm(c.once);
  }
  EXPECT_TRUE(ApplyOperations(picture, {}).SharesPixels(picture));
  EXPECT_THROW(ApplyOperations(picture, {false, false, 45}), std::invalid_argument);
  EXPECT_EQ(EnglishText(TPictureOperations{true, true, 270}), "inverted, mirrored, turned 270\u00B0");
  EXPECT_EQ(JapaneseText(TPictureOperations{true, false, 90}), "白黒反転、90° 回転");
}

}  // namespace

namespace {

// The trial measures the edges of the finder candidates: a blurred picture is
// named with its edges and module size in both languages and on the command
// line's line, a sharp one is measured and not named; a decoded one has no
// trial to measure in.
TEST(Trial, MeasuresTheEdgesOfTheFinderCandidates) {
  struct TCase {
    const char* name;
    TBitmap picture;
    bool measured;
    bool blurred;
  };
  const std::vector<TCase> cases = {
      {"blurred", BlurredSymbol(), true, true},
      {"sharp, format unreadable", FormatUnreadable(), true, false},
      {"decoded", RenderSymbol(EncodeBytes("sharp", 2, 1), 4), false, false},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.name);
    const TAnalysisResult result = AnalyseAlone(c.picture);
    const TTrial trial = TTrialRunner(c.picture, result, 1).Run();
    EXPECT_EQ(trial.edges.has_value(), c.measured);
    EXPECT_EQ(EnglishBlurText(trial).find("pixels: the picture is blurred (hold the camera still, focus)") != std::string::npos,
              c.blurred);
    EXPECT_EQ(JapaneseBlurText(trial).find("画像がぼやけています。") != std::string::npos, c.blurred);
    EXPECT_EQ(DiagnosisLine(result.verdict, trial).find("; edges about ") != std::string::npos, c.blurred);
    // Blur thins the candidates' weights: the small module size they give is
    // not repeated beside the blur that the rings' spacing shows instead.
    if (c.blurred) {
      EXPECT_FALSE(EnglishModuleText(result.verdict).empty());
    }
    EXPECT_EQ(EnglishModuleText(result.verdict, trial).empty(), c.blurred || EnglishModuleText(result.verdict).empty());
    EXPECT_EQ(JapaneseModuleText(result.verdict, trial).empty(), EnglishModuleText(result.verdict, trial).empty());
    EXPECT_EQ(DiagnosisLine(result.verdict, trial).find("pixels per module") != std::string::npos,
              !EnglishModuleText(result.verdict, trial).empty());
  }
}

}  // namespace
