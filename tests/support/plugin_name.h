// The tests name plug-ins as zeb.exe loads them ("ppm.spi", "*.spi"); the 64-bit build's plug-ins carry
// its own suffix (ZEB_PLUGIN_SUFFIX, ".sph"). Win32 and whole-program tests only.
#pragma once

#include <string>

namespace zeb::test {

inline std::string BuildPluginName(std::string name) {
  if (name.size() >= 4 && name.compare(name.size() - 4, 4, ".spi") == 0)
    name.replace(name.size() - 4, 4, ZEB_PLUGIN_SUFFIX);
  return name;
}

}  // namespace zeb::test
