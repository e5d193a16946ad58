// The lab on the command line: the sampled matrix of a made symbol changed
// by --flip, --spoil-codewords and --erase and decoded again, in-process.

#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QString>
#include <QStringList>

#include <sstream>
#include <string>
#include <vector>

#include "cli/CommandLine.h"

namespace {

struct TRun {
  int status = -1;
  std::string out, err;
};

const std::string kText = "Morilux lab";

// A 5-Q symbol made and analysed, with the lab's options after it.
TRun RunLab(const std::vector<std::string>& lab) {
  QStringList list{"morilux-cli", "--make", QString::fromStdString(kText), "--symbol-version", "5", "--level", "Q"};
  for (const std::string& a : lab) list << QString::fromStdString(a);
  std::ostringstream out, err;
  const int status = RunCommandLine(list, out, err);
  return {status, out.str(), err.str()};
}

QJsonObject Lab(const TRun& run) {
  return QJsonDocument::fromJson(QByteArray::fromStdString(run.out)).object()["lab"].toObject();
}

TEST(LabCommand, FourSpoiltCodewordsOfABlockFailWithTheExitStatusOfTheChangedDecode) {
  const TRun run = RunLab({"--spoil-codewords", "0,4", "--spoil-codewords", "8 12"});
  EXPECT_EQ(run.status, kExitNotDecoded);
  EXPECT_EQ(run.out, "");
  EXPECT_NE(run.err.find("lab: block 0: 4 wrong codewords; this decoder (up to 3): uncorrectable; the level promises 9: corrected"),
            std::string::npos) << run.err;

  const TRun json = RunLab({"--spoil-codewords", "0,4,8,12", "--json", "-"});
  EXPECT_EQ(json.status, kExitNotDecoded);
  const QJsonObject document = QJsonDocument::fromJson(QByteArray::fromStdString(json.out)).object();
  EXPECT_TRUE(document["success"].toBool());  // the analysis itself
  const QJsonObject lab = document["lab"].toObject();
  EXPECT_FALSE(lab["success"].toBool());
  EXPECT_EQ(lab["codewordsReadOtherwise"].toArray(), (QJsonArray{0, 4, 8, 12}));
  EXPECT_EQ(lab["capacityText"].toString().toStdString(), kText);
  const QJsonObject block = lab["blocks"].toArray()[0].toObject();
  EXPECT_EQ(block["wrong"].toArray(), (QJsonArray{0, 1, 2, 3}));
  EXPECT_TRUE(block["decoder"].toObject()["uncorrectable"].toBool());
  EXPECT_EQ(block["fullCapacity"].toObject()["outcome"].toString(), QStringLiteral("corrected"));
  EXPECT_EQ(block["fullCapacity"].toObject()["syndromes"].toArray().size(), 18);
  EXPECT_EQ(block["promised"].toInt(), 9);
}

TEST(LabCommand, FlipsAndErasuresWithinTheDecodersReachDecodeAndPrintTheText) {
  const TRun flipped = RunLab({"--flip", "0,0;36,36"});
  EXPECT_EQ(flipped.status, kExitDecoded) << flipped.err;
  EXPECT_EQ(flipped.out, kText + "\n");
  EXPECT_NE(flipped.err.find("lab: 2 modules changed, none marked unreadable; 1 codeword read otherwise"), std::string::npos)
      << flipped.err;

  // The eight modules of the first codeword, marked unreadable.
  const TRun erased = RunLab({"--erase", "36,36 35,36 36,35 35,35 36,34 35,34 36,33 35,33", "--json", "-"});
  EXPECT_EQ(erased.status, kExitDecoded) << erased.err;
  const QJsonObject lab = Lab(erased);
  EXPECT_EQ(lab["erased"].toArray().size(), 8);
  EXPECT_EQ(lab["blocks"].toArray()[0].toObject()["erasures"].toArray(), (QJsonArray{0}));
  EXPECT_TRUE(lab["success"].toBool());
}

TEST(LabCommand, HidingTheAnswerLeavesTheLabsTextsOut) {
  const TRun run = RunLab({"--spoil-codewords", "5", "--json", "-", "--hide-answer"});
  EXPECT_EQ(run.status, kExitDecoded) << run.err;
  const QJsonObject lab = Lab(run);
  EXPECT_TRUE(lab["success"].toBool());
  for (const char* key : {"text", "capacityText"}) EXPECT_FALSE(lab.contains(QLatin1String(key))) << key;
  EXPECT_FALSE(lab["original"].toObject().contains(QStringLiteral("originalText")));
  EXPECT_TRUE(lab["original"].toObject()["success"].toBool());
}

TEST(LabCommand, WrongValuesAreUsageErrors) {
  struct TCase { std::vector<std::string> arguments; const char* named; };
  const TCase cases[] = {
      {{"--flip", "3"}, "--flip"},
      {{"--flip", "1,2,3"}, "--flip"},
      {{"--erase", "-1,2"}, "--erase"},
      {{"--spoil-codewords", "x"}, "--spoil-codewords"},
      {{"--spoil-codewords", ""}, "--spoil-codewords"},
      {{"--flip", "40,3"}, "outside"},
      {{"--spoil-codewords", "134"}, "codeword 134"},
  };
  for (const TCase& wrong : cases) {
    const TRun run = RunLab(wrong.arguments);
    EXPECT_EQ(run.status, kExitUnusable) << wrong.arguments.front() << " " << wrong.arguments.back();
    EXPECT_NE(run.err.find(wrong.named), std::string::npos) << run.err;
    EXPECT_EQ(run.out, "");
  }
}

}  // namespace
