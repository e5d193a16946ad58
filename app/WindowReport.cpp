#include "WindowReport.h"

#include <algorithm>
#include <optional>

#include "report/HtmlReport.h"

std::string WindowReport(const TWindowReportInput& input) {
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

  const TExploreMap* map = input.explored;
  const std::optional<std::size_t> chosen = map && map->complete ? map->Chosen() : std::nullopt;
  if (!chosen || TAnalysisParameters{map->cells[*chosen].resolver, map->cells[*chosen].warp, map->grid.forceVersion} !=
                     result.parameters)
    map = nullptr;
  return HtmlReport({input.pictureName, input.picture->Width(), input.picture->Height(), &shown, &result, map});
}
