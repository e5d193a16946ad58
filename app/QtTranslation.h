#pragma once

class QCoreApplication;
class QTranslator;

// Qt's own texts (the file dialogs, the buttons of message boxes, the text
// panes' context menu) in Japanese like the rest of the window, whatever the
// system's locale: Qt's Japanese translation (qtbase_ja.qm) from Qt's
// translations folder is installed in the application, and dialogs are Qt's
// own rather than the desktop's, which the translation does not reach.
// Returns the installed translator, or nullptr when the translation is
// missing (Qt's texts then stay English).
QTranslator* InstallQtJapanese(QCoreApplication& application);

// Qt's Japanese translation in use (installed again) or not (Qt's own texts in
// English), once InstallQtJapanese has installed it; nothing otherwise.
void UseQtJapanese(bool use);
