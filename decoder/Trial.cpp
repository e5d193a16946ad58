#include "decoder/Trial.h"

#include <algorithm>
#include <cstdlib>
#include <array>
#include <map>
#include <optional>
#include <tuple>
#include <utility>

#include "decoder/Explorer.h"
#include "decoder/Parameters.h"
#include "image/FrontImage.h"

namespace {

// The most versions the trial forces: those the evidence names, nearest first.
constexpr std::size_t kForcedVersions = 3;
// Grey levels summed on each side of a level when the middle row's histogram
// is smoothed for its valley, and the least distance between its two peaks.
constexpr std::int32_t kSmoothing = 4;
constexpr std::int32_t kPeakDistance = 32;

// How large a change the values are against the analysis's: one Warp step
// weighs as much as one step of the Resolver grid, forcing a version as two.
std::int64_t Change(const TAnalysisParameters& from, const TAnalysisParameters& to) {
  return std::abs(static_cast<std::int64_t>(to.resolver) - from.resolver) +
         8 * std::abs(static_cast<std::int64_t>(to.warp) - from.warp) + (to.forceVersion != from.forceVersion ? 16 : 0);
}

void AddOnce(std::vector<TAnalysisParameters>& values, const TAnalysisParameters& own, TAnalysisParameters value) {
  value.resolver = RangeOf(TParameter::Resolver).Clamp(value.resolver);
  value.warp = RangeOf(TParameter::Warp).Clamp(value.warp);
  value.forceVersion = RangeOf(TParameter::ForceVersion).Clamp(value.forceVersion);
  if (value == own || std::find(values.begin(), values.end(), value) != values.end()) return;
  values.push_back(value);
}

// The Resolver that puts the threshold into the deepest valley between the
// two highest peaks of the middle row's grey levels (smoothed), when there
// are two peaks far enough apart.
std::optional<std::int32_t> ValleyResolver(const TBinarizationFigures& figures) {
  std::array<std::int64_t, 256> smooth{};
  for (std::int32_t g = 0; g < 256; ++g)
    for (std::int32_t d = -kSmoothing; d <= kSmoothing; ++d)
      if (g + d >= 0 && g + d < 256) smooth[static_cast<std::size_t>(g)] += figures.middleRowHistogram[static_cast<std::size_t>(g + d)];
  const auto at = [&smooth](std::int32_t g) { return smooth[static_cast<std::size_t>(g)]; };
  std::int32_t first = 0;
  for (std::int32_t g = 1; g < 256; ++g)
    if (at(g) > at(first)) first = g;
  if (at(first) == 0) return std::nullopt;
  std::int32_t second = -1;
  for (std::int32_t g = 0; g < 256; ++g)
    if (std::abs(g - first) >= kPeakDistance && (second < 0 || at(g) > at(second))) second = g;
  if (second < 0 || at(second) == 0) return std::nullopt;
  const std::int32_t low = std::min(first, second);
  const std::int32_t high = std::max(first, second);
  std::int32_t valley = low;
  for (std::int32_t g = low; g <= high; ++g)
    if (at(g) < at(valley)) valley = g;
  return figures.threshold - valley;
}

// The versions the version stage's evidence names: a version whose
// information names itself, the version nearest to what was read, the
// version whose timing patterns matched best.
std::vector<std::int32_t> NamedVersions(const TVersionFigures& figures) {
  std::vector<std::pair<std::int32_t, std::int32_t>> ranked;  // distance, version
  for (const TSelfNamingVersion& named : figures.selfNamingVersions) ranked.emplace_back(named.distance, named.version);
  for (const TVersionBlockFigures& block : figures.informationBlocks)
    if (block.inside && block.nearestVersion > 0 && block.distance <= figures.maxInformationDistance + 1)
      ranked.emplace_back(block.distance, block.nearestVersion);
  std::sort(ranked.begin(), ranked.end());
  std::vector<std::int32_t> versions;
  for (const auto& [distance, version] : ranked)
    if (std::find(versions.begin(), versions.end(), version) == versions.end()) versions.push_back(version);
  if (figures.trials.empty() && figures.estimate > figures.lastTimingVersion &&
      std::find(versions.begin(), versions.end(), figures.estimate) == versions.end())
    versions.push_back(figures.estimate);
  if (!figures.trials.empty()) {
    const auto best = std::max_element(figures.trials.begin(), figures.trials.end(),
                                       [](const TTimingTrial& a, const TTimingTrial& b) { return a.Share() < b.Share(); });
    if (std::find(versions.begin(), versions.end(), best->version) == versions.end()) versions.push_back(best->version);
  }
  if (versions.size() > kForcedVersions) versions.resize(kForcedVersions);
  return versions;
}

}  // namespace

bool WorthTrying(const TAnalysisResult& analysis) {
  return !analysis.decoded && !analysis.aborted &&
         TFrontImage::CanBinarize(analysis.diagnosis.pictureWidth, analysis.diagnosis.pictureHeight);
}

std::vector<TAnalysisParameters> EvidenceValues(const TAnalysisResult& analysis) {
  const TAnalysisParameters& own = analysis.parameters;
  std::vector<TAnalysisParameters> values;
  for (const TSuggestion& suggestion : analysis.verdict.suggestions)
    if (suggestion.kind != TSuggestionKind::LargerPicture) AddOnce(values, own, Following(own, suggestion));
  const TDiagnosis& d = analysis.diagnosis;
  if (d.binarization)
    if (const auto valley = ValleyResolver(*d.binarization)) AddOnce(values, own, {*valley, own.warp, own.forceVersion});
  if (analysis.stage == TStage::Version && d.version && d.version->forced == 0)
    for (const std::int32_t version : NamedVersions(*d.version)) AddOnce(values, own, {own.resolver, own.warp, version});
  // A version forced by hand that stopped the decode: the timing test's own choice.
  if (analysis.stage == TStage::Version && own.forceVersion != 0) AddOnce(values, own, {own.resolver, own.warp, 0});
  return values;
}

TTrialRunner::TTrialRunner(const TBitmap& picture, TAnalysisResult analysis, std::uint64_t number)
    : picture_(picture.Detached()), analysis_(std::move(analysis)), number_(number) {}

TTrial TTrialRunner::Run(const std::atomic<bool>* cancel, unsigned jobs) {
  TTrial trial;
  trial.analysis = number_;
  trial.parameters = analysis_.parameters;
  trial.stage = analysis_.stage;
  if (!WorthTrying(analysis_)) {
    trial.complete = true;
    return trial;
  }
  trial.edges = MeasureEdges(picture_, analysis_.diagnosis);
  const TAnalysisParameters own = analysis_.parameters;
  const std::vector<TAnalysisParameters> evidence = EvidenceValues(analysis_);
  TPictureOperations operations;  // those of the values being tried
  const auto tried = [&trial, &operations](const TAnalysisParameters& p) {
    return (p == trial.parameters && !operations.Any()) ||
           std::any_of(trial.tried.begin(), trial.tried.end(),
                       [&](const TTriedValue& t) { return t.parameters == p && t.operations == operations; });
  };
  TBitmap operated;  // the picture with `operations` applied
  bool operationsFromEvidence = false;  // the verdict named a mirrored symbol
  // Values at which the decode named a mirrored symbol, tried mirrored after the search.
  std::vector<TAnalysisParameters> mirroredAt;
  const auto cancelled = [cancel] { return cancel != nullptr && cancel->load(); };

  // Runs a column of Resolver values at one Warp, or a row of Warp values at
  // one Resolver, on the explorer (one binarization a Resolver), leaving out
  // the values tried before.
  const auto explore = [&](std::vector<std::int32_t> resolvers, std::vector<std::int32_t> warps, std::int32_t forceVersion) {
    if (warps.size() == 1)
      std::erase_if(resolvers, [&](std::int32_t r) { return tried({r, warps.front(), forceVersion}); });
    else if (resolvers.size() == 1)
      std::erase_if(warps, [&](std::int32_t w) { return tried({resolvers.front(), w, forceVersion}); });
    for (std::vector<std::int32_t>* values : {&resolvers, &warps}) {
      std::sort(values->begin(), values->end());
      values->erase(std::unique(values->begin(), values->end()), values->end());
    }
    if (resolvers.empty() || warps.empty() || cancelled()) return;
    TExploreGrid grid;
    grid.resolvers = std::move(resolvers);
    grid.warps = std::move(warps);
    grid.forceVersion = forceVersion;
    // The runner's own copy, read by this thread alone: no further copy.
    TExplorer explorer(operations.Any() ? operated : picture_, std::move(grid), TExplorer::TOwnPicture{});
    const TExploreMap map = explorer.Run({}, cancel, jobs);
    for (std::size_t i = 0; i < map.cells.size(); ++i) {
      if (!map.cells[i].ran) continue;
      TTriedValue value;
      value.parameters = map.ParametersOf(i);
      value.operations = operations;
      value.reached = map.cells[i].result.decoded ? TStage::Done : map.cells[i].result.stage;
      value.fromEvidence = operations.Any() ? operationsFromEvidence
                                            : std::find(evidence.begin(), evidence.end(), value.parameters) != evidence.end();
      trial.tried.push_back(value);
      if (!operations.Any() && map.cells[i].result.verdict.mirrored) mirroredAt.push_back(value.parameters);
    }
  };
  const auto best = [&]() -> const TTriedValue* {
    const TTriedValue* found = nullptr;
    for (const TTriedValue& t : trial.tried)
      if (found == nullptr || std::make_tuple(-static_cast<int>(t.reached), Change(own, t.parameters)) <
                                  std::make_tuple(-static_cast<int>(found->reached), Change(own, found->parameters)))
        found = &t;
    return found;
  };
  const auto decoded = [&] {
    return std::any_of(trial.tried.begin(), trial.tried.end(), [](const TTriedValue& t) { return t.reached == TStage::Done; });
  };

  // The column of the default grid at the analysis's Warp.
  const std::vector<std::int32_t> grid = TExploreGrid::Make(TExploreGrid::DefaultResolvers(), {own.warp, own.warp, 1},
                                                            own.forceVersion).resolvers;
  // The picture mirrored at a value, then, when that did not read, the grid's
  // column at the value's Warp.
  const auto mirrored = [&](const TAnalysisParameters& value) {
    operations = {false, true, 0};
    operationsFromEvidence = true;
    operated = ApplyOperations(picture_, operations);
    explore({value.resolver}, {value.warp}, value.forceVersion);
    if (!decoded()) explore(grid, {value.warp}, value.forceVersion);
    operations = {};
    operationsFromEvidence = false;
    operated = TBitmap();
  };
  // A symbol the verdict names mirrored: the mirrored picture first.
  if (analysis_.verdict.mirrored) mirrored(own);

  // The grid's column with the evidence's Resolver values; then the
  // evidence's other values, grouped by Warp and ForceVersion.
  std::vector<std::int32_t> column = grid;
  std::map<std::pair<std::int32_t, std::int32_t>, std::vector<std::int32_t>> others;
  for (const TAnalysisParameters& value : evidence) {
    if (value.warp == own.warp && value.forceVersion == own.forceVersion)
      column.push_back(value.resolver);
    else
      others[{value.warp, value.forceVersion}].push_back(value.resolver);
  }
  explore(column, {own.warp}, own.forceVersion);
  for (const auto& [key, resolvers] : others) explore(resolvers, {key.first}, key.second);

  // Every Warp at the Resolver that got furthest, then the versions named at it.
  if (!decoded() && best() != nullptr) {
    const std::int32_t resolver = best()->parameters.resolver;
    const TExploreGrid warps = TExploreGrid::Make({resolver, resolver, 1}, TExploreGrid::DefaultWarps(), own.forceVersion);
    explore({resolver}, warps.warps, own.forceVersion);
  }
  if (!decoded() && analysis_.stage == TStage::Version && best() != nullptr) {
    const TAnalysisParameters at = best()->parameters;
    for (const TAnalysisParameters& value : evidence)
      if (value.forceVersion != own.forceVersion) explore({at.resolver}, {at.warp}, value.forceVersion);
  }
  // A value that got further and then named a mirrored symbol (a version
  // forced past the timing test, for one): the mirrored picture at it.
  if (!decoded() && !mirroredAt.empty() && !cancelled()) mirrored(mirroredAt.front());
  // Where no value got further: the picture inverted, then mirrored.
  const auto further = [&] {
    return std::any_of(trial.tried.begin(), trial.tried.end(), [&](const TTriedValue& t) { return t.reached > trial.stage; });
  };
  if (!further() && !cancelled()) {
    const std::int32_t resolver = best() != nullptr ? best()->parameters.resolver : own.resolver;
    for (const TPictureOperations each : {TPictureOperations{true, false, 0}, TPictureOperations{false, true, 0}}) {
      if (cancelled()) break;
      operations = each;
      operated = ApplyOperations(picture_, operations);
      explore({own.resolver, resolver}, {own.warp}, own.forceVersion);
    }
    operations = {};
    operated = TBitmap();
  }
  trial.complete = !cancelled();

  std::vector<TTriedValue> helped;
  for (const TTriedValue& t : trial.tried)
    if (t.reached > trial.stage) helped.push_back(t);
  trial.helped = ShownValues(std::move(helped), own);
  return trial;
}

std::vector<TTriedValue> ShownValues(std::vector<TTriedValue> helped, const TAnalysisParameters& own) {
  std::stable_sort(helped.begin(), helped.end(), [&own](const TTriedValue& a, const TTriedValue& b) {
    return std::make_tuple(-static_cast<int>(a.reached), !a.fromEvidence, Change(own, a.parameters)) <
           std::make_tuple(-static_cast<int>(b.reached), !b.fromEvidence, Change(own, b.parameters));
  });
  const auto sameButWarp = [](const TTriedValue& a, const TTriedValue& b) {
    return a.reached == b.reached && a.parameters.resolver == b.parameters.resolver &&
           a.parameters.forceVersion == b.parameters.forceVersion && a.operations == b.operations;
  };
  std::vector<TTriedValue> shown;
  for (auto group = helped.begin(); group != helped.end() && shown.size() < TTrial::kShown;) {
    const auto end = std::find_if(group, helped.end(), [&](const TTriedValue& t) { return t.reached != group->reached; });
    std::vector<TTriedValue> later;  // a further Warp of a value already shown
    for (auto t = group; t != end; ++t) {
      const bool alike = std::any_of(shown.begin(), shown.end(), [&](const TTriedValue& s) { return sameButWarp(s, *t); });
      (alike ? later : shown).push_back(*t);
    }
    shown.insert(shown.end(), later.begin(), later.end());
    group = end;
  }
  if (shown.size() > TTrial::kShown) shown.resize(TTrial::kShown);
  return shown;
}
