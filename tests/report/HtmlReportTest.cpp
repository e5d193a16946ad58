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
#include "report/DiagnosisTexts.h"
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
  std::string Report(const std::string& name = "symbol.bmp") const {
    return HtmlReport({name, picture.Width(), picture.Height(), &surfaces, &result});
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
    EXPECT_EQ(parsed.All("p", key).size(), 2u) << "the explanation in Japanese and in English";
    std::size_t pictures = 0, texts = 0;
    for (const TPagePane& pane : page.panes) (pane.kind == TPagePane::TKind::Image ? pictures : texts) += 1;
    EXPECT_EQ(parsed.All("label", key).size(), pictures);
    EXPECT_EQ(parsed.All("pre", key).size(), texts);
    for (const TElement* label : parsed.All("label", key)) {
      const std::string& classes = label->attributes.at("class");
      const std::string pane = label->attributes.at("aria-label");
      const bool modules = pane == "DigitImage" || pane == "BlockImage" || pane == "MaskImage" || pane == "ResultImage";
      EXPECT_EQ(classes.find("modules") != std::string::npos, modules) << pane;
    }
  }
  // The outcome: status panels, the stage reached and the three result lines.
  const std::string outcome = parsed.All("section", "outcome")[0]->text;
  for (const std::string& part : {std::string("Ｏｋ"), std::string("Veltrix Ver 3.0"), std::string("復号完了"),
                                  std::string("データ :report\n完了\n")})
    EXPECT_NE(outcome.find(part), std::string::npos) << part;

  // Nothing is fetched and nothing runs.
  for (const char* element : {"script", "img", "link", "iframe", "object", "embed"})
    EXPECT_TRUE(parsed.All(element).empty()) << element;
  for (const TElement& e : parsed.elements) {
    EXPECT_EQ(e.attributes.count("src"), 0u) << e.name;
    if (e.attributes.count("href")) {
      EXPECT_EQ(e.attributes.at("href").front(), '#');
    }
    for (const auto& [name, value] : e.attributes) EXPECT_NE(name.rfind("on", 0), 0u) << name;
  }
  static const QRegularExpression url(QStringLiteral("url\\(([^)]*)\\)"));
  auto urls = url.globalMatch(QString::fromStdString(parsed.style));
  std::size_t embedded = 0;
  while (urls.hasNext()) {
    EXPECT_TRUE(urls.next().captured(1).startsWith(QStringLiteral("data:image/png;base64,")));
    ++embedded;
  }
  // Each picture once: the loaded picture serves Image1 and Image2, the
  // sampled matrix DigitImage and BlockImage.
  std::set<std::string> classes;
  std::map<std::string, std::string> classOf;
  for (const TElement* label : parsed.All("label")) {
    classes.insert(label->attributes.at("class").substr(8, 4));
    classOf[label->attributes.at("aria-label")] = label->attributes.at("class");
  }
  EXPECT_EQ(embedded, classes.size());
  EXPECT_EQ(embedded, 8u);
  EXPECT_EQ(classOf.at("Image1"), classOf.at("Image2"));
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

}  // namespace
