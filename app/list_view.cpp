// The List window's commands: V shows and hides it, a click shows the entry, its keys go to the main
// window, and it docks to the main window's right edge.
#include <cstdlib>

#include "app/dialogs/list_window.h"
#include "app/form1.h"

namespace zeb::app {

namespace {

// How close (in screen pixels, in both directions) a moved List window must come to the docking spot
// to snap to it.
constexpr int32_t kDockDistance = 10;

}  // namespace

void TForm1::ToggleListWindow() {
  if (!Form3) return;
  if (Form3->Visible()) {
    Form3->Hide();
    return;
  }
  if (List().Count() == 0) return;
  Form3->ListBox1.SetItemIndex(CurrentIndex);
  if (Form3->ListDocked) Form3->SetBounds(Left() + Width(), Top(), Form3->Width(), Form3->Height());
  Form3->Show();
}

void TForm3::ListBox1Click() {
  // A single-selection box: its one selected entry is the first.
  const int32_t selected = ListBox1.ItemIndex();
  if (selected < 0 || selected >= Images.Count() || !Form1) return;
  Form1->CurrentIndex = selected;
  Form1->LoadFromFile();
}

void TForm3::ListBox1KeyDown(uint16_t& key, ui::TShiftState shift) {
  if (Form1) {
    Form1->FormKeyDown(key, shift);
    // The main window is activated first: focusing a window of another top-level window does not
    // reliably activate it everywhere (Wine leaves the List window active).
    if (Form1->Visible()) {
      Form1->BringToFront();
      Form1->SetFocus();
    }
  }
  // The list box never acts on a key itself: the arrows move the main window, not the selection.
  key = 0;
}

void TForm3::FormMoved() {
  if (!Form1) return;
  const int32_t spotLeft = Form1->Left() + Form1->Width();
  const int32_t spotTop = Form1->Top();
  if (std::abs(Form1->Top() - Top()) < kDockDistance && std::abs(spotLeft - Left()) < kDockDistance) {
    ListDocked = true;
    // Moving onto the spot runs this handler once more, which then finds the window exactly there.
    if (Left() != spotLeft || Top() != spotTop) SetBounds(spotLeft, spotTop, Width(), Height());
  } else {
    ListDocked = false;
  }
}

}  // namespace zeb::app
