// Walking the image list: one step either way (which may end the slide show), random, and jumping to
// a number. Every move ends by showing the current entry.
#include "app/dialogs/jump_dialog.h"
#include "app/main_window.h"

namespace zeb::app {

namespace {

// A step that found the end of the list (loop off): a running slide show stops there, and with quit
// at the end the program ends. With the show stopped nothing happens at all.
void EndOfList(MainWindow& window) {
  if (!window.slideTimer.Enabled()) return;
  if (!window.Model().modes.quitAtEnd) {
    window.SetSlideShow(false);
    return;
  }
  window.slideTimer.SetEnabled(false);
  window.Close();
  window.UpdateTitle();
}

}  // namespace

void MainWindow::Step(int32_t count, bool forward) {
  walkingForward_ = forward;
  if (model_.Step(count, forward))
    ShowCurrent();
  else
    EndOfList(*this);
}

void MainWindow::ShowRandom() {
  model_.Random();
  ShowCurrent();
}

void MainWindow::JumpToNumber() {
  std::string answer;
  if (!jumpDialog_.Ask(NumberQuestion::Jump, std::to_string(static_cast<int64_t>(model_.current) + 1),
                       answer))
    return;
  model_.JumpTo(answer);
  ShowCurrent();
}

}  // namespace zeb::app
