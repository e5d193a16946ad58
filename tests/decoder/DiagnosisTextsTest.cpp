#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "decoder/DiagnosisTexts.h"
#include "decoder/Verdict.h"

namespace {

TEST(DiagnosisTexts, VerdictInBothLanguagesAndTheCommandLine) {
  TVerdict verdict;
  verdict.stage = TStage::FinderSearch;
  verdict.evidence = {TEvidenceKind::TooFewCandidates, {2, 3, 79}, ""};
  verdict.suggestions = {{TSuggestionKind::LargerResolver, 19}};
  EXPECT_EQ(DiagnosisLine(verdict), "stage: finder search; 2 candidates, 3 needed; 79 % of the picture dark; try --resolver 19");
  EXPECT_EQ(JapaneseText(verdict.evidence), "位置検出パターンの候補が 2 個で、3 個必要です。画像の 79 % が暗い画素です。");
  verdict.evidence = {TEvidenceKind::BlocksUncorrectable, {1, 1, 3}, ""};
  verdict.suggestions.clear();
  verdict.stage = TStage::Codewords;
  EXPECT_EQ(DiagnosisLine(verdict), "stage: codewords; 1 of 1 block has more errors than the decoder corrects (3)");
  // Every kind has a key and a text in both languages.
  for (int k = 0; k <= static_cast<int>(TEvidenceKind::Decoded); ++k) {
    const TEvidence evidence{static_cast<TEvidenceKind>(k), {1, 1, 1, 1, 1}, "message"};
    EXPECT_FALSE(KeyOf(evidence.kind).empty()) << k;
    EXPECT_FALSE(EnglishText(evidence).empty()) << k;
    EXPECT_FALSE(JapaneseText(evidence).empty()) << k;
  }
  for (int k = 0; k <= static_cast<int>(TSuggestionKind::LargerPicture); ++k) {
    const TSuggestion suggestion{static_cast<TSuggestionKind>(k), 2};
    EXPECT_NE(EnglishText(suggestion).find('2'), std::string::npos) << k;
    EXPECT_NE(JapaneseText(suggestion).find('2'), std::string::npos) << k;
  }
}

// The figures of a record, every stage filled in, with a second block that
// failed, a finder candidate list and more versions tried than a line lists.
TDiagnosis FullRecord() {
  TDiagnosis d;
  d.binarization = TBinarizationFigures{};
  d.binarization->width = 40;
  d.binarization->height = 25;
  d.binarization->threshold = 117;
  d.binarization->offset = 7;
  d.binarization->darkPixels = 1;
  d.finder = TFinderFigures{};
  d.finder->horizontalStretches = 31;
  d.finder->verticalStretches = 29;
  d.finder->rowGroups = 4;
  d.finder->columnGroups = 5;
  d.finder->candidates = 2;
  d.finder->heaviest = {{16, {148, 52}}, {48, {20, 21}}};
  d.version = TVersionFigures{};
  d.version->estimate = 3;
  d.version->lastTimingVersion = 6;
  d.version->shareNeeded = 0.9;
  for (int v = 1; v <= 8; ++v) d.version->trials.push_back({v, 20 + v, 17, 19, false});
  d.version->maxInformationDistance = 3;
  d.version->informationBlocks = {{true, 0x07C94, 7, 2}, {false, 0, 0, 0}};
  d.corners = TCornerFigures{};
  d.corners->warp = 11;
  d.corners->step = TCornerStep::BottomLeft;
  d.corners->searches[0] = {{12, 13}, 9, true, {4, 5}};
  d.corners->searches[1] = {{212, 13}, 1, false, {}};
  d.sampling = TSamplingFigures{};
  d.sampling->size = 25;
  d.sampling->alignmentNodes = 1;
  d.sampling->largestShift = 2;
  d.sampling->outside = 14;
  d.format = TFormatFigures{};
  d.format->read = 0x5412;
  d.format->unmasked = 0x1;
  d.format->nearest = 0x0;
  d.format->distance = 1;
  d.format->maxDistance = 3;
  d.format->level = 1;
  d.format->mask = 6;
  d.correction = TCorrectionFigures{};
  d.correction->codewords = 100;
  d.correction->correctable = 12;
  d.correction->blocks = {{50, 32, 0, 0, 0, false}, {50, 33, 9, 13, 0, true}, {50, 33, 4, 2, 2, false}};
  d.data = TDataFigures{};
  d.data->segments = {{1, 10, 0, false}, {2, 4, 48, false}};
  d.data->stop = TDataStop::UnsupportedMode;
  d.data->stopMode = 7;
  d.data->stopBit = 150;
  d.data->totalBits = 208;
  return d;
}

// The runs of digits of the lines, in order, without the Japanese words
// written with a digit ("1 つの", one; "0 でない", non-zero).
std::vector<std::string> Figures(const std::vector<std::string>& lines) {
  std::vector<std::string> figures;
  for (std::string line : lines) {
    for (const std::string word : {"1 つの", "0 でない"})
      for (std::size_t at = line.find(word); at != std::string::npos; at = line.find(word)) line.erase(at, word.size());
    figures.push_back("|");  // the lines must match one for one
    std::string run;
    for (const char c : line + " ") {
      if (c >= '0' && c <= '9') {
        run += c;
      } else if (!run.empty()) {
        figures.push_back(run);
        run.clear();
      }
    }
  }
  return figures;
}

// The English lines give the figures of the Japanese ones, line for line and
// in the same order, for every stage a verdict can name; and no Japanese.
TEST(DiagnosisTexts, FigureLinesInEnglishCarryTheSameFigures) {
  struct TCase {
    TStage stage;
    bool decoded;
    std::int32_t forced;
    TDataStop stop;
  };
  const TCase cases[] = {
      {TStage::Binarization, false, 0, TDataStop::Terminator}, {TStage::FinderSearch, false, 0, TDataStop::Terminator},
      {TStage::Version, false, 0, TDataStop::Terminator},      {TStage::Version, false, 4, TDataStop::Terminator},
      {TStage::Corners, false, 0, TDataStop::Terminator},      {TStage::Sampling, false, 0, TDataStop::Terminator},
      {TStage::Format, false, 0, TDataStop::Terminator},       {TStage::Codewords, false, 0, TDataStop::Terminator},
      {TStage::Data, false, 0, TDataStop::UnsupportedMode},    {TStage::Data, true, 0, TDataStop::Exhausted},
      {TStage::Done, true, 0, TDataStop::Terminator},
  };
  for (const TCase& c : cases) {
    TDiagnosis d = FullRecord();
    d.version->forced = c.forced;
    d.data->stop = c.stop;
    TVerdict verdict;
    verdict.stage = c.stage;
    verdict.decoded = c.decoded;
    const std::vector<std::string> japanese = FigureLines(d, verdict);
    const std::vector<std::string> english = EnglishFigureLines(d, verdict);
    const std::string at = std::string(NameOf(c.stage).key) + (c.forced > 0 ? " forced" : "");
    EXPECT_FALSE(english.empty()) << at;
    EXPECT_EQ(Figures(english), Figures(japanese)) << at;
    for (const std::string& line : english)
      for (const char ch : line) {
        const auto byte = static_cast<unsigned char>(ch);
        EXPECT_FALSE(byte >= 0xE3 && byte <= 0xEF) << at << ": " << line;
      }
  }
  // Missing figures leave their lines out in both languages.
  TVerdict verdict;
  verdict.stage = TStage::Done;
  verdict.decoded = true;
  EXPECT_TRUE(EnglishFigureLines(TDiagnosis{}, verdict).empty());
}

}  // namespace
