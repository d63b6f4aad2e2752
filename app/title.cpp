// The title bar is the status line: modes as letters, the position in the list, the file's name, the
// picture's size and the zoom.
#include <cmath>

#include "app/form1.h"

namespace zeb::app {

void TForm1::UpdateTitle() {
  const int32_t count = List().Count();
  if (count == 0) return;
  const bool running = Timer1.Enabled();
  std::string title = !running ? "[" : PauseWhileLoading ? "{" : "<";
  if (WallpaperMode) {
    title += WallpaperAsShown ? "w" : "W";
    if (WallpaperLayout <= 2) title += "CZT"[WallpaperLayout];
  }
  if (SlideDirection >= 1 && SlideDirection <= 3) title += (EnlargeSmall ? "fbr" : "FBR")[SlideDirection - 1];
  if (LoopList) title += "L";
  if (QuitAtEnd) title += "Q";
  title += !running ? "] (" : PauseWhileLoading ? "} (" : "> (";
  for (const std::string& part :
       {std::to_string(static_cast<int64_t>(CurrentIndex) + 1), std::string("/"), std::to_string(count),
        std::string(") "), CurrentName, std::string(" "), std::to_string(Image1.Picture().Width()),
        std::string("x"), std::to_string(Image1.Picture().Height()), std::string(" "),
        std::to_string(static_cast<int64_t>(std::trunc(ZoomRatio * 100))), std::string("%")})
    title.append(part);
  SetCaption(title);
}

void TForm1::ShowBuildProgress(const std::string& text) {
  // A folder scan names one file now and then, not each: the caption is a window message. A file
  // added by itself is always named.
  std::chrono::steady_clock::time_point now;
  if (walkChain_.empty()) {
    now = std::chrono::steady_clock::now();
  } else {
    now = scanNow_;  // read by the scan just before this file
    if (now - lastTitle_ < TitleInterval) return;
  }
  lastTitle_ = now;
  SetCaption(text);
}

}  // namespace zeb::app
