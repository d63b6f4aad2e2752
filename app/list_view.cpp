// The List window's V command: shows it at the docking spot (while docked) with the shown entry
// selected, or hides it.
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

}  // namespace zeb::app
