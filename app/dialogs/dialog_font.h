// The look of the viewer's dialogs (the Jump dialog, the List window and the key help): the system's
// message font, so that Japanese, Latin and other names all render, and sizes that follow the screen's
// scaling so they stay readable.
#pragma once

#include "platform/ui/forms.h"

namespace zeb::app {

// Gives FORM the message font for the screen it is on, now and whenever it moves to another scaling.
inline void UseDialogFont(ui::Window& form) {
  form.SetFont(ui::SystemMessageFont(form.Dpi()));
  form.OnDpiChanged = [&form] { form.SetFont(ui::SystemMessageFont(form.Dpi())); };
}

// A dialog's length, designed in pixels at 96 DPI, on the primary screen.
inline int32_t DialogPixels(int32_t pixels) { return ui::ScaleToDpi(pixels, ui::SystemDpi()); }

}  // namespace zeb::app
