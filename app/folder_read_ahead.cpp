#include "app/folder_read_ahead.h"

#include <algorithm>
#include <system_error>

namespace zeb::app {

FolderReadAhead::FolderReadAhead(unsigned threads, size_t mostEntriesAhead)
    : threads_(threads), mostEntriesAhead_(mostEntriesAhead) {}

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

void FolderReadAhead::ExpectFirst(const std::vector<std::string>& folders) {
  std::vector<std::string> added;
  for (const std::string& folder : folders)
    if (known_.insert(folder).second) added.push_back(folder);
  expected_.insert(expected_.begin(), std::make_move_iterator(added.begin()),
                   std::make_move_iterator(added.end()));
}

void FolderReadAhead::Expect(const std::vector<std::string>& folders) {
  if (threads_ == 0 || folders.empty()) return;
  std::lock_guard lock(mutex_);
  ExpectFirst(folders);
  // Workers are started by the first walk that has folders to expect, and end with it. Without a
  // thread to be had the walk lists every folder itself.
  try {
    while (workers_.size() < threads_) workers_.emplace_back([this] { Work(); });
  } catch (const std::system_error&) {
  }
  if (idleWorkers_) workToDo_.notify_all();
}

std::vector<FindData> FolderReadAhead::List(const std::string& folder) {
  {
    std::unique_lock lock(mutex_);
    for (;;) {
      if (auto it = listed_.find(folder); it != listed_.end()) {
        std::vector<FindData> entries = std::move(it->second);
        listed_.erase(it);
        known_.erase(folder);
        entriesAhead_ -= entries.size();
        if (idleWorkers_ && !expected_.empty() && RoomAhead()) workToDo_.notify_one();
        return entries;
      }
      if (!listing_.contains(folder)) break;
      ++walkWaiting_;
      listingDone_.wait(lock);
      --walkWaiting_;
    }
    // Not started: listed here rather than waiting for a worker to reach it.
    if (known_.erase(folder))
      if (auto it = std::find(expected_.begin(), expected_.end(), folder); it != expected_.end())
        expected_.erase(it);
  }
  return ListNow(folder);
}

void FolderReadAhead::Work() {
  std::unique_lock lock(mutex_);
  for (;;) {
    while (!stopping_ && (expected_.empty() || !RoomAhead())) {
      ++idleWorkers_;
      workToDo_.wait(lock);
      --idleWorkers_;
    }
    if (stopping_) return;
    std::string folder = std::move(expected_.front());
    expected_.pop_front();
    auto mark = listing_.insert(folder);
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
    listing_.erase(mark);
    ExpectFirst(subfolders);
    if (!subfolders.empty() && idleWorkers_) workToDo_.notify_all();
    if (listed) {
      std::vector<FindData>& slot = listed_[folder];  // a folder expected twice keeps its latest listing
      entriesAhead_ = entriesAhead_ - slot.size() + entries.size();
      slot = std::move(entries);
    }
    if (walkWaiting_) listingDone_.notify_all();
  }
}

void FolderReadAhead::Stop() {
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
    workToDo_.notify_all();
  }
  for (std::thread& worker : workers_) worker.join();
  workers_.clear();
  expected_.clear();
  known_.clear();
  listed_.clear();
  entriesAhead_ = 0;
  stopping_ = false;
}

}  // namespace zeb::app
