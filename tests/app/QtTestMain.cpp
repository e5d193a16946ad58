// The main of every window test program: gtest's, with the one QApplication
// the widgets need, on Qt's offscreen platform unless another is asked for.
// The application goes before the exit handlers run, where Qt's own globals
// may already be gone. The window's remembered settings, and anything else
// kept in the user's configuration folder (the file dialogs' history), go to
// a folder of this program's own, removed at the end, never to the user's
// and never to one that test programs running at the same time share (a
// fixture points the window's at a folder of the test's own).

#include <gtest/gtest.h>

#include <QApplication>
#include <QFile>

#include "TempFolder.h"
#include "WindowSettings.h"

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  const testing_support::TTempFolder settings("qt-settings");
  qputenv("XDG_CONFIG_HOME", settings.Folder().c_str());
  UseSettingsFolder(QFile::decodeName(settings.Folder().c_str()));
  QApplication application(argc, argv);
  return RUN_ALL_TESTS();
}
