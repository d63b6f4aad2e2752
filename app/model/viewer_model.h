// The viewer's model: the image list, the entry shown, the bookmark and the modes, with the rules that
// move about the list and edit it. Nothing here shows a picture or touches a window: each move says
// whether the current entry is to be shown anew, and the main window shows it.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "app/model/image_list.h"
#include "app/model/viewer_modes.h"

namespace zeb::app {

class ViewerModel {
 public:
  ImageList list;
  int32_t current = 0;  // the entry shown (0 while the list is empty)
  int32_t mark = 0;     // the bookmark; -1 once its picture has left the list
  // Entries are shown by their full paths once the list holds more than one folder.
  bool showFullPath = false;
  ViewerModes modes;

  // --- Walking (each returns whether Current has moved and is to be shown) ---
  void First() { current = 0; }
  void Last() { current = list.Count() - 1; }
  // Count steps towards the end of the list (Forward) or its start; past that end the walk wraps to
  // the other end when Loop is on, else it stops there. False when it could not move at all.
  bool Step(int32_t count, bool forward);
  // The entry one step would reach, or -1 where it could not move.
  int32_t NextIndex(bool forward);
  void Random();
  void SetMark() { mark = current; }
  // Without a mark, or on it, G and X do nothing.
  bool GoToMark();
  bool SwapWithMark();
  // The picture numbered by Text (counted from 1): text that is no number means the first picture,
  // a number outside the list a random one.
  void JumpTo(const std::string& text);
  // The current index within the list (Current may be -1 only while the list is empty).
  int32_t ClampedCurrent();

  // --- Folder and series jumps (where there is nowhere to go, nothing changes) ---
  bool NextFolder();
  bool PreviousFolder();
  bool NextSeries();
  void PreviousSeries();
  // The index of the entry before the current one's series, or -1 when the series starts the list.
  int32_t FindSeriesStart();

  // --- Editing ---
  // Deletes one entry; the bookmark stays on its picture or goes with it, and Current stays inside
  // the list.
  void Delete(int32_t index);
  // Deletes the entries First .. First + Count - 1 in one step, by the same rules as Delete.
  void DeleteRange(int32_t first, int32_t count);
  // Removes the current entry's numbered series; false when the list was empty (nothing to show).
  bool RemoveSeries();
  // Deletes, in one pass, every entry whose flag is set, by the same rules as Delete.
  void DeleteFlagged(const std::vector<bool>& doomed);
  // Removes every entry whose path starts with Folder.
  void RemoveFolder(const std::string& folder);
  // Removes, for each of Names, the last entry equal to it (ASCII letters without regard to case).
  void RemoveNames(const std::vector<std::string>& names);
  // The folder of the current entry ("" for an empty list).
  std::string CurrentFolder();
  // Removes the current entry's folder run and shows the entry that takes its place; false when the
  // list was empty.
  bool RemoveCurrentFolder();
  // After a build: equal neighbours go, and full paths are shown once two folders are listed.
  void Tidy();

  // Makes the entry equal to Path the current one; false when there is none.
  bool SelectEntry(const std::string& path);

  // --- Showing ---
  // Makes the current entry one that Load reads (false: it cannot be read). Entries that cannot be read
  // are tried in the order deleting them one by one would give (on forward, then back from the end of
  // the list), but they leave the list in one step once one loads: a long run of broken entries costs
  // one pass, and no stack. An error Load raises drops the run tried so far and passes on. Returns
  // false when the list has become empty. Before each entry after the first, KeepGoing (when given) is
  // asked with the entry's index: false stops the search, the entries tried so far still leave the
  // list, and false is returned.
  bool SettleOnReadable(const std::function<bool(const std::string& entry)>& load,
                        const std::function<bool(int32_t index)>& keepGoing = nullptr);
};

}  // namespace zeb::app
