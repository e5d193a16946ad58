#pragma once

#include <string>
#include <vector>

#include "common/Diagnosis.h"
#include "decoder/Verdict.h"

// Whose figures the lines around a verdict give, in the order they are
// written: the binarization, which the plots show, then the stage the verdict
// names (after a success: the version, format, blocks and data the decode
// settled). The same in both languages.
enum class TFigureSection { Binarization, Finder, Version, Corners, Sampling, Format, Codewords, Data };
std::vector<TFigureSection> FigureSections(const TVerdict& verdict);

// One language's lines of a section: nothing when its stage did not run.
using TFigureWriter = void (*)(const TDiagnosis& diagnosis, std::vector<std::string>& lines);
struct TFigureWriters {
  TFigureWriter binarization;
  TFigureWriter finder;
  TFigureWriter version;
  TFigureWriter corners;
  TFigureWriter sampling;
  TFigureWriter format;
  TFigureWriter codewords;
  TFigureWriter data;
};

// The lines of the sections the verdict calls for, each written by its writer.
std::vector<std::string> WriteFigureLines(const TDiagnosis& diagnosis, const TVerdict& verdict,
                                          const TFigureWriters& writers);
