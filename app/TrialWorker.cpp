#include "TrialWorker.h"

#include <algorithm>
#include <exception>

#include "DiagnosisPage.h"

TTrialWorker::TTrialWorker(TDelivered delivered, QObject* parent) : QObject(parent), delivered_(std::move(delivered)) {}

TTrialWorker::TTrialWorker(TDiagnosisPage& page, const std::function<void(const TAnalysisParameters&)>& apply,
                           QObject* parent)
    : TTrialWorker([&page](const TTrial& trial, const std::string& failure) { page.ShowTrial(trial, failure); }, parent) {
  page_ = &page;
  page.SetApply(apply);
}

TTrialWorker::~TTrialWorker() {
  for (const std::unique_ptr<TRun>& run : runs_) run->cancel = true;
  for (const std::unique_ptr<TRun>& run : runs_)
    if (run->thread.joinable()) run->thread.join();
}

void TTrialWorker::CancelRunning() {
  for (const std::unique_ptr<TRun>& run : runs_) run->cancel = true;
}

std::uint64_t TTrialWorker::Analysed(const TBitmap& picture, const TAnalysisResult& analysis) {
  CancelRunning();
  last_.reset();
  const std::uint64_t number = ++number_;
  if (!WorthTrying(analysis)) return number;
  auto run = std::make_unique<TRun>();
  run->number = number;
  TRun* const shared = run.get();
  // The copy of the picture is made here, on the window's thread.
  auto runner = std::make_shared<TTrialRunner>(picture, analysis, number);
  runs_.push_back(std::move(run));
  try {
    shared->thread = std::thread([this, shared, runner] {
      std::optional<TTrial> trial;
      std::string failure;
      try {
        trial = runner->Run(&shared->cancel, std::max(1u, std::thread::hardware_concurrency()));
      } catch (const std::exception& error) {
        failure = error.what();
      }
      {
        const std::lock_guard<std::mutex> hold(shared->lock);
        shared->trial = std::move(trial);
        shared->failure = std::move(failure);
        shared->done = true;
      }
      shared->ended.notify_all();
      QMetaObject::invokeMethod(this, [this, shared] { Ended(shared); }, Qt::QueuedConnection);
    });
  } catch (const std::system_error&) {
    // No thread to be had: no trial, which the page then says.
    runs_.pop_back();
    TTrial none;
    none.analysis = number;
    none.stage = analysis.stage;
    none.parameters = analysis.parameters;
    if (delivered_) delivered_(none, "no thread for the trial");
  }
  return number;
}

void TTrialWorker::Show(const TBitmap& picture, const TAnalysisResult& analysis) {
  if (page_ != nullptr) page_->Show(analysis, picture);
  Analysed(picture, analysis);
}

void TTrialWorker::Cancel() {
  CancelRunning();
  if (page_ != nullptr) page_->StopTrying();
  ++number_;
  last_.reset();
}

bool TTrialWorker::Running() const {
  return std::any_of(runs_.begin(), runs_.end(),
                     [this](const std::unique_ptr<TRun>& run) { return run->number == number_ && !run->delivered; });
}

bool TTrialWorker::Wait(std::chrono::milliseconds limit) {
  for (const std::unique_ptr<TRun>& run : runs_) {
    if (run->number != number_ || run->delivered) continue;
    std::unique_lock<std::mutex> hold(run->lock);
    if (!run->ended.wait_for(hold, limit, [&run] { return run->done; })) return false;
    hold.unlock();
    Deliver(*run);
  }
  return true;
}

const TTrial* TTrialWorker::ForReport(const TAnalysisResult& analysis) {
  unfinished_.reset();
  if (Wait(kReportWait)) return last_ ? &*last_ : nullptr;
  unfinished_.emplace();
  unfinished_->parameters = analysis.parameters;
  unfinished_->stage = analysis.stage;
  return &*unfinished_;
}

void TTrialWorker::Deliver(TRun& run) {
  if (run.delivered || run.number != number_ || run.cancel) return;
  run.delivered = true;
  if (run.trial) last_ = run.trial;
  if (!delivered_) return;
  if (run.trial) {
    delivered_(*run.trial, {});
  } else {
    TTrial none;
    none.analysis = run.number;
    delivered_(none, run.failure);
  }
}

void TTrialWorker::Ended(TRun* run) {
  const auto found = std::find_if(runs_.begin(), runs_.end(), [run](const std::unique_ptr<TRun>& r) { return r.get() == run; });
  if (found == runs_.end()) return;
  Deliver(*run);
  // The thread has posted its last event and is ending.
  if (run->thread.joinable()) run->thread.join();
  runs_.erase(found);
}
