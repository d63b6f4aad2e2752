// The List window: shows the image list beside the main window. Its list box shows the model (it holds
// no copy); the window docks to the main window's right edge and follows it while docked.
#pragma once

#include <cstdint>

#include "app/model/viewer_model.h"
#include "platform/ui/forms.h"

namespace zeb::app {

class MainWindow;

class ListWindow : public ui::Window {
 public:
  // Caption "List", outer size 300 x 400, sizeable; hidden; docked.
  explicit ListWindow(ViewerModel& model);
  ~ListWindow() override;

  // The main window it docks to and hands its keys and clicks to.
  void Attach(MainWindow* mainWindow) { main_ = mainWindow; }

  // Shows the entry selected in the list box.
  void OnEntryClicked();
  // Every key goes to the main window's key handler.
  void OnListKey(uint16_t& key, ui::ModifierKeys shift);
  // Docks the window when it has been moved to within 10 pixels of the docking spot, else undocks it.
  void OnMoved();
  // Puts the window at the docking spot: its top-left corner at the main window's top-right corner.
  void MoveToDock();

  ui::ListBox entryList;
  bool docked = true;

 private:
  ViewerModel& model_;
  MainWindow* main_ = nullptr;
};

}  // namespace zeb::app
