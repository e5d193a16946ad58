#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "common/Diagnosis.h"

// The plots of the diagnosis as drawings: every bar, line and label of a plot
// with its place and colour, worked out once from the record's figures. The
// window paints a drawing with QPainter (app/DiagnosisPlots) and the report
// writes it as SVG (report/PlotSvg); neither decides anything of its own, so
// that the two cannot show different plots.

struct TPlotPoint {
  double x = 0;
  double y = 0;
};

// A rectangle in the drawing's pixels.
struct TPlotArea {
  double left = 0;
  double top = 0;
  double width = 0;
  double height = 0;
  double Right() const { return left + width; }
  double Bottom() const { return top + height; }
};

// Colours of the plots as 0xAARRGGBB, named so that a test can find them in a picture.
namespace plot_colours {
inline constexpr std::uint32_t kDarkSide = 0xFFD6DCEB;   // behind the grey levels that turn dark
inline constexpr std::uint32_t kBar = 0xFF4A4A4A;        // histogram bars, the grey profile
inline constexpr std::uint32_t kThreshold = 0xFF1F5FBF;  // T
inline constexpr std::uint32_t kDarkBelow = 0xFFD32F2F;  // T − Resolver
inline constexpr std::uint32_t kPassed = 0xFF2E9D3A;     // a version whose timing share passed
inline constexpr std::uint32_t kFellShort = 0xFFE08E00;  // one whose share fell short
inline constexpr std::uint32_t kNeeded = 0xFFD32F2F;     // the share needed
inline constexpr std::uint32_t kAxis = 0xFF999999;
inline constexpr std::uint32_t kLabel = 0xFF555555;
}  // namespace plot_colours

// Labels are this many pixels high.
inline constexpr double kPlotLabelPixels = 10;

// A filled rectangle.
struct TPlotFill {
  TPlotArea box;
  std::uint32_t colour = 0;
};
// Strokes of one pen: each a line through its points.
struct TPlotLines {
  std::vector<std::vector<TPlotPoint>> strokes;
  std::uint32_t colour = 0;
  double width = 1;
  bool dashed = false;
};
// A label placed by one point: its start, middle or end lies at `at.x`, its
// top, middle or bottom at `at.y`.
struct TPlotLabel {
  enum class TAlign { Start, Middle, End };
  TPlotPoint at;
  TAlign horizontal = TAlign::Start;
  TAlign vertical = TAlign::Middle;
  std::string text;  // UTF-8
  std::uint32_t colour = plot_colours::kLabel;
};
using TPlotShape = std::variant<TPlotFill, TPlotLines, TPlotLabel>;

// The shapes in painting order: later ones cover earlier ones.
struct TPlot {
  std::vector<TPlotShape> shapes;
};

// The binarization's two grey levels: the threshold T, and the level below
// which a pixel is dark (T − Resolver).
struct TGreyMarks {
  std::int32_t threshold = 0;
  std::int32_t darkBelow = 0;
};

// Pixels per grey level as bars (a square-root scale), the dark side shaded,
// lines at T and T − Resolver.
TPlot HistogramPlot(const TPlotArea& area, const TGreyHistogram& histogram, TGreyMarks marks);
// The grey level along the middle row, left to right, with the same lines.
TPlot ProfilePlot(const TPlotArea& area, std::span<const std::uint8_t> row, TGreyMarks marks);
// One bar per version tried, its share of matching timing samples, against the share needed.
// Its two labels are in Japanese, or in English for the window in English.
TPlot TimingSharesPlot(const TPlotArea& area, const std::vector<TTimingTrial>& trials, double needed,
                       bool english = false);

// The plots of the diagnosis, in the order they are shown, with their titles.
enum class TPlotKind { Histogram, Profile, TimingShares };
struct TPlotTitle {
  TPlotKind kind;
  std::string_view objectName;
  std::string_view title;
};
inline constexpr std::array<TPlotTitle, 3> kDiagnosisPlots = {{
    {TPlotKind::Histogram, "HistogramPlot", "灰色の値のヒストグラム（画像全体）"},
    {TPlotKind::Profile, "ProfilePlot", "中央の行の灰色の値"},
    {TPlotKind::TimingShares, "TimingPlot", "タイミングパターンの一致率"},
}};

// The plot of that kind for the record, in `area`; none when the record lacks
// its figures (the histogram needs the picture's own, pictureHistogram).
std::optional<TPlot> DiagnosisPlot(TPlotKind kind, const TDiagnosis& record, const TPlotArea& area, bool english = false);
