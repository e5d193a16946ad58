#pragma once

// Shared by the window's test programs: one QApplication on Qt's offscreen
// platform, and a fixture holding a main window whose message boxes are
// collected instead of shown.

#include <memory>
#include <string>

#include <QApplication>
#include <QDropEvent>
#include <QFile>
#include <QLabel>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QStringList>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QUrl>
#include <gtest/gtest.h>

#include "MainUnit.h"
#include "TestSymbols.h"
#include "WindowSettings.h"
#include "WindowSurfaces.h"

namespace window_testing {

// One QApplication for the whole program, destroyed when the tests end (not
// among the exit handlers, where Qt's own globals may already be gone).
class QtEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    // The window's remembered settings go to a folder of this program's own,
    // never to the user's (a fixture points them at a folder of the test's
    // own); so does anything else kept in the user's configuration folder.
    settings_ = std::make_unique<QTemporaryDir>();
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(settings_->path()));
    UseSettingsFolder(settings_->path());
    application_ = std::make_unique<QApplication>(argc_, argv_);
  }
  void TearDown() override {
    settings_.reset();
    application_.reset();
  }

 private:
  int argc_ = 1;
  char name_[24] = "morilux_window_test";
  char* argv_[2] = {name_, nullptr};
  std::unique_ptr<QApplication> application_;
  std::unique_ptr<QTemporaryDir> settings_;
};

// A file dragged from a file manager and dropped on `target`; both events must be taken.
inline void DropFile(QWidget& target, const QString& path) {
  QMimeData data;
  data.setUrls({QUrl::fromLocalFile(path)});
  const QPoint at(target.width() / 2, target.height() / 2);
  QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(&target, &enter);
  EXPECT_TRUE(enter.isAccepted());
  QDropEvent drop(QPointF(at), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(&target, &drop);
  EXPECT_TRUE(drop.isAccepted());
}

class MainWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NE(QApplication::instance(), nullptr);
    ASSERT_TRUE(dir_.isValid() && settings_.isValid());
    // What the window remembers (the last folder) stays in a folder of the test's own.
    UseSettingsFolder(settings_.path());
    form_ = std::make_unique<TForm1>();
    form_->SetMessageSink([this](const QString& text) { messages_ << text; });
  }

  template <typename T>
  T* Find(const char* name) {
    T* widget = form_->findChild<T*>(QString::fromLatin1(name));
    EXPECT_NE(widget, nullptr) << name;
    return widget;
  }
  // The lines a text widget shows (a trailing empty line counts).
  QStringList MemoLines(const char* name) {
    const QString text = Find<QPlainTextEdit>(name)->toPlainText();
    return text.isEmpty() ? QStringList{} : text.split(QLatin1Char('\n'));
  }
  QString Status(int panel) { return Find<QLabel>(panel == 0 ? "StatusPanel0" : "StatusPanel1")->text(); }
  QString Page() { return Find<QTabWidget>("PageControl1")->currentWidget()->objectName(); }
  TForm1::TLoadResult Load(const TBitmap& bitmap, const QString& fileName) {
    testing_support::WriteBmp(bitmap, dir_.filePath(fileName).toStdString());
    return form_->LoadPictureFile(dir_.filePath(fileName));
  }
  TImageView* View(TImagePaneId pane) { return form_->Surfaces().View(pane); }

  std::unique_ptr<TForm1> form_;
  QStringList messages_;
  QTemporaryDir dir_;
  QTemporaryDir settings_;
};

}  // namespace window_testing
