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

}  // namespace zeb
