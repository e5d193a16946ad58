#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

#include <QObject>

class TDiagnosisPage;

#include "common/Bitmap.h"
#include "decoder/Analysis.h"
#include "decoder/Trial.h"

// The window's trial of suggestions (decoder/Trial) after each analysis that
// did not read, on a thread of its own with its own copy of the picture, so
// that the main window never waits for it. Each trial carries the number of
// its analysis: a newer analysis or a load cancels it, and whatever it still
// delivers is dropped.
class TTrialWorker : public QObject {
 public:
  // `delivered` is called on the window's thread with each trial of the
  // current analysis that ended (also when it failed: then with `failure`).
  using TDelivered = std::function<void(const TTrial& trial, const std::string& failure)>;
  explicit TTrialWorker(TDelivered delivered, QObject* parent = nullptr);
  // Delivering to the page 診断, which Cancel also tells that the trial
  // stopped; `apply` is the command of its tried values' buttons.
  TTrialWorker(TDiagnosisPage& page, const std::function<void(const TAnalysisParameters&)>& apply, QObject* parent);
  // Cancels every trial and waits for their threads.
  ~TTrialWorker() override;
  TTrialWorker(const TTrialWorker&) = delete;
  TTrialWorker& operator=(const TTrialWorker&) = delete;

  // A new analysis: the running trial is cancelled and, when the analysis
  // did not read, a trial of it starts. Returns the analysis's number.
  std::uint64_t Analysed(const TBitmap& picture, const TAnalysisResult& analysis);
  // The analysis shown on the page 診断 (given at construction), then Analysed.
  void Show(const TBitmap& picture, const TAnalysisResult& analysis);
  // A new picture: the running trial is cancelled, the last trial forgotten.
  void Cancel();
  // True while the trial of the current analysis runs.
  bool Running() const;
  // Waits at most `limit` for the trial of the current analysis and delivers
  // it at once when it ended; true when no trial runs any more.
  bool Wait(std::chrono::milliseconds limit);
  // The trial the report shows: the current analysis's, waited for at most
  // kReportWait; one that has not ended by then as not ended; nullptr when
  // the analysis had nothing to try.
  const TTrial* ForReport(const TAnalysisResult& analysis);
  static constexpr std::chrono::seconds kReportWait{30};
  // The trial of the current analysis once it has been delivered.
  const std::optional<TTrial>& Last() const { return last_; }

 private:
  struct TRun {
    std::uint64_t number = 0;
    std::atomic<bool> cancel{false};
    std::mutex lock;
    std::condition_variable ended;
    bool done = false;
    std::optional<TTrial> trial;
    std::string failure;
    bool delivered = false;
    std::thread thread;
  };
  // The run's thread posted its end: delivered unless stale, then joined.
  void Ended(TRun* run);
  void Deliver(TRun& run);
  void CancelRunning();

  TDelivered delivered_;
  TDiagnosisPage* page_ = nullptr;
  std::uint64_t number_ = 0;
  // Runs not yet joined: the current one last; cancelled ones end on their own.
  std::vector<std::unique_ptr<TRun>> runs_;
  std::optional<TTrial> last_;
  std::optional<TTrial> unfinished_;
};
