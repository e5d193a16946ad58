// What the window remembers between runs: the folder of the last picture
// loaded, where the open dialogs start, kept in the settings folder the
// program was pointed at (here the test's own).

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QSettings>
#include <gtest/gtest.h>

#include "WindowSettings.h"
#include "WindowTestSupport.h"

namespace {

using namespace testing_support;
using window_testing::MainWindow;

class WindowSettings : public MainWindow {
 protected:
  QString Folder(const char* name) {
    const QString folder = dir_.filePath(QString::fromLatin1(name));
    EXPECT_TRUE(QDir().mkpath(folder));
    return QFileInfo(folder).absoluteFilePath();
  }
  // Where the two open dialogs of a window start.
  static QStringList DialogFolders(TForm1& form) {
    QStringList folders;
    for (const char* name : {"OpenDialog1", "OpenAnyDialog"})
      folders << form.findChild<QFileDialog*>(QString::fromLatin1(name))->directory().absolutePath();
    return folders;
  }
};

// A picture loaded from a folder makes the next window's dialogs start there;
// a load that fails changes nothing; a remembered folder that has gone is not used.
TEST_F(WindowSettings, TheNextWindowStartsItsDialogsInTheFolderOfTheLastPicture) {
  const QString first = Folder("first");
  const QString second = Folder("second");
  EXPECT_TRUE(LastPictureFolder().isEmpty());

  ASSERT_EQ(Load(RenderSymbol(EncodeBytes("folder", 1, 1), 4), "first/picture.bmp"), TForm1::TLoadResult::Loaded);
  EXPECT_EQ(LastPictureFolder(), first);
  // This window's dialogs follow at once.
  EXPECT_EQ(DialogFolders(*form_), (QStringList{first, first}));
  {
    TForm1 next;
    EXPECT_EQ(DialogFolders(next), (QStringList{first, first}));
  }
  // A damaged file or a file of another kind in another folder is not remembered.
  WriteFile(QDir(second).filePath("broken.bmp").toStdString(), "BM broken");
  EXPECT_EQ(form_->LoadPictureFile(QDir(second).filePath("broken.bmp")), TForm1::TLoadResult::Failed);
  EXPECT_EQ(form_->LoadPictureFile(QDir(second).filePath("notes.txt")), TForm1::TLoadResult::Unsupported);
  EXPECT_EQ(LastPictureFolder(), first);

  ASSERT_EQ(Load(TBitmap(8, 8), "second/picture.bmp"), TForm1::TLoadResult::Loaded);
  EXPECT_EQ(LastPictureFolder(), second);
  ASSERT_TRUE(QDir(second).removeRecursively());
  EXPECT_TRUE(LastPictureFolder().isEmpty());

  // Kept in the settings folder the program was given, and nowhere in the test's files.
  QSettings kept(QDir(settings_.path()).filePath("Morilux.conf"), QSettings::IniFormat);
  EXPECT_EQ(kept.value("files/lastFolder").toString(), second);
  EXPECT_FALSE(QFileInfo::exists(dir_.filePath("Morilux.conf")));
}

}  // namespace
