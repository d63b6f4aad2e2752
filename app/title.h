// The title bar is the status line: modes as letters, the position in the list, the file's name, the
// picture's size and the zoom.
#pragma once

#include <cstdint>
#include <string>

#include "app/model/viewer_model.h"

namespace zeb::app {

struct TitleFacts {
  bool showRunning = false;
  std::string name;               // as the entry is shown: its file name, or its full path
  int32_t width = 0, height = 0;  // the picture's size as it is viewed (a quarter turn exchanges them)
  double zoom = 1.0;
};

// The status line for the model's current entry, e.g. "[F] (3/120) photo.jpg 1600x1200 50%".
std::string StatusTitle(ViewerModel& model, const TitleFacts& facts);

}  // namespace zeb::app
