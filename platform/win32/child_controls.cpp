// The controls on a form: window timers, the list box and the edit box. The list box is a virtual
// list-view control: it holds no text, asks the form for the rows it shows (LVN_GETDISPINFO), and so
// answers any program that asks it for an entry's text (a screen reader, say) as quickly on 100,000
// entries as on ten. Its rows are drawn here, the long paths shortened in their middle.
#include <algorithm>

#include "platform/core/errors.h"
#include "platform/win32/system_function.h"
#include "platform/win32/utf16.h"
#include "platform/win32/window_layer.h"

namespace zeb {

using ui::App;
using ui::EditBox;
using ui::ListBox;
using ui::Window;

namespace {

// Child controls are subclassed: their object sits in GWLP_USERDATA.
template <typename Impl>
Impl* ImplOf(HWND hwnd) {
  return reinterpret_cast<Impl*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
}

HWND CreateChild(Window& owner, const wchar_t* cls, DWORD style, int left, int top, int width, int height) {
  Window::Impl& form = owner.impl();
  HWND hwnd = CreateWindowExW(WS_EX_CLIENTEDGE, cls, L"", WS_CHILD | WS_VISIBLE | WS_TABSTOP | style, left,
                              top, width, height, form.hwnd, nullptr, win32::Instance(), nullptr);
  if (!hwnd) throw OutOfResources("Cannot create a control");
  if (form.font) SendMessageW(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(form.font), FALSE);
  if (!form.focusChild) form.focusChild = hwnd;
  return hwnd;
}

template <typename Impl>
void Subclass(Impl& im, WNDPROC proc) {
  SetWindowLongPtrW(im.hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&im));
  im.baseProc =
      reinterpret_cast<WNDPROC>(SetWindowLongPtrW(im.hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(proc)));
}

template <typename Impl>
void DestroyChild(Impl& im) {
  if (!im.hwnd) return;
  SetWindowLongPtrW(im.hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(im.baseProc));
  SetWindowLongPtrW(im.hwnd, GWLP_USERDATA, 0);
  Window::Impl& form = im.owner->impl();
  if (form.focusChild == im.hwnd) form.focusChild = nullptr;
  DestroyWindow(im.hwnd);
}

// Alt+letter in a control: no beep; Alt+Space goes to the form (its system menu).
LRESULT SysChar(HWND hwnd, WPARAM wp, LPARAM lp) {
  if (wp == L' ') return SendMessageW(GetParent(hwnd), WM_SYSCHAR, wp, lp);
  return 0;
}

// The list-view's class comes with the common controls' library, loaded when the first list is made.
bool ListViewClassReady() {
  static const bool ready = [] {
    auto init =
        win32::SystemFunction<decltype(&InitCommonControlsEx)>(L"comctl32.dll", "InitCommonControlsEx");
    INITCOMMONCONTROLSEX classes{sizeof classes, ICC_LISTVIEW_CLASSES};
    return init && init(&classes);
  }();
  return ready;
}

// The one column is as wide as the control's client area, so no row scrolls sideways.
void FitColumn(HWND hwnd) {
  RECT client;
  GetClientRect(hwnd, &client);
  if (SendMessageW(hwnd, LVM_GETCOLUMNWIDTH, 0, 0) != client.right)
    SendMessageW(hwnd, LVM_SETCOLUMNWIDTH, 0, client.right);
}

// Selects Index alone (none for -1) as the program's choice: no click is told.
void SelectOnly(ListBox::Impl& im, int32_t index) {
  im.selecting = true;
  LVITEMW state{};
  state.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
  // Only the one selected row is cleared: clearing "all" visits every row of the list.
  if (im.selected >= 0 && im.selected != index)
    SendMessageW(im.hwnd, LVM_SETITEMSTATE, im.selected, reinterpret_cast<LPARAM>(&state));
  if (index >= 0) {
    state.state = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageW(im.hwnd, LVM_SETITEMSTATE, index, reinterpret_cast<LPARAM>(&state));
    SendMessageW(im.hwnd, LVM_ENSUREVISIBLE, index, FALSE);
  }
  im.selected = index;
  im.selecting = false;
}

LRESULT CALLBACK ListBoxProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  auto* im = ImplOf<ListBox::Impl>(hwnd);
  if (!im) return DefWindowProcW(hwnd, msg, wp, lp);
  try {
    if (msg == WM_CHAR) {
      return 0;  // no search by typed letters: the list has no texts of its own to search
    } else if (msg == WM_LBUTTONDOWN || msg == WM_LBUTTONDBLCLK || msg == WM_RBUTTONDOWN) {
      // A click below the last row keeps the selection, and the right button selects nothing.
      LVHITTESTINFO hit{};
      hit.pt = {static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp))};
      if (msg == WM_RBUTTONDOWN || SendMessageW(hwnd, LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)) < 0) {
        ::SetFocus(hwnd);
        return 0;
      }
    } else if (msg == WM_SIZE) {
      LRESULT result = CallWindowProcW(im->baseProc, hwnd, msg, wp, lp);
      FitColumn(hwnd);
      return result;
    } else if (msg == WM_KEYDOWN || msg == WM_SYSKEYDOWN) {
      uint16_t key = static_cast<uint16_t>(wp);
      if (auto handler = im->box->OnKeyDown) {
        ui::ModifierKeys shift = win32::ShiftState();
        App().Guard([&] { handler(key, shift); });
      }
      if (key == 0) return 0;
      wp = key;
    } else if (msg == WM_SYSCHAR) {
      return SysChar(hwnd, wp, lp);
    } else if (msg == WM_SETFOCUS) {
      im->owner->impl().focusChild = hwnd;
    }
  } catch (...) {
  }
  return CallWindowProcW(im->baseProc, hwnd, msg, wp, lp);
}

// Hands one UTF-16 character (one unit or a surrogate pair) to the edit control.
LRESULT PassChar(EditBox::Impl& im, char32_t ch, LPARAM lp) {
  if (ch < 0x10000) return CallWindowProcW(im.baseProc, im.hwnd, WM_CHAR, ch, lp);
  ch -= 0x10000;
  CallWindowProcW(im.baseProc, im.hwnd, WM_CHAR, 0xD800 + (ch >> 10), lp);
  return CallWindowProcW(im.baseProc, im.hwnd, WM_CHAR, 0xDC00 + (ch & 0x3FF), lp);
}

LRESULT CALLBACK EditProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  auto* im = ImplOf<EditBox::Impl>(hwnd);
  if (!im) return DefWindowProcW(hwnd, msg, wp, lp);
  try {
    if (msg == WM_CHAR) {
      char32_t ch = static_cast<char32_t>(wp & 0xFFFF);
      if (ch >= 0xD800 && ch <= 0xDBFF) {  // the first half of a pair: wait for the second
        im->pendingHighSurrogate = static_cast<wchar_t>(ch);
        return 0;
      }
      if (ch >= 0xDC00 && ch <= 0xDFFF && im->pendingHighSurrogate)
        ch = 0x10000 + ((static_cast<char32_t>(im->pendingHighSurrogate) - 0xD800) << 10) + (ch - 0xDC00);
      im->pendingHighSurrogate = 0;
      if (auto handler = im->edit->OnKeyPress) App().Guard([&] { handler(ch); });
      if (ch == 0) return 0;
      return PassChar(*im, ch, lp);
    }
    if (msg == WM_SYSCHAR) return SysChar(hwnd, wp, lp);
    if (msg == WM_SETFOCUS) im->owner->impl().focusChild = hwnd;
  } catch (...) {
  }
  return CallWindowProcW(im->baseProc, hwnd, msg, wp, lp);
}

std::wstring WindowText(HWND hwnd) {
  int n = GetWindowTextLengthW(hwnd);
  std::wstring text(n + 1, L'\0');
  n = GetWindowTextW(hwnd, text.data(), n + 1);
  text.resize(n > 0 ? n : 0);
  return text;
}

}  // namespace

namespace ui {

// Timers: ids unique in the process, dispatched by the owner form's WM_TIMER.
Timer::Timer(Window& owner) : owner_(owner) {
  static uintptr_t nextId = 1;
  id_ = nextId++;
  owner_.impl().timers[id_] = this;
}

Timer::~Timer() {
  KillTimer(owner_.impl().hwnd, id_);
  owner_.impl().timers.erase(id_);
}

void Timer::Restart() {
  HWND hwnd = owner_.impl().hwnd;
  KillTimer(hwnd, id_);
  if (enabled_ && interval_ > 0) SetTimer(hwnd, id_, interval_, nullptr);
}

ListBox::ListBox(Window& owner) : impl_(std::make_unique<Impl>()) {
  Impl& im = *impl_;
  im.box = this;
  im.owner = &owner;
  if (!ListViewClassReady()) throw OutOfResources("Cannot load the common controls");
  RECT client;
  GetClientRect(owner.impl().hwnd, &client);
  im.hwnd = CreateChild(owner, WC_LISTVIEWW,
                        WS_VSCROLL | LVS_REPORT | LVS_OWNERDATA | LVS_OWNERDRAWFIXED | LVS_SINGLESEL |
                            LVS_SHOWSELALWAYS | LVS_NOCOLUMNHEADER | LVS_NOSORTHEADER,
                        0, 0, client.right, client.bottom);
  LVCOLUMNW column{};
  column.mask = LVCF_WIDTH;
  SendMessageW(im.hwnd, LVM_INSERTCOLUMNW, 0, reinterpret_cast<LPARAM>(&column));
  FitColumn(im.hwnd);
  Subclass(im, ListBoxProc);
  owner.impl().listBoxes.push_back(this);
}

ListBox::~ListBox() {
  auto& boxes = impl_->owner->impl().listBoxes;
  boxes.erase(std::remove(boxes.begin(), boxes.end(), this), boxes.end());
  DestroyChild(*impl_);
}

void ListBox::SetItemSource(std::function<std::string(int32_t)> source) {
  impl_->source = std::move(source);
  InvalidateRect(impl_->hwnd, nullptr, TRUE);
}

void ListBox::SetCount(int32_t count) {
  Impl& im = *impl_;
  HWND hwnd = im.hwnd;
  const LRESULT top = SendMessageW(hwnd, LVM_GETTOPINDEX, 0, 0);
  count = count < 0 ? 0 : count;
  // A new count keeps the selection and the scroll position where they still exist.
  im.selecting = true;
  SendMessageW(hwnd, LVM_SETITEMCOUNT, count, LVSICF_NOSCROLL);
  if (im.selected >= count) im.selected = -1;
  if (im.selected >= 0) {
    LVITEMW state{};
    state.state = state.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageW(hwnd, LVM_SETITEMSTATE, im.selected, reinterpret_cast<LPARAM>(&state));
  }
  im.selecting = false;
  const LRESULT nowTop = SendMessageW(hwnd, LVM_GETTOPINDEX, 0, 0);
  if (top > 0 && top < count && nowTop != top) {
    RECT row{LVIR_BOUNDS, 0, 0, 0};
    SendMessageW(hwnd, LVM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&row));
    SendMessageW(hwnd, LVM_SCROLL, 0, (top - nowTop) * (row.bottom - row.top));
  }
  InvalidateRect(hwnd, nullptr, TRUE);
}

int32_t ListBox::Count() const {
  LRESULT n = SendMessageW(impl_->hwnd, LVM_GETITEMCOUNT, 0, 0);
  return n < 0 ? 0 : static_cast<int32_t>(n);
}

int32_t ListBox::ItemIndex() const { return impl_->selected < Count() ? impl_->selected : -1; }

void ListBox::SetItemIndex(int32_t index) { SelectOnly(*impl_, index >= 0 && index < Count() ? index : -1); }

void ListBox::SetFocus() {
  impl_->owner->impl().focusChild = impl_->hwnd;
  if (IsWindowVisible(impl_->hwnd)) ::SetFocus(impl_->hwnd);
}

EditBox::EditBox(Window& owner, int32_t left, int32_t top, int32_t width, int32_t height)
    : impl_(std::make_unique<Impl>()) {
  Impl& im = *impl_;
  im.edit = this;
  im.owner = &owner;
  im.hwnd = CreateChild(owner, L"EDIT", ES_AUTOHSCROLL, left, top, width, height);
  Subclass(im, EditProc);
  owner.impl().edits.push_back(this);
}

EditBox::~EditBox() {
  auto& edits = impl_->owner->impl().edits;
  edits.erase(std::remove(edits.begin(), edits.end(), this), edits.end());
  DestroyChild(*impl_);
}

std::string EditBox::Text() const { return win32::Narrow(WindowText(impl_->hwnd)); }

void EditBox::SetText(const std::string& text) { SetWindowTextW(impl_->hwnd, win32::Widen(text).c_str()); }

// Offsets are in bytes of the UTF-8 text; the control counts UTF-16 units.
void EditBox::Select(int32_t start, int32_t length) {
  std::string text = Text();
  size_t from = win32::Utf16Offset(text, start < 0 ? 0 : start);
  size_t to = win32::Utf16Offset(text, start < 0 || length < 0 ? 0 : static_cast<size_t>(start) + length);
  SendMessageW(impl_->hwnd, EM_SETSEL, from, std::max(from, to));
}

int32_t EditBox::SelStart() const {
  DWORD from = 0, to = 0;
  SendMessageW(impl_->hwnd, EM_GETSEL, reinterpret_cast<WPARAM>(&from), reinterpret_cast<LPARAM>(&to));
  return static_cast<int32_t>(win32::Utf8Offset(WindowText(impl_->hwnd), from));
}

int32_t EditBox::SelLength() const {
  DWORD from = 0, to = 0;
  SendMessageW(impl_->hwnd, EM_GETSEL, reinterpret_cast<WPARAM>(&from), reinterpret_cast<LPARAM>(&to));
  std::wstring text = WindowText(impl_->hwnd);
  return static_cast<int32_t>(win32::Utf8Offset(text, to) - win32::Utf8Offset(text, from));
}

void EditBox::SetFocus() {
  impl_->owner->impl().focusChild = impl_->hwnd;
  if (IsWindowVisible(impl_->hwnd)) ::SetFocus(impl_->hwnd);
}

}  // namespace ui

namespace {

// The source is the image list itself; a failing read gives an empty line rather than a message box
// per painted item.
std::wstring ItemText(ListBox::Impl& box, int32_t index) {
  if (!box.source) return {};
  try {
    return win32::Widen(box.source(index));
  } catch (...) {
    return {};
  }
}

}  // namespace

LRESULT win32::ListNotification(ui::ListBox::Impl& box, const NMHDR& header) {
  switch (header.code) {
    case LVN_GETDISPINFOW: {
      LVITEMW& item = const_cast<NMLVDISPINFOW&>(reinterpret_cast<const NMLVDISPINFOW&>(header)).item;
      if ((item.mask & LVIF_TEXT) && item.pszText && item.cchTextMax > 0) {
        box.text = ItemText(box, item.iItem);
        lstrcpynW(item.pszText, box.text.c_str(), item.cchTextMax);
      }
      return 0;
    }
    case LVN_ITEMCHANGED: {
      // The user's choice of another row is a click.
      const auto& change = reinterpret_cast<const NMLISTVIEW&>(header);
      const bool was = change.uOldState & LVIS_SELECTED, is = change.uNewState & LVIS_SELECTED;
      if (!(change.uChanged & LVIF_STATE) || was == is) return 0;
      if (is && change.iItem >= 0) {
        box.selected = change.iItem;
        if (auto handler = box.box->OnClick; handler && !box.selecting) App().Guard([&] { handler(); });
      } else if (!is && (change.iItem < 0 || change.iItem == box.selected)) {
        box.selected = -1;
      }
      return 0;
    }
    case LVN_ODFINDITEMW:
      return -1;
    default:
      return 0;
  }
}

void win32::DrawListItem(ui::ListBox::Impl& box, const DRAWITEMSTRUCT& item) {
  HDC dc = item.hDC;
  RECT r = item.rcItem;
  if (item.itemID == static_cast<UINT>(-1)) {  // an empty list with the focus
    if (item.itemState & ODS_FOCUS) DrawFocusRect(dc, &r);
    return;
  }
  bool selected = item.itemState & ODS_SELECTED;
  FillRect(dc, &r, GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
  std::wstring wide = ItemText(box, static_cast<int32_t>(item.itemID));
  HFONT font = box.owner->impl().font;
  HGDIOBJ oldFont = font ? SelectObject(dc, font) : nullptr;
  int oldMode = SetBkMode(dc, TRANSPARENT);
  COLORREF oldColor = SetTextColor(dc, GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
  RECT textRect = r;
  textRect.left += 2;
  DrawTextW(dc, wide.c_str(), static_cast<int>(wide.size()), &textRect,
            DT_SINGLELINE | DT_NOPREFIX | DT_VCENTER | DT_PATH_ELLIPSIS);
  SetTextColor(dc, oldColor);
  SetBkMode(dc, oldMode);
  if (oldFont) SelectObject(dc, oldFont);
  if (item.itemState & ODS_FOCUS) DrawFocusRect(dc, &r);
}

}  // namespace zeb
