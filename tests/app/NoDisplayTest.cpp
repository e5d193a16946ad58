// Both programs answer --version and --help on a machine without a display:
// they run here as programs whose environment names no display and no Qt
// platform, where the window's application object would end the process.

#include <gtest/gtest.h>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

extern char** environ;

namespace {

struct TProgramRun {
  int status = -1;  // the exit status, or 128 + the signal that ended the program
  std::string out, err;
};

std::string ReadFile(const std::filesystem::path& path) {
  std::ifstream file(path, std::ios::binary);
  std::ostringstream text;
  text << file.rdbuf();
  return text.str();
}

TProgramRun RunWithoutDisplay(const std::string& program, const std::vector<std::string>& arguments) {
  std::vector<char*> environment;
  for (char** variable = environ; *variable != nullptr; ++variable) {
    const std::string_view entry = *variable;
    if (!entry.starts_with("DISPLAY=") && !entry.starts_with("WAYLAND_DISPLAY=") &&
        !entry.starts_with("QT_QPA_PLATFORM="))
      environment.push_back(*variable);
  }
  environment.push_back(nullptr);
  std::vector<std::string> words{program};
  words.insert(words.end(), arguments.begin(), arguments.end());
  std::vector<char*> argv;
  for (std::string& word : words) argv.push_back(word.data());
  argv.push_back(nullptr);

  const std::filesystem::path folder = ::testing::TempDir();
  const std::string out = (folder / "no_display_out.txt").string();
  const std::string err = (folder / "no_display_err.txt").string();
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  posix_spawn_file_actions_addopen(&actions, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  pid_t child = 0;
  const int spawned = posix_spawn(&child, program.c_str(), &actions, nullptr, argv.data(), environment.data());
  posix_spawn_file_actions_destroy(&actions);
  TProgramRun run;
  if (spawned != 0) return run;
  int status = 0;
  waitpid(child, &status, 0);
  run.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  run.out = ReadFile(out);
  run.err = ReadFile(err);
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
      // After a picture and after the window's own options, which are not acted on.
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
