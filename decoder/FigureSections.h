#pragma once

#include <vector>

#include "decoder/Verdict.h"

// Whose figures the lines around a verdict give, in the order they are
// written: the binarization, which the plots show, then the stage the verdict
// names (after a success: the version, format, blocks and data the decode
// settled). The same in both languages.
enum class TFigureSection { Binarization, Finder, Version, Corners, Sampling, Format, Codewords, Data };
std::vector<TFigureSection> FigureSections(const TVerdict& verdict);
