// The key handler of the main window (the List window forwards its keys here too).
#include "app/form1.h"

namespace zeb::app {

void TForm1::FormKeyDown(uint16_t& key, ui::TShiftState) {
  // Escape stops a build, or else ends the program.
  if (key == ui::VK_ESCAPE_) {
    if (Building)
      AbortRequested = true;
    else
      Close();
  }
}

}  // namespace zeb::app
