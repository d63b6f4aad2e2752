// Files and folders dropped on the viewer build, extend or thin out the image list.
#include <exception>

#include "app/commands/commands.h"
#include "app/list_file.h"
#include "platform/core/strings.h"

namespace zeb::app {

namespace {

// Takes out a folder's entries, a file's, or those a list file names; the title names what goes.
void RemoveDropped(ViewerContext& v, const DroppedPath& dropped) {
  if (dropped.kind == DroppedPath::Kind::Folder) {
    v.window.ShowStatus(dropped.path + "...");
    v.model.RemoveFolder(dropped.path);
  } else if (dropped.kind == DroppedPath::Kind::File) {
    v.window.ShowStatus(dropped.path);
    if (UpperAscii(ExtensionPart(dropped.path)) != ".ZEB")
      v.model.RemoveNames({dropped.path});
    else
      v.model.RemoveNames(ReadListFile(dropped.path));
  }
}

}  // namespace

Changes Drop(ViewerContext& v, const std::vector<std::string>& paths, DropMode mode) {
  if (mode == DropMode::Replace) {
    v.model.list.Clear();
    v.model.mark = 0;
    v.model.showFullPath = false;
  }
  // A drop handled while another build pumps messages must not end that build's state.
  const bool outerBuilding = v.run.building;
  v.run.building = true;
  v.model.current = 0;

  // A list file that cannot be read ends the loop. The build is still ended, the list tidied and
  // shown, and only then does the error go on: otherwise the build would stay set, and Escape would
  // never close the window again.
  try {
    for (const std::string& path : paths) {
      if (v.run.abortRequested) v.window.CloseViewer();
      // A path that names nothing (gone since the drag began) adds and removes nothing.
      const DroppedPath dropped = v.builder.Classify(path);
      if (mode != DropMode::Remove)
        v.builder.AddDropped(dropped);
      else
        RemoveDropped(v, dropped);
    }
  } catch (...) {
    v.deferredError = std::current_exception();
  }

  if (v.run.abortRequested) v.window.CloseViewer();
  v.run.building = outerBuilding;
  v.model.Tidy();
  return changed::kPicture | changed::kRaise;
}

}  // namespace zeb::app
