#include <gtest/gtest.h>

#include <QByteArray>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QXmlStreamReader>

#include <string>
#include <vector>

#include "picture/JpegFile.h"
#include "report/ClassSummary.h"

namespace {

// A table as a browser reads it: the headings, each row's cells' texts, and
// the links and pictures of each row.
struct TTable {
  std::vector<std::string> headings;
  std::vector<std::vector<std::string>> cells;
  std::vector<std::vector<std::string>> links;
  std::vector<std::string> images;
  std::string all;  // every text of the document
  std::vector<std::string> hrefs;
};

TTable Read(const std::string& html) {
  TTable table;
  QXmlStreamReader xml(QByteArray::fromStdString(html));
  bool inTable = false;
  while (!xml.atEnd()) {
    xml.readNext();
    if (xml.isStartElement()) {
      const QString name = xml.name().toString();
      if (name == "a") table.hrefs.push_back(xml.attributes().value("href").toString().toStdString());
      if (name == "table" && xml.attributes().value("class") == QStringLiteral("class")) inTable = true;
      if (!inTable) continue;
      if (name == "tr") {
        table.cells.emplace_back();
        table.links.emplace_back();
      }
      if (name == "th") table.headings.push_back(xml.readElementText().toStdString());
      if (name == "img") table.images.push_back(xml.attributes().value("src").toString().toStdString());
      if (name == "a") table.links.back().push_back(xml.attributes().value("href").toString().toStdString());
      if (name == "td") table.cells.back().emplace_back();
    } else if (xml.isCharacters()) {
      table.all += xml.text().toString().toStdString();
      if (inTable && !table.cells.empty() && !table.cells.back().empty()) table.cells.back().back() += xml.text().toString().toStdString();
    } else if (xml.isEndElement() && xml.name() == QStringLiteral("table")) {
      inTable = false;
    }
  }
  EXPECT_FALSE(xml.hasError()) << xml.errorString().toStdString();
  // The heading row counts as no row.
  if (!table.cells.empty() && table.cells.front().empty()) {
    table.cells.erase(table.cells.begin());
    table.links.erase(table.links.begin());
  }
  return table;
}

bool Holds(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

// A decoded picture with a name and a text that need escaping, one that
// stopped with two suggestions, one that could not be read.
std::vector<TClassRow> Rows() {
  TBitmap small(20, 10);
  small.SetPixel(3, 3, kBlack);
  TClassRow decoded;
  decoded.name = "a #1?<b>.jpg";
  decoded.outcome = TClassOutcome::Decoded;
  decoded.width = 640;
  decoded.height = 480;
  decoded.thumbnail = EncodeJpeg(small, 85);
  decoded.thumbnailWidth = 20;
  decoded.thumbnailHeight = 10;
  decoded.text = "<b>&\"x\x1b";
  decoded.stage = TStage::Done;
  decoded.verdict.decoded = true;
  decoded.verdict.evidence = {TEvidenceKind::Decoded, {1, 0}, {}};
  decoded.report = decoded.name + ".html";
  decoded.json = R"({"format": 1, "text": "<b>"})";

  TClassRow failed;
  failed.name = "b.bmp";
  failed.outcome = TClassOutcome::NotDecoded;
  failed.message = "位置検出パターンがみつかりません。";
  failed.width = 100;
  failed.height = 90;
  failed.stage = TStage::FinderSearch;
  failed.verdict.stage = TStage::FinderSearch;
  failed.verdict.evidence = {TEvidenceKind::TooFewCandidates, {1, 3, 52}, {}};
  failed.verdict.suggestions = {{TSuggestionKind::SmallerResolver, -5}, {TSuggestionKind::SmallerWarp, 2}};
  failed.report = "b.bmp.html";

  TClassRow unreadable;
  unreadable.name = "c.png";
  unreadable.message = "c.png: the file is damaged";
  return {decoded, failed, unreadable};
}

TEST(ClassSummary, RowsInOrderWithThumbnailsLinksAndEscapedTexts) {
  const std::vector<TClassRow> rows = Rows();
  const TTable table = Read(ClassSummary({"class 3-B", &rows, {}, nullptr, false, {}}));
  ASSERT_EQ(table.cells.size(), 3u);
  std::vector<std::string> headings;
  for (const TClassColumnName& column : kClassColumns)
    if (column.column != TClassColumn::Explored) headings.emplace_back(column.heading);
  EXPECT_EQ(table.headings, headings);
  for (std::size_t r = 0; r < rows.size(); ++r) {
    ASSERT_EQ(table.cells[r].size(), headings.size()) << r;
    EXPECT_TRUE(Holds(table.cells[r][0], rows[r].name)) << r;
    EXPECT_EQ(table.cells[r][1], ClassCellText(rows[r], TClassColumn::Outcome));
  }
  // The decoded text shown as on a terminal; a link by the file name's bytes, escaped.
  EXPECT_EQ(table.cells[0][2], "<b>&\"x\\x1b");
  EXPECT_EQ(table.links[0], (std::vector<std::string>{"a%20%231%3F%3Cb%3E.jpg.html"}));
  EXPECT_EQ(table.images.size(), 1u);
  EXPECT_EQ(table.images[0].rfind("data:image/jpeg;base64,", 0), 0u);
  EXPECT_EQ(DecodeJpeg(QByteArray::fromBase64(QByteArray::fromStdString(table.images[0].substr(23))).toStdString()).Width(), 20);
  // The suggestions one a line; a picture not read has its reason and no link.
  EXPECT_EQ(table.cells[1][5], ClassCellText(rows[1], TClassColumn::Suggestion));
  EXPECT_EQ(std::count(table.cells[1][5].begin(), table.cells[1][5].end(), '\n'), 1);
  EXPECT_EQ(table.cells[1][3], "位置検出パターンの探索");
  EXPECT_EQ(table.cells[2][3], "—");
  EXPECT_EQ(table.cells[2][4], "c.png: the file is damaged");
  EXPECT_TRUE(table.links[2].empty());
  EXPECT_TRUE(Holds(table.all, "3 枚（復号できた 1、復号できなかった 1、読み込めない 1）"));
  EXPECT_TRUE(Holds(table.all, "class 3-B"));
}

TEST(ClassSummary, AnExerciseHidesTheTextsWhichItsAnswerSheetHolds) {
  const std::vector<TClassRow> rows = Rows();
  const TClassSummaryInput input{"class", &rows, {}, nullptr, true, "index-answer.html"};
  const std::string page = ClassSummary(input);
  const TTable table = Read(page);
  EXPECT_EQ(std::find(table.headings.begin(), table.headings.end(), "読み取った文字列"), table.headings.end());
  EXPECT_FALSE(Holds(page, "&lt;b&gt;&amp;"));
  EXPECT_FALSE(Holds(table.all, "<b>&"));
  EXPECT_NE(std::find(table.hrefs.begin(), table.hrefs.end(), "index-answer.html"), table.hrefs.end());

  const TTable answers = Read(ClassAnswerSheet(input));
  ASSERT_EQ(answers.cells.size(), 3u);
  EXPECT_EQ(answers.cells[0][2], "<b>&\"x\\x1b");
  EXPECT_EQ(answers.cells[1][2], "");
  EXPECT_EQ(answers.links[0], (std::vector<std::string>{"a%20%231%3F%3Cb%3E.jpg-answer.html"}));
  EXPECT_TRUE(answers.links[2].empty());
}

TEST(ClassSummary, AnExploredSetShowsItsGridAndEachChosenCell) {
  std::vector<TClassRow> rows = Rows();
  rows[0].parameters = {-8, 3, 0};
  rows[0].cells = 204;
  rows[0].decodingCells = 17;
  const TExploreGrid grid = TExploreGrid::Make(TExploreGrid::DefaultResolvers(), TExploreGrid::DefaultWarps(), 0);
  const TTable table = Read(ClassSummary({"class", &rows, {}, &grid, false, {}}));
  EXPECT_NE(std::find(table.headings.begin(), table.headings.end(), "探索で選んだ値"), table.headings.end());
  EXPECT_EQ(ClassCellText(rows[0], TClassColumn::Explored), "Resolver -8、Warp 3（204 組中 17 組で復号）");
  EXPECT_EQ(ClassCellText(rows[2], TClassColumn::Explored), "");
  EXPECT_TRUE(Holds(table.all, "Resolver -128〜128（34 値）、Warp 1〜6（6 値）"));
}

TEST(ClassSummary, JsonHoldsTheCountsAndEachPicturesSummary) {
  const std::vector<TClassRow> rows = Rows();
  for (const bool hide : {false, true}) {
    const std::string json = ClassSummaryJson({"class", &rows, {3, 5, 0}, nullptr, hide, {}});
    const QJsonObject document = QJsonDocument::fromJson(QByteArray::fromStdString(json)).object();
    EXPECT_EQ(document["format"].toInt(), 1);
    EXPECT_EQ(document["counts"].toObject(), (QJsonObject{{"pictures", 3}, {"decoded", 1}, {"notDecoded", 1}, {"unreadable", 1}}));
    EXPECT_EQ(document["parameters"].toObject()["resolver"].toInt(), 3);
    EXPECT_EQ(document.contains("answerHidden"), hide);
    const QJsonArray pictures = document["pictures"].toArray();
    ASSERT_EQ(pictures.size(), 3);
    const QStringList outcomes{"decoded", "not_decoded", "unreadable"};
    for (int i = 0; i < 3; ++i) {
      const QJsonObject picture = pictures[i].toObject();
      EXPECT_EQ(picture["file"].toString().toStdString(), rows[static_cast<std::size_t>(i)].name);
      EXPECT_EQ(picture["outcome"].toString(), outcomes[i]);
      EXPECT_EQ(picture["report"].isNull(), i == 2);
      EXPECT_EQ(picture["message"].isNull(), i == 0);
    }
    EXPECT_EQ(pictures[0].toObject()["analysis"].toObject()["text"].toString(), "<b>");
    EXPECT_TRUE(pictures[1].toObject()["analysis"].isNull());
  }
}

}  // namespace
