#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/DecodeStages.h"
#include "common/Diagnosis.h"

// Why a decode did or did not read, derived from the record of what the
// stages measured: the stage to look at, the evidence that decided it and one
// or two changes worth trying. Every front end shows the same verdict; its
// texts in Japanese and English are made from the one structured form below
// (decoder/DiagnosisTexts).

// What the evidence says. The meaning of the numbers of each kind is given
// beside it, in the order of TEvidence::numbers.
enum class TEvidenceKind : std::uint8_t {
  PictureTooSmall,      // width, height
  TooFewCandidates,     // candidates, candidates needed, dark pixels in per cent
  NoTimingMatch,        // first and last version tried, version with the best share, that share and the share needed in per cent
  EstimateBeyondTiming, // estimated version, last version the timing test reaches
  VersionInformation,   // nearest version (0: the blocks lie outside the picture), bits off, bits allowed
  CornerFailure,        // step (TCornerStep), 1 when the bottom-right search reached the edge of its window; text: the raised message
  StageFailure,         // text: the raised message (stages that measured nothing before failing)
  FormatUnreadable,     // bits off the nearest valid word, bits allowed
  BlocksUncorrectable,  // uncorrectable blocks, blocks, largest locator degree among them, errors corrected per block
  DataStopped,          // the mode indicator that ended the reading, segments read, 1 when a segment ran out of bits
  Decoded,              // segments read, codewords corrected
};

struct TEvidence {
  TEvidenceKind kind = TEvidenceKind::StageFailure;
  std::array<std::int64_t, 5> numbers{};
  std::string text;
  friend bool operator==(const TEvidence&, const TEvidence&) = default;
};

// A change worth trying; `value` is the parameter value to try.
enum class TSuggestionKind : std::uint8_t {
  SmallerResolver,  // more of the picture turns dark
  LargerResolver,   // less of the picture turns dark
  SmallerWarp,      // the bottom-right corner is sought closer to where it should be
  ForceVersion,     // a version whose version information names itself
  LargerPicture,    // value: the width needed
};

struct TSuggestion {
  TSuggestionKind kind = TSuggestionKind::LargerPicture;
  std::int32_t value = 0;
  friend bool operator==(const TSuggestion&, const TSuggestion&) = default;
};

// An earlier stage whose result the evidence doubts: it let the decode go on
// with something that misled the stage that stopped it. So far the finder
// search, whose three chosen candidates lack what three finder patterns of one
// symbol have.
struct TSuspect {
  TStage stage = TStage::FinderSearch;
  // What failed (a set of the flags below).
  static constexpr std::uint8_t kAngle = 1;    // no right angle at the corner candidate
  static constexpr std::uint8_t kLegs = 2;     // legs of unlike length
  static constexpr std::uint8_t kWeights = 4;  // one candidate far weaker (its module size unlike theirs)
  std::uint8_t failed = 0;
  // The candidate suspected (the weakest of the three) and its weight, the
  // weaker weight of the two others, the angle at the corner candidate in
  // degrees and the longer leg against the shorter in per cent.
  TPoint candidate;
  std::int32_t weight = 0;
  std::int32_t otherWeight = 0;
  std::int32_t angle = 0;
  std::int32_t legs = 0;
  friend bool operator==(const TSuspect&, const TSuspect&) = default;
};

// Where the module size comes from.
enum class TModuleSource : std::uint8_t { FinderCandidates, Frame };
// A mirrored symbol, named from its format information: both copies, read in
// mirrored order, lie within kMirroredDistance bits of one valid word, and the
// copy the decoder reads at least kMirrorMargin bits nearer so than read the
// ordinary way. (The version information cannot tell: its two blocks are each
// other's mirror images.)
struct TMirrored {
  std::int32_t distance = 0;          // bits off, the decoder's copy read in mirrored order
  std::int32_t secondDistance = 0;    // the same for the other copy
  std::int32_t ordinaryDistance = 0;  // bits off, the decoder's copy read the ordinary way
  friend bool operator==(const TMirrored&, const TMirrored&) = default;
};
inline constexpr std::int32_t kMirroredDistance = 1;
inline constexpr std::int32_t kMirrorMargin = 3;

struct TVerdict {
  bool decoded = false;
  // The stage to look at: the one that failed; after a success Data when the
  // reading stopped short of the end (an unsupported mode, a cut segment), Done otherwise.
  TStage stage = TStage::Done;
  TEvidence evidence;
  std::vector<TSuggestion> suggestions;  // at most two, the likelier first
  // An earlier stage the evidence doubts; the stage above stays the decoder's own.
  std::optional<TSuspect> suspect;
  // After a failure, the module size in tenths of a pixel: from the symbol's
  // frame once the corners and the version are settled (the mean side over
  // the modules per side), otherwise estimated from the heaviest finder
  // candidates (a finder pattern's weight is six times its module size: three
  // modules of its core across in each direction); 0 when there is neither.
  std::int32_t moduleTenths = 0;
  TModuleSource moduleSource = TModuleSource::FinderCandidates;
  // After a failure at the format stage or later: the symbol is mirrored.
  std::optional<TMirrored> mirrored;
  friend bool operator==(const TVerdict&, const TVerdict&) = default;
};

TVerdict Judge(const TDiagnosis& diagnosis);

// Below this module size (in tenths of a pixel) a photograph is too far away
// for the sampling, which reads reliably from about three pixels a module.
inline constexpr std::int32_t kSmallModuleTenths = 30;

// A short key of each kind for files ("too_few_candidates", "smaller_warp" ...).
std::string_view KeyOf(TEvidenceKind kind);
std::string_view KeyOf(TSuggestionKind kind);
std::string_view KeyOf(TModuleSource source);
