#pragma once

#include <array>
#include <bitset>
#include <cstddef>
#include <optional>
#include <string>

#include "common/Surfaces.h"

// The panes as files: the pictures as PNG (see PngFile.h), the text panes and
// status panels as UTF-8 text.

// The PNG file of one image pane.
struct TPanePng {
  // The file's bytes; empty when the pane holds no picture or shows the same
  // picture as an earlier pane.
  std::string file;
  // The earlier pane that shows the same picture (the loaded picture is on
  // Image1 and Image2): its file serves both, encoded once.
  std::optional<std::size_t> sameAs;
};

// Every image pane's PNG file, in the order of TImagePaneId, encoded on
// `threads` threads (0: every core the machine has); the panes in `skipped`,
// and those that show the same picture, are left empty. Throws
// std::runtime_error when a picture cannot be encoded.
std::array<TPanePng, kImagePaneCount> EncodePanePictures(const TSurfaces& surfaces,
                                                         std::bitset<kImagePaneCount> skipped = {}, unsigned threads = 0);

// Writes every image pane that holds a picture as <Pane>.png, every text pane
// as <Pane>.txt (UTF-8, one line per line) and the two status panels as
// StatusBar.txt into `folder`, creating it when missing. All or nothing: the
// files are written under temporary names and renamed over the old pane files
// only once every one is written; on a failure the folder keeps what it held,
// and a folder made here is removed again. A pane without a picture removes
// its old <Pane>.png; no other file of the folder is touched. Throws
// TOutputError with a one-line message naming the path and the reason.
void WritePanes(const TSurfaces& surfaces, const std::string& folder);
