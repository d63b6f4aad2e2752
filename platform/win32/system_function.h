// A function of a system library, found when first needed. The libraries that only some commands use
// (the file dialogs, dropped files, the taskbar's place) are loaded then rather than before the program's
// first line: under Wine that lets a folder be listed while the window system starts. Newer functions
// are found this way too, so the program still starts on systems without them.
#pragma once

#include "platform/win32/windows_api.h"

namespace zeb::win32 {

// A system library by its file name, loaded from the system folder only; null when it cannot be.
HMODULE SystemLibrary(const wchar_t* library);

// Loads the shell's library (the taskbar's place, which a window's first fitting asks for, and dropped
// files) on a background thread, once. Called when the first window is made: loading holds the loader's
// lock, which the window system's start and the start of every thread wait for, so it comes after those;
// and under Wine the load then runs beside the window's making instead of before its fitting. (The COM
// library, which the input method starts when a window is first activated, is left to that: the main
// form is activated after its first paint.)
void StartLoadingShellLibraries();
// Waits for that loading to end (at once if it never began): before the program ends.
void FinishLoadingShellLibraries();

// Null when the library or the function is not there.
template <typename Function>
Function SystemFunction(const wchar_t* library, const char* name) {
  HMODULE module = SystemLibrary(library);
  return module ? reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name))) : nullptr;
}

}  // namespace zeb::win32
