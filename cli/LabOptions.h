#pragma once

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QList>

#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "common/Types.h"
#include "decoder/Lab.h"

class TVeltrix;

// The options of the error-correction lab on the command line: the module
// matrix the analysis sampled is changed and decoded again; the changed
// decode's text and exit status are the program's, and the JSON summary
// describes it under "lab".

// A lab option given wrongly; the message names the option.
class TLabUsageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

struct TLabArguments {
  // Modules to flip, codewords (reading-order places) whose bits are all
  // inverted, modules to mark unreadable; each kind is one change, in this order.
  std::vector<TPoint> flips;
  std::vector<std::int32_t> spoils;
  std::vector<TPoint> erasures;
};

class TLabOptions {
 public:
  TLabOptions();

  QList<QCommandLineOption> All() const { return {flip_, spoil_, erase_}; }
  // The changes when any lab option is given, else nullopt. Each option may be
  // repeated; its values are separated by spaces or semicolons. Throws
  // TLabUsageError for a value that is not a whole number or an X,Y pair.
  std::optional<TLabArguments> Read(const QCommandLineParser& parser) const;

 private:
  QCommandLineOption flip_, spoil_, erase_;
};

// The lab on the matrix the facade's last decode sampled, changed as asked and
// decoded again. Throws TLabError when that decode sampled no matrix or a
// change names a module or codeword the matrix does not hold.
std::unique_ptr<TLab> RunLab(const TVeltrix& facade, const TLabArguments& arguments);

// The changed decode in English lines for standard error: the changes, the
// outcome of both decoders and one line a block.
std::vector<std::string> LabLines(const TLab& lab);

std::string LabUsageText();
std::string LabHelpText();
