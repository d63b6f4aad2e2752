// The slide show: each tick of Timer1 steps through the list in the chosen direction, and I sets the
// time between ticks.
#include "app/dialogs/jump_dialog.h"
#include "app/form1.h"
#include "app/random_pick.h"
#include "platform/core/strings.h"

namespace zeb::app {

void TForm1::Timer1Timer() {
  switch (SlideDirection) {
    case 1:
      StepForward(1);
      break;
    case 2:
      StepBackward(1);
      break;
    case 3:
      ShowRandom();
      break;
  }
}

void TForm1::AskInterval() {
  Form2->SetCaption("Interval");
  if (Form2->ShowModal() != ui::TModalResult::mrOk) return;
  int32_t number;
  uint32_t interval;
  // Text that is no usable number (empty, with a ".", too large, or negative) gives a random interval
  // from 1000 to 3999 ms.
  if (TryStrToInt(Form2->Edit1.Text(), number) && number >= 0)
    interval = static_cast<uint32_t>(number);
  else
    interval = 1000 + static_cast<uint32_t>(RandomBelow(3000));
  // 0 would stop the ticks while the show still counts as running.
  if (interval == 0) interval = 1;
  Timer1.SetInterval(interval);
}

}  // namespace zeb::app
