// The program the platform's entry point runs: the application defines it. The Windows entry
// (platform/win32/program_entry.cpp) hands it the command line as UTF-8 arguments.
#pragma once

#include <string>
#include <vector>

namespace zeb::ui {

// Runs the program with these command-line arguments (UTF-8, the program's name not among them);
// returns the process's exit code.
int RunProgram(const std::vector<std::string>& args);

}  // namespace zeb::ui
