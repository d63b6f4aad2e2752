// Asks the list-view control of another process what an assistive program asks it: an entry's text and
// a row's rectangle. The control reads and writes the structures in its own process, so they are put
// there.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <string>

namespace zeb::e2e {

class RemoteList {
 public:
  RemoteList(HANDLE process, HWND list) : process_(process), list_(list) {
    memory_ = VirtualAllocEx(process_, nullptr, kSize, MEM_COMMIT, PAGE_READWRITE);
  }
  ~RemoteList() {
    if (memory_) VirtualFreeEx(process_, memory_, 0, MEM_RELEASE);
  }
  RemoteList(const RemoteList&) = delete;
  RemoteList& operator=(const RemoteList&) = delete;

  // The text of entry Index in UTF-8, or "<failed>".
  std::string Text(int index) {
    auto* remoteText = reinterpret_cast<wchar_t*>(static_cast<char*>(memory_) + sizeof(LVITEMW));
    LVITEMW item{};
    item.mask = LVIF_TEXT;
    item.iItem = index;
    item.pszText = remoteText;
    item.cchTextMax = kChars;
    wchar_t text[kChars] = {};
    if (!memory_ || !WriteProcessMemory(process_, memory_, &item, sizeof item, nullptr)) return "<failed>";
    const LRESULT length = SendMessageW(list_, LVM_GETITEMTEXTW, index, reinterpret_cast<LPARAM>(memory_));
    if (!ReadProcessMemory(process_, remoteText, text, sizeof text - sizeof(wchar_t), nullptr))
      return "<failed>";
    char utf8[kChars * 3] = {};
    WideCharToMultiByte(CP_UTF8, 0, text, length > 0 && length < kChars ? static_cast<int>(length) : 0, utf8,
                        sizeof utf8, nullptr, nullptr);
    return utf8;
  }

  // The height of row Index, or 0.
  int RowHeight(int index) {
    RECT rect{LVIR_BOUNDS, 0, 0, 0};
    if (!memory_ || !WriteProcessMemory(process_, memory_, &rect, sizeof rect, nullptr) ||
        !SendMessageW(list_, LVM_GETITEMRECT, index, reinterpret_cast<LPARAM>(memory_)) ||
        !ReadProcessMemory(process_, memory_, &rect, sizeof rect, nullptr))
      return 0;
    return rect.bottom - rect.top;
  }

 private:
  static constexpr int kChars = 1024;
  static constexpr size_t kSize = sizeof(LVITEMW) + kChars * sizeof(wchar_t);
  HANDLE process_;
  HWND list_;
  void* memory_ = nullptr;
};

}  // namespace zeb::e2e
