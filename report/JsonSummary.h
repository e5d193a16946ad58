#pragma once

#include <string>

#include "common/Surfaces.h"
#include "decoder/Analysis.h"
#include "decoder/Explorer.h"
#include "decoder/Lab.h"
#include "decoder/Trial.h"
#include "sample/Sample.h"

// The analysis as a JSON document for programs, in a stable format described
// in the README ("format": 1). Fields are only ever added; a reader ignores
// fields it does not know.

// The document (UTF-8, ending in a newline). `explored`, when given, adds the
// map of a parameter exploration whose chosen cell is the analysis described;
// `made`, when the picture was made by the sample maker, what was made and how.
// `hideAnswer` leaves out the fields that hold read or made text ("text",
// "textHex", each cell's "text", the unverified reading's "text" and
// "text_hex", the sample's "text", the lab's texts) and adds "answerHidden": true.
// `lab`, when the sampled matrix was changed and decoded again, adds that
// decode and its comparison under "lab" (VisitLab). `trial`, when given, adds
// the values tried after the analysis as "diagnosis"."trial"; `operations`,
// when any, what was done to the picture as "operations".
std::string JsonSummary(const TAnalysisResult& result, const TSurfaces& surfaces, const TExploreMap* explored = nullptr,
                        const TSample* made = nullptr, bool hideAnswer = false, const TLab* lab = nullptr,
                        const TTrial* trial = nullptr, const TPictureOperations* operations = nullptr);
