// What the wallpaper tests read back from the system: files in the Windows folder, BMP headers and the
// current user's desktop settings.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace zeb::e2e {

// The Windows folder, ending in a backslash.
std::wstring WindowsFolder();
// Where the wallpaper goes when the Windows folder refuses it: the user's local application data
// folder, then ZEB\zeb_wall.bmp.
std::wstring UserWallpaperFile();

struct BmpSize {
  int width = 0, height = 0;  // the height whatever the row order
  bool operator==(const BmpSize&) const = default;
};
// The size a BMP file's header gives; zero when the bytes are no whole BMP file (the header's file size
// must match).
BmpSize BmpFileSize(const std::string& bytes);

// A string value under HKCU\Control Panel\Desktop, or "<missing>".
std::string DesktopSetting(const wchar_t* name);
void SetDesktopSetting(const wchar_t* name, const std::wstring& value);

// Names in the Windows folder that start with the wallpaper's name (the wallpaper and any left-over).
std::vector<std::string> WallpaperNames();

}  // namespace zeb::e2e
