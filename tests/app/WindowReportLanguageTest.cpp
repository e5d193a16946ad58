#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ConformancePictures.h"
#include "EnglishHtml.h"
#include "TestSymbols.h"
#include "UiLanguage.h"
#include "WindowReport.h"
#include "decoder/Analysis.h"
#include "decoder/Explorer.h"

using namespace testing_support;

namespace {

class WindowReportLanguage : public ::testing::Test {
 protected:
  void TearDown() override { SetUiLanguage(TUiLanguage::Japanese); }
};

// The window's report follows the window's language, both ways; the
// exercise's answer sheet with it.
TEST_F(WindowReportLanguage, FollowsTheWindow) {
  struct TCase {
    const char* name;
    TBitmap picture;
    TAnalysisParameters parameters;
  };
  const std::vector<TCase> cases = {
      {"decoded", RenderSymbol(EncodeBytes("Hello", 1, 1), 4), {}},
      {"not decoded", FaintSymbol("faint"), {}},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.name);
    TSurfaces surfaces;
    TVeltrix veltrix(surfaces);
    const TAnalysisResult result = Analyse(veltrix, surfaces, c.picture, c.parameters);
    std::vector<TImagePaneId> drawn;
    for (std::size_t pane = 0; pane < kImagePaneCount; ++pane) drawn.push_back(static_cast<TImagePaneId>(pane));
    const TWindowReportInput input{.surfaces = &surfaces, .drawn = &drawn, .analysis = &result,
                                   .pictureName = "picture.bmp", .picture = &c.picture, .hideAnswer = true};
    const TWindowReport japanese = WindowReport(input);
    EXPECT_NE(japanese.report.find("<html lang=\"ja\">"), std::string::npos);

    SetUiLanguage(TUiLanguage::English);
    const TWindowReport english = WindowReport(input);
    for (const std::string* file : {&english.report, &english.answers}) {
      EXPECT_NE(file->find("<html lang=\"en\">"), std::string::npos);
      for (const std::string& text : JapaneseOutsideTheStages(*file)) ADD_FAILURE() << text;
    }
    EXPECT_NE(english.report.find("Morilux analysis report"), std::string::npos);

    SetUiLanguage(TUiLanguage::Japanese);
    const TWindowReport again = WindowReport(input);
    EXPECT_EQ(again.report, japanese.report);
    EXPECT_EQ(again.answers, japanese.answers);
  }
}

}  // namespace
