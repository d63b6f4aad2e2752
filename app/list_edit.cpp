// Taking entries out of the image list, and tidying it after a build.
#include "app/list_file.h"
#include "app/main_window.h"
#include "platform/core/strings.h"

namespace zeb::app {

void MainWindow::RemoveFolder(const std::string& folder) {
  SetCaption(folder + "...");
  model_.RemoveFolder(folder);
}

void MainWindow::RemoveFile(const std::string& fileName) {
  SetCaption(fileName);
  // A list file takes out the entries it lists.
  if (UpperAscii(ExtensionPart(fileName)) != ".ZEB")
    model_.RemoveNames({fileName});
  else
    model_.RemoveNames(ReadListFile(fileName));
}

}  // namespace zeb::app
