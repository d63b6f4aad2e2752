// The List window: shows the image list beside the main window. Its list box shows the model (it holds
// no copy); the window docks to the main window's right edge and follows it while docked.
#pragma once

#include <cstdint>
#include <functional>

#include "app/model/viewer_model.h"
#include "platform/ui/forms.h"

namespace zeb::app {

class ListWindow : public ui::Window {
 public:
  // Caption "List", outer size 300 x 400, sizeable; hidden; docked.
  explicit ListWindow(ViewerModel& model);
  ~ListWindow() override;

  // The window it docks to (null: none), what runs a key pressed in the list and what shows the entry
  // clicked.
  void Attach(ui::Window* dockTo, std::function<void(uint16_t& key, ui::ModifierKeys shift)> onKey,
              std::function<void(int32_t index)> onShowEntry) {
    main_ = dockTo;
    onKey_ = std::move(onKey);
    onShowEntry_ = std::move(onShowEntry);
  }
  bool Attached() const { return main_ != nullptr; }

  // Shows the entry selected in the list box.
  void OnEntryClicked();
  // Every key goes to the key handler of the window it docks to.
  void OnListKey(uint16_t& key, ui::ModifierKeys shift);
  // Docks the window when it has been moved to within 10 pixels of the docking spot, else undocks it.
  void OnMoved();
  // Puts the window at the docking spot: its top-left corner at the main window's top-right corner.
  void MoveToDock();

  ui::ListBox entryList;
  bool docked = true;

 private:
  ViewerModel& model_;
  ui::Window* main_ = nullptr;
  std::function<void(uint16_t& key, ui::ModifierKeys shift)> onKey_;
  std::function<void(int32_t index)> onShowEntry_;
};

}  // namespace zeb::app
