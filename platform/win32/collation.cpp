// Win32 collation: the user locale's sort key without regard to case, the order a sorted list box
// keeps. LCMapStringEx writes bytes (not UTF-16 units) when asked for a sort key.
#include "platform/services/collation.h"

#include <vector>

#include "platform/win32/utf16.h"
#include "platform/win32/windows_api.h"

namespace zeb {

std::string CollationKey(const std::string& utf8) {
  // Only plain locals: a long list's keys are made on threads that end, and a thread_local buffer's
  // destructor may run there after the thread's own storage is gone (it crashed the program). The key
  // usually fits on the stack.
  const std::wstring wide = win32::Widen(utf8);
  if (wide.empty()) return {};
  const DWORD flags = LCMAP_SORTKEY | NORM_IGNORECASE;
  const int length = static_cast<int>(wide.size());
  char stack[2048];
  std::vector<char> heap;
  char* key = stack;
  int bytes =
      LCMapStringEx(LOCALE_NAME_USER_DEFAULT, flags, wide.data(), length, reinterpret_cast<LPWSTR>(key),
                    static_cast<int>(sizeof stack), nullptr, nullptr, 0);
  if (bytes == 0 && GetLastError() == ERROR_INSUFFICIENT_BUFFER) {
    bytes =
        LCMapStringEx(LOCALE_NAME_USER_DEFAULT, flags, wide.data(), length, nullptr, 0, nullptr, nullptr, 0);
    if (bytes > 0) {
      heap.resize(static_cast<size_t>(bytes));
      key = heap.data();
      bytes = LCMapStringEx(LOCALE_NAME_USER_DEFAULT, flags, wide.data(), length,
                            reinterpret_cast<LPWSTR>(key), bytes, nullptr, nullptr, 0);
    }
  }
  // Without a key (the locale cannot map the text) the text itself orders it.
  if (bytes <= 0) return utf8;
  // The key ends with a zero byte, which orders nothing.
  if (key[bytes - 1] == 0) --bytes;
  return std::string(key, static_cast<size_t>(bytes));
}

}  // namespace zeb
