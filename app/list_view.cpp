// The List window's commands: V shows and hides it, a click shows the entry, its keys go to the main
// window, and it docks to the main window's right edge.
#include "app/dialogs/list_window.h"
#include "app/form1.h"

namespace zeb::app {

// PENDING: the List window's behaviour is not built yet.
void TForm1::ToggleListWindow() {}
void TForm3::ListBox1Click() {}
void TForm3::ListBox1KeyDown(uint16_t&, ui::TShiftState) {}
void TForm3::FormMoved() {}

}  // namespace zeb::app
