// Win32 collation: the user locale's sort key without regard to case, the order a sorted list box
// keeps. LCMapStringEx writes bytes (not UTF-16 units) when asked for a sort key.
#include "platform/services/collation.h"

#include <vector>

#include "platform/win32/utf16.h"
#include "platform/win32/windows_api.h"

namespace zeb {

std::string CollationKey(const std::string& utf8) {
  // Reused between the calls of each thread (a long list's keys are made on two).
  thread_local std::wstring wide;
  thread_local std::vector<char> key;
  win32::WidenInto(utf8, wide);
  if (wide.empty()) return {};
  const DWORD flags = LCMAP_SORTKEY | NORM_IGNORECASE;
  const int length = static_cast<int>(wide.size());
  if (key.size() < wide.size() * 8 + 64) key.resize(wide.size() * 8 + 64);
  int bytes =
      LCMapStringEx(LOCALE_NAME_USER_DEFAULT, flags, wide.data(), length,
                    reinterpret_cast<LPWSTR>(key.data()), static_cast<int>(key.size()), nullptr, nullptr, 0);
  if (bytes == 0 && GetLastError() == ERROR_INSUFFICIENT_BUFFER) {
    bytes =
        LCMapStringEx(LOCALE_NAME_USER_DEFAULT, flags, wide.data(), length, nullptr, 0, nullptr, nullptr, 0);
    if (bytes > 0) {
      key.resize(static_cast<size_t>(bytes));
      bytes = LCMapStringEx(LOCALE_NAME_USER_DEFAULT, flags, wide.data(), length,
                            reinterpret_cast<LPWSTR>(key.data()), bytes, nullptr, nullptr, 0);
    }
  }
  // Without a key (the locale cannot map the text) the text itself orders it.
  if (bytes <= 0) return utf8;
  // The key ends with a zero byte, which orders nothing.
  if (key[static_cast<size_t>(bytes) - 1] == 0) --bytes;
  return std::string(key.data(), static_cast<size_t>(bytes));
}

}  // namespace zeb
