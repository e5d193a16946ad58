#pragma once

#include <QByteArray>
#include <QString>
#include <QXmlStreamWriter>

#include <initializer_list>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "report/ReportLanguage.h"

// What the HTML files of the front ends are written with: the report and its
// answer sheet.

inline QString Q(std::string_view utf8) { return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size())); }

// Text from outside the program as a reader should see it: control
// characters shown as escapes (VisibleText), and the two characters that XML
// cannot hold and that no escape covers replaced by U+FFFD.
QString Visible(std::string_view utf8);

using TAttributes = std::initializer_list<std::pair<const char*, QString>>;

// An XHTML-compatible writer: every element is closed explicitly, so that
// the same file reads as HTML and as XML.
class THtml {
 public:
  explicit THtml(QByteArray* out) : xml_(out) {}

  void Open(const char* tag, TAttributes attributes = {});
  // Never <tag/>, which HTML would read as an open element.
  void Close();
  // An element without content: an HTML void element (<meta>, <input>, <img>)
  // or an empty one of inline SVG, where <tag/> is read as closed.
  void Void(const char* tag, TAttributes attributes = {});
  void Raw(const QString& text) { xml_.writeCharacters(text); }
  // Text from outside the program (decoded text, file names, trace lines),
  // escaped by the writer.
  void Text(std::string_view utf8) { xml_.writeCharacters(Visible(utf8)); }
  void Element(const char* tag, std::string_view text, TAttributes attributes = {});
  void Dtd() { xml_.writeDTD(QStringLiteral("<!DOCTYPE html>")); }
  bool Failed() const { return xml_.hasError(); }

 private:
  void Attributes(TAttributes attributes);
  QXmlStreamWriter xml_;
};

// The head of a document: its title and the style sheet (with `moreStyle`
// after it), then <body> opened.
// <html lang> follows `language`.
void OpenDocument(THtml& html, std::string_view title, std::string_view moreStyle = {},
                  TReportLanguage language = TReportLanguage::Japanese);
// A document about `subject` (a picture, a folder): titled "TITLE — SUBJECT",
// its <header> opened with TITLE as the heading.
void OpenTitledDocument(THtml& html, std::string_view title, std::string_view subject, std::string_view moreStyle,
                        TReportLanguage language);
// Closes <body> and <html>. Throws std::runtime_error when the writer failed.
std::string CloseDocument(THtml& html, const QByteArray& out);

// The lines of a text pane from line `from` on, as preformatted text.
void Lines(THtml& html, const std::vector<std::string>& lines, std::size_t from = 0, TAttributes attributes = {});
// A row of a table of facts.
void Row(THtml& html, std::string_view heading, std::string_view value);
