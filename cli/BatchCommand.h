#pragma once

#include <QString>

#include <atomic>
#include <optional>
#include <ostream>
#include <string>

#include "CommandLine.h"
#include "Interrupt.h"
#include "decoder/Analysis.h"
#include "decoder/Explorer.h"
#include "report/ReportLanguage.h"

// `morilux-cli --batch FOLDER`: a class set. Every picture of the folder is
// analysed on several threads (ClassSet.h), then the summary page and each
// picture's report are written beside each other, and the table as JSON.

struct TBatchArguments {
  QString folder;
  // The summary page; each picture's report goes beside it, named after the
  // picture with ".html" added ("a.jpg.html").
  std::optional<QString> report;
  // The table as JSON; "-" for standard output.
  std::optional<QString> json;
  TAnalysisParameters parameters;
  std::optional<TExploreGrid> explore;
  bool hideAnswer = false;
  unsigned jobs = 1;
  // The language of the summary page's and the reports' own texts.
  TReportLanguage language = TReportLanguage::Japanese;
};

// Runs the class set; `interrupt`, once raised, stops it after the pictures
// in progress (their files written whole), with no summary written and the
// status 128 + the signal. Returns the exit status: 0 when
// every picture decoded, 1 when some did not or could not be read (the
// summary says which), 2 when the folder cannot be read, holds no picture or
// a file cannot be written.
int RunBatch(const TBatchArguments& arguments, std::ostream& out, std::ostream& err, TTerminals terminals,
             const TInterruptFlag* interrupt = nullptr);

// The usage lines and the options' part of the help text.
std::string BatchUsageText();
std::string BatchHelpText();
