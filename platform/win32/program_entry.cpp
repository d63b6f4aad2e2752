// The Windows program entry: the command line as UTF-8 arguments for the program.
#include <cstdlib>
#include <string>
#include <vector>

#include "photo/colour_profile.h"
#include "platform/win32/screen_profile.h"
#include "platform/ui/program_entry.h"
#include "platform/win32/system_function.h"
#include "platform/win32/utf16.h"
#include "platform/win32/windows_api.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  // The C runtime has split the command line by the same rules as CommandLineToArgvW (and without
  // expanding wildcards, which the viewer matches itself); taking its split keeps the shell's library
  // from being loaded before the program's first line.
  std::vector<std::string> args;
  for (int i = 1; __wargv && i < __argc; ++i) args.push_back(zeb::win32::Narrow(__wargv[i]));
  // The screen's colour profile is read when a picture first needs it.
  zeb_colour_set_display_profile_lookup(zeb_colour_look_up_screen_profile);
  const int exitCode = zeb::ui::RunProgram(args);
  zeb::win32::FinishLoadingShellLibraries();
  return exitCode;
}
