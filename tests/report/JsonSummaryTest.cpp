#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStringList>

#include <numeric>
#include <string>
#include <vector>

#include "ConformancePictures.h"
#include "StageFailures.h"
#include "TestSymbols.h"
#include "common/DecodeStages.h"
#include "common/Messages.h"
#include "common/ShiftJis.h"
#include "decoder/Analysis.h"
#include "decoder/Decorder.h"
#include "decoder/DiagnosisTexts.h"
#include "decoder/Trial.h"
#include "report/JsonSummary.h"

using namespace testing_support;

namespace {

QJsonObject Parsed(const std::string& json) {
  QJsonParseError error{};
  const QJsonDocument document = QJsonDocument::fromJson(QByteArray::fromStdString(json), &error);
  EXPECT_EQ(error.error, QJsonParseError::NoError) << error.errorString().toStdString();
  return document.object();
}

std::string S(const QJsonValue& value) { return value.toString().toStdString(); }

struct TCase {
  const char* name;
  TBitmap picture;
  TAnalysisParameters parameters;
  // Corrections expected in each block (-1: not correctable); empty when no
  // block is read.
  std::vector<int> corrections;
};

TBitmap Damaged(const std::string& text, int version, int level, const std::vector<int>& codewords) {
  TTestSymbol symbol = EncodeBytes(text, version, level);
  for (const int k : codewords) DamageCodeword(symbol, k);
  return RenderSymbol(symbol, 4);
}

// Every field of the summary against the analysis's own results: the result
// of the command, the status panels and what the driver kept.
TEST(JsonSummary, EveryFieldIsTheAnalysisOwnResult) {
  // Version 5-Q has four blocks; data codeword j of block b is codeword 4j + b.
  const std::vector<TCase> cases = {
      {"version 1, level L", RenderSymbol(EncodeBytes("A", 1, 0), 4), {}, {0}},
      {"two codewords mended in block 1", Damaged("The quick brown fox jumps over 13 dogs!!", 5, 2, {17, 21}), {}, {0, 2, 0, 0}},
      {"block 0 beyond correction", Damaged("The quick brown fox jumps over 13 dogs!!", 5, 2, {16, 20, 24, 28}), {}, {-1, 0, 0, 0}},
      {"version 7, level H, clamped", RenderSymbol(EncodeBytes("seven", 7, 3), 3), {500, -3, 0}, {}},
      {"no symbol", TBitmap(90, 60), {}, {}},
      {"stopped at the version stage", TimingDamaged(), {}, {}},
      {"forced version", RenderSymbol(EncodeBytes("forced fifteen", 15, 1), 3), {7, 6, 15}, {}},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.name);
    TSurfaces surfaces;
    TVeltrix veltrix(surfaces);
    const TAnalysisResult result = Analyse(veltrix, surfaces, c.picture, c.parameters);
    const QJsonObject json = Parsed(JsonSummary(result, surfaces));
    EXPECT_EQ(json.keys(), (QStringList{"blocks", "codewords", "diagnosis", "errorCode", "errorText", "format", "level", "mask",
                                        "parameters", "stage", "status", "success", "text", "textHex", "version"}));
    EXPECT_EQ(json["format"].toInt(), 1);
    EXPECT_EQ(json["parameters"].toObject(),
              (QJsonObject{{"resolver", result.parameters.resolver}, {"warp", result.parameters.warp},
                           {"forceVersion", result.parameters.forceVersion}}));
    EXPECT_EQ(json["success"].toBool(), result.decoded);
    EXPECT_EQ(S(json["errorText"]), veltrix.GetErrorText());
    EXPECT_EQ(S(json["errorText"]), json["errorCode"].toInt() == 0 ? "" : ErrorMessage(json["errorCode"].toInt()));
    EXPECT_EQ(json["status"].toArray(), (QJsonArray{QString::fromStdString(surfaces.Status(0)),
                                                    QString::fromStdString(surfaces.Status(1))}));
    EXPECT_EQ(S(json["stage"]), NameOf(veltrix.StoppedAt()).key);

    const TDecorder& driver = veltrix.Driver();
    const bool located = result.stage > TStage::Version;
    const bool formatRead = result.stage > TStage::Format;
    EXPECT_EQ(json["version"].isNull(), !located);
    if (located) {
      EXPECT_EQ(json["version"].toInt(), driver.LocatedVersion());
      EXPECT_EQ(surfaces.Text(TTextPaneId::ImgMemo).Lines().at(0), "型番 " + std::to_string(json["version"].toInt()));
    }
    EXPECT_EQ(json["level"].isNull(), !formatRead);
    EXPECT_EQ(json["mask"].isNull(), !formatRead);
    if (formatRead) {
      EXPECT_EQ(S(json["level"]), kLevelLetters[static_cast<std::size_t>(driver.ECLevel())]);
      EXPECT_EQ(json["mask"].toInt(), driver.MaskPattern());
    }
    const bool read = result.stage >= TStage::Codewords;
    EXPECT_EQ(json["codewords"].isNull(), !read);
    EXPECT_EQ(json["blocks"].isNull(), !read);
    if (read) {
      EXPECT_EQ(json["codewords"].toInt(), static_cast<int>(driver.Codewords().size()));
      const QJsonArray blocks = json["blocks"].toArray();
      ASSERT_EQ(static_cast<std::size_t>(blocks.size()), driver.BlockLayout().size());
      int total = 0;
      for (qsizetype b = 0; b < blocks.size(); ++b) {
        const QJsonObject block = blocks[b].toObject();
        const TBlockLayout& layout = driver.BlockLayout()[static_cast<std::size_t>(b)];
        EXPECT_EQ(block["dataCodewords"].toInt(), layout.dataCount);
        EXPECT_EQ(block["ecCodewords"].toInt(), static_cast<int>(layout.codewords.size()) - layout.dataCount);
        total += block["dataCodewords"].toInt() + block["ecCodewords"].toInt();
        if (!c.corrections.empty()) {
          const int expected = c.corrections[static_cast<std::size_t>(b)];
          EXPECT_EQ(block["uncorrectable"].toBool(), expected < 0);
          EXPECT_EQ(block["corrections"].isNull(), expected < 0);
          if (expected >= 0) {
            EXPECT_EQ(block["corrections"].toInt(), expected);
          }
        }
      }
      EXPECT_EQ(total, json["codewords"].toInt());
    }
    EXPECT_EQ(json["text"].isNull(), !result.decoded);
    EXPECT_EQ(json["textHex"].isNull(), !result.decoded);
  }
}

TEST(JsonSummary, TextAsPrintedAndAsTheRawBytes) {
  const std::string bytes = "\x93\xfa\x96\x7b\n\"\\\x01";
  TSurfaces surfaces;
  TVeltrix veltrix(surfaces);
  const TAnalysisResult result = Analyse(veltrix, surfaces, RenderSymbol(EncodeBytes(bytes, 1, 1), 4), {});
  ASSERT_TRUE(result.decoded);
  const std::string json = JsonSummary(result, surfaces);
  EXPECT_EQ(json.back(), '\n');
  const QJsonObject parsed = Parsed(json);
  EXPECT_EQ(S(parsed["text"]), "日本\n\"\\\x01");
  EXPECT_EQ(S(parsed["textHex"]), "93fa967b0a225c01");
}

// The diagnosis object for failures whose stage and figure are known by
// construction: the verdict's stage, evidence kind and numbers, suggestions
// with their values and English texts, and the unverified reading's text and
// bytes after an uncorrectable block.
TEST(JsonSummary, DiagnosisNamesTheStageWithItsFigures) {
  struct TDiagnosisCase {
    const char* name;
    TBitmap picture;
    const char* stage;
    const char* evidence;
    std::vector<std::int64_t> numbers;  // the leading numbers of the evidence
    const char* figures;                // a group the figures hold
    bool mirrored = false;
  };
  const std::vector<TDiagnosisCase> cases = {
      {"decoded", RenderSymbol(EncodeBytes("fine", 2, 1), 4), "decoded", "decoded", {1, 0}, "data"},
      {"dark background", SymbolOnDarkBackground(), "finder search", "too_few_candidates", {}, "finder_search"},
      {"timing damaged", TimingDamaged(), "version", "no_timing_match", {1, 14, 2, 85, 90}, "version"},
      {"format unreadable", FormatUnreadable(), "format", "format_unreadable", {}, "format"},
      {"block beyond correction", BlockBeyondCorrection(), "codewords", "blocks_uncorrectable", {1, 4, 3}, "reed_solomon"},
      {"mirrored", RenderSymbol(MirrorImage(EncodeBytes("mirrored", 3, 1)), 4), "codewords", "blocks_uncorrectable", {2, 2},
       "format", true},
  };
  for (const TDiagnosisCase& c : cases) {
    SCOPED_TRACE(c.name);
    TSurfaces surfaces;
    TVeltrix veltrix(surfaces);
    const TAnalysisResult result = Analyse(veltrix, surfaces, c.picture, {});
    const QJsonObject diagnosis = Parsed(JsonSummary(result, surfaces))["diagnosis"].toObject();
    EXPECT_EQ(S(diagnosis["stage"]), c.stage);
    EXPECT_EQ(diagnosis["decoded"].toBool(), result.decoded);
    const QJsonObject evidence = diagnosis["evidence"].toObject();
    EXPECT_EQ(S(evidence["kind"]), c.evidence);
    EXPECT_EQ(S(evidence["text"]), EnglishText(result.verdict.evidence));
    const QJsonArray numbers = evidence["numbers"].toArray();
    for (std::size_t i = 0; i < c.numbers.size(); ++i)
      EXPECT_EQ(numbers[static_cast<qsizetype>(i)].toInteger(), c.numbers[i]) << i;
    const QJsonArray suggestions = diagnosis["suggestions"].toArray();
    ASSERT_EQ(static_cast<std::size_t>(suggestions.size()), result.verdict.suggestions.size());
    for (qsizetype i = 0; i < suggestions.size(); ++i) {
      const TSuggestion& expected = result.verdict.suggestions[static_cast<std::size_t>(i)];
      const QJsonObject suggestion = suggestions[i].toObject();
      EXPECT_EQ(S(suggestion["kind"]), KeyOf(expected.kind));
      EXPECT_EQ(suggestion["value"].toInt(), expected.value);
      EXPECT_EQ(S(suggestion["text"]), EnglishText(expected));
    }
    const QJsonObject figures = diagnosis["figures"].toObject();
    EXPECT_TRUE(figures[c.figures].isObject()) << c.figures;
    ASSERT_EQ(diagnosis["mirrored"].isObject(), c.mirrored);
    if (c.mirrored) {
      const QJsonObject mirrored = diagnosis["mirrored"].toObject();
      EXPECT_EQ(S(mirrored["information"]), "format");
      EXPECT_EQ(mirrored["distance"].toInt(), 0);
      EXPECT_EQ(mirrored["second_distance"].toInt(), 0);
      EXPECT_EQ(mirrored["ordinary_distance"].toInt(), figures["format"].toObject()["distance"].toInt());
      EXPECT_EQ(S(mirrored["text"]), EnglishText(*result.verdict.mirrored));
    }
    EXPECT_EQ(figures["binarization"].toObject()["threshold"].toInt(), result.diagnosis.binarization->threshold);
    const QJsonValue unverified = figures["reed_solomon"].toObject()["unverified"];
    EXPECT_EQ(unverified.isObject(), std::string(c.evidence) == "blocks_uncorrectable");
    // The mirrored symbol's codewords, read transposed, hold no data.
    if (unverified.isObject() && !c.mirrored) {
      const std::string bytes = result.diagnosis.correction->unverified->text;
      EXPECT_FALSE(bytes.empty());
      EXPECT_EQ(S(unverified.toObject()["text_hex"]), QByteArray::fromStdString(bytes).toHex().toStdString());
      EXPECT_EQ(S(unverified.toObject()["text"]), ShiftJisToUtf8(bytes));
    }
  }
  // The grey print on the dark background turns dark with a smaller Resolver.
  TSurfaces surfaces;
  TVeltrix veltrix(surfaces);
  const QJsonObject dark = Parsed(JsonSummary(Analyse(veltrix, surfaces, SymbolOnDarkBackground(), {}), surfaces));
  EXPECT_EQ(S(dark["diagnosis"].toObject()["suggestions"].toArray()[0].toObject()["kind"]), "smaller_resolver");
}

// Beside the verdict: where the module size comes from, after a failure
// only; the edges of the finder candidates when a trial measured them, named
// as blurred with a text only when they are.
TEST(JsonSummary, ModuleSourceAndEdgesBesideTheVerdict) {
  struct TEdgeCase {
    const char* name;
    TBitmap picture;
    const char* source;  // empty: no module size
    bool trial;          // the summary is given a trial
    bool edges;
    bool blurred;
  };
  const std::vector<TEdgeCase> cases = {
      {"decoded", RenderSymbol(EncodeBytes("fine", 2, 1), 4), "", true, false, false},
      {"timing damaged", TimingDamaged(), "finder_candidates", true, true, false},
      {"format unreadable", FormatUnreadable(), "frame", true, true, false},
      {"format unreadable, no trial", FormatUnreadable(), "frame", false, false, false},
      {"blurred", BlurredSymbol(), "finder_candidates", true, true, true},
  };
  for (const TEdgeCase& c : cases) {
    SCOPED_TRACE(c.name);
    TSurfaces surfaces;
    TVeltrix veltrix(surfaces);
    const TAnalysisResult result = Analyse(veltrix, surfaces, c.picture, {});
    const TTrial trial = TTrialRunner(c.picture, result, 1).Run();
    const QJsonObject diagnosis =
        Parsed(JsonSummary(result, surfaces, nullptr, nullptr, false, nullptr, c.trial ? &trial : nullptr))["diagnosis"].toObject();
    EXPECT_EQ(S(diagnosis["module_source"]), c.source);
    EXPECT_EQ(diagnosis.contains("module_pixels"), *c.source != 0);
    EXPECT_EQ(diagnosis.contains("edge_pixels"), c.edges);
    EXPECT_EQ(diagnosis.contains("edge_module_pixels"), c.edges);
    EXPECT_EQ(diagnosis.contains("blurred"), c.edges);
    EXPECT_EQ(diagnosis["blurred"].toBool(), c.blurred);
    EXPECT_EQ(diagnosis.contains("blur_text"), c.blurred);
    if (c.edges) {
      EXPECT_DOUBLE_EQ(diagnosis["edge_pixels"].toDouble(), trial.edges->edgeTenths / 10.0);
    }
  }
}

}  // namespace
