// The two programs built on the window library, run as processes on Qt's
// offscreen platform: the installed `morilux` takes a picture and nothing
// else; `morilux-window-batch`, which the scripts run, saves a picture of
// every page and times an analysis.

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <sys/wait.h>

#include <QImage>
#include <QRegularExpression>
#include <QString>
#include <gtest/gtest.h>

#include "TempFolder.h"
#include "TestSymbols.h"
#include "report/Pages.h"

namespace {

using namespace testing_support;

const std::string kWindow = MORILUX_WINDOW_PROGRAM;
const std::string kBatch = MORILUX_WINDOW_BATCH_PROGRAM;

struct TProgramRun {
  int status = -1;
  std::string out, err;
};

class WindowPrograms : public TTempFolderTest {
 protected:
  WindowPrograms() : TTempFolderTest("window_programs") {}

  void SetUp() override {
    TTempFolderTest::SetUp();
    picture_ = Path("symbol.bmp");
    WriteBmp(RenderSymbol(EncodeBytes("batch", 1, 1), 4), picture_);
  }

  // Runs PROGRAM ARGUMENTS... (no quote in any of them).
  TProgramRun Run(const std::string& program, const std::vector<std::string>& arguments) const {
    const std::string err = Path("err.txt");
    std::string command = "'" + program + "'";
    for (const std::string& argument : arguments) command += " '" + argument + "'";
    command += " 2>'" + err + "'";
    TProgramRun run;
    std::FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) return run;
    char buffer[4096];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) run.out.append(buffer, n);
    const int status = pclose(pipe);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    std::ostringstream text;
    text << std::ifstream(err, std::ios::binary).rdbuf();
    run.err = text.str();
    return run;
  }

  std::string picture_;
};

TEST_F(WindowPrograms, TheInstalledWindowHasNoScreenshotOrTimingRun) {
  const std::vector<std::vector<std::string>> cases = {
      {"--screenshot-dir", Path("shots"), picture_},
      {"--screenshot-dir", Path("shots"), "--screenshot-prefix", "p", picture_},
      {"--analyse-and-quit", picture_},
  };
  for (const std::vector<std::string>& arguments : cases) {
    const TProgramRun run = Run(kWindow, arguments);
    EXPECT_EQ(run.status, 2) << arguments.front();
    EXPECT_EQ(run.out, "");
    EXPECT_NE(run.err.find("usage: morilux [PICTURE]\n"), std::string::npos) << run.err;
  }
  EXPECT_FALSE(std::filesystem::exists(Path("shots")));
}

TEST_F(WindowPrograms, BatchTimesAnAnalysisAndShootsEveryPage) {
  const TProgramRun timed = Run(kBatch, {"--analyse-and-quit", picture_});
  EXPECT_EQ(timed.status, 0) << timed.err;
  // Qt's expressions: GCC 12 sees a false "maybe uninitialized" inside std::regex in the sanitizer build.
  static const QRegularExpression seconds(QStringLiteral("\\A[0-9]+\\.[0-9]{6}\n\\z"));
  EXPECT_TRUE(seconds.match(QString::fromStdString(timed.out)).hasMatch()) << timed.out;

  const TProgramRun shot = Run(kBatch, {"--screenshot-dir", Path("shots"), "--screenshot-prefix", "p", picture_});
  ASSERT_EQ(shot.status, 0) << shot.err;
  std::vector<std::string> names;
  for (std::size_t i = 0; i < Pages().size(); ++i) {
    std::string name = std::to_string(i + 1);
    if (name.size() < 2) name.insert(0, 1, '0');
    names.push_back(name.append("-").append(Pages()[i].objectName));
  }
  // Not explorer-running: on a picture this small the explorer may be done before a third of it is seen.
  for (const char* view : {"closeup-magnified-TabSheet9", "closeup-codeword-TabSheet6", "closeup-stale-TabSheet11",
                           "explorer-map", "explorer-picked", "explorer-picked-TabSheet5"})
    names.emplace_back(view);
  const QImage first(QString::fromStdString(Path("shots/p-01-TabSheet1.png")));
  ASSERT_FALSE(first.isNull());
  for (const std::string& name : names) {
    const std::string file = Path("shots/p-" + name + ".png");
    EXPECT_NE(shot.out.find(file + "\n"), std::string::npos) << name;
    const QImage image(QString::fromStdString(file));
    EXPECT_FALSE(image.isNull()) << name;
    // The main window's pictures are all of one size; the explorer's window is another.
    if (name.rfind("explorer-", 0) != 0 || name == "explorer-picked-TabSheet5") {
      EXPECT_EQ(image.size(), first.size()) << name;
    }
  }
  EXPECT_EQ(Run(kBatch, {picture_}).status, 2) << "a run of neither kind";
}

// The window's sizes for the screenshots: the screen, the window as it
// opens, small, fitted to a large window, and the two open dialogs.
TEST_F(WindowPrograms, BatchShootsTheWindowsSizesAndItsDialogs) {
  const TProgramRun shot = Run(kBatch, {"--window-views", "--screenshot-dir", Path("views"), picture_});
  ASSERT_EQ(shot.status, 0) << shot.err;
  EXPECT_NE(shot.out.find("first size "), std::string::npos) << shot.out;
  for (const char* name : {"screen", "first-TabSheet11", "first-TabSheet10", "small-TabSheet11", "small-TabSheet10",
                           "fit-TabSheet11", "fit-TabSheet10", "open-dialog", "open-any-dialog"}) {
    const std::string file = Path(std::string("views/") + name + ".png");
    EXPECT_NE(shot.out.find(file + "\n"), std::string::npos) << name;
    EXPECT_FALSE(QImage(QString::fromStdString(file)).isNull()) << name;
  }
  EXPECT_EQ(QImage(QString::fromStdString(Path("views/small-TabSheet11.png"))).size(), QSize(640, 480));
  EXPECT_EQ(Run(kBatch, {"--window-views", "--analyse-and-quit", picture_}).status, 2);
}

}  // namespace
