#include "decoder/Analysis.h"

#include <exception>

#include "common/ShiftJis.h"
#include "decoder/Decorder.h"

namespace {

// Status panel 1 after a successful decode.
constexpr const char* kDecodedStatus = "Ｏｋ";

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
