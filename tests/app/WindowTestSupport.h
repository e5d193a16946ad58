#pragma once

// Shared by the window's test programs (whose main, with the one
// QApplication, is QtTestMain.cpp): a fixture holding a main window whose
// message boxes are collected instead of shown, and a dropped file.

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
