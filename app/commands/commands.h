// Running one command on the viewer. The rules of walking and editing the list, the modes and the slide
// show live here; the caller shows what the command says changed.
#pragma once

#include "app/commands/command.h"
#include "app/commands/viewer_context.h"

namespace zeb::app {

Changes RunCommand(ViewerContext& viewer, Command command, const CommandInput& input = {});

// Ctrl+L: the list file chosen replaces the list (its lines as they stand); Ctrl+S: the list is written
// to the file chosen.
Changes OpenListFile(ViewerContext& viewer);
Changes SaveListFile(ViewerContext& viewer);

// Files and folders dropped on the viewer: they replace the list, are added to it, or their entries
// leave it; then the list is tidied and shown.
Changes Drop(ViewerContext& viewer, const std::vector<std::string>& paths, DropMode mode);

}  // namespace zeb::app
