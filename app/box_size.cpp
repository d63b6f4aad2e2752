// The fixed box's width and height, asked in the Jump dialog. 0 turns the fixed dimension off and keeps
// the old size for the next Shift+F; text that is no number fixes it at the old size.
#include "app/dialogs/jump_dialog.h"
#include "app/main_window.h"
#include "platform/core/strings.h"

namespace zeb::app {

namespace {

void AskBoxSide(MainWindow& window, JumpDialog& dialog, NumberQuestion question, int32_t shownSize,
                int32_t& boxSize, bool& fixed) {
  const int32_t old = boxSize;
  std::string answer;
  if (!dialog.Ask(question, std::to_string(shownSize), answer)) return;
  int32_t number;
  if (TryStrToInt(answer, number)) boxSize = number;
  if (boxSize < 1) {
    boxSize = old;
    fixed = false;
  } else {
    fixed = true;
  }
  window.FitToPicture();
}

}  // namespace

// The dialog is preset with the size the picture has on screen.
void MainWindow::AskBoxWidth() {
  FixedBox& box = model_.modes.box;
  AskBoxSide(*this, jumpDialog_, NumberQuestion::Width, picture.Width(), box.width, box.fixedWidth);
}

void MainWindow::AskBoxHeight() {
  FixedBox& box = model_.modes.box;
  AskBoxSide(*this, jumpDialog_, NumberQuestion::Height, picture.Height(), box.height, box.fixedHeight);
}

}  // namespace zeb::app
