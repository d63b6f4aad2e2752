#include "app/dialogs/list_window.h"

#include "app/dialogs/dialog_font.h"

namespace zeb::app {

TForm3::TForm3() : TForm(ui::TBorderStyle::bsSizeable, "List", 292, 373), ListBox1(*this) {
  SetBounds(Left(), Top(), 300, 400);
  SetFont(DialogFont());
  // The list box shows the model: it asks for the entries it draws and is told when they change.
  ListBox1.SetItemSource([this](int32_t index) {
    return index >= 0 && index < Images.Count() ? Images.Entry(index) : std::string();
  });
  Images.OnChange = [this](int32_t count) { ListBox1.SetCount(count); };
  ListBox1.OnClick = [this] { ListBox1Click(); };
  ListBox1.OnKeyDown = [this](uint16_t& key, ui::TShiftState shift) { ListBox1KeyDown(key, shift); };
  OnMove = [this] { FormMoved(); };
  FormCreate();
}

TForm3::~TForm3() = default;

void TForm3::FormCreate() { ListDocked = true; }

}  // namespace zeb::app
