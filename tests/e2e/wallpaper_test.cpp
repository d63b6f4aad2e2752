// The real zeb.exe as a one-shot wallpaper setter: started in wallpaper mode with -q it writes the
// wallpaper file into the Windows folder, records the desktop style and ends.
#include <windows.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/e2e/common/e2e_environment.h"
#include "tests/e2e/common/test_folder.h"
#include "tools/driver/zeb_driver.h"

namespace zeb::e2e {
namespace {

const wchar_t kDesktopKey[] = L"Control Panel\\desktop";

std::wstring WindowsFolder() {
  wchar_t buffer[MAX_PATH] = {};
  UINT n = GetWindowsDirectoryW(buffer, MAX_PATH);
  std::wstring folder(buffer, n);
  if (!folder.empty() && folder.back() != L'\\') folder += L'\\';
  return folder;
}

// The whole file, or nothing when it cannot be read.
std::string ReadWholeFile(const std::wstring& path) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return {};
  std::string bytes;
  char chunk[65536];
  DWORD got = 0;
  while (ReadFile(file, chunk, sizeof chunk, &got, nullptr) && got > 0) bytes.append(chunk, got);
  CloseHandle(file);
  return bytes;
}

int32_t LittleEndian32(const std::string& bytes, size_t at) {
  uint32_t v = 0;
  for (int k = 3; k >= 0; --k) v = (v << 8) | static_cast<uint8_t>(bytes[at + k]);
  return static_cast<int32_t>(v);
}

// A string value under the current user's desktop key, or "<missing>".
std::string DesktopSetting(const wchar_t* name) {
  wchar_t buffer[256] = {};
  DWORD size = sizeof buffer;
  if (RegGetValueW(HKEY_CURRENT_USER, kDesktopKey, name, RRF_RT_REG_SZ, nullptr, buffer, &size) !=
      ERROR_SUCCESS)
    return "<missing>";
  return WideToUtf8(buffer);
}

void SetDesktopSetting(const wchar_t* name, const std::wstring& value) {
  HKEY key = nullptr;
  ASSERT_EQ(
      RegCreateKeyExW(HKEY_CURRENT_USER, kDesktopKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr),
      ERROR_SUCCESS);
  RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                 static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
  RegCloseKey(key);
}

// Names in the Windows folder that start with the wallpaper's name (the wallpaper and any left-over).
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

TEST(WallpaperTest, WallpaperSwitchWithQuitWritesTheJpegAsABmpAndSetsTheStyle) {
  const std::wstring wall = WindowsFolder() + L"zeb_wall.bmp";
  ASSERT_GT(wall.size(), std::wstring(L"zeb_wall.bmp").size()) << "no Windows folder";
  // Start from a desktop that is visibly different from what the viewer is to set.
  DeleteFileW(wall.c_str());
  SetDesktopSetting(L"TileWallpaper", L"1");
  SetDesktopSetting(L"WallpaperStyle", L"0");

  TestFolder folder;
  folder.WriteJpeg("photo.jpg", 123, 77);
  ZebProcess zeb;
  ASSERT_TRUE(zeb.Start(ZebExe(), {"-Wz", "-q", folder.Path("photo.jpg")}, folder.root())) << zeb.failure();
  DWORD code = 1;
  ASSERT_TRUE(zeb.WaitForExit(ZebProcess::kTimeoutMs, &code)) << zeb.failure();
  EXPECT_EQ(code, 0u);

  const std::string bytes = ReadWholeFile(wall);
  ASSERT_GE(bytes.size(), 54u) << "no wallpaper file at " << WideToUtf8(wall);
  EXPECT_EQ(bytes.substr(0, 2), "BM");
  EXPECT_EQ(LittleEndian32(bytes, 18), 123);
  EXPECT_EQ(std::abs(LittleEndian32(bytes, 22)), 77);
  EXPECT_EQ(static_cast<size_t>(LittleEndian32(bytes, 2)), bytes.size());
  // Written through a temporary name that is gone again.
  EXPECT_EQ(WallpaperNames(), std::vector<std::string>{"zeb_wall.bmp"});

  EXPECT_EQ(DesktopSetting(L"TileWallpaper"), "0");
  EXPECT_EQ(DesktopSetting(L"WallpaperStyle"), "2");
}

}  // namespace
}  // namespace zeb::e2e
