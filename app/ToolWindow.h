#pragma once

#include "UiLanguage.h"

class QWidget;

// The main window's tool windows (explorer, sample maker, lab, class set,
// help): each made on first use, in the window's language, and kept; the
// command that opens one brings it to the front.

// `window`, made by `make` when there is none yet.
template <typename TWindow, typename TMake>
TWindow& MadeOnFirstUse(TWindow*& window, TMake make) {
  if (window == nullptr) {
    window = make();
    TranslateNewWindow(window);
  }
  return *window;
}

// Shows `window` above the others, active.
void BringToFront(QWidget& window);
