#pragma once

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QList>

#include <string>

#include "decoder/PictureOperations.h"

// The options that operate on the loaded (or made) picture before it is
// analysed: --invert, --mirror, --rotate 90|180|270.
class TPictureOptions {
 public:
  TPictureOptions();
  QList<QCommandLineOption> All() const;
  // The operations given. Throws std::invalid_argument (a one-line message
  // naming the option) for a rotation that is no quarter turn or an option
  // given twice.
  TPictureOperations Read(const QCommandLineParser& parser) const;

 private:
  QCommandLineOption invert_, mirror_, rotate_;
};

// The options' part of the help text.
std::string PictureHelpText();
