#pragma once

#include <functional>

#include <QImage>
#include <QObject>
#include <QString>

#include "common/Surfaces.h"

class QMenu;
class QWidget;
class TWindowSurfaces;

// Saving what the panes show: a pane's picture as PNG at full size, enlarged
// (module pictures, each module a square of pixels), or as the pane shows it
// (its view, marks and legend) at twice the display resolution, for slides;
// a text pane's lines as UTF-8 text. Every file is named through one chooser
// (the save dialog, or the one set by tests and batch runs) and written whole
// or not at all. Saving changes nothing the panes hold.
class TPaneExport : public QObject {
 public:
  // Asks for the name of a file to write (title, suggested name, filter);
  // an empty name cancels.
  using TFileChooser = std::function<QString(const QString& title, const QString& suggested, const QString& filter)>;
  using TMessage = std::function<void(const QString& text)>;

  // Display pixels per pane pixel of a pane saved as shown.
  static constexpr double kShownScale = 2;

  TPaneExport(QWidget& window, TWindowSurfaces& surfaces, TMessage message);

  void SetFileChooser(TFileChooser chooser) { chooser_ = std::move(chooser); }
  // The name of a file to write, from the chooser when one is set, else
  // from the save dialog. `options`, when given, is shown in the dialog below
  // its fields (and stays where it is while a set chooser runs), so that the
  // caller can read its state afterwards.
  QString ChooseFile(const QString& title, const QString& suggested, const QString& filter, QWidget* options = nullptr);

  // The pane's picture as PNG at full size, or, `enlarged`, each pixel a
  // square of SlideFactor pixels. False after a message.
  bool SavePicture(TImagePaneId pane, const QString& path, bool enlarged);
  // The pane as shown (ShownPicture) as PNG. False after a message.
  bool SaveShown(TImagePaneId pane, const QString& path);
  // The pane as it is shown at kShownScale times the display resolution: its
  // view (stretched or zoomed and panned), the marks when they are shown, the
  // nodes and an outlined codeword, and below it the pane's legend if it has
  // one. Null while the pane holds no picture.
  QImage ShownPicture(TImagePaneId pane) const;
  // The pane's lines as UTF-8 text, each ended by a line break.
  bool SaveText(TTextPaneId pane, const QString& path);

  // The saving and copying items of an image pane's context menu.
  void FillImageMenu(QMenu& menu, TImagePaneId pane);

  // How much a pane of a module matrix is enlarged when saved for slides.
  static int SlideFactor(int side);

 private:
  bool SavePng(const QImage& image, const QString& path);

  QWidget& window_;
  TWindowSurfaces& surfaces_;
  TMessage message_;
  TFileChooser chooser_;
};
