#include "app/title.h"

#include <cmath>

#include "app/main_window.h"

namespace zeb::app {

std::string StatusTitle(ViewerModel& model, const TitleFacts& facts) {
  const ViewerModes& modes = model.modes;
  const bool running = facts.showRunning;
  std::string title = !running ? "[" : modes.pauseWhileLoading ? "{" : "<";
  if (modes.wallpaper.on) {
    title += modes.wallpaper.asShown ? "w" : "W";
    if (modes.wallpaper.layout != WallpaperLayout::Unchanged)
      title += "CZT"[static_cast<int>(modes.wallpaper.layout)];
  }
  title += (modes.enlargeSmall ? "fbr" : "FBR")[static_cast<int>(modes.slideDirection)];
  if (modes.loop) title += "L";
  if (modes.quitAtEnd) title += "Q";
  title += !running ? "] (" : modes.pauseWhileLoading ? "} (" : "> (";
  for (const std::string& part :
       {std::to_string(static_cast<int64_t>(model.current) + 1), std::string("/"),
        std::to_string(model.list.Count()), std::string(") "), facts.name, std::string(" "),
        std::to_string(facts.width), std::string("x"), std::to_string(facts.height), std::string(" "),
        std::to_string(static_cast<int64_t>(std::trunc(facts.zoom * 100))), std::string("%")})
    title.append(part);
  return title;
}

void MainWindow::UpdateTitle() {
  if (model_.list.Empty()) return;
  // The size is the picture's as it is viewed: a quarter turn exchanges width and height.
  const view::Size size = shown_.transform.Turned({picture.Content().Width(), picture.Content().Height()});
  SetCaption(StatusTitle(model_, {slideTimer.Enabled(), shown_.name, size.width, size.height, shown_.zoom}));
}

void MainWindow::ShowBuildProgress(const std::string& text, bool inWalk) {
  // A folder scan names one file now and then, not each: the caption is a window message. A file
  // added by itself is always named.
  std::chrono::steady_clock::time_point now;
  if (!inWalk) {
    now = std::chrono::steady_clock::now();
  } else {
    now = scanNow_;  // read by the scan just before this file
    if (now - lastTitle_ < pacing.title) return;
  }
  lastTitle_ = now;
  SetCaption(text);
}

}  // namespace zeb::app
