#include "DiagnosisPlots.h"

#include <algorithm>
#include <cmath>

#include <QPainter>
#include <QPainterPath>

namespace {

constexpr double kLeftMargin = 36;
constexpr double kBottomMargin = 16;
constexpr double kTopMargin = 16;
constexpr double kRightMargin = 8;

// The part of `area` the data takes; the margins hold the scales.
QRectF Inner(const QRectF& area) {
  return area.adjusted(kLeftMargin, kTopMargin, -kRightMargin, -kBottomMargin);
}

QFont SmallFont(const QPainter& painter) {
  QFont font = painter.font();
  font.setPixelSize(10);
  return font;
}

// The x of the left edge of grey level g (0 .. 256) in the data area.
double GreyX(const QRectF& inner, double grey) { return inner.left() + inner.width() * grey / 256.0; }

void Label(QPainter& painter, const QRectF& box, int flags, const QString& text, QRgb colour = 0xFF555555) {
  painter.setPen(QColor::fromRgba(colour));
  painter.drawText(box, flags, text);
}

// The axes and the grey scale 0, 128, 255 below the data area.
void GreyAxis(QPainter& painter, const QRectF& inner) {
  painter.setPen(QColor(0x99, 0x99, 0x99));
  painter.drawLine(inner.bottomLeft(), inner.bottomRight());
  painter.drawLine(inner.bottomLeft(), inner.topLeft());
  for (const int grey : {0, 128, 255}) {
    const double x = GreyX(inner, grey + 0.5);
    Label(painter, QRectF(x - 20, inner.bottom() + 2, 40, kBottomMargin - 2), Qt::AlignHCenter | Qt::AlignTop,
          QString::number(grey));
  }
}

// The dark side behind the data, and the two vertical lines with their values
// above the data area (T to the right of its line, T − Resolver to the left,
// so that both stay readable when the lines are close).
void GreyMarks(QPainter& painter, const QRectF& inner, TGreyMarks marks, bool vertical) {
  const auto at = [&](std::int32_t grey) {
    const double clamped = std::clamp<double>(grey, 0, 256);
    return vertical ? GreyX(inner, clamped) : inner.bottom() - inner.height() * clamped / 256.0;
  };
  if (vertical) {
    painter.fillRect(QRectF(inner.topLeft(), QPointF(at(marks.darkBelow), inner.bottom())),
                     QColor::fromRgba(plot_colours::kDarkSide));
  } else {
    painter.fillRect(QRectF(QPointF(inner.left(), at(marks.darkBelow)), inner.bottomRight()),
                     QColor::fromRgba(plot_colours::kDarkSide));
  }
}

void GreyLines(QPainter& painter, const QRectF& inner, TGreyMarks marks, bool vertical) {
  const auto line = [&](std::int32_t grey, QRgb colour, Qt::PenStyle style, bool labelRight, const QString& text) {
    const double clamped = std::clamp<double>(grey, 0, 256);
    painter.setPen(QPen(QColor::fromRgba(colour), 1.5, style));
    if (vertical) {
      const double x = GreyX(inner, clamped);
      painter.drawLine(QPointF(x, inner.top()), QPointF(x, inner.bottom()));
      const QRectF box = labelRight ? QRectF(x + 2, inner.top() - kTopMargin, 120, kTopMargin)
                                    : QRectF(x - 122, inner.top() - kTopMargin, 120, kTopMargin);
      Label(painter, box, (labelRight ? Qt::AlignLeft : Qt::AlignRight) | Qt::AlignVCenter, text, colour);
    } else {
      const double y = inner.bottom() - inner.height() * clamped / 256.0;
      painter.drawLine(QPointF(inner.left(), y), QPointF(inner.right(), y));
      const QRectF box = labelRight ? QRectF(inner.right() - 160, y - 13, 160, 12) : QRectF(inner.right() - 160, y + 1, 160, 12);
      Label(painter, box, Qt::AlignRight | Qt::AlignVCenter, text, colour);
    }
  };
  line(marks.threshold, plot_colours::kThreshold, Qt::DashLine, true, QStringLiteral("T = %1").arg(marks.threshold));
  line(marks.darkBelow, plot_colours::kDarkBelow, Qt::SolidLine, false,
       QStringLiteral("T − Resolver = %1").arg(marks.darkBelow));
}

}  // namespace

void PaintHistogram(QPainter& painter, const QRectF& area, const TGreyHistogram& histogram, TGreyMarks marks) {
  painter.save();
  painter.setFont(SmallFont(painter));
  const QRectF inner = Inner(area);
  GreyMarks(painter, inner, marks, true);
  const std::int64_t highest = std::max<std::int64_t>(1, *std::max_element(histogram.begin(), histogram.end()));
  // A square-root scale: a photograph's few dark modules would vanish beside its paper on a linear one.
  const double top = std::sqrt(static_cast<double>(highest));
  for (std::size_t grey = 0; grey < histogram.size(); ++grey) {
    if (histogram[grey] == 0) continue;
    const double height = inner.height() * std::sqrt(static_cast<double>(histogram[grey])) / top;
    const double left = GreyX(inner, static_cast<double>(grey));
    const double right = GreyX(inner, static_cast<double>(grey + 1));
    painter.fillRect(QRectF(QPointF(left, inner.bottom() - height), QPointF(std::max(right, left + 1), inner.bottom())),
                     QColor::fromRgba(plot_colours::kBar));
  }
  GreyAxis(painter, inner);
  GreyLines(painter, inner, marks, true);
  Label(painter, QRectF(area.left(), inner.top(), kLeftMargin - 4, 12), Qt::AlignRight | Qt::AlignTop,
        QString::number(highest));
  painter.restore();
}

void PaintProfile(QPainter& painter, const QRectF& area, std::span<const std::uint8_t> row, TGreyMarks marks) {
  painter.save();
  painter.setFont(SmallFont(painter));
  const QRectF inner = Inner(area);
  GreyMarks(painter, inner, marks, false);
  const auto y = [&](double grey) { return inner.bottom() - inner.height() * (grey + 0.5) / 256.0; };
  painter.setPen(QPen(QColor::fromRgba(plot_colours::kBar), 1));
  const auto columns = static_cast<std::size_t>(std::max(1.0, std::floor(inner.width())));
  if (row.size() <= columns) {
    // Few pixels: a line through each.
    QPainterPath path;
    for (std::size_t x = 0; x < row.size(); ++x) {
      const QPointF point(inner.left() + inner.width() * (static_cast<double>(x) + 0.5) / static_cast<double>(row.size()),
                          y(row[x]));
      if (x == 0) path.moveTo(point); else path.lineTo(point);
    }
    painter.drawPath(path);
  } else {
    // More pixels than columns: the range of each column's pixels, so that no
    // narrow dark run is lost, joined to the last pixel of the column before.
    for (std::size_t c = 0; c < columns; ++c) {
      const std::size_t from = c * row.size() / columns - (c > 0 ? 1 : 0);
      const std::size_t to = std::max(from + 1, (c + 1) * row.size() / columns);
      const auto [low, high] = std::minmax_element(row.begin() + static_cast<std::ptrdiff_t>(from),
                                                   row.begin() + static_cast<std::ptrdiff_t>(to));
      const double x = inner.left() + static_cast<double>(c) + 0.5;
      painter.drawLine(QPointF(x, y(*low)), QPointF(x, y(*high)));
    }
  }
  painter.setPen(QColor(0x99, 0x99, 0x99));
  painter.drawLine(inner.bottomLeft(), inner.bottomRight());
  painter.drawLine(inner.bottomLeft(), inner.topLeft());
  for (const int grey : {0, 255})
    Label(painter, QRectF(area.left(), y(grey) - 6, kLeftMargin - 4, 12), Qt::AlignRight | Qt::AlignVCenter,
          QString::number(grey));
  Label(painter, QRectF(inner.left(), inner.bottom() + 2, inner.width(), kBottomMargin - 2), Qt::AlignLeft | Qt::AlignTop,
        QStringLiteral("x = 0"));
  Label(painter, QRectF(inner.left(), inner.bottom() + 2, inner.width(), kBottomMargin - 2), Qt::AlignRight | Qt::AlignTop,
        QStringLiteral("x = %1").arg(row.empty() ? 0 : row.size() - 1));
  GreyLines(painter, inner, marks, false);
  painter.restore();
}

void PaintTimingShares(QPainter& painter, const QRectF& area, const std::vector<TTimingTrial>& trials, double needed) {
  painter.save();
  painter.setFont(SmallFont(painter));
  const QRectF inner = Inner(area);
  const auto y = [&](double share) { return inner.bottom() - inner.height() * std::clamp(share, 0.0, 1.0); };
  const double slot = inner.width() / static_cast<double>(std::max<std::size_t>(trials.size(), 1));
  // Every version's number while they fit, otherwise every n-th.
  const auto every = static_cast<std::size_t>(std::max(1.0, std::ceil(22.0 / slot)));
  for (std::size_t i = 0; i < trials.size(); ++i) {
    const TTimingTrial& trial = trials[i];
    const double left = inner.left() + slot * static_cast<double>(i);
    const QRectF bar(QPointF(left + slot * 0.15, y(trial.Share())), QPointF(left + slot * 0.85, inner.bottom()));
    painter.fillRect(bar, QColor::fromRgba(trial.passed ? plot_colours::kPassed : plot_colours::kFellShort));
    if (i % every == 0)
      Label(painter, QRectF(left + slot / 2 - 15, inner.bottom() + 2, 30, kBottomMargin - 2),
            Qt::AlignHCenter | Qt::AlignTop, QString::number(trial.version));
  }
  painter.setPen(QColor(0x99, 0x99, 0x99));
  painter.drawLine(inner.bottomLeft(), inner.bottomRight());
  painter.drawLine(inner.bottomLeft(), inner.topLeft());
  for (const int percent : {0, 50, 100})
    Label(painter, QRectF(area.left(), y(percent / 100.0) - 6, kLeftMargin - 4, 12), Qt::AlignRight | Qt::AlignVCenter,
          QStringLiteral("%1 %").arg(percent));
  painter.setPen(QPen(QColor::fromRgba(plot_colours::kNeeded), 1.5, Qt::DashLine));
  painter.drawLine(QPointF(inner.left(), y(needed)), QPointF(inner.right(), y(needed)));
  Label(painter, QRectF(inner.left(), inner.top() - kTopMargin, inner.width(), kTopMargin), Qt::AlignRight | Qt::AlignVCenter,
        QStringLiteral("必要な一致率 %1 %").arg(std::lround(needed * 100)), plot_colours::kNeeded);
  Label(painter, QRectF(inner.left(), inner.top() - kTopMargin, inner.width(), kTopMargin), Qt::AlignLeft | Qt::AlignVCenter,
        QStringLiteral("型番ごとの一致率"));
  painter.restore();
}

// ---------------------------------------------------------------------------

TPlotView::TPlotView(const QString& title, QWidget* parent) : QWidget(parent), title_(title) {
  setMinimumSize(240, 150);
  setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
  hide();
}

void TPlotView::SetPaint(TPaint paint) {
  paint_ = std::move(paint);
  setVisible(static_cast<bool>(paint_));
  update();
}

void TPlotView::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  const QRectF whole = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
  painter.fillRect(whole, Qt::white);
  painter.setPen(QColor(0xBB, 0xBB, 0xBB));
  painter.drawRect(whole);
  painter.setPen(palette().color(QPalette::WindowText));
  const QRectF titleBox = whole.adjusted(6, 2, -6, 0);
  painter.drawText(titleBox, Qt::AlignLeft | Qt::AlignTop, title_);
  const int titleHeight = painter.fontMetrics().height() + 2;
  if (paint_) paint_(painter, whole.adjusted(2, titleHeight, -4, -2));
}
