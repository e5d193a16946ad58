#include "report/PaneFiles.h"

#include <algorithm>
#include <memory>
#include <stdexcept>
#include <thread>
#include <vector>

#include "report/OutputFiles.h"
#include "report/PngFile.h"

namespace {

std::string TextFile(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += line + "\n";
  return text;
}

}  // namespace

std::array<TPanePng, kImagePaneCount> EncodePanePictures(const TSurfaces& surfaces, std::bitset<kImagePaneCount> skipped,
                                                         unsigned threads) {
  std::array<TPanePng, kImagePaneCount> files;
  std::vector<std::unique_ptr<TPngPicture>> pictures;
  std::vector<const TPngPicture*> toEncode;
  std::vector<std::size_t> panes;
  for (std::size_t i = 0; i < kImagePaneCount; ++i) {
    const TBitmap& picture = surfaces.Image(static_cast<TImagePaneId>(i)).CurrentPicture();
    if (picture.Empty()) continue;
    for (std::size_t earlier = 0; earlier < i && !files[i].sameAs; ++earlier)
      if (picture.SharesPixels(surfaces.Image(static_cast<TImagePaneId>(earlier)).CurrentPicture()))
        files[i].sameAs = files[earlier].sameAs.value_or(earlier);
    if (files[i].sameAs || skipped[i]) continue;
    pictures.push_back(std::make_unique<TPngPicture>(picture));
    toEncode.push_back(pictures.back().get());
    panes.push_back(i);
  }
  if (threads == 0) threads = std::max(1u, std::thread::hardware_concurrency());
  std::vector<std::string> encoded = EncodePngs(toEncode, threads);
  for (std::size_t k = 0; k < panes.size(); ++k) files[panes[k]].file = std::move(encoded[k]);
  return files;
}

void WritePanes(const TSurfaces& surfaces, const std::string& folder) {
  const std::vector<std::string> made = MakeFolders(folder);
  try {
    std::array<TPanePng, kImagePaneCount> pictures;
    try {
      pictures = EncodePanePictures(surfaces);
    } catch (const std::runtime_error& failure) {
      throw TOutputError("cannot write into " + folder + ": " + failure.what());
    }
    TFileBatch batch(folder);
    const auto pngName = [](std::size_t i) { return std::string(PaneName(static_cast<TImagePaneId>(i))) + ".png"; };
    for (std::size_t i = 0; i < kImagePaneCount; ++i) {
      if (pictures[i].sameAs)
        batch.WriteSame(pngName(i), pngName(*pictures[i].sameAs));
      else if (!pictures[i].file.empty())
        batch.Write(pngName(i), pictures[i].file);
      else
        // No picture: no file, and none left over from an earlier run either.
        batch.RemoveOnCommit(pngName(i));
    }
    for (std::size_t i = 0; i < kTextPaneCount; ++i) {
      const auto id = static_cast<TTextPaneId>(i);
      batch.Write(std::string(PaneName(id)) + ".txt", TextFile(surfaces.Text(id).Lines()));
    }
    batch.Write("StatusBar.txt", TextFile({surfaces.Status(0), surfaces.Status(1)}));
    batch.Commit();
  } catch (...) {
    RemoveFolders(made);
    throw;
  }
}
