// The whole-program tests' entry: GoogleTest takes its own flags, the two paths that remain are the
// program under test and the test plug-in folder.
#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <vector>

#include <gtest/gtest.h>

#include "tests/e2e/common/e2e_environment.h"
#include "tools/driver/zeb_driver.h"

namespace zeb::e2e {
namespace {
std::string zeb_exe;
std::string plugin_folder;
}  // namespace

const std::string& ZebExe() { return zeb_exe; }
const std::string& PluginFolder() { return plugin_folder; }

}  // namespace zeb::e2e

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  // The narrow argv would lose letters outside the code page: read the paths from the wide command line.
  int count = 0;
  wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
  std::vector<std::string> paths;
  for (int i = 1; i < count; ++i) {
    std::string arg = zeb::e2e::WideToUtf8(wide[i]);
    if (arg.rfind("--gtest_", 0) != 0) paths.push_back(arg);
  }
  LocalFree(wide);
  if (paths.size() < 2) {
    std::fprintf(stderr, "usage: %s ZEB.EXE PLUGIN_FOLDER [gtest flags]\n", argv[0]);
    return 2;
  }
  zeb::e2e::zeb_exe = zeb::e2e::FullWindowsPath(paths[0]);
  zeb::e2e::plugin_folder = zeb::e2e::FullWindowsPath(paths[1]);
  if (GetFileAttributesW(zeb::e2e::Utf8ToWide(zeb::e2e::zeb_exe).c_str()) == INVALID_FILE_ATTRIBUTES) {
    std::fprintf(stderr, "no program at %s\n", zeb::e2e::zeb_exe.c_str());
    return 2;
  }
  return RUN_ALL_TESTS();
}
