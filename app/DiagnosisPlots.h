#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <vector>

#include <QRectF>
#include <QString>
#include <QWidget>

#include "common/Diagnosis.h"

class QPainter;

// The plots of the diagnosis page, each painted into any rectangle, so that
// the page's widgets and a test's picture show the same drawing.

// The binarization's two grey levels: the threshold T, and the level below
// which a pixel is dark (T − Resolver).
struct TGreyMarks {
  std::int32_t threshold = 0;
  std::int32_t darkBelow = 0;
};

// Colours the plots use, named so that a test can find them in a picture.
namespace plot_colours {
inline constexpr QRgb kDarkSide = 0xFFD6DCEB;     // behind the grey levels that turn dark
inline constexpr QRgb kBar = 0xFF4A4A4A;          // histogram bars, the grey profile
inline constexpr QRgb kThreshold = 0xFF1F5FBF;    // T
inline constexpr QRgb kDarkBelow = 0xFFD32F2F;    // T − Resolver
inline constexpr QRgb kPassed = 0xFF2E9D3A;       // a version whose timing share passed
inline constexpr QRgb kFellShort = 0xFFE08E00;    // one whose share fell short
inline constexpr QRgb kNeeded = 0xFFD32F2F;       // the share needed
}  // namespace plot_colours

// Pixels per grey level as bars, the dark side shaded, lines at T and T − Resolver.
void PaintHistogram(QPainter& painter, const QRectF& area, const TGreyHistogram& histogram, TGreyMarks marks);
// The grey level along the middle row, left to right, with the same lines.
void PaintProfile(QPainter& painter, const QRectF& area, std::span<const std::uint8_t> row, TGreyMarks marks);
// One bar per version tried, its share of matching timing samples, against the share needed.
void PaintTimingShares(QPainter& painter, const QRectF& area, const std::vector<TTimingTrial>& trials, double needed);

// A titled frame around one plot.
class TPlotView : public QWidget {
 public:
  using TPaint = std::function<void(QPainter&, const QRectF&)>;

  TPlotView(const QString& title, QWidget* parent = nullptr);
  // What to paint inside the frame; none hides the view.
  void SetPaint(TPaint paint);
  QString Title() const { return title_; }
  QSize sizeHint() const override { return {300, 170}; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QString title_;
  TPaint paint_;
};
