// The program the platform's entry point runs is the viewer.
#include "platform/ui/program_entry.h"

#include "app/program.h"

int zeb::ui::RunProgram(const std::vector<std::string>& args) { return zeb::app::RunProgram(args); }
