#include <QCoreApplication>

#include <iostream>

#include "CommandLine.h"

int main(int argc, char** argv) {
  QCoreApplication application(argc, argv);
  return RunCommandLine(QCoreApplication::arguments(), std::cout, std::cerr);
}
