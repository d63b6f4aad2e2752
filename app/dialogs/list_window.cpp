#include "app/dialogs/list_window.h"

#include <cstdlib>

#include "app/dialogs/dialog_font.h"

namespace zeb::app {

namespace {

// How close (in screen pixels, in both directions) a moved List window must come to the docking spot
// to snap to it.
constexpr int32_t kDockDistance = 10;

}  // namespace

ListWindow::ListWindow(ViewerModel& model)
    : Window(ui::BorderStyle::Sizeable, "List", DialogPixels(292), DialogPixels(373)),
      entryList(*this),
      model_(model) {
  SetBounds(Left(), Top(), DialogPixels(300), DialogPixels(400));
  UseDialogFont(*this);
  // The list box shows the model: it asks for the entries it draws and is told when they change.
  entryList.SetItemSource([this](int32_t index) {
    return index >= 0 && index < model_.list.Count() ? model_.list.Entry(index) : std::string();
  });
  // A window made after the list was built starts with its entries.
  entryList.SetCount(model_.list.Count());
  model_.list.OnChange = [this](int32_t count) { entryList.SetCount(count); };
  entryList.OnClick = [this] { OnEntryClicked(); };
  entryList.OnKeyDown = [this](uint16_t& key, ui::ModifierKeys shift) { OnListKey(key, shift); };
  OnMove = [this] { OnMoved(); };
}

ListWindow::~ListWindow() { model_.list.OnChange = nullptr; }

void ListWindow::OnEntryClicked() {
  // A single-selection box: its one selected entry is the first.
  const int32_t selected = entryList.ItemIndex();
  if (selected < 0 || selected >= model_.list.Count() || !onShowEntry_) return;
  onShowEntry_(selected);
}

void ListWindow::OnListKey(uint16_t& key, ui::ModifierKeys shift) {
  if (main_ && onKey_) {
    onKey_(key, shift);
    // The main window is activated first: focusing a window of another top-level window does not
    // reliably activate it everywhere (Wine leaves the List window active).
    if (main_->Visible()) {
      main_->BringToFront();
      main_->SetFocus();
    }
  }
  // The list box never acts on a key itself: the arrows move the main window, not the selection.
  key = 0;
}

void ListWindow::MoveToDock() {
  if (main_) SetBounds(main_->Left() + main_->Width(), main_->Top(), Width(), Height());
}

void ListWindow::OnMoved() {
  if (!main_) return;
  const int32_t spotLeft = main_->Left() + main_->Width();
  const int32_t spotTop = main_->Top();
  if (std::abs(spotTop - Top()) < kDockDistance && std::abs(spotLeft - Left()) < kDockDistance) {
    docked = true;
    // Moving onto the spot runs this handler once more, which then finds the window exactly there.
    if (Left() != spotLeft || Top() != spotTop) SetBounds(spotLeft, spotTop, Width(), Height());
  } else {
    docked = false;
  }
}

}  // namespace zeb::app
