#pragma once

#include <string>
#include <vector>

#include "common/Diagnosis.h"
#include "decoder/Lab.h"

// The lab's decode in words (English for the command line, Japanese for the
// window) and as named values (the JSON summary's "lab").

enum class TLabLanguage { English, Japanese };

// One block: its wrong and unreadable codewords, what this decoder did with
// them and what the level promises, e.g. "block 0: 4 wrong codewords; this
// decoder (up to 3): uncorrectable; the level promises 9: corrected".
std::string LabBlockLine(const TLabBlock& block, std::size_t index, TLabLanguage language);
// What was changed against the unchanged matrix, e.g. "4 modules changed,
// none marked unreadable; 4 codewords read otherwise".
std::string LabChangesLine(const TLabRun& run, TLabLanguage language);
// The outcome of the decode and of the comparison, in one line each.
std::vector<std::string> LabOutcomeLines(const TLabRun& run, const TLabRun& original, TLabLanguage language);

// Group "lab": the changes, the decode (success, stage, error, text), the
// settled version, level and mask, every block (codewords received and
// corrected, wrong and unreadable places, this decoder's syndromes and
// figures, the comparison's outcome, syndromes and capacity, the promise),
// the comparison's text and the unchanged matrix's outcome. Texts are UTF-8
// under the keys "text", "capacityText" and "originalText".
void VisitLab(const TLab& lab, TFigureVisitor& visitor);
