#include "report/HtmlReport.h"

#include <QByteArray>
#include <QString>
#include <QXmlStreamWriter>

#include <algorithm>
#include <array>
#include <initializer_list>
#include <stdexcept>
#include <utility>
#include <vector>

#include "common/DecodeStages.h"
#include "common/ShiftJis.h"
#include "common/VisibleText.h"
#include "decoder/Verdict.h"
#include "report/DiagnosisTexts.h"
#include "report/ExploreCells.h"
#include "report/PaneFiles.h"
#include "report/Pages.h"
#include "report/StageTexts.h"

namespace {

// Width of a picture on the page, as the window's panes.
constexpr int kPaneWidth = 420;
// Module pictures are enlarged to at least this width on a click.
constexpr int kModuleZoomWidth = 1260;

// No character here needs escaping inside a style element: the writer would
// turn < > & and the double quote into entities, which CSS does not read.
constexpr const char* kStyle = R"(
body { font-family: sans-serif; margin: 1.5em auto; max-width: 70em; padding: 0 1em; line-height: 1.6; color: #1b1b1b; background: #fbfbfb }
h1 { font-size: 1.6em; margin-bottom: .3em }
h2 { font-size: 1.3em; border-bottom: 1px solid #bbb; margin-top: 2em }
table.facts th { text-align: left; font-weight: normal; color: #555; padding-right: 1.5em; vertical-align: top }
nav ol { padding-left: 1.5em; columns: 2 }
.en { color: #555; font-size: .92em }
.panes { display: flex; flex-wrap: wrap; gap: 1.5em; align-items: flex-start }
figure.pane { margin: 0; max-width: 100% }
figcaption { font-size: .92em; color: #333 }
.name { font-family: monospace; color: #777 }
.frame { overflow: auto; max-width: 100% }
.picture { display: block; width: 420px; max-width: 100%; background-size: 100% 100%; background-repeat: no-repeat; border: 1px solid #999; cursor: zoom-in }
.modules { image-rendering: pixelated }
.zoom { display: none }
.zoom:checked + .picture { width: var(--zoom); max-width: none; cursor: zoom-out; image-rendering: pixelated }
.empty { color: #777; font-style: italic }
pre { background: #fff; border: 1px solid #ccc; padding: .5em .8em; margin: 0; overflow: auto; max-height: 32em; max-width: 60em; font-size: .9em }
table.map { border-collapse: collapse; font-family: monospace; font-size: .9em }
table.map th { font-weight: normal; color: #555; padding: 0 .5em }
table.map td { width: 2.2em; text-align: center; border: 1px solid #fff; color: #fff }
table.map td.chosen { outline: 3px solid #000; outline-offset: -3px }
.legend span { display: inline-block; padding: 0 .5em; margin: .1em .3em .1em 0; color: #fff }
ol.chain { list-style: none; padding: 0; display: flex; flex-wrap: wrap; gap: .3em }
ol.chain li { padding: 0 .6em; border-radius: .8em; border: 1px solid #bbb }
ol.chain li.succeeded { background: #e3f3e5 }
ol.chain li.failed { background: #fbe3e3; border-color: #d32f2f; font-weight: bold }
ol.chain li.notrun { color: #888 }
.headline { font-weight: bold; font-size: 1.1em }
.unverified { background: #fff4f2; border: 1px dashed #b3261e }
.warning { color: #b3261e }
)";

QString Q(std::string_view utf8) { return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size())); }

// Text from outside the program as a reader should see it: control
// characters shown as escapes (VisibleText), and the two characters that XML
// cannot hold and that no escape covers replaced by U+FFFD.
QString Visible(std::string_view utf8) {
  QString text = Q(VisibleText(utf8));
  for (QChar& c : text)
    if (c.unicode() == 0xFFFE || c.unicode() == 0xFFFF) c = QChar::ReplacementCharacter;
  return text;
}

using TAttributes = std::initializer_list<std::pair<const char*, QString>>;

// An XHTML-compatible writer: every element is closed explicitly, so that
// the same file reads as HTML and as XML.
class THtml {
 public:
  explicit THtml(QByteArray* out) : xml_(out) {}

  void Open(const char* tag, TAttributes attributes = {}) {
    xml_.writeStartElement(QString::fromLatin1(tag));
    for (const auto& [name, value] : attributes) xml_.writeAttribute(QString::fromLatin1(name), value);
  }
  // Never <tag/>, which HTML would read as an open element.
  void Close() {
    xml_.writeCharacters(QString());
    xml_.writeEndElement();
  }
  void Void(const char* tag, TAttributes attributes = {}) {
    xml_.writeEmptyElement(QString::fromLatin1(tag));
    for (const auto& [name, value] : attributes) xml_.writeAttribute(QString::fromLatin1(name), value);
  }
  void Raw(const QString& text) { xml_.writeCharacters(text); }
  // Text from outside the program (decoded text, file names, trace lines),
  // escaped by the writer.
  void Text(std::string_view utf8) { xml_.writeCharacters(Visible(utf8)); }
  void Element(const char* tag, std::string_view text, TAttributes attributes = {}) {
    Open(tag, attributes);
    Text(text);
    Close();
  }
  void Dtd() { xml_.writeDTD(QStringLiteral("<!DOCTYPE html>")); }
  bool Failed() const { return xml_.hasError(); }

 private:
  QXmlStreamWriter xml_;
};

void Explanation(THtml& html, std::string_view text, const char* language) {
  html.Open("p", {{"lang", QString::fromLatin1(language)}, {"class", QString::fromLatin1(language)}});
  for (const TInlineSpan& span : InlineSpans(text)) {
    if (span.kind == TInlineSpan::TKind::Plain) {
      html.Text(span.text);
    } else {
      html.Element(span.kind == TInlineSpan::TKind::Code ? "code" : "strong", span.text);
    }
  }
  html.Close();
}

void Row(THtml& html, std::string_view heading, std::string_view value) {
  html.Open("tr");
  html.Element("th", heading);
  html.Element("td", value);
  html.Close();
}

void Lines(THtml& html, const std::vector<std::string>& lines, std::size_t from) {
  html.Open("pre");
  for (std::size_t i = from; i < lines.size(); ++i) {
    html.Text(lines[i]);
    html.Raw(QStringLiteral("\n"));
  }
  html.Close();
}

std::string ClassOf(std::size_t picture) { return "pic" + std::to_string(picture); }

void Picture(THtml& html, const TSurfaces& surfaces, const std::array<TPanePng, kImagePaneCount>& pngs,
             const TPagePane& pane) {
  const TBitmap& picture = surfaces.Image(pane.image).CurrentPicture();
  const auto index = static_cast<std::size_t>(pane.image);
  const QString name = Q(PaneName(pane.image));
  html.Open("figure", {{"class", QStringLiteral("pane")}});
  html.Open("figcaption");
  if (!pane.label.empty()) html.Text(std::string(pane.label) + " ");
  html.Element("span", PaneName(pane.image), {{"class", QStringLiteral("name")}});
  if (!picture.Empty()) {
    html.Raw(QStringLiteral(" "));
    html.Text(std::to_string(picture.Width()) + " × " + std::to_string(picture.Height()));
  }
  html.Close();
  if (picture.Empty()) {
    html.Element("p", "（画像なし）", {{"class", QStringLiteral("empty")}});
  } else {
    const std::size_t file = pngs[index].sameAs.value_or(index);
    const int zoom = pane.modules ? std::max(kModuleZoomWidth, picture.Width()) : std::max(2 * kPaneWidth, picture.Width());
    const QString id = QStringLiteral("zoom-") + name;
    html.Open("div", {{"class", QStringLiteral("frame")}});
    html.Void("input", {{"type", QStringLiteral("checkbox")}, {"id", id}, {"class", QStringLiteral("zoom")}});
    html.Open("label", {{"for", id},
                        {"class", QStringLiteral("picture ") + Q(ClassOf(file)) + (pane.modules ? " modules" : "")},
                        {"style", QStringLiteral("aspect-ratio: %1 / %2; --zoom: %3px")
                                      .arg(picture.Width())
                                      .arg(picture.Height())
                                      .arg(zoom)},
                        {"role", QStringLiteral("img")},
                        {"aria-label", name},
                        {"title", QStringLiteral("クリックで拡大・縮小")}});
    html.Close();
    html.Close();
  }
  html.Close();
}

void TextPane(THtml& html, const TSurfaces& surfaces, const TAnalysisResult& result, const TPagePane& pane) {
  html.Open("figure", {{"class", QStringLiteral("pane")}});
  html.Open("figcaption");
  if (!pane.label.empty()) html.Text(std::string(pane.label) + " ");
  html.Element("span", PaneName(pane.text), {{"class", QStringLiteral("name")}});
  // The window's listing grows with every analysis; the report holds this one's.
  const bool listing = pane.text == TTextPaneId::BLMemo;
  if (listing) html.Text(" （この解析の分）");
  html.Close();
  Lines(html, surfaces.Text(pane.text).Lines(), listing ? result.listingStart : 0);
  html.Close();
}

void ExplorerMap(THtml& html, const TExploreMap& map) {
  html.Open("section", {{"id", QStringLiteral("explorer")}});
  html.Element("h2", "パラメータ探索");
  html.Element("p",
               "Resolver と Warp の組み合わせごとに同じ解析を行った結果です。色は解析が止まった段階、文字は復号できた"
               "組み合わせ（読み取った文字列ごとに A、B…）を表します。枠で囲んだ組み合わせの解析が、このレポートの"
               "各ページに示されています。ForceVersion は " + std::to_string(map.grid.forceVersion) + " です。");
  if (map.texts.size() > 1)
    html.Element("p", "組み合わせによって異なる文字列が読み取られています。誤った読み取りが含まれている可能性があります。",
                 {{"class", QStringLiteral("warning")}});
  const std::optional<std::size_t> chosen = map.Chosen();
  html.Open("table", {{"class", QStringLiteral("map")}});
  html.Open("tr");
  html.Element("th", "Resolver \\ Warp");
  for (const std::int32_t warp : map.grid.warps) html.Element("th", std::to_string(warp));
  html.Close();
  for (std::size_t r = 0; r < map.grid.resolvers.size(); ++r) {
    html.Open("tr");
    html.Element("th", std::to_string(map.grid.resolvers[r]));
    for (std::size_t w = 0; w < map.grid.warps.size(); ++w) {
      const std::size_t index = r * map.grid.warps.size() + w;
      const TExploreCell& cell = map.cells[index];
      const QString colour = Q(CellColour(cell));
      html.Open("td", {{"style", QStringLiteral("background: ") + colour},
                       {"class", chosen == index ? QStringLiteral("chosen") : QString()},
                       {"title", Visible(CellTitle(cell))}});
      html.Text(CellMark(cell));
      html.Close();
    }
    html.Close();
  }
  html.Close();
  html.Open("p", {{"class", QStringLiteral("legend")}});
  for (const TStageName& stage : kStageNames) {
    html.Open("span", {{"style", QStringLiteral("background: ") +
                                     Q(StageColour(stage.stage))}});
    html.Text(stage.japanese);
    html.Close();
  }
  html.Close();
  if (!map.texts.empty()) {
    html.Open("ul");
    for (std::size_t t = 0; t < map.texts.size(); ++t) {
      html.Open("li");
      html.Text(std::string(1, static_cast<char>(t < 26 ? 'A' + t : '*')) + ": ");
      html.Text(ShiftJisToUtf8(map.texts[t]));
      html.Close();
    }
    html.Close();
  }
  html.Close();
}

// The stages in their order, each marked with how it ended in this analysis.
void StageChain(THtml& html, const TAnalysisResult& result) {
  html.Open("ol", {{"class", QStringLiteral("chain")}});
  for (const TStageName& stage : kStageNames) {
    if (stage.stage == TStage::Done) continue;
    const bool succeeded = result.decoded || stage.stage < result.stage;
    const bool failed = !succeeded && stage.stage == result.stage;
    html.Open("li", {{"class", succeeded ? QStringLiteral("succeeded") : failed ? QStringLiteral("failed") : QStringLiteral("notrun")}});
    html.Text(std::string(stage.japanese) + (succeeded ? " ✓" : failed ? " ✗ 停止" : " —"));
    html.Close();
  }
  html.Close();
}

// The diagnosis page's body: the verdict on the analysis.
void Diagnosis(THtml& html, const TAnalysisResult& result) {
  const TVerdict& verdict = result.verdict;
  StageChain(html, result);
  std::string headline = DiagnosisHeadline(verdict);
  if (!result.decoded && !result.failureReason.empty()) headline += "　" + result.failureReason;
  html.Element("p", headline, {{"class", QStringLiteral("headline")}});
  html.Element("p", "根拠：" + JapaneseText(verdict.evidence));
  const std::vector<std::string> figures = FigureLines(result.diagnosis, verdict);
  if (!figures.empty()) {
    html.Open("ul", {{"class", QStringLiteral("figures")}});
    for (const std::string& line : figures) html.Element("li", line);
    html.Close();
  }
  if (!verdict.suggestions.empty()) {
    html.Element("h3", "次に試すこと");
    html.Open("ul", {{"class", QStringLiteral("suggestions")}});
    for (const TSuggestion& suggestion : verdict.suggestions) html.Element("li", JapaneseText(suggestion));
    html.Close();
  }
  if (result.diagnosis.correction && result.diagnosis.correction->unverified) {
    html.Element("h3", kUnverifiedTitle, {{"class", QStringLiteral("warning")}});
    html.Element("p", kUnverifiedWarning, {{"class", QStringLiteral("warning")}});
    html.Open("pre", {{"class", QStringLiteral("unverified")}});
    html.Text(ShiftJisToUtf8(result.diagnosis.correction->unverified->text));
    html.Close();
  }
}

}  // namespace

std::string HtmlReport(const TReportInput& input) {
  const TSurfaces& surfaces = *input.surfaces;
  const TAnalysisResult& result = *input.result;
  const TStageTexts& explanations = TStageTexts::BuiltIn();
  const std::array<TPanePng, kImagePaneCount> pngs = EncodePanePictures(surfaces);

  QByteArray out;
  THtml html(&out);
  html.Dtd();
  html.Open("html", {{"lang", QStringLiteral("ja")}});
  html.Open("head");
  html.Void("meta", {{"charset", QStringLiteral("utf-8")}});
  html.Void("meta", {{"name", QStringLiteral("viewport")}, {"content", QStringLiteral("width=device-width, initial-scale=1")}});
  html.Element("title", "Morilux 解析レポート — " + input.pictureName);
  html.Open("style");
  html.Raw(QString::fromLatin1(kStyle));
  // Each picture once, as the background of every pane that shows it.
  for (std::size_t i = 0; i < kImagePaneCount; ++i) {
    if (pngs[i].file.empty()) continue;
    html.Raw(QStringLiteral(".") + Q(ClassOf(i)) + QStringLiteral(" { background-image: url(data:image/png;base64,"));
    // In pieces of a multiple of three bytes, so that no second copy of a
    // large picture is made at once.
    constexpr std::size_t kPiece = 3 << 20;
    for (std::size_t at = 0; at < pngs[i].file.size(); at += kPiece) {
      const std::size_t length = std::min(kPiece, pngs[i].file.size() - at);
      html.Raw(QString::fromLatin1(
          QByteArray::fromRawData(pngs[i].file.data() + at, static_cast<qsizetype>(length)).toBase64()));
    }
    html.Raw(QStringLiteral(") }\n"));
  }
  html.Close();
  html.Close();

  html.Open("body");
  html.Open("header");
  html.Element("h1", "Morilux 解析レポート");
  html.Open("table", {{"class", QStringLiteral("facts")}});
  Row(html, "画像", input.pictureName);
  if (!input.made.empty()) Row(html, "作成", input.made);
  Row(html, "大きさ", std::to_string(input.width) + " × " + std::to_string(input.height) + " 画素");
  Row(html, "Resolver", std::to_string(result.parameters.resolver));
  Row(html, "Warp", std::to_string(result.parameters.warp));
  Row(html, "ForceVersion", std::to_string(result.parameters.forceVersion));
  html.Close();
  html.Close();

  html.Open("section", {{"id", QStringLiteral("outcome")}});
  html.Element("h2", "結果");
  html.Open("table", {{"class", QStringLiteral("facts")}});
  Row(html, "状態", surfaces.Status(1));
  Row(html, "バージョン", surfaces.Status(0));
  Row(html, result.decoded ? "到達した段階" : "停止した段階", NameOf(result.stage).japanese);
  html.Close();
  Lines(html, surfaces.Text(TTextPaneId::ResultMemo).Lines(), 0);
  html.Close();

  if (input.explored != nullptr) ExplorerMap(html, *input.explored);

  html.Open("nav");
  html.Element("h2", "ページ");
  html.Open("ol");
  for (const TPage& page : Pages()) {
    html.Open("li");
    html.Element("a", page.caption, {{"href", QStringLiteral("#") + Q(page.objectName)}});
    html.Close();
  }
  html.Close();
  html.Close();

  for (std::size_t p = 0; p < Pages().size(); ++p) {
    const TPage& page = Pages()[p];
    const TStageText& text = explanations.At(page.explanationKey);
    html.Open("section", {{"id", Q(page.objectName)}, {"class", QStringLiteral("page")}});
    html.Element("h2", std::to_string(p + 1) + ". " + std::string(page.caption));
    Explanation(html, text.ja, "ja");
    Explanation(html, text.en, "en");
    if (page.body == TPage::TBody::Diagnosis) {
      Diagnosis(html, result);
    } else {
      html.Open("div", {{"class", QStringLiteral("panes")}});
      for (const TPagePane& pane : page.panes) {
        if (pane.kind == TPagePane::TKind::Image)
          Picture(html, surfaces, pngs, pane);
        else
          TextPane(html, surfaces, result, pane);
      }
      html.Close();
    }
    html.Close();
  }
  html.Close();
  html.Close();
  if (html.Failed()) throw std::runtime_error("the report could not be written as HTML");
  return std::string(out.constData(), static_cast<std::size_t>(out.size()));
}
