// Files and folders dropped on the main window build, extend or thin out the image list.
#include "app/form1.h"

namespace zeb::app {

// PENDING: dropped files are not handled yet.
void TForm1::FormDropFiles(const std::vector<std::string>&, ui::TShiftState) {}

}  // namespace zeb::app
