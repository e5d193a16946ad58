#pragma once

#include <string>

#include "decoder/Explorer.h"

// The map of a parameter exploration as text for the terminal: one row per
// Resolver, one column per Warp, each cell the letter of the stage where its
// decode stopped or, for a decoded cell, a capital letter per distinct text;
// the chosen cell in brackets; a legend below.
std::string ExploreMapText(const TExploreMap& map);
