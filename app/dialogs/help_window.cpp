#include "app/dialogs/help_window.h"

#include "app/dialogs/dialog_font.h"

namespace zeb::app {

const std::vector<std::string>& HelpLines() {
  static const std::vector<std::string> lines = {
      "Keys",
      "  N/Space next, P/Backspace previous, A first, E last, R random",
      "  J jump to a number, M mark, G go to the mark, X swap with the mark",
      "  D remove from the list, Shift+D remove the series",
      "  Shift+N/Shift+P next/previous series, Ctrl+N/Ctrl+P next/previous folder",
      "  Ctrl+D remove the folder",
      "  S slide show, I interval, L loop, Q quit at the end",
      "  C centre, F maximise, Shift+F fixed box, W/H box width/height",
      "  arrows move the window, Ctrl+arrows hold it at an edge",
      "  Ctrl+S/Ctrl+L save/open a list, V list window, Ctrl+W wallpaper mode",
      "  Enter/Delete show the picture again, F1 this help, Escape quit",
      "",
      "Switches (the value follows the letter without a space)",
      "  -f maximised, -D open the folder of the file given, -l loop",
      "  -t[r|n] pause the slide show while a picture loads",
      "  -wN/-hN fixed client width/height, -P[l|r|t|b|c] placement",
      "  -s[f|b|r] start a slide show, -iN slide interval in ms",
      "  -W[s|z|t|c] wallpaper mode, -H start minimised, -S enlarge small pictures",
      "  -r random start, -q quit after the first picture",
  };
  return lines;
}

HelpWindow::HelpWindow()
    : Window(ui::BorderStyle::Sizeable, "ZEB keys", DialogPixels(470), DialogPixels(330)), lines(*this) {
  UseDialogFont(*this);
  lines.SetItemSource([](int32_t index) {
    const auto& all = HelpLines();
    return index >= 0 && index < static_cast<int32_t>(all.size()) ? all[static_cast<size_t>(index)]
                                                                  : std::string();
  });
  lines.SetCount(static_cast<int32_t>(HelpLines().size()));
  lines.OnKeyDown = [this](uint16_t& key, ui::ModifierKeys shift) { OnHelpKey(key, shift); };
  OnKeyDown = [this](uint16_t& key, ui::ModifierKeys shift) { OnHelpKey(key, shift); };
}

HelpWindow::~HelpWindow() = default;

void HelpWindow::Toggle() {
  if (Visible()) {
    Hide();
    return;
  }
  Show();
  lines.SetFocus();
}

void HelpWindow::OnHelpKey(uint16_t& key, ui::ModifierKeys) {
  if (key == ui::VK_ESCAPE_ || key == ui::VK_F1_) {
    Hide();
    if (OnClosed) OnClosed();
  }
  key = 0;
}

}  // namespace zeb::app
