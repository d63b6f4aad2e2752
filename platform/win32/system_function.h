// A function of a system library, found when first needed. The libraries that only some commands use
// (the file dialogs, dropped files, the taskbar's place) are loaded then rather than before the program's
// first line: under Wine that lets a folder be listed while the window system starts. Newer functions
// are found this way too, so the program still starts on systems without them.
#pragma once

#include "platform/win32/windows_api.h"

namespace zeb::win32 {

// A system library by its file name, loaded from the system folder only; null when it cannot be.
HMODULE SystemLibrary(const wchar_t* library);

// Null when the library or the function is not there.
template <typename Function>
Function SystemFunction(const wchar_t* library, const char* name) {
  HMODULE module = SystemLibrary(library);
  return module ? reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name))) : nullptr;
}

}  // namespace zeb::win32
