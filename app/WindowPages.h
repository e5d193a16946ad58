#pragma once

#include <functional>

#include <QFont>
#include <QString>

class QLabel;
class QTabWidget;
class QWidget;
class TDiagnosisPage;
class TPaneFit;
class TWindowSurfaces;

// The window's pages as the page table (report/Pages.h) describes them, and
// the fonts the window was designed with.

// The window's font; text panes use a fixed-pitch one of the same height.
QFont WindowFont();

// A label at (x, y), as wide as its text; `name` becomes its object name.
QLabel* AddLabel(QWidget* parent, const QString& text, int x, int y, const char* name = nullptr);

struct TWindowPages {
  QTabWidget* control = nullptr;
  // The page that shows the loaded picture, brought to the front by a load.
  QWidget* loadPage = nullptr;
  TDiagnosisPage* diagnosis = nullptr;
  // Where the panes stand: as designed, or fitted to the window.
  TPaneFit* fit = nullptr;
};

// The page control: one tab per page of the table, in its order, under its
// caption and object name; each pane at its place in a sunken frame (image
// panes) with its label above it, bound to `surfaces`. The diagnosis page
// offers `explore` (the explorer command). The opening page is in front.
TWindowPages BuildWindowPages(TWindowSurfaces& surfaces, std::function<void()> explore);
