#pragma once

// What the decode harnesses check on every decode, and how far they get.

#include <cstdio>
#include <cstdlib>

#include "common/Bitmap.h"
#include "common/Surfaces.h"
#include "decoder/Veltrix.h"

namespace fuzzing {

// Decodes the picture and ends the process when the outcome breaks the
// facade's promises: exactly one notification; a failure leaves no text and
// always says why; a success has no error text.
inline bool CheckedDecode(TVeltrix& veltrix, const TBitmap& picture) {
  int events = 0;
  veltrix.OnDecoded = [&events](TVeltrix&) { ++events; };
  veltrix.OnError = [&events](TVeltrix&) { ++events; };
  const bool decoded = veltrix.Decode(picture);
  veltrix.OnDecoded = nullptr;
  veltrix.OnError = nullptr;
  if (events != 1) std::abort();
  if (!decoded && !veltrix.DecodedText().empty()) std::abort();
  if (!decoded && veltrix.FailureReason().empty()) std::abort();
  if (decoded && !veltrix.GetErrorText().empty()) std::abort();
  return decoded;
}

// With MORILUX_FUZZ_REACH set in the environment, every decode is counted,
// with those that reached the Reed-Solomon stage (wrote a line on RdSnMemo)
// and those that gave a text; the shares are printed on standard error every
// 4096 decodes and at exit.

namespace reach_detail {
struct TCounts {
  long inputs = 0, reached = 0, decoded = 0;
};
inline TCounts g_counts;
inline void Print() {
  const double inputs = g_counts.inputs > 0 ? static_cast<double>(g_counts.inputs) : 1.0;
  std::fprintf(stderr, "reach: %ld inputs, %ld reached Reed-Solomon (%.2f %%), %ld decoded (%.2f %%)\n",
               g_counts.inputs, g_counts.reached, 100.0 * g_counts.reached / inputs, g_counts.decoded,
               100.0 * g_counts.decoded / inputs);
}
}  // namespace reach_detail

inline void CountReach(const TSurfaces& surfaces, bool decoded) {
  using namespace reach_detail;
  static const bool enabled = std::getenv("MORILUX_FUZZ_REACH") != nullptr && std::atexit(Print) == 0;
  if (!enabled) return;
  ++g_counts.inputs;
  if (!surfaces.Text(TTextPaneId::RdSnMemo).Lines().empty()) ++g_counts.reached;
  if (decoded) ++g_counts.decoded;
  if (g_counts.inputs % 4096 == 0) Print();
}

}  // namespace fuzzing
