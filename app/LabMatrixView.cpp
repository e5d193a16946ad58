#include "LabMatrixView.h"

#include <algorithm>

#include <QMouseEvent>
#include <QPainter>

#include "UiLanguage.h"
#include "decoder/LabMatrix.h"

namespace {

// Light modules drawn around the matrix, as a quiet zone.
constexpr int kMargin = 2;

}  // namespace

TLabMatrixView::TLabMatrixView(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("LabMatrixView"));
  setMouseTracking(false);
  setMinimumSize(200, 200);
  setToolTip(Ui(QStringLiteral("クリックでモジュールを反転、ドラッグで塗ります（読めない印のモードでは印を付けます）。右クリックでそのコード語を壊します")));
}

void TLabMatrixView::SetMatrix(TLabMatrix* matrix) {
  matrix_ = matrix;
  wrong_.clear();
  highlighted_ = -1;
  stroking_ = false;
  stroke_.clear();
  update();
}

void TLabMatrixView::SetMarks(std::vector<std::int32_t> wrong, std::int32_t highlighted) {
  wrong_ = std::move(wrong);
  highlighted_ = highlighted;
  update();
}

QSize TLabMatrixView::sizeHint() const { return {520, 520}; }

int TLabMatrixView::ModulePixels() const {
  if (matrix_ == nullptr) return 1;
  const int modules = matrix_->Side() + 2 * kMargin;
  return std::max(1, std::min(width(), height()) / modules);
}

TPoint TLabMatrixView::ModuleAt(QPoint point) const {
  const int size = ModulePixels();
  return {point.x() / size - kMargin, point.y() / size - kMargin};
}

QPoint TLabMatrixView::CentreOf(TPoint module) const {
  const int size = ModulePixels();
  return {(module.x + kMargin) * size + size / 2, (module.y + kMargin) * size + size / 2};
}

void TLabMatrixView::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), palette().window());
  if (matrix_ == nullptr) return;
  const int size = ModulePixels();
  const int side = matrix_->Side();
  const auto square = [&](TPoint m) { return QRect((m.x + kMargin) * size, (m.y + kMargin) * size, size, size); };
  painter.fillRect(QRect(0, 0, (side + 2 * kMargin) * size, (side + 2 * kMargin) * size), Qt::white);
  const TPlaneBoolean& modules = matrix_->Modules();
  for (std::int32_t x = 0; x < side; ++x)
    for (std::int32_t y = 0; y < side; ++y)
      if (modules[x][y] != 0) painter.fillRect(square({x, y}), Qt::black);
  // The wrong codewords' modules, tinted over both colours.
  for (const std::int32_t index : wrong_) {
    if (index < 0 || index >= matrix_->CodewordCount()) continue;
    for (const TPoint m : matrix_->CodewordModules(index)) painter.fillRect(square(m), QColor(255, 140, 0, 120));
  }
  painter.setBrush(Qt::NoBrush);
  painter.setPen(QPen(QColor(220, 0, 0), std::max(1, size / 6)));
  for (const TPoint m : matrix_->ChangedModules()) painter.drawRect(square(m).adjusted(1, 1, -1, -1));
  painter.setPen(QPen(QColor(128, 128, 128), std::max(1, size / 6)));
  for (const TPoint m : matrix_->ErasedModules()) {
    const QRect r = square(m);
    painter.fillRect(r, QColor(160, 160, 160));
    painter.drawLine(r.topLeft(), r.bottomRight());
    painter.drawLine(r.topRight(), r.bottomLeft());
  }
  if (highlighted_ >= 0 && highlighted_ < matrix_->CodewordCount()) {
    painter.setPen(QPen(QColor(0, 90, 255), std::max(2, size / 4)));
    for (const TPoint m : matrix_->CodewordModules(highlighted_)) painter.drawRect(square(m));
  }
}

void TLabMatrixView::mousePressEvent(QMouseEvent* event) {
  if (matrix_ == nullptr) return;
  const TPoint module = ModuleAt(event->position().toPoint());
  if (!matrix_->Contains(module)) return;
  if (event->button() == Qt::RightButton && !stroking_) {
    if (const std::int32_t index = matrix_->CodewordAt(module); index >= 0 && codewordChosen) codewordChosen(index);
    return;
  }
  if (event->button() != Qt::LeftButton) return;
  stroking_ = true;
  stroke_ = {module};
  strokeValue_ = erasing_ ? !matrix_->IsErased(module) : matrix_->Modules()[module.x][module.y] == 0;
}

void TLabMatrixView::mouseMoveEvent(QMouseEvent* event) {
  if (!stroking_) return;
  const TPoint module = ModuleAt(event->position().toPoint());
  if (matrix_->Contains(module) && std::find(stroke_.begin(), stroke_.end(), module) == stroke_.end()) {
    stroke_.push_back(module);
    update();
  }
}

void TLabMatrixView::mouseReleaseEvent(QMouseEvent* event) {
  if (stroking_ && event->button() == Qt::LeftButton) EndStroke();
}

void TLabMatrixView::EndStroke() {
  stroking_ = false;
  if (erasing_)
    matrix_->MarkErased(stroke_, strokeValue_);
  else
    matrix_->Paint(stroke_, strokeValue_);
  stroke_.clear();
  update();
  if (changed) changed();
}
