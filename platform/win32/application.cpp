// The application: the message loop, the hidden window that owns the forms, and what the window
// layer's files share.
#include <cstdint>

#include "platform/ui/forms.h"
#include "platform/win32/utf16.h"
#include "platform/win32/window_layer.h"

namespace zeb {

namespace win32 {

HINSTANCE Instance() { return GetModuleHandleW(nullptr); }

HWND ApplicationWindow() {
  static HWND window = [] {
    WNDCLASSW wc = {};
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = Instance();
    wc.lpszClassName = L"ZEBApplication";
    RegisterClassW(&wc);
    return CreateWindowExW(0, wc.lpszClassName, L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, Instance(),
                           nullptr);
  }();
  return window;
}

ui::ModifierKeys ShiftState() {
  ui::ModifierKeys shift = 0;
  if (GetKeyState(VK_SHIFT) < 0) shift |= ui::kShift;
  if (GetKeyState(VK_MENU) < 0) shift |= ui::kAlt;
  if (GetKeyState(VK_CONTROL) < 0) shift |= ui::kCtrl;
  return shift;
}

}  // namespace win32

namespace ui {

// How often a long task lets messages through is its own choice (a folder scan keeps its own interval):
// each call empties the queue.
void Application::ProcessMessages() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      terminated_ = true;
      return;
    }
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

void Application::Run() {
  MSG msg;
  while (!terminated_) {
    BOOL got = GetMessageW(&msg, nullptr, 0, 0);
    if (got == 0 || got == -1) {
      terminated_ = true;
      break;
    }
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

void Application::Terminate() {
  if (terminated_) return;
  terminated_ = true;
  PostQuitMessage(0);
}

void Application::Minimize() {
  if (!MainForm) {
    // No window to minimise yet: the handler still learns of it.
    if (OnMinimize) Guard(OnMinimize);
    return;
  }
  // Also a main form not shown yet: it appears minimised (start-up minimised).
  win32::ShowForm(*MainForm, SW_MINIMIZE);
}

}  // namespace ui
}  // namespace zeb
