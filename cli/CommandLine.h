#pragma once

#include <QStringList>

#include <ostream>
#include <string>

// The headless front end: loads one picture, runs one analysis (or explores
// a grid of parameters first) on a fresh set of panes, prints the decoded
// text and optionally writes every pane to a folder, a report and a summary;
// or analyses every picture of a folder (BatchCommand.h).

// Exit statuses.
inline constexpr int kExitDecoded = 0;      // the decode succeeded
inline constexpr int kExitNotDecoded = 1;   // the decode failed; the error text went to stderr
inline constexpr int kExitUnusable = 2;     // usage error, unsupported or unreadable picture, unwritable output

// Which of the two streams reach a terminal, where control characters in the
// decoded text and in messages are shown as escapes (see VisibleText). Decided
// by the program's main, so that tests can choose either case.
struct TTerminals {
  bool out = false;
  bool err = false;
};

// Runs the command line. `arguments` starts with the program name; standard
// output and error are the two streams. Returns the exit status.
int RunCommandLine(const QStringList& arguments, std::ostream& out, std::ostream& err, TTerminals terminals = {});

// The help text printed by --help.
std::string HelpText();

// A message as one line; on a terminal with its control characters (a file
// name may hold any) shown as escapes first, so that a carriage return shows too.
std::string TerminalLine(std::string text, bool terminal);
