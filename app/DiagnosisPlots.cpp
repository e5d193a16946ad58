#include "DiagnosisPlots.h"

#include <QPainter>
#include <QPainterPath>

#include "UiLanguage.h"

namespace {

QString Q(const std::string& utf8) { return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size())); }

QPointF Point(TPlotPoint point) { return {point.x, point.y}; }

// A box around the label's point, large enough for any label, whose edge or
// middle lies on the point as the label's alignment says.
QRectF LabelBox(const TPlotLabel& label, int* flags) {
  constexpr double kRoom = 1000;
  using TAlign = TPlotLabel::TAlign;
  const auto start = [&](TAlign align, double at) {
    return align == TAlign::Start ? at : align == TAlign::Middle ? at - kRoom / 2 : at - kRoom;
  };
  *flags = (label.horizontal == TAlign::Start ? Qt::AlignLeft : label.horizontal == TAlign::Middle ? Qt::AlignHCenter
                                                                                                     : Qt::AlignRight) |
           (label.vertical == TAlign::Start ? Qt::AlignTop : label.vertical == TAlign::Middle ? Qt::AlignVCenter
                                                                                             : Qt::AlignBottom);
  return {start(label.horizontal, label.at.x), start(label.vertical, label.at.y), kRoom, kRoom};
}

}  // namespace

TPlotArea PlotArea(const QRectF& rect) { return {rect.left(), rect.top(), rect.width(), rect.height()}; }

void PaintPlot(QPainter& painter, const TPlot& plot) {
  painter.save();
  QFont font = painter.font();
  font.setPixelSize(static_cast<int>(kPlotLabelPixels));
  painter.setFont(font);
  for (const TPlotShape& shape : plot.shapes) {
    if (const auto* fill = std::get_if<TPlotFill>(&shape)) {
      painter.fillRect(QRectF(fill->box.left, fill->box.top, fill->box.width, fill->box.height),
                       QColor::fromRgba(fill->colour));
    } else if (const auto* lines = std::get_if<TPlotLines>(&shape)) {
      painter.setPen(QPen(QColor::fromRgba(lines->colour), lines->width, lines->dashed ? Qt::DashLine : Qt::SolidLine));
      QPainterPath path;
      for (const std::vector<TPlotPoint>& stroke : lines->strokes) {
        if (stroke.empty()) continue;
        path.moveTo(Point(stroke.front()));
        for (std::size_t i = 1; i < stroke.size(); ++i) path.lineTo(Point(stroke[i]));
      }
      painter.drawPath(path);
    } else if (const auto* label = std::get_if<TPlotLabel>(&shape)) {
      int flags = 0;
      const QRectF box = LabelBox(*label, &flags);
      painter.setPen(QColor::fromRgba(label->colour));
      painter.drawText(box, flags, Q(label->text));
    }
  }
  painter.restore();
}

TPlotView::TPlotView(const QString& title, QWidget* parent) : QWidget(parent), title_(title) {
  setMinimumSize(240, 150);
  setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
  hide();
  connect(&UiLanguageNotifier(), &TUiLanguageNotifier::Changed, this, [this] { update(); });
}

void TPlotView::SetDraw(TDraw draw) {
  draw_ = std::move(draw);
  setVisible(static_cast<bool>(draw_));
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
  painter.drawText(titleBox, Qt::AlignLeft | Qt::AlignTop, Ui(title_).Text());
  const int titleHeight = painter.fontMetrics().height() + 2;
  if (draw_) PaintPlot(painter, draw_(PlotArea(whole.adjusted(2, titleHeight, -4, -2))));
}
