#include "decoder/EdgeWidth.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <optional>
#include <vector>

#include "image/FrontImage.h"

namespace {

// The candidates measured: the three the finder search chooses.
constexpr std::size_t kCandidates = 3;
// A profile reaches this many module sizes from the centre: past the dark
// ring's outer edge at 3.5 and the module of light beyond it, with room for a
// core that the binarizer saw narrower than three modules. (The candidate's
// weight is no measure here: blur makes fewer rows pass the finder test.)
constexpr double kReach = 7.0;
// Below this contrast between the core and the light around the pattern, in
// grey levels, the noise would decide the steepest step.
constexpr std::int32_t kLeastContrast = 40;
// A profile turns (from rising to falling or back) when it goes back by this
// part of the contrast: noise does not, a ring one module wide does even when
// its edges are blurred to one and a half modules.
constexpr std::int32_t kTurnParts = 5;

// The dark ring's middle lies three modules out; the core's width in the
// binary plane, which gives the module here, moves with the threshold and
// the blur, so a ring counts between these many of its modules out.
constexpr double kRingNear = 2.0;
constexpr double kRingFar = 4.5;

using TProfile = std::vector<std::int32_t>;

// Right, left, down, up: each row's two halves, then each column's.
constexpr std::array<std::array<std::int32_t, 2>, 4> kDirections = {{{1, 0}, {-1, 0}, {0, 1}, {0, -1}}};

// Grey levels from the centre outward, at most `reach` pixels beyond it and
// not beyond the picture.
TProfile Profile(const TBitmap& picture, TPoint centre, const std::array<std::int32_t, 2>& direction, std::int32_t reach) {
  TProfile profile;
  for (std::int32_t k = 0; k <= reach; ++k) {
    const std::int32_t x = centre.x + direction[0] * k, y = centre.y + direction[1] * k;
    if (!picture.Contains(x, y)) break;
    profile.push_back(TFrontImage::Grey(static_cast<std::int32_t>(picture.Pixel(x, y))));
  }
  return profile;
}

// Pixels from the centre to the core's edge as the binarizer saw it (the
// first grey at or above `darkBelow`), at most `limit`.
std::int32_t CoreRun(const TBitmap& picture, TPoint centre, const std::array<std::int32_t, 2>& direction,
                     std::int32_t darkBelow, std::int32_t limit) {
  std::int32_t k = 0;
  while (k < limit) {
    const std::int32_t x = centre.x + direction[0] * (k + 1), y = centre.y + direction[1] * (k + 1);
    if (!picture.Contains(x, y) || TFrontImage::Grey(static_cast<std::int32_t>(picture.Pixel(x, y))) >= darkBelow) break;
    ++k;
  }
  return k;
}

// Where a profile from the centre turns: the brightest pixel of the light
// ring, the darkest of the dark ring and the brightest beyond it.
struct TRing {
  std::size_t light = 0;
  std::size_t dark = 0;
  std::size_t beyond = 0;
};

std::optional<TRing> FindRing(const TProfile& profile, std::int32_t turn) {
  std::array<std::size_t, 3> turns{};
  std::size_t found = 0;
  // Out of the core first: the darkest pixel until the profile has risen by a turn.
  bool risen = false;
  bool rising = true;
  std::size_t extreme = 0;
  for (std::size_t k = 1; k < profile.size() && found < turns.size(); ++k) {
    const std::int32_t grey = profile[k];
    if (!risen) {
      if (grey < profile[extreme]) extreme = k;
      if (grey >= profile[extreme] + turn) {
        risen = true;
        extreme = k;
      }
    } else if (rising ? grey > profile[extreme] : grey < profile[extreme]) {
      extreme = k;
    } else if (rising ? grey <= profile[extreme] - turn : grey >= profile[extreme] + turn) {
      turns[found++] = extreme;
      rising = !rising;
      extreme = k;
    }
  }
  // The light beyond the ring may last to the profile's end (the quiet zone).
  if (found == 2 && rising) turns[found++] = extreme;
  if (found < turns.size()) return std::nullopt;
  return TRing{turns[0], turns[1], turns[2]};
}

// The steepest step between neighbours in [from, to], falling or rising,
// and where it lies (between pixel `at` and the next).
struct TStep {
  std::int32_t size = 0;
  std::size_t at = 0;
};
TStep Steepest(const TProfile& profile, std::size_t from, std::size_t to, bool falling) {
  TStep steepest;
  for (std::size_t k = from; k < to; ++k) {
    const std::int32_t step = falling ? profile[k] - profile[k + 1] : profile[k + 1] - profile[k];
    if (step > steepest.size) steepest = {step, k};
  }
  return steepest;
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  const std::size_t half = values.size() / 2;
  return values.size() % 2 == 1 ? values[half] : (values[half - 1] + values[half]) / 2;
}

// The edges of one candidate and the module sizes along its row and column,
// added to `widths` and `modules`.
void MeasureCandidate(const TBitmap& picture, TPoint centre, std::int32_t darkBelow, std::vector<double>& widths,
                      std::vector<double>& modules) {
  if (!picture.Contains(centre.x, centre.y)) return;
  // The module size as the core's width in the binary plane gives it: three
  // modules across, in the row and in the column.
  const std::int32_t limit = std::max(picture.Width(), picture.Height());
  std::int64_t coreWidths = 2;
  for (const auto& direction : kDirections) coreWidths += CoreRun(picture, centre, direction, darkBelow, limit);
  const double module = static_cast<double>(coreWidths) / 6;
  const auto reach = static_cast<std::int32_t>(std::ceil(kReach * module));
  // The darkest grey of the core (the candidate's centre need not be the
  // core's middle, but half a module of it stays dark at any blur measured
  // here), and the lightest grey around the pattern.
  const auto core = static_cast<std::size_t>(std::ceil(module));
  std::array<TProfile, 4> profiles;
  std::int32_t dark = 255, light = 0;
  for (std::size_t d = 0; d < kDirections.size(); ++d) {
    profiles[d] = Profile(picture, centre, kDirections[d], reach);
    for (std::size_t k = 0; k < profiles[d].size(); ++k) {
      if (k <= core) dark = std::min(dark, profiles[d][k]);
      light = std::max(light, profiles[d][k]);
    }
  }
  const double contrast = light - dark;
  if (contrast < kLeastContrast) return;
  const auto turn = static_cast<std::int32_t>(contrast / kTurnParts);

  // Along the row, then the column: a ring on both sides of the centre, as
  // a finder pattern has, whose middles lie six modules apart (the
  // candidate's centre, a whole pixel, drops out).
  for (std::size_t d = 0; d < kDirections.size(); d += 2) {
    std::array<double, 4> lineWidths{};
    double apart = 0;
    bool rings = true;
    for (std::size_t half = 0; half < 2 && rings; ++half) {
      const TProfile& profile = profiles[d + half];
      const std::optional<TRing> ring = FindRing(profile, turn);
      rings = ring.has_value();
      if (!rings) continue;
      const TStep inner = Steepest(profile, ring->light, ring->dark, true);
      const TStep outer = Steepest(profile, ring->dark, ring->beyond, false);
      lineWidths[2 * half] = contrast / inner.size;
      lineWidths[2 * half + 1] = contrast / outer.size;
      // Each step lies half a pixel past its first pixel.
      apart += (static_cast<double>(inner.at) + static_cast<double>(outer.at)) / 2 + 0.5;
    }
    // Rings far from three of the core's modules out are not a finder pattern's.
    if (!rings || apart < 2 * kRingNear * module || apart > 2 * kRingFar * module) continue;
    widths.insert(widths.end(), lineWidths.begin(), lineWidths.end());
    modules.push_back(apart / 6);
  }
}

std::int32_t Tenths(double pixels) { return static_cast<std::int32_t>(std::lround(pixels * 10)); }

}  // namespace

bool TEdgeMeasure::Blurred() const {
  return 10 * static_cast<std::int64_t>(edgeTenths) > kBlurredEdgeTenthsOfModule * static_cast<std::int64_t>(moduleTenths) &&
         edgeTenths > kSharpEdgeTenths;
}

std::optional<TEdgeMeasure> MeasureEdges(const TBitmap& picture, const TDiagnosis& record) {
  if (!record.finder || !record.binarization) return std::nullopt;
  const std::vector<TFinderCandidate>& candidates = record.finder->heaviest;
  std::vector<double> widths, modules;
  for (std::size_t i = 0; i < std::min(kCandidates, candidates.size()); ++i)
    MeasureCandidate(picture, candidates[i].centre, record.binarization->DarkBelow(), widths, modules);
  if (widths.empty() || modules.empty()) return std::nullopt;
  TEdgeMeasure measure;
  measure.edgeTenths = Tenths(Median(widths));
  measure.moduleTenths = Tenths(Median(modules));
  measure.edges = static_cast<std::int32_t>(widths.size());
  return measure;
}
