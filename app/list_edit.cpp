// Taking entries out of the image list, and tidying it after a build.
#include <algorithm>

#include "app/form1.h"
#include "app/list_file.h"
#include "platform/core/strings.h"

namespace zeb::app {

void TForm1::FilterPictures(std::vector<std::string>& list) const {
  std::erase_if(list, [this](const std::string& line) { return !IsPictureExtension(line, false); });
}

void TForm1::TidyList() {
  if (List().Count() < 2) return;
  List().RemoveAdjacentDuplicates();
  if (ShowFullPath) return;
  const std::vector<std::string>& entries = List().Entries();
  for (size_t i = 1; i < entries.size(); ++i) {
    if (FolderPart(entries[i - 1]) != FolderPart(entries[i])) {
      ShowFullPath = true;
      break;
    }
  }
}

void TForm1::DeleteEntry(int32_t index, bool reload) {
  if (List().Empty()) return;
  // The bookmark stays on its picture, or goes with it.
  if (index == MarkIndex)
    MarkIndex = -1;
  else if (index < MarkIndex)
    --MarkIndex;
  List().Delete(index);
  if (CurrentIndex == List().Count()) --CurrentIndex;
  if (reload) LoadFromFile();
}

void TForm1::RemoveFolder(const std::string& folder) {
  SetCaption(folder + "...");
  for (int32_t i = List().Count() - 1; i >= 0; --i)
    if (List().Entry(i).starts_with(folder)) DeleteEntry(i, false);
}

void TForm1::RemoveFile(const std::string& fileName) {
  SetCaption(fileName);
  auto removeOne = [this](const std::string& name) {
    for (int32_t i = List().Count() - 1; i >= 0; --i) {
      if (SameTextAscii(List().Entry(i), name)) {
        DeleteEntry(i, false);
        return;
      }
    }
  };
  if (UpperAscii(ExtensionPart(fileName)) != ".ZEB") {
    removeOne(fileName);
    return;
  }
  for (const std::string& line : ReadListFile(fileName)) removeOne(line);
}

void TForm1::RemoveCurrentFolder() {
  int32_t count = List().Count();
  if (count == 0) return;
  CurrentIndex = std::clamp(CurrentIndex, 0, count - 1);
  const std::string folder = FolderPart(List().Entry(CurrentIndex));
  int32_t start = CurrentIndex;
  while (start > 0 && FolderPart(List().Entry(start - 1)) == folder) --start;
  CurrentIndex = start;
  RemoveFolder(folder);
  count = List().Count();
  if (CurrentIndex >= count) CurrentIndex = count - 1;
  LoadFromFile();
}

}  // namespace zeb::app
