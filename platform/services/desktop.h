// The desktop: the primary screen, the taskbar, window-frame metrics and the wallpaper.
#pragma once

#include <string>

namespace zeb {

struct ScreenRect {
  int left = 0, top = 0, right = 0, bottom = 0;
};

enum class TaskbarEdge { Left, Top, Right, Bottom };

int PrimaryScreenWidth();
int PrimaryScreenHeight();
// The taskbar's edge and rectangle (SHAppBarMessage with ABM_GETTASKBARPOS); false when unknown.
bool TaskbarPosition(TaskbarEdge& edge, ScreenRect& rect);
// SystemParametersInfo(SPI_SETDESKWALLPAPER, 0, path, SPIF_UPDATEINIFILE | SPIF_SENDWININICHANGE).
void SetDesktopWallpaper(const std::string& path);
// Whether the desktop can keep PATH as its wallpaper: it holds the path in a buffer of MAX_PATH
// characters, and one that does not fit is refused or cut off.
bool DesktopTakesWallpaperPath(const std::string& path);

}  // namespace zeb
