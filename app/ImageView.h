#pragma once

#include <vector>

#include <QImage>
#include <QPoint>
#include <QPointF>
#include <QWidget>

#include "PaneScaler.h"
#include "common/Bitmap.h"
#include "common/Types.h"

// An image pane. It shows its picture stretched over the whole widget (the
// aspect ratio not kept) until the user zooms: the wheel zooms about the
// cursor (display pixels per picture pixel from 1/16 to 32, the aspect ratio
// kept), dragging pans, a double-click or the key 0 returns to the stretched
// view; + and - zoom about the centre, 1 shows one display pixel per picture
// pixel. Shrunk pictures are averaged, enlarged ones shown as crisp squares.
//
// Over the picture the pane can show marks, none of which changes the
// picture: the pixels that a stage painted over a binary plane, drawn in their
// own colour with priority over the averaging (at least two display pixels
// wide where the picture is shrunk); the alignment nodes of the sampling
// grid, as dots when shrunk and as rings when magnified; and an outlined
// group of pixels (a codeword's modules).
class TImageView : public QWidget {
  Q_OBJECT

 public:
  static constexpr double kMinZoom = 1.0 / 16;
  static constexpr double kMaxZoom = 32;

  explicit TImageView(QWidget* parent = nullptr);

  // Scales the picture once (through `scaler` when given, else through one of
  // the view's own); painting only copies the result. A picture of another
  // size than the previous one returns the pane to the stretched view.
  void SetPicture(const TBitmap& picture, TPaneScaler* scaler = nullptr);
  // True when the pane shows exactly this picture already.
  bool Shows(const TBitmap& picture) const { return picture_.SharesPixels(picture); }
  const TBitmap& Picture() const { return picture_; }
  // The pane as it is painted (widget size, marks included); null while the pane is empty.
  const QImage& Shown() const;
  // The same view drawn `scale` times larger (for slides): the picture through
  // axes of that many display pixels, the marks, nodes and outlines as wide
  // as shown, scaled alike. Null while the pane is empty.
  QImage Render(double scale) const;
  // Size of the picture the pane holds, before stretching.
  QSize PictureSize() const { return pictureSize_; }

  // --- The view ---
  bool Stretched() const { return stretched_; }
  // Display pixels per picture pixel (while stretched, across).
  double Zoom() const;
  // The picture position at the widget's top-left corner.
  QPointF Origin() const { return stretched_ ? QPointF() : origin_; }
  void ShowStretched();
  // One display pixel per picture pixel, about the middle of the pane.
  void ShowActualSize();
  // A zoomed view: `zoom` clamped to its range, panned no farther than the picture allows.
  void SetZoom(double zoom, QPointF origin);
  // Multiplies the zoom by `factor` keeping the picture point under `at` (widget pixels) in place.
  void ZoomAbout(QPointF at, double factor);
  void PanBy(QPointF displayDelta);
  // The picture pixel shown at widget pixel `at`, as painted; outside the
  // picture when no pixel is shown there.
  QPoint PixelAt(QPoint at) const;
  // Where the centre of picture pixel (x, y) lies in the widget.
  QPointF CentreOf(QPoint pixel) const;

  // --- Marks ---
  void SetMarksShown(bool shown);
  bool MarksShown() const { return marksShown_; }
  void SetNodes(std::vector<TPoint> nodes);
  const std::vector<TPoint>& Nodes() const { return nodes_; }
  void SetHighlight(std::vector<TPoint> pixels);
  const std::vector<TPoint>& Highlight() const { return highlight_; }
  // The number of painted pixels shown with priority in the last painting.
  std::size_t MarksPainted() const { return marksPainted_; }

 signals:
  void ViewChanged();
  // The picture pixel under the cursor, while it is over the picture.
  void PixelHovered(QPoint pixel);
  void HoverLeft();
  // A click (no drag) on a picture pixel.
  void PixelClicked(QPoint pixel);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void leaveEvent(QEvent* event) override;

 private:
  // The zoom at which the whole picture just fits, the aspect ratio kept.
  double FitZoom() const;
  // Leaves the stretched view for the zoomed one that shows the picture point
  // under `at` at the same place.
  void LeaveStretched(QPointF at, double zoom);
  void ClampOrigin();
  // Display pixels per picture pixel along each axis, as the view maps them.
  QPointF Scale() const;
  void ViewMoved();
  // The picture drawn through the view (base), then with the marks (frame).
  // Both wait until the pane is painted or asked for them, so that a view
  // that follows another on a hidden page costs nothing until it is shown.
  void Invalidate();
  void RenderBase(TPaneScaler* scaler) const;
  void Compose() const;
  // The picture through the view's axes at `scale` times the widget's size.
  QImage Boxes(double scale, TAxis* columns, TAxis* rows) const;
  // The marks, nodes and outlined pixels over a drawing of the picture
  // through these axes, `scale` times the widget's size. Returns the marks painted.
  std::size_t PaintOverlay(QImage& image, const TAxis& columns, const TAxis& rows, double scale) const;
  void Hover(QPoint at);

  TBitmap picture_;  // shares the pane's pixels; kept for a change of view or size
  QSize pictureSize_;
  mutable bool rendered_ = false;
  mutable QImage base_;
  mutable TAxis columns_;
  mutable TAxis rows_;
  mutable QImage frame_;
  mutable bool composed_ = false;
  mutable std::size_t marksPainted_ = 0;

  bool stretched_ = true;
  double zoom_ = 1;
  QPointF origin_;

  bool marksShown_ = true;
  std::vector<TPoint> nodes_;
  std::vector<TPoint> highlight_;

  bool pressed_ = false;
  bool dragging_ = false;
  QPoint pressAt_;
  QPoint lastAt_;
};
