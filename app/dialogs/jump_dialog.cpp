#include "app/dialogs/jump_dialog.h"

#include "app/dialogs/dialog_font.h"

namespace zeb::app {

namespace {

const char* CaptionOf(NumberQuestion question) {
  switch (question) {
    case NumberQuestion::Jump:
      return "Jump";
    case NumberQuestion::Interval:
      return "Interval";
    case NumberQuestion::Width:
      return "Width";
    case NumberQuestion::Height:
      return "Height";
  }
  return "Jump";
}

}  // namespace

JumpDialog::JumpDialog()
    : Window(ui::BorderStyle::Dialog, "Jump", DialogPixels(115), DialogPixels(39)),
      numberEdit(*this, DialogPixels(8), DialogPixels(8), DialogPixels(89), DialogPixels(20)) {
  UseDialogFont(*this);
  numberEdit.SetText("0");
  OnShow = [this] { OnShown(); };
  numberEdit.OnKeyPress = [this](char32_t& key) { OnEditKeyPress(key); };
}

JumpDialog::~JumpDialog() = default;

bool JumpDialog::Ask(NumberQuestion question, const std::string& preset, std::string& answer) {
  SetCaption(CaptionOf(question));
  numberEdit.SetText(preset);
  if (ShowModal() != ui::DialogResult::Ok) return false;
  answer = numberEdit.Text();
  return true;
}

void JumpDialog::OnShown() {
  numberEdit.Select(0, static_cast<int32_t>(numberEdit.Text().size()));
  numberEdit.SetFocus();
}

void JumpDialog::OnEditKeyPress(char32_t& key) {
  if (key == U'\r') SetModalResult(ui::DialogResult::Ok);
  if (key == 0x1B) SetModalResult(ui::DialogResult::Cancel);
  // Only digits, "." and backspace are typed; Enter, Escape, letters, signs and the control characters
  // of keyboard pasting go no further.
  if (key == 0x08 || key == U'.' || (key >= U'0' && key <= U'9')) return;
  key = 0;
}

}  // namespace zeb::app
