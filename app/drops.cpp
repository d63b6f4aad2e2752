// Files and folders dropped on the main window build, extend or thin out the image list.
#include <exception>

#include "app/form1.h"
#include "platform/services/file_system.h"

namespace zeb::app {

namespace {

enum class TDropMode { Replace, Add, Remove };

// Alt (with or without Ctrl) removes, Ctrl alone adds, neither replaces the list.
TDropMode DropModeFor(ui::TShiftState shift) {
  if (shift & ui::ssAlt) return TDropMode::Remove;
  if (shift & ui::ssCtrl) return TDropMode::Add;
  return TDropMode::Replace;
}

// A dropped drive root ("C:\") already ends in the separator.
std::string AsFolder(const std::string& path) {
  return !path.empty() && path.back() == '\\' ? path : path + "\\";
}

}  // namespace

void TForm1::FormDropFiles(const std::vector<std::string>& paths, ui::TShiftState shift) {
  const TDropMode mode = DropModeFor(shift);
  if (mode == TDropMode::Replace) {
    List().Clear();
    MarkIndex = 0;
    ShowFullPath = false;
  }
  // A drop handled while another build pumps messages must not end that build's state.
  const bool outerBuilding = Building;
  Building = true;
  CurrentIndex = 0;

  // A list file that cannot be read ends the loop. The build is still ended, the list tidied and
  // shown, and only then does the error go on to the application's error handler: otherwise Building
  // would stay set, and Escape would never close the window again.
  std::exception_ptr error;
  try {
    for (const std::string& path : paths) {
      if (AbortRequested) Close();
      uint32_t attributes = 0;
      // A path that names nothing (gone since the drag began) adds and removes nothing.
      if (!Files().Attributes(path, attributes)) continue;
      if (attributes & faDirectory) {
        if (mode == TDropMode::Remove)
          RemoveFolder(AsFolder(path));
        else
          AddFolder(AsFolder(path), true);
      } else if (IsPictureExtension(path, true)) {
        if (mode == TDropMode::Remove)
          RemoveFile(path);
        else
          AddFile(path);
      }
    }
  } catch (...) {
    error = std::current_exception();
  }

  if (AbortRequested) Close();
  Building = outerBuilding;
  TidyList();
  LoadFromFile();
  BringToFront();
  if (error) std::rethrow_exception(error);
}

}  // namespace zeb::app
