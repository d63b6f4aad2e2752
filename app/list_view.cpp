// The side windows' keys: V shows the List window at the docking spot (while docked) with the shown
// entry selected, or hides it; F1 shows or hides the key help.
#include "app/dialogs/help_window.h"
#include "app/dialogs/list_window.h"
#include "app/main_window.h"

namespace zeb::app {

void MainWindow::ToggleListWindow() {
  if (listWindow_.Visible()) {
    listWindow_.Hide();
    return;
  }
  if (model_.list.Count() == 0) return;
  listWindow_.entryList.SetItemIndex(model_.current);
  if (listWindow_.docked) listWindow_.MoveToDock();
  listWindow_.Show();
}

void MainWindow::ToggleHelp() {
  if (!help_) {
    help_ = std::make_unique<HelpWindow>();
    help_->OnClosed = [this] {
      BringToFront();
      SetFocus();
    };
  }
  help_->Toggle();
}

}  // namespace zeb::app
