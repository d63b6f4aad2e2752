#include "platform/win32/display_profile.h"

#include <vector>

#include "photo/colour_profile.h"
#include "platform/win32/windows_api.h"

namespace zeb::win32 {

namespace {
// Larger files are no display profile.
constexpr DWORD kMaxProfileSize = 16u << 20;
}  // namespace

void UseScreenColourProfile() {
  HDC screen = GetDC(nullptr);
  wchar_t path[MAX_PATH];
  DWORD length = MAX_PATH;
  const bool found = screen && GetICMProfileW(screen, &length, path);
  if (screen) ReleaseDC(nullptr, screen);
  HANDLE file = found ? CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr)
                      : INVALID_HANDLE_VALUE;
  if (file == INVALID_HANDLE_VALUE) return;
  const DWORD size = GetFileSize(file, nullptr);
  std::vector<unsigned char> bytes(size != INVALID_FILE_SIZE && size <= kMaxProfileSize ? size : 0);
  DWORD read = 0;
  if (!bytes.empty() && ReadFile(file, bytes.data(), size, &read, nullptr) && read == size)
    zeb_colour_set_display_profile(bytes.data(), bytes.size());
  CloseHandle(file);
}

}  // namespace zeb::win32
