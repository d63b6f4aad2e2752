// The side windows: V shows the List window at the docking spot (while docked) with the shown entry
// selected, or hides it; F1 shows or hides the key help; the Jump dialog asks the commands' numbers.
// Each is made when first needed.
#include "app/dialogs/help_window.h"
#include "app/dialogs/jump_dialog.h"
#include "app/dialogs/list_window.h"
#include "app/main_window.h"

namespace zeb::app {

ListWindow& MainWindow::TheListWindow() {
  if (!listWindow_) {
    ownListWindow_ = std::make_unique<ListWindow>(model_);
    listWindow_ = ownListWindow_.get();
  }
  if (!listWindow_->Attached())
    listWindow_->Attach(
        this, [this](uint16_t& key, ui::ModifierKeys shift) { OnKey(key, shift); },
        [this](int32_t index) { Run(Command::ShowEntry, {.index = index}); });
  return *listWindow_;
}

bool MainWindow::ListWindowShown() const { return listWindow_ && listWindow_->Visible(); }

void MainWindow::ToggleListWindow() {
  if (ListWindowShown()) {
    listWindow_->Hide();
    return;
  }
  if (model_.list.Count() == 0) return;
  ListWindow& list = TheListWindow();
  list.entryList.SetItemIndex(model_.current);
  if (list.docked) list.MoveToDock();
  list.Show();
}

bool MainWindow::AskNumber(NumberQuestion question, const std::string& preset, std::string& answer) {
  if (!jumpDialog_) {
    ownJumpDialog_ = std::make_unique<JumpDialog>();
    jumpDialog_ = ownJumpDialog_.get();
  }
  return jumpDialog_->Ask(question, preset, answer);
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
