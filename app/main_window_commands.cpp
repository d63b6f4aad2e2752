// The doors to the commands: a key runs the rows of the key table, the List window and the slide
// show's tick run one command; the window then shows once what changed.
#include "app/commands/commands.h"
#include "app/key_table.h"
#include "app/main_window.h"
#include "app/plugin_crash_report.h"

namespace zeb::app {

void MainWindow::OnKey(uint16_t& key, ui::ModifierKeys shift) {
  // Keys that come before the plug-ins are searched run after the search, Escape excepted.
  if (key != ui::VK_ESCAPE_ && Hold([this, held = key, shift]() mutable { OnKey(held, shift); }, false)) {
    key = 0;
    return;
  }
  if (WaitingForPlugin() || pluginSearchPending_) {
    // Escape ends the wait for a plug-in as it ends the program; the other keys wait with the picture.
    if (key == ui::VK_ESCAPE_) {
      run.abortRequested = true;
      ui::App().Terminate();
    }
    key = 0;
    return;
  }
  const InCommand inCommand(commandDepth_);
  const KeyPress press{key, (shift & ui::kShift) != 0, (shift & ui::kAlt) != 0, (shift & ui::kCtrl) != 0};
  ViewerContext context = Context();
  bool consumed = false;
  const Changes changes = HandleKey(context, press, consumed);
  if (consumed) key = 0;
  Apply(changes);
}

void MainWindow::Run(Command command, const CommandInput& input) {
  // A command while a plug-in call waits would start another picture inside this one: a drop or a
  // click in the List window runs once the call is over, a tick is left to the next.
  const bool heldDuringCall = command == Command::Drop || command == Command::ShowEntry;
  if (Hold([this, command, input] { Run(command, input); }, heldDuringCall) || WaitingForPlugin()) return;
  const InCommand inCommand(commandDepth_);
  ViewerContext context = Context();
  Apply(RunCommand(context, command, input));
  if (context.deferredError) std::rethrow_exception(context.deferredError);
}

void MainWindow::Apply(Changes changes) {
  if (changes & changed::kPicture) {
    ShowCurrent();  // which tells the crashes its loads met
  } else {
    if (changes & changed::kTitle) UpdateTitle();
    // A slide show that has just stopped tells the crashes it kept.
    if (!ui::App().Terminated()) ShowPluginCrashReports(plugins.get(), slideShow_.Running());
  }
  if (changes & changed::kRaise) BringToFront();
}

void MainWindow::MoveWindowBy(int32_t dx, int32_t dy) {
  if (dx) SetLeft(Left() + dx);
  if (dy) SetTop(Top() + dy);
}

}  // namespace zeb::app
