#include <gtest/gtest.h>

#include <QByteArray>
#include <QXmlStreamReader>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "report/DiagnosisPlots.h"
#include "report/PlotSvg.h"

namespace {

// A data area 256 pixels wide and 100 high: one pixel per grey level.
constexpr TPlotArea kArea{0, 0, 256 + 44, 100 + 32};
constexpr double kLeft = 36, kTop = 16, kBottom = 116;

template <typename T>
std::vector<const T*> All(const TPlot& plot) {
  std::vector<const T*> found;
  for (const TPlotShape& shape : plot.shapes)
    if (const T* s = std::get_if<T>(&shape)) found.push_back(s);
  return found;
}

std::vector<std::string> Texts(const TPlot& plot) {
  std::vector<std::string> texts;
  for (const TPlotLabel* label : All<TPlotLabel>(plot)) texts.push_back(label->text);
  return texts;
}

const TPlotLines* LineOfColour(const TPlot& plot, std::uint32_t colour) {
  for (const TPlotLines* lines : All<TPlotLines>(plot))
    if (lines->colour == colour) return lines;
  return nullptr;
}

// Bars on a square-root scale where the levels have pixels, the dark side up
// to T − Resolver, the two lines where their levels lie, with their values.
TEST(DiagnosisPlots, HistogramBarsAndLinesStandAtTheirGreyLevels) {
  TGreyHistogram histogram{};
  histogram[20] = 25;
  histogram[220] = 100;
  const TPlot plot = HistogramPlot(kArea, histogram, {140, 100});
  std::vector<TPlotArea> bars;
  TPlotArea dark;
  for (const TPlotFill* fill : All<TPlotFill>(plot)) (fill->colour == plot_colours::kBar ? bars.push_back(fill->box) : void(dark = fill->box));
  ASSERT_EQ(bars.size(), 2u);
  EXPECT_DOUBLE_EQ(bars[0].left, kLeft + 20);
  EXPECT_DOUBLE_EQ(bars[0].height, 50);  // sqrt(25) / sqrt(100) of the height
  EXPECT_DOUBLE_EQ(bars[1].left, kLeft + 220);
  EXPECT_DOUBLE_EQ(bars[1].Bottom(), kBottom);
  EXPECT_DOUBLE_EQ(bars[1].top, kTop);
  EXPECT_DOUBLE_EQ(dark.left, kLeft);
  EXPECT_DOUBLE_EQ(dark.Right(), kLeft + 100);
  const TPlotLines* threshold = LineOfColour(plot, plot_colours::kThreshold);
  ASSERT_NE(threshold, nullptr);
  EXPECT_TRUE(threshold->dashed);
  EXPECT_DOUBLE_EQ(threshold->strokes[0][0].x, kLeft + 140);
  const std::vector<std::string> texts = Texts(plot);
  for (const char* text : {"0", "128", "255", "T = 140", "T − Resolver = 100", "100"})
    EXPECT_NE(std::find(texts.begin(), texts.end(), text), texts.end()) << text;
  // Levels outside the scale are held at its ends.
  EXPECT_DOUBLE_EQ(LineOfColour(HistogramPlot(kArea, histogram, {300, -20}), plot_colours::kThreshold)->strokes[0][0].x,
                   kLeft + 256);
}

// A row no wider than the plot: one point per pixel. A wider one: the range of
// each column's pixels, so that a single dark pixel still reaches its grey.
TEST(DiagnosisPlots, ProfileKeepsEveryDarkRun) {
  const std::vector<std::uint8_t> narrow = {200, 10, 200};
  const TPlot few = ProfilePlot(kArea, narrow, {128, 121});
  const std::vector<std::vector<TPlotPoint>>& strokes = LineOfColour(few, plot_colours::kBar)->strokes;
  ASSERT_EQ(strokes.size(), 1u);
  EXPECT_EQ(strokes[0].size(), 3u);

  std::vector<std::uint8_t> wide(4000, 230);
  wide[2001] = 3;
  const TPlot plot = ProfilePlot(kArea, wide, {128, 121});
  const std::vector<std::vector<TPlotPoint>>& columns = LineOfColour(plot, plot_colours::kBar)->strokes;
  EXPECT_EQ(columns.size(), 256u);
  const auto y = [](int grey) { return kBottom - 100 * (grey + 0.5) / 256.0; };
  double lowest = 0;
  for (const std::vector<TPlotPoint>& column : columns)
    for (const TPlotPoint& point : column) lowest = std::max(lowest, point.y);
  EXPECT_DOUBLE_EQ(lowest, y(3));
  const std::vector<std::string> texts = Texts(plot);
  EXPECT_NE(std::find(texts.begin(), texts.end(), "x = 3999"), texts.end());
}

// One bar per version, coloured by whether it passed; crowded numbers thinned out.
TEST(DiagnosisPlots, TimingBarsPerVersionAgainstTheShareNeeded) {
  const TPlot two = TimingSharesPlot(kArea, {{2, 13, 11, 9, false}, {3, 17, 17, -1, true}}, 0.9);
  const std::vector<const TPlotFill*> bars = All<TPlotFill>(two);
  ASSERT_EQ(bars.size(), 2u);
  EXPECT_EQ(bars[0]->colour, plot_colours::kFellShort);
  EXPECT_EQ(bars[1]->colour, plot_colours::kPassed);
  EXPECT_DOUBLE_EQ(bars[1]->box.top, kTop);
  EXPECT_DOUBLE_EQ(LineOfColour(two, plot_colours::kNeeded)->strokes[0][0].y, kBottom - 90);
  const std::vector<std::string> texts = Texts(two);
  EXPECT_NE(std::find(texts.begin(), texts.end(), "必要な一致率 90 %"), texts.end());
  // The window in English draws its two labels in English.
  const std::vector<std::string> english = Texts(TimingSharesPlot(kArea, {{2, 13, 11, 9, false}}, 0.9, true));
  EXPECT_NE(std::find(english.begin(), english.end(), "match needed 90 %"), english.end());
  EXPECT_NE(std::find(english.begin(), english.end(), "match by version"), english.end());

  std::vector<TTimingTrial> many;
  for (int version = 1; version <= 40; ++version) many.push_back({version, 10, 5, 5, false});
  const std::vector<std::string> numbers = Texts(TimingSharesPlot(kArea, many, 0.9));
  EXPECT_NE(std::find(numbers.begin(), numbers.end(), "1"), numbers.end());
  EXPECT_EQ(std::find(numbers.begin(), numbers.end(), "2"), numbers.end()) << "6.4 pixels a version: every fourth";
  EXPECT_NE(std::find(numbers.begin(), numbers.end(), "5"), numbers.end());
}

// Which plots a record has: the histogram needs the picture's own grey
// levels, the timing plot the versions tried.
TEST(DiagnosisPlots, ARecordShowsThePlotsItHasFiguresFor) {
  TDiagnosis record;
  for (const TPlotTitle& plot : kDiagnosisPlots) EXPECT_FALSE(DiagnosisPlot(plot.kind, record, kArea));
  record.binarization = TBinarizationFigures{};
  record.binarization->middleRow = {1, 2, 3};
  EXPECT_FALSE(DiagnosisPlot(TPlotKind::Histogram, record, kArea));
  EXPECT_TRUE(DiagnosisPlot(TPlotKind::Profile, record, kArea));
  record.pictureHistogram = TGreyHistogram{};
  EXPECT_TRUE(DiagnosisPlot(TPlotKind::Histogram, record, kArea));
  record.version = TVersionFigures{};
  EXPECT_FALSE(DiagnosisPlot(TPlotKind::TimingShares, record, kArea));
  record.version->trials = {{1, 10, 10, 0, true}};
  EXPECT_TRUE(DiagnosisPlot(TPlotKind::TimingShares, record, kArea));
}

// The SVG holds the drawing shape for shape, in its order, labels as text.
TEST(DiagnosisPlots, SvgHoldsEveryShapeOfTheDrawing) {
  TGreyHistogram histogram{};
  for (int g = 0; g < 256; g += 3) histogram[static_cast<std::size_t>(g)] = g;
  const TPlot plot = HistogramPlot(kArea, histogram, {120, 113});
  QByteArray out;
  THtml html(&out);
  WritePlotSvg(html, plot, kArea.width, kArea.height, "<title>");
  ASSERT_FALSE(html.Failed());
  std::vector<std::string> kinds, texts;
  QXmlStreamReader xml(out);
  while (!xml.atEnd()) {
    xml.readNext();
    if (!xml.isStartElement()) continue;
    if (xml.name() == QStringLiteral("svg")) {
      EXPECT_EQ(xml.attributes().value("aria-label"), QStringLiteral("<title>"));
      continue;
    }
    kinds.push_back(xml.name().toString().toStdString());
    if (kinds.back() == "text") texts.push_back(xml.readElementText().toStdString());
  }
  ASSERT_FALSE(xml.hasError()) << xml.errorString().toStdString();
  std::vector<std::string> expected;
  for (const TPlotShape& shape : plot.shapes)
    expected.push_back(std::holds_alternative<TPlotFill>(shape) ? "rect" : std::holds_alternative<TPlotLines>(shape) ? "path" : "text");
  EXPECT_EQ(kinds, expected);
  EXPECT_EQ(texts, Texts(plot));
}

}  // namespace
