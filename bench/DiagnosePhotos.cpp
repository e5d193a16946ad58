// The diagnosis of a set of pictures, and what following its suggestions
// does: every picture is analysed with the window's presets, its verdict
// printed, and each suggestion tried in turn on a fresh analysis. The summary
// breaks the pictures down by the stage that stopped them, and counts per kind
// of suggestion how often following it got past that stage, decoded the
// picture (to the text in NAME.txt beside NAME.bmp, when there is one) or
// stopped earlier.
//
//   morilux-diagnose-photos [--quiet] FOLDER_OR_PICTURE...

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "common/ShiftJis.h"
#include "decoder/Analysis.h"
#include "decoder/DiagnosisTexts.h"
#include "picture/PictureLoader.h"

namespace fs = std::filesystem;

namespace {

std::vector<fs::path> Pictures(const std::vector<std::string>& sources) {
  std::vector<fs::path> pictures;
  for (const std::string& source : sources) {
    if (!fs::is_directory(source)) {
      pictures.emplace_back(source);
      continue;
    }
    std::vector<fs::path> found;
    for (const fs::directory_entry& entry : fs::directory_iterator(source)) {
      const std::string extension = LowerCaseExtension(entry.path().string());
      if (extension == ".bmp" || extension == ".jpg" || extension == ".jpeg") found.push_back(entry.path());
    }
    std::sort(found.begin(), found.end());
    pictures.insert(pictures.end(), found.begin(), found.end());
  }
  return pictures;
}

// The text the picture holds, from NAME.txt; empty when there is none.
std::string Expected(fs::path picture) {
  picture.replace_extension(".txt");
  std::ifstream file(picture, std::ios::binary);
  std::ostringstream text;
  text << file.rdbuf();
  return text.str();
}

// How far an analysis got: the stage, one past Done for a wrong text.
int Reach(const TAnalysisResult& result, const std::string& expected) {
  if (result.decoded && !expected.empty() && ShiftJisToUtf8(result.text) != expected) return static_cast<int>(kStageCount);
  return static_cast<int>(result.stage);
}

struct TTally {
  int given = 0, further = 0, decoded = 0, earlier = 0;
};

}  // namespace

int main(int argc, char** argv) {
  bool quiet = false;
  std::vector<std::string> sources;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--quiet") == 0)
      quiet = true;
    else
      sources.emplace_back(argv[i]);
  }
  if (sources.empty()) {
    std::fprintf(stderr, "usage: morilux-diagnose-photos [--quiet] FOLDER_OR_PICTURE...\n");
    return 2;
  }

  // Keyed by stage, so that the summary follows the pipeline.
  std::map<TStage, int> stages;
  std::map<TStage, std::map<std::string, int>> evidence;
  std::map<std::string, TTally> tallies;
  int wrong = 0;
  for (const fs::path& path : Pictures(sources)) {
    std::optional<TBitmap> picture;
    try {
      picture = LoadPicture(path.string());
    } catch (const TPictureError& failure) {
      std::printf("%s\tunloadable: %s\n", path.filename().c_str(), failure.what());
      continue;
    }
    if (!picture) continue;
    const std::string expected = Expected(path);
    TSurfaces surfaces;
    TVeltrix veltrix(surfaces);
    const TAnalysisParameters presets;
    const TAnalysisResult result = Analyse(veltrix, surfaces, *picture, presets);
    const int reach = Reach(result, expected);
    if (reach == static_cast<int>(kStageCount)) ++wrong;
    const TStage stage = result.verdict.stage;
    ++stages[stage];
    ++evidence[stage][std::string(KeyOf(result.verdict.evidence.kind))];
    if (!quiet) std::printf("%s\t%s\n", path.filename().c_str(), DiagnosisLine(result.verdict).c_str());

    for (const TSuggestion& suggestion : result.verdict.suggestions) {
      TTally& tally = tallies[std::string(KeyOf(suggestion.kind))];
      ++tally.given;
      if (suggestion.kind == TSuggestionKind::LargerPicture) continue;
      const TAnalysisResult followed = Analyse(veltrix, surfaces, *picture, Following(presets, suggestion));
      const int after = Reach(followed, expected);
      if (after > reach) ++tally.further;
      if (followed.decoded && after != static_cast<int>(kStageCount)) ++tally.decoded;
      if (after < reach) ++tally.earlier;
      if (!quiet)
        std::printf("\t%s %d: %s\n", std::string(KeyOf(suggestion.kind)).c_str(), suggestion.value,
                    followed.decoded ? (after == static_cast<int>(kStageCount) ? "decoded, other text" : "decoded")
                                     : NameOf(followed.stage).key.data());
    }
  }

  std::printf("\nStopped by stage (the stage the diagnosis names), with its evidence:\n");
  for (const auto& [stage, count] : stages) {
    std::printf("  %-22s %3d", std::string(NameOf(stage).key).c_str(), count);
    for (const auto& [kind, n] : evidence[stage]) std::printf("  %s %d", kind.c_str(), n);
    std::printf("\n");
  }
  if (wrong > 0) std::printf("  (%d decoded to a text other than NAME.txt)\n", wrong);
  std::printf("\nSuggestions followed: given, got past the stage, decoded, stopped earlier:\n");
  for (const auto& [kind, tally] : tallies)
    std::printf("  %-18s %3d %3d %3d %3d\n", kind.c_str(), tally.given, tally.further, tally.decoded, tally.earlier);
  return 0;
}
