#include "report/HtmlWriter.h"

#include <stdexcept>

#include "common/VisibleText.h"

namespace {

// No character here needs escaping inside a style element: the writer would
// turn < > & and the double quote into entities, which CSS does not read.
//
// On paper (A4) every page of the window starts a printed page, no picture or
// plot is split, pictures of one-pane pages are larger, listings are printed
// whole, and colours that stand behind text on screen become frames: nothing
// dark is left behind text, and nothing relies on the browser printing
// backgrounds.
constexpr const char* kStyle = R"(
body { font-family: sans-serif; margin: 1.5em auto; max-width: 70em; padding: 0 1em; line-height: 1.6; color: #1b1b1b; background: #fbfbfb }
h1 { font-size: 1.6em; margin-bottom: .3em }
h2 { font-size: 1.3em; border-bottom: 1px solid #bbb; margin-top: 2em }
table.facts th { text-align: left; font-weight: normal; color: #555; padding-right: 1.5em; vertical-align: top }
nav ol { padding-left: 1.5em; columns: 2 }
.en { color: #555; font-size: .92em }
.panes, .plots { display: flex; flex-wrap: wrap; gap: 1.5em; align-items: flex-start }
figure { margin: 0; max-width: 100% }
figcaption { font-size: .92em; color: #333 }
.name { font-family: monospace; color: #777 }
.frame { overflow: auto; max-width: 100% }
.zoom { display: none }
.picture { display: block; width: 420px; max-width: 100%; height: auto; border: 1px solid #999; background: #fff; cursor: zoom-in }
.modules { image-rendering: pixelated }
.zoom:checked + label .picture { width: var(--zoom); max-width: none; cursor: zoom-out; image-rendering: pixelated }
.same { width: 420px; max-width: 100%; box-sizing: border-box; border: 1px dashed #999; padding: 1em; color: #555; margin: 0 }
.empty { color: #777; font-style: italic }
pre { background: #fff; border: 1px solid #ccc; padding: .5em .8em; margin: 0; overflow: auto; max-height: 32em; max-width: 60em; font-size: .9em }
svg.plot { display: block; border: 1px solid #bbb; background: #fff; font-family: sans-serif }
table.map { border-collapse: collapse; font-family: monospace; font-size: .9em }
table.map th { font-weight: normal; color: #555; padding: 0 .5em }
table.map td { width: 2.2em; text-align: center; border: 1px solid #fff; color: #fff; background: var(--cell) }
table.map td.chosen { outline: 3px solid #000; outline-offset: -3px }
.legend span { display: inline-block; padding: 0 .5em; margin: .1em .3em .1em 0; color: #fff; background: var(--cell) }
ol.chain { list-style: none; padding: 0; display: flex; flex-wrap: wrap; gap: .3em }
ol.chain li { padding: 0 .6em; border-radius: .8em; border: 1px solid #bbb }
ol.chain li.succeeded { background: #e3f3e5 }
ol.chain li.failed { background: #fbe3e3; border-color: #d32f2f; font-weight: bold }
ol.chain li.notrun { color: #888 }
.headline { font-weight: bold; font-size: 1.1em }
.unverified { background: #fff4f2; border: 1px dashed #b3261e }
.warning { color: #b3261e }
.hidden { color: #555; font-style: italic }
@page { size: A4; margin: 14mm 12mm }
@media print {
  body { background: #fff; color: #000; max-width: none; margin: 0; padding: 0; line-height: 1.45; font-size: 10pt }
  section.page, #explorer { break-before: page }
  h2 { margin-top: 0 }
  h2, h3, figcaption { break-after: avoid }
  img, svg, figure.plot, table.map { break-inside: avoid }
  .picture, .zoom:checked + label .picture { width: 88mm; max-width: 100%; max-height: 230mm; object-fit: contain; cursor: auto }
  .panes figure:only-child .picture { width: 160mm }
  .same { width: 88mm }
  .plots { gap: 3mm }
  svg.plot { width: 58mm; height: auto }
  .frame { overflow: visible }
  pre { max-height: none; max-width: none; overflow: visible; white-space: pre-wrap; overflow-wrap: anywhere; background: none; font-size: 8.5pt }
  figure.listing { flex: 1 1 100% }
  figure.listing pre, pre.listing { column-width: 8em; column-rule: 1px solid #ccc }
  .en, figcaption, .name, table.facts th { color: #333 }
  table.map td { background: none; color: #000; border: 3px solid var(--cell) }
  table.map td.chosen { outline: 2px solid #000; outline-offset: -5px }
  .legend span { background: none; color: #000; border-left: 1.2em solid var(--cell) }
  ol.chain li.succeeded, ol.chain li.failed, .unverified { background: none }
}
)";

}  // namespace

QString Visible(std::string_view utf8) {
  QString text = Q(VisibleText(utf8));
  for (QChar& c : text)
    if (c.unicode() == 0xFFFE || c.unicode() == 0xFFFF) c = QChar::ReplacementCharacter;
  return text;
}

void THtml::Attributes(TAttributes attributes) {
  for (const auto& [name, value] : attributes) xml_.writeAttribute(QString::fromLatin1(name), value);
}

void THtml::Open(const char* tag, TAttributes attributes) {
  xml_.writeStartElement(QString::fromLatin1(tag));
  Attributes(attributes);
}

void THtml::Close() {
  xml_.writeCharacters(QString());
  xml_.writeEndElement();
}

void THtml::Void(const char* tag, TAttributes attributes) {
  xml_.writeEmptyElement(QString::fromLatin1(tag));
  Attributes(attributes);
}

void THtml::Element(const char* tag, std::string_view text, TAttributes attributes) {
  Open(tag, attributes);
  Text(text);
  Close();
}

void OpenDocument(THtml& html, std::string_view title, std::string_view moreStyle, TReportLanguage language) {
  html.Dtd();
  html.Open("html", {{"lang", Q(LanguageTag(language))}});
  html.Open("head");
  html.Void("meta", {{"charset", QStringLiteral("utf-8")}});
  html.Void("meta", {{"name", QStringLiteral("viewport")}, {"content", QStringLiteral("width=device-width, initial-scale=1")}});
  html.Element("title", title);
  html.Open("style");
  html.Raw(QString::fromLatin1(kStyle));
  html.Raw(Q(moreStyle));
  html.Close();
  html.Close();
  html.Open("body");
}

void OpenTitledDocument(THtml& html, std::string_view title, std::string_view subject, std::string_view moreStyle,
                        TReportLanguage language) {
  OpenDocument(html, std::string(title) + " — " + std::string(subject), moreStyle, language);
  html.Open("header");
  html.Element("h1", title);
}

std::string CloseDocument(THtml& html, const QByteArray& out) {
  html.Close();
  html.Close();
  if (html.Failed()) throw std::runtime_error("the report could not be written as HTML");
  return std::string(out.constData(), static_cast<std::size_t>(out.size()));
}

void Lines(THtml& html, const std::vector<std::string>& lines, std::size_t from, TAttributes attributes) {
  html.Open("pre", attributes);
  for (std::size_t i = from; i < lines.size(); ++i) {
    html.Text(lines[i]);
    html.Raw(QStringLiteral("\n"));
  }
  html.Close();
}

void Row(THtml& html, std::string_view heading, std::string_view value) {
  html.Open("tr");
  html.Element("th", heading);
  html.Element("td", value);
  html.Close();
}
