#include "report/PlotSvg.h"

#include <cmath>

namespace {

// A coordinate to a hundredth of a pixel, without trailing zeros.
QString N(double value) { return QString::number(std::round(value * 100) / 100, 'g', 12); }

QString Colour(std::uint32_t argb) { return QStringLiteral("#%1").arg(argb & 0xFFFFFFu, 6, 16, QLatin1Char('0')); }

const char* Anchor(TPlotLabel::TAlign align) {
  switch (align) {
    case TPlotLabel::TAlign::Start: return "start";
    case TPlotLabel::TAlign::Middle: return "middle";
    case TPlotLabel::TAlign::End: return "end";
  }
  return "start";
}

// The label's top, middle or bottom on its point, as QPainter's AlignTop, AlignVCenter and AlignBottom place it.
const char* Baseline(TPlotLabel::TAlign align) {
  switch (align) {
    case TPlotLabel::TAlign::Start: return "text-before-edge";
    case TPlotLabel::TAlign::Middle: return "central";
    case TPlotLabel::TAlign::End: return "text-after-edge";
  }
  return "central";
}

QString PathOf(const TPlotLines& lines) {
  QString path;
  for (const std::vector<TPlotPoint>& stroke : lines.strokes)
    for (std::size_t i = 0; i < stroke.size(); ++i)
      path += QLatin1Char(i == 0 ? 'M' : 'L') + N(stroke[i].x) + QLatin1Char(' ') + N(stroke[i].y);
  return path;
}

}  // namespace

void WritePlotSvg(THtml& html, const TPlot& plot, double width, double height, std::string_view title) {
  html.Open("svg", {{"xmlns", QStringLiteral("http://www.w3.org/2000/svg")},
                    {"class", QStringLiteral("plot")},
                    {"width", N(width)},
                    {"height", N(height)},
                    {"viewBox", QStringLiteral("0 0 %1 %2").arg(N(width), N(height))},
                    {"role", QStringLiteral("img")},
                    {"aria-label", Visible(title)}});
  for (const TPlotShape& shape : plot.shapes) {
    if (const auto* fill = std::get_if<TPlotFill>(&shape)) {
      html.Void("rect", {{"x", N(fill->box.left)},
                         {"y", N(fill->box.top)},
                         {"width", N(fill->box.width)},
                         {"height", N(fill->box.height)},
                         {"fill", Colour(fill->colour)}});
    } else if (const auto* lines = std::get_if<TPlotLines>(&shape)) {
      // Qt's dashes: 4 pen widths drawn, 2 left out.
      html.Void("path", {{"d", PathOf(*lines)},
                         {"fill", QStringLiteral("none")},
                         {"stroke", Colour(lines->colour)},
                         {"stroke-width", N(lines->width)},
                         {"stroke-dasharray", lines->dashed ? N(4 * lines->width) + " " + N(2 * lines->width) : QStringLiteral("none")}});
    } else if (const auto* label = std::get_if<TPlotLabel>(&shape)) {
      html.Element("text", label->text,
                   {{"x", N(label->at.x)},
                    {"y", N(label->at.y)},
                    {"text-anchor", QString::fromLatin1(Anchor(label->horizontal))},
                    {"dominant-baseline", QString::fromLatin1(Baseline(label->vertical))},
                    {"font-size", N(kPlotLabelPixels)},
                    {"fill", Colour(label->colour)}});
    }
  }
  html.Close();
}
