// Files and folders dropped on the main window build, extend or thin out the image list.
#include <exception>

#include "app/main_window.h"

namespace zeb::app {

namespace {

enum class DropMode { Replace, Add, Remove };

// Alt (with or without Ctrl) removes, Ctrl alone adds, neither replaces the list.
DropMode DropModeFor(ui::ModifierKeys shift) {
  if (shift & ui::kAlt) return DropMode::Remove;
  if (shift & ui::kCtrl) return DropMode::Add;
  return DropMode::Replace;
}

}  // namespace

void MainWindow::OnDroppedFiles(const std::vector<std::string>& paths, ui::ModifierKeys shift) {
  const DropMode mode = DropModeFor(shift);
  if (mode == DropMode::Replace) {
    model_.list.Clear();
    model_.mark = 0;
    model_.showFullPath = false;
  }
  // A drop handled while another build pumps messages must not end that build's state.
  const bool outerBuilding = run.building;
  run.building = true;
  model_.current = 0;

  // A list file that cannot be read ends the loop. The build is still ended, the list tidied and
  // shown, and only then does the error go on to the application's error handler: otherwise the build
  // would stay set, and Escape would never close the window again.
  std::exception_ptr error;
  try {
    for (const std::string& path : paths) {
      if (run.abortRequested) Close();
      // A path that names nothing (gone since the drag began) adds and removes nothing.
      const DroppedPath dropped = builder_.Classify(path);
      if (mode != DropMode::Remove)
        builder_.AddDropped(dropped);
      else if (dropped.kind == DroppedPath::Kind::Folder)
        RemoveFolder(dropped.path);
      else if (dropped.kind == DroppedPath::Kind::File)
        RemoveFile(dropped.path);
    }
  } catch (...) {
    error = std::current_exception();
  }

  if (run.abortRequested) Close();
  run.building = outerBuilding;
  model_.Tidy();
  ShowCurrent();
  BringToFront();
  if (error) std::rethrow_exception(error);
}

}  // namespace zeb::app
