// Win32 folder identity: the volume serial number and file index of the folder the path leads to.
// Opening a folder follows links and junctions, so every way to one folder gives one identity.
#include "platform/services/folder_identity.h"

#include <cstdio>

#include "platform/win32/utf16.h"
#include "platform/win32/windows_api.h"

namespace zeb {

std::string FolderIdentity(const std::string& folder) {
  HANDLE h = CreateFileW(win32::Widen(folder).c_str(), FILE_READ_ATTRIBUTES,
                         FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                         FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (h != INVALID_HANDLE_VALUE) {
    BY_HANDLE_FILE_INFORMATION info;
    BOOL ok = GetFileInformationByHandle(h, &info);
    CloseHandle(h);
    if (ok && (info.nFileIndexHigh || info.nFileIndexLow)) {
      char text[40];
      std::snprintf(
          text, sizeof text, "#%08lx:%08lx%08lx", static_cast<unsigned long>(info.dwVolumeSerialNumber),
          static_cast<unsigned long>(info.nFileIndexHigh), static_cast<unsigned long>(info.nFileIndexLow));
      return text;
    }
  }
  return FolderPathIdentity(folder);
}

}  // namespace zeb
