#include <QCoreApplication>

#include <iostream>

#include <unistd.h>

#include "CommandLine.h"

int main(int argc, char** argv) {
  QCoreApplication application(argc, argv);
  return RunCommandLine(QCoreApplication::arguments(), std::cout, std::cerr,
                        {isatty(STDOUT_FILENO) == 1, isatty(STDERR_FILENO) == 1});
}
