#pragma once

#include <vector>

#include <QRgb>
#include <QString>

#include "UiLanguage.h"
#include "common/Surfaces.h"

// What each colour on a pane means: shown below the pane, and drawn below it
// when the pane is saved as shown.
struct TLegendEntry {
  QRgb colour;
  const char* text;
};
struct TLegend {
  TImagePaneId pane;
  std::vector<TLegendEntry> entries;
};

const std::vector<TLegend>& Legends();
// The pane's legend; null for a pane without one.
const TLegend* LegendOf(TImagePaneId pane);
// The legend as rich text: a square of each colour and its meaning.
TUiText LegendText(const TLegend& legend);
