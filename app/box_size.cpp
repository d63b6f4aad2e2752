// The fixed box's width and height, asked in the Jump dialog. 0 turns the fixed dimension off and keeps
// the old size for the next Shift+F; text that is no number fixes it at the old size.
#include "app/dialogs/jump_dialog.h"
#include "app/form1.h"
#include "platform/core/strings.h"

namespace zeb::app {

namespace {

void AskBoxSide(TForm1& form, const char* caption, int32_t& boxSize, bool& fixed) {
  Form2->SetCaption(caption);
  const int32_t old = boxSize;
  if (Form2->ShowModal() != ui::TModalResult::mrOk) return;
  int32_t number;
  if (TryStrToInt(Form2->Edit1.Text(), number)) boxSize = number;
  if (boxSize < 1) {
    boxSize = old;
    fixed = false;
  } else {
    fixed = true;
  }
  form.AdjustFormSize();
}

}  // namespace

void TForm1::AskBoxWidth() { AskBoxSide(*this, "Width", BoxWidth, FixedWidth); }

void TForm1::AskBoxHeight() { AskBoxSide(*this, "Height", BoxHeight, FixedHeight); }

}  // namespace zeb::app
