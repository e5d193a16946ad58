// Pictures reach the window four ways: the load command through its designed
// dialog, the added "画像を開く（PNG も）…" through a dialog of every kind the
// loader reads, a drop, and the start-up argument (LoadPictureFile, which the
// program calls with it). Each way loads PNG files; a file that cannot be
// opened ends with its name in status panel 1 while the picture shown stays.

#include <functional>

#include <QAbstractItemView>
#include <QAction>
#include <QFileDialog>
#include <QLineEdit>
#include <QMenu>
#include <QTimer>
#include <gtest/gtest.h>

#include "PictureFiles.h"
#include "TestPng.h"
#include "WindowTestSupport.h"

namespace {

using namespace testing_support;
using window_testing::MainWindow;

class WindowPictureFiles : public MainWindow {
 protected:
  // The next file dialog to open is answered with `path`, as typed into its
  // name field; `answered` receives the dialog's name.
  void AnswerNextDialog(const QString& path, QString* answered) {
    auto* poll = new QTimer(form_.get());
    poll->setInterval(1);
    QObject::connect(poll, &QTimer::timeout, poll, [poll, path, answered] {
      auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
      if (dialog == nullptr) return;
      poll->stop();
      poll->deleteLater();
      *answered = dialog->objectName();
      // Typing drops the file chosen on the dialog's last opening only while
      // the name field has the focus, which the offscreen platform may give
      // late on a busy machine; that file would then be opened instead.
      if (auto* list = dialog->findChild<QAbstractItemView*>(QStringLiteral("listView"))) list->clearSelection();
      dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->setText(path);
      static_cast<QDialog*>(dialog)->done(QDialog::Accepted);
    });
    poll->start();
  }
  QAction* Action(const char* name) { return Find<QAction>(name); }
};

TEST_F(WindowPictureFiles, TheAddedCommandsDialogListsEveryKindTheDesignedOneKeepsItsFilter) {
  QAction* open = Action("OpenAnyAction");
  ASSERT_NE(open, nullptr);
  EXPECT_EQ(open->text(), "画像を開く（PNG も）…");
  EXPECT_EQ(open->shortcut(), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_O));
  EXPECT_TRUE(Find<QMenu>("ToolsMenu")->actions().contains(open));
  EXPECT_EQ(Find<QFileDialog>("OpenAnyDialog")->nameFilters(),
            (QStringList{"画像 (*.jpg *.jpeg *.bmp *.png)", "JPEG (*.jpg *.jpeg)", "BMP (*.bmp)", "PNG (*.png)",
                         "すべてのファイル (*)"}));
  EXPECT_EQ(Find<QFileDialog>("OpenDialog1")->nameFilters(), (QStringList{"Jpeg (*.jpg *.jpeg)", "bmp (*.bmp)"}));
  EXPECT_EQ(NotAPictureText("/a/notes.txt"), "notes.txt は読み込めません（.jpg、.jpeg、.bmp、.png のファイルだけです）");
}

TEST_F(WindowPictureFiles, EveryWayLoadsPngAndEndsAFailureInPanelOne) {
  const TBitmap shown = RenderSymbol(EncodeBytes("shown", 1, 1), 3);
  ASSERT_EQ(Load(shown, "shown.bmp"), TForm1::TLoadResult::Loaded);
  const TBitmap symbol = RenderSymbol(EncodeBytes("PNG", 2, 1), 3);
  WritePng(symbol, dir_.filePath("symbol.png").toStdString(), {TPngColours::Palette, 1});
  const std::string png = ReadFile(dir_.filePath("symbol.png").toStdString());
  WriteFile(dir_.filePath("truncated.png").toStdString(), png.substr(0, png.size() / 2));
  WriteFile(dir_.filePath("notes.gif").toStdString(), "not a picture");

  const struct {
    const char* way;
    std::function<void(const QString&)> open;
  } ways[] = {
      {"designed dialog",
       [&](const QString& path) {
         QString answered;
         AnswerNextDialog(path, &answered);
         Action("ReadMenuItem")->trigger();
         EXPECT_EQ(answered, "OpenDialog1");
       }},
      {"added dialog",
       [&](const QString& path) {
         QString answered;
         AnswerNextDialog(path, &answered);
         Action("OpenAnyAction")->trigger();
         EXPECT_EQ(answered, "OpenAnyDialog");
       }},
      {"drop", [&](const QString& path) { window_testing::DropFile(*form_, path); }},
      // The program's call, with panel 1 as empty as at start-up.
      {"start-up argument",
       [&](const QString& path) {
         form_->Surfaces().SetStatus(1, "");
         form_->LoadPictureFile(path);
       }},
  };
  const struct {
    const char* name;
    bool loads;
    bool messageBox;  // a damaged or missing file; a file of another kind only in panel 1
  } files[] = {{"symbol.png", true, false},
               {"truncated.png", false, true},
               {"missing.png", false, true},
               {"notes.gif", false, false}};
  for (const auto& way : ways) {
    for (const auto& file : files) {
      SCOPED_TRACE(std::string(way.way) + ", " + file.name);
      ASSERT_EQ(form_->LoadPictureFile(dir_.filePath("shown.bmp")), TForm1::TLoadResult::Loaded);
      form_->Surfaces().SetStatus(1, "earlier text");
      messages_.clear();
      way.open(dir_.filePath(file.name));
      EXPECT_EQ(form_->Picture(), file.loads ? symbol : shown);
      EXPECT_EQ(form_->Surfaces().Image(TImagePaneId::Image1).CurrentPicture(), form_->Picture());
      if (file.loads) {
        EXPECT_EQ(Status(1), "");
      } else {
        EXPECT_TRUE(Status(1).contains(file.name)) << Status(1).toStdString();
      }
      EXPECT_EQ(messages_.size(), file.messageBox ? 1 : 0);
    }
  }
}

}  // namespace
