// Walking the image list: first, last, one step either way, random, the bookmark and jumping to a
// number. Every move ends by showing the entry at CurrentIndex.
#include <utility>

#include "app/dialogs/jump_dialog.h"
#include "app/form1.h"
#include "app/plugin_crash_report.h"
#include "app/random_pick.h"
#include "platform/core/strings.h"

namespace zeb::app {

void TForm1::ShowFirst() {
  CurrentIndex = 0;
  LoadFromFile();
}

void TForm1::ShowLast() {
  CurrentIndex = List().Count() - 1;
  LoadFromFile();
}

namespace {

// A step that found the end of the list (LoopList off): a running slide show stops there, and with
// QuitAtEnd the program ends. With the show stopped nothing happens at all.
void EndOfList(TForm1& form) {
  if (!form.Timer1.Enabled()) return;
  form.Timer1.SetEnabled(false);
  if (form.QuitAtEnd) form.Close();
  form.UpdateTitle();
  if (!form.QuitAtEnd) ShowPluginCrashReports(form.SPIs1.get(), false);
}

// Count steps towards the end of the list (Forward) or its start; past that end the walk wraps to the
// other end when LoopList is on, else it stops there.
void Step(TForm1& form, int32_t count, bool forward) {
  bool moved = false;
  for (int32_t i = 0; i < count; ++i) {
    const int32_t last = form.List().Count() - 1;
    if (forward ? form.CurrentIndex < last : form.CurrentIndex > 0) {
      form.CurrentIndex += forward ? 1 : -1;
    } else if (form.LoopList) {
      form.CurrentIndex = forward ? 0 : last;
    } else {
      break;
    }
    moved = true;
  }
  if (moved)
    form.LoadFromFile();
  else
    EndOfList(form);
}

}  // namespace

void TForm1::StepForward(int32_t count) { Step(*this, count, true); }

void TForm1::StepBackward(int32_t count) { Step(*this, count, false); }

void TForm1::ShowRandom() {
  CurrentIndex = RandomBelow(List().Count());
  LoadFromFile();
}

void TForm1::SetMark() { MarkIndex = CurrentIndex; }

// Without a mark (its picture has left the list) G and X do nothing.
void TForm1::GoToMark() {
  if (MarkIndex < 0 || CurrentIndex == MarkIndex) return;
  CurrentIndex = MarkIndex;
  LoadFromFile();
}

void TForm1::SwapWithMark() {
  if (MarkIndex < 0 || CurrentIndex == MarkIndex) return;
  std::swap(CurrentIndex, MarkIndex);
  LoadFromFile();
}

void TForm1::JumpToNumber() {
  Form2->SetCaption("Jump");
  if (Form2->ShowModal() != ui::TModalResult::mrOk) return;
  int32_t number;
  // Text that is no number means the first picture; a number outside the list, a random one.
  int64_t index = TryStrToInt(Form2->Edit1.Text(), number) ? static_cast<int64_t>(number) - 1 : 0;
  const int32_t count = List().Count();
  if (index < 0 || index > count - 1) index = RandomBelow(count);
  CurrentIndex = static_cast<int32_t>(index);
  LoadFromFile();
}

}  // namespace zeb::app
