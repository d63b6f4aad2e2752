// The slide show: a window timer whose ticks step through the list, and the rules of its interval.
#pragma once

#include <cstdint>
#include <string>

#include "platform/ui/forms.h"

namespace zeb::app {

class SlideShow {
 public:
  explicit SlideShow(ui::Timer& timer) : timer_(timer) {}

  bool Running() const { return timer_.Enabled(); }
  // A show that starts may report a wallpaper it cannot write once again.
  void Start();
  void Stop() { timer_.SetEnabled(false); }
  uint32_t Interval() const { return timer_.Interval(); }
  void SetInterval(uint32_t milliseconds) { timer_.SetInterval(milliseconds); }
  // The interval a typed answer gives: text that is no usable number (empty, with a ".", too large, or
  // negative) gives a random interval from 1000 to 3999 ms, and 0 gives 1 (0 would stop the ticks while
  // the show still counts as running).
  static uint32_t IntervalFromAnswer(const std::string& answer);

  // This show has reported a wallpaper it could not write.
  bool wallpaperErrorShown = false;

 private:
  ui::Timer& timer_;
};

}  // namespace zeb::app
