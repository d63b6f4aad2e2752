// The list file dialogs of Ctrl+L and Ctrl+S, and the question before a list file is replaced.
#include "app/main_window.h"
#include "platform/ui/dialogs.h"

namespace zeb::app {

bool MainWindow::ChooseListToOpen(std::string& path) {
  if (!openListDialog_.Execute()) return false;
  path = openListDialog_.FileName;
  return true;
}

bool MainWindow::ChooseListToSave(std::string& path) {
  if (!saveListDialog_.Execute()) return false;
  path = saveListDialog_.FileName;
  return true;
}

bool MainWindow::ConfirmOverwrite(const std::string& path) {
  return ui::ShowMessageBox(path + "はすでに存在します。" + "\r\n" + "上書きしてもよろしいですか？",
                            ui::MessageKind::Warning, ui::MessageButtons::YesNo) == ui::DialogResult::Yes;
}

}  // namespace zeb::app
