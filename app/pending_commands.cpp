// PENDING: operations whose issues have not come yet. The bodies do nothing, so the viewer builds and
// runs without them; each moves to its own file when its issue brings it.
#include "app/dialogs/list_window.h"
#include "app/form1.h"

namespace zeb::app {

// Dropped files.
void TForm1::FormDropFiles(const std::vector<std::string>&, ui::TShiftState) {}

// V: does nothing until the List window issue.
void TForm1::ToggleListWindow() {}

// Wallpaper mode already switches and shows in the title; making the wallpaper waits for its issue.
void TForm1::SetWallpaper() {}

// The List window's handlers.
void TForm3::ListBox1Click() {}
void TForm3::ListBox1KeyDown(uint16_t&, ui::TShiftState) {}
void TForm3::FormMoved() {}

}  // namespace zeb::app
