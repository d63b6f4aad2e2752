// The Windows program entry: the command line as UTF-8 arguments for the program.
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "photo/colour_profile.h"
#include "platform/win32/screen_profile.h"
#include "platform/services/background.h"
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
  // The shell's library (the taskbar's place, which the window's first fitting asks for, and dropped
  // files) and the COM library (which Wine's window system loads when a window that takes dropped files
  // first shows) are loaded beside the window system's start: under Wine they take 15-20 ms, which would
  // otherwise come before the window shows.
  auto shell = std::make_shared<zeb::BackgroundJob>([](const zeb::CancelToken&) {
    zeb::win32::SystemLibrary(L"shell32.dll");
    zeb::win32::SystemLibrary(L"ole32.dll");
  });
  zeb::StartInBackground(shell);
  const int exitCode = zeb::ui::RunProgram(args);
  shell->Cancel();
  shell->RunHereOrWait();
  return exitCode;
}
