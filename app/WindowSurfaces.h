#pragma once

#include <array>
#include <memory>

#include <QImage>
#include <QLabel>
#include <QPlainTextEdit>
#include <QStringList>
#include <QWidget>

#include "common/Bitmap.h"
#include "common/Surfaces.h"

// A picture as Qt shows it: 0x00BBGGRR values become QImage::Format_RGB32.
// An empty bitmap gives a null image.
QImage ToQImage(const TBitmap& bitmap);

// An image pane on a page: shows its picture stretched to the whole widget,
// the aspect ratio not kept.
class TImageView : public QWidget {
 public:
  explicit TImageView(QWidget* parent = nullptr);

  // Converts and scales the picture once; painting only copies the result.
  void SetPicture(const TBitmap& picture);
  // The picture as shown (widget size), null while the pane is empty.
  const QImage& Shown() const { return shown_; }
  // Size of the picture the pane holds, before stretching.
  QSize PictureSize() const { return pictureSize_; }

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  void Rescale();

  QImage source_;  // the full picture, kept only until the widget has a size
  QImage shown_;
  QSize pictureSize_;
};

// A text pane. `WantReturns` false leaves the Enter key to the window
// instead of inserting a line break.
class TMemo : public QPlainTextEdit {
 public:
  explicit TMemo(QWidget* parent = nullptr);
  void SetWantReturns(bool want) { wantReturns_ = want; }
  bool WantReturns() const { return wantReturns_; }

 protected:
  void keyPressEvent(QKeyEvent* event) override;

 private:
  bool wantReturns_ = true;
};

// The display surfaces of the main window. The stages write into the
// registry while the decode runs (the window does not repaint then);
// Refresh() brings the widgets up to date afterwards, in one pass.
class TWindowSurfaces : public TSurfaces {
 public:
  TWindowSurfaces();
  ~TWindowSurfaces() override;

  void BindImage(TImagePaneId id, TImageView* view);
  void BindText(TTextPaneId id, TMemo* memo);
  void BindStatus(QLabel* panel0, QLabel* panel1);

  void SetStatus(int panel, const std::string& text) override;

  // Shows every pane's current picture and the lines appended since the last refresh.
  void Refresh();
  // Shows one image pane's current picture.
  void RefreshImage(TImagePaneId id);

 private:
  class TViewImagePane;
  class TMemoTextPane;

  std::array<std::unique_ptr<TViewImagePane>, kImagePaneCount> imagePanes_;
  std::array<std::unique_ptr<TMemoTextPane>, kTextPaneCount> textPanes_;
  std::array<QLabel*, 2> statusPanels_{};
};
