// Whether entries' files are there, told by one listing of each folder: a long run of missing entries
// (a list made on another machine, a drive that is gone) costs a look at each folder, not a failed
// open for each entry.
#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>
#include <unordered_set>

namespace zeb::app {

class FolderPresence {
 public:
  // A folder is listed only once this many of its entries could not be opened: an existing folder of
  // 100,000 pictures is not read through for one missing file, nor for files that are there but
  // cannot be read.
  static constexpr int32_t kFailuresBeforeListing = 32;

  // False only when the file is surely not there: its folder does not exist, or the folder's listing
  // lacks a name that the listing could not spell otherwise. Anything in doubt is worth an open.
  bool MayExist(const std::string& path);
  // The file at Path could not be opened.
  void OpenFailed(const std::string& path);

 private:
  enum class State : uint8_t { Unknown, Gone, Listed };
  struct Folder {
    State state = State::Unknown;
    bool looked = false;  // whether the folder has been asked for
    int32_t openFailures = 0;
    std::unordered_set<std::string> names;  // upper-cased (ASCII)
  };
  // The folder of Path (its text up to the last "\\" or ":"), asked for once; nullptr when there is none.
  Folder* Of(const std::string& path);
  void Look(Folder& f, const std::string& folder, bool list);

  std::unordered_map<std::string, Folder> folders_;
  // Entries come folder by folder: the last folder met is found without a lookup.
  std::string lastFolder_;
  Folder* last_ = nullptr;
};

}  // namespace zeb::app
