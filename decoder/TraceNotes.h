#pragma once

#include <string>
#include <vector>

#include "common/Diagnosis.h"

// What a trace line of the stage pages means where its wording may mislead a
// student; the lines themselves stay as they are. One Japanese sentence or
// two each (UTF-8), only for the stages the last decode reached.
std::vector<std::string> TraceNotes(const TDiagnosis& diagnosis);
// The same in English, line for line.
std::vector<std::string> EnglishTraceNotes(const TDiagnosis& diagnosis);
