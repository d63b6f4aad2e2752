// The Win32 window layer's own state behind the portable declarations of forms.h, and what its files
// share: the hidden application window, the form window class and painting.
#pragma once

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "platform/ui/forms.h"
#include "platform/win32/windows_api.h"

namespace zeb::ui {

struct Window::Impl {
  Window* form = nullptr;
  HWND hwnd = nullptr;
  BorderStyle style = BorderStyle::Single;
  HBRUSH background = nullptr;     // a stock or system brush: never deleted
  HFONT font = nullptr;            // for child controls: ownFont, a stock font or none (the system's)
  HFONT ownFont = nullptr;         // the font made for Font(), deleted with the form
  int32_t dpi = ui::kStandardDpi;  // of the screen the form is on
  DialogResult modalResult = DialogResult::None;
  // The state to take when shown (Show/ShowWindow would make a hidden window visible).
  ShowState pendingState = ShowState::Normal;
  // The main form's last size message was a minimise: the next restore or maximise is a restore.
  bool minimized = false;
  std::map<uintptr_t, Timer*> timers;
  std::vector<ListBox*> listBoxes;
  std::vector<EditBox*> edits;
  // The child control that gets the focus when the form is activated.
  HWND focusChild = nullptr;
  bool shownBefore = false;  // the main form's first showing is the one left inactive
  // Shown without being activated: activated once its first paint is done.
  bool activateWhenPainted = false;

  // The rendering of the picture controls, reused by every repaint until something changes.
  HDC cacheDC = nullptr;
  HBITMAP cacheBitmap = nullptr;
  HGDIOBJ cacheOldBitmap = nullptr;
  int cacheWidth = 0, cacheHeight = 0, cacheBitCount = 0;
  // What the paints since the last change of the pictures or the size have left.
  enum class Painted { Nothing, StraightOnce, Cached };
  Painted painted = Painted::Nothing;
};

struct ListBox::Impl {
  ListBox* box = nullptr;
  Window* owner = nullptr;
  HWND hwnd = nullptr;
  WNDPROC baseProc = nullptr;
  std::function<std::string(int32_t)> source;
  std::wstring text;       // the last text handed to the list-view control
  bool selecting = false;  // the selection is being set by the program, not by the user
  int32_t selected = -1;   // the selected row, kept here: the control finds it only by a search
};

struct EditBox::Impl {
  EditBox* edit = nullptr;
  Window* owner = nullptr;
  HWND hwnd = nullptr;
  WNDPROC baseProc = nullptr;
  wchar_t pendingHighSurrogate = 0;
};

}  // namespace zeb::ui

namespace zeb::win32 {

HINSTANCE Instance();
// The hidden window that owns every form after the first (the main form), so that only the main form
// has a taskbar button.
HWND ApplicationWindow();
// The modifier keys held now.
ui::ModifierKeys ShiftState();

// Shows a form with a ShowWindow command; OnShow runs when it was hidden.
void ShowForm(ui::Window& form, int command);

// Paints a form's client area: its visible picture controls through the cached rendering, or its
// background colour.
void PaintForm(ui::Window::Impl& impl, HDC dc, const RECT& area);
void ReleasePaintCache(ui::Window::Impl& impl);
// Draws one owner-drawn list item.
void DrawListItem(ui::ListBox::Impl& box, const DRAWITEMSTRUCT& item);
// A list box's notification (LVN_*) to its form; what the form's window procedure returns.
LRESULT ListNotification(ui::ListBox::Impl& box, const NMHDR& header);

// Makes the next TaskbarPosition ask the shell again (the work area or the display changed).
void ForgetTaskbarPosition();

// The DPI of the screen WINDOW is on (the system's where the system cannot tell).
int32_t WindowDpi(HWND window);
// The form was moved to a screen of DPI: takes the suggested rectangle, keeps the controls' places in
// proportion and runs the form's OnDpiChanged.
void HandleDpiChange(ui::Window& form, int32_t dpi, const RECT& suggested);

}  // namespace zeb::win32
