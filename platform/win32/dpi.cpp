// Screen scaling. The per-monitor functions came with Windows 10; they are looked up at run time so the
// program still starts on older systems, where the whole desktop has the system's one DPI.
#include "platform/win32/system_function.h"
#include "platform/win32/utf16.h"
#include "platform/win32/window_layer.h"

namespace zeb {

namespace {

// The DPI the screen's device context reports: the system's, for old systems.
UINT ScreenContextDpi() {
  HDC screen = GetDC(nullptr);
  const int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSY) : 0;
  if (screen) ReleaseDC(nullptr, screen);
  return dpi > 0 ? static_cast<UINT>(dpi) : ui::kStandardDpi;
}

}  // namespace

int32_t win32::WindowDpi(HWND window) {
  static const auto forWindow = win32::SystemFunction<UINT(WINAPI*)(HWND)>(L"user32.dll", "GetDpiForWindow");
  const UINT dpi = forWindow && window ? forWindow(window) : 0;
  return dpi ? static_cast<int32_t>(dpi) : ui::SystemDpi();
}

int32_t ui::SystemDpi() {
  static const auto forSystem = win32::SystemFunction<UINT(WINAPI*)()>(L"user32.dll", "GetDpiForSystem");
  const UINT dpi = forSystem ? forSystem() : 0;
  return static_cast<int32_t>(dpi ? dpi : ScreenContextDpi());
}

ui::FontSpec ui::SystemMessageFont(int32_t dpi) {
  static const auto forDpi = win32::SystemFunction<BOOL(WINAPI*)(UINT, UINT, void*, UINT, UINT)>(
      L"user32.dll", "SystemParametersInfoForDpi");
  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = sizeof metrics;
  int32_t height = 0;
  if (forDpi && forDpi(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0, static_cast<UINT>(dpi))) {
    height = metrics.lfMessageFont.lfHeight;
  } else if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0)) {
    // The metrics are the system's: scale them to the screen asked for.
    height = MulDiv(metrics.lfMessageFont.lfHeight, dpi, SystemDpi());
  } else {
    return {};
  }
  return {win32::Narrow(metrics.lfMessageFont.lfFaceName), height < 0 ? -height : height,
          FontCharset::Default};
}

int32_t ui::Window::Dpi() const { return impl_->dpi; }

namespace {

// The frame and caption around an empty client area, for the form's style on its screen.
RECT FrameAround(const ui::Window::Impl& im) {
  static const auto forDpi = win32::SystemFunction<BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT)>(
      L"user32.dll", "AdjustWindowRectExForDpi");
  const DWORD style =
      static_cast<DWORD>(GetWindowLongPtrW(im.hwnd, GWL_STYLE)) & ~(WS_MINIMIZE | WS_MAXIMIZE);
  const DWORD ex = static_cast<DWORD>(GetWindowLongPtrW(im.hwnd, GWL_EXSTYLE));
  RECT r{0, 0, 0, 0};
  if (!forDpi || !forDpi(&r, style, FALSE, ex, static_cast<UINT>(im.dpi)))
    AdjustWindowRectEx(&r, style, FALSE, ex);
  return r;
}

}  // namespace

int32_t ui::Window::FrameWidth() const {
  const RECT r = FrameAround(*impl_);
  return r.right - r.left;
}

int32_t ui::Window::FrameHeight() const {
  const RECT r = FrameAround(*impl_);
  return r.bottom - r.top;
}

// The system suggests a window rectangle that keeps the window's size in inches on the new screen; the
// controls keep their places in proportion, then the form's own handler runs.
void win32::HandleDpiChange(ui::Window& form, int32_t dpi, const RECT& suggested) {
  ui::Window::Impl& im = form.impl();
  const int32_t old = im.dpi;
  im.dpi = dpi;
  for (ui::EditBox* edit : im.edits) {
    HWND control = edit->impl().hwnd;
    RECT r;
    GetWindowRect(control, &r);
    MapWindowPoints(nullptr, im.hwnd, reinterpret_cast<POINT*>(&r), 2);
    MoveWindow(control, MulDiv(r.left, dpi, old), MulDiv(r.top, dpi, old), MulDiv(r.right - r.left, dpi, old),
               MulDiv(r.bottom - r.top, dpi, old), TRUE);
  }
  SetWindowPos(im.hwnd, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
               suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
  if (form.OnDpiChanged) ui::App().Guard(form.OnDpiChanged);
}

}  // namespace zeb
