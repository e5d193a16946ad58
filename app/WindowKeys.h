#pragma once

#include <QKeyCombination>

class QWidget;

// Keys that work wherever the focus is in a window.
//
// A window's commands are the shortcuts of its actions and QShortcuts (those
// of its menus included; not those of its dialogs or of other windows). Qt
// lets the widget with the focus claim a key first: a spin field takes Ctrl+E
// as "end of line" on X11, a text pane may take others. Here every widget of
// the window declines such a claim for a key of the window's commands, so that
// the command runs. A window should give its commands keys that editing does
// not need (F keys and Ctrl combinations, never a plain letter or digit).

// Installs that refusal for `window`, for as long as the window lives.
void LeaveCommandKeysToWindow(QWidget& window);

// True when `key` (an event's key and modifiers) runs one of the commands of
// `window`. Shift+Tab arrives as Backtab and matches either spelling.
bool IsCommandKey(const QWidget& window, QKeyCombination key);

// A window beside the main window (the help, the explorer, a lab window):
// Esc and Ctrl+W close it from any of its widgets, and its widgets leave its
// command keys to it.
void CloseWithKeys(QWidget& window);
