// Work that runs beside the window's thread: one way to start it, take its result, cancel it and stop it.
// A job is started from the window's thread and runs on a thread of its own (the Win32 build, or the
// headless build with its background threads on), or with the next window messages let through (the
// headless build otherwise, so that tests see each step in order). The window's thread takes what it
// made, waiting for it only while it runs: a job not begun yet is run there and then instead.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

namespace zeb {

// What a job polls to learn that it is no longer wanted; it then ends as soon as it can.
class CancelToken {
 public:
  bool Cancelled() const { return cancelled_->load(std::memory_order_acquire); }

 private:
  friend class BackgroundJob;
  std::shared_ptr<std::atomic<bool>> cancelled_ = std::make_shared<std::atomic<bool>>(false);
};

class BackgroundJob {
 public:
  explicit BackgroundJob(std::function<void(const CancelToken&)> work) : work_(std::move(work)) {}
  BackgroundJob(const BackgroundJob&) = delete;
  BackgroundJob& operator=(const BackgroundJob&) = delete;

  // A job not begun never begins; a running one sees its token cancelled.
  void Cancel();
  bool Cancelled() const { return token_.Cancelled(); }
  const CancelToken& Token() const { return token_; }
  // Whether the work has returned, or will never run.
  bool Ended() const;
  // Runs the work here unless it has begun elsewhere, then waits for its end.
  void RunHereOrWait();
  // Waits at most Timeout for the job's end; true when it has ended.
  bool WaitFor(std::chrono::milliseconds timeout);
  // Runs the work unless it has begun or was cancelled: what the thread it was started on does.
  void RunIfWaiting();

 private:
  enum class State { Waiting, Running, Ended };
  std::function<void(const CancelToken&)> work_;
  CancelToken token_;
  mutable std::mutex mutex_;
  std::condition_variable ended_;
  State state_ = State::Waiting;
};

// Starts Job beside the window's thread. It never fails: a job that no thread could be found for stays
// waiting until the window's thread runs it (RunHereOrWait) or cancels it.
void StartInBackground(std::shared_ptr<BackgroundJob> job);
// Cancels each job and waits for their ends, for Timeout in all. A job still running after it is left to
// end on its own: it must hold (shared) what it touches. True when every job had ended.
bool CancelAndWait(const std::vector<std::shared_ptr<BackgroundJob>>& jobs,
                   std::chrono::milliseconds timeout);
// Waits at most Timeout until every job started in the process has ended or was dropped; true when so.
bool WaitForBackgroundJobs(std::chrono::milliseconds timeout);

// A job that makes a Result for the window's thread.
template <typename Result>
class BackgroundTask {
 public:
  explicit BackgroundTask(std::function<Result(const CancelToken&)> work)
      : result_(std::make_shared<std::optional<Result>>()),
        job_(std::make_shared<BackgroundJob>([work = std::move(work), result = result_](
                                                 const CancelToken& token) { *result = work(token); })) {
    StartInBackground(job_);
  }
  // A task nobody will take is not wanted: not begun, it never begins.
  ~BackgroundTask() { job_->Cancel(); }
  BackgroundTask(const BackgroundTask&) = delete;
  BackgroundTask& operator=(const BackgroundTask&) = delete;
  // The result: made here when the job has not begun, waited for while it runs; empty when the job was
  // cancelled before it began. Once only.
  std::optional<Result> Take() {
    job_->RunHereOrWait();
    return std::move(*result_);
  }
  const std::shared_ptr<BackgroundJob>& Job() const { return job_; }

 private:
  std::shared_ptr<std::optional<Result>> result_;  // written by the job, read once it has ended
  std::shared_ptr<BackgroundJob> job_;
};

// The platform's part: runs Run on another thread, or posts it (headless). False when no thread could
// be made; Run is then dropped.
bool LaunchBackground(std::function<void()> run);

}  // namespace zeb
