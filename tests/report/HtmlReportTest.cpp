#include <gtest/gtest.h>

#include <QByteArray>
#include <QRegularExpression>
#include <QString>
#include <QXmlStreamReader>

#include <map>
#include <set>
#include <string>
#include <vector>

#include "TestSymbols.h"
#include "StageFailures.h"
#include "common/ShiftJis.h"
#include "decoder/Analysis.h"
#include "decoder/DiagnosisTexts.h"
#include "report/DiagnosisPlots.h"
#include "report/HtmlReport.h"
#include "report/Pages.h"

using namespace testing_support;

namespace {

struct TAnalysed {
  explicit TAnalysed(const TBitmap& loaded, const TAnalysisParameters& parameters = {}) : picture(loaded) {
    surfaces.Image(TImagePaneId::Image1).ReplacePicture(picture);
    surfaces.Image(TImagePaneId::Image2).ReplacePicture(picture);
    result = Analyse(veltrix, surfaces, picture, parameters);
  }
  std::string Report(const std::string& name = "symbol.bmp", const std::string& jpeg = {}) const {
    return HtmlReport({.pictureName = name, .width = picture.Width(), .height = picture.Height(), .surfaces = &surfaces,
                       .result = &result, .pictureJpeg = jpeg});
  }
  TBitmap picture;
  TSurfaces surfaces;
  TVeltrix veltrix{surfaces};
  TAnalysisResult result;
};

// What the report holds, read back as XML: every element with its attributes
// and text, in document order.
struct TElement {
  std::string name;
  std::map<std::string, std::string> attributes;
  std::string text;  // the text of the element and everything inside it
  std::string section;
};

struct TParsed {
  std::vector<TElement> elements;
  std::string error;
  std::string style;

  std::vector<const TElement*> All(const std::string& name, const std::string& section = {}) const {
    std::vector<const TElement*> found;
    for (const TElement& e : elements)
      if (e.name == name && (section.empty() || e.section == section)) found.push_back(&e);
    return found;
  }
};

TParsed Parse(const std::string& html) {
  TParsed parsed;
  QXmlStreamReader xml(QByteArray(html.data(), static_cast<qsizetype>(html.size())));
  std::vector<std::size_t> open;
  std::string section;
  while (!xml.atEnd()) {
    xml.readNext();
    if (xml.isStartElement()) {
      TElement element{xml.name().toString().toStdString(), {}, {}, section};
      for (const QXmlStreamAttribute& a : xml.attributes())
        element.attributes[a.name().toString().toStdString()] = a.value().toString().toStdString();
      if (element.name == "section") section = element.section = element.attributes["id"];
      open.push_back(parsed.elements.size());
      parsed.elements.push_back(element);
    } else if (xml.isCharacters()) {
      const std::string text = xml.text().toString().toStdString();
      for (const std::size_t i : open) parsed.elements[i].text += text;
    } else if (xml.isEndElement()) {
      if (parsed.elements[open.back()].name == "style") parsed.style = parsed.elements[open.back()].text;
      open.pop_back();
    }
  }
  if (xml.hasError()) parsed.error = xml.errorString().toStdString();
  return parsed;
}

TEST(HtmlReport, WellFormedWithEverySectionAndEveryPaneOfEveryPage) {
  const TAnalysed analysed(RenderSymbol(EncodeBytes("report", 2, 1), 4));
  ASSERT_TRUE(analysed.result.decoded);
  const std::string html = analysed.Report();
  EXPECT_EQ(html.rfind("<!DOCTYPE html>", 0), 0u);
  const TParsed parsed = Parse(html);
  ASSERT_EQ(parsed.error, "");

  std::vector<std::string> sections;
  for (const TElement* s : parsed.All("section")) sections.push_back(s->attributes.at("id"));
  std::vector<std::string> expected = {"outcome"};
  for (const TPage& page : Pages()) expected.push_back(std::string(page.objectName));
  EXPECT_EQ(sections, expected);

  for (std::size_t p = 0; p < Pages().size(); ++p) {
    const TPage& page = Pages()[p];
    if (page.body != TPage::TBody::Panes) continue;
    SCOPED_TRACE(std::string(page.objectName));
    const std::string key(page.objectName);
    ASSERT_EQ(parsed.All("h2", key).size(), 1u);
    EXPECT_EQ(parsed.All("h2", key)[0]->text, std::to_string(p + 1) + ". " + std::string(page.caption));
    std::size_t explanations = 0;
    for (const TElement* paragraph : parsed.All("p", key)) explanations += paragraph->attributes.count("lang");
    EXPECT_EQ(explanations, 2u) << "the explanation in Japanese and in English";
    std::size_t pictures = 0, texts = 0;
    for (const TPagePane& pane : page.panes) (pane.kind == TPagePane::TKind::Image ? pictures : texts) += 1;
    // Image2 refers to Image1 instead of holding the picture again.
    const std::size_t references = parsed.All("p", key).size() - 2;
    EXPECT_EQ(parsed.All("img", key).size() + references, pictures);
    EXPECT_EQ(references, key == "TabSheet2" ? 1u : 0u);
    EXPECT_EQ(parsed.All("pre", key).size(), texts);
    for (const TElement* img : parsed.All("img", key)) {
      const std::string& classes = img->attributes.at("class");
      const std::string pane = img->attributes.at("alt");
      const bool modules = pane == "DigitImage" || pane == "BlockImage" || pane == "MaskImage" || pane == "ResultImage";
      EXPECT_EQ(classes.find("modules") != std::string::npos, modules) << pane;
      // A click on the picture ticks the box before it, which enlarges it.
      EXPECT_NE(img->attributes.at("style").find("--zoom: "), std::string::npos);
    }
  }
  // The outcome: status panels, the stage reached and the three result lines.
  const std::string outcome = parsed.All("section", "outcome")[0]->text;
  for (const std::string& part : {std::string("Ｏｋ"), std::string("Veltrix Ver 3.0"), std::string("復号完了"),
                                  std::string("データ :report\n完了\n")})
    EXPECT_NE(outcome.find(part), std::string::npos) << part;

  // Nothing is fetched and nothing runs: the pictures are in the file.
  for (const char* element : {"script", "link", "iframe", "object", "embed"})
    EXPECT_TRUE(parsed.All(element).empty()) << element;
  std::map<std::string, std::string> sourceOf;
  for (const TElement& e : parsed.elements) {
    if (e.attributes.count("src")) {
      EXPECT_EQ(e.name, "img");
      EXPECT_EQ(e.attributes.at("src").rfind("data:image/png;base64,", 0), 0u);
      sourceOf[e.attributes.at("alt")] = e.attributes.at("src");
    }
    if (e.attributes.count("href")) {
      EXPECT_EQ(e.attributes.at("href").front(), '#');
    }
    for (const auto& [name, value] : e.attributes) EXPECT_NE(name.rfind("on", 0), 0u) << name;
  }
  EXPECT_EQ(parsed.style.find("url("), std::string::npos);
  // The loaded picture once, the sampled matrix on both of its panes.
  EXPECT_EQ(sourceOf.size(), 9u);
  EXPECT_EQ(sourceOf.count("Image2"), 0u);
  EXPECT_EQ(sourceOf.at("DigitImage"), sourceOf.at("BlockImage"));
  const std::vector<const TElement*> links = parsed.All("a", "TabSheet2");
  ASSERT_EQ(links.size(), 1u);
  EXPECT_EQ(links[0]->attributes.at("href"), "#pane-Image1");
  EXPECT_EQ(links[0]->text, "1. 読み込み画像");
  // On paper: A4, a printed page per page of the window.
  EXPECT_NE(parsed.style.find("@page { size: A4"), std::string::npos);
  EXPECT_NE(parsed.style.find("section.page, #explorer { break-before: page }"), std::string::npos);
}

TEST(HtmlReport, TextsFromThePictureAndTheFileSystemShowLiterally) {
  struct TCase {
    std::string text;   // the symbol's bytes
    std::string shown;  // what the report shows of them
  };
  // Control characters show as they would on a terminal.
  const std::vector<TCase> cases = {
      {"<script>alert(1)</script>", "<script>alert(1)</script>"},
      {"\"&'<>", "\"&'<>"},
      {"\x1b[2Jcleared\x07\\", "\\x1b[2Jcleared\\x07\\\\"},
      {"line\nbreak", "line\nbreak"},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.shown);
    const TAnalysed analysed(RenderSymbol(EncodeBytes(c.text, 1, 1), 4));
    ASSERT_TRUE(analysed.result.decoded);
    const std::string html = analysed.Report("<b>\"&'" + c.text + ".bmp");
    EXPECT_EQ(html.find("<script"), std::string::npos);
    EXPECT_EQ(html.find('\x1b'), std::string::npos);
    const TParsed parsed = Parse(html);
    ASSERT_EQ(parsed.error, "");
    EXPECT_NE(parsed.All("pre", "outcome")[0]->text.find("データ :" + c.shown + "\n完了"), std::string::npos);
    EXPECT_EQ(parsed.All("title")[0]->text, "Morilux 解析レポート — <b>\"&'" + c.shown + ".bmp");
  }
}

TEST(HtmlReport, TheListingHoldsTheLastAnalysisOnly) {
  TAnalysed analysed(RenderSymbol(EncodeBytes("first analysis", 2, 1), 4));
  const std::vector<std::string> first = analysed.surfaces.Text(TTextPaneId::BLMemo).Lines();
  analysed.result = Analyse(analysed.veltrix, analysed.surfaces, RenderSymbol(EncodeBytes("second", 1, 1), 4), {});
  ASSERT_EQ(analysed.result.listingStart, first.size());
  std::string expected;
  const std::vector<std::string>& lines = analysed.surfaces.Text(TTextPaneId::BLMemo).Lines();
  for (std::size_t i = first.size(); i < lines.size(); ++i) expected += lines[i] + "\n";
  ASSERT_FALSE(expected.empty());
  const TParsed parsed = Parse(analysed.Report());
  ASSERT_EQ(parsed.All("pre", "TabSheet6").size(), 1u);
  EXPECT_EQ(parsed.All("pre", "TabSheet6")[0]->text, expected);
}

// The diagnosis follows the ten pages: the chain of stages with the one that
// stopped, the verdict's evidence and suggestions in Japanese, and the data
// read without correction, marked unverified and shown literally.
TEST(HtmlReport, DiagnosisSectionAfterThePagesWithItsTextsEscaped) {
  // Version 5-Q; stream bytes 4 to 7 lie in block 0's data codewords 16, 20, 24 and 28,
  // so the hostile part after them is read as written.
  const std::string hostile = "The quick brown <i>fox</i> \x1b[2J & \"13 dogs\"";
  TTestSymbol symbol = EncodeBytes(hostile, 5, 2);
  for (const int k : {16, 20, 24, 28}) DamageCodeword(symbol, k);
  const TAnalysed analysed(RenderSymbol(symbol, 4));
  ASSERT_EQ(analysed.result.stage, TStage::Codewords);
  const std::string html = analysed.Report();
  EXPECT_EQ(html.find('\x1b'), std::string::npos);
  const TParsed parsed = Parse(html);
  ASSERT_EQ(parsed.error, "");
  const std::string key = "TabSheet10";
  ASSERT_EQ(parsed.All("h2", key).size(), 1u);
  EXPECT_EQ(parsed.All("h2", key)[0]->text, "11. 診断");
  EXPECT_TRUE(parsed.All("i", key).empty()) << "text from the symbol never becomes markup";

  std::vector<std::string> chain;
  for (const TElement* li : parsed.All("li", key))
    if (li->attributes.count("class")) chain.push_back(li->attributes.at("class"));
  EXPECT_EQ(chain, (std::vector<std::string>{"succeeded", "succeeded", "succeeded", "succeeded", "succeeded", "succeeded",
                                             "failed", "notrun"}));
  const std::string section = parsed.All("section", key)[0]->text;
  EXPECT_NE(section.find(DiagnosisHeadline(analysed.result.verdict)), std::string::npos);
  EXPECT_NE(section.find("コード語の読み取りと誤り訂正"), std::string::npos);
  EXPECT_NE(section.find(JapaneseText(analysed.result.verdict.evidence)), std::string::npos);
  for (const TSuggestion& suggestion : analysed.result.verdict.suggestions)
    EXPECT_NE(section.find(JapaneseText(suggestion)), std::string::npos);

  const std::vector<const TElement*> unverified = parsed.All("pre", key);
  ASSERT_EQ(unverified.size(), 1u);
  EXPECT_EQ(unverified[0]->attributes.at("class"), "unverified");
  EXPECT_NE(unverified[0]->text.find("<i>fox</i> \\x1b[2J & \"13 dogs\""), std::string::npos) << unverified[0]->text;
  EXPECT_NE(section.find(std::string(kUnverifiedTitle)), std::string::npos);

  // After a success: no unverified data, every stage succeeded.
  const TParsed decoded = Parse(TAnalysed(RenderSymbol(EncodeBytes("fine", 2, 1), 4)).Report());
  EXPECT_TRUE(decoded.All("pre", key).empty());
  EXPECT_NE(decoded.All("section", key)[0]->text.find("復号できました。"), std::string::npos);
}

// The loaded picture's own JPEG file stands for Image1 when it is given, and
// the page 診断 draws the window's plots as SVG: the histogram once the
// picture's grey levels are known.
TEST(HtmlReport, LoadedJpegEmbeddedAsItIsAndPlotsAsSvg) {
  TAnalysed analysed(RenderSymbol(EncodeBytes("plots", 2, 1), 4));
  const std::string jpeg("\xFF\xD8 any bytes \x00\xFF\xD9", 16);
  for (const bool histogram : {false, true}) {
    SCOPED_TRACE(histogram);
    if (histogram) analysed.result.diagnosis.pictureHistogram = TGreyHistogram{};
    // A name that looks like the pictures' place holders stays a name.
    const std::string name = "src=\"morilux-picture:0\" photo.jpg";
    const TParsed parsed = Parse(analysed.Report(name, jpeg));
    ASSERT_EQ(parsed.error, "");
    EXPECT_EQ(parsed.All("title")[0]->text, "Morilux 解析レポート — " + name);
    std::map<std::string, std::string> sourceOf;
    for (const TElement* img : parsed.All("img")) sourceOf[img->attributes.at("alt")] = img->attributes.at("src");
    const std::string prefix = "data:image/jpeg;base64,";
    ASSERT_EQ(sourceOf.at("Image1").rfind(prefix, 0), 0u);
    EXPECT_EQ(QByteArray::fromBase64(QByteArray::fromStdString(sourceOf.at("Image1").substr(prefix.size()))).toStdString(), jpeg);
    EXPECT_EQ(sourceOf.count("Image2"), 0u);
    EXPECT_EQ(sourceOf.at("FrontImage").rfind("data:image/png;base64,", 0), 0u);

    std::vector<std::string> plots;
    for (const TElement* svg : parsed.All("svg", "TabSheet10")) plots.push_back(svg->attributes.at("aria-label"));
    std::vector<std::string> expected;
    for (const TPlotTitle& plot : kDiagnosisPlots)
      if (histogram || plot.kind != TPlotKind::Histogram) expected.emplace_back(plot.title);
    EXPECT_EQ(plots, expected);
  }
}

}  // namespace
