#include "decoder/Verdict.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <optional>

#include "common/Rounding.h"
#include "decoder/Parameters.h"
#include "image/FrontImage.h"
#include "symbol/Versions.h"

namespace {

// The suggestions here are leads: the values their evidence points to. A
// front end shows none of them untried: the trial of suggestions
// (decoder/Trial) decodes with them and with a bounded search, and shows only
// the values that took the decode past its stage.

// With at least this share of the picture dark, a smaller Resolver (more dark)
// got further more often than a larger one, and below it a larger one did;
// the step is the one that helped most while harming least.
constexpr double kDarkShareForDarker = 0.45;
constexpr std::int32_t kResolverStep = 12;
// A bottom-right corner search that ended on the border of its area was led
// astray by dark pixels beyond the symbol; a window of two module pitches
// still holds the true corner of a symbol seen at a slant.
constexpr std::int32_t kSuggestedWarp = 2;
// Version information that names its own version within this many bits is
// taken as the symbol's: a chance match that close is most unlikely.
constexpr std::int32_t kConfidentDistance = 1;

// Three finder patterns of one symbol seen at a slant: the angle at the
// corner pattern stays within this of a right angle, the longer leg within
// this share of the shorter, and no pattern's weight (the stretches across it,
// which grow with its module size) below this share of the others'.
constexpr double kRightAngleTolerance = 20.0;
constexpr double kLegRatio = 1.5;
constexpr double kWeightShare = 0.5;

std::int64_t Percent(double share) { return RoundHalfEven(share * 100.0L, "per cent"); }

TEvidence Evidence(TEvidenceKind kind, std::initializer_list<std::int64_t> numbers, std::string text = {}) {
  TEvidence evidence;
  evidence.kind = kind;
  std::copy(numbers.begin(), numbers.end(), evidence.numbers.begin());
  evidence.text = std::move(text);
  return evidence;
}

// Moves the threshold in the direction the dark share points to: by one step,
// or on to the nearest grey level of the middle row beyond it, so that some
// pixels change sides. None when no Resolver in range moves a grey level of
// the middle row across while leaving both sides some (a two-tone picture,
// where the Resolver changes nothing or makes everything one colour).
std::optional<TSuggestion> ResolverSuggestion(const TDiagnosis& diagnosis) {
  if (!diagnosis.binarization) return std::nullopt;
  const TBinarizationFigures& figures = *diagnosis.binarization;
  const TGreyHistogram& row = figures.middleRowHistogram;
  const bool darker = figures.DarkShare() >= kDarkShareForDarker;
  // Pixels are dark below `cut`: a darker threshold must pass the lightest
  // grey at or above it, a lighter one the darkest grey below it.
  const std::int32_t cut = figures.DarkBelow();
  std::int32_t next = cut;
  if (darker) {
    next = cut + kResolverStep;
    for (std::int32_t grey = std::max(cut, 0); grey < 256; ++grey)
      if (row[static_cast<std::size_t>(grey)] != 0) {
        next = std::max(next, grey + 1);
        break;
      }
  } else {
    next = cut - kResolverStep;
    for (std::int32_t grey = std::min(cut, 256) - 1; grey >= 0; --grey)
      if (row[static_cast<std::size_t>(grey)] != 0) {
        next = std::min(next, grey);
        break;
      }
  }
  const std::int32_t value = RangeOf(TParameter::Resolver).Clamp(figures.threshold - next);
  const std::int32_t from = std::min(cut, figures.threshold - value);
  const std::int32_t to = std::max(cut, figures.threshold - value);
  const auto pixelsBetween = [&row](std::int32_t low, std::int32_t high) {
    std::int64_t pixels = 0;
    for (std::int32_t grey = std::max(low, 0); grey < std::min(high, 256); ++grey) pixels += row[static_cast<std::size_t>(grey)];
    return pixels;
  };
  // Some pixels must change sides, and the row must keep pixels on both.
  const std::int32_t after = figures.threshold - value;
  if (pixelsBetween(from, to) == 0 || pixelsBetween(0, after) == 0 || pixelsBetween(after, 256) == 0) return std::nullopt;
  return TSuggestion{darker ? TSuggestionKind::SmallerResolver : TSuggestionKind::LargerResolver, value};
}

void Add(TVerdict& verdict, const std::optional<TSuggestion>& suggestion) {
  if (suggestion && verdict.suggestions.size() < 2) verdict.suggestions.push_back(*suggestion);
}

TEvidence InformationEvidence(const TVersionFigures& figures) {
  std::int32_t nearest = 0;
  std::int32_t distance = 0;
  for (const TVersionBlockFigures& block : figures.informationBlocks) {
    if (!block.inside) continue;
    if (nearest == 0 || block.distance < distance) {
      nearest = block.nearestVersion;
      distance = block.distance;
    }
  }
  return Evidence(TEvidenceKind::VersionInformation, {nearest, distance, figures.maxInformationDistance});
}

void JudgeVersion(const TDiagnosis& diagnosis, TVerdict& verdict) {
  if (!diagnosis.version) {
    verdict.evidence = Evidence(TEvidenceKind::StageFailure, {}, diagnosis.failure);
    return;
  }
  const TVersionFigures& figures = *diagnosis.version;
  if (figures.forced > 0 || figures.candidate != 0) {
    verdict.evidence = InformationEvidence(figures);
  } else if (figures.trials.empty()) {
    verdict.evidence = Evidence(TEvidenceKind::EstimateBeyondTiming, {figures.estimate, figures.lastTimingVersion});
  } else {
    const auto best = std::max_element(figures.trials.begin(), figures.trials.end(),
                                       [](const TTimingTrial& a, const TTimingTrial& b) { return a.Share() < b.Share(); });
    verdict.evidence = Evidence(TEvidenceKind::NoTimingMatch,
                                {figures.trials.front().version, figures.trials.back().version, best->version,
                                 Percent(best->Share()), Percent(figures.shareNeeded)});
  }
  // The closest self-naming version, the lowest among equals.
  const TSelfNamingVersion* named = nullptr;
  for (const TSelfNamingVersion& candidate : figures.selfNamingVersions)
    if (candidate.distance <= kConfidentDistance && (named == nullptr || candidate.distance < named->distance))
      named = &candidate;
  if (named != nullptr) Add(verdict, TSuggestion{TSuggestionKind::ForceVersion, named->version});
  Add(verdict, ResolverSuggestion(diagnosis));
}

// True when the bottom-right corner search ended on the border of the area it
// searched (its window, cut by the picture's edges): drawn outward by dark
// pixels beyond the symbol, it would have gone on in a larger area.
bool SearchEndedOnBorder(const TDiagnosis& diagnosis) {
  if (!diagnosis.corners) return false;
  const TCornerSearchFigures& search = diagnosis.corners->searches[3];
  if (!search.found) return false;
  const std::int64_t dx = std::abs(static_cast<std::int64_t>(search.hit.x) - search.around.x);
  const std::int64_t dy = std::abs(static_cast<std::int64_t>(search.hit.y) - search.around.y);
  return std::max(dx, dy) >= search.radius || search.hit.x == 0 || search.hit.y == 0 ||
         search.hit.x == diagnosis.pictureWidth - 1 || search.hit.y == diagnosis.pictureHeight - 1;
}

// A search drawn off the symbol is kept nearer by a smaller window; other
// failures a smaller one does not mend.
std::optional<TSuggestion> WarpSuggestion(const TDiagnosis& diagnosis) {
  if (!SearchEndedOnBorder(diagnosis) || diagnosis.corners->warp <= RangeOf(TParameter::Warp).minimum)
    return std::nullopt;
  return TSuggestion{TSuggestionKind::SmallerWarp, std::min(diagnosis.corners->warp - 1, kSuggestedWarp)};
}

void JudgeCorners(const TDiagnosis& diagnosis, TVerdict& verdict) {
  if (!diagnosis.corners) {
    verdict.evidence = Evidence(TEvidenceKind::StageFailure, {}, diagnosis.failure);
    return;
  }
  verdict.evidence = Evidence(TEvidenceKind::CornerFailure,
                              {static_cast<std::int64_t>(diagnosis.corners->step), SearchEndedOnBorder(diagnosis) ? 1 : 0},
                              diagnosis.failure);
  Add(verdict, WarpSuggestion(diagnosis));
}

void JudgeSuccess(const TDiagnosis& diagnosis, TVerdict& verdict) {
  std::int64_t corrected = 0;
  if (diagnosis.correction)
    for (const TBlockFigures& block : diagnosis.correction->blocks) corrected += block.corrected;
  if (!diagnosis.data) {
    verdict.evidence = Evidence(TEvidenceKind::Decoded, {0, corrected});
    return;
  }
  const TDataFigures& data = *diagnosis.data;
  const auto segments = static_cast<std::int64_t>(data.segments.size());
  const bool cut = std::any_of(data.segments.begin(), data.segments.end(), [](const TSegmentFigures& s) { return s.truncated; });
  if (data.stop == TDataStop::UnsupportedMode || cut) {
    verdict.stage = TStage::Data;
    verdict.evidence = Evidence(TEvidenceKind::DataStopped, {data.stopMode, segments, cut ? 1 : 0});
  } else {
    verdict.evidence = Evidence(TEvidenceKind::Decoded, {segments, corrected});
  }
}

// The three candidates the finder search chose (the three heaviest), checked
// for what three finder patterns of one symbol have.
std::optional<TSuspect> FinderSuspect(const TDiagnosis& diagnosis) {
  if (!diagnosis.finder || diagnosis.finder->heaviest.size() < 3) return std::nullopt;
  const std::vector<TFinderCandidate>& chosen = diagnosis.finder->heaviest;
  const auto length = [](TPoint a, TPoint b) { return std::hypot(double(a.x) - b.x, double(a.y) - b.y); };
  // The corner candidate lies opposite the longest side.
  std::size_t corner = 0;
  double longest = -1;
  for (std::size_t i = 0; i < 3; ++i) {
    const double side = length(chosen[(i + 1) % 3].centre, chosen[(i + 2) % 3].centre);
    if (side > longest) {
      longest = side;
      corner = i;
    }
  }
  const TPoint c = chosen[corner].centre, a = chosen[(corner + 1) % 3].centre, b = chosen[(corner + 2) % 3].centre;
  const double legA = length(c, a), legB = length(c, b);
  if (legA == 0 || legB == 0) return std::nullopt;
  const double cosine = ((double(a.x) - c.x) * (double(b.x) - c.x) + (double(a.y) - c.y) * (double(b.y) - c.y)) / (legA * legB);
  const double angle = std::acos(std::clamp(cosine, -1.0, 1.0)) * 180.0 / 3.14159265358979323846;
  const double legs = std::max(legA, legB) / std::min(legA, legB);
  // The weakest of the three (the last, as they come heaviest first).
  const std::size_t weakest = 2;
  const std::int32_t other = std::min(chosen[0].weight, chosen[1].weight);
  TSuspect suspect;
  if (std::abs(angle - 90.0) > kRightAngleTolerance) suspect.failed |= TSuspect::kAngle;
  if (legs > kLegRatio) suspect.failed |= TSuspect::kLegs;
  if (chosen[weakest].weight < kWeightShare * other) suspect.failed |= TSuspect::kWeights;
  if (suspect.failed == 0) return std::nullopt;
  suspect.candidate = chosen[weakest].centre;
  suspect.weight = chosen[weakest].weight;
  suspect.otherWeight = other;
  suspect.angle = static_cast<std::int32_t>(std::lround(angle));
  suspect.legs = static_cast<std::int32_t>(std::lround(legs * 100));
  return suspect;
}

// The module size in tenths of a pixel from the frame over the four outer
// corners, once the corners and the version are settled: the mean of the
// four sides over the modules per side, as the sampling spaces its modules.
std::optional<std::int32_t> FrameModuleTenths(const TDiagnosis& diagnosis) {
  const std::optional<std::int32_t> version = diagnosis.SettledVersion();
  if (!version || *version < 1 || !diagnosis.corners || diagnosis.corners->step != TCornerStep::Done) return std::nullopt;
  const std::array<TPoint, 4>& c = diagnosis.corners->corners;  // top-left, top-right, bottom-left, bottom-right
  const auto length = [](TPoint a, TPoint b) {
    return std::hypot(static_cast<long double>(a.x) - b.x, static_cast<long double>(a.y) - b.y);
  };
  const long double side = (length(c[0], c[1]) + length(c[0], c[2]) + length(c[1], c[3]) + length(c[2], c[3])) / 4;
  const long tenths = std::lround(side * 10 / static_cast<long double>(SymbolSide(*version)));
  if (tenths <= 0 || tenths > std::numeric_limits<std::int32_t>::max()) return std::nullopt;
  return static_cast<std::int32_t>(tenths);
}

// The mirror image of a valid format word lies 3 or 4 bits from the nearest
// valid word: a mirrored symbol either stops at the format stage or goes on
// with a wrong level and mask and stops at the codewords. Hence the margin
// rather than a rejected ordinary read. One copy is not enough: a copy of a
// symbol as printed, 3 bits of it misread, can be the mirror image of a valid
// word exactly; both copies so, and naming the same word, are the symbol's.
std::optional<TMirrored> MirroredSymbol(const TDiagnosis& diagnosis) {
  if (!diagnosis.format) return std::nullopt;
  const TFormatFigures& format = *diagnosis.format;
  const auto& [first, second] = format.mirrored;
  if (first.distance > kMirroredDistance || second.distance > kMirroredDistance || first.nearest != second.nearest ||
      format.distance < first.distance + kMirrorMargin)
    return std::nullopt;
  return TMirrored{first.distance, second.distance, format.distance};
}

}  // namespace

TVerdict Judge(const TDiagnosis& diagnosis) {
  TVerdict verdict;
  verdict.stage = diagnosis.stage;
  verdict.decoded = diagnosis.stage == TStage::Done;
  switch (diagnosis.stage) {
    case TStage::Binarization:
      // Stopped before the binarizer measured anything: refused for its size,
      // or failed for another reason (no memory for the plane), which the record names.
      if (!diagnosis.binarization && !TFrontImage::CanBinarize(diagnosis.pictureWidth, diagnosis.pictureHeight)) {
        verdict.evidence = Evidence(TEvidenceKind::PictureTooSmall, {diagnosis.pictureWidth, diagnosis.pictureHeight});
        Add(verdict, TSuggestion{TSuggestionKind::LargerPicture, 2});
      } else {
        verdict.evidence = Evidence(TEvidenceKind::StageFailure, {}, diagnosis.failure);
      }
      break;
    case TStage::FinderSearch:
      if (diagnosis.finder && diagnosis.binarization) {
        verdict.evidence = Evidence(TEvidenceKind::TooFewCandidates,
                                    {diagnosis.finder->candidates, diagnosis.finder->needed,
                                     Percent(diagnosis.binarization->DarkShare())});
        Add(verdict, ResolverSuggestion(diagnosis));
      } else {
        verdict.evidence = Evidence(TEvidenceKind::StageFailure, {}, diagnosis.failure);
      }
      break;
    case TStage::Version: JudgeVersion(diagnosis, verdict); break;
    case TStage::Corners: JudgeCorners(diagnosis, verdict); break;
    case TStage::Format:
      if (diagnosis.format && !diagnosis.format->Accepted()) {
        verdict.evidence = Evidence(TEvidenceKind::FormatUnreadable, {diagnosis.format->distance, diagnosis.format->maxDistance});
        Add(verdict, WarpSuggestion(diagnosis));
        Add(verdict, ResolverSuggestion(diagnosis));
      } else {
        verdict.evidence = Evidence(TEvidenceKind::StageFailure, {}, diagnosis.failure);
      }
      break;
    case TStage::Codewords:
      if (diagnosis.correction && diagnosis.correction->UncorrectableBlocks() > 0) {
        const TCorrectionFigures& figures = *diagnosis.correction;
        verdict.evidence = Evidence(TEvidenceKind::BlocksUncorrectable,
                                    {figures.UncorrectableBlocks(), static_cast<std::int64_t>(figures.blocks.size()),
                                     figures.correctable});
        Add(verdict, WarpSuggestion(diagnosis));
        Add(verdict, ResolverSuggestion(diagnosis));
      } else {
        verdict.evidence = Evidence(TEvidenceKind::StageFailure, {}, diagnosis.failure);
      }
      break;
    case TStage::Sampling:
    case TStage::Data: verdict.evidence = Evidence(TEvidenceKind::StageFailure, {}, diagnosis.failure); break;
    case TStage::Done: JudgeSuccess(diagnosis, verdict); break;
  }
  // A later stage stopped the decode: were the finder patterns it went on from real ones?
  if (!verdict.decoded && diagnosis.stage > TStage::FinderSearch) verdict.suspect = FinderSuspect(diagnosis);
  if (!verdict.decoded) verdict.mirrored = MirroredSymbol(diagnosis);
  if (!verdict.decoded) {
    // A frame built on a doubtful finder candidate is not the symbol's.
    if (const std::optional<std::int32_t> frame = verdict.suspect ? std::nullopt : FrameModuleTenths(diagnosis)) {
      verdict.moduleTenths = *frame;
      verdict.moduleSource = TModuleSource::Frame;
    } else if (diagnosis.finder && !diagnosis.finder->heaviest.empty()) {
      // The median weight of the (at most three) heaviest candidates.
      std::vector<std::int32_t> weights;
      for (std::size_t i = 0; i < std::min<std::size_t>(3, diagnosis.finder->heaviest.size()); ++i)
        weights.push_back(diagnosis.finder->heaviest[i].weight);
      std::sort(weights.begin(), weights.end());
      verdict.moduleTenths = static_cast<std::int32_t>(std::lround(weights[weights.size() / 2] * 10.0 / 6.0));
    }
  }
  return verdict;
}

std::string_view KeyOf(TEvidenceKind kind) {
  switch (kind) {
    case TEvidenceKind::PictureTooSmall: return "picture_too_small";
    case TEvidenceKind::TooFewCandidates: return "too_few_candidates";
    case TEvidenceKind::NoTimingMatch: return "no_timing_match";
    case TEvidenceKind::EstimateBeyondTiming: return "estimate_beyond_timing";
    case TEvidenceKind::VersionInformation: return "version_information";
    case TEvidenceKind::CornerFailure: return "corner_failure";
    case TEvidenceKind::StageFailure: return "stage_failure";
    case TEvidenceKind::FormatUnreadable: return "format_unreadable";
    case TEvidenceKind::BlocksUncorrectable: return "blocks_uncorrectable";
    case TEvidenceKind::DataStopped: return "data_stopped";
    case TEvidenceKind::Decoded: return "decoded";
  }
  return {};
}

std::string_view KeyOf(TModuleSource source) {
  switch (source) {
    case TModuleSource::FinderCandidates: return "finder_candidates";
    case TModuleSource::Frame: return "frame";
  }
  return {};
}

std::string_view KeyOf(TSuggestionKind kind) {
  switch (kind) {
    case TSuggestionKind::SmallerResolver: return "smaller_resolver";
    case TSuggestionKind::LargerResolver: return "larger_resolver";
    case TSuggestionKind::SmallerWarp: return "smaller_warp";
    case TSuggestionKind::ForceVersion: return "force_version";
    case TSuggestionKind::LargerPicture: return "larger_picture";
  }
  return {};
}
