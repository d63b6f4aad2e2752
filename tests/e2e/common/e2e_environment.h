// What every whole-program test is given on its command line: the zeb.exe under test and the folder
// of the test plug-ins (both as full Windows paths).
#pragma once

#include <string>

namespace zeb::e2e {

const std::string& ZebExe();
const std::string& PluginFolder();

}  // namespace zeb::e2e
