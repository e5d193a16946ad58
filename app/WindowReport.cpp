#include "WindowReport.h"

#include <algorithm>
#include <filesystem>
#include <optional>

#include <QFile>

#include "report/AnswerSheet.h"
#include "report/HtmlReport.h"
#include "report/OutputFiles.h"
#include "UiLanguage.h"

TWindowReport WindowReport(const TWindowReportInput& input) {
  const TSurfaces& surfaces = *input.surfaces;
  TSurfaces shown;
  for (const TImagePaneId pane : {TImagePaneId::Image1, TImagePaneId::Image2})
    shown.Image(pane).ReplacePicture(surfaces.Image(pane).CurrentPicture());
  for (const TImagePaneId pane : *input.drawn) shown.Image(pane).ReplacePicture(surfaces.Image(pane).CurrentPicture());
  for (std::size_t i = 0; i < kTextPaneCount; ++i) {
    const auto pane = static_cast<TTextPaneId>(i);
    const std::vector<std::string>& lines = surfaces.Text(pane).Lines();
    const std::size_t from = pane == TTextPaneId::BLMemo ? std::min(input.analysis->listingStart, lines.size()) : 0;
    for (std::size_t line = from; line < lines.size(); ++line) shown.Text(pane).AppendLine(lines[line]);
  }
  for (const int panel : {0, 1}) shown.SetStatus(panel, surfaces.Status(panel));
  TAnalysisResult result = *input.analysis;
  result.listingStart = 0;
  if (!result.diagnosis.pictureHistogram && input.pictureHistogram != nullptr)
    result.diagnosis.pictureHistogram = *input.pictureHistogram;

  const TExploreMap* map = input.explored;
  const std::optional<std::size_t> chosen = map && map->complete ? map->Chosen() : std::nullopt;
  if (!chosen || map->ParametersOf(*chosen) != result.parameters) map = nullptr;
  const TReportInput report{.pictureName = input.pictureName,
                            .width = input.picture->Width(),
                            .height = input.picture->Height(),
                            .surfaces = &shown,
                            .result = &result,
                            .explored = map,
                            .made = input.made,
                            .pictureJpeg = input.source ? input.source->EmbeddableJpeg() : std::string(),
                            .hideAnswer = input.hideAnswer,
                            .trial = input.trial,
                            .operations = InEnglish() ? EnglishText(input.operations) : JapaneseText(input.operations),
                            .language = InEnglish() ? TReportLanguage::English : TReportLanguage::Japanese};
  return {HtmlReport(report), input.hideAnswer ? AnswerSheet(report) : std::string()};
}

std::optional<QString> SaveWindowReport(const QString& path, const TWindowReport& files) {
  const std::filesystem::path file(QFile::encodeName(path).toStdString());
  try {
    if (!file.has_filename()) throw TOutputError("cannot write " + file.string() + ": the name is a folder", "the name is a folder");
    TFileBatch batch(file.parent_path().string());
    batch.Write(file.filename().string(), files.report);
    if (!files.answers.empty())
      batch.Write(std::filesystem::path(AnswerSheetPath(file.string())).filename().string(), files.answers);
    batch.Commit();
  } catch (const TOutputError& error) {
    const QString failed = error.Path().empty() ? path : QFile::decodeName(QByteArray::fromStdString(error.Path()));
    return Ui(QStringLiteral("%1 を保存できませんでした：%2")).arg(failed, QString::fromStdString(error.Reason()));
  }
  return std::nullopt;
}
