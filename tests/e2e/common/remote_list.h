// Asks the list-view control of another process what a screen reader asks it: an entry's text and a
// row's height. The control reads and writes the structures in its own process, so they are put there.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <cstddef>
#include <string>

namespace zeb::e2e {

struct RemoteBlock {
  LVITEMW item;
  RECT rect;
  wchar_t text[512];
};

// Sends Message with the address of the block's member at At, the block copied into Process first
// and read back after.
inline LRESULT SendRemote(HANDLE process, HWND list, UINT message, WPARAM wp, RemoteBlock& block, size_t at) {
  auto* remote =
      static_cast<RemoteBlock*>(VirtualAllocEx(process, nullptr, sizeof block, MEM_COMMIT, PAGE_READWRITE));
  block.item.pszText = remote->text, block.item.cchTextMax = 512;
  WriteProcessMemory(process, remote, &block, sizeof block, nullptr);
  const LRESULT result =
      SendMessageW(list, message, wp, reinterpret_cast<LPARAM>(reinterpret_cast<char*>(remote) + at));
  ReadProcessMemory(process, remote, &block, sizeof block, nullptr);
  VirtualFreeEx(process, remote, 0, MEM_RELEASE);
  return result;
}

inline std::string RemoteText(HANDLE process, HWND list, int index) {
  RemoteBlock block{};
  const LRESULT length =
      SendRemote(process, list, LVM_GETITEMTEXTW, index, block, offsetof(RemoteBlock, item));
  char utf8[2048] = {};
  WideCharToMultiByte(CP_UTF8, 0, block.text, static_cast<int>(length), utf8, sizeof utf8, nullptr, nullptr);
  return utf8;
}

inline int RemoteRowHeight(HANDLE process, HWND list, int index) {
  RemoteBlock block{};
  block.rect.left = LVIR_BOUNDS;
  return SendRemote(process, list, LVM_GETITEMRECT, index, block, offsetof(RemoteBlock, rect))
             ? block.rect.bottom - block.rect.top
             : 0;
}

}  // namespace zeb::e2e
