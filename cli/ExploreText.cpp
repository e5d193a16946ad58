#include "ExploreText.h"

#include "common/DecodeStages.h"
#include "report/ExploreCells.h"

namespace {

std::string Cell(const TExploreCell& cell) {
  if (!cell.ran) return " ";
  if (!cell.result.decoded) return std::string(StageLetter(cell.result.stage));
  return cell.textIndex < 26 ? std::string(1, static_cast<char>('A' + cell.textIndex)) : "*";
}

std::string RightAligned(const std::string& text, std::size_t width) {
  return std::string(width > text.size() ? width - text.size() : 0, ' ') + text;
}

}  // namespace

std::string ExploreMapText(const TExploreMap& map) {
  const std::optional<std::size_t> chosen = map.Chosen();
  std::string text = "Parameter map (ForceVersion " + std::to_string(map.grid.forceVersion) + "):\n";
  text += "Resolver \\ Warp";
  for (const std::int32_t warp : map.grid.warps) text += RightAligned(std::to_string(warp), 4);
  text += "\n";
  for (std::size_t r = 0; r < map.grid.resolvers.size(); ++r) {
    text += RightAligned(std::to_string(map.grid.resolvers[r]), 15);
    for (std::size_t w = 0; w < map.grid.warps.size(); ++w) {
      const std::size_t index = r * map.grid.warps.size() + w;
      const std::string mark = Cell(map.cells[index]);
      text += chosen == index ? "  [" + mark + "]" : "   " + mark;
    }
    text += "\n";
  }
  text += "Stopped at:";
  for (const TStageName& stage : kStageNames)
    if (stage.stage != TStage::Done)
      text.append(" ").append(StageLetter(stage.stage)).append(" ").append(stage.key).append(",");
  text.back() = '\n';
  if (!map.texts.empty())
    text += "Decoded: a capital letter per distinct text (" + std::to_string(map.texts.size()) + " in all).\n";
  if (!map.complete) text += "The exploration was cancelled.\n";
  if (chosen) {
    text += "Chosen: Resolver " + std::to_string(map.cells[*chosen].resolver) + ", Warp " +
            std::to_string(map.cells[*chosen].warp) + "\n";
  } else {
    text += "No cell decodes.\n";
  }
  if (map.texts.size() > 1)
    text += "Cells decode to " + std::to_string(map.texts.size()) + " different texts: some reading is wrong.\n";
  return text;
}
