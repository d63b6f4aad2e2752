// Asks the list-view control of another process what a screen reader asks it: an entry's text and a
// row's height. The control reads and writes the structures in its own process, so they are put there.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <type_traits>

namespace zeb::e2e {

// Sends Message with a copy of Data in Process's memory, then reads Data back from there.
template <typename Data>
LRESULT SendRemote(HANDLE process, HWND list, UINT message, WPARAM wp, Data& data) {
  struct Remote {
    Data data;
    wchar_t text[1024];
  };
  auto* remote =
      static_cast<Remote*>(VirtualAllocEx(process, nullptr, sizeof(Remote), MEM_COMMIT, PAGE_READWRITE));
  if constexpr (std::is_same_v<Data, LVITEMW>) data.pszText = remote->text, data.cchTextMax = 1024;
  WriteProcessMemory(process, remote, &data, sizeof data, nullptr);
  const LRESULT result = SendMessageW(list, message, wp, reinterpret_cast<LPARAM>(remote));
  ReadProcessMemory(process, remote, &data, sizeof data, nullptr);
  if constexpr (std::is_same_v<Data, LVITEMW>) {
    static wchar_t text[1024];
    ReadProcessMemory(process, remote->text, text, sizeof text, nullptr);
    data.pszText = text;
  }
  VirtualFreeEx(process, remote, 0, MEM_RELEASE);
  return result;
}

// Entry Index's text (UTF-8) and row Index's height in another process's list-view control.
inline std::string RemoteText(HANDLE process, HWND list, int index) {
  LVITEMW item{};
  const LRESULT length = SendRemote(process, list, LVM_GETITEMTEXTW, index, item);
  char utf8[4096] = {};
  WideCharToMultiByte(CP_UTF8, 0, item.pszText, static_cast<int>(length), utf8, sizeof utf8, nullptr,
                      nullptr);
  return utf8;
}
inline int RemoteRowHeight(HANDLE process, HWND list, int index) {
  RECT row{LVIR_BOUNDS, 0, 0, 0};
  return SendRemote(process, list, LVM_GETITEMRECT, index, row) ? row.bottom - row.top : 0;
}

}  // namespace zeb::e2e
