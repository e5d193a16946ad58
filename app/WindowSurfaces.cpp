#include "WindowSurfaces.h"

#include <algorithm>
#include <vector>

#include <QKeyEvent>
#include <QPainter>

#include "common/VisibleText.h"
#include "picture/QtPicture.h"

// ---------------------------------------------------------------------------

namespace {

// The source positions [begin, end) averaged into each of `target` positions:
// equal shares of the source, at least one position each.
struct TBox {
  std::int32_t begin;
  std::int32_t end;
};

std::vector<TBox> Boxes(std::int32_t source, std::int32_t target) {
  std::vector<TBox> boxes(static_cast<std::size_t>(target));
  for (std::int32_t t = 0; t < target; ++t) {
    auto& box = boxes[static_cast<std::size_t>(t)];
    box.begin = static_cast<std::int32_t>(static_cast<std::int64_t>(t) * source / target);
    box.end = static_cast<std::int32_t>(static_cast<std::int64_t>(t + 1) * source / target);
    if (box.end <= box.begin) box.end = box.begin + 1;
  }
  return boxes;
}

// For every source position, the first and one past the last target position whose box holds it.
void Owners(const std::vector<TBox>& boxes, std::int32_t source, std::vector<std::int32_t>& first,
            std::vector<std::int32_t>& last) {
  first.assign(static_cast<std::size_t>(source), 0);
  last.assign(static_cast<std::size_t>(source), 0);
  std::vector<std::uint8_t> seen(static_cast<std::size_t>(source), 0);
  for (std::int32_t t = 0; t < static_cast<std::int32_t>(boxes.size()); ++t)
    for (std::int32_t i = boxes[static_cast<std::size_t>(t)].begin; i < boxes[static_cast<std::size_t>(t)].end; ++i) {
      const auto at = static_cast<std::size_t>(i);
      if (!seen[at]) first[at] = t;
      seen[at] = 1;
      last[at] = t + 1;
    }
}

// sums[i] = bytes[i] for the first row of a box, sums[i] += bytes[i] for the
// others; and the same for the darkness of plane rows. The arrays never
// overlap, which lets the compiler use vector instructions (a byte pointer
// might otherwise alias anything).
template <typename Sum>
void AddBytes(Sum* __restrict sums, const std::uint8_t* __restrict bytes, std::size_t count, bool first) {
  if (first)
    for (std::size_t i = 0; i < count; ++i) sums[i] = bytes[i];
  else
    for (std::size_t i = 0; i < count; ++i) sums[i] = static_cast<Sum>(sums[i] + bytes[i]);
}

template <typename Sum>
void AddDark(Sum* __restrict counts, const std::uint8_t* __restrict dark, std::size_t count, bool first) {
  if (first)
    for (std::size_t i = 0; i < count; ++i) counts[i] = dark[i] != 0 ? 1 : 0;
  else
    for (std::size_t i = 0; i < count; ++i) counts[i] = static_cast<Sum>(counts[i] + (dark[i] != 0 ? 1 : 0));
}

// Sixteen-bit sums suffice (and take half the vector instructions) while a
// box spans at most 257 rows of bytes.
bool ShortSums(const std::vector<TBox>& rows) {
  for (const TBox& row : rows)
    if (row.end - row.begin > 257) return false;
  return true;
}

std::int32_t Area(const TBox& column, const TBox& row) {
  return (column.end - column.begin) * (row.end - row.begin);
}

QRgb Average(std::uint64_t red, std::uint64_t green, std::uint64_t blue, std::uint64_t count) {
  const std::uint64_t half = count / 2;
  return qRgb(static_cast<int>((red + half) / count), static_cast<int>((green + half) / count),
              static_cast<int>((blue + half) / count));
}

template <typename Sum>
QImage ShrinkRows(const TBitmap& picture, QSize size, const std::vector<TBox>& columns,
                               const std::vector<TBox>& rows) {
  const auto width = static_cast<std::size_t>(picture.Width());
  QImage image(size, QImage::Format_RGB32);
  std::vector<TColor> scratch(width);
  // Column sums of red, green and blue over the rows of one box row first,
  // three to a pixel as in a packed row, then the sums of each box from them.
  std::vector<Sum> sums(width * 3);
  for (std::int32_t y = 0; y < size.height(); ++y) {
    const TBox& row = rows[static_cast<std::size_t>(y)];
    for (std::int32_t sourceY = row.begin; sourceY < row.end; ++sourceY) {
      const bool first = sourceY == row.begin;
      if (const std::uint8_t* rgb = picture.PackedRow(sourceY)) {
        AddBytes(sums.data(), rgb, width * 3, first);
      } else {
        if (first) std::fill(sums.begin(), sums.end(), 0);
        const TColor* source = picture.ReadRow(sourceY, scratch.data());
        for (std::size_t x = 0; x < width; ++x) {
          const TColor c = source[x];
          sums[3 * x] += c & 0xFFu;
          sums[3 * x + 1] += (c >> 8) & 0xFFu;
          sums[3 * x + 2] += (c >> 16) & 0xFFu;
        }
      }
    }
    auto* target = reinterpret_cast<QRgb*>(image.scanLine(y));
    for (std::int32_t x = 0; x < size.width(); ++x) {
      const TBox& column = columns[static_cast<std::size_t>(x)];
      std::uint64_t r = 0, g = 0, b = 0;
      for (std::int32_t i = column.begin; i < column.end; ++i) {
        r += sums[3 * static_cast<std::size_t>(i)];
        g += sums[3 * static_cast<std::size_t>(i) + 1];
        b += sums[3 * static_cast<std::size_t>(i) + 2];
      }
      target[x] = Average(r, g, b, static_cast<std::uint64_t>(Area(column, row)));
    }
  }
  return image;
}

}  // namespace

QImage TPaneScaler::Scale(const TBitmap& picture, QSize size) {
  if (picture.Empty() || size.isEmpty()) return {};
  const bool shrinking = picture.Width() > size.width() || picture.Height() > size.height();
  if (!shrinking) return ToQImage(picture).scaled(size, Qt::IgnoreAspectRatio, Qt::FastTransformation);
  if (lastSize_ == size && lastPicture_.SharesPixels(picture)) return lastImage_;
  QImage image = picture.Plane() != nullptr ? ShrinkPlanePicture(picture, size) : Shrink(picture, size);
  lastPicture_ = picture;
  lastSize_ = size;
  lastImage_ = image;
  return image;
}

QImage TPaneScaler::Shrink(const TBitmap& picture, QSize size) {
  const std::vector<TBox> columns = Boxes(picture.Width(), size.width());
  const std::vector<TBox> rows = Boxes(picture.Height(), size.height());
  return picture.PackedRow(0) != nullptr && ShortSums(rows) ? ShrinkRows<std::uint16_t>(picture, size, columns, rows)
                                                            : ShrinkRows<std::uint32_t>(picture, size, columns, rows);
}

QImage TPaneScaler::ShrinkPlanePicture(const TBitmap& picture, QSize size) {
  const std::vector<TBox> columns = Boxes(picture.Width(), size.width());
  const std::vector<TBox> rows = Boxes(picture.Height(), size.height());
  const std::size_t boxes = static_cast<std::size_t>(size.width()) * static_cast<std::size_t>(size.height());
  const std::shared_ptr<const TPlaneBoolean> plane = picture.SharedPlane();

  // Dark pixels per box, shared by every pane over the same plane: column
  // counts over the rows of a box row, then the counts of each box.
  if (plane_ != plane || planeWidth_ != picture.Width() || planeHeight_ != picture.Height() || planeSize_ != size) {
    darkCounts_.assign(boxes, 0);
    const auto width = static_cast<std::size_t>(picture.Width());
    std::vector<std::uint32_t> dark(width);
    for (std::int32_t y = 0; y < size.height(); ++y) {
      const TBox& row = rows[static_cast<std::size_t>(y)];
      for (std::int32_t sourceY = row.begin; sourceY < row.end; ++sourceY)
        AddDark(dark.data(), plane->Row(sourceY), width, sourceY == row.begin);
      std::uint32_t* count = &darkCounts_[static_cast<std::size_t>(y) * static_cast<std::size_t>(size.width())];
      for (std::int32_t x = 0; x < size.width(); ++x) {
        const TBox& column = columns[static_cast<std::size_t>(x)];
        std::uint32_t n = 0;
        for (std::int32_t i = column.begin; i < column.end; ++i) n += dark[static_cast<std::size_t>(i)];
        count[x] = n;
      }
    }
    plane_ = plane;
    planeWidth_ = picture.Width();
    planeHeight_ = picture.Height();
    planeSize_ = size;
  }

  // The painted pixels change the sums of the boxes that hold them.
  std::vector<std::int64_t> change;
  std::vector<std::uint8_t> changed;
  if (picture.PaintedCount() > 0) {
    change.assign(boxes * 3, 0);
    changed.assign(boxes, 0);
    std::vector<std::int32_t> firstColumn, lastColumn, firstRow, lastRow;
    Owners(columns, picture.Width(), firstColumn, lastColumn);
    Owners(rows, picture.Height(), firstRow, lastRow);
    picture.ForEachPainted([&](std::int32_t x, std::int32_t y, TColor colour) {
      const std::int64_t base = (*plane)(x, y) != 0 ? 0 : 255;
      const std::int64_t delta[3] = {static_cast<std::int64_t>(colour & 0xFFu) - base,
                                     static_cast<std::int64_t>((colour >> 8) & 0xFFu) - base,
                                     static_cast<std::int64_t>((colour >> 16) & 0xFFu) - base};
      for (std::int32_t row = firstRow[static_cast<std::size_t>(y)]; row < lastRow[static_cast<std::size_t>(y)]; ++row)
        for (std::int32_t column = firstColumn[static_cast<std::size_t>(x)];
             column < lastColumn[static_cast<std::size_t>(x)]; ++column) {
          const std::size_t box = static_cast<std::size_t>(row) * static_cast<std::size_t>(size.width()) +
                                  static_cast<std::size_t>(column);
          changed[box] = 1;
          for (int c = 0; c < 3; ++c) change[box * 3 + static_cast<std::size_t>(c)] += delta[c];
        }
    });
  }

  QImage image(size, QImage::Format_RGB32);
  for (std::int32_t y = 0; y < size.height(); ++y) {
    auto* target = reinterpret_cast<QRgb*>(image.scanLine(y));
    for (std::int32_t x = 0; x < size.width(); ++x) {
      const std::size_t box = static_cast<std::size_t>(y) * static_cast<std::size_t>(size.width()) +
                              static_cast<std::size_t>(x);
      const auto area = static_cast<std::uint64_t>(Area(columns[static_cast<std::size_t>(x)], rows[static_cast<std::size_t>(y)]));
      const std::uint64_t light = 255 * (area - darkCounts_[box]);
      if (changed.empty() || !changed[box]) {
        target[x] = Average(light, light, light, area);
      } else {
        const std::int64_t* d = &change[box * 3];
        target[x] = Average(static_cast<std::uint64_t>(static_cast<std::int64_t>(light) + d[0]),
                            static_cast<std::uint64_t>(static_cast<std::int64_t>(light) + d[1]),
                            static_cast<std::uint64_t>(static_cast<std::int64_t>(light) + d[2]), area);
      }
    }
  }
  return image;
}

// ---------------------------------------------------------------------------

TImageView::TImageView(QWidget* parent) : QWidget(parent) {
  setAttribute(Qt::WA_OpaquePaintEvent, false);
}

void TImageView::SetPicture(const TBitmap& picture, TPaneScaler* scaler) {
  picture_ = picture;
  pictureSize_ = QSize(picture.Width(), picture.Height());
  shown_ = QImage();
  Rescale(scaler);
  update();
}

void TImageView::Rescale(TPaneScaler* scaler) {
  if (picture_.Empty()) {
    shown_ = QImage();
    return;
  }
  if (width() <= 0 || height() <= 0) return;
  TPaneScaler own;
  shown_ = (scaler != nullptr ? scaler : &own)->Scale(picture_, size());
}

void TImageView::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  Rescale(nullptr);
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
// receives them in one block at the next refresh. The widget shows control
// characters as escapes; the registry, from which files are written, keeps
// each line as the stage wrote it.
class TWindowSurfaces::TMemoTextPane : public TTextPane {
 public:
  TMemo* memo = nullptr;

  void AppendLine(const std::string& line) override {
    TTextPane::AppendLine(line);
    const std::string shown = VisibleText(line);
    pending_.append(QString::fromUtf8(shown.data(), static_cast<qsizetype>(shown.size())));
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
  for (std::size_t i = 0; i < kImagePaneCount; ++i) RefreshImage(static_cast<TImagePaneId>(i));
  for (auto& pane : textPanes_) pane->Flush();
}

void TWindowSurfaces::RefreshImage(TImagePaneId id) {
  // A view keeps a copy of the picture it shows, so a stage that painted on
  // the pane's picture since has given the pane pixels of its own: only
  // pictures that the view shows already are passed over.
  TViewImagePane& pane = *imagePanes_[static_cast<std::size_t>(id)];
  if (pane.view && !pane.view->Shows(pane.CurrentPicture())) pane.view->SetPicture(pane.CurrentPicture(), &scaler_);
}
