#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include <QImage>
#include <QLabel>
#include <QPlainTextEdit>
#include <QStringList>
#include <QWidget>

#include "common/Bitmap.h"
#include "common/Surfaces.h"

// Stretches pictures to the size of a pane, the aspect ratio not kept.
// Shrinking averages the pixels of each box (a 1-pixel line of a photograph
// stays visible); enlarging repeats pixels, so that module matrices keep sharp
// edges. No full-size copy of a picture is made. The panes that show the same
// binary plane share the count of its dark pixels per box, and only the pixels
// painted over it are looked at for each pane; a picture shown on two panes
// is shrunk once.
class TPaneScaler {
 public:
  QImage Scale(const TBitmap& picture, QSize size);

 private:
  QImage Shrink(const TBitmap& picture, QSize size);
  QImage ShrinkPlanePicture(const TBitmap& picture, QSize size);

  // The last picture shrunk, for a second pane that shows it.
  TBitmap lastPicture_;
  QSize lastSize_;
  QImage lastImage_;
  // Dark pixels per box of the last plane, for the next pane over the same plane.
  std::shared_ptr<const TPlaneBoolean> plane_;
  std::int32_t planeWidth_ = 0;
  std::int32_t planeHeight_ = 0;
  QSize planeSize_;
  std::vector<std::uint32_t> darkCounts_;
};

// An image pane on a page: shows its picture stretched to the whole widget,
// the aspect ratio not kept.
class TImageView : public QWidget {
 public:
  explicit TImageView(QWidget* parent = nullptr);

  // Scales the picture once (through `scaler` when given, else through one of
  // the view's own); painting only copies the result.
  void SetPicture(const TBitmap& picture, TPaneScaler* scaler = nullptr);
  // True when the pane shows exactly this picture already.
  bool Shows(const TBitmap& picture) const { return picture_.SharesPixels(picture); }
  // The picture as shown (widget size), null while the pane is empty.
  const QImage& Shown() const { return shown_; }
  // Size of the picture the pane holds, before stretching.
  QSize PictureSize() const { return pictureSize_; }

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  void Rescale(TPaneScaler* scaler);

  TBitmap picture_;  // shares the pane's pixels; kept for a change of the widget's size
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

  // Shows every pane's current picture and the lines appended since the last
  // refresh. A pane whose picture has not changed since it was shown is left alone.
  void Refresh();
  // Shows one image pane's current picture.
  void RefreshImage(TImagePaneId id);

 private:
  class TViewImagePane;
  class TMemoTextPane;

  std::array<std::unique_ptr<TViewImagePane>, kImagePaneCount> imagePanes_;
  std::array<std::unique_ptr<TMemoTextPane>, kTextPaneCount> textPanes_;
  std::array<QLabel*, 2> statusPanels_{};
  TPaneScaler scaler_;
};
