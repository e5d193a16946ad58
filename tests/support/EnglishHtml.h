#pragma once

#include <QRegularExpression>
#include <QString>
#include <QXmlStreamReader>

#include <string>
#include <vector>

namespace testing_support {

// Whether `text` holds a Japanese character (kana, kanji, full-width forms,
// Japanese punctuation).
inline bool HasJapanese(const QString& text) {
  static const QRegularExpression japanese(QStringLiteral("[\\x{3000}-\\x{30FF}\\x{4E00}-\\x{9FFF}\\x{FF00}-\\x{FFEF}]"));
  return text.contains(japanese);
}

// The Japanese an English report shows of its own accord: a window's caption
// after its English, "Picture (読み込み画像)", and a message of the decoder
// before its English meaning, "…みつかりません。 (No finder patterns found.)".
inline QString WithoutAllowedJapanese(QString text) {
  static const QRegularExpression caption(QStringLiteral("(?<=[A-Za-z]) \\([^()\\x{0}-\\x{7F}]+\\)"));
  static const QRegularExpression message(QStringLiteral("[^\\s\\x{0}-\\x{7F}]+ \\([\\x{20}-\\x{7E}]+\\)"));
  return text.remove(caption).remove(message);
}

// The texts and attribute values of an HTML report (as its writer writes it,
// well-formed) that hold Japanese an English report should not: everything
// but the stages' text panes (<pre>) and status panels (the rows Status and
// Version), the stage explanations (both languages, class "ja" or "en") and
// what is marked lang="ja". Each with its element.
inline std::vector<std::string> JapaneseOutsideTheStages(const std::string& html) {
  std::vector<std::string> found;
  QXmlStreamReader xml(QByteArray::fromStdString(html));
  std::vector<bool> skipped;
  int skipping = 0;
  std::vector<QString> elements;
  QString heading;  // of the row of facts
  while (!xml.atEnd()) {
    xml.readNext();
    if (xml.isStartElement()) {
      const QXmlStreamAttributes attributes = xml.attributes();
      const QString cls = attributes.value(QStringLiteral("class")).toString();
      if (xml.name() == QStringLiteral("tr")) heading.clear();
      const bool status = xml.name() == QStringLiteral("td") &&
                          (heading == QStringLiteral("Status") || heading == QStringLiteral("Version"));
      const bool skip = status || xml.name() == QStringLiteral("pre") || attributes.value(QStringLiteral("lang")) == QStringLiteral("ja") ||
                        (xml.name() == QStringLiteral("p") && (cls == QStringLiteral("ja") || cls == QStringLiteral("en")));
      skipped.push_back(skip);
      skipping += skip ? 1 : 0;
      elements.push_back(xml.name().toString());
      if (skipping == 0)
        for (const QXmlStreamAttribute& attribute : attributes)
          if (attribute.name() != QStringLiteral("src") && HasJapanese(WithoutAllowedJapanese(attribute.value().toString())))
            found.push_back((elements.back() + QStringLiteral(" @") + attribute.name().toString() + QStringLiteral(": ") +
                             attribute.value().toString()).toStdString());
    } else if (xml.isEndElement()) {
      skipping -= skipped.back() ? 1 : 0;
      skipped.pop_back();
      elements.pop_back();
    } else if (xml.isCharacters() && !elements.empty() && elements.back() == QStringLiteral("th")) {
      heading = xml.text().toString();
    } else if (xml.isCharacters() && skipping == 0 && HasJapanese(WithoutAllowedJapanese(xml.text().toString()))) {
      found.push_back((elements.empty() ? QString() : elements.back() + QStringLiteral(": ")).toStdString() +
                      xml.text().toString().toStdString());
    }
  }
  if (xml.hasError()) found.push_back("not well-formed: " + xml.errorString().toStdString());
  return found;
}

}  // namespace testing_support
