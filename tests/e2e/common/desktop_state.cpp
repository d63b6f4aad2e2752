#include "tests/e2e/common/desktop_state.h"

#include <shlobj.h>

#include <cstdint>
#include <cstdlib>

#include "tools/driver/zeb_driver.h"

namespace zeb::e2e {

namespace {

const wchar_t kDesktopKey[] = L"Control Panel\\desktop";

int32_t LittleEndian32(const std::string& bytes, size_t at) {
  uint32_t v = 0;
  for (int k = 3; k >= 0; --k) v = (v << 8) | static_cast<uint8_t>(bytes[at + k]);
  return static_cast<int32_t>(v);
}

}  // namespace

std::wstring WindowsFolder() {
  wchar_t buffer[MAX_PATH] = {};
  UINT n = GetWindowsDirectoryW(buffer, MAX_PATH);
  std::wstring folder(buffer, n);
  if (!folder.empty() && folder.back() != L'\\') folder += L'\\';
  return folder;
}

std::wstring UserWallpaperFile() {
  wchar_t buffer[MAX_PATH] = {};
  if (FAILED(SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA, nullptr, 0, buffer))) return {};
  std::wstring folder = buffer;
  if (!folder.empty() && folder.back() != L'\\') folder += L'\\';
  return folder + L"ZEB\\zeb_wall.bmp";
}

BmpSize BmpFileSize(const std::string& bytes) {
  if (bytes.size() < 54 || bytes.compare(0, 2, "BM") != 0 ||
      static_cast<size_t>(LittleEndian32(bytes, 2)) != bytes.size())
    return {};
  return {LittleEndian32(bytes, 18), std::abs(LittleEndian32(bytes, 22))};
}

std::string DesktopSetting(const wchar_t* name) {
  DWORD size = 0;
  if (RegGetValueW(HKEY_CURRENT_USER, kDesktopKey, name, RRF_RT_REG_SZ, nullptr, nullptr, &size) !=
      ERROR_SUCCESS)
    return "<missing>";
  std::wstring value(size / sizeof(wchar_t) + 1, L'\0');
  size = static_cast<DWORD>(value.size() * sizeof(wchar_t));
  if (RegGetValueW(HKEY_CURRENT_USER, kDesktopKey, name, RRF_RT_REG_SZ, nullptr, value.data(), &size) !=
      ERROR_SUCCESS)
    return "<missing>";
  value.resize(wcsnlen(value.c_str(), value.size()));
  return WideToUtf8(value);
}

void SetDesktopSetting(const wchar_t* name, const std::wstring& value) {
  HKEY key = nullptr;
  if (RegCreateKeyExW(HKEY_CURRENT_USER, kDesktopKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr) !=
      ERROR_SUCCESS)
    return;
  RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                 static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
  RegCloseKey(key);
}

std::vector<std::string> WallpaperNames() {
  std::vector<std::string> names;
  WIN32_FIND_DATAW found;
  HANDLE find = FindFirstFileW((WindowsFolder() + L"zeb_wall.bmp*").c_str(), &found);
  if (find == INVALID_HANDLE_VALUE) return names;
  do names.push_back(WideToUtf8(found.cFileName));
  while (FindNextFileW(find, &found));
  FindClose(find);
  return names;
}

}  // namespace zeb::e2e
