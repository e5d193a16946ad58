#pragma once

#include <span>
#include <string>
#include <string_view>

#include "common/DecodeStages.h"
#include "decoder/Verdict.h"

struct TPage;

// The language of a report's own texts (headings, labels, captions, the
// diagnosis's sentences, plot titles): Japanese, as the window was written,
// or English. What the stages wrote (text panes, status panels), the decoded
// text and file names are shown as they are in either.
//
// Every text of the report is written at its place in both languages,
// Japanese first: Say(language, "…", "…").
enum class TReportLanguage { Japanese, English };

constexpr std::string_view Say(TReportLanguage language, std::string_view japanese, std::string_view english) {
  return language == TReportLanguage::English ? english : japanese;
}

// A Japanese text as the window shows it, and its English.
struct TEnglishPair {
  std::string_view japanese;
  std::string_view english;
};
// The window's texts that a report names too, in English: the pages and the
// labels of their panes, the stages, the plots and the decoder's messages.
// The window's own English takes these rows as they are.
std::span<const TEnglishPair> WindowEnglish();

// The value of <html lang>: "ja" or "en".
std::string_view LanguageTag(TReportLanguage language);
// A stage's name.
std::string_view StageNameIn(TStage stage, TReportLanguage language);
// Which stage stopped the decode, or that it read: DiagnosisHeadline in
// Japanese; in English one sentence naming the stage. The window's page 診断
// shows the same.
std::string DiagnosisHeadlineIn(const TVerdict& verdict, TReportLanguage language);
// A caption or label the window shows in Japanese: in English "English
// (日本語)", so that a reader can find it in the window; a name without
// Japanese (BlockRead, Resolver) as it is.
std::string WindowLabelIn(std::string_view japanese, TReportLanguage language);
// A message of the decoder, as the decoder wrote it; in English its meaning
// follows in brackets where it is known.
std::string DecoderMessageIn(const std::string& message, TReportLanguage language);
// A Japanese text of the report's tables in English (plot titles and the
// like); the text itself where the table has no row.
std::string_view EnglishOf(std::string_view japanese);
// One of the verdict's English texts (written without a final full stop for
// the command line) as a sentence: a capital first letter and a full stop.
std::string EnglishSentence(std::string text);
// The heading above the data read without error correction, and the warning beside it.
std::string_view UnverifiedTitle(TReportLanguage language);
std::string_view UnverifiedWarning(TReportLanguage language);
