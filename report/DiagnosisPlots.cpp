#include "report/DiagnosisPlots.h"

#include <algorithm>
#include <cmath>

namespace {

using TAlign = TPlotLabel::TAlign;

// The margins around the data area hold the scales and the labels of the lines.
constexpr double kLeftMargin = 36;
constexpr double kBottomMargin = 16;
constexpr double kTopMargin = 16;
constexpr double kRightMargin = 8;

TPlotArea Inner(const TPlotArea& area) {
  return {area.left + kLeftMargin, area.top + kTopMargin, std::max(0.0, area.width - kLeftMargin - kRightMargin),
          std::max(0.0, area.height - kTopMargin - kBottomMargin)};
}

// A rectangle between two corners, in either order.
TPlotArea Between(TPlotPoint a, TPlotPoint b) {
  return {std::min(a.x, b.x), std::min(a.y, b.y), std::abs(b.x - a.x), std::abs(b.y - a.y)};
}

// The x of the left edge of grey level g (0 .. 256) in the data area.
double GreyX(const TPlotArea& inner, double grey) { return inner.left + inner.width * grey / 256.0; }

class TDrawing {
 public:
  void Fill(TPlotArea box, std::uint32_t colour) { plot_.shapes.emplace_back(TPlotFill{box, colour}); }
  void Line(TPlotPoint from, TPlotPoint to, std::uint32_t colour, double width = 1, bool dashed = false) {
    plot_.shapes.emplace_back(TPlotLines{{{from, to}}, colour, width, dashed});
  }
  void Strokes(std::vector<std::vector<TPlotPoint>> strokes, std::uint32_t colour) {
    plot_.shapes.emplace_back(TPlotLines{std::move(strokes), colour, 1, false});
  }
  void Label(TPlotPoint at, TAlign horizontal, TAlign vertical, std::string text,
             std::uint32_t colour = plot_colours::kLabel) {
    plot_.shapes.emplace_back(TPlotLabel{at, horizontal, vertical, std::move(text), colour});
  }
  // The two axes along the left and bottom edges of the data area.
  void Axes(const TPlotArea& inner) {
    Line({inner.left, inner.Bottom()}, {inner.Right(), inner.Bottom()}, plot_colours::kAxis);
    Line({inner.left, inner.Bottom()}, {inner.left, inner.top}, plot_colours::kAxis);
  }
  TPlot Take() { return std::move(plot_); }

 private:
  TPlot plot_;
};

// The grey levels that turn dark, shaded behind the data: left of the line
// on a grey scale across, below it on a scale upwards.
void DarkSide(TDrawing& drawing, const TPlotArea& inner, TGreyMarks marks, bool across) {
  const double clamped = std::clamp<double>(marks.darkBelow, 0, 256);
  if (across)
    drawing.Fill(Between({inner.left, inner.top}, {GreyX(inner, clamped), inner.Bottom()}), plot_colours::kDarkSide);
  else
    drawing.Fill(Between({inner.left, inner.Bottom() - inner.height * clamped / 256.0}, {inner.Right(), inner.Bottom()}),
                 plot_colours::kDarkSide);
}

// The lines of T and T − Resolver with their values: on a scale across, above
// the data area, T to the right of its line and T − Resolver to the left, so
// that both stay readable when the lines are close; on a scale upwards, at
// the right end, T above its line and T − Resolver below.
void GreyLines(TDrawing& drawing, const TPlotArea& inner, TGreyMarks marks, bool across) {
  const auto line = [&](std::int32_t grey, std::uint32_t colour, bool dashed, bool after, std::string text) {
    const double clamped = std::clamp<double>(grey, 0, 256);
    if (across) {
      const double x = GreyX(inner, clamped);
      drawing.Line({x, inner.top}, {x, inner.Bottom()}, colour, 1.5, dashed);
      drawing.Label({after ? x + 2 : x - 2, inner.top - kTopMargin / 2}, after ? TAlign::Start : TAlign::End,
                    TAlign::Middle, std::move(text), colour);
    } else {
      const double y = inner.Bottom() - inner.height * clamped / 256.0;
      drawing.Line({inner.left, y}, {inner.Right(), y}, colour, 1.5, dashed);
      drawing.Label({inner.Right(), after ? y - 7 : y + 7}, TAlign::End, TAlign::Middle, std::move(text), colour);
    }
  };
  line(marks.threshold, plot_colours::kThreshold, true, true, "T = " + std::to_string(marks.threshold));
  line(marks.darkBelow, plot_colours::kDarkBelow, false, false, "T − Resolver = " + std::to_string(marks.darkBelow));
}

// A value of the scale on the left, right-aligned against the data area.
TPlotPoint LeftScale(const TPlotArea& area, double y) { return {area.left + kLeftMargin - 4, y}; }

}  // namespace

TPlot HistogramPlot(const TPlotArea& area, const TGreyHistogram& histogram, TGreyMarks marks) {
  TDrawing drawing;
  const TPlotArea inner = Inner(area);
  DarkSide(drawing, inner, marks, true);
  const std::int64_t highest = std::max<std::int64_t>(1, *std::max_element(histogram.begin(), histogram.end()));
  // A square-root scale: a photograph's few dark modules would vanish beside its paper on a linear one.
  const double top = std::sqrt(static_cast<double>(highest));
  for (std::size_t grey = 0; grey < histogram.size(); ++grey) {
    if (histogram[grey] == 0) continue;
    const double height = inner.height * std::sqrt(static_cast<double>(histogram[grey])) / top;
    const double left = GreyX(inner, static_cast<double>(grey));
    const double right = std::max(GreyX(inner, static_cast<double>(grey + 1)), left + 1);
    drawing.Fill(Between({left, inner.Bottom() - height}, {right, inner.Bottom()}), plot_colours::kBar);
  }
  drawing.Axes(inner);
  for (const int grey : {0, 128, 255})
    drawing.Label({GreyX(inner, grey + 0.5), inner.Bottom() + 2}, TAlign::Middle, TAlign::Start, std::to_string(grey));
  GreyLines(drawing, inner, marks, true);
  drawing.Label(LeftScale(area, inner.top), TAlign::End, TAlign::Start, std::to_string(highest));
  return drawing.Take();
}

TPlot ProfilePlot(const TPlotArea& area, std::span<const std::uint8_t> row, TGreyMarks marks) {
  TDrawing drawing;
  const TPlotArea inner = Inner(area);
  DarkSide(drawing, inner, marks, false);
  const auto y = [&](double grey) { return inner.Bottom() - inner.height * (grey + 0.5) / 256.0; };
  const auto columns = static_cast<std::size_t>(std::max(1.0, std::floor(inner.width)));
  std::vector<std::vector<TPlotPoint>> strokes;
  if (row.size() <= columns) {
    // Few pixels: a line through each.
    std::vector<TPlotPoint> points;
    for (std::size_t x = 0; x < row.size(); ++x)
      points.push_back({inner.left + inner.width * (static_cast<double>(x) + 0.5) / static_cast<double>(row.size()),
                        y(row[x])});
    strokes.push_back(std::move(points));
  } else {
    // More pixels than columns: the range of each column's pixels, so that no
    // narrow dark run is lost, joined to the last pixel of the column before.
    for (std::size_t c = 0; c < columns; ++c) {
      const std::size_t from = c * row.size() / columns - (c > 0 ? 1 : 0);
      const std::size_t to = std::max(from + 1, (c + 1) * row.size() / columns);
      const auto [low, high] = std::minmax_element(row.begin() + static_cast<std::ptrdiff_t>(from),
                                                   row.begin() + static_cast<std::ptrdiff_t>(to));
      const double x = inner.left + static_cast<double>(c) + 0.5;
      strokes.push_back({{x, y(*low)}, {x, y(*high)}});
    }
  }
  drawing.Strokes(std::move(strokes), plot_colours::kBar);
  drawing.Axes(inner);
  for (const int grey : {0, 255}) drawing.Label(LeftScale(area, y(grey)), TAlign::End, TAlign::Middle, std::to_string(grey));
  drawing.Label({inner.left, inner.Bottom() + 2}, TAlign::Start, TAlign::Start, "x = 0");
  drawing.Label({inner.Right(), inner.Bottom() + 2}, TAlign::End, TAlign::Start,
                "x = " + std::to_string(row.empty() ? 0 : row.size() - 1));
  GreyLines(drawing, inner, marks, false);
  return drawing.Take();
}

TPlot TimingSharesPlot(const TPlotArea& area, const std::vector<TTimingTrial>& trials, double needed, bool english) {
  TDrawing drawing;
  const TPlotArea inner = Inner(area);
  const auto y = [&](double share) { return inner.Bottom() - inner.height * std::clamp(share, 0.0, 1.0); };
  const double slot = inner.width / static_cast<double>(std::max<std::size_t>(trials.size(), 1));
  // Every version's number while they fit, otherwise every n-th.
  const auto every = static_cast<std::size_t>(std::max(1.0, std::ceil(22.0 / std::max(slot, 1e-9))));
  for (std::size_t i = 0; i < trials.size(); ++i) {
    const TTimingTrial& trial = trials[i];
    const double left = inner.left + slot * static_cast<double>(i);
    drawing.Fill(Between({left + slot * 0.15, y(trial.Share())}, {left + slot * 0.85, inner.Bottom()}),
                 trial.passed ? plot_colours::kPassed : plot_colours::kFellShort);
    if (i % every == 0)
      drawing.Label({left + slot / 2, inner.Bottom() + 2}, TAlign::Middle, TAlign::Start, std::to_string(trial.version));
  }
  drawing.Axes(inner);
  for (const int percent : {0, 50, 100})
    drawing.Label(LeftScale(area, y(percent / 100.0)), TAlign::End, TAlign::Middle, std::to_string(percent) + " %");
  drawing.Line({inner.left, y(needed)}, {inner.Right(), y(needed)}, plot_colours::kNeeded, 1.5, true);
  drawing.Label({inner.Right(), inner.top - kTopMargin / 2}, TAlign::End, TAlign::Middle,
                (english ? "match needed " : "必要な一致率 ") + std::to_string(std::lround(needed * 100)) + " %",
                plot_colours::kNeeded);
  drawing.Label({inner.left, inner.top - kTopMargin / 2}, TAlign::Start, TAlign::Middle,
                english ? "match by version" : "型番ごとの一致率");
  return drawing.Take();
}

std::optional<TPlot> DiagnosisPlot(TPlotKind kind, const TDiagnosis& record, const TPlotArea& area, bool english) {
  const std::optional<TBinarizationFigures>& grey = record.binarization;
  const TGreyMarks marks = grey ? TGreyMarks{grey->threshold, grey->DarkBelow()} : TGreyMarks{};
  switch (kind) {
    case TPlotKind::Histogram:
      if (!grey || !record.pictureHistogram) return std::nullopt;
      return HistogramPlot(area, *record.pictureHistogram, marks);
    case TPlotKind::Profile:
      if (!grey) return std::nullopt;
      return ProfilePlot(area, grey->middleRow, marks);
    case TPlotKind::TimingShares:
      if (!record.version || record.version->trials.empty()) return std::nullopt;
      return TimingSharesPlot(area, record.version->trials, record.version->shareNeeded, english);
  }
  return std::nullopt;
}
