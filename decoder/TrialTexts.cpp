#include "decoder/TrialTexts.h"

#include <algorithm>
#include <map>
#include <set>
#include <vector>

#include "decoder/DiagnosisTexts.h"

namespace {

std::string N(std::int64_t value) { return std::to_string(value); }
std::string Tenths(std::int32_t tenths) { return N(tenths / 10) + "." + N(tenths % 10); }
bool Blurred(const TTrial& trial) { return trial.edges && trial.edges->Blurred(); }
// A blurred picture whose rings give modules large enough, sized by the finder candidates' weights.
bool WeightsMislead(const TVerdict& verdict, const TTrial& trial) {
  return Blurred(trial) && verdict.moduleSource == TModuleSource::FinderCandidates &&
         trial.edges->moduleTenths >= kSmallModuleTenths;
}

// The values that differ from the analysis's, named as the window names them.
std::string Named(const TAnalysisParameters& value, const TAnalysisParameters& own, const char* separator) {
  std::string text;
  const auto add = [&](const char* name, std::int32_t v) {
    if (!text.empty()) text += separator;
    text += std::string(name) + " " + N(v);
  };
  if (value.resolver != own.resolver) add("Resolver", value.resolver);
  if (value.warp != own.warp) add("Warp", value.warp);
  if (value.forceVersion != own.forceVersion) add("ForceVersion", value.forceVersion);
  return text;
}

// Sorted values as a range with their count, or one by one: "-128〜128 (34)", "7", "-8, 40".
std::string Values(const std::set<std::int32_t>& values, const char* through, const char* count) {
  std::string text;
  if (values.size() > 2)
    return N(*values.begin()) + through + N(*values.rbegin()) + " (" + N(static_cast<std::int64_t>(values.size())) + count + ")";
  for (const std::int32_t v : values) text += (text.empty() ? "" : ", ") + N(v);
  return text;
}

// What was tried, grouped by the parameter that varied.
struct TTriedSets {
  bool operated = false;
  std::set<std::int32_t> resolvers;
  std::set<std::int32_t> warps;
  std::set<std::int32_t> versions;
};

TTriedSets Sets(const TTrial& trial) {
  TTriedSets sets;
  for (const TTriedValue& t : trial.tried) {
    sets.operated = sets.operated || t.operations.Any();
    sets.resolvers.insert(t.parameters.resolver);
    sets.warps.insert(t.parameters.warp);
    sets.versions.insert(t.parameters.forceVersion);
  }
  return sets;
}

}  // namespace

std::string CommandLineForm(const TTriedValue& value, const TAnalysisParameters& own) {
  const std::string operations = CommandLineForm(value.operations);
  const std::string parameters = CommandLineForm(value.parameters, own);
  return operations + (operations.empty() || parameters.empty() ? "" : " ") + parameters;
}

std::string CommandLineForm(const TAnalysisParameters& value, const TAnalysisParameters& own) {
  std::string text;
  const auto add = [&](const char* option, std::int32_t v, std::int32_t was) {
    if (v == was) return;
    if (!text.empty()) text += " ";
    text += std::string(option) + " " + N(v);
  };
  add("--resolver", value.resolver, own.resolver);
  add("--warp", value.warp, own.warp);
  add("--force-version", value.forceVersion, own.forceVersion);
  return text;
}

std::string EnglishBlurText(const TTrial& trial) {
  if (!Blurred(trial)) return {};
  return "edges about " + Tenths(trial.edges->edgeTenths) + " pixels wide against modules of " +
         Tenths(trial.edges->moduleTenths) + " pixels: the picture is blurred (hold the camera still, focus)";
}

std::string JapaneseBlurText(const TTrial& trial) {
  if (!Blurred(trial)) return {};
  return "位置検出パターンの縁の幅は約 " + Tenths(trial.edges->edgeTenths) + " 画素で、モジュールの大きさ（約 " +
         Tenths(trial.edges->moduleTenths) + " 画素）に比べて広すぎます。画像がぼやけています。"
         "カメラを動かさず、ピントを合わせて撮ってください。";
}

std::string EnglishModuleText(const TVerdict& verdict, const TTrial& trial) {
  return WeightsMislead(verdict, trial) ? std::string() : EnglishModuleText(verdict);
}

std::string JapaneseModuleText(const TVerdict& verdict, const TTrial& trial) {
  return WeightsMislead(verdict, trial) ? std::string() : JapaneseModuleText(verdict);
}

std::string DiagnosisLine(const TVerdict& verdict, const TTrial& trial) {
  const std::string small = EnglishModuleText(verdict, trial);
  return "stage: " + std::string(NameOf(verdict.stage).key) + "; " + EnglishText(verdict.evidence) + "; " +
         (verdict.suspect ? EnglishText(*verdict.suspect) + "; " : std::string()) +
         (verdict.mirrored ? EnglishText(*verdict.mirrored) + "; " : std::string()) + (small.empty() ? small : small + "; ") +
         (Blurred(trial) ? EnglishBlurText(trial) + "; " : std::string()) + EnglishOutcome(trial);
}

std::string JapaneseText(const TTriedValue& value, const TTrial& trial) {
  std::string named = Named(value.parameters, trial.parameters, "、");
  if (value.operations.Any()) {
    // What the picture turned out to be, with the evidence that it reads so.
    std::string what = "画像を" + JapaneseText(value.operations) + "した画像";
    if (value.operations.invert) what = "明るいモジュールが暗い地にある（反転した）シンボルです。" + what;
    if (value.operations.mirror) what = "左右が反転したシンボルです。" + what;
    named = what + (named.empty() ? "" : "（" + named + "）");
  }
  if (value.reached == TStage::Done) return named + " で復号できました。";
  return named + " で「" + std::string(NameOf(value.reached).japanese) + "」の段階まで進みました。";
}

std::string EnglishText(const TTriedValue& value, const TTrial& trial) {
  const std::string form = CommandLineForm(value, trial.parameters);
  if (value.reached == TStage::Done) return form + " decodes";
  return form + " gets to the " + std::string(NameOf(value.reached).key) + " stage";
}

std::string JapaneseTried(const TTrial& trial) {
  const TTriedSets sets = Sets(trial);
  std::string text = "Resolver " + Values(sets.resolvers, "〜", " 通り") + "、Warp " + Values(sets.warps, "〜", " 通り");
  if (sets.versions.size() > 1 || !sets.versions.contains(trial.parameters.forceVersion))
    text += "、ForceVersion " + Values(sets.versions, "〜", " 通り");
  if (sets.operated) text += "、白黒反転・左右反転した画像";
  return text + "（組み合わせ " + N(static_cast<std::int64_t>(trial.tried.size())) + " 通り）";
}

std::string EnglishTried(const TTrial& trial) {
  const TTriedSets sets = Sets(trial);
  std::string text = "Resolver " + Values(sets.resolvers, " to ", " values") + ", Warp " + Values(sets.warps, " to ", " values");
  if (sets.versions.size() > 1 || !sets.versions.contains(trial.parameters.forceVersion))
    text += ", ForceVersion " + Values(sets.versions, " to ", " values");
  if (sets.operated) text += ", the picture inverted and mirrored";
  return text + "; " + N(static_cast<std::int64_t>(trial.tried.size())) + " combinations";
}

std::string JapaneseOutcome(const TTrial& trial) {
  if (!trial.helped.empty()) return JapaneseText(trial.helped.front(), trial);
  const std::string stage(NameOf(trial.stage).japanese);
  if (trial.tried.empty()) return trial.complete ? "試せる値がありませんでした。" : "値を試している途中です。";
  return "試した値（" + JapaneseTried(trial) + "）では、どれも「" + stage + "」の段階より先に進みませんでした。" +
         (trial.complete ? "" : "（試行は途中で打ち切られました）");
}

std::string EnglishOutcome(const TTrial& trial) {
  if (!trial.helped.empty()) {
    const TTriedValue& best = trial.helped.front();
    return "try " + CommandLineForm(best, trial.parameters) + " (" +
           (best.reached == TStage::Done ? std::string("decodes")
                                         : "gets to the " + std::string(NameOf(best.reached).key) + " stage") + ")";
  }
  if (trial.tried.empty()) return trial.complete ? "nothing to try" : "the trial has not ended";
  return std::string("nothing tried got past the ") + std::string(NameOf(trial.stage).key) + " stage (" +
         EnglishTried(trial) + (trial.complete ? ")" : "; cancelled)");
}

void VisitEdges(const TTrial& trial, TFigureVisitor& v) {
  if (!trial.edges) return;
  v.Real("edge_pixels", trial.edges->edgeTenths / 10.0);
  v.Real("edge_module_pixels", trial.edges->moduleTenths / 10.0);
  v.Flag("blurred", trial.edges->Blurred());
  if (Blurred(trial)) v.Text("blur_text", EnglishBlurText(trial));
}

void VisitTrial(const TTrial& trial, TFigureVisitor& v) {
  const auto values = [&v](const TTriedValue& t) {
    v.Number("resolver", t.parameters.resolver);
    v.Number("warp", t.parameters.warp);
    v.Number("force_version", t.parameters.forceVersion);
    v.Text("reached", NameOf(t.reached).key);
    v.Flag("decoded", t.reached == TStage::Done);
    v.Flag("from_evidence", t.fromEvidence);
    if (t.operations.Any()) v.Text("operations", EnglishText(t.operations));
  };
  v.Flag("complete", trial.complete);
  v.Text("outcome", EnglishOutcome(trial));
  v.BeginList("helped");
  for (const TTriedValue& t : trial.helped) {
    v.BeginGroup({});
    values(t);
    v.Text("text", EnglishText(t, trial));
    v.EndGroup();
  }
  v.EndList();
  v.BeginList("tried");
  for (const TTriedValue& t : trial.tried) {
    v.BeginGroup({});
    values(t);
    v.EndGroup();
  }
  v.EndList();
}
