#include "app/dialogs/help_window.h"

#include "app/dialogs/dialog_font.h"
#include "app/key_table.h"

namespace zeb::app {

const std::vector<std::string>& HelpLines() {
  static const std::vector<std::string> lines = [] {
    std::vector<std::string> all = {"Keys"};
    for (std::string& line : KeyHelpLines()) all.push_back(std::move(line));
    for (const char* line : {
             "",
             "Switches (the value follows the letter without a space)",
             "  -f maximised, -D open the folder of the file given, -l loop",
             "  -t[r|n] pause the slide show while a picture loads",
             "  -wN/-hN fixed client width/height, -P[l|r|t|b|c] placement",
             "  -s[f|b|r] start a slide show, -iN slide interval in ms",
             "  -W[s|z|t|c] wallpaper mode, -H start minimised, -S enlarge small pictures",
             "  -r random start, -q quit after the first picture",
             "  -I run the plug-ins in ZEB itself, not in their host process (zeb64.exe: the *.sph only)",
         })
      all.push_back(line);
    return all;
  }();
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
