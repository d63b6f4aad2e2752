// Opening a list file in place of the image list, and saving the list to one.
#include "app/commands/commands.h"
#include "app/list_file.h"
#include "platform/core/strings.h"
#include "platform/services/file_system.h"

namespace zeb::app {

Changes OpenListFile(ViewerContext& v) {
  std::string path;
  if (v.window.ChooseListToOpen(path) && Files().FileExists(path)) {
    // Every line becomes an entry as it stands; lines that are no picture leave when they are reached.
    // A file that cannot be read raises here, and the list, bookmark and picture stay as they were.
    v.builder.AssignListFile(path);
    v.model.current = 0;
  }
  v.model.Tidy();
  v.model.mark = 0;
  return changed::kPicture;
}

Changes SaveListFile(ViewerContext& v) {
  std::string name;
  if (!v.window.ChooseListToSave(name)) return changed::kNothing;
  if (ExtensionPart(name).empty()) name += ".rst";
  if (Files().FileExists(name) && !v.window.ConfirmOverwrite(name)) return changed::kNothing;
  // Written beside the old file and put in its place only when complete: a failed write raises and
  // leaves the old list as it was.
  WriteListFile(name, v.model.list.Entries());
  return changed::kNothing;
}

}  // namespace zeb::app
