// Opening a list file in place of the image list, and saving the list to one.
#include "app/list_file.h"
#include "app/main_window.h"
#include "platform/core/strings.h"
#include "platform/services/file_system.h"
#include "platform/ui/dialogs.h"

namespace zeb::app {

void MainWindow::OpenList() {
  if (openListDialog_.Execute() && Files().FileExists(openListDialog_.FileName)) {
    // Every line becomes an entry as it stands; lines that are no picture leave when they are reached.
    // A file that cannot be read raises here, and the list, bookmark and picture stay as they were.
    builder_.AssignListFile(openListDialog_.FileName);
    model_.current = 0;
  }
  model_.Tidy();
  model_.mark = 0;
  ShowCurrent();
}

void MainWindow::SaveList() {
  if (!saveListDialog_.Execute()) return;
  std::string name = saveListDialog_.FileName;
  if (ExtensionPart(name).empty()) name += ".rst";
  if (Files().FileExists(name) &&
      ui::ShowMessageBox(name + "はすでに存在します。" + "\r\n" + "上書きしてもよろしいですか？",
                         ui::MessageKind::Warning, ui::MessageButtons::YesNo) != ui::DialogResult::Yes)
    return;
  // Written beside the old file and put in its place only when complete: a failed write raises and
  // leaves the old list as it was.
  WriteListFile(name, model_.list.Entries());
}

}  // namespace zeb::app
