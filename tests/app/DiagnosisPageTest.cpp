#include <chrono>
#include <string>
#include <vector>

#include <QImage>
#include <QPainter>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <gtest/gtest.h>

#include "DiagnosisPage.h"
#include "DiagnosisPlots.h"
#include "ExplorerWindow.h"
#include "PaneTools.h"
#include "MainUnit.h"
#include "StageFailures.h"
#include "TestSymbols.h"
#include "WindowTestSupport.h"
#include "decoder/DiagnosisTexts.h"
#include "decoder/TrialTexts.h"
#include "TrialWorker.h"
#include "image/FrontImage.h"

namespace {

using namespace testing_support;
using window_testing::MainWindow;

QString Q(const std::string& utf8) { return QString::fromStdString(utf8); }

// Lets the window run until the trial of its last analysis has been shown.
void AwaitTrial(TForm1& form) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  while (form.DiagnosisView().Trying() && std::chrono::steady_clock::now() < deadline) QTest::qWait(5);
  ASSERT_FALSE(form.DiagnosisView().Trying());
}

// After a success and after failures at known stages: the stage named in
// words, the chain's states (the failing stage failed, those before it
// succeeded, those after it not run), the verdict's evidence and its
// suggestions in Japanese, each tried first: the page says it is trying,
// then shows only values that got past the stage (each does when analysed
// with it); the analysis leaves the page in front where it was.
TEST_F(MainWindow, DiagnosisPageNamesTheStageAndShowsTheSuggestions) {
  struct TCase {
    const char* name;
    TBitmap picture;
    TStage stage;              // where the decode stopped
    const char* named;         // words the headline holds
    bool suggestion;           // at least one suggestion expected
    bool timingPlot;
    bool blurred = false;      // the trial names the picture as blurred
  };
  const std::vector<TCase> cases = {
      {"decoded", RenderSymbol(EncodeBytes("fine", 2, 1), 4), TStage::Done, "復号できました", false, true},
      {"dark background", SymbolOnDarkBackground(), TStage::FinderSearch, "位置検出パターンの探索", true, false},
      {"timing damaged", TimingDamaged(), TStage::Version, "型番の決定", false, true},
      {"format unreadable", FormatUnreadable(), TStage::Format, "形式情報", false, true},
      {"block beyond correction", BlockBeyondCorrection(), TStage::Codewords, "コード語の読み取りと誤り訂正", false, true},
      {"dark beyond the corner", DarkBeyondTheCorner(), TStage::Corners, "四隅の検出", true, true},
      {"blurred", BlurredSymbol(), TStage::Version, "型番の決定", true, true, true},
      {"mirrored", RenderSymbol(MirrorImage(EncodeBytes("mirrored", 3, 1)), 4), TStage::Codewords,
       "コード語の読み取りと誤り訂正", true, true},
  };
  auto* pages = Find<QTabWidget>("PageControl1");
  TDiagnosisPage& page = form_->DiagnosisView();
  EXPECT_EQ(page.Note(), "まだ解析していません。画像を読み込んで「解析」を押すと、ここに診断が表示されます。");
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_EQ(Load(c.picture, "case.bmp"), TForm1::TLoadResult::Loaded);
    pages->setCurrentWidget(Find<QWidget>("TabSheet8"));
    form_->AnalyBtnClick();
    const TAnalysisResult& result = form_->LastAnalysis();
    ASSERT_EQ(result.stage, c.stage) << result.failureReason;
    EXPECT_EQ(Page(), "TabSheet8");

    EXPECT_TRUE(page.Headline().contains(QString::fromUtf8(c.named))) << page.Headline().toStdString();
    EXPECT_TRUE(page.Evidence().startsWith("根拠：" + Q(JapaneseText(result.verdict.evidence)))) << page.Evidence().toStdString();
    EXPECT_EQ(page.Evidence().contains("エラーコード 1"), result.errorCode == 1);
    EXPECT_EQ(page.Evidence().contains("シンボルが左右反転しています"), std::string(c.name) == "mirrored");
    if (result.verdict.mirrored) {
      EXPECT_TRUE(page.Evidence().contains(Q(JapaneseText(*result.verdict.mirrored))));
    }
    EXPECT_EQ(page.TraceNotesText().contains("プロック数"), result.diagnosis.correction.has_value());
    EXPECT_EQ(page.Trying(), !result.decoded);
    if (!result.decoded) {
      EXPECT_EQ(page.TrialNote(), "値を変えて試しています…");
    }
    AwaitTrial(*form_);
    // The edges measured by the trial join the evidence.
    EXPECT_EQ(page.Evidence().contains("画像がぼやけています。"), c.blurred) << page.Evidence().toStdString();
    QStringList expected;
    if (const std::optional<TTrial>& trial = form_->Trials().Last()) {
      EXPECT_EQ(trial->stage, c.stage);
      for (const TTriedValue& value : trial->helped) {
        expected << "・" + Q(JapaneseText(value, *trial));
        EXPECT_GT(value.reached, c.stage);
        // Followed, the value takes the decode as far as the page says.
        TSurfaces surfaces;
        TVeltrix veltrix(surfaces);
        const TAnalysisResult followed =
            Analyse(veltrix, surfaces, ApplyOperations(c.picture, value.operations), value.parameters);
        EXPECT_EQ(followed.decoded ? TStage::Done : followed.stage, value.reached);
      }
      EXPECT_FALSE(page.TrialNote().isEmpty());
    }
    EXPECT_EQ(page.Suggestions(), expected);
    if (c.suggestion) {
      EXPECT_FALSE(expected.isEmpty());
    }
    for (std::size_t s = 0; s + 1 < kStageCount; ++s) {
      const auto stage = static_cast<TStage>(s);
      const TPageState state = page.StageState(stage);
      if (result.decoded || stage < c.stage) {
        EXPECT_EQ(state, TPageState::Succeeded) << NameOf(stage).key;
      } else {
        EXPECT_EQ(state, stage == c.stage ? TPageState::Failed : TPageState::NotRun) << NameOf(stage).key;
      }
    }
    EXPECT_EQ(page.findChild<TPlotView*>("TimingPlot")->isVisibleTo(&page), c.timingPlot);
    // The mirrored symbol's codewords, read transposed, hold no data to show.
    EXPECT_EQ(page.Unverified().isEmpty(), c.stage != TStage::Codewords || std::string(c.name) == "mirrored");
    EXPECT_EQ(page.Note(), "");
  }
}

// The page is appended after the ten, which keep their order, captions and
// object names, with 位置検索 in front at start; its tab shows the same
// states as the others: failed with the analysis, stale after a new load.
TEST_F(MainWindow, DiagnosisPageFollowsTheTenPagesAndTheirStates) {
  auto* pages = Find<QTabWidget>("PageControl1");
  ASSERT_EQ(pages->count(), 11);
  EXPECT_EQ(pages->widget(10)->objectName(), "TabSheet10");
  EXPECT_EQ(pages->tabText(10), "診断");
  EXPECT_EQ(pages->widget(10), &form_->DiagnosisView());
  EXPECT_EQ(Page(), "TabSheet11");

  ASSERT_EQ(Load(FinderPatternErased(), "erased.bmp"), TForm1::TLoadResult::Loaded);
  form_->AnalyBtnClick();
  EXPECT_EQ(form_->Inspector().States().State("TabSheet10"), TPageState::Failed);
  EXPECT_FALSE(pages->tabIcon(10).isNull());
  ASSERT_EQ(Load(RenderSymbol(EncodeBytes("next", 1, 1), 4), "next.bmp"), TForm1::TLoadResult::Loaded);
  EXPECT_EQ(form_->Inspector().States().State("TabSheet10"), TPageState::Stale);
  EXPECT_EQ(form_->DiagnosisView().Note(), StateText(TPageState::Stale));
}

// A tried value of another Resolver offers the explorer, whose command it
// opens; its button analyses with it.
TEST_F(MainWindow, ResolverSuggestionOpensTheExplorer) {
  ASSERT_EQ(Load(SymbolOnDarkBackground(), "dark.bmp"), TForm1::TLoadResult::Loaded);
  form_->AnalyBtnClick();
  AwaitTrial(*form_);
  ASSERT_TRUE(form_->Trials().Last());
  const TTriedValue best = form_->Trials().Last()->helped.at(0);
  ASSERT_NE(best.parameters.resolver, form_->LastAnalysis().parameters.resolver);
  auto* open = form_->DiagnosisView().findChild<QPushButton*>("ExploreButton");
  ASSERT_NE(open, nullptr);
  EXPECT_EQ(open->text(), "パラメータ探索…");
  EXPECT_EQ(form_->findChild<TExplorerWindow*>(), nullptr);
  open->click();
  auto* explorer = form_->findChild<TExplorerWindow*>();
  ASSERT_NE(explorer, nullptr);
  EXPECT_TRUE(explorer->isVisible());
  explorer->close();
  auto* apply = form_->DiagnosisView().findChild<QPushButton*>("ApplyButton");
  ASSERT_NE(apply, nullptr);
  apply->click();
  EXPECT_EQ(form_->LastAnalysis().parameters, best.parameters);
  EXPECT_EQ(form_->LastAnalysis().decoded ? TStage::Done : form_->LastAnalysis().stage, best.reached);
}

// The picture's own histogram takes a pass over the picture: it is made when
// the page is shown, not by the analysis.
TEST_F(MainWindow, PictureHistogramIsMadeWhenThePageIsShown) {
  const TBitmap picture = SymbolOnDarkBackground();
  ASSERT_EQ(Load(picture, "dark.bmp"), TForm1::TLoadResult::Loaded);
  form_->show();
  form_->AnalyBtnClick();
  TDiagnosisPage& page = form_->DiagnosisView();
  EXPECT_FALSE(page.PictureHistogram().has_value());
  Find<QTabWidget>("PageControl1")->setCurrentWidget(&page);
  ASSERT_TRUE(page.PictureHistogram().has_value());
  EXPECT_EQ(*page.PictureHistogram(), TFrontImage::GreyHistogram(picture));
  EXPECT_TRUE(page.findChild<TPlotView*>("HistogramPlot")->isVisibleTo(&page));
  // Analysed again while in front: made at once.
  form_->AnalyBtnClick();
  EXPECT_TRUE(page.PictureHistogram().has_value());
}

// Control characters of a reading without correction show as escapes.
TEST_F(MainWindow, UnverifiedDataShowsControlCharactersAsEscapes) {
  TTestSymbol symbol = EncodeBytes("The quick brown fox\x1b[2J jumps over dogs", 5, 2);
  for (const int k : {16, 20, 24, 28}) DamageCodeword(symbol, k);
  ASSERT_EQ(Load(RenderSymbol(symbol, 4), "hostile.bmp"), TForm1::TLoadResult::Loaded);
  form_->AnalyBtnClick();
  const QString shown = form_->DiagnosisView().Unverified();
  EXPECT_TRUE(shown.contains("fox\\x1b[2J jumps")) << shown.toStdString();
  EXPECT_FALSE(shown.contains(QChar(0x1b)));
}

// The plots: the grey levels below T − Resolver shaded, the lines of T and
// T − Resolver where their grey levels lie; timing bars coloured by whether
// the version passed, the share needed drawn across.
TEST(DiagnosisPlots, MarksStandWhereTheirValuesLie) {
  const QRectF area(0, 0, 292 + 44, 200);  // a data area 292 pixels wide: 256 grey levels
  QImage image(area.size().toSize(), QImage::Format_ARGB32);
  const auto column = [&](double grey) { return static_cast<int>(36 + 292 * grey / 256.0); };
  // The colour in the column or beside it (lines fall on either side of a pixel edge).
  const auto has = [&](int x, QRgb colour) {
    for (int dx = -1; dx <= 1; ++dx)
      for (int y = 0; y < image.height(); ++y)
        if (image.pixel(x + dx, y) == colour) return true;
    return false;
  };
  TGreyHistogram histogram{};
  histogram[20] = 10;
  histogram[220] = 40;
  const TGreyMarks marks{140, 100};
  image.fill(Qt::white);
  {
    QPainter painter(&image);
    PaintPlot(painter, HistogramPlot(PlotArea(area), histogram, marks));
  }
  EXPECT_TRUE(has(column(50), plot_colours::kDarkSide));
  EXPECT_FALSE(has(column(120), plot_colours::kDarkSide));
  EXPECT_TRUE(has(column(140), plot_colours::kThreshold));
  EXPECT_TRUE(has(column(100), plot_colours::kDarkBelow));
  EXPECT_TRUE(has(column(20.5), plot_colours::kBar));
  EXPECT_TRUE(has(column(220.5), plot_colours::kBar));
  EXPECT_FALSE(has(column(60.5), plot_colours::kBar));

  image.fill(Qt::white);
  {
    QPainter painter(&image);
    PaintPlot(painter, TimingSharesPlot(PlotArea(area), {{2, 13, 11, 9, false}, {3, 17, 17, -1, true}}, 0.9));
  }
  EXPECT_TRUE(has(column(64), plot_colours::kFellShort));
  EXPECT_TRUE(has(column(192), plot_colours::kPassed));
  EXPECT_FALSE(has(column(192), plot_colours::kFellShort));
}

}  // namespace

namespace {

// A new analysis drops what the trial of the one before would still deliver;
// a new load stops the running trial, and nothing of it is shown.
TEST_F(MainWindow, NewAnalysisOrLoadDropsTheRunningTrial) {
  TDiagnosisPage& page = form_->DiagnosisView();
  ASSERT_EQ(Load(SymbolOnDarkBackground(), "dark.bmp"), TForm1::TLoadResult::Loaded);
  form_->SetFieldsAndAnalyse({-128, 6, 0});
  ASSERT_FALSE(form_->LastAnalysis().decoded);
  form_->SetFieldsAndAnalyse({7, 6, 0});
  ASSERT_FALSE(form_->LastAnalysis().decoded);
  AwaitTrial(*form_);
  QTest::qWait(50);
  ASSERT_TRUE(form_->Trials().Last());
  EXPECT_EQ(form_->Trials().Last()->parameters, form_->LastAnalysis().parameters);

  form_->AnalyBtnClick();
  EXPECT_TRUE(page.Trying());
  EXPECT_TRUE(form_->Trials().Running());
  ASSERT_EQ(Load(TimingDamaged(), "next.bmp"), TForm1::TLoadResult::Loaded);
  EXPECT_FALSE(page.Trying());
  EXPECT_FALSE(form_->Trials().Running());
  EXPECT_EQ(page.TrialNote(), "新しい画像が読み込まれたので、値を試すのをやめました。");
  QTest::qWait(100);
  EXPECT_FALSE(form_->Trials().Last());
  EXPECT_EQ(page.TrialNote(), "新しい画像が読み込まれたので、値を試すのをやめました。");
}

}  // namespace
