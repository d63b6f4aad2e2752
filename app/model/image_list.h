// The image list: the ordered list of picture paths the viewer walks. Entries stand in ascending
// order of a case-insensitive, locale-aware collation key made once per entry; an entry added next to
// equal-key entries goes after them. The List window shows this model; it holds no copy.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/services/background.h"

namespace zeb::app {

class ImageList {
 public:
  // The number of entries. Entries added since the last read are sorted in first, so every read sees
  // the whole, ordered list.
  int32_t Count();
  bool Empty() { return Count() == 0; }
  // The entry at Index; raises IndexError outside 0 .. Count - 1.
  const std::string& Entry(int32_t index);
  // Every entry in order.
  const std::vector<std::string>& Entries();

  // Adds one entry at its sorted place. Adds are collected, and keyed and sorted in on the next read,
  // so a scan that adds many entries costs one sort, not one shift per entry.
  void Add(std::string path);
  // Deletes the entry at Index; raises IndexError outside 0 .. Count - 1.
  void Delete(int32_t index) { DeleteRange(index, 1); }
  // Deletes the entries First .. First + Count - 1 in one step; raises IndexError when they are not
  // all in the list.
  void DeleteRange(int32_t first, int32_t count);
  // Deletes, in one pass, every entry whose flag in Doomed (one per entry, in order) is set; returns how
  // many went.
  int32_t DeleteFlagged(const std::vector<bool>& doomed);
  void Clear();
  // Replaces every entry by these, each sorted in.
  void Assign(const std::vector<std::string>& paths);
  // Reduces each run of exactly equal (case-sensitive) adjacent entries to its first entry; returns
  // how many went.
  int32_t RemoveAdjacentDuplicates();

  // Told the new count whenever the list has changed (the List window's list box redraws).
  std::function<void(int32_t count)> OnChange;

 private:
  void Flush();
  struct Pending;
  // Makes the keys of Chunk and sorts it by them, equal keys in the order added; a cancelled chunk
  // (the list was cleared) is left as it is.
  static void KeyAndSort(std::vector<Pending>& chunk, const CancelToken* token = nullptr);
  void Changed();
  // Keeps, in order, the entries that DROP refuses (it is asked with the entry's index and the index of
  // the last entry kept, or -1), in one pass; returns how many went.
  template <typename Drop>
  int32_t RemoveWhere(Drop drop);
  struct Pending {
    std::string key;
    std::string path;
  };
  std::vector<std::string> paths_;  // in order
  std::vector<std::string> keys_;   // collation key of each entry, same index
  std::vector<Pending> pending_;    // added, not yet sorted in
  // Added before those, their keys being made beside the window's thread, in the order they were added.
  std::vector<std::unique_ptr<BackgroundTask<std::vector<Pending>>>> keying_;
  static constexpr size_t kKeyChunk = 4096;
};

}  // namespace zeb::app
