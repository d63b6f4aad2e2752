// Taking entries out of the image list, and tidying it after a build.
#include <algorithm>

#include "app/list_file.h"
#include "app/main_window.h"
#include "platform/core/strings.h"

namespace zeb::app {

void MainWindow::FilterPictures(std::vector<std::string>& list) const {
  std::erase_if(list, [this](const std::string& line) { return !IsPictureExtension(line, false); });
}

void MainWindow::TidyList() { model_.Tidy(); }

void MainWindow::DeleteEntry(int32_t index, bool show) {
  if (model_.list.Empty()) return;
  model_.Delete(index);
  if (show) ShowCurrent();
}

void MainWindow::RemoveFolder(const std::string& folder) {
  SetCaption(folder + "...");
  model_.RemoveFolder(folder);
}

void MainWindow::RemoveFile(const std::string& fileName) {
  SetCaption(fileName);
  ImageList& list = model_.list;
  auto removeOne = [this, &list](const std::string& name) {
    for (int32_t i = list.Count() - 1; i >= 0; --i) {
      if (SameTextAscii(list.Entry(i), name)) {
        model_.Delete(i);
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

void MainWindow::RemoveCurrentFolder() {
  if (model_.list.Empty()) return;
  SetCaption(model_.CurrentFolder() + "...");
  model_.RemoveCurrentFolder();
  ShowCurrent();
}

}  // namespace zeb::app
