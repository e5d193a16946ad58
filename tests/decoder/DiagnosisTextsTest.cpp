#include <gtest/gtest.h>

#include <string>

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

}  // namespace
