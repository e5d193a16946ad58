#include "Diagnosis.h"

#include <algorithm>

#include "common/Messages.h"
#include "common/ShiftJis.h"

double TBinarizationFigures::DarkShare() const {
  const std::int64_t pixels = static_cast<std::int64_t>(width) * height;
  return pixels > 0 ? static_cast<double>(darkPixels) / static_cast<double>(pixels) : 0.0;
}

namespace {

constexpr std::array<TCornerStepName, kCornerStepCount> kCornerStepNames = {{
    {TCornerStep::Predict, "corner prediction", "四隅の予測"},
    {TCornerStep::TopLeft, "top-left corner search", "左上の隅の探索"},
    {TCornerStep::TopRight, "top-right corner search", "右上の隅の探索"},
    {TCornerStep::BottomLeft, "bottom-left corner search", "左下の隅の探索"},
    {TCornerStep::BottomRight, "bottom-right corner search", "右下の隅の探索"},
    {TCornerStep::BottomEdge, "bottom edge measurement", "下辺の向きの測定"},
    {TCornerStep::RightEdge, "right edge measurement", "右辺の向きの測定"},
    {TCornerStep::Intersection, "edge intersection", "下辺と右辺の交点の計算"},
    {TCornerStep::Frame, "framing", "枠の計算"},
    {TCornerStep::Done, "done", "完了"},
}};

struct TModeName {
  std::uint32_t mode;
  std::string_view english;
  std::string_view japanese;
};
constexpr std::array<TModeName, 9> kModeNames = {{
    {0, "terminator", "終端パターン"},
    {1, "numeric", "数字"},
    {2, "alphanumeric", "英数字"},
    {3, "structured append", "構造的連接"},
    {4, "byte", "8ビットバイト"},
    {5, "FNC1 in first position", "FNC1（1番目の位置）"},
    {7, "ECI", "ECI"},
    {8, "Kanji", "漢字"},
    {9, "FNC1 in second position", "FNC1（2番目の位置）"},
}};
constexpr TModeName kUndefinedMode = {0, "undefined", "未定義"};

const TModeName& ModeOf(std::uint32_t mode) {
  for (const TModeName& name : kModeNames)
    if (name.mode == mode) return name;
  return kUndefinedMode;
}

}  // namespace

const TCornerStepName& NameOf(TCornerStep step) { return kCornerStepNames[static_cast<std::size_t>(step)]; }

std::string_view ModeName(std::uint32_t mode) { return ModeOf(mode).english; }
std::string_view ModeNameJapanese(std::uint32_t mode) { return ModeOf(mode).japanese; }

std::int32_t TCorrectionFigures::UncorrectableBlocks() const {
  return static_cast<std::int32_t>(
      std::count_if(blocks.begin(), blocks.end(), [](const TBlockFigures& block) { return block.uncorrectable; }));
}

std::optional<std::int32_t> TDiagnosis::SettledVersion() const {
  if (stage <= TStage::Version || !version) return std::nullopt;
  return version->version;
}

std::optional<std::int32_t> TDiagnosis::SettledLevel() const {
  if (stage <= TStage::Format || !format) return std::nullopt;
  return format->level;
}

std::optional<std::int32_t> TDiagnosis::SettledMask() const {
  if (stage <= TStage::Format || !format) return std::nullopt;
  return format->mask;
}

void TDiagnosisRecorder::Begin(std::int32_t width, std::int32_t height, const TDecodeParameters& parameters) {
  record_ = TDiagnosis{};
  record_.pictureWidth = width;
  record_.pictureHeight = height;
  record_.parameters = parameters;
}

void TFigureVisitor::Numbers(std::string_view key, std::span<const std::int64_t> values) {
  BeginList(key);
  for (const std::int64_t value : values) Number({}, value);
  EndList();
}

// ---------------------------------------------------------------------------
// The walk

namespace {

void VisitPoint(TFigureVisitor& v, std::string_view key, TPoint point) {
  v.BeginGroup(key);
  v.Number("x", point.x);
  v.Number("y", point.y);
  v.EndGroup();
}

template <typename Values>
void VisitNumbers(TFigureVisitor& v, std::string_view key, const Values& values) {
  const std::vector<std::int64_t> numbers(values.begin(), values.end());
  v.Numbers(key, numbers);
}

void VisitBinarization(TFigureVisitor& v, const TBinarizationFigures& f) {
  v.BeginGroup("binarization");
  v.Number("width", f.width);
  v.Number("height", f.height);
  v.Number("threshold", f.threshold);
  v.Number("resolver", f.offset);
  v.Number("dark_below", f.DarkBelow());
  v.Number("dark_pixels", f.darkPixels);
  v.Real("dark_share", f.DarkShare());
  VisitNumbers(v, "middle_row", f.middleRow);
  VisitNumbers(v, "middle_row_histogram", f.middleRowHistogram);
  v.EndGroup();
}

void VisitFinder(TFigureVisitor& v, const TFinderFigures& f) {
  v.BeginGroup("finder_search");
  v.Number("horizontal_stretches", f.horizontalStretches);
  v.Number("vertical_stretches", f.verticalStretches);
  v.Number("row_groups", f.rowGroups);
  v.Number("column_groups", f.columnGroups);
  v.Number("candidates", f.candidates);
  v.Number("needed", f.needed);
  v.BeginList("heaviest");
  for (const TFinderCandidate& candidate : f.heaviest) {
    v.BeginGroup({});
    v.Number("weight", candidate.weight);
    v.Number("x", candidate.centre.x);
    v.Number("y", candidate.centre.y);
    v.EndGroup();
  }
  v.EndList();
  if (f.centres) {
    v.BeginList("centres");
    for (const TPoint centre : *f.centres) VisitPoint(v, {}, centre);
    v.EndList();
  }
  v.EndGroup();
}

void VisitVersion(TFigureVisitor& v, const TVersionFigures& f) {
  v.BeginGroup("version");
  v.Number("forced", f.forced);
  if (f.forced <= 0) {
    v.Number("changes_axis1", f.changes1);
    v.Number("changes_axis2", f.changes2);
    v.Number("estimate", f.estimate);
    v.Number("last_timing_version", f.lastTimingVersion);
    v.Real("share_needed", f.shareNeeded);
    v.BeginList("timing");
    for (const TTimingTrial& trial : f.trials) {
      v.BeginGroup({});
      v.Number("version", trial.version);
      v.Number("samples", trial.samples);
      v.Number("matches_axis1", trial.matchesAxis1);
      if (trial.matchesAxis2 >= 0) v.Number("matches_axis2", trial.matchesAxis2);
      v.Real("share", trial.Share());
      v.Flag("passed", trial.passed);
      v.EndGroup();
    }
    v.EndList();
  }
  v.Number("candidate", f.candidate);
  if (!f.informationBlocks.empty()) {
    v.Number("max_information_distance", f.maxInformationDistance);
    v.BeginList("version_information");
    for (const TVersionBlockFigures& block : f.informationBlocks) {
      v.BeginGroup({});
      v.Flag("inside", block.inside);
      if (block.inside) {
        v.Number("bits", block.bits);
        v.Number("nearest_version", block.nearestVersion);
        v.Number("distance", block.distance);
      }
      v.EndGroup();
    }
    v.EndList();
  }
  v.Number("version", f.version);
  if (!f.selfNamingVersions.empty()) {
    v.BeginList("self_naming_versions");
    for (const TSelfNamingVersion& named : f.selfNamingVersions) {
      v.BeginGroup({});
      v.Number("version", named.version);
      v.Number("distance", named.distance);
      v.EndGroup();
    }
    v.EndList();
  }
  v.EndGroup();
}

void VisitCorners(TFigureVisitor& v, const TCornerFigures& f) {
  static constexpr std::array<std::string_view, 4> kCorners = {"top_left", "top_right", "bottom_left", "bottom_right"};
  v.BeginGroup("corners");
  v.Number("warp", f.warp);
  v.Text("step", NameOf(f.step).key);
  v.BeginList("searches");
  for (std::size_t i = 0; i < f.searches.size(); ++i) {
    const TCornerSearchFigures& search = f.searches[i];
    v.BeginGroup({});
    v.Text("corner", kCorners[i]);
    VisitPoint(v, "around", search.around);
    v.Number("radius", search.radius);
    v.Flag("found", search.found);
    if (search.found) VisitPoint(v, "hit", search.hit);
    v.EndGroup();
  }
  v.EndList();
  v.Flag("edge_checked", f.edgeChecked);
  if (f.edgeChecked) {
    v.Real("bottom_edge_angle", f.bottomEdgeAngle);
    v.Real("right_edge_angle", f.rightEdgeAngle);
    if (f.intersection) VisitPoint(v, "intersection", *f.intersection);
    v.Flag("moved_to_intersection", f.movedToIntersection);
  }
  if (f.step == TCornerStep::Done) {
    v.BeginList("corners");
    for (const TPoint corner : f.corners) VisitPoint(v, {}, corner);
    v.EndList();
  }
  v.EndGroup();
}

void VisitSampling(TFigureVisitor& v, const TSamplingFigures& f) {
  v.BeginGroup("sampling");
  v.Number("size", f.size);
  v.Number("alignment_nodes", f.alignmentNodes);
  v.Number("largest_shift", f.largestShift);
  v.Number("outside", f.outside);
  v.EndGroup();
}

void VisitFormat(TFigureVisitor& v, const TFormatFigures& f) {
  v.BeginGroup("format");
  v.Number("read", f.read);
  v.Number("unmasked", f.unmasked);
  v.Number("nearest", f.nearest);
  v.Number("distance", f.distance);
  v.Number("max_distance", f.maxDistance);
  v.Text("level", kLevelLetters[static_cast<std::size_t>(f.level & 3)]);
  v.Number("mask", f.mask);
  v.Flag("accepted", f.Accepted());
  v.EndGroup();
}

void VisitData(TFigureVisitor& v, std::string_view key, const TDataFigures& f) {
  static constexpr std::array<std::string_view, 3> kStops = {"terminator", "unsupported mode", "bits exhausted"};
  v.BeginGroup(key);
  v.BeginList("segments");
  for (const TSegmentFigures& segment : f.segments) {
    v.BeginGroup({});
    v.Text("mode", ModeName(segment.mode));
    v.Number("count", segment.count);
    v.Number("start_bit", segment.startBit);
    v.Flag("truncated", segment.truncated);
    v.EndGroup();
  }
  v.EndList();
  v.Text("stop", kStops[static_cast<std::size_t>(f.stop)]);
  v.Number("stop_mode", f.stopMode);
  v.Text("stop_mode_name", ModeName(f.stopMode));
  v.Number("stop_bit", f.stopBit);
  v.Number("total_bits", f.totalBits);
  v.EndGroup();
}

void VisitCorrection(TFigureVisitor& v, const TCorrectionFigures& f) {
  v.BeginGroup("reed_solomon");
  v.Number("codewords", f.codewords);
  v.Number("syndromes", f.syndromes);
  v.Number("correctable", f.correctable);
  v.BeginList("blocks");
  for (const TBlockFigures& block : f.blocks) {
    v.BeginGroup({});
    v.Number("codewords", block.codewords);
    v.Number("data_codewords", block.dataCodewords);
    v.Number("non_zero_syndromes", block.nonZeroSyndromes);
    v.Number("locator_degree", block.locatorDegree);
    v.Number("corrected", block.corrected);
    v.Flag("uncorrectable", block.uncorrectable);
    v.EndGroup();
  }
  v.EndList();
  if (f.unverified) {
    v.BeginGroup("unverified");
    v.Text("text", ShiftJisToUtf8(f.unverified->text));
    VisitData(v, "data", f.unverified->data);
    v.EndGroup();
  }
  v.EndGroup();
}

}  // namespace

void VisitFigures(const TDiagnosis& d, TFigureVisitor& v) {
  v.Text("stage", NameOf(d.stage).key);
  v.Text("failure", d.failure);
  v.Number("picture_width", d.pictureWidth);
  v.Number("picture_height", d.pictureHeight);
  v.BeginGroup("parameters");
  v.Number("resolver", d.parameters.resolver);
  v.Number("warp", d.parameters.warp);
  v.Number("force_version", d.parameters.forceVersion);
  v.EndGroup();
  if (d.binarization) VisitBinarization(v, *d.binarization);
  if (d.pictureHistogram) VisitNumbers(v, "picture_histogram", *d.pictureHistogram);
  if (d.finder) VisitFinder(v, *d.finder);
  if (d.version) VisitVersion(v, *d.version);
  if (d.corners) VisitCorners(v, *d.corners);
  if (d.sampling) VisitSampling(v, *d.sampling);
  if (d.format) VisitFormat(v, *d.format);
  if (d.correction) VisitCorrection(v, *d.correction);
  if (d.data) VisitData(v, "data", *d.data);
}
