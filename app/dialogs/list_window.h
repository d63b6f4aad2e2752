// The List window: shows the image list beside the main window. Its list box shows the model; the
// window docks to the main window's right edge.
#pragma once

#include <cstdint>

#include "app/image_list.h"
#include "platform/ui/forms.h"

namespace zeb::app {

class TForm3 : public ui::TForm {
 public:
  // Caption "List", outer size 300 x 400, sizeable; hidden.
  TForm3();
  ~TForm3() override;

  void FormCreate();
  // Shows the entry selected in the list box.
  void ListBox1Click();
  // Every key goes to the main window's key handler.
  void ListBox1KeyDown(uint16_t& key, ui::TShiftState shift);
  // Docks the window when it has been moved to within 10 pixels of the docking spot, else undocks it.
  void FormMoved();

  // The image list itself; ListBox1 shows it.
  TImageList Images;
  ui::TListBox ListBox1;
  // The window's top-left corner follows the main window's top-right corner.
  bool ListDocked = false;
};

}  // namespace zeb::app
