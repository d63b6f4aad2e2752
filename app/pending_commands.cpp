// PENDING: operations of the key commands, navigation, list files, drops, slide show, wallpaper and
// the side windows' handlers. Each is declared with the main window (or its side window) and is filled
// in by the issue that brings it; this file goes away then. The bodies here do nothing, so the viewer
// builds and runs with the core alone.
#include "app/dialogs/jump_dialog.h"
#include "app/dialogs/list_window.h"
#include "app/form1.h"

namespace zeb::app {

// Key commands and the list walk.
void TForm1::ShowFirst() {}
void TForm1::ShowLast() {}
void TForm1::StepForward(int32_t) {}
void TForm1::StepBackward(int32_t) {}
void TForm1::ShowRandom() {}
void TForm1::SetMark() {}
void TForm1::GoToMark() {}
void TForm1::SwapWithMark() {}
void TForm1::JumpToNumber() {}
void TForm1::AskBoxWidth() {}
void TForm1::AskBoxHeight() {}

// Folder and series navigation.
void TForm1::NextFolder() {}
void TForm1::PreviousFolder() {}
void TForm1::NextSeries() {}
void TForm1::PreviousSeries() {}
void TForm1::RemoveSeries() {}
int32_t TForm1::FindSeriesStart() { return -1; }
bool TForm1::SameSeries(const std::string&, const std::string&) { return false; }

// List files and dropped files.
void TForm1::OpenList() {}
void TForm1::SaveList() {}
void TForm1::FormDropFiles(const std::vector<std::string>&, ui::TShiftState) {}

// Slide show and the List window.
void TForm1::Timer1Timer() {}
void TForm1::AskInterval() {}
void TForm1::ToggleListWindow() {}

// Wallpaper: stays empty until the wallpaper issue.
void TForm1::SetWallpaper() {}

// The Jump dialog.
TForm2::TForm2() : TForm(ui::TBorderStyle::bsDialog, "Jump", 115, 39), Edit1(*this, 8, 8, 89, 20) {
  Edit1.SetText("0");
}
TForm2::~TForm2() = default;
void TForm2::FormShow() {}
void TForm2::Edit1KeyPress(char32_t&) {}

// The List window's handlers.
void TForm3::ListBox1Click() {}
void TForm3::ListBox1KeyDown(uint16_t&, ui::TShiftState) {}
void TForm3::FormMoved() {}

}  // namespace zeb::app
