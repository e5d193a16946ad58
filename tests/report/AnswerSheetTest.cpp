#include <gtest/gtest.h>

#include <QByteArray>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QXmlStreamReader>

#include <cctype>
#include <string>
#include <vector>

#include "StageFailures.h"
#include "TestSymbols.h"
#include "common/ShiftJis.h"
#include "decoder/Analysis.h"
#include "decoder/DecodingReport.h"
#include "decoder/Explorer.h"
#include "report/AnswerSheet.h"
#include "report/HtmlReport.h"
#include "report/JsonSummary.h"

using namespace testing_support;

namespace {

struct TAnalysed {
  explicit TAnalysed(const TBitmap& loaded) : picture(loaded) {
    surfaces.Image(TImagePaneId::Image1).ReplacePicture(picture);
    surfaces.Image(TImagePaneId::Image2).ReplacePicture(picture);
    result = Analyse(veltrix, surfaces, picture, {});
  }
  TReportInput Input(bool hide, const TExploreMap* map = nullptr) const {
    return {.pictureName = "exercise.bmp", .width = picture.Width(), .height = picture.Height(), .surfaces = &surfaces,
            .result = &result, .explored = map, .hideAnswer = hide};
  }
  const std::vector<std::string>& Lines(TTextPaneId pane) const { return surfaces.Text(pane).Lines(); }
  TBitmap picture;
  TSurfaces surfaces;
  TVeltrix veltrix{surfaces};
  TAnalysisResult result;
};

// The texts of every <pre> and the src of every <img>, as a browser reads them.
struct TShown {
  std::vector<std::string> pre;
  std::vector<std::string> sources;
  std::string all;  // every text and attribute value
};

TShown Read(const std::string& html) {
  TShown shown;
  QXmlStreamReader xml(QByteArray::fromStdString(html));
  while (!xml.atEnd()) {
    xml.readNext();
    if (xml.isStartElement()) {
      for (const QXmlStreamAttribute& a : xml.attributes()) shown.all += a.value().toString().toStdString() + "\n";
      if (xml.name() == QStringLiteral("img")) shown.sources.push_back(xml.attributes().value("src").toString().toStdString());
      if (xml.name() == QStringLiteral("pre")) {
        shown.pre.push_back(xml.readElementText(QXmlStreamReader::IncludeChildElements).toStdString());
        shown.all += shown.pre.back() + "\n";
      }
    } else if (xml.isCharacters()) {
      shown.all += xml.text().toString().toStdString();
    }
  }
  EXPECT_FALSE(xml.hasError()) << xml.errorString().toStdString();
  return shown;
}

bool Holds(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

// Version 5-Q: four blocks, 62 data codewords first in reading order, 72 of
// error correction after them; a codeword of block 1 damaged and mended.
const std::string kText = "EXERCISE 5Q: the quick brown fox jumps!";

// The exercise leaves out what gives the answer away, keeps every picture and
// every line (the values hidden), and the answer sheet holds what it left out.
TEST(AnswerSheet, ExerciseHidesTheAnswerAndTheSheetHoldsIt) {
  TTestSymbol symbol = EncodeBytes(kText, 5, 2);
  DamageCodeword(symbol, 17);
  const TAnalysed analysed(RenderSymbol(symbol, 4));
  ASSERT_TRUE(analysed.result.decoded);
  ASSERT_EQ(ShiftJisToUtf8(analysed.result.text), kText);

  const TShown full = Read(HtmlReport(analysed.Input(false)));
  const std::string exerciseHtml = HtmlReport(analysed.Input(true));
  const TShown exercise = Read(exerciseHtml);
  EXPECT_FALSE(Holds(exerciseHtml, "EXERCISE 5Q")) << "the text nowhere, title and headline included";
  EXPECT_TRUE(Holds(full.all, kText));
  EXPECT_EQ(exercise.sources, full.sources) << "every picture stays";

  // The listing: every line, the data codewords' values as ??.
  const std::vector<std::string> listing = ExerciseLines(TTextPaneId::BLMemo, analysed.Lines(TTextPaneId::BLMemo),
                                                         analysed.result.listingStart, analysed.result);
  const std::vector<std::string>& original = analysed.Lines(TTextPaneId::BLMemo);
  ASSERT_EQ(listing.size(), original.size());
  for (std::size_t i = 0; i < listing.size(); ++i) {
    const std::size_t k = i - decoding_report::kLinesBeforeCodewords;
    const bool codeword = i >= decoding_report::kLinesBeforeCodewords && k < 134;
    if (codeword && k < 62) {
      EXPECT_EQ(listing[i], original[i].substr(0, original[i].size() - 2) + "??") << i;
    } else {
      EXPECT_EQ(listing[i], original[i]) << i;
    }
  }
  // The trace: each block's codewords hidden, as read and as corrected; the rest kept.
  const std::vector<std::string> trace = ExerciseLines(TTextPaneId::RdSnMemo, analysed.Lines(TTextPaneId::RdSnMemo), 0, analysed.result);
  const std::vector<std::string>& traced = analysed.Lines(TTextPaneId::RdSnMemo);
  ASSERT_EQ(trace.size(), traced.size());
  int hidden = 0;
  for (std::size_t i = 0; i < trace.size(); ++i) {
    if (trace[i] == traced[i]) continue;
    ++hidden;
    EXPECT_TRUE(traced[i - 1] == "--- Decode Data ---" || traced[i - 1] == "--- Corrected Data ---") << traced[i - 1];
    EXPECT_EQ(trace[i], std::string(traced[i].size(), '?'));
  }
  EXPECT_EQ(hidden, 5) << "four blocks as read, one as corrected";
  EXPECT_TRUE(ExerciseLines(TTextPaneId::ResultMemo, analysed.Lines(TTextPaneId::ResultMemo), 0, analysed.result).empty());
  EXPECT_EQ(ExerciseLines(TTextPaneId::ImgMemo, analysed.Lines(TTextPaneId::ImgMemo), 0, analysed.result),
            analysed.Lines(TTextPaneId::ImgMemo));
  // The report shows those lines.
  std::string shownListing;
  for (const std::string& line : listing) shownListing += line + "\n";
  EXPECT_NE(std::find(exercise.pre.begin(), exercise.pre.end(), shownListing), exercise.pre.end());

  // The answer sheet: the text, the result lines, the listing and trace whole.
  const TShown sheet = Read(AnswerSheet(analysed.Input(true)));
  EXPECT_TRUE(Holds(sheet.all, kText));
  for (const TTextPaneId pane : {TTextPaneId::ResultMemo, TTextPaneId::BLMemo, TTextPaneId::RdSnMemo}) {
    std::string lines;
    for (const std::string& line : analysed.Lines(pane)) lines += line + "\n";
    EXPECT_NE(std::find(sheet.pre.begin(), sheet.pre.end(), lines), sheet.pre.end()) << PaneName(pane);
  }
  EXPECT_TRUE(sheet.sources.empty());
}

// The text read without correction and the explorer's texts are left out
// too, in the report and in the summary for programs.
TEST(AnswerSheet, UnverifiedAndExplorerTextsAreLeftOut) {
  const std::string damaged = "UNVERIFIED ANSWER the quick brown fox";
  TTestSymbol symbol = EncodeBytes(damaged, 5, 2);
  for (const int k : {16, 20, 24, 28}) DamageCodeword(symbol, k);
  const TAnalysed broken(RenderSymbol(symbol, 4));
  ASSERT_TRUE(broken.result.diagnosis.correction && broken.result.diagnosis.correction->unverified);
  const std::string unverified = ShiftJisToUtf8(broken.result.diagnosis.correction->unverified->text);
  ASSERT_TRUE(Holds(unverified, "ANSWER"));
  EXPECT_TRUE(Holds(Read(HtmlReport(broken.Input(false))).all, "ANSWER"));
  EXPECT_FALSE(Holds(Read(HtmlReport(broken.Input(true))).all, "ANSWER"));
  EXPECT_TRUE(Holds(Read(AnswerSheet(broken.Input(true))).all, unverified));

  const TAnalysed fine(RenderSymbol(EncodeBytes("EXPLORED ANSWER", 2, 1), 4));
  const TExploreMap map = TExplorer(fine.picture, TExploreGrid::Make({-8, 7, 15}, {5, 6, 1}, 0)).Run();
  ASSERT_EQ(map.texts.size(), 1u);
  const TShown report = Read(HtmlReport(fine.Input(true, &map)));
  EXPECT_FALSE(Holds(report.all, "EXPLORED"));
  EXPECT_TRUE(Holds(report.all, "復号（文字列 A）")) << "a cell keeps its letter";
  EXPECT_TRUE(Holds(report.all, "Resolver \\ Warp") && !Holds(report.all, "\\\\")) << "the map's corner, one backslash";
  EXPECT_TRUE(Holds(Read(AnswerSheet(fine.Input(true, &map))).all, "A: EXPLORED ANSWER"));

  // The summary leaves out every field of read text and says so.
  for (const TAnalysed* analysed : {&broken, &fine}) {
    const std::string json = JsonSummary(analysed->result, analysed->surfaces, &map, nullptr, true);
    EXPECT_FALSE(Holds(json, "ANSWER"));
    const QJsonObject document = QJsonDocument::fromJson(QByteArray::fromStdString(json)).object();
    EXPECT_TRUE(document["answerHidden"].toBool());
    EXPECT_FALSE(document.contains("text"));
    EXPECT_FALSE(document.contains("textHex"));
    for (const QJsonValue cell : document["explore"].toObject()["cells"].toArray()) EXPECT_FALSE(cell.toObject().contains("text"));
    const QJsonObject unread = document["diagnosis"].toObject()["figures"].toObject()["reed_solomon"].toObject()["unverified"].toObject();
    EXPECT_FALSE(unread.contains("text"));
    EXPECT_FALSE(unread.contains("text_hex"));
    EXPECT_FALSE(QJsonDocument::fromJson(QByteArray::fromStdString(JsonSummary(analysed->result, analysed->surfaces)))
                     .object()
                     .contains("answerHidden"));
  }
}

TEST(AnswerSheet, SheetLiesBesideTheReport) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"sheet.html", "sheet-answer.html"},
      {"out/week 3.HTM", "out/week 3-answer.HTM"},
      {"/tmp/a.b/report", "/tmp/a.b/report-answer.html"},
      {"report.tar.html", "report.tar-answer.html"},
  };
  for (const auto& [report, sheet] : cases) EXPECT_EQ(AnswerSheetPath(report), sheet) << report;
}

}  // namespace
