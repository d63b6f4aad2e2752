// Files and folders dropped on the main window: Alt (with or without Ctrl) removes, Ctrl alone adds,
// neither replaces the list.
#include "app/main_window.h"

namespace zeb::app {

void MainWindow::OnDroppedFiles(const std::vector<std::string>& paths, ui::ModifierKeys shift) {
  CommandInput input;
  input.paths = paths;
  input.dropMode = (shift & ui::kAlt)    ? DropMode::Remove
                   : (shift & ui::kCtrl) ? DropMode::Add
                                         : DropMode::Replace;
  Run(Command::Drop, input);
}

}  // namespace zeb::app
