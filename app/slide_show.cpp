#include "app/slide_show.h"

#include "app/model/random_pick.h"
#include "platform/core/strings.h"

namespace zeb::app {

void SlideShow::Start() {
  timer_.SetEnabled(true);
  wallpaperErrorShown = false;
}

uint32_t SlideShow::IntervalFromAnswer(const std::string& answer) {
  int32_t number;
  uint32_t interval;
  if (TryStrToInt(answer, number) && number >= 0)
    interval = static_cast<uint32_t>(number);
  else
    interval = 1000 + static_cast<uint32_t>(RandomBelow(3000));
  return interval == 0 ? 1 : interval;
}

}  // namespace zeb::app
