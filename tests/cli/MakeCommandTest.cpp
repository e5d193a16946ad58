// morilux-cli --make: the sample maker on the command line, in-process.

#include <gtest/gtest.h>

#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QString>
#include <QStringList>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "TempFolder.h"
#include "cli/CommandLine.h"
#include "picture/PictureLoader.h"
#include "sample/Effects.h"

namespace fs = std::filesystem;
using namespace testing_support;

namespace {

struct TRun {
  int status = -1;
  std::string out, err;
};

TRun RunMake(const std::vector<std::string>& arguments) {
  QStringList list{"morilux-cli"};
  for (const std::string& a : arguments) list << QString::fromStdString(a);
  std::ostringstream out, err;
  const int status = RunCommandLine(list, out, err);
  return {status, out.str(), err.str()};
}

class MakeCommand : public TTempFolderTest {
 protected:
  MakeCommand() : TTempFolderTest("cli_make") {}
};

const std::string kText = "Morilux サンプル 日本語";

TEST_F(MakeCommand, SavesTheMadePictureInEachKindAndPrintsWhatItDecodes) {
  for (const std::string name : {"made.png", "made.bmp", "made.jpg", "MADE.JPEG"}) {
    const std::string path = Path(name);
    const TRun run = RunMake({"--make", kText, "--symbol-version", "5", "--level", "Q", "--mask", "3", "--output", path});
    EXPECT_EQ(run.status, kExitDecoded) << name << ": " << run.err;
    EXPECT_EQ(run.out, kText + "\n") << name;
    // Version 5 is 37 modules a side, with 4 modules of quiet zone at 8 pixels a module.
    const QImage saved(QString::fromStdString(path));
    EXPECT_EQ(saved.size(), QSize(360, 360)) << name;
    // The saved file decodes as a loaded picture.
    const TRun again = RunMake({path});
    EXPECT_EQ(again.out, kText + "\n") << name << ": " << again.err;
  }
}

TEST_F(MakeCommand, JsonNamesWhatWasMadeAndHow) {
  const TRun run = RunMake({"--make", kText, "--symbol-version", "5", "--level", "Q", "--mask", "3", "--effects",
                        "noise=4,rotation=10", "--seed", "9", "--json", "-"});
  ASSERT_EQ(run.status, kExitDecoded) << run.err;
  const QJsonObject document = QJsonDocument::fromJson(QByteArray::fromStdString(run.out)).object();
  const QJsonObject sample = document["sample"].toObject();
  EXPECT_EQ(sample["text"].toString().toStdString(), kText);
  EXPECT_EQ(sample["mode"].toString(), "auto");
  EXPECT_EQ(sample["version"].toInt(), 5);
  EXPECT_FALSE(sample["smallestVersion"].toBool());
  EXPECT_EQ(sample["level"].toString(), "Q");
  EXPECT_EQ(sample["mask"].toInt(), 3);
  EXPECT_FALSE(sample["automaticMask"].toBool());
  EXPECT_EQ(sample["maskPenalties"].toArray().size(), 8);
  EXPECT_EQ(sample["effects"].toString(), "rotation=10,noise=4");
  EXPECT_EQ(sample["seed"].toInt(), 9);
  // What the analysis read back.
  EXPECT_EQ(document["version"].toInt(), 5);
  EXPECT_EQ(document["level"].toString(), "Q");
  EXPECT_EQ(document["mask"].toInt(), 3);
  EXPECT_EQ(document["text"].toString().toStdString(), kText);
}

TEST_F(MakeCommand, ReportNamesWhatWasMade) {
  const TRun run = RunMake({"--make", "REPORT", "--mask", "6", "--output", Path("r.bmp"), "--report", Path("r.html")});
  ASSERT_EQ(run.status, kExitDecoded) << run.err;
  std::ifstream in(Path("r.html"));
  const std::string html((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_NE(html.find("マスク 6"), std::string::npos);
  EXPECT_NE(html.find(Path("r.bmp")), std::string::npos);
}

TEST_F(MakeCommand, BadOptionsExitTwoWithOneLineAndWriteNothing) {
  const std::string output = Path("never.png");
  struct TCase {
    std::vector<std::string> arguments;
    std::string message;
  };
  const std::vector<TCase> cases = {
      {{"--make", "x", "--symbol-version", "41"}, "--symbol-version must be a whole number from 1 to 40 or auto, not '41'"},
      {{"--make", "x", "--symbol-version", "five"}, "--symbol-version must be a whole number"},
      {{"--make", "x", "--level", "X"}, "--level must be L, M, Q or H, not 'X'"},
      {{"--make", "x", "--mask", "8"}, "--mask must be a whole number from 0 to 7 or auto"},
      {{"--make", "x", "--mode", "kana"}, "--mode must be one of auto, numeric, alphanumeric, byte, kanji"},
      {{"--make", "x", "--module-size", "0"}, "--module-size must be a whole number from 1 to 50"},
      {{"--make", "x", "--quiet-zone", "-1"}, "--quiet-zone must be a whole number from 0 to 40"},
      {{"--make", "x", "--seed", "-1"}, "--seed must be a whole number from 0 to 4294967295"},
      {{"--make", "x", "--effects", "rotation=200"}, "--effects: effect 'rotation=200': rotation must lie between -180 and 180"},
      {{"--make", "x", "--effects", "blur=1.5"}, "blur needs a whole number"},
      {{"--make", "x", "--effects", "sparkle=1"}, "effect 'sparkle=1' is unknown"},
      {{"--make", "x", "--effects", "noise=1,noise=2"}, "effect 'noise' is given more than once"},
      {{"--make", "x", "--effects", "background=sky"}, "background must be one of white, grey, dark, wood"},
      {{"--make", "x", "--effects", "perspective=1:2"}, "perspective needs one value or eight X:Y values"},
      {{"--make", "x", "--output", Path("a.gif")}, "--output must name a .png, .bmp, .jpg or .jpeg file"},
      {{"--make", "x", "--mask", "1", "--mask", "2"}, "--mask is given more than once"},
      {{"--level", "Q", "picture.jpg"}, "--level belongs to --make TEXT, which is not given"},
      {{"--output", output, "picture.jpg"}, "--output belongs to --make TEXT"},
      {{"--make", "x", "picture.jpg"}, "no picture is read with it ('picture.jpg')"},
      {{"--make", "x", "--version"}, "the symbol's version is --symbol-version V"},
      {{"--make", "", "--output", output}, "--make: the text is empty"},
      {{"--make", "abc", "--mode", "numeric", "--output", output}, "--make: numeric mode takes only the digits"},
      {{"--make", "This text is far too long for version 1", "--symbol-version", "1", "--level", "H", "--output", output},
       "--make: the text does not fit version 1 at level H; it needs version 5 or a lower level"},
      {{"--make", "x", "--symbol-version", "40", "--module-size", "50", "--effects", "scale=4", "--output", output},
       "megapixels allowed"},
      {{"--make", "x", "--module-size", "1", "--effects", "scale=0.5", "--output", output}, "fewer than one pixel per module"},
      {{"--make", "x", "--output", Path("missing/made.png")}, "cannot write"},
  };
  for (const TCase& c : cases) {
    const TRun run = RunMake(c.arguments);
    EXPECT_EQ(run.status, kExitUnusable) << c.message;
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err.find('\n'), run.err.size() - 1) << run.err;
    EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
  }
  EXPECT_TRUE(fs::is_empty(Folder()));
}

TEST_F(MakeCommand, HelpNamesEveryMakeOptionAndEffect) {
  const std::string help = HelpText();
  for (const char* option : {"--make TEXT", "--mode MODE", "--symbol-version V", "--level L", "--mask M", "--module-size N",
                             "--quiet-zone N", "--effects LIST", "--seed N", "--output FILE"})
    EXPECT_NE(help.find(option), std::string::npos) << option;
  for (const TEffectRow& row : kEffects) EXPECT_NE(help.find(std::string(row.key) + "="), std::string::npos) << row.key;
}

}  // namespace
