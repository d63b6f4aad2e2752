// The Windows program entry: the command line as UTF-8 arguments for the program.
#include <string>
#include <vector>

#include "platform/ui/program_entry.h"
#include "platform/win32/utf16.h"
#include "platform/win32/windows_api.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  int count = 0;
  LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &count);
  std::vector<std::string> args;
  for (int i = 1; argv && i < count; ++i) args.push_back(zeb::win32::Narrow(argv[i]));
  if (argv) LocalFree(argv);
  return zeb::ui::RunProgram(args);
}
