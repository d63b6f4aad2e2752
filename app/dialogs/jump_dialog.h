// The Jump dialog: one small modal dialog with one edit box that asks every number the viewer needs:
// the picture to jump to, the slide interval, the fixed box's width and height.
#pragma once

#include <cstdint>
#include <string>

#include "app/commands/viewer_context.h"
#include "platform/ui/forms.h"

namespace zeb::app {

class JumpDialog : public ui::Window {
 public:
  // Caption "Jump", client area 115 x 39, a dialog frame; hidden.
  JumpDialog();
  ~JumpDialog() override;

  // Asks the question (its caption says which), the edit box preset with Preset; true, with the text
  // typed in Answer, when the dialog ends with OK.
  bool Ask(NumberQuestion question, const std::string& preset, std::string& answer);

  // The preset all selected, so typing replaces it, and the edit box focused.
  void OnShown();
  // Enter ends with OK, Escape with Cancel; only backspace, "." and digits are typed.
  void OnEditKeyPress(char32_t& key);

  ui::EditBox numberEdit;
};

}  // namespace zeb::app
