#include "app/dialogs/jump_dialog.h"

#include "app/dialogs/dialog_font.h"
#include "app/form1.h"

namespace zeb::app {

TForm2::TForm2() : TForm(ui::TBorderStyle::bsDialog, "Jump", 115, 39), Edit1(*this, 8, 8, 89, 20) {
  SetFont(DialogFont());
  Edit1.SetText("0");
  OnShow = [this] { FormShow(); };
  Edit1.OnKeyPress = [this](char32_t& key) { Edit1KeyPress(key); };
}

TForm2::~TForm2() = default;

void TForm2::FormShow() {
  // The caption says which number is asked; any other caption keeps the text of the last use.
  const std::string caption = Caption();
  if (Form1) {
    if (caption == "Jump")
      Edit1.SetText(std::to_string(static_cast<int64_t>(Form1->CurrentIndex) + 1));
    else if (caption == "Interval")
      Edit1.SetText(std::to_string(Form1->Timer1.Interval()));
    else if (caption == "Width")
      Edit1.SetText(std::to_string(Form1->Image1.Width()));
    else if (caption == "Height")
      Edit1.SetText(std::to_string(Form1->Image1.Height()));
  }
  // All selected, so typing replaces it.
  Edit1.Select(0, static_cast<int32_t>(Edit1.Text().size()));
  Edit1.SetFocus();
}

void TForm2::Edit1KeyPress(char32_t& key) {
  if (key == U'\r') SetModalResult(ui::TModalResult::mrOk);
  if (key == 0x1B) SetModalResult(ui::TModalResult::mrCancel);
  // Only digits, "." and backspace are typed; Enter, Escape, letters, signs and the control characters
  // of keyboard pasting go no further.
  if (key == 0x08 || key == U'.' || (key >= U'0' && key <= U'9')) return;
  key = 0;
}

}  // namespace zeb::app
