#include "report/JsonSummary.h"

#include <QByteArray>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonValue>
#include <QString>

#include <optional>
#include <vector>

#include "common/DecodeStages.h"
#include "common/Diagnosis.h"
#include "common/Messages.h"
#include "common/ShiftJis.h"
#include "decoder/DiagnosisTexts.h"
#include "decoder/LabReport.h"
#include "decoder/TrialTexts.h"
#include "decoder/Verdict.h"

namespace {

constexpr int kFormat = 1;

QString Q(std::string_view utf8) { return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size())); }

QJsonValue OrNull(const std::optional<std::int32_t>& value) { return value ? QJsonValue(*value) : QJsonValue(); }

QString Hex(const std::string& bytes) {
  return QString::fromLatin1(QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size())).toHex());
}

// The decoded text as standard output prints it (UTF-8), or null.
QJsonValue Text(bool decoded, const std::string& text) { return decoded ? QJsonValue(Q(ShiftJisToUtf8(text))) : QJsonValue(); }

QJsonObject Explore(const TExploreMap& map, bool hideAnswer) {
  QJsonArray resolvers, warps, cells;
  for (const std::int32_t value : map.grid.resolvers) resolvers.append(value);
  for (const std::int32_t value : map.grid.warps) warps.append(value);
  for (const TExploreCell& cell : map.cells) {
    if (!cell.ran) continue;
    QJsonObject object{{"resolver", cell.resolver},
                       {"warp", cell.warp},
                       {"success", cell.result.decoded},
                       {"stage", Q(NameOf(cell.result.stage).key)},
                       {"message", Q(cell.result.decoded ? std::string() : cell.result.failureReason)}};
    if (!hideAnswer) object.insert("text", Text(cell.result.decoded, cell.result.text));
    cells.append(object);
  }
  QJsonValue chosen;
  if (const auto index = map.Chosen())
    chosen = QJsonObject{{"resolver", map.cells[*index].resolver}, {"warp", map.cells[*index].warp}};
  return {{"resolvers", resolvers}, {"warps", warps},       {"forceVersion", map.grid.forceVersion},
          {"cells", cells},         {"chosen", chosen},     {"distinctTexts", static_cast<int>(map.texts.size())}};
}

// The record's and the verdict's named values as JSON objects and arrays.
class TJsonFigures : public TFigureVisitor {
 public:
  TJsonFigures() { frames_.push_back({}); }

  void BeginGroup(std::string_view key) override { frames_.push_back({Q(key), {}, {}, false}); }
  void EndGroup() override { Close(); }
  void BeginList(std::string_view key) override { frames_.push_back({Q(key), {}, {}, true}); }
  void EndList() override { Close(); }
  void Number(std::string_view key, std::int64_t value) override { Put(Q(key), static_cast<qint64>(value)); }
  void Real(std::string_view key, double value) override { Put(Q(key), value); }
  void Flag(std::string_view key, bool value) override { Put(Q(key), value); }
  void Text(std::string_view key, std::string_view value) override { Put(Q(key), Q(value)); }

  void Put(const QString& key, const QJsonValue& value) {
    TFrame& top = frames_.back();
    if (top.list) {
      top.array.append(value);
    } else {
      top.object.insert(key, value);
    }
  }
  QJsonObject Take() { return frames_.front().object; }

 private:
  struct TFrame {
    QString key;
    QJsonObject object;
    QJsonArray array;
    bool list = false;
  };
  void Close() {
    TFrame done = std::move(frames_.back());
    frames_.pop_back();
    if (done.list) {
      Put(done.key, done.array);
    } else {
      Put(done.key, done.object);
    }
  }
  std::vector<TFrame> frames_;
};

// The verdict (stage, evidence, suggestions) and, under "figures", what every
// stage that ran measured.
QJsonObject Diagnosis(const TAnalysisResult& result, bool hideAnswer, const TTrial* trial) {
  TJsonFigures verdict;
  VisitVerdict(result.verdict, verdict);
  if (trial != nullptr) VisitEdges(*trial, verdict);
  TJsonFigures figures;
  VisitFigures(result.diagnosis, figures);
  QJsonObject measured = figures.Take();
  // The unverified reading's bytes as read beside its text: a damaged reading need not be valid Shift-JIS.
  if (const TCorrectionFigures* correction = result.diagnosis.correction ? &*result.diagnosis.correction : nullptr;
      correction && correction->unverified) {
    QJsonObject blocks = measured["reed_solomon"].toObject();
    QJsonObject unverified = blocks["unverified"].toObject();
    if (hideAnswer)
      unverified.remove("text");
    else
      unverified.insert("text_hex", Hex(correction->unverified->text));
    blocks.insert("unverified", unverified);
    measured.insert("reed_solomon", blocks);
  }
  QJsonObject diagnosis = verdict.Take();
  diagnosis.insert("figures", measured);
  if (trial != nullptr) {
    TJsonFigures tried;
    tried.BeginGroup("trial");
    VisitTrial(*trial, tried);
    tried.EndGroup();
    diagnosis.insert("trial", tried.Take()["trial"]);
  }
  return diagnosis;
}

}  // namespace

std::string JsonSummary(const TAnalysisResult& result, const TSurfaces& surfaces, const TExploreMap* explored,
                        const TSample* made, bool hideAnswer, const TLab* lab, const TTrial* trial,
                        const TPictureOperations* operations) {
  const TDiagnosis& record = result.diagnosis;
  const std::optional<std::int32_t> level = record.SettledLevel();
  QJsonObject document{
      {"format", kFormat},
      {"parameters", QJsonObject{{"resolver", result.parameters.resolver},
                                 {"warp", result.parameters.warp},
                                 {"forceVersion", result.parameters.forceVersion}}},
      {"success", result.decoded},
      {"errorCode", result.errorCode},
      {"errorText", Q(result.errorText)},
      {"status", QJsonArray{Q(surfaces.Status(0)), Q(surfaces.Status(1))}},
      {"stage", Q(NameOf(result.stage).key)},
      {"version", OrNull(record.SettledVersion())},
      {"level", level ? QJsonValue(kLevelLetters[static_cast<std::size_t>(*level)]) : QJsonValue()},
      {"mask", OrNull(record.SettledMask())},
      {"codewords", record.correction ? QJsonValue(record.correction->codewords) : QJsonValue()},
  };
  if (hideAnswer) {
    document.insert("answerHidden", true);
  } else {
    document.insert("text", Text(result.decoded, result.text));
    document.insert("textHex", result.decoded ? QJsonValue(Hex(result.text)) : QJsonValue());
  }
  QJsonValue blocks;
  if (record.correction) {
    QJsonArray list;
    for (const TBlockFigures& block : record.correction->blocks) {
      list.append(QJsonObject{{"dataCodewords", block.dataCodewords},
                              {"ecCodewords", block.codewords - block.dataCodewords},
                              {"corrections", block.uncorrectable ? QJsonValue() : QJsonValue(block.corrected)},
                              {"uncorrectable", block.uncorrectable}});
    }
    blocks = list;
  }
  document.insert("blocks", blocks);
  if (operations != nullptr && operations->Any())
    document.insert("operations", QJsonObject{{"invert", operations->invert},
                                              {"mirror", operations->mirror},
                                              {"rotate", operations->rotate},
                                              {"text", Q(EnglishText(*operations))}});
  document.insert("diagnosis", Diagnosis(result, hideAnswer, trial));
  if (explored != nullptr) document.insert("explore", Explore(*explored, hideAnswer));
  if (made != nullptr) {
    TJsonFigures sample;
    VisitSample(*made, sample);
    QJsonObject object = sample.Take()["sample"].toObject();
    if (hideAnswer) object.remove("text");
    document.insert("sample", object);
  }
  if (lab != nullptr) {
    TJsonFigures figures;
    VisitLab(*lab, figures);
    QJsonObject object = figures.Take()["lab"].toObject();
    if (hideAnswer) {
      object.remove("text");
      object.remove("capacityText");
      QJsonObject original = object["original"].toObject();
      original.remove("originalText");
      object.insert("original", original);
    }
    document.insert("lab", object);
  }
  const QByteArray bytes = QJsonDocument(document).toJson(QJsonDocument::Indented);
  return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}
