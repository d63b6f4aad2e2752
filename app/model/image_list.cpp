#include "app/model/image_list.h"

#include <algorithm>
#include <iterator>
#include <numeric>

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
    throw IndexError("List index out of bounds (" + std::to_string(index) + ")");
  return paths_[static_cast<size_t>(index)];
}

const std::vector<std::string>& ImageList::Entries() {
  Flush();
  return paths_;
}

void ImageList::Add(std::string path) {
  if (pending_.empty()) pending_.reserve(kKeyChunk);
  pending_.push_back({std::string(), std::move(path)});
  // A long scan's collation keys are made beside it, a chunk at a time, while it goes on listing.
  if (pending_.size() >= kKeyChunk) {
    keying_.push_back(std::make_unique<BackgroundTask<std::vector<Pending>>>(
        [chunk = std::move(pending_)](const CancelToken& token) mutable {
          KeyAndSort(chunk, &token);
          return std::move(chunk);
        }));
    pending_.clear();
  }
}

void ImageList::KeyAndSort(std::vector<Pending>& chunk, const CancelToken* token) {
  for (size_t i = 0; i < chunk.size(); ++i) {
    if (token && i % 256 == 0 && token->Cancelled()) return;
    chunk[i].key = CollationKey(chunk[i].path);
  }
  std::stable_sort(chunk.begin(), chunk.end(),
                   [](const Pending& a, const Pending& b) { return a.key < b.key; });
}

// Sorts the collected entries by key (stable, so equal keys keep the order they were added in) and
// merges them in after any equal-key entries already there.
void ImageList::Flush() {
  if (pending_.empty() && keying_.empty()) return;
  // Each chunk comes keyed and sorted; where each sorted run of Added ends.
  std::vector<Pending> added;
  std::vector<uint32_t> runEnds;
  auto append = [&](std::vector<Pending>&& run) {
    if (run.empty()) return;
    if (added.empty())
      added = std::move(run);
    else
      std::move(run.begin(), run.end(), std::back_inserter(added));
    runEnds.push_back(static_cast<uint32_t>(added.size()));
  };
  for (auto& chunk : keying_) append(std::move(chunk->Take()).value_or(std::vector<Pending>()));
  keying_.clear();
  KeyAndSort(pending_);
  append(std::move(pending_));
  pending_.clear();

  // The order of the added entries, the runs merged in pairs without moving their strings about. A
  // scan adds in nearly sorted order, so most runs already follow the one before and cost one comparison.
  std::vector<uint32_t> order(added.size());
  std::iota(order.begin(), order.end(), 0u);
  auto before = [&added](uint32_t a, uint32_t b) { return added[a].key < added[b].key; };
  while (runEnds.size() > 1) {
    std::vector<uint32_t> merged;
    for (size_t r = 0; r < runEnds.size(); r += 2) {
      if (r + 1 == runEnds.size()) {
        merged.push_back(runEnds[r]);
        break;
      }
      const uint32_t first = r ? runEnds[r - 1] : 0, middle = runEnds[r], last = runEnds[r + 1];
      if (before(order[middle], order[middle - 1]))
        std::inplace_merge(order.begin() + first, order.begin() + middle, order.begin() + last, before);
      merged.push_back(last);
    }
    runEnds = std::move(merged);
  }
  std::vector<std::string> paths, keys;
  paths.reserve(paths_.size() + added.size());
  keys.reserve(paths_.size() + added.size());
  size_t i = 0, j = 0;
  while (i < paths_.size() || j < order.size()) {
    if (j == order.size() || (i < paths_.size() && !(added[order[j]].key < keys_[i]))) {
      paths.push_back(std::move(paths_[i]));
      keys.push_back(std::move(keys_[i]));
      ++i;
    } else {
      paths.push_back(std::move(added[order[j]].path));
      keys.push_back(std::move(added[order[j]].key));
      ++j;
    }
  }
  paths_ = std::move(paths);
  keys_ = std::move(keys);
  Changed();
}

void ImageList::DeleteRange(int32_t first, int32_t count) {
  Flush();
  const auto size = static_cast<int64_t>(paths_.size());
  if (count <= 0) return;
  if (first < 0 || first >= size || static_cast<int64_t>(first) + count > size)
    throw IndexError("List index out of bounds (" + std::to_string(first) + ")");
  paths_.erase(paths_.begin() + first, paths_.begin() + first + count);
  keys_.erase(keys_.begin() + first, keys_.begin() + first + count);
  Changed();
}

template <typename Drop>
int32_t ImageList::RemoveWhere(Drop drop) {
  Flush();
  size_t kept = 0;
  for (size_t i = 0; i < paths_.size(); ++i) {
    if (drop(i, kept > 0 ? static_cast<int64_t>(kept) - 1 : int64_t{-1})) continue;
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

int32_t ImageList::DeleteFlagged(const std::vector<bool>& doomed) {
  return RemoveWhere([&doomed](size_t i, int64_t) { return i < doomed.size() && doomed[i]; });
}

void ImageList::Clear() {
  paths_.clear();
  keys_.clear();
  pending_.clear();
  keying_.clear();
  Changed();
}

void ImageList::Assign(const std::vector<std::string>& paths) {
  Clear();
  for (const std::string& p : paths) Add(p);
  Flush();
}

int32_t ImageList::RemoveAdjacentDuplicates() {
  return RemoveWhere([this](size_t i, int64_t lastKept) {
    return lastKept >= 0 && paths_[i] == paths_[static_cast<size_t>(lastKept)];
  });
}

void ImageList::Changed() {
  if (OnChange) OnChange(static_cast<int32_t>(paths_.size()));
}

}  // namespace zeb::app
