#pragma once

#include <atomic>

// Ctrl+C and SIGTERM as a flag that long work polls, so that it ends at a
// point of its own choosing, with every file it wrote whole, instead of the
// process ending wherever it is. The handler only sets the flag.

class TInterruptFlag {
 public:
  // Catches SIGINT and SIGTERM from now on (one object at a time).
  TInterruptFlag();
  // Gives the two signals their earlier handling back.
  ~TInterruptFlag();
  TInterruptFlag(const TInterruptFlag&) = delete;
  TInterruptFlag& operator=(const TInterruptFlag&) = delete;

  // Holds true once a signal came.
  const std::atomic<bool>& Raised() const;
  // The signal that came last (0 before one did).
  int Signal() const;
};
