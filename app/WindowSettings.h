#pragma once

#include <QString>

// What the window remembers from one run to the next, in the user's settings
// through QSettings (on Linux ~/.config/Morilux/Morilux.conf): the folder the
// last picture was loaded from, where the open dialogs start.
//
// A program that must not touch the user's settings (the tests, the batch
// program) points them at a folder of its own before the window is made.

// From now on the settings are FOLDER/Morilux.conf; an empty name returns to
// the user's own settings.
void UseSettingsFolder(const QString& folder);

// The folder of the last picture loaded, when one is remembered and it still
// exists; empty otherwise.
QString LastPictureFolder();
// Remembers `folder` as the folder of the last picture loaded.
void RememberPictureFolder(const QString& folder);

// The language of the window's texts as remembered: "en" or "ja"; empty when
// none is.
QString RememberedLanguage();
void RememberLanguage(const QString& language);
