#pragma once

// Checks of the files a front end leaves behind: a folder's contents, and a
// piece of work run under a file-size limit in a child process (so that the
// limit cannot reach the test program's own files). Header only.

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <map>
#include <string>

#include "TestSymbols.h"

namespace testing_support {

// Every entry of the folder by name: the bytes of a file, "<folder>" for a folder.
inline std::map<std::string, std::string> FolderContents(const std::string& folder) {
  std::map<std::string, std::string> contents;
  for (const auto& entry : std::filesystem::directory_iterator(folder))
    contents[entry.path().filename().string()] =
        entry.is_directory() ? std::string("<folder>") : ReadFile(entry.path().string());
  return contents;
}

// Runs `body` in a child process whose files may not grow beyond `bytes`,
// with SIGXFSZ ignored as morilux-cli ignores it, and gives the body's
// return value (or 100 + the signal that ended the child).
inline int WithFileSizeLimit(rlim_t bytes, const std::function<int()>& body) {
  std::fflush(nullptr);
  const pid_t child = ::fork();
  if (child == 0) {
    const rlimit limit{bytes, bytes};
    ::setrlimit(RLIMIT_FSIZE, &limit);
    std::signal(SIGXFSZ, SIG_IGN);
    int result = 99;
    try {
      result = body();
    } catch (...) {
      result = 98;
    }
    std::fflush(nullptr);
    ::_exit(result);
  }
  int status = 0;
  ::waitpid(child, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : 100 + WTERMSIG(status);
}

}  // namespace testing_support
