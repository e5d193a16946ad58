#include "Interrupt.h"

#include <csignal>

namespace {

// What a signal handler may touch: a lock-free atomic and a sig_atomic_t.
static_assert(std::atomic<bool>::is_always_lock_free);
std::atomic<bool> raised{false};
volatile std::sig_atomic_t signalNumber = 0;

struct sigaction earlierInterrupt;
struct sigaction earlierTerminate;

extern "C" void OnSignal(int number) {
  signalNumber = number;
  raised.store(true, std::memory_order_relaxed);
}

}  // namespace

TInterruptFlag::TInterruptFlag() {
  raised = false;
  signalNumber = 0;
  struct sigaction action = {};
  action.sa_handler = OnSignal;
  sigemptyset(&action.sa_mask);
  // Reads and writes under way go on after the handler, as if nothing had come.
  action.sa_flags = SA_RESTART;
  sigaction(SIGINT, &action, &earlierInterrupt);
  sigaction(SIGTERM, &action, &earlierTerminate);
}

TInterruptFlag::~TInterruptFlag() {
  sigaction(SIGINT, &earlierInterrupt, nullptr);
  sigaction(SIGTERM, &earlierTerminate, nullptr);
}

const std::atomic<bool>& TInterruptFlag::Raised() const { return raised; }

int TInterruptFlag::Signal() const { return signalNumber; }
