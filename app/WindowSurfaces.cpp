#include "WindowSurfaces.h"

#include <QKeyEvent>
#include <QPainter>

QImage ToQImage(const TBitmap& bitmap) {
  if (bitmap.Empty()) return {};
  QImage image(bitmap.Width(), bitmap.Height(), QImage::Format_RGB32);
  const std::int32_t width = bitmap.Width();
  for (std::int32_t y = 0; y < bitmap.Height(); ++y) {
    const TColor* source = bitmap.Row(y);
    auto* target = reinterpret_cast<QRgb*>(image.scanLine(y));
    // 0x00BBGGRR to 0xFFRRGGBB: swap the red and blue bytes.
    for (std::int32_t x = 0; x < width; ++x) {
      const TColor c = source[x];
      target[x] = 0xFF000000u | ((c & 0xFFu) << 16) | (c & 0xFF00u) | ((c >> 16) & 0xFFu);
    }
  }
  return image;
}

// ---------------------------------------------------------------------------

TImageView::TImageView(QWidget* parent) : QWidget(parent) {
  setAttribute(Qt::WA_OpaquePaintEvent, false);
}

void TImageView::SetPicture(const TBitmap& picture) {
  pictureSize_ = QSize(picture.Width(), picture.Height());
  source_ = ToQImage(picture);
  shown_ = QImage();
  Rescale();
  update();
}

void TImageView::Rescale() {
  // Before the widget has its size the full picture is kept; afterwards only
  // the stretched copy (a photograph in full on every pane would cost too much).
  const QImage& from = source_.isNull() ? shown_ : source_;
  if (from.isNull() || width() <= 0 || height() <= 0) return;
  // Shrinking averages (a 1-pixel line of a photograph stays visible);
  // enlarging repeats pixels so that module matrices keep sharp edges.
  const bool shrinking = from.width() > width() || from.height() > height();
  shown_ = from.scaled(size(), Qt::IgnoreAspectRatio,
                       shrinking ? Qt::SmoothTransformation : Qt::FastTransformation);
  source_ = QImage();
}

void TImageView::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  Rescale();
}

void TImageView::paintEvent(QPaintEvent*) {
  if (shown_.isNull()) return;
  QPainter painter(this);
  painter.drawImage(rect(), shown_);
}

// ---------------------------------------------------------------------------

TMemo::TMemo(QWidget* parent) : QPlainTextEdit(parent) {}

void TMemo::keyPressEvent(QKeyEvent* event) {
  const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
  if (enter && !wantReturns_) {
    event->ignore();
    return;
  }
  QPlainTextEdit::keyPressEvent(event);
}

// ---------------------------------------------------------------------------

class TWindowSurfaces::TViewImagePane : public TImagePane {
 public:
  TImageView* view = nullptr;
};

// Keeps the lines in the registry and collects them for the widget, which
// receives them in one block at the next refresh.
class TWindowSurfaces::TMemoTextPane : public TTextPane {
 public:
  TMemo* memo = nullptr;

  void AppendLine(const std::string& line) override {
    TTextPane::AppendLine(line);
    pending_.append(QString::fromUtf8(line.data(), static_cast<qsizetype>(line.size())));
  }
  void Clear() override {
    TTextPane::Clear();
    pending_.clear();
    if (memo) memo->clear();
  }
  void Flush() {
    if (pending_.isEmpty() || !memo) return;
    memo->appendPlainText(pending_.join(QLatin1Char('\n')));
    pending_.clear();
  }

 private:
  QStringList pending_;
};

TWindowSurfaces::TWindowSurfaces() {
  for (std::size_t i = 0; i < kImagePaneCount; ++i) {
    imagePanes_[i] = std::make_unique<TViewImagePane>();
    InstallImagePane(static_cast<TImagePaneId>(i), imagePanes_[i].get());
  }
  for (std::size_t i = 0; i < kTextPaneCount; ++i) {
    textPanes_[i] = std::make_unique<TMemoTextPane>();
    InstallTextPane(static_cast<TTextPaneId>(i), textPanes_[i].get());
  }
}

TWindowSurfaces::~TWindowSurfaces() = default;

void TWindowSurfaces::BindImage(TImagePaneId id, TImageView* view) {
  imagePanes_[static_cast<std::size_t>(id)]->view = view;
}

void TWindowSurfaces::BindText(TTextPaneId id, TMemo* memo) {
  textPanes_[static_cast<std::size_t>(id)]->memo = memo;
}

void TWindowSurfaces::BindStatus(QLabel* panel0, QLabel* panel1) { statusPanels_ = {panel0, panel1}; }

void TWindowSurfaces::SetStatus(int panel, const std::string& text) {
  TSurfaces::SetStatus(panel, text);
  if (panel != 0 && panel != 1) return;
  if (QLabel* label = statusPanels_[static_cast<std::size_t>(panel)]) {
    const QString shown = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    label->setText(shown);
    label->setToolTip(shown);  // panel 1 is narrow; the whole text stays reachable
  }
}

void TWindowSurfaces::Refresh() {
  // Stages may paint on a pane's current picture in place, so every pane is shown anew.
  for (auto& pane : imagePanes_) {
    if (pane->view) pane->view->SetPicture(pane->CurrentPicture());
  }
  for (auto& pane : textPanes_) pane->Flush();
}

void TWindowSurfaces::RefreshImage(TImagePaneId id) {
  TViewImagePane& pane = *imagePanes_[static_cast<std::size_t>(id)];
  if (pane.view) pane.view->SetPicture(pane.CurrentPicture());
}
