#include "platform/services/background.h"

#include <algorithm>

namespace zeb {

namespace {

// The jobs started and not yet ended or dropped, in the whole process.
struct Outstanding {
  std::mutex mutex;
  std::condition_variable none;
  int count = 0;
};

Outstanding& Jobs() {
  static Outstanding outstanding;
  return outstanding;
}

// Counts a started job until the last copy of what runs it is gone: when it has run, and also when its
// thread could not be made or its posted message was thrown away.
struct Ticket {
  Ticket() {
    std::lock_guard lock(Jobs().mutex);
    ++Jobs().count;
  }
  Ticket(const Ticket&) = delete;
  Ticket& operator=(const Ticket&) = delete;
  ~Ticket() {
    std::lock_guard lock(Jobs().mutex);
    if (--Jobs().count == 0) Jobs().none.notify_all();
  }
};

}  // namespace

void BackgroundJob::Cancel() {
  std::lock_guard lock(mutex_);
  token_.cancelled_->store(true, std::memory_order_release);
  if (state_ == State::Waiting) {
    state_ = State::Ended;
    ended_.notify_all();
  }
}

bool BackgroundJob::Ended() const {
  std::lock_guard lock(mutex_);
  return state_ == State::Ended;
}

void BackgroundJob::RunIfWaiting() {
  {
    std::lock_guard lock(mutex_);
    if (state_ != State::Waiting) return;
    state_ = State::Running;
  }
  try {
    work_(token_);
  } catch (...) {
    // The work catches what it expects; anything else ends only the job.
  }
  std::lock_guard lock(mutex_);
  state_ = State::Ended;
  ended_.notify_all();
}

void BackgroundJob::RunHereOrWait() {
  RunIfWaiting();
  std::unique_lock lock(mutex_);
  ended_.wait(lock, [this] { return state_ == State::Ended; });
}

bool BackgroundJob::WaitFor(std::chrono::milliseconds timeout) {
  std::unique_lock lock(mutex_);
  return ended_.wait_for(lock, timeout, [this] { return state_ == State::Ended; });
}

void StartInBackground(std::shared_ptr<BackgroundJob> job) {
  auto ticket = std::make_shared<Ticket>();
  try {
    LaunchBackground([job = std::move(job), ticket = std::move(ticket)] { job->RunIfWaiting(); });
  } catch (...) {
    // Without a thread the job waits for the window's thread to run it or cancel it.
  }
}

bool CancelAndWait(const std::vector<std::shared_ptr<BackgroundJob>>& jobs,
                   std::chrono::milliseconds timeout) {
  for (const auto& job : jobs) job->Cancel();
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  bool all = true;
  for (const auto& job : jobs) {
    auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    all = job->WaitFor(std::max(left, std::chrono::milliseconds(0))) && all;
  }
  return all;
}

bool WaitForBackgroundJobs(std::chrono::milliseconds timeout) {
  std::unique_lock lock(Jobs().mutex);
  return Jobs().none.wait_for(lock, timeout, [] { return Jobs().count == 0; });
}

}  // namespace zeb
