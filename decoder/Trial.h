#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "common/Bitmap.h"
#include "common/DecodeStages.h"
#include "decoder/Analysis.h"
#include "decoder/EdgeWidth.h"
#include "decoder/PictureOperations.h"

// The trial of suggestions: after an analysis that did not read, other values
// of the parameters are tried on the explorer's engine (its own copy of the
// picture, surfaces that keep nothing), so that a front end shows only values
// that took the decode past the stage where the analysis stopped, and how far
// each got. It is a step of its own after the analysis: the analysis, its
// record and its verdict stay as they are.
//
// The values tried: first those the evidence points to (the picture mirrored
// when the verdict names a mirrored symbol: at the analysis's values, then,
// when that does not read, at the default grid's Resolver values; the
// verdict's suggestions, the valley of the middle row's grey levels, the
// versions that the version information or the timing test name), then a
// bounded search: the default grid's Resolver values at the analysis's Warp,
// then, when none of those read, every Warp at the Resolver that got
// furthest, then, when the version stage stopped the decode, the versions the
// evidence names at that Resolver; the picture mirrored in the same way at
// the first value whose decode named a mirrored symbol; when still nothing
// got further, the picture inverted and mirrored at the analysis's values and
// at that Resolver.
//
// The trial also measures what only the picture shows and the record does
// not keep: how wide the edges of the finder candidates are (decoder/EdgeWidth).

struct TTriedValue {
  TAnalysisParameters parameters;
  // Done to the picture first, where no parameter helped: an inverted or a
  // mirrored symbol reads only so.
  TPictureOperations operations;
  // How far the decode got with them: Done when it read.
  TStage reached = TStage::Binarization;
  // Pointed to by the evidence rather than found by the search (a mirrored
  // picture: tried because a decode named the symbol mirrored).
  bool fromEvidence = false;
  friend bool operator==(const TTriedValue&, const TTriedValue&) = default;
};

struct TTrial {
  // The number of the analysis the trial belongs to (a front end's count), so
  // that a result that arrives after a newer analysis can be told and dropped.
  std::uint64_t analysis = 0;
  // The analysis's parameters and where it stopped.
  TAnalysisParameters parameters;
  TStage stage = TStage::Binarization;
  // Every value tried, in the order tried.
  std::vector<TTriedValue> tried;
  // Of those, the ones that got past `stage`, the best first (furthest, then
  // pointed to by the evidence, then the smallest change), at most kShown.
  std::vector<TTriedValue> helped;
  // False when cancelled before the search ended.
  bool complete = false;
  // The edges of the finder candidates the analysis chose, where they could be measured.
  std::optional<TEdgeMeasure> edges;

  static constexpr std::size_t kShown = 3;
  friend bool operator==(const TTrial&, const TTrial&) = default;
};

// True when a trial has something to find: the analysis did not read and
// the picture is large enough for a threshold.
bool WorthTrying(const TAnalysisResult& analysis);

// The values the evidence of the analysis points to, each once and none equal
// to the analysis's own; the likelier first.
std::vector<TAnalysisParameters> EvidenceValues(const TAnalysisResult& analysis);

// Of the values that got past the analysis's stage, those a front end shows,
// at most TTrial::kShown: the furthest first, then those the evidence pointed
// to, then the smallest change; among values that got equally far, one of
// each Resolver (and ForceVersion and picture operations) comes before a
// second Warp of the same, so that the values shown span what helped.
std::vector<TTriedValue> ShownValues(std::vector<TTriedValue> helped, const TAnalysisParameters& own);

// One trial, made on the thread that holds the picture and run on any one
// thread: it keeps a copy of the picture that shares nothing with it (reading
// a picture may change its form) and of the analysis.
class TTrialRunner {
 public:
  TTrialRunner(const TBitmap& picture, TAnalysisResult analysis, std::uint64_t number);

  // Runs the trial on `jobs` threads; `cancel` stops it between decodes (the
  // trial then says it is not complete). An error of a decode comes out as
  // an exception.
  TTrial Run(const std::atomic<bool>* cancel = nullptr, unsigned jobs = 1);

 private:
  TBitmap picture_;
  TAnalysisResult analysis_;
  std::uint64_t number_ = 0;
};
