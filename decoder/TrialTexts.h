#pragma once

#include <string>

#include "common/Diagnosis.h"
#include "decoder/Trial.h"

// The trial of suggestions in words: each value that helped with how far it
// got, in Japanese (window, report) and English (JSON, command line), and
// what was tried when nothing helped. All UTF-8.

// "Resolver 40 で復号できました。", "Resolver 24、Warp 2 で「形式情報」の段階まで進みました。"
std::string JapaneseText(const TTriedValue& value, const TTrial& trial);
// "--resolver 40 decodes", "--resolver 24 --warp 2 gets to the format stage"
std::string EnglishText(const TTriedValue& value, const TTrial& trial);

// What was tried, as ranges: "Resolver −128〜128（34 通り）、Warp 6" ...
std::string JapaneseTried(const TTrial& trial);
std::string EnglishTried(const TTrial& trial);

// The one line of the trial's outcome: the best value that helped, or that
// nothing tried got past the stage and what was tried.
std::string JapaneseOutcome(const TTrial& trial);
std::string EnglishOutcome(const TTrial& trial);

// The edges of the finder candidates when they show a blurred picture, or empty:
// "edges about 2.4 pixels wide against modules of 3.1 pixels: the picture is
// blurred (hold the camera still, focus)".
std::string EnglishBlurText(const TTrial& trial);
std::string JapaneseBlurText(const TTrial& trial);

// The verdict's module-size sentence (DiagnosisTexts), or empty where the
// trial's edges show that it misleads: blur thins the finder candidates'
// weights, so that a blurred picture whose finder rings lie a sound module
// apart would be called too far away.
std::string EnglishModuleText(const TVerdict& verdict, const TTrial& trial);
std::string JapaneseModuleText(const TVerdict& verdict, const TTrial& trial);

// The command line's one line after a failure with the trial's outcome in
// place of the verdict's suggestion: "stage: version; ...; try --resolver 40 decodes".
std::string DiagnosisLine(const TVerdict& verdict, const TTrial& trial);

// The command line's form of the values that differ from the analysis's: "--resolver 40 --warp 2".
std::string CommandLineForm(const TAnalysisParameters& value, const TAnalysisParameters& own);
// The same with the value's operations first: "--invert --resolver 40".
std::string CommandLineForm(const TTriedValue& value, const TAnalysisParameters& own);

// The edges as named values beside the verdict's, when they were measured:
// their width, the module size along the same lines, whether that is blurred.
void VisitEdges(const TTrial& trial, TFigureVisitor& visitor);

// The trial as named values: whether it ended, every value tried with how far
// it got, and the values that helped, best first, with their texts.
void VisitTrial(const TTrial& trial, TFigureVisitor& visitor);
