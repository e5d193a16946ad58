#pragma once

#include <string_view>
#include <vector>

#include "common/Surfaces.h"

// The window's pages as every front end shows them: in order, each with its
// object name, its caption and its panes, each pane with the label the window
// puts above it. Layout (positions and sizes) is the window's own.

struct TPagePane {
  enum class TKind { Image, Text };
  TKind kind = TKind::Image;
  TImagePaneId image = TImagePaneId::Image1;
  TTextPaneId text = TTextPaneId::ImgMemo;
  // The label above the pane; empty when the window shows none.
  std::string_view label;
  // A picture of one pixel per module, to be enlarged with crisp square pixels.
  bool modules = false;
};

struct TPage {
  // The page's object name, also the key of its explanation (StageTexts).
  std::string_view key;
  std::string_view caption;
  std::vector<TPagePane> panes;
};

// The ten pages in the window's order.
const std::vector<TPage>& Pages();

// The page appended after the ten: the diagnosis of the last analysis, drawn
// from the record and the verdict rather than from panes (it has none).
const TPage& DiagnosisPage();
