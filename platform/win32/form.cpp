// Forms: top-level windows, their messages, showing, the modal loop and dropped files.
#include <cwchar>
#include <vector>

#include "platform/core/errors.h"
#include "platform/win32/system_function.h"
#include "platform/win32/utf16.h"
#include "platform/win32/window_layer.h"

namespace zeb {

using ui::App;
using ui::DialogResult;
using ui::ShowState;
using ui::Window;

namespace {

const wchar_t kFormClass[] = L"ZEBForm";

LRESULT CALLBACK FormProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);

// The class gets its icons once the first form has shown (see GiveFormsTheirIcons): reading them and
// handing them to the window system cost Wine some 5 ms before the first window could show.
void RegisterFormClass() {
  static const bool registered = [] {
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = FormProc;
    wc.hInstance = win32::Instance();
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = kFormClass;
    return RegisterClassExW(&wc) != 0;
  }();
  (void)registered;
}

// The timer that comes once a showing is on the screen: it gives the forms their icons once the first
// of them has shown, and activates a main form shown inactive. ui::Timer's ids count up from 1.
constexpr UINT_PTR kAfterShowingTimer = ~UINT_PTR(0);
bool iconsGiven = false;

HICON ProgramIcon(int sizeMetric) {
  const int size = GetSystemMetrics(sizeMetric);
  // The program's own icon (resource 1); a program without one (the tests) takes the system's.
  if (auto icon = static_cast<HICON>(
          LoadImageW(win32::Instance(), MAKEINTRESOURCEW(1), IMAGE_ICON, size, size, LR_SHARED)))
    return icon;
  return static_cast<HICON>(
      LoadImageW(nullptr, MAKEINTRESOURCEW(32512) /* IDI_APPLICATION */, IMAGE_ICON, size, size, LR_SHARED));
}

BOOL CALLBACK GiveIcons(HWND window, LPARAM) {
  wchar_t name[16];
  if (GetClassNameW(window, name, 16) && wcscmp(name, kFormClass) == 0) {
    SendMessageW(window, WM_SETICON, ICON_BIG, GetClassLongPtrW(window, GCLP_HICON));
    SendMessageW(window, WM_SETICON, ICON_SMALL, GetClassLongPtrW(window, GCLP_HICONSM));
  }
  return TRUE;
}

// The class's icons serve the forms made from now on; the forms already made are given them.
void GiveFormsTheirIcons(HWND form) {
  iconsGiven = true;
  SetClassLongPtrW(form, GCLP_HICON, reinterpret_cast<LONG_PTR>(ProgramIcon(SM_CXICON)));
  SetClassLongPtrW(form, GCLP_HICONSM, reinterpret_cast<LONG_PTR>(ProgramIcon(SM_CXSMICON)));
  EnumThreadWindows(GetCurrentThreadId(), GiveIcons, 0);
}

// The main form's first showing leaves it inactive until its first paint is done: under Wine,
// activating a window (the focus, the caption drawn again, the input method's start, which starts COM)
// takes 10-20 ms, which the picture then does not wait for. The form then takes the foreground, unless a
// window of the program (a message box) has been activated meanwhile; a form never painted takes it when
// the timer after the showing comes.
void ActivateShownForm(Window::Impl& im) {
  if (!im.activateWhenPainted) return;
  im.activateWhenPainted = false;
  if (IsWindowVisible(im.hwnd) && !IsIconic(im.hwnd) && !GetActiveWindow()) SetForegroundWindow(im.hwnd);
}

// Runs a handler guarded, on a copy: the handler may replace itself.
template <typename Handler, typename... Args>
void Fire(const Handler& handler, Args&... args) {
  if (!handler) return;
  Handler copy = handler;
  App().Guard([&] { copy(args...); });
}

void LayOutChildren(Window::Impl& im) {
  RECT client;
  GetClientRect(im.hwnd, &client);
  for (ui::ListBox* box : im.listBoxes) MoveWindow(box->impl().hwnd, 0, 0, client.right, client.bottom, TRUE);
}

// Dropped files come through the shell's library, loaded when a window first accepts them.
struct DropFunctions {
  decltype(&DragAcceptFiles) accept =
      win32::SystemFunction<decltype(accept)>(L"shell32.dll", "DragAcceptFiles");
  decltype(&DragQueryFileW) query = win32::SystemFunction<decltype(query)>(L"shell32.dll", "DragQueryFileW");
  decltype(&DragFinish) finish = win32::SystemFunction<decltype(finish)>(L"shell32.dll", "DragFinish");
};

const DropFunctions& Drops() {
  static const DropFunctions functions;
  return functions;
}

void HandleDrop(Window& form, HDROP drop) {
  const DropFunctions& shell = Drops();
  if (!shell.query || !shell.finish) return;
  std::vector<std::string> paths;
  UINT count = shell.query(drop, 0xFFFFFFFF, nullptr, 0);
  std::wstring buffer;
  for (UINT i = 0; i < count; ++i) {
    UINT length = shell.query(drop, i, nullptr, 0);
    buffer.assign(length + 1, L'\0');
    length = shell.query(drop, i, buffer.data(), length + 1);
    buffer.resize(length);
    paths.push_back(win32::Narrow(buffer));
  }
  shell.finish(drop);
  ui::ModifierKeys shift = win32::ShiftState() & (ui::kCtrl | ui::kAlt);
  Fire(form.OnDropFiles, paths, shift);
}

void HandleSize(Window& form, Window::Impl& im, WPARAM kind) {
  LayOutChildren(im);
  im.painted = Window::Impl::Painted::Nothing;
  if (App().MainForm != &form) return;
  if (kind == SIZE_MINIMIZED) {
    if (im.minimized) return;
    im.minimized = true;
    Fire(App().OnMinimize);
  } else if ((kind == SIZE_RESTORED || kind == SIZE_MAXIMIZED) && im.minimized) {
    im.minimized = false;
    Fire(App().OnRestore);
  }
}

ui::ListBox* ListBoxOf(Window::Impl& im, HWND child) {
  for (ui::ListBox* box : im.listBoxes)
    if (box->impl().hwnd == child) return box;
  return nullptr;
}

LRESULT HandleMessage(Window::Impl& im, UINT msg, WPARAM wp, LPARAM lp) {
  Window& form = *im.form;
  HWND hwnd = im.hwnd;
  switch (msg) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN: {
      uint16_t key = static_cast<uint16_t>(wp);
      ui::ModifierKeys shift = win32::ShiftState();
      Fire(form.OnKeyDown, key, shift);
      // A key the handler left alone keeps its system meaning (Alt+F4 closes).
      if (key != 0 && msg == WM_SYSKEYDOWN) return DefWindowProcW(hwnd, msg, wp, lp);
      return 0;
    }
    case WM_SYSCHAR:
      // There is no menu: Alt+letter must not beep; Alt+Space still opens the system menu.
      if (wp == L' ') return DefWindowProcW(hwnd, msg, wp, lp);
      return 0;
    case WM_SYSCOMMAND:
      // Alt pressed and released alone would park the keyboard in the system menu.
      if ((wp & 0xFFF0) == SC_KEYMENU && lp != L' ') return 0;
      break;
    case WM_MOVE:
      Fire(form.OnMove);
      return 0;
    case WM_SIZE:
      HandleSize(form, im, wp);
      return 0;
    case WM_GETMINMAXINFO:
      if (form.AnySize()) {
        reinterpret_cast<MINMAXINFO*>(lp)->ptMinTrackSize = POINT{1, 1};
        return 0;
      }
      break;
    case WM_ERASEBKGND:
      return 1;  // WM_PAINT covers the whole area
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(hwnd, &ps);
      win32::PaintForm(im, dc, ps.rcPaint);
      EndPaint(hwnd, &ps);
      ActivateShownForm(im);
      return 0;
    }
    case WM_TIMER: {
      if (wp == kAfterShowingTimer) {
        KillTimer(hwnd, kAfterShowingTimer);
        ActivateShownForm(im);
        if (!iconsGiven) GiveFormsTheirIcons(hwnd);
        return 0;
      }
      auto it = im.timers.find(wp);
      if (it != im.timers.end()) it->second->Tick();
      return 0;
    }
    case WM_CLOSE:
      form.Close();
      return 0;
    case WM_SETTINGCHANGE:
    case WM_DISPLAYCHANGE:
      win32::ForgetTaskbarPosition();
      break;
    case WM_DPICHANGED:
      win32::HandleDpiChange(form, HIWORD(wp), *reinterpret_cast<const RECT*>(lp));
      return 0;
    case WM_DROPFILES:
      HandleDrop(form, reinterpret_cast<HDROP>(wp));
      return 0;
    case WM_DRAWITEM: {
      auto* item = reinterpret_cast<DRAWITEMSTRUCT*>(lp);
      ui::ListBox* box = item->CtlType == ODT_LISTVIEW ? ListBoxOf(im, item->hwndItem) : nullptr;
      if (!box) break;
      win32::DrawListItem(box->impl(), *item);
      return TRUE;
    }
    case WM_NOTIFY: {
      const auto* header = reinterpret_cast<const NMHDR*>(lp);
      if (ui::ListBox* box = ListBoxOf(im, header->hwndFrom))
        return win32::ListNotification(box->impl(), *header);
      break;
    }
    case WM_ACTIVATE:
      if (LOWORD(wp) == WA_INACTIVE) {
        HWND focus = GetFocus();
        if (focus && IsChild(hwnd, focus)) im.focusChild = focus;
      } else if (!HIWORD(wp) && im.focusChild && IsWindow(im.focusChild)) {
        SetFocus(im.focusChild);
        return 0;
      }
      break;
    case WM_SETFOCUS:
      if (im.focusChild && IsWindow(im.focusChild) && IsWindowVisible(im.focusChild)) {
        SetFocus(im.focusChild);
        return 0;
      }
      break;
    case WM_DESTROY:
      if (App().MainForm == &form) App().Terminate();
      break;
  }
  return DefWindowProcW(hwnd, msg, wp, lp);
}

LRESULT CALLBACK FormProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_NCCREATE) {
    auto* im = static_cast<Window::Impl*>(reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams);
    im->hwnd = hwnd;
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(im));
  }
  auto* im = reinterpret_cast<Window::Impl*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (!im) return DefWindowProcW(hwnd, msg, wp, lp);
  // Nothing may unwind through the system's frames.
  try {
    return HandleMessage(*im, msg, wp, lp);
  } catch (...) {
    return DefWindowProcW(hwnd, msg, wp, lp);
  }
}

BOOL CALLBACK DisableOther(HWND window, LPARAM context) {
  auto* list = reinterpret_cast<std::vector<HWND>*>(context);
  if (window != list->front() && IsWindowVisible(window) && IsWindowEnabled(window)) {
    EnableWindow(window, FALSE);
    list->push_back(window);
  }
  return TRUE;
}

RECT WindowRect(HWND hwnd) {
  RECT r = {};
  GetWindowRect(hwnd, &r);
  return r;
}

}  // namespace

void win32::ShowForm(Window& form, int command) {
  Window::Impl& im = form.impl();
  bool wasVisible = IsWindowVisible(im.hwnd);
  if (App().MainForm == &form) {
    // Forms are owned by the hidden application window; the main form still gets its taskbar button.
    LONG_PTR ex = GetWindowLongPtrW(im.hwnd, GWL_EXSTYLE);
    if (!(ex & WS_EX_APPWINDOW)) SetWindowLongPtrW(im.hwnd, GWL_EXSTYLE, ex | WS_EX_APPWINDOW);
  }
  if (!wasVisible && im.style == ui::BorderStyle::Dialog) {
    RECT r = WindowRect(im.hwnd);
    int x = (GetSystemMetrics(SM_CXSCREEN) - (r.right - r.left)) / 2;
    int y = (GetSystemMetrics(SM_CYSCREEN) - (r.bottom - r.top)) / 2;
    SetWindowPos(im.hwnd, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  if (App().MainForm == &form && !im.shownBefore && command == SW_SHOW) {
    command = SW_SHOWNA;
    im.activateWhenPainted = true;
  }
  im.shownBefore = true;
  ShowWindow(im.hwnd, command);
  // A timer comes after the paints, once the queue is empty: when the showing is on the screen.
  if (!iconsGiven || im.activateWhenPainted)
    SetTimer(im.hwnd, kAfterShowingTimer, USER_TIMER_MINIMUM, nullptr);
  if (!wasVisible && IsWindowVisible(im.hwnd)) Fire(form.OnShow);
}

namespace ui {

Window::Window(BorderStyle style, const std::string& caption, int32_t clientWidth, int32_t clientHeight)
    : impl_(std::make_unique<Impl>()) {
  RegisterFormClass();
  win32::StartLoadingShellLibraries();
  Impl& im = *impl_;
  im.form = this;
  im.style = style;
  DWORD ws = WS_CLIPCHILDREN, ex = 0;
  switch (style) {
    case BorderStyle::Single:
      ws |= WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_BORDER;
      im.background = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
      break;
    case BorderStyle::Dialog:
      ws |= WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU;
      ex = WS_EX_DLGMODALFRAME;
      im.background = GetSysColorBrush(COLOR_BTNFACE);
      break;
    case BorderStyle::Sizeable:
      ws |= WS_OVERLAPPEDWINDOW;
      im.background = GetSysColorBrush(COLOR_BTNFACE);
      break;
  }
  RECT r = {0, 0, clientWidth, clientHeight};
  AdjustWindowRectEx(&r, ws, FALSE, ex);
  // The first form, made before there is a main form, is the main form to be: a window of its own, on
  // the taskbar. The forms after it are owned by the hidden application window, so they are not; that
  // window is made with the second form, as under Wine each window made costs a few milliseconds.
  HWND owner = App().MainForm ? win32::ApplicationWindow() : nullptr;
  HWND hwnd = CreateWindowExW(ex, kFormClass, win32::Widen(caption).c_str(), ws, CW_USEDEFAULT, CW_USEDEFAULT,
                              r.right - r.left, r.bottom - r.top, owner, nullptr, win32::Instance(), &im);
  if (!hwnd) throw OutOfResources("Cannot create a window");
  im.dpi = win32::WindowDpi(hwnd);
  // The frame may differ from the prediction: correct the outer size so that the client area is as asked.
  RECT client;
  GetClientRect(hwnd, &client);
  if (client.right != clientWidth || client.bottom != clientHeight) {
    RECT outer = WindowRect(hwnd);
    SetWindowPos(hwnd, nullptr, 0, 0, outer.right - outer.left + clientWidth - client.right,
                 outer.bottom - outer.top + clientHeight - client.bottom,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
}

Window::~Window() {
  Impl& im = *impl_;
  if (im.hwnd) {
    SetWindowLongPtrW(im.hwnd, GWLP_USERDATA, 0);
    for (auto& [id, timer] : im.timers) KillTimer(im.hwnd, id);
    DestroyWindow(im.hwnd);
  }
  win32::ReleasePaintCache(im);
  if (im.ownFont) DeleteObject(im.ownFont);
  if (App().MainForm == this) App().MainForm = nullptr;
}

std::string Window::Caption() const {
  int n = GetWindowTextLengthW(impl_->hwnd);
  std::wstring text(n + 1, L'\0');
  n = GetWindowTextW(impl_->hwnd, text.data(), n + 1);
  text.resize(n > 0 ? n : 0);
  return win32::Narrow(text);
}

void Window::SetCaption(const std::string& caption) {
  SetWindowTextW(impl_->hwnd, win32::Widen(caption).c_str());
}

int32_t Window::Left() const { return WindowRect(impl_->hwnd).left; }
int32_t Window::Top() const { return WindowRect(impl_->hwnd).top; }
int32_t Window::Width() const {
  RECT r = WindowRect(impl_->hwnd);
  return r.right - r.left;
}
int32_t Window::Height() const {
  RECT r = WindowRect(impl_->hwnd);
  return r.bottom - r.top;
}

void Window::SetBounds(int32_t left, int32_t top, int32_t width, int32_t height) {
  SetWindowPos(impl_->hwnd, nullptr, left, top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

int32_t Window::ClientWidth() const {
  RECT r = {};
  GetClientRect(impl_->hwnd, &r);
  return r.right;
}

int32_t Window::ClientHeight() const {
  RECT r = {};
  GetClientRect(impl_->hwnd, &r);
  return r.bottom;
}

ShowState Window::WindowState() const {
  HWND hwnd = impl_->hwnd;
  if (!IsWindowVisible(hwnd)) return impl_->pendingState;
  if (IsIconic(hwnd)) return ShowState::Minimised;
  if (IsZoomed(hwnd)) return ShowState::Maximised;
  return ShowState::Normal;
}

void Window::SetWindowState(ShowState state) {
  HWND hwnd = impl_->hwnd;
  // ShowWindow would also show a hidden form: keep the state for Show.
  if (!IsWindowVisible(hwnd)) {
    impl_->pendingState = state;
    return;
  }
  switch (state) {
    case ShowState::Maximised:
      if (!IsZoomed(hwnd)) ShowWindow(hwnd, SW_MAXIMIZE);
      break;
    case ShowState::Minimised:
      if (!IsIconic(hwnd)) win32::ShowForm(*this, SW_MINIMIZE);
      break;
    case ShowState::Normal:
      if (IsZoomed(hwnd) || IsIconic(hwnd)) ShowWindow(hwnd, SW_RESTORE);
      break;
  }
}

void Window::Show() {
  HWND hwnd = impl_->hwnd;
  if (IsWindowVisible(hwnd)) {
    SetWindowPos(hwnd, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    return;
  }
  int command = SW_SHOW;
  switch (impl_->pendingState) {
    case ShowState::Maximised:
      command = SW_SHOWMAXIMIZED;
      break;
    case ShowState::Minimised:
      command = SW_SHOWMINIMIZED;
      break;
    case ShowState::Normal:
      if (IsZoomed(hwnd) || IsIconic(hwnd)) command = SW_SHOWNORMAL;
      break;
  }
  win32::ShowForm(*this, command);
}

void Window::Hide() {
  if (!IsWindowVisible(impl_->hwnd)) return;
  impl_->pendingState = WindowState();
  ShowWindow(impl_->hwnd, SW_HIDE);
}

bool Window::Visible() const { return IsWindowVisible(impl_->hwnd) != 0; }

void Window::CloseMainForm() { Hide(); }

DialogResult Window::ShowModal() {
  Impl& im = *impl_;
  HWND hwnd = im.hwnd;
  modal_ = true;
  im.modalResult = DialogResult::None;
  HWND previous = GetActiveWindow();
  std::vector<HWND> disabled{hwnd};  // the first entry is the form itself, kept enabled
  EnumThreadWindows(GetCurrentThreadId(), DisableOther, reinterpret_cast<LPARAM>(&disabled));
  Show();
  bool quit = false;
  WPARAM quitCode = 0;
  MSG msg;
  while (im.modalResult == DialogResult::None && IsWindowVisible(hwnd)) {
    BOOL got = GetMessageW(&msg, nullptr, 0, 0);
    if (got == 0 || got == -1) {
      quit = true;
      quitCode = msg.wParam;
      break;
    }
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  if (im.modalResult == DialogResult::None) im.modalResult = DialogResult::Cancel;
  // Enable the others before hiding, so that activation goes back to them.
  for (size_t i = 1; i < disabled.size(); ++i) EnableWindow(disabled[i], TRUE);
  Hide();
  if (previous && previous != hwnd && IsWindow(previous)) SetActiveWindow(previous);
  modal_ = false;
  if (quit) PostQuitMessage(static_cast<int>(quitCode));
  return im.modalResult;
}

DialogResult Window::ModalResult() const { return impl_->modalResult; }

void Window::SetModalResult(DialogResult result) {
  impl_->modalResult = result;
  // Wake the modal loop even when this was set outside a message.
  if (modal_ && result != DialogResult::None) PostMessageW(impl_->hwnd, WM_NULL, 0, 0);
}

void Window::SetFocus() {
  HWND hwnd = impl_->hwnd;
  if (!IsWindowVisible(hwnd) || !IsWindowEnabled(hwnd)) return;
  HWND child = impl_->focusChild;
  ::SetFocus(child && IsWindow(child) && IsWindowVisible(child) ? child : hwnd);
}

void Window::BringToFront() {
  SetForegroundWindow(impl_->hwnd);
  BringWindowToTop(impl_->hwnd);
}

void Window::Invalidate() {
  impl_->painted = Impl::Painted::Nothing;
  InvalidateRect(impl_->hwnd, nullptr, FALSE);
}

void Window::AcceptFiles(bool accept) {
  if (Drops().accept) Drops().accept(impl_->hwnd, accept ? TRUE : FALSE);
}

void* Window::Handle() const { return impl_->hwnd; }

void Window::SetFont(const ui::FontSpec& font) {
  font_ = font;
  Impl& im = *impl_;
  HFONT old = im.ownFont;
  im.ownFont = nullptr;
  im.font = nullptr;
  if (!font.name.empty()) {
    const BYTE charset = font.charset == ui::FontCharset::ShiftJis ? SHIFTJIS_CHARSET : DEFAULT_CHARSET;
    im.ownFont = CreateFontW(-font.height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, charset,
                             OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                             DEFAULT_PITCH | FF_DONTCARE, win32::Widen(font.name).c_str());
    im.font = im.ownFont ? im.ownFont : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  }
  // The controls made before take it too (nullptr gives them the system's font back).
  for (ui::EditBox* edit : im.edits)
    SendMessageW(edit->impl().hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(im.font), TRUE);
  // List rows follow the font: the list-view control makes them as high as its lines.
  for (ui::ListBox* box : im.listBoxes)
    SendMessageW(box->impl().hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(im.font), TRUE);
  if (old) DeleteObject(old);
}

}  // namespace ui
}  // namespace zeb
