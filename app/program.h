// The program: creates the windows, runs the message loop and ends.
#pragma once

#include <string>
#include <vector>

namespace zeb::app {

// Runs the viewer with these command-line arguments (UTF-8, the program's name not among them);
// returns the process's exit code.
int RunProgram(const std::vector<std::string>& args);

}  // namespace zeb::app
