#include "app/folder_read_ahead.h"

#include <algorithm>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <set>
#include <thread>
#include <unordered_map>
#include <unordered_set>
#include <utility>

namespace zeb::app {

struct FolderReadAhead::Walk {
  Walk(unsigned threads, size_t mostEntriesAhead) : threads(threads), mostEntriesAhead(mostEntriesAhead) {}

  bool RoomAhead() const {
    return listed.size() + listing.size() < kMostAhead && entriesAhead < mostEntriesAhead;
  }
  bool WorkToDo() const { return !expected.empty() && RoomAhead(); }
  // Puts the folders not yet known in front of those expected, in their order; under the lock.
  void ExpectFirst(const std::vector<std::string>& folders) {
    std::vector<std::string> added;
    for (const std::string& folder : folders)
      if (known.insert(folder).second) added.push_back(folder);
    expected.insert(expected.begin(), std::make_move_iterator(added.begin()),
                    std::make_move_iterator(added.end()));
  }
  // Starts workers, up to the walk's number, while there is work for them; under the lock. A worker ends
  // when it finds none, so one that waits costs no thread.
  void StartWorkers() {
    std::erase_if(jobs, [](const std::shared_ptr<BackgroundJob>& job) { return job->Ended(); });
    while (activeWorkers < threads && WorkToDo()) {
      ++activeWorkers;
      auto job = std::make_shared<BackgroundJob>([weak = self](const CancelToken& token) {
        if (std::shared_ptr<Walk> walk = weak.lock()) Work(*walk, token);
      });
      jobs.push_back(job);
      StartInBackground(std::move(job));
    }
  }

  const unsigned threads;
  const size_t mostEntriesAhead;
  std::weak_ptr<Walk> self;
  size_t entriesAhead = 0;  // in the listings done and not yet taken
  std::mutex mutex;
  // Each wait and wake-up costs a call into Wine's server, so the walk is woken only when it waits.
  std::condition_variable listingDone;  // the folder the walk waits for is listed
  int walkWaiting = 0;
  unsigned activeWorkers = 0;                                     // started and not yet out of work
  std::deque<std::string> expected;                               // not started, in walk order
  std::unordered_set<std::string> known;                          // expected, being listed or listed
  std::multiset<std::string> listing;                             // under way on a worker
  std::unordered_map<std::string, std::vector<FindData>> listed;  // done, not yet taken
  std::vector<std::shared_ptr<BackgroundJob>> jobs;               // the workers, until they end
};

FolderReadAhead::FolderReadAhead(unsigned threads, size_t mostEntriesAhead)
    : threads_(threads),
      mostEntriesAhead_(mostEntriesAhead),
      walk_(std::make_shared<Walk>(threads, mostEntriesAhead)) {
  walk_->self = walk_;
}

unsigned FolderReadAhead::DefaultThreads() {
  // Two listings side by side gain most of what there is; a third only competes with the walk itself.
  return std::clamp(std::thread::hardware_concurrency(), 1u, 2u);
}

std::vector<FindData> FolderReadAhead::ListNow(const std::string& folder) {
  std::vector<FindData> entries;
  Files().Find(folder + "*", [&](const FindData& entry) {
    entries.push_back(entry);
    return true;
  });
  return entries;
}

void FolderReadAhead::Expect(const std::vector<std::string>& folders) {
  if (threads_ == 0 || folders.empty()) return;
  Walk& walk = *walk_;
  std::lock_guard lock(walk.mutex);
  walk.ExpectFirst(folders);
  // Without a thread to be had a worker never begins, and the walk lists every folder itself.
  walk.StartWorkers();
}

std::vector<FindData> FolderReadAhead::List(const std::string& folder) {
  Walk& walk = *walk_;
  {
    std::unique_lock lock(walk.mutex);
    for (;;) {
      if (auto it = walk.listed.find(folder); it != walk.listed.end()) {
        std::vector<FindData> entries = std::move(it->second);
        walk.listed.erase(it);
        walk.known.erase(folder);
        walk.entriesAhead -= entries.size();
        walk.StartWorkers();  // there is room again
        return entries;
      }
      if (!walk.listing.contains(folder)) break;
      ++walk.walkWaiting;
      walk.listingDone.wait(lock);
      --walk.walkWaiting;
    }
    // Not started: listed here rather than waiting for a worker to reach it.
    if (walk.known.erase(folder))
      if (auto it = std::find(walk.expected.begin(), walk.expected.end(), folder); it != walk.expected.end())
        walk.expected.erase(it);
  }
  return ListNow(folder);
}

void FolderReadAhead::Work(Walk& walk, const CancelToken& token) {
  std::unique_lock lock(walk.mutex);
  for (;;) {
    if (token.Cancelled()) return;  // the walk was forgotten: nothing of it matters any more
    if (!walk.WorkToDo()) {
      --walk.activeWorkers;
      return;
    }
    std::string folder = std::move(walk.expected.front());
    walk.expected.pop_front();
    auto mark = walk.listing.insert(folder);
    lock.unlock();
    std::vector<FindData> entries;
    bool listed = true;
    try {
      entries = ListNow(folder);
    } catch (...) {
      listed = false;  // the walk lists it again itself, and meets the failure there
    }
    // The walk will enter the subfolders next, links aside (the walk decides on those itself).
    std::vector<std::string> subfolders;
    for (const FindData& entry : entries)
      if (Entered(entry) && !(entry.attributes & kAttrReparsePoint))
        subfolders.push_back(folder + entry.name + "\\");
    lock.lock();
    if (token.Cancelled()) return;
    walk.listing.erase(mark);
    walk.ExpectFirst(subfolders);
    if (listed) {
      std::vector<FindData>& slot = walk.listed[folder];  // a folder expected twice keeps its latest listing
      walk.entriesAhead = walk.entriesAhead - slot.size() + entries.size();
      slot = std::move(entries);
    }
    // Subfolders found here wake idle workers, so one slow folder does not hold up its siblings.
    if (!subfolders.empty()) walk.StartWorkers();
    if (walk.walkWaiting) walk.listingDone.notify_all();
  }
}

void FolderReadAhead::Stop() {
  // The workers keep the walk they were started for; the next walk starts afresh.
  std::shared_ptr<Walk> walk = std::exchange(walk_, std::make_shared<Walk>(threads_, mostEntriesAhead_));
  walk_->self = walk_;
  std::vector<std::shared_ptr<BackgroundJob>> jobs;
  {
    std::lock_guard lock(walk->mutex);
    jobs = std::move(walk->jobs);
  }
  CancelAndWait(jobs, kStopWait);
}

}  // namespace zeb::app
