#include "ImageView.h"

#include <algorithm>
#include <cmath>

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>

namespace {

// Magnified at least this far (display pixels per picture pixel), the nodes
// are drawn as rings around their pixel rather than as dots.
constexpr double kRingScale = 2.0;
// Marks on a shrunk picture are at least this many display pixels wide.
constexpr double kMarkWidth = 2.0;
// One notch of a mouse wheel (120 eighths of a degree) zooms by 2^(1/4).
constexpr double kWheelEighthsPerDoubling = 480.0;
const QColor kNodeColour(0, 0, 255);
const QColor kHighlightFill(255, 140, 0, 150);
const QColor kHighlightEdge(200, 80, 0);

bool AnyLongerThanOne(const TAxis& axis) {
  return std::any_of(axis.begin(), axis.end(), [](const TBox& b) { return b.end - b.begin > 1; });
}

// The picture position shown at display position `at` of an axis: the one
// pixel of an enlarged box, else the pixel under the point within the box.
std::int32_t SourceAt(const TAxis& axis, double at, double scale, double origin) {
  const auto t = static_cast<std::int64_t>(std::floor(at));
  if (t < 0 || t >= static_cast<std::int64_t>(axis.size())) return -1;
  const TBox& box = axis[static_cast<std::size_t>(t)];
  if (box.Empty()) return -1;
  if (box.end - box.begin == 1) return box.begin;
  const double position = std::floor(origin + at / scale);
  return static_cast<std::int32_t>(std::clamp(position, static_cast<double>(box.begin), static_cast<double>(box.end - 1)));
}

}  // namespace

TImageView::TImageView(QWidget* parent) : QWidget(parent) {
  setAttribute(Qt::WA_OpaquePaintEvent, false);
  setMouseTracking(true);
  setFocusPolicy(Qt::ClickFocus);
}

void TImageView::SetPicture(const TBitmap& picture, TPaneScaler* scaler) {
  const QSize size(picture.Width(), picture.Height());
  if (size != pictureSize_) stretched_ = true;
  picture_ = picture;
  pictureSize_ = size;
  if (!stretched_) ClampOrigin();
  Invalidate();
  // The scaler shares its work among the panes refreshed together: use it now.
  if (scaler != nullptr && stretched_) RenderBase(scaler);
}

const QImage& TImageView::Shown() const {
  Compose();
  return frame_;
}

double TImageView::Zoom() const { return Scale().x(); }

QPointF TImageView::Scale() const {
  if (!stretched_) return {zoom_, zoom_};
  if (pictureSize_.isEmpty()) return {1, 1};
  return {static_cast<double>(width()) / pictureSize_.width(), static_cast<double>(height()) / pictureSize_.height()};
}

double TImageView::FitZoom() const {
  if (pictureSize_.isEmpty() || width() <= 0 || height() <= 0) return 1;
  const double fit = std::min(static_cast<double>(width()) / pictureSize_.width(),
                              static_cast<double>(height()) / pictureSize_.height());
  return std::clamp(fit, kMinZoom, kMaxZoom);
}

void TImageView::ShowStretched() {
  if (stretched_) return;
  stretched_ = true;
  ViewMoved();
}

void TImageView::ShowActualSize() {
  if (pictureSize_.isEmpty()) return;
  const QPointF centre(width() / 2.0, height() / 2.0);
  if (stretched_)
    LeaveStretched(centre, 1);
  else
    ZoomAbout(centre, 1 / zoom_);
}

void TImageView::SetZoom(double zoom, QPointF origin) {
  stretched_ = false;
  zoom_ = std::clamp(zoom, kMinZoom, kMaxZoom);
  origin_ = origin;
  ClampOrigin();
  ViewMoved();
}

void TImageView::LeaveStretched(QPointF at, double zoom) {
  const QPointF scale = Scale();
  const QPointF under(at.x() / scale.x(), at.y() / scale.y());
  const double z = std::clamp(zoom, kMinZoom, kMaxZoom);
  SetZoom(z, under - at / z);
}

void TImageView::ZoomAbout(QPointF at, double factor) {
  if (pictureSize_.isEmpty()) return;
  if (stretched_) {
    LeaveStretched(at, FitZoom() * factor);
    return;
  }
  const QPointF under = origin_ + at / zoom_;
  const double z = std::clamp(zoom_ * factor, kMinZoom, kMaxZoom);
  SetZoom(z, under - at / z);
}

void TImageView::PanBy(QPointF displayDelta) {
  if (pictureSize_.isEmpty()) return;
  if (stretched_) LeaveStretched(QPointF(width(), height()) / 2, FitZoom());
  SetZoom(zoom_, origin_ - displayDelta / zoom_);
}

void TImageView::ClampOrigin() {
  // Along an axis the picture fills, the view stays on it; along one that it
  // does not fill, the picture is centred.
  const auto clamp = [&](double origin, int source, int extent) {
    const double visible = extent / zoom_;
    if (source <= visible) return (source - visible) / 2;
    return std::clamp(origin, 0.0, source - visible);
  };
  origin_ = QPointF(clamp(origin_.x(), pictureSize_.width(), width()), clamp(origin_.y(), pictureSize_.height(), height()));
}

void TImageView::ViewMoved() {
  Invalidate();
  emit ViewChanged();
}

void TImageView::Invalidate() {
  rendered_ = false;
  composed_ = false;
  update();
}

QPoint TImageView::PixelAt(QPoint at) const {
  RenderBase(nullptr);
  const QPointF scale = Scale();
  const QPointF origin = Origin();
  const std::int32_t x = SourceAt(columns_, at.x() + 0.5, scale.x(), origin.x());
  const std::int32_t y = SourceAt(rows_, at.y() + 0.5, scale.y(), origin.y());
  if (x < 0 || y < 0) return {-1, -1};
  return {x, y};
}

QPointF TImageView::CentreOf(QPoint pixel) const {
  const QPointF scale = Scale();
  const QPointF origin = Origin();
  return {(pixel.x() + 0.5 - origin.x()) * scale.x(), (pixel.y() + 0.5 - origin.y()) * scale.y()};
}

void TImageView::SetMarksShown(bool shown) {
  if (marksShown_ == shown) return;
  marksShown_ = shown;
  composed_ = false;
  update();
}

void TImageView::SetNodes(std::vector<TPoint> nodes) {
  nodes_ = std::move(nodes);
  composed_ = false;
  update();
}

void TImageView::SetHighlight(std::vector<TPoint> pixels) {
  if (pixels == highlight_) return;
  highlight_ = std::move(pixels);
  composed_ = false;
  update();
}

QImage TImageView::Boxes(double scale, TAxis* columns, TAxis* rows) const {
  const auto across = static_cast<std::int32_t>(std::lround(width() * scale));
  const auto down = static_cast<std::int32_t>(std::lround(height() * scale));
  if (stretched_) {
    *columns = StretchedAxis(picture_.Width(), across);
    *rows = StretchedAxis(picture_.Height(), down);
    return RenderBoxes(picture_, *columns, *rows, qRgb(255, 255, 255));
  }
  *columns = ZoomedAxis(picture_.Width(), across, zoom_ * scale, origin_.x());
  *rows = ZoomedAxis(picture_.Height(), down, zoom_ * scale, origin_.y());
  return RenderBoxes(picture_, *columns, *rows, palette().color(QPalette::Window).rgb());
}

void TImageView::RenderBase(TPaneScaler* scaler) const {
  if (rendered_) return;
  rendered_ = true;
  composed_ = false;
  if (picture_.Empty() || width() <= 0 || height() <= 0) {
    base_ = QImage();
    columns_.clear();
    rows_.clear();
    return;
  }
  if (stretched_ && scaler != nullptr) {
    // The scaler shares its work among the panes refreshed together.
    columns_ = StretchedAxis(picture_.Width(), width());
    rows_ = StretchedAxis(picture_.Height(), height());
    base_ = scaler->Scale(picture_, size());
  } else {
    base_ = Boxes(1, &columns_, &rows_);
  }
}

void TImageView::Compose() const {
  RenderBase(nullptr);
  if (composed_) return;
  composed_ = true;
  frame_ = base_;
  marksPainted_ = frame_.isNull() ? 0 : PaintOverlay(frame_, columns_, rows_, 1);
}

QImage TImageView::Render(double scale) const {
  if (picture_.Empty() || width() <= 0 || height() <= 0) return {};
  TAxis columns, rows;
  QImage image = Boxes(scale, &columns, &rows);
  if (!image.isNull()) PaintOverlay(image, columns, rows, scale);
  return image;
}

std::size_t TImageView::PaintOverlay(QImage& image, const TAxis& columns, const TAxis& rows, double scale) const {
  std::size_t painted = 0;
  // Enlarged, every painted pixel covers whole display pixels already.
  if (marksShown_ && (AnyLongerThanOne(columns) || AnyLongerThanOne(rows)))
    painted = PaintMarks(image, picture_, columns, rows, static_cast<int>(std::lround(kMarkWidth * scale)));
  if ((!marksShown_ || nodes_.empty()) && highlight_.empty()) return painted;

  QPainter painter(&image);
  // Whether the nodes are dots or rings depends on the view, not on the drawing's scale.
  const QPointF viewScale = Scale();
  const double magnified = std::min(viewScale.x(), viewScale.y());
  const auto centre = [&](const TPoint& node) { return CentreOf({node.x, node.y}) * scale; };
  if (marksShown_) {
    if (magnified >= kRingScale) {
      painter.setRenderHint(QPainter::Antialiasing);
      painter.setPen(QPen(kNodeColour, 2 * scale));
      painter.setBrush(Qt::NoBrush);
      const double radius = std::max(6.0, 0.75 * magnified + 4) * scale;
      for (const TPoint& node : nodes_) painter.drawEllipse(centre(node), radius, radius);
      painter.setRenderHint(QPainter::Antialiasing, false);
    } else {
      // Dots of 3 x 3 display pixels: over the red sampling point painted on
      // the node's own pixel, a single pixel would not show.
      const int side = static_cast<int>(std::lround(3 * scale));
      for (const TPoint& node : nodes_) {
        const QPointF at = centre(node);
        painter.fillRect(QRect(static_cast<int>(std::floor(at.x() - side / 2.0 + 0.5)),
                               static_cast<int>(std::floor(at.y() - side / 2.0 + 0.5)), side, side),
                         kNodeColour);
      }
    }
  }
  const int edge = static_cast<int>(std::lround(scale));
  for (const TPoint& pixel : highlight_) {
    const auto [left, right] = DisplaySpan(columns, pixel.x);
    const auto [top, bottom] = DisplaySpan(rows, pixel.y);
    if (left == right || top == bottom) continue;
    const QRect rect(left, top, right - left, bottom - top);
    painter.fillRect(rect, kHighlightFill);
    if (rect.width() > 2 * edge && rect.height() > 2 * edge) {
      painter.setPen(QPen(kHighlightEdge, edge, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
      painter.setBrush(Qt::NoBrush);
      painter.drawRect(QRectF(rect).adjusted(edge / 2.0, edge / 2.0, -edge / 2.0, -edge / 2.0));
    }
  }
  return painted;
}

void TImageView::paintEvent(QPaintEvent*) {
  Compose();
  if (frame_.isNull()) return;
  QPainter painter(this);
  painter.drawImage(0, 0, frame_);
}

void TImageView::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  if (!stretched_) ClampOrigin();
  Invalidate();
}

void TImageView::wheelEvent(QWheelEvent* event) {
  const int eighths = event->angleDelta().y() != 0 ? event->angleDelta().y() : event->angleDelta().x();
  if (eighths == 0 || picture_.Empty()) {
    event->ignore();
    return;
  }
  ZoomAbout(event->position(), std::exp2(eighths / kWheelEighthsPerDoubling));
  event->accept();
}

void TImageView::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) {
    QWidget::mousePressEvent(event);
    return;
  }
  pressed_ = true;
  dragging_ = false;
  pressAt_ = lastAt_ = event->position().toPoint();
  event->accept();
}

void TImageView::mouseMoveEvent(QMouseEvent* event) {
  const QPoint at = event->position().toPoint();
  if (pressed_ && (event->buttons() & Qt::LeftButton)) {
    if (!dragging_ && (at - pressAt_).manhattanLength() >= QApplication::startDragDistance()) {
      dragging_ = true;
      setCursor(Qt::ClosedHandCursor);
    }
    if (dragging_) PanBy(at - lastAt_);
    lastAt_ = at;
  }
  Hover(at);
}

void TImageView::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton || !pressed_) {
    QWidget::mouseReleaseEvent(event);
    return;
  }
  if (!dragging_) {
    const QPoint pixel = PixelAt(event->position().toPoint());
    if (pixel.x() >= 0) emit PixelClicked(pixel);
  }
  pressed_ = dragging_ = false;
  unsetCursor();
}

void TImageView::mouseDoubleClickEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) ShowStretched();
  event->accept();
}

void TImageView::keyPressEvent(QKeyEvent* event) {
  const QPointF centre(width() / 2.0, height() / 2.0);
  switch (event->key()) {
    case Qt::Key_0:
      ShowStretched();
      break;
    case Qt::Key_1:
      ShowActualSize();
      break;
    case Qt::Key_Plus:
    case Qt::Key_Equal:
      ZoomAbout(centre, 2);
      break;
    case Qt::Key_Minus:
      ZoomAbout(centre, 0.5);
      break;
    default:
      QWidget::keyPressEvent(event);
      return;
  }
  event->accept();
}

void TImageView::leaveEvent(QEvent* event) {
  QWidget::leaveEvent(event);
  emit HoverLeft();
}

void TImageView::Hover(QPoint at) {
  const QPoint pixel = PixelAt(at);
  if (pixel.x() >= 0)
    emit PixelHovered(pixel);
  else
    emit HoverLeft();
}
