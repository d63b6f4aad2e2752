// The key help: F1 shows a small window listing every key of the key table and every switch; Escape or
// F1 closes it again. It changes neither the image list nor the title.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/ui/forms.h"

namespace zeb::app {

// The lines the help shows.
const std::vector<std::string>& HelpLines();

class HelpWindow : public ui::Window {
 public:
  // Caption "ZEB keys", sizeable; hidden.
  HelpWindow();
  ~HelpWindow() override;

  void Toggle();
  // Escape and F1 close the window; other keys do nothing here.
  void OnHelpKey(uint16_t& key, ui::ModifierKeys shift);

  ui::ListBox lines;
  // Told when a key has closed the window (the main window takes the focus back).
  std::function<void()> OnClosed;
};

}  // namespace zeb::app
