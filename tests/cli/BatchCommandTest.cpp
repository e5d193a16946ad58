#include <gtest/gtest.h>

#include <QByteArray>
#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QString>
#include <QStringList>
#include <QXmlStreamReader>

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "FilledSymbols.h"
#include "OutputChecks.h"
#include "TempFolder.h"
#include "TestSymbols.h"
#include "cli/CommandLine.h"

namespace fs = std::filesystem;
using namespace testing_support;

namespace {

struct TRun {
  int status = -1;
  std::string out, err;
};

TRun Cli(const std::vector<std::string>& arguments, TTerminals terminals = {}) {
  QStringList list{"morilux-cli"};
  for (const std::string& a : arguments) list << QString::fromStdString(a);
  std::ostringstream out, err;
  const int status = RunCommandLine(list, out, err, terminals);
  return {status, out.str(), err.str()};
}

bool WellFormed(const std::string& html) {
  QXmlStreamReader xml(QByteArray::fromStdString(html));
  while (!xml.atEnd()) xml.readNext();
  return !xml.hasError();
}

class BatchCommand : public TTempFolderTest {
 protected:
  BatchCommand() : TTempFolderTest("batch") {}

  // Two pictures of one name in two kinds, one that decodes only with other
  // parameters, one without a symbol and one that cannot be read.
  std::string Pictures() {
    const std::string folder = Path("class");
    fs::create_directories(folder);
    WriteJpeg(RenderSymbol(EncodeBytes("jpeg <one>", 1, 1), 4), folder + "/a.jpg");
    WriteBmp(RenderSymbol(EncodeBytes("bmp one", 2, 1), 3), folder + "/a.bmp");
    WriteBmp(TBitmap(60, 40), folder + "/blank.bmp");
    WriteFile(folder + "/damaged.png", NoiseBytes(500, 1));
    WriteFile(folder + "/notes.txt", "not a picture");
    return folder;
  }
};

TEST_F(BatchCommand, UsageErrorsWriteNothing) {
  const std::string folder = Pictures();
  const std::string summary = Path("out/index.html");
  fs::create_directories(Path("empty"));
  struct TCase {
    std::vector<std::string> arguments;
    std::string fragment;
  };
  const std::vector<TCase> cases = {
      {{"--batch", folder}, "--report FILE or --json FILE"},
      {{"--batch", folder, "--report", summary, folder + "/a.bmp"}, "no picture is given"},
      {{"--batch", folder, "--report", summary, "--out", Path("panes")}, "--out"},
      {{"--batch", folder, "--report", summary, "--raw"}, "--raw"},
      {{"--batch", folder, "--report", summary, "--make", "x"}, "--make"},
      {{"--batch", folder, "--report", summary, "--jobs", "0"}, "between 1 and 256"},
      {{"--batch", folder, "--report", summary, "--jobs", "257"}, "between 1 and 256"},
      {{"--batch", folder, "--report", summary, "--jobs", "two"}, "integer"},
      {{"--jobs", "2", folder + "/a.bmp"}, "--jobs is for --batch and --explore"},
      {{"--batch", "", "--report", summary}, "needs a folder name"},
      {{"--batch", folder, "--report", summary, "--batch", folder}, "more than once"},
      {{"--batch", Path("missing"), "--report", summary}, "cannot read the folder"},
      {{"--batch", Path("empty"), "--report", summary}, "holds no picture"},
      // The summary would be a picture's report.
      {{"--batch", folder, "--report", Path("out/a.jpg.html")}, "would have the name of another file"},
      {{"--batch", folder, "--report", summary, "--json", summary}, "would have the name of another file"},
      {{"--batch", folder, "--report", Path("out/")}, "the name is a folder"},
  };
  for (const TCase& c : cases) {
    const TRun run = Cli(c.arguments);
    EXPECT_EQ(run.status, kExitUnusable) << c.fragment;
    EXPECT_EQ(run.out, "") << c.fragment;
    EXPECT_NE(run.err.find(c.fragment), std::string::npos) << run.err;
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
    EXPECT_FALSE(fs::exists(Path("out"))) << c.fragment;
  }
}

// The summary with a row a picture, each picture's report beside it named
// after the picture and the same as the report of that picture alone, and
// the table as JSON holding each picture's summary as --json writes it.
TEST_F(BatchCommand, WritesTheSummaryAndEveryPicturesReportBesideIt) {
  const std::string folder = Pictures();
  const TRun run = Cli({"--batch", folder, "--report", Path("out/index.html"), "--json", Path("out/class.json")});
  EXPECT_EQ(run.status, kExitNotDecoded) << run.err;
  EXPECT_EQ(run.out, "4 pictures: 2 decoded, 1 not decoded, 1 could not be read\n");
  EXPECT_EQ(run.err, "");
  std::map<std::string, std::string> written = FolderContents(Path("out"));
  std::vector<std::string> names;
  for (const auto& [name, bytes] : written) names.push_back(name);
  EXPECT_EQ(names, (std::vector<std::string>{"a.bmp.html", "a.jpg.html", "blank.bmp.html", "class.json", "index.html"}));
  EXPECT_TRUE(WellFormed(written["index.html"]));
  for (const char* report : {"a.bmp.html", "a.jpg.html", "blank.bmp.html"})
    EXPECT_NE(written["index.html"].find(std::string("href=\"") + report + "\""), std::string::npos) << report;
  EXPECT_NE(written["index.html"].find("damaged.png"), std::string::npos);

  // Each picture alone, by its name in the folder.
  const QString here = QDir::currentPath();
  ASSERT_TRUE(QDir::setCurrent(QString::fromStdString(folder)));
  const QJsonArray pictures = QJsonDocument::fromJson(QByteArray::fromStdString(written["class.json"])).object()["pictures"].toArray();
  ASSERT_EQ(pictures.size(), 4);
  for (const char* name : {"a.bmp", "a.jpg", "blank.bmp"}) {
    SCOPED_TRACE(name);
    Cli({"--report", Path("alone.html"), "--json", Path("alone.json"), name});
    EXPECT_EQ(written[std::string(name) + ".html"], ReadFile(Path("alone.html")));
    const QJsonObject alone = QJsonDocument::fromJson(QByteArray::fromStdString(ReadFile(Path("alone.json")))).object();
    const auto in = std::find_if(pictures.begin(), pictures.end(), [&](const QJsonValue& p) { return p.toObject()["file"] == QString::fromLatin1(name); });
    ASSERT_NE(in, pictures.end());
    EXPECT_EQ(in->toObject()["analysis"].toObject(), alone);
  }
  QDir::setCurrent(here);
  const QJsonObject damaged = pictures[3].toObject();
  EXPECT_EQ(damaged["file"].toString(), "damaged.png");
  EXPECT_EQ(damaged["outcome"].toString(), "unreadable");
  EXPECT_TRUE(damaged["analysis"].isNull());
}

// Every file and every line printed is the same whatever the number of
// threads, also for an exploration and an exercise with its answer sheets.
TEST_F(BatchCommand, OutputsAreTheSameWhateverTheNumberOfThreads) {
  const std::string folder = Pictures();
  const std::vector<std::vector<std::string>> variants = {
      {},
      {"--explore", "--explore-resolver", "-16:16:8", "--hide-answer"},
  };
  for (const std::vector<std::string>& variant : variants) {
    std::map<std::string, std::string> first;
    std::string printed;
    for (const char* jobs : {"1", "2", "3"}) {
      SCOPED_TRACE(std::string("jobs ") + jobs + (variant.empty() ? "" : " explored"));
      const std::string out = Path(std::string("out-") + jobs + (variant.empty() ? "" : "-explored"));
      std::vector<std::string> arguments = {"--batch", folder, "--report", out + "/index.html", "--json", out + "/all.json", "--jobs", jobs};
      arguments.insert(arguments.end(), variant.begin(), variant.end());
      const TRun run = Cli(arguments);
      EXPECT_EQ(run.status, kExitNotDecoded) << run.err;
      const std::map<std::string, std::string> written = FolderContents(out);
      if (first.empty()) {
        first = written;
        printed = run.out;
        EXPECT_EQ(written.count("index-answer.html"), variant.empty() ? 0u : 1u);
        EXPECT_EQ(written.count("a.jpg-answer.html"), variant.empty() ? 0u : 1u);
      } else {
        EXPECT_TRUE(written == first);
        EXPECT_EQ(run.out, printed);
      }
    }
  }
}

TEST_F(BatchCommand, JsonOnStandardOutputAndTheProgressLineOnATerminal) {
  const std::string folder = Pictures();
  TRun run = Cli({"--batch", folder, "--json", "-"});
  EXPECT_EQ(QJsonDocument::fromJson(QByteArray::fromStdString(run.out)).object()["counts"].toObject()["pictures"].toInt(), 4);
  EXPECT_EQ(run.err, "");
  fs::remove(folder + "/blank.bmp");
  fs::remove(folder + "/damaged.png");
  run = Cli({"--batch", folder, "--report", Path("out/index.html"), "--jobs", "1"}, {false, true});
  EXPECT_EQ(run.status, kExitDecoded);
  EXPECT_EQ(run.err, "\r[1/2] a.bmp\x1b[K\r[2/2] a.jpg\x1b[K\r\x1b[K");
}

// SIGTERM in the middle of a batch: the program ends after the pictures in
// progress with 128 + 15, every report it wrote whole, no temporary file and
// no summary.
TEST_F(BatchCommand, AnInterruptLeavesOnlyWholeReportsAndNoSummary) {
  const std::string folder = Path("many");
  fs::create_directories(folder);
  const TBitmap picture = RenderSymbol(EncodeBytes("interrupted", 3, 1), 6);
  for (int i = 0; i < 60; ++i) WriteBmp(picture, folder + "/p" + std::to_string(i) + ".bmp");
  const std::string out = Path("out");
  const std::string summary = out + "/index.html";
  const pid_t child = ::fork();
  if (child == 0) {
    const int log = ::open(Path("stderr").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    ::dup2(log, STDERR_FILENO);
    ::execl(MORILUX_CLI_PROGRAM, MORILUX_CLI_PROGRAM, "--batch", folder.c_str(), "--report", summary.c_str(), "--explore",
            "--jobs", "2", static_cast<char*>(nullptr));
    ::_exit(127);
  }
  // The signal comes once the first report is there.
  const auto start = std::chrono::steady_clock::now();
  const auto reports = [&] {
    std::size_t count = 0;
    std::error_code ignored;
    for (const auto& entry : fs::directory_iterator(out, ignored))
      count += entry.path().filename().string().ends_with(".bmp.html") ? 1 : 0;
    return count;
  };
  while (reports() == 0 && std::chrono::steady_clock::now() - start < std::chrono::seconds(120))
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  ::kill(child, SIGTERM);
  int status = 0;
  ::waitpid(child, &status, 0);
  ASSERT_TRUE(WIFEXITED(status)) << "ended by signal " << WTERMSIG(status);
  EXPECT_EQ(WEXITSTATUS(status), 128 + SIGTERM);
  EXPECT_NE(ReadFile(Path("stderr")).find("interrupted after"), std::string::npos) << ReadFile(Path("stderr"));
  const std::map<std::string, std::string> written = FolderContents(out);
  EXPECT_GE(written.size(), 1u);
  EXPECT_LT(written.size(), 60u);
  for (const auto& [name, bytes] : written) {
    EXPECT_TRUE(name.ends_with(".bmp.html")) << name;
    EXPECT_TRUE(WellFormed(bytes)) << name;
  }
}

}  // namespace
