#include "Sample.h"

#include "common/Messages.h"

TSample MakeSample(const TSampleRequest& request) {
  if (request.moduleSize < kMinModuleSize || request.moduleSize > kMaxModuleSize)
    throw TSampleError("the module size must lie between " + std::to_string(kMinModuleSize) + " and " +
                       std::to_string(kMaxModuleSize) + " pixels, not " + std::to_string(request.moduleSize));
  if (request.quietZone < kMinQuietZone || request.quietZone > kMaxQuietZone)
    throw TSampleError("the quiet zone must lie between " + std::to_string(kMinQuietZone) + " and " +
                       std::to_string(kMaxQuietZone) + " modules, not " + std::to_string(request.quietZone));
  TSample sample;
  sample.request = request;
  sample.symbol = MakeSymbol(request.symbol);
  sample.picture = PhotographSymbol(sample.symbol.modules, request.moduleSize, request.quietZone, request.effects,
                                    request.seed, &sample.jpeg);
  return sample;
}

std::string SampleCaption(const TSample& sample) {
  const TSymbolRequest& asked = sample.request.symbol;
  const TMadeSymbol& made = sample.symbol;
  std::string caption = "作成: 型番 " + std::to_string(made.version) + "-" + kLevelLetters[static_cast<std::size_t>(made.level)];
  if (asked.version == kSmallestVersion) caption += " (最小)";
  caption += ", マスク " + std::to_string(made.mask) + (asked.mask == kAutomaticMask ? " (自動)" : "");
  caption += ", " + std::string(NameOf(asked.mode).label) + "モード";
  caption += ", " + std::to_string(sample.request.moduleSize) + " 画素/モジュール";
  caption += ", 効果 " + FormatEffects(sample.request.effects);
  if (sample.request.effects.Any()) caption += " (シード " + std::to_string(sample.request.seed) + ")";
  return caption;
}

void VisitSample(const TSample& sample, TFigureVisitor& visitor) {
  const TSymbolRequest& asked = sample.request.symbol;
  const TMadeSymbol& made = sample.symbol;
  visitor.BeginGroup("sample");
  visitor.Text("text", asked.text);
  visitor.Text("mode", NameOf(asked.mode).key);
  visitor.Number("version", made.version);
  visitor.Flag("smallestVersion", asked.version == kSmallestVersion);
  visitor.Text("level", kLevelLetters[static_cast<std::size_t>(made.level)]);
  visitor.Number("mask", made.mask);
  visitor.Flag("automaticMask", asked.mask == kAutomaticMask);
  visitor.BeginList("maskPenalties");
  for (const TMaskPenalty& penalty : made.penalties) visitor.Number("", penalty.Total());
  visitor.EndList();
  visitor.Number("moduleSize", sample.request.moduleSize);
  visitor.Number("quietZone", sample.request.quietZone);
  visitor.Text("effects", FormatEffects(sample.request.effects));
  visitor.Number("seed", static_cast<std::int64_t>(sample.request.seed));
  visitor.Number("width", sample.picture.Width());
  visitor.Number("height", sample.picture.Height());
  visitor.EndGroup();
}
