#include "decoder/Analysis.h"

#include <exception>

#include "common/ShiftJis.h"
#include "decoder/Decorder.h"

namespace {

// Status panel 1 after a successful decode.
constexpr const char* kDecodedStatus = "Ｏｋ";

// The parameters a decode ran with, as its record holds them.
TAnalysisParameters ParametersOf(const TDiagnosis& record) {
  return {record.parameters.resolver, record.parameters.warp, record.parameters.forceVersion};
}

// The command around one decode. `writeParameters` writes the parameters into
// the facade, then `decode` runs the facade's decode.
template <typename WriteParameters, typename Decode>
TAnalysisResult RunAnalysisCommand(TVeltrix& veltrix, TSurfaces& surfaces, const std::function<void()>& beforeDecode,
                                   WriteParameters writeParameters, Decode decode) {
  surfaces.Text(TTextPaneId::ResultMemo).Clear();
  surfaces.Text(TTextPaneId::RdSnMemo).Clear();
  surfaces.Text(TTextPaneId::ImgMemo).Clear();
  surfaces.SetStatus(1, "解析中");
  if (beforeDecode) beforeDecode();
  writeParameters();

  TAnalysisResult result;
  result.listingStart = surfaces.Text(TTextPaneId::BLMemo).Lines().size();
  try {
    result.decoded = decode();
  } catch (const std::exception& failure) {
    result.aborted = true;
    result.failureReason = failure.what();
    result.stage = veltrix.StoppedAt();
    result.diagnosis = veltrix.Diagnosis();
    result.diagnosis.failure = result.failureReason;
    result.parameters = ParametersOf(result.diagnosis);
    result.verdict = Judge(result.diagnosis);
    surfaces.SetStatus(1, result.failureReason);
    return result;
  }
  result.stage = veltrix.StoppedAt();
  result.diagnosis = veltrix.Diagnosis();
  result.parameters = ParametersOf(result.diagnosis);
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
  const auto write = [&] {
    veltrix.SetWarp(parameters.warp);
    veltrix.SetResolver(parameters.resolver);
    veltrix.SetForceVersion(parameters.forceVersion);
  };
  return RunAnalysisCommand(veltrix, surfaces, beforeDecode, write, [&] { return veltrix.Decode(picture); });
}

TAnalysisResult AnalyseBinarized(TVeltrix& veltrix, TSurfaces& surfaces, const TBinarized& kept,
                                 const TAnalysisParameters& parameters) {
  // Resolver comes with the plane: the decode of the kept part writes it.
  const auto write = [&] {
    veltrix.SetWarp(parameters.warp);
    veltrix.SetForceVersion(parameters.forceVersion);
  };
  return RunAnalysisCommand(veltrix, surfaces, {}, write, [&] { return veltrix.DecodeBinarized(kept); });
}

TAnalysisResult AnalyseMatrix(TVeltrix& veltrix, TSurfaces& surfaces, const TPlaneBoolean& matrix) {
  // The facade decodes with the parameters it holds; nothing is written.
  return RunAnalysisCommand(veltrix, surfaces, {}, [] {}, [&] { return veltrix.DecodeMatrix(matrix); });
}
