#include <QCoreApplication>

#include <csignal>
#include <iostream>

#include <unistd.h>

#include "CommandLine.h"

int main(int argc, char** argv) {
  // Past a file-size limit a write then fails with its reason (and the
  // partial file is removed) instead of the process ending half-way.
  std::signal(SIGXFSZ, SIG_IGN);
  QCoreApplication application(argc, argv);
  return RunCommandLine(QCoreApplication::arguments(), std::cout, std::cerr,
                        {isatty(STDOUT_FILENO) == 1, isatty(STDERR_FILENO) == 1});
}
