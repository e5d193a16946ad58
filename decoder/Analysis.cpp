#include "decoder/Analysis.h"

#include <exception>

#include "common/ShiftJis.h"
#include "decoder/Decorder.h"

namespace {

// Status panel 1 after a successful decode.
constexpr const char* kDecodedStatus = "Ｏｋ";

// What the stages found, read from the driver where the stage signal says
// that the stage ran and succeeded.
void ReadFindings(const TVeltrix& veltrix, TAnalysisResult& result) {
  const TDecorder& driver = veltrix.Driver();
  if (result.stage > TStage::Version) result.version = driver.LocatedVersion();
  if (result.stage > TStage::Format) {
    result.level = driver.ECLevel();
    result.mask = driver.MaskPattern();
  }
  if (result.stage >= TStage::Codewords) {
    result.codewordCount = static_cast<std::int32_t>(driver.Codewords().size());
    std::vector<TBlockOutcome> blocks;
    const std::vector<TBlockLayout>& layout = driver.BlockLayout();
    for (std::size_t b = 0; b < layout.size() && b < driver.BlockCorrections().size(); ++b) {
      const auto total = static_cast<std::int32_t>(layout[b].codewords.size());
      blocks.push_back({layout[b].dataCount, total - layout[b].dataCount, driver.BlockCorrections()[b]});
    }
    result.blocks = std::move(blocks);
  }
}

// The command around one decode: `decode` runs the facade's decode.
template <typename Decode>
TAnalysisResult AnalyseWith(TVeltrix& veltrix, TSurfaces& surfaces, const TAnalysisParameters& parameters,
                            const std::function<void()>& beforeDecode, Decode decode) {
  surfaces.Text(TTextPaneId::ResultMemo).Clear();
  surfaces.Text(TTextPaneId::RdSnMemo).Clear();
  surfaces.Text(TTextPaneId::ImgMemo).Clear();
  surfaces.SetStatus(1, "解析中");
  if (beforeDecode) beforeDecode();

  veltrix.SetWarp(parameters.warp);
  veltrix.SetResolver(parameters.resolver);
  veltrix.SetForceVersion(parameters.forceVersion);

  TAnalysisResult result;
  result.listingStart = surfaces.Text(TTextPaneId::BLMemo).Lines().size();
  result.parameters = {veltrix.Resolver(), veltrix.Driver().Warp(), veltrix.ForceVersion()};
  try {
    result.decoded = decode();
  } catch (const std::exception& failure) {
    result.aborted = true;
    result.failureReason = failure.what();
    result.stage = veltrix.StoppedAt();
    result.diagnosis = veltrix.Diagnosis();
    result.diagnosis.failure = result.failureReason;
    result.verdict = Judge(result.diagnosis);
    surfaces.SetStatus(1, result.failureReason);
    return result;
  }
  result.stage = veltrix.StoppedAt();
  result.diagnosis = veltrix.Diagnosis();
  result.verdict = Judge(result.diagnosis);
  result.text = veltrix.DecodedText();
  result.errorText = veltrix.GetErrorText();
  result.errorCode = veltrix.ErrorCode();
  result.versionText = veltrix.GetVersionText();
  if (!result.decoded) result.failureReason = veltrix.FailureReason();
  ReadFindings(veltrix, result);
  surfaces.SetStatus(1, OutcomeStatus(veltrix, result.decoded));

  TTextPane& lines = surfaces.Text(TTextPaneId::ResultMemo);
  lines.AppendLine("データ :" + ShiftJisToUtf8(result.text));
  lines.AppendLine(result.decoded ? "完了" : "失敗");
  lines.AppendLine(result.errorText);
  surfaces.SetStatus(0, result.versionText);
  return result;
}

}  // namespace

std::string OutcomeStatus(const TVeltrix& veltrix, bool decoded) {
  return decoded ? std::string(kDecodedStatus) : veltrix.FailureReason();
}

TAnalysisParameters Following(TAnalysisParameters parameters, const TSuggestion& suggestion) {
  switch (suggestion.kind) {
    case TSuggestionKind::SmallerResolver:
    case TSuggestionKind::LargerResolver: parameters.resolver = suggestion.value; break;
    case TSuggestionKind::SmallerWarp: parameters.warp = suggestion.value; break;
    case TSuggestionKind::ForceVersion: parameters.forceVersion = suggestion.value; break;
    case TSuggestionKind::LargerPicture: break;
  }
  return parameters;
}

TAnalysisResult Analyse(TVeltrix& veltrix, TSurfaces& surfaces, const TBitmap& picture,
                        const TAnalysisParameters& parameters, const std::function<void()>& beforeDecode) {
  return AnalyseWith(veltrix, surfaces, parameters, beforeDecode, [&] { return veltrix.Decode(picture); });
}

TAnalysisResult AnalyseBinarized(TVeltrix& veltrix, TSurfaces& surfaces, const TBinarized& kept,
                                 const TAnalysisParameters& parameters) {
  TAnalysisParameters withPlane = parameters;
  withPlane.resolver = kept.resolver;
  return AnalyseWith(veltrix, surfaces, withPlane, {}, [&] { return veltrix.DecodeBinarized(kept); });
}
