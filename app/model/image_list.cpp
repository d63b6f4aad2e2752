#include "app/model/image_list.h"

#include <algorithm>
#include <thread>

#include "platform/core/errors.h"
#include "platform/services/collation.h"

namespace zeb::app {

int32_t ImageList::Count() {
  Flush();
  return static_cast<int32_t>(paths_.size());
}

const std::string& ImageList::Entry(int32_t index) {
  Flush();
  if (index < 0 || index >= static_cast<int32_t>(paths_.size()))
    throw EListError("List index out of bounds (" + std::to_string(index) + ")");
  return paths_[static_cast<size_t>(index)];
}

const std::vector<std::string>& ImageList::Entries() {
  Flush();
  return paths_;
}

void ImageList::Add(const std::string& path) { pending_.push_back({std::string(), path}); }

namespace {

// The collation keys of entries added together: a long scan's are made on both cores.
template <class Pending>
void MakeKeys(std::vector<Pending>& pending) {
  auto work = [&pending](size_t from, size_t to) {
    for (size_t i = from; i < to; ++i) pending[i].key = CollationKey(pending[i].path);
  };
  const size_t n = pending.size();
  if (n < 4096 || std::thread::hardware_concurrency() < 2) {
    work(0, n);
    return;
  }
  std::thread other(work, n / 2, n);
  work(0, n / 2);
  other.join();
}

}  // namespace

// Sorts the collected entries by key (stable, so equal keys keep the order they were added in) and
// merges them in after any equal-key entries already there.
void ImageList::Flush() {
  if (pending_.empty()) return;
  MakeKeys(pending_);
  std::stable_sort(pending_.begin(), pending_.end(),
                   [](const Pending& a, const Pending& b) { return a.key < b.key; });
  std::vector<std::string> paths, keys;
  paths.reserve(paths_.size() + pending_.size());
  keys.reserve(paths_.size() + pending_.size());
  size_t i = 0, j = 0;
  while (i < paths_.size() || j < pending_.size()) {
    if (j == pending_.size() || (i < paths_.size() && !(pending_[j].key < keys_[i]))) {
      paths.push_back(std::move(paths_[i]));
      keys.push_back(std::move(keys_[i]));
      ++i;
    } else {
      paths.push_back(std::move(pending_[j].path));
      keys.push_back(std::move(pending_[j].key));
      ++j;
    }
  }
  paths_ = std::move(paths);
  keys_ = std::move(keys);
  pending_.clear();
  Changed();
}

void ImageList::DeleteRange(int32_t first, int32_t count) {
  Flush();
  const auto size = static_cast<int64_t>(paths_.size());
  if (count <= 0) return;
  if (first < 0 || first >= size || static_cast<int64_t>(first) + count > size)
    throw EListError("List index out of bounds (" + std::to_string(first) + ")");
  paths_.erase(paths_.begin() + first, paths_.begin() + first + count);
  keys_.erase(keys_.begin() + first, keys_.begin() + first + count);
  Changed();
}

int32_t ImageList::DeleteFlagged(const std::vector<bool>& doomed) {
  Flush();
  size_t kept = 0;
  for (size_t i = 0; i < paths_.size(); ++i) {
    if (i < doomed.size() && doomed[i]) continue;
    if (kept != i) {
      paths_[kept] = std::move(paths_[i]);
      keys_[kept] = std::move(keys_[i]);
    }
    ++kept;
  }
  const auto removed = static_cast<int32_t>(paths_.size() - kept);
  paths_.resize(kept);
  keys_.resize(kept);
  if (removed) Changed();
  return removed;
}

void ImageList::Clear() {
  paths_.clear();
  keys_.clear();
  pending_.clear();
  Changed();
}

void ImageList::Assign(const std::vector<std::string>& paths) {
  Clear();
  for (const std::string& p : paths) Add(p);
  Flush();
}

int32_t ImageList::RemoveAdjacentDuplicates() {
  Flush();
  size_t kept = 0;
  for (size_t i = 0; i < paths_.size(); ++i) {
    if (kept > 0 && paths_[i] == paths_[kept - 1]) continue;
    if (kept != i) {
      paths_[kept] = std::move(paths_[i]);
      keys_[kept] = std::move(keys_[i]);
    }
    ++kept;
  }
  auto removed = static_cast<int32_t>(paths_.size() - kept);
  paths_.resize(kept);
  keys_.resize(kept);
  if (removed) Changed();
  return removed;
}

void ImageList::Changed() {
  if (OnChange) OnChange(static_cast<int32_t>(paths_.size()));
}

}  // namespace zeb::app
