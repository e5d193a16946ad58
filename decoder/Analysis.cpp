#include "decoder/Analysis.h"

#include <exception>

#include "common/ShiftJis.h"
#include "decoder/Decorder.h"

namespace {

// Status panel 1 after a successful decode.
constexpr const char* kDecodedStatus = "Ｏｋ";

}  // namespace

std::string OutcomeStatus(const TVeltrix& veltrix, bool decoded) {
  return decoded ? std::string(kDecodedStatus) : veltrix.FailureReason();
}

TAnalysisResult Analyse(TVeltrix& veltrix, TSurfaces& surfaces, const TBitmap& picture,
                        const TAnalysisParameters& parameters, const std::function<void()>& beforeDecode) {
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
    result.decoded = veltrix.Decode(picture);
  } catch (const std::exception& failure) {
    result.aborted = true;
    result.failureReason = failure.what();
    result.stage = veltrix.StoppedAt();
    surfaces.SetStatus(1, result.failureReason);
    return result;
  }
  result.stage = veltrix.StoppedAt();
  result.text = veltrix.DecodedText();
  result.errorText = veltrix.GetErrorText();
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
