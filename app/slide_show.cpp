// The slide show: each tick of the slide timer steps through the list in the chosen direction, and I
// sets the time between ticks.
#include "app/dialogs/jump_dialog.h"
#include "app/main_window.h"
#include "app/model/random_pick.h"
#include "app/plugin_crash_report.h"
#include "platform/core/strings.h"

namespace zeb::app {

void MainWindow::OnSlideTick() {
  switch (model_.modes.slideDirection) {
    case SlideDirection::Forward:
      Step(1, true);
      break;
    case SlideDirection::Backward:
      Step(1, false);
      break;
    case SlideDirection::Random:
      ShowRandom();
      break;
  }
}

void MainWindow::SetSlideShow(bool on) {
  slideTimer.SetEnabled(on);
  if (on) {
    run.wallpaperErrorShown = false;
    return;
  }
  UpdateTitle();
  ShowPluginCrashReports(plugins.get(), false);
}

void MainWindow::AskInterval() {
  std::string answer;
  if (!jumpDialog_.Ask(NumberQuestion::Interval, std::to_string(slideTimer.Interval()), answer)) return;
  int32_t number;
  uint32_t interval;
  // Text that is no usable number (empty, with a ".", too large, or negative) gives a random interval
  // from 1000 to 3999 ms.
  if (TryStrToInt(answer, number) && number >= 0)
    interval = static_cast<uint32_t>(number);
  else
    interval = 1000 + static_cast<uint32_t>(RandomBelow(3000));
  // 0 would stop the ticks while the show still counts as running.
  if (interval == 0) interval = 1;
  slideTimer.SetInterval(interval);
}

}  // namespace zeb::app
