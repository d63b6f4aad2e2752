// The Jump dialog: one small modal dialog with one edit box that asks every number the viewer needs
// (the picture to jump to, the slide interval, the fixed box width and height). The caller sets the
// caption to say which; the dialog presets the edit box with the current value for that caption.
#pragma once

#include <cstdint>

#include "platform/ui/forms.h"

namespace zeb::app {

class TForm2 : public ui::TForm {
 public:
  // Caption "Jump", client area 115 x 39, a dialog frame; hidden.
  TForm2();
  ~TForm2() override;

  // Presets Edit1 for the caption ("Jump", "Interval", "Width", "Height"), selects it all and focuses it.
  void FormShow();
  // Enter ends with OK, Escape with Cancel; only backspace, "." and digits are typed.
  void Edit1KeyPress(char32_t& key);

  ui::TEdit Edit1;
};

}  // namespace zeb::app
