#pragma once

#include <QStringList>

#include <ostream>
#include <string>

#include "common/Surfaces.h"

// The headless front end: loads one picture, runs one analysis on a fresh set
// of panes, prints the decoded text and optionally writes every pane to a folder.

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

// Writes every image pane that holds a picture as <Pane>.png, every text pane
// as <Pane>.txt and the two status panels as StatusBar.txt into `folder`,
// creating it when missing. Throws std::runtime_error with a one-line message
// when something cannot be written.
void WritePanes(const TSurfaces& surfaces, const std::string& folder);

// The help text printed by --help.
std::string HelpText();
