#include "platform/win32/system_function.h"

#include <string>

namespace zeb::win32 {

HMODULE SystemLibrary(const wchar_t* library) {
  if (HMODULE loaded = GetModuleHandleW(library)) return loaded;
  // By its full path, so that a file of that name beside the program or in the current folder is never
  // taken for it.
  wchar_t folder[MAX_PATH];
  const UINT length = GetSystemDirectoryW(folder, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return nullptr;
  return LoadLibraryW((std::wstring(folder, length) + L"\\" + library).c_str());
}

}  // namespace zeb::win32
