#pragma once

#include <span>

#include "UiLanguage.h"

// The window's texts in English, one table per window or area. A new window
// adds a table (a function below, its rows in a file of its own) and one line
// in UiTextTables (UiTexts.cpp).

// The main window: menus, buttons, fields, pages, panes, their context menus
// and the readouts, the diagnosis page, the messages of the window.
std::span<const TUiTextPair> MainWindowTexts();
// The explorer, the sample maker, the class set and the help window.
std::span<const TUiTextPair> ToolWindowTexts();
// The error-correction lab.
std::span<const TUiTextPair> LabWindowTexts();
