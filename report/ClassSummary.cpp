#include "report/ClassSummary.h"

#include <QByteArray>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonValue>
#include <QString>
#include <QUrl>

#include "common/ShiftJis.h"
#include "decoder/DiagnosisTexts.h"
#include "decoder/TrialTexts.h"
#include "decoder/Verdict.h"
#include "report/AnswerSheet.h"
#include "report/ExploreCells.h"
#include "report/HtmlWriter.h"

namespace {

constexpr int kFormat = 1;

// Added to the report's style sheet (no character here needs escaping). On
// paper a row is never split, and the outcome's colour becomes a frame.
constexpr std::string_view kStyle = R"(
table.class { border-collapse: collapse; margin-top: 1.5em; font-size: .92em }
table.class th { text-align: left; font-weight: normal; color: #555; border-bottom: 2px solid #bbb; padding: .3em .5em }
table.class td { vertical-align: top; border-bottom: 1px solid #ddd; padding: .4em .5em }
table.class td.outcome { border-left: .6em solid var(--outcome); white-space: nowrap }
table.class td.thumb { width: 9em; overflow-wrap: anywhere }
table.class td.stage { min-width: 5em }
table.class td.report { white-space: nowrap }
table.class img { display: block; max-width: 96px; max-height: 96px; width: auto; height: auto; border: 1px solid #999; background: #fff; margin-bottom: .2em }
table.class .text { font-family: monospace; font-size: 1.1em; white-space: pre-wrap; overflow-wrap: anywhere; min-width: 8em; max-width: 16em }
table.class .lines { white-space: pre-line }
table.class .size { color: #777; font-size: .9em }
table.class .missing { color: #b3261e }
@media print {
  table.class { font-size: 8.5pt }
  table.class tr { break-inside: avoid }
  table.class img { max-width: 20mm; max-height: 20mm }
}
)";

QString Href(const std::string& name) {
  const QByteArray encoded = QUrl::toPercentEncoding(QByteArray(name.data(), static_cast<qsizetype>(name.size())));
  return QString::fromLatin1(encoded);
}

std::string OutcomeText(TClassOutcome outcome, TReportLanguage language) {
  switch (outcome) {
    case TClassOutcome::Decoded: return std::string(Say(language, "復号できた", "decoded"));
    case TClassOutcome::NotDecoded: return std::string(Say(language, "復号できなかった", "not decoded"));
    case TClassOutcome::Unreadable: return std::string(Say(language, "読み込めない", "unreadable"));
  }
  return {};
}

std::string_view OutcomeKey(TClassOutcome outcome) {
  switch (outcome) {
    case TClassOutcome::Decoded: return "decoded";
    case TClassOutcome::NotDecoded: return "not_decoded";
    case TClassOutcome::Unreadable: return "unreadable";
  }
  return {};
}

struct TCounts {
  std::size_t decoded = 0, notDecoded = 0, unreadable = 0;
};
TCounts Count(const std::vector<TClassRow>& rows) {
  TCounts counts;
  for (const TClassRow& row : rows)
    ++(row.outcome == TClassOutcome::Decoded      ? counts.decoded
       : row.outcome == TClassOutcome::NotDecoded ? counts.notDecoded
                                                  : counts.unreadable);
  return counts;
}

std::string N(std::size_t value) { return std::to_string(value); }

std::string Range(const std::vector<std::int32_t>& values, TReportLanguage language) {
  if (values.size() == 1) return std::to_string(values.front());
  if (language == TReportLanguage::English)
    return std::to_string(values.front()) + " to " + std::to_string(values.back()) + " (" + N(values.size()) + " values)";
  return std::to_string(values.front()) + "〜" + std::to_string(values.back()) + "（" + N(values.size()) + " 値）";
}

// The rows of facts above the table, the same on the summary and its answer sheet.
void Facts(THtml& html, const TClassSummaryInput& input) {
  const TCounts counts = Count(*input.rows);
  const TReportLanguage language = input.language;
  html.Open("table", {{"class", QStringLiteral("facts")}});
  Row(html, Say(language, "フォルダ", "Folder"), input.folder);
  if (language == TReportLanguage::English)
    Row(html, "Pictures", N(input.rows->size()) + " (decoded " + N(counts.decoded) + ", not decoded " + N(counts.notDecoded) +
                              ", unreadable " + N(counts.unreadable) + ")");
  else
    Row(html, "画像", N(input.rows->size()) + " 枚（復号できた " + N(counts.decoded) + "、復号できなかった " +
                          N(counts.notDecoded) + "、読み込めない " + N(counts.unreadable) + "）");
  if (input.explore != nullptr && language == TReportLanguage::English) {
    Row(html, "Parameter exploration",
        "Resolver " + Range(input.explore->resolvers, language) + ", Warp " + Range(input.explore->warps, language) +
            ". Each picture was analysed with the decoding combination nearest the presets.");
    Row(html, "ForceVersion", std::to_string(input.explore->forceVersion));
  } else if (input.explore != nullptr) {
    Row(html, "パラメータ探索", "Resolver " + Range(input.explore->resolvers, language) + "、Warp " +
                                   Range(input.explore->warps, language) +
                                   "。各画像を、復号できた組み合わせのうち既定値に最も近いもので解析しました。");
    Row(html, "ForceVersion", std::to_string(input.explore->forceVersion));
  } else {
    Row(html, "Resolver", std::to_string(input.parameters.resolver));
    Row(html, "Warp", std::to_string(input.parameters.warp));
    Row(html, "ForceVersion", std::to_string(input.parameters.forceVersion));
  }
  html.Close();
}

bool Shown(TClassColumn column, const TClassSummaryInput& input) {
  if (column == TClassColumn::Text) return !input.hideAnswer;
  if (column == TClassColumn::Explored) return input.explore != nullptr;
  return true;
}

void PictureCell(THtml& html, const TClassRow& row) {
  html.Open("td", {{"class", QStringLiteral("thumb")}});
  if (!row.thumbnail.empty()) {
    const QByteArray data = QByteArray(row.thumbnail.data(), static_cast<qsizetype>(row.thumbnail.size())).toBase64();
    html.Void("img", {{"src", QStringLiteral("data:image/jpeg;base64,") + QString::fromLatin1(data)},
                      {"alt", Visible(row.name)},
                      {"width", QString::number(row.thumbnailWidth)},
                      {"height", QString::number(row.thumbnailHeight)}});
  }
  html.Text(row.name);
  if (row.outcome != TClassOutcome::Unreadable) {
    html.Void("br");
    html.Element("span", std::to_string(row.width) + " × " + std::to_string(row.height), {{"class", QStringLiteral("size")}});
  }
  html.Close();
}

void ReportCell(THtml& html, const TClassRow& row, bool answers, TReportLanguage language) {
  html.Open("td", {{"class", QStringLiteral("report")}});
  if (!row.report.empty()) {
    const std::string target = answers ? AnswerSheetPath(row.report) : row.report;
    html.Element("a", answers ? Say(language, "解答", "Answers") : Say(language, "レポート", "Report"), {{"href", Href(target)}});
  }
  html.Close();
}

QJsonValue Json(const std::string& document) {
  if (document.empty()) return {};
  return QJsonDocument::fromJson(QByteArray(document.data(), static_cast<qsizetype>(document.size()))).object();
}

}  // namespace

std::string ClassCellText(const TClassRow& row, TClassColumn column, TReportLanguage language) {
  const bool read = row.outcome != TClassOutcome::Unreadable;
  const bool english = language == TReportLanguage::English;
  switch (column) {
    case TClassColumn::Picture:
      if (!read) return row.name;
      return row.name + std::string(Say(language, "（", " (")) + std::to_string(row.width) + " × " + std::to_string(row.height) +
             std::string(Say(language, "）", ")"));
    case TClassColumn::Outcome: return OutcomeText(row.outcome, language);
    case TClassColumn::Text: return row.outcome == TClassOutcome::Decoded ? ShiftJisToUtf8(row.text) : std::string();
    case TClassColumn::Stage: return read ? std::string(StageNameIn(row.stage, language)) : "—";
    case TClassColumn::Verdict: {
      if (!read) return row.message;
      if (english) {
        std::string text = EnglishSentence(EnglishText(row.verdict.evidence));
        if (row.outcome == TClassOutcome::NotDecoded && !row.message.empty())
          text += " [" + DecoderMessageIn(row.message, language) + "]";
        return text;
      }
      std::string text = JapaneseText(row.verdict.evidence);
      if (row.outcome == TClassOutcome::NotDecoded && !row.message.empty() && text.find(row.message) == std::string::npos)
        text += "（" + row.message + "）";
      return text;
    }
    case TClassColumn::Suggestion: {
      std::string lines;
      if (!read) return lines;
      // Only values that were tried and got further; or that none did.
      if (row.trial) {
        for (const TTriedValue& value : row.trial->helped) {
          if (!lines.empty()) lines += '\n';
          lines += english ? EnglishText(value, *row.trial) : JapaneseText(value, *row.trial);
        }
        if (!lines.empty()) return lines;
        return english ? EnglishOutcome(*row.trial) : JapaneseOutcome(*row.trial);
      }
      for (const TSuggestion& suggestion : row.verdict.suggestions) {
        if (!lines.empty()) lines += '\n';
        lines += english ? EnglishSentence(EnglishText(suggestion)) : JapaneseText(suggestion);
      }
      return lines;
    }
    case TClassColumn::Explored:
      if (!read || row.cells == 0) return {};
      if (english)
        return "Resolver " + std::to_string(row.parameters.resolver) + ", Warp " + std::to_string(row.parameters.warp) +
               " (decoded in " + N(row.decodingCells) + " of " + N(row.cells) + ")";
      return "Resolver " + std::to_string(row.parameters.resolver) + "、Warp " + std::to_string(row.parameters.warp) + "（" +
             N(row.cells) + " 組中 " + N(row.decodingCells) + " 組で復号）";
    case TClassColumn::Report: return row.report;
  }
  return {};
}

std::string_view ClassRowColour(const TClassRow& row) {
  return row.outcome == TClassOutcome::Unreadable ? kNotRunColour : StageColour(row.stage);
}

std::string ClassSummary(const TClassSummaryInput& input) {
  const TReportLanguage language = input.language;
  QByteArray out;
  THtml html(&out);
  OpenTitledDocument(html, Say(language, "Morilux クラスの解析結果", "Morilux class results"), input.folder, kStyle, language);
  if (input.hideAnswer) {
    html.Open("p", {{"class", QStringLiteral("hidden")}});
    html.Text(Say(language, "演習用：読み取った文字列は伏せてあります（", "An exercise: the texts read are hidden (the "));
    html.Element("a", Say(language, "解答", "answers"), {{"href", Href(input.answerSheet)}});
    html.Text(Say(language, "は別のファイルにあります）。", " are in a file of their own)."));
    html.Close();
  }
  Facts(html, input);
  html.Close();

  html.Open("table", {{"class", QStringLiteral("class")}});
  html.Open("thead");
  html.Open("tr");
  for (const TClassColumnName& column : kClassColumns)
    if (Shown(column.column, input)) html.Element("th", Say(language, column.heading, column.english));
  html.Close();
  html.Close();
  html.Open("tbody");
  for (const TClassRow& row : *input.rows) {
    html.Open("tr");
    for (const TClassColumnName& column : kClassColumns) {
      if (!Shown(column.column, input)) continue;
      switch (column.column) {
        case TClassColumn::Picture: PictureCell(html, row); break;
        case TClassColumn::Outcome:
          html.Element("td", ClassCellText(row, column.column, language),
                       {{"class", QStringLiteral("outcome")}, {"style", QStringLiteral("--outcome: ") + Q(ClassRowColour(row))}});
          break;
        case TClassColumn::Text: html.Element("td", ClassCellText(row, column.column, language), {{"class", QStringLiteral("text")}}); break;
        case TClassColumn::Verdict:
          if (row.outcome == TClassOutcome::Unreadable)
            html.Element("td", ClassCellText(row, column.column, language), {{"class", QStringLiteral("missing")}});
          else
            html.Element("td", ClassCellText(row, column.column, language));
          break;
        case TClassColumn::Suggestion:
          html.Element("td", ClassCellText(row, column.column, language), {{"class", QStringLiteral("lines")}});
          break;
        case TClassColumn::Stage: html.Element("td", ClassCellText(row, column.column, language), {{"class", QStringLiteral("stage")}}); break;
        case TClassColumn::Report: ReportCell(html, row, false, language); break;
        default: html.Element("td", ClassCellText(row, column.column, language)); break;
      }
    }
    html.Close();
  }
  html.Close();
  html.Close();
  return CloseDocument(html, out);
}

std::string ClassAnswerSheet(const TClassSummaryInput& input) {
  const TReportLanguage language = input.language;
  QByteArray out;
  THtml html(&out);
  OpenTitledDocument(html, Say(language, "Morilux クラスの解答", "Morilux class answers"), input.folder, kStyle, language);
  html.Element("p", Say(language, "答えを伏せたクラスの解析結果から除いた、読み取った文字列です。",
                        "The texts read, which the class results for the exercise leave out."));
  Facts(html, input);
  html.Close();
  html.Open("table", {{"class", QStringLiteral("class")}});
  html.Open("tr");
  const bool english = language == TReportLanguage::English;
  for (const char* heading : english ? std::array{"Picture", "Outcome", "Text read", "Answers"}
                                     : std::array{"画像", "結果", "読み取った文字列", "解答"})
    html.Element("th", heading);
  html.Close();
  for (const TClassRow& row : *input.rows) {
    html.Open("tr");
    html.Element("td", row.name);
    html.Element("td", ClassCellText(row, TClassColumn::Outcome, language),
                 {{"class", QStringLiteral("outcome")}, {"style", QStringLiteral("--outcome: ") + Q(ClassRowColour(row))}});
    html.Element("td", ClassCellText(row, TClassColumn::Text), {{"class", QStringLiteral("text")}});
    ReportCell(html, row, true, language);
    html.Close();
  }
  html.Close();
  return CloseDocument(html, out);
}

std::string ClassSummaryJson(const TClassSummaryInput& input) {
  const TCounts counts = Count(*input.rows);
  QJsonObject document{
      {"format", kFormat},
      {"folder", Q(input.folder)},
      {"parameters", QJsonObject{{"resolver", input.parameters.resolver},
                                 {"warp", input.parameters.warp},
                                 {"forceVersion", input.parameters.forceVersion}}},
      {"counts", QJsonObject{{"pictures", static_cast<qint64>(input.rows->size())},
                             {"decoded", static_cast<qint64>(counts.decoded)},
                             {"notDecoded", static_cast<qint64>(counts.notDecoded)},
                             {"unreadable", static_cast<qint64>(counts.unreadable)}}},
  };
  if (input.explore != nullptr) {
    QJsonArray resolvers, warps;
    for (const std::int32_t value : input.explore->resolvers) resolvers.append(value);
    for (const std::int32_t value : input.explore->warps) warps.append(value);
    document.insert("explore", QJsonObject{{"resolvers", resolvers}, {"warps", warps}, {"forceVersion", input.explore->forceVersion}});
  }
  if (input.hideAnswer) document.insert("answerHidden", true);
  QJsonArray pictures;
  for (const TClassRow& row : *input.rows) {
    pictures.append(QJsonObject{
        {"file", Q(row.name)},
        {"outcome", Q(OutcomeKey(row.outcome))},
        {"message", row.message.empty() ? QJsonValue() : QJsonValue(Q(row.message))},
        {"width", row.width},
        {"height", row.height},
        {"report", row.report.empty() ? QJsonValue() : QJsonValue(Q(row.report))},
        {"analysis", Json(row.json)},
    });
  }
  document.insert("pictures", pictures);
  const QByteArray bytes = QJsonDocument(document).toJson(QJsonDocument::Indented);
  return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}
