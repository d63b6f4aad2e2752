// Running one command on the viewer. The rules of walking and editing the list, the modes and the slide
// show live here; the caller shows what the command says changed.
#pragma once

#include "app/commands/command.h"
#include "app/commands/viewer_context.h"

namespace zeb::app {

Changes RunCommand(ViewerContext& viewer, Command command, const CommandInput& input = {});

}  // namespace zeb::app
