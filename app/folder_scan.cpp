// The window's side of building the image list: the picture extensions the builder matches, and what
// it shows and lets through while the builder works (the title, window messages, Escape).
#include "app/dialogs/list_window.h"
#include "app/main_window.h"

namespace zeb::app {

void MainWindow::BuildExtensionList() { extensions_ = ExtensionSet::Registered(); }

BuildProgress MainWindow::ProgressOfBuild() {
  return {[this] { PumpMessages(false); },
          [this](const std::string& path, bool inWalk) { ShowBuildProgress(path, inWalk); },
          [this] { return run.abortRequested; }};
}

bool MainWindow::PumpMessages(bool force) {
  auto now = std::chrono::steady_clock::now();
  scanNow_ = now;
  if (!force && now - lastPump_ < pacing.pump) return false;
  lastPump_ = now;
  // A visible List window shows the list as far as it has been built.
  if (ListWindowShown()) model_.list.Count();
  ui::App().ProcessMessages();
  return true;
}

}  // namespace zeb::app
