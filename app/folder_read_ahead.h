// Folders listed ahead of a walk. While the walk works through one folder's files, worker threads list
// the folders it will enter next, and the subfolders of what they list. Under Wine and on network
// drives listing is most of a scan's time, and two listings side by side take about the time of one;
// the folders of the command line are listed while the windows are still being made. The walk itself is
// unchanged: it takes each listing in its own order, so what it adds, and when it lets messages
// through, stay the same.
#pragma once

#include <condition_variable>
#include <deque>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "platform/services/file_system.h"

namespace zeb::app {

class FolderReadAhead {
 public:
  // Threads: how many workers list ahead; 0 lists every folder on the caller's thread. The workers
  // wait while MostEntriesAhead entries (or kMostAhead folders) are listed and not yet taken.
  explicit FolderReadAhead(unsigned threads = DefaultThreads(), size_t mostEntriesAhead = 65536);
  ~FolderReadAhead() { Stop(); }
  FolderReadAhead(const FolderReadAhead&) = delete;
  FolderReadAhead& operator=(const FolderReadAhead&) = delete;

  // The walk will enter these folders (each ending in a backslash) next, in this order, before any
  // folder expected earlier, and walk each whole. Folders already expected are left in their place.
  // Links are not to be expected: only the walk may decide to enter them.
  void Expect(const std::vector<std::string>& folders);
  // Every entry of Folder, as one listing gives them: listed ahead, waited for while a worker lists it,
  // or listed now.
  std::vector<FindData> List(const std::string& folder);
  // Forgets what was expected or listed ahead, waiting for the listings under way.
  void Stop();

  static unsigned DefaultThreads();
  // At most this many folders are listed and not yet taken, so an abandoned walk leaves little work done.
  static constexpr size_t kMostAhead = 1024;
  // Whether a walk enters the folder Entry: not "." or "..", not hidden, not a system folder.
  static bool Entered(const FindData& entry) {
    return (entry.attributes & kAttrDirectory) && !(entry.attributes & (kAttrHidden | kAttrSystem)) &&
           entry.name != "." && entry.name != "..";
  }

 private:
  void Work();
  // Puts the folders not yet known in front of those expected, in their order; under the lock.
  void ExpectFirst(const std::vector<std::string>& folders);
  static std::vector<FindData> ListNow(const std::string& folder);

  bool RoomAhead() const {
    return listed_.size() + listing_.size() < kMostAhead && entriesAhead_ < mostEntriesAhead_;
  }

  const unsigned threads_;
  const size_t mostEntriesAhead_;
  size_t entriesAhead_ = 0;  // in the listings done and not yet taken
  std::mutex mutex_;
  // Each wait and wake-up costs a call into Wine's server, so each side is woken only when it waits.
  std::condition_variable workToDo_;     // workers: expected folders, or room to list ahead
  std::condition_variable listingDone_;  // the walk: the folder it waits for is listed
  int idleWorkers_ = 0;
  int walkWaiting_ = 0;
  std::deque<std::string> expected_;                               // not started, in walk order
  std::unordered_set<std::string> known_;                          // expected, being listed or listed
  std::multiset<std::string> listing_;                             // under way on a worker
  std::unordered_map<std::string, std::vector<FindData>> listed_;  // done, not yet taken
  std::vector<std::thread> workers_;
  bool stopping_ = false;
};

}  // namespace zeb::app
