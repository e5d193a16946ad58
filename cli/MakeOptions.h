#pragma once

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QList>
#include <QString>

#include <optional>
#include <stdexcept>
#include <string>

#include "sample/Sample.h"

// The options of `morilux-cli --make TEXT ...`: what symbol to make and how to
// photograph it, read into the sample maker's request; the made picture is
// then analysed like a loaded one.

// A make option that is given wrongly; the message names the option.
class TMakeUsageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

struct TMakeArguments {
  TSampleRequest request;
  // Where the made picture is saved (.png, .bmp, .jpg, .jpeg), if anywhere.
  std::optional<QString> output;
};

class TMakeOptions {
 public:
  TMakeOptions();

  // True when --make is given.
  bool Asked(const QCommandLineParser& parser) const { return parser.isSet(make_); }
  // Every make option, for the parser.
  QList<QCommandLineOption> All() const;
  // The request when --make is given, else nullopt. Throws TMakeUsageError for
  // a value out of range or unknown, an option given twice, and a make option
  // without --make.
  std::optional<TMakeArguments> Read(const QCommandLineParser& parser) const;

 private:
  QCommandLineOption make_, mode_, symbolVersion_, level_, mask_, moduleSize_, quietZone_, effects_, seed_, output_;
};

// The usage lines and the options' part of the help text.
std::string MakeUsageText();
std::string MakeHelpText();
