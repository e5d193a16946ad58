#pragma once

#include <functional>

#include <QRectF>
#include <QString>
#include <QWidget>

#include "report/DiagnosisPlots.h"

class QPainter;

// The diagnosis plots on the page 診断: the drawings of report/DiagnosisPlots
// painted with QPainter, into the page's widgets or a test's picture.

TPlotArea PlotArea(const QRectF& rect);
// Paints every shape of the drawing in its order, antialiased as the painter is set.
void PaintPlot(QPainter& painter, const TPlot& plot);

// A titled frame around one plot.
class TPlotView : public QWidget {
 public:
  // The drawing for the area inside the frame.
  using TDraw = std::function<TPlot(const TPlotArea& area)>;

  TPlotView(const QString& title, QWidget* parent = nullptr);
  // What to draw inside the frame; none hides the view.
  void SetDraw(TDraw draw);
  QString Title() const { return title_; }
  QSize sizeHint() const override { return {300, 170}; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QString title_;
  TDraw draw_;
};
