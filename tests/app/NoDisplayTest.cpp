// Both programs answer --version and --help on a machine without a display:
// they run here as programs whose environment names no display and no Qt
// platform, where the window's application object would end the process.

#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "TempFolder.h"

namespace {

struct TProgramRun {
  int status = -1;  // the exit status; never 0 after a crash
  std::string out, err;
};

// Runs PROGRAM ARGUMENTS... (no quote in any of them) with DISPLAY,
// WAYLAND_DISPLAY and QT_QPA_PLATFORM removed from its environment.
TProgramRun RunWithoutDisplay(const std::string& program, const std::vector<std::string>& arguments) {
  const testing_support::TTempFolder folder("no-display");
  const std::string err = folder.Path("stderr.txt");
  std::string command = "env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM '" + program + "'";
  for (const std::string& argument : arguments) command += " '" + argument + "'";
  command += " 2>'" + err + "'";
  TProgramRun run;
  std::FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return run;
  char buffer[4096];
  for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) run.out.append(buffer, n);
  const int status = pclose(pipe);
  run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  std::ifstream file(err, std::ios::binary);
  std::ostringstream text;
  text << file.rdbuf();
  run.err = text.str();
  return run;
}

const std::string kWindow = MORILUX_WINDOW_PROGRAM;
const std::string kCli = MORILUX_CLI_PROGRAM;
const std::string kVersion = MORILUX_PROJECT_VERSION;

TEST(NoDisplay, VersionIsTheProjectsWhereverItStands) {
  struct TCase {
    const std::string& program;
    std::vector<std::string> arguments;
    std::string expected;
  };
  const std::vector<TCase> cases = {
      {kWindow, {"--version"}, "morilux " + kVersion + "\n"},
      {kCli, {"--version"}, "morilux-cli " + kVersion + "\n"},
      // After a picture and after options the window does not take (the batch program's), not acted on.
      {kWindow, {"missing.bmp", "--version"}, "morilux " + kVersion + "\n"},
      {kWindow, {"--screenshot-dir", "no-such-folder", "--analyse-and-quit", "--version"}, "morilux " + kVersion + "\n"},
      {kCli, {"--resolver", "30", "--version", "missing.bmp"}, "morilux-cli " + kVersion + "\n"},
  };
  for (const TCase& c : cases) {
    const TProgramRun run = RunWithoutDisplay(c.program, c.arguments);
    EXPECT_EQ(run.status, 0) << c.program << " " << c.arguments.front() << "\n" << run.err;
    EXPECT_EQ(run.out, c.expected);
    EXPECT_EQ(run.err, "");
  }
  EXPECT_FALSE(std::filesystem::exists("no-such-folder"));
}

TEST(NoDisplay, HelpNamesVersionAndComesFirstWhenFirst) {
  for (const std::string& program : {kWindow, kCli}) {
    const TProgramRun run = RunWithoutDisplay(program, {"--help", "--version"});
    EXPECT_EQ(run.status, 0) << program << "\n" << run.err;
    EXPECT_NE(run.out.find("--version"), std::string::npos) << program;
    EXPECT_EQ(run.out.find(kVersion + "\n"), std::string::npos) << program;
    EXPECT_EQ(run.err, "");
  }
  const TProgramRun shortForm = RunWithoutDisplay(kWindow, {"-h"});
  EXPECT_EQ(shortForm.status, 0);
  EXPECT_EQ(shortForm.out.rfind("usage: morilux [PICTURE]\n", 0), 0u) << shortForm.out;
}

}  // namespace
