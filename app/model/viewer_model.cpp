#include "app/model/viewer_model.h"

#include <algorithm>
#include <unordered_map>
#include <utility>

#include "app/model/random_pick.h"
#include "app/model/series.h"
#include "platform/core/strings.h"

namespace zeb::app {

namespace {

std::string FolderAt(ImageList& list, int32_t index) { return FolderPart(list.Entry(index)); }
std::string NameAt(ImageList& list, int32_t index) { return UpperAscii(FileNamePart(list.Entry(index))); }

// Entries Index - 1 and Index stand in one series: the same folder and series names.
bool SeriesGoesOn(ImageList& list, int32_t index) {
  return FolderAt(list, index - 1) == FolderAt(list, index) &&
         SameSeries(NameAt(list, index - 1), NameAt(list, index));
}

}  // namespace

bool ViewerModel::Step(int32_t count, bool forward) {
  bool moved = false;
  for (int32_t i = 0; i < count; ++i) {
    const int32_t last = list.Count() - 1;
    if (forward ? current < last : current > 0) {
      current += forward ? 1 : -1;
    } else if (modes.loop) {
      current = forward ? 0 : last;
    } else {
      break;
    }
    moved = true;
  }
  return moved;
}

int32_t ViewerModel::NextIndex(bool forward) {
  const int32_t last = list.Count() - 1;
  if (last < 0) return -1;
  const int32_t from = std::clamp(current, 0, last);
  if (forward ? from < last : from > 0) return from + (forward ? 1 : -1);
  if (modes.loop) return forward ? 0 : last;
  return -1;
}

void ViewerModel::Random() { current = RandomBelow(list.Count()); }

bool ViewerModel::GoToMark() {
  if (mark < 0 || current == mark) return false;
  current = mark;
  return true;
}

bool ViewerModel::SwapWithMark() {
  if (mark < 0 || current == mark) return false;
  std::swap(current, mark);
  return true;
}

void ViewerModel::JumpTo(const std::string& text) {
  int32_t number;
  // Computed in 64 bits: the largest number typed must not wrap into the list.
  int64_t index = TryStrToInt(text, number) ? static_cast<int64_t>(number) - 1 : 0;
  const int32_t count = list.Count();
  if (index < 0 || index > count - 1) index = RandomBelow(count);
  current = static_cast<int32_t>(index);
}

int32_t ViewerModel::ClampedCurrent() { return std::clamp(current, 0, std::max(list.Count() - 1, 0)); }

bool ViewerModel::NextFolder() {
  const int32_t count = list.Count();
  if (count == 0) return false;
  const int32_t from = ClampedCurrent();
  const std::string folder = FolderAt(list, from);
  for (int32_t i = from + 1; i < count; ++i) {
    if (FolderAt(list, i) != folder) {
      current = i;
      return true;
    }
  }
  return false;
}

bool ViewerModel::PreviousFolder() {
  if (list.Empty() || current <= 0) return false;
  int32_t i = ClampedCurrent();
  const std::string folder = FolderAt(list, i);
  for (--i; i >= 0 && FolderAt(list, i) == folder; --i) {
  }
  // The current folder's run reaches back to the start: nowhere to go.
  if (i < 0) return false;
  const std::string previous = FolderAt(list, i);
  while (i > 0 && FolderAt(list, i - 1) == previous) --i;
  current = i;
  return true;
}

bool ViewerModel::NextSeries() {
  const int32_t count = list.Count();
  if (count < 2) return false;
  for (int32_t i = ClampedCurrent() + 1; i < count; ++i) {
    if (!SeriesGoesOn(list, i)) {
      current = i;
      return true;
    }
  }
  return false;
}

int32_t ViewerModel::FindSeriesStart() {
  if (list.Count() < 2 || current <= 0) return -1;
  for (int32_t n = ClampedCurrent() - 1; n >= 0; --n)
    if (!SeriesGoesOn(list, n + 1)) return n;
  return -1;
}

void ViewerModel::PreviousSeries() {
  const int32_t start = FindSeriesStart();
  if (start < 0) {
    current = 0;
  } else if (current == start + 1) {
    // Already at the first picture of its series: to the first of the series before.
    current = start;
    current = FindSeriesStart() + 1;
  } else {
    current = start + 1;
  }
}

void ViewerModel::Delete(int32_t index) { DeleteRange(index, 1); }

void ViewerModel::DeleteRange(int32_t first, int32_t count) {
  if (list.Empty() || count <= 0) return;
  if (mark >= first && mark < first + count)
    mark = -1;
  else if (mark >= first + count)
    mark -= count;
  list.DeleteRange(first, count);
  if (current >= list.Count()) current = list.Count() - 1;
}

bool ViewerModel::RemoveSeries() {
  if (list.Empty()) return false;
  if (list.Count() == 1) {
    Delete(ClampedCurrent());
    return true;
  }
  const int32_t b = FindSeriesStart() + 1;
  current = b;
  if (b == list.Count() - 1) {
    Delete(b);
    return true;
  }
  // The series' entries go from its start until the entry that moves up belongs to another series,
  // which is then shown.
  int32_t end = b + 1;
  while (end < list.Count() && SeriesGoesOn(list, end)) ++end;
  const bool toTheEnd = end == list.Count();
  DeleteRange(b, end - b);
  // A series that ran to the end of the list leaves the new last entry to be shown.
  if (toTheEnd) current = b - 1;
  return true;
}

void ViewerModel::DeleteFlagged(const std::vector<bool>& doomed) {
  if (list.Empty()) return;
  // The bookmark goes with its picture or moves up by the entries deleted before it.
  int32_t before = 0;
  for (int32_t i = 0; i < mark && i < static_cast<int32_t>(doomed.size()); ++i) before += doomed[i] ? 1 : 0;
  if (mark >= 0 && mark < static_cast<int32_t>(doomed.size()) && doomed[mark])
    mark = -1;
  else
    mark -= before;
  list.DeleteFlagged(doomed);
  if (current >= list.Count()) current = list.Count() - 1;
}

void ViewerModel::RemoveFolder(const std::string& folder) {
  const std::vector<std::string>& entries = list.Entries();
  std::vector<bool> doomed(entries.size());
  for (size_t i = 0; i < entries.size(); ++i) doomed[i] = entries[i].starts_with(folder);
  DeleteFlagged(doomed);
}

void ViewerModel::RemoveNames(const std::vector<std::string>& names) {
  // Each name takes the last entry equal to it that no name has taken yet: from the end, one pass.
  std::unordered_map<std::string, int32_t> wanted;
  for (const std::string& name : names) ++wanted[UpperAscii(name)];
  const std::vector<std::string>& entries = list.Entries();
  std::vector<bool> doomed(entries.size());
  for (size_t i = entries.size(); i-- > 0 && !wanted.empty();) {
    auto it = wanted.find(UpperAscii(entries[i]));
    if (it == wanted.end()) continue;
    doomed[i] = true;
    if (--it->second == 0) wanted.erase(it);
  }
  DeleteFlagged(doomed);
}

std::string ViewerModel::CurrentFolder() {
  return list.Empty() ? std::string() : FolderAt(list, ClampedCurrent());
}

bool ViewerModel::RemoveCurrentFolder() {
  if (list.Empty()) return false;
  current = ClampedCurrent();
  const std::string folder = FolderAt(list, current);
  int32_t start = current;
  while (start > 0 && FolderAt(list, start - 1) == folder) --start;
  current = start;
  RemoveFolder(folder);
  if (current >= list.Count()) current = list.Count() - 1;
  return true;
}

void ViewerModel::Tidy() {
  if (list.Count() < 2) return;
  list.RemoveAdjacentDuplicates();
  if (showFullPath) return;
  const std::vector<std::string>& entries = list.Entries();
  for (size_t i = 1; i < entries.size(); ++i) {
    if (FolderPart(entries[i - 1]) != FolderPart(entries[i])) {
      showFullPath = true;
      break;
    }
  }
}

bool ViewerModel::SelectEntry(const std::string& path) {
  const std::vector<std::string>& entries = list.Entries();
  auto it = std::find(entries.begin(), entries.end(), path);
  if (it == entries.end()) return false;
  current = static_cast<int32_t>(it - entries.begin());
  return true;
}

bool ViewerModel::SettleOnReadable(const std::function<bool(const std::string& entry)>& load,
                                   const std::function<bool(int32_t index)>& keepGoing) {
  int32_t brokenFirst = 0, brokenCount = 0;
  // Deletes the broken run and makes Index (counted before the deletion) the current entry.
  auto dropBrokenAndSelect = [&](int32_t index) {
    if (brokenCount == 0) return;
    DeleteRange(brokenFirst, brokenCount);
    if (index >= brokenFirst) index -= brokenCount;
    if (index >= 0 && index < list.Count()) current = index;
    brokenCount = 0;
  };
  for (;;) {
    const int32_t count = list.Count() - brokenCount;
    if (count == 0) {
      dropBrokenAndSelect(-1);
      return false;
    }
    int32_t index;
    if (brokenCount == 0) {
      // An index left outside the list (a cleared bookmark, say) shows the nearest entry.
      index = current = std::clamp(current, 0, count - 1);
    } else {
      // The entry that moves into the broken run's place, or the one before the run at the list's end.
      index = brokenFirst + brokenCount < list.Count() ? brokenFirst + brokenCount : brokenFirst - 1;
      if (keepGoing && !keepGoing(index)) {
        dropBrokenAndSelect(index);
        return false;
      }
    }
    bool loaded;
    try {
      loaded = load(list.Entry(index));
    } catch (...) {
      dropBrokenAndSelect(index);
      throw;
    }
    if (loaded) {
      dropBrokenAndSelect(index);
      return true;
    }
    if (brokenCount == 0 || index < brokenFirst) brokenFirst = index;
    ++brokenCount;
  }
}

}  // namespace zeb::app
