// Library loading, local memory, the desktop, the ANSI code page and system error texts.
#include <cstdint>

#include "platform/services/ansi.h"
#include "platform/services/desktop.h"
#include "platform/services/library.h"
#include "platform/services/local_memory.h"
#include "platform/win32/system_error.h"
#include "platform/win32/system_function.h"
#include "platform/win32/utf16.h"
#include "platform/win32/window_layer.h"
#include "platform/win32/windows_api.h"

namespace zeb {

using win32::Narrow;
using win32::Widen;

std::string win32::SystemErrorMessage(uint32_t code) {
  wchar_t* text = nullptr;
  DWORD n = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
      code, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  std::wstring message(text ? text : L"", n);
  if (text) LocalFree(text);
  while (!message.empty() && (message.back() <= L' ' || message.back() == L'.')) message.pop_back();
  if (message.empty()) return "System error " + std::to_string(code);
  return Narrow(message);
}

// Library loader.
LibraryHandle LoadLibraryFile(const std::string& path) {
  // A broken plug-in file must not stop the program with a system error box.
  UINT old = SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
  HMODULE module = LoadLibraryW(Widen(path).c_str());
  SetErrorMode(old);
  return module;
}

void* LibraryProc(LibraryHandle library, const char* name) {
  return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(library), name));
}

void FreeLibraryHandle(LibraryHandle library) { FreeLibrary(static_cast<HMODULE>(library)); }

std::string LibraryFileName(LibraryHandle library) {
  wchar_t buffer[256];
  DWORD n = GetModuleFileNameW(static_cast<HMODULE>(library), buffer, 256);
  if (n == 0) return {};
  if (n >= 256) n = 255;  // cut, as older systems leave it unterminated
  return Narrow(std::wstring_view(buffer, n));
}

// Local memory.
LocalHandle LocalAllocate(size_t size) { return LocalAlloc(LMEM_MOVEABLE | LMEM_ZEROINIT, size); }
void* LocalLockHandle(LocalHandle handle) { return LocalLock(static_cast<HLOCAL>(handle)); }
bool LocalUnlockHandle(LocalHandle handle) { return LocalUnlock(static_cast<HLOCAL>(handle)) != 0; }
void LocalFreeHandle(LocalHandle handle) { LocalFree(static_cast<HLOCAL>(handle)); }
size_t LocalHandleSize(LocalHandle handle) { return LocalSize(static_cast<HLOCAL>(handle)); }
int MulDivInt(int a, int b, int c) { return MulDiv(a, b, c); }

// Desktop.
int PrimaryScreenWidth() { return GetSystemMetrics(SM_CXSCREEN); }
int PrimaryScreenHeight() { return GetSystemMetrics(SM_CYSCREEN); }

static_assert(sizeof(void*) != 4 || sizeof(APPBARDATA) == 36, "APPBARDATA as the shell expects it");

namespace {

// The shell's answer is kept: under Wine each question costs about 1.4 ms, and a picture's fitting and
// its read-ahead each need it. The windows forget it when the system says the work area or the display
// changed.
struct TaskbarAnswer {
  bool asked = false;
  bool known = false;
  APPBARDATA data{};
};

TaskbarAnswer& Taskbar() {
  static TaskbarAnswer answer;
  return answer;
}

}  // namespace

void win32::ForgetTaskbarPosition() { Taskbar().asked = false; }

bool TaskbarPosition(TaskbarEdge& edge, ScreenRect& rect) {
  TaskbarAnswer& answer = Taskbar();
  if (!answer.asked) {
    static const auto appBarMessage =
        win32::SystemFunction<decltype(&SHAppBarMessage)>(L"shell32.dll", "SHAppBarMessage");
    answer.data = {};
    answer.data.cbSize = sizeof(answer.data);
    answer.known = appBarMessage && appBarMessage(ABM_GETTASKBARPOS, &answer.data);
    answer.asked = true;
  }
  if (!answer.known) return false;
  const APPBARDATA& data = answer.data;
  switch (data.uEdge) {
    case ABE_LEFT:
      edge = TaskbarEdge::Left;
      break;
    case ABE_TOP:
      edge = TaskbarEdge::Top;
      break;
    case ABE_RIGHT:
      edge = TaskbarEdge::Right;
      break;
    case ABE_BOTTOM:
      edge = TaskbarEdge::Bottom;
      break;
    default:
      return false;
  }
  rect = {data.rc.left, data.rc.top, data.rc.right, data.rc.bottom};
  return true;
}

void SetDesktopWallpaper(const std::string& path) {
  std::wstring wide = Widen(path);
  SystemParametersInfoW(SPI_SETDESKWALLPAPER, 0, wide.data(), SPIF_UPDATEINIFILE | SPIF_SENDWININICHANGE);
}

bool DesktopTakesWallpaperPath(const std::string& path) { return Widen(path).size() < MAX_PATH; }

// The ANSI code page.
std::string ToAnsi(const std::string& utf8, bool* lossless) {
  bool exact = true;
  // Bytes that are no UTF-8 have no faithful ANSI form either.
  if (MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), static_cast<int>(utf8.size()), nullptr,
                          0) == 0 &&
      !utf8.empty())
    exact = false;
  std::wstring wide = Widen(utf8);
  std::string ansi;
  if (!wide.empty()) {
    UINT page = GetACP();
    // The UTF-8 code page takes neither the flag nor the used-default report.
    DWORD flags = page == CP_UTF8 ? 0 : WC_NO_BEST_FIT_CHARS;
    BOOL usedDefault = FALSE;
    BOOL* report = page == CP_UTF8 ? nullptr : &usedDefault;
    int wn = static_cast<int>(wide.size());
    int n = WideCharToMultiByte(page, flags, wide.data(), wn, nullptr, 0, nullptr, report);
    ansi.resize(n > 0 ? n : 0);
    if (n > 0) WideCharToMultiByte(page, flags, wide.data(), wn, ansi.data(), n, nullptr, report);
    if (usedDefault || n <= 0) exact = false;
  }
  if (lossless) *lossless = exact;
  return ansi;
}

std::string FromAnsi(const std::string& ansi) {
  if (ansi.empty()) return {};
  int an = static_cast<int>(ansi.size());
  int n = MultiByteToWideChar(CP_ACP, 0, ansi.data(), an, nullptr, 0);
  if (n <= 0) return {};
  std::wstring wide(n, L'\0');
  MultiByteToWideChar(CP_ACP, 0, ansi.data(), an, wide.data(), n);
  return Narrow(wide);
}

}  // namespace zeb
