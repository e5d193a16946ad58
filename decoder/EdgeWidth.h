#pragma once

#include <cstdint>
#include <optional>

#include "common/Bitmap.h"
#include "common/Diagnosis.h"

// How sharp the picture is, told where edges of a known shape can be found:
// across the finder candidates. A finder pattern seen along the row and the
// column through its centre is a dark core three modules wide, a light ring,
// a dark ring and light beyond, each ring one module wide; the edges of the
// dark ring are measured against the module size along the same line, which
// a slanted symbol stretches as much as the edges. Reads the picture only:
// made for the trial of suggestions, never for an analysis.

struct TEdgeMeasure {
  // The median width of the dark ring's edges, in tenths of a pixel: the
  // grey step from the core to the light around the pattern over the
  // steepest step between two neighbouring pixels across the edge (for a
  // soft edge about the distance over which it goes from 10 to 90 % of the
  // way; a sharp edge comes out one to two pixels wide).
  std::int32_t edgeTenths = 0;
  // The module size along the same lines, in tenths of a pixel: the middle
  // of the dark ring lies three modules from the centre.
  std::int32_t moduleTenths = 0;
  // Edges measured (two for every half-line along which a ring was found).
  std::int32_t edges = 0;

  // Edges wider than nine tenths of a module: the sampling reads one pixel,
  // which lies up to about a quarter of a module from the module's middle,
  // and there a lone light module between dark ones then keeps less than
  // three quarters of the contrast, while the global threshold (the middle
  // row's mean, which the paper around a symbol lifts) lies about three
  // quarters of the way up from dark. And wider than a sharp edge seen
  // through the pixels can be, with some room for noise, as modules of two
  // pixels or less make any edge about a module wide.
  bool Blurred() const;
  friend bool operator==(const TEdgeMeasure&, const TEdgeMeasure&) = default;
};

// Beyond this width in tenths of a pixel an edge is not a sharp one seen
// through whole pixels (which spans two at most by this measure).
inline constexpr std::int32_t kSharpEdgeTenths = 25;
// Blurred beyond this many tenths of a module.
inline constexpr std::int32_t kBlurredEdgeTenthsOfModule = 9;

// The edges of the (at most three) heaviest finder candidates of `record`,
// a decode of `picture`; none when no ring could be measured (no candidate,
// candidates at the picture's edge, too little contrast, no ring where one
// should be).
std::optional<TEdgeMeasure> MeasureEdges(const TBitmap& picture, const TDiagnosis& record);
