#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "common/DecodeStages.h"
#include "decoder/Explorer.h"
#include "report/ReportLanguage.h"

// How every front end shows a cell of the parameter explorer's map: one
// colour per stage where the decode stopped (and for a decode), a mark in the
// cell and a one-line description.

// "#rrggbb" of the stage where a cell's decode stopped (Done: decoded).
std::string_view StageColour(TStage stage);
// The colour of a cell not reached before a cancel.
inline constexpr std::string_view kNotRunColour = "#bbb";
// A small letter per stage where a decode stopped, so that a map reads
// without its colours (the command line's map and the window's): b
// binarization, f finder search, v version, c corners, s sampling, m format
// (level and mask), w codewords and their correction, d data; empty for a
// decode (its cell shows the capital letter of its text).
std::string_view StageLetter(TStage stage);
// The cell's colour: its stage's, or kNotRunColour.
std::string_view CellColour(const TExploreCell& cell);

// A capital letter per distinct decoded text, in the order of the map's
// texts: A for the first, '*' past Z.
std::string TextLetter(std::size_t textIndex);
// The cell's text's letter, "·" for a cell that stopped, a space for one not reached.
std::string CellMark(const TExploreCell& cell);
// "Resolver r, Warp w: " and what the cell did (UTF-8): the decoded text (or,
// without `withText`, only its letter), or the stage where it stopped and the reason.
std::string CellTitle(const TExploreCell& cell, bool withText = true, TReportLanguage language = TReportLanguage::Japanese);
