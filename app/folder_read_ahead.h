// Folders listed ahead of a walk. While the walk works through one folder's files, worker threads list
// the folders it will enter next, and the subfolders of what they list. Under Wine and on network
// drives listing is most of a scan's time, and two listings side by side take about the time of one;
// the folders of the command line are listed while the windows are still being made. The walk itself is
// unchanged: it takes each listing in its own order, so what it adds, and when it lets messages
// through, stay the same.
#pragma once

#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "platform/services/background.h"
#include "platform/services/file_system.h"

namespace zeb::app {

class FolderReadAhead {
 public:
  // Threads: how many workers list ahead; 0 lists every folder on the caller's thread. The workers
  // stop while MostEntriesAhead entries (or kMostAhead folders) are listed and not yet taken.
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
  // Forgets what was expected or listed ahead. The workers are cancelled and waited for kStopWait at
  // most: one still inside a slow listing is left to end on its own, its listing thrown away.
  void Stop();

  static unsigned DefaultThreads();
  // At most this many folders are listed and not yet taken, so an abandoned walk leaves little work done.
  static constexpr size_t kMostAhead = 1024;
  static constexpr std::chrono::milliseconds kStopWait{100};
  // Whether a walk enters the folder Entry: not "." or "..", not hidden, not a system folder.
  static bool Entered(const FindData& entry) {
    return (entry.attributes & kAttrDirectory) && !(entry.attributes & (kAttrHidden | kAttrSystem)) &&
           entry.name != "." && entry.name != "..";
  }

  // What the workers of one walk share. They hold it too, so that a worker a stop left behind touches
  // only a walk already forgotten.
  struct Walk;

 private:
  static std::vector<FindData> ListNow(const std::string& folder);
  static void Work(Walk& walk, const CancelToken& token);

  const unsigned threads_;
  const size_t mostEntriesAhead_;
  std::shared_ptr<Walk> walk_;
};

}  // namespace zeb::app
