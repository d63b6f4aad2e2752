#include "tools/driver/zeb_driver.h"

#include "platform/win32/kill_on_close_job.h"
#include "tools/driver/key_input.h"

#include <shellapi.h>

#include <algorithm>
#include <cstdio>
#include <cwctype>

namespace zeb::e2e {

namespace {

// The control id that the system's message boxes give their text.
constexpr int kMessageBoxTextId = 0xFFFF;

std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

// With ZEB_E2E_TRACE set, every wait reports how long it took on stderr (to find slow steps).
class TraceWait {
 public:
  explicit TraceWait(const char* what) : what_(what), start_(GetTickCount64()) {}
  ~TraceWait() {
    static const bool enabled = GetEnvironmentVariableW(L"ZEB_E2E_TRACE", nullptr, 0) > 0;
    if (enabled) std::fprintf(stderr, "[e2e] %s: %llu ms\n", what_, GetTickCount64() - start_);
  }

 private:
  const char* what_;
  ULONGLONG start_;
};

std::wstring ClassName(HWND window) {
  wchar_t name[256] = {};
  GetClassNameW(window, name, 256);
  return name;
}

// Asks the control itself: edit controls keep their text to themselves.
std::string ControlText(HWND control) {
  DWORD_PTR length = 0;
  if (!SendMessageTimeoutW(control, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 5000, &length)) return {};
  std::wstring text(length + 1, L'\0');
  DWORD_PTR copied = 0;
  if (!SendMessageTimeoutW(control, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()),
                           SMTO_ABORTIFHUNG, 5000, &copied))
    return {};
  text.resize(std::min<size_t>(copied, length));
  return WideToUtf8(text);
}

BOOL CALLBACK TakeFirstEdit(HWND child, LPARAM param) {
  std::wstring name = ClassName(child);
  std::transform(name.begin(), name.end(), name.begin(), [](wchar_t c) { return std::towlower(c); });
  if (name.find(L"edit") == std::wstring::npos) return TRUE;
  *reinterpret_cast<HWND*>(param) = child;
  return FALSE;
}

// The caption as the window system keeps it (no message to the program, so a busy program cannot
// stall the reader). The caption may change between asking its length and reading it: read until the
// buffer had room to spare.
std::string WindowCaption(HWND window) {
  for (int size = 512;; size *= 2) {
    std::wstring text(size, L'\0');
    int copied = GetWindowTextW(window, text.data(), size);
    if (copied < size - 1 || size >= (1 << 20)) {
      text.resize(std::max(copied, 0));
      return WideToUtf8(text);
    }
  }
}

// The file name box of the system's open and save dialogs: the combo box cmb13 of the newer layout, or
// the edit box edt1.
HWND FileNameBox(HWND dialog) {
  if (HWND combo = GetDlgItem(dialog, 0x47C)) return combo;
  return GetDlgItem(dialog, 0x480);
}

HWND FirstEditChild(HWND window) {
  HWND found = nullptr;
  EnumChildWindows(window, TakeFirstEdit, reinterpret_cast<LPARAM>(&found));
  return found;
}

struct WindowsOfProcess {
  DWORD pid;
  std::vector<HWND> windows;
};

BOOL CALLBACK CollectWindowOfProcess(HWND window, LPARAM param) {
  auto* search = reinterpret_cast<WindowsOfProcess*>(param);
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  if (pid == search->pid) search->windows.push_back(window);
  return TRUE;
}

}  // namespace

std::wstring Utf8ToWide(std::string_view text) {
  if (text.empty()) return {};
  int n = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring wide(n, L'\0');
  MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), wide.data(), n);
  return wide;
}

std::string WideToUtf8(std::wstring_view text) {
  if (text.empty()) return {};
  int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr,
                              nullptr);
  std::string narrow(n, '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), narrow.data(), n, nullptr,
                      nullptr);
  return narrow;
}

std::string FullWindowsPath(const std::string& path) {
  std::wstring wide = Utf8ToWide(path);
  // Wine shows the whole Linux file system as drive Z:.
  if (wide.size() >= 2 && wide[0] == L'/' && wide[1] != L'/') wide = L"Z:" + wide;
  std::replace(wide.begin(), wide.end(), L'/', L'\\');
  DWORD n = GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
  if (n == 0) return WideToUtf8(wide);
  std::wstring full(n, L'\0');
  n = GetFullPathNameW(wide.c_str(), n, full.data(), nullptr);
  full.resize(n);
  return WideToUtf8(full);
}

std::wstring QuoteArgument(const std::wstring& argument) {
  if (!argument.empty() && argument.find_first_of(L" \t\n\v\"") == std::wstring::npos) return argument;
  std::wstring quoted = L"\"";
  size_t backslashes = 0;
  for (wchar_t c : argument) {
    if (c == L'\\') {
      ++backslashes;
      continue;
    }
    // Backslashes count double only before a quote.
    quoted.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
    backslashes = 0;
    quoted += c;
  }
  quoted.append(backslashes * 2, L'\\');
  quoted += L'"';
  return quoted;
}

std::string Describe(const ScreenRect& r) {
  char text[96];
  std::snprintf(text, sizeof(text), "(%d, %d, %d, %d) %dx%d", r.left, r.top, r.right, r.bottom, r.width(),
                r.height());
  return text;
}

ScreenRect WorkArea() {
  ScreenRect area{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  APPBARDATA bar{};
  bar.cbSize = sizeof(bar);
  if (!SHAppBarMessage(ABM_GETTASKBARPOS, &bar)) return area;
  switch (bar.uEdge) {
    case ABE_LEFT:
      area.left = bar.rc.right;
      break;
    case ABE_TOP:
      area.top = bar.rc.bottom;
      break;
    case ABE_RIGHT:
      area.right = bar.rc.left;
      break;
    case ABE_BOTTOM:
      area.bottom = bar.rc.top;
      break;
  }
  return area;
}

ZebProcess::~ZebProcess() {
  if (Running()) Kill();
  if (job_) CloseHandle(job_);
  if (info_.hProcess) CloseHandle(info_.hProcess);
  if (info_.hThread) CloseHandle(info_.hThread);
}

bool ZebProcess::Fail(const std::string& message) {
  failure_ = message;
  return false;
}

bool ZebProcess::Start(const std::string& exe, const std::vector<std::string>& args,
                       const std::string& current_folder) {
  std::wstring program = Utf8ToWide(FullWindowsPath(exe));
  std::wstring command_line = QuoteArgument(program);
  for (const std::string& arg : args) command_line += L" " + QuoteArgument(Utf8ToWide(arg));
  std::wstring folder = current_folder.empty() ? std::wstring() : Utf8ToWide(FullWindowsPath(current_folder));
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  if (!CreateProcessW(program.c_str(), command_line.data(), nullptr, nullptr, FALSE, CREATE_SUSPENDED,
                      nullptr, folder.empty() ? nullptr : folder.c_str(), &startup, &info_)) {
    return Fail("could not start " + WideToUtf8(command_line) + " (error " + std::to_string(GetLastError()) +
                ")");
  }
  job_ = zeb::win32::MakeKillOnCloseJob();
  if (job_ && !AssignProcessToJobObject(job_, info_.hProcess)) {
    CloseHandle(job_);
    job_ = nullptr;
  }
  ResumeThread(info_.hThread);
  return true;
}

bool ZebProcess::Running() const {
  return info_.hProcess && WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT;
}

std::vector<HWND> ZebProcess::TopLevelWindows() const {
  WindowsOfProcess search{info_.dwProcessId, {}};
  EnumWindows(CollectWindowOfProcess, reinterpret_cast<LPARAM>(&search));
  return search.windows;
}

bool ZebProcess::WaitForMainWindow(int timeout_ms) {
  TraceWait trace("main window");
  for (ULONGLONG start = GetTickCount64();;) {
    if (main_ && IsWindow(main_)) return true;
    HWND first_visible = nullptr;
    for (HWND window : TopLevelWindows()) {
      if (!IsWindowVisible(window)) continue;
      LONG style = GetWindowLongW(window, GWL_STYLE);
      if ((style & WS_MINIMIZEBOX) && !(style & WS_MAXIMIZEBOX)) {
        main_ = window;
        return true;
      }
      if (!first_visible) first_visible = window;
    }
    if (first_visible) {
      main_ = first_visible;
      return true;
    }
    if (!Running()) return Fail("the program ended before it showed a window");
    if (GetTickCount64() - start > static_cast<ULONGLONG>(timeout_ms))
      return Fail("no window appeared within " + std::to_string(timeout_ms) + " ms");
    Sleep(kPollMs);
  }
}

std::string ZebProcess::Title() const { return main_ ? WindowCaption(main_) : std::string(); }

bool ZebProcess::WaitForTitle(const std::function<bool(const std::string&)>& accept, const std::string& what,
                              int timeout_ms) {
  TraceWait trace("title");
  ULONGLONG start = GetTickCount64();
  if (!WaitForMainWindow(timeout_ms)) return false;
  std::string title;
  for (;;) {
    title = Title();
    if (accept(title)) return true;
    if (!Running())
      return Fail("the program ended while waiting for a title " + what + "; last title " + Quoted(title));
    if (GetTickCount64() - start > static_cast<ULONGLONG>(timeout_ms))
      return Fail("timed out waiting for a title " + what + "; last title " + Quoted(title));
    Sleep(kPollMs);
  }
}

bool ZebProcess::WaitForTitleEq(const std::string& title, int timeout_ms) {
  return WaitForTitle([&](const std::string& t) { return t == title; }, Quoted(title), timeout_ms);
}

bool ZebProcess::WaitForTitleChange(const std::string& before, int timeout_ms) {
  return WaitForTitle([&](const std::string& t) { return t != before; }, "other than " + Quoted(before),
                      timeout_ms);
}

ScreenRect ZebProcess::WindowRect() const {
  RECT r{};
  if (main_) GetWindowRect(main_, &r);
  return {r.left, r.top, r.right, r.bottom};
}

ClientSize ZebProcess::Client() const {
  RECT r{};
  if (main_) GetClientRect(main_, &r);
  return {r.right - r.left, r.bottom - r.top};
}

bool ZebProcess::WaitForWindowRect(const std::function<bool(const ScreenRect&)>& accept,
                                   const std::string& what, int timeout_ms) {
  TraceWait trace("window rect");
  ULONGLONG start = GetTickCount64();
  if (!WaitForMainWindow(timeout_ms)) return false;
  for (;;) {
    ScreenRect rect = WindowRect();
    if (accept(rect)) return true;
    if (!Running() || GetTickCount64() - start > static_cast<ULONGLONG>(timeout_ms))
      return Fail("the window rectangle never became " + what + "; last " + Describe(rect) + ", title " +
                  Quoted(Title()));
    Sleep(kPollMs);
  }
}

bool ZebProcess::WaitForClient(const ClientSize& size, int timeout_ms) {
  TraceWait trace("client size");
  ULONGLONG start = GetTickCount64();
  if (!WaitForMainWindow(timeout_ms)) return false;
  for (;;) {
    ClientSize now = Client();
    if (now == size) return true;
    if (!Running() || GetTickCount64() - start > static_cast<ULONGLONG>(timeout_ms))
      return Fail("the client area never became " + std::to_string(size.width) + "x" +
                  std::to_string(size.height) + "; last " + std::to_string(now.width) + "x" +
                  std::to_string(now.height) + ", title " + Quoted(Title()));
    Sleep(kPollMs);
  }
}

bool ZebProcess::WaitForStartupDone(int timeout_ms) {
  TraceWait trace("start-up");
  ULONGLONG start = GetTickCount64();
  if (!WaitForMainWindow(timeout_ms)) return false;
  for (;;) {
    if (GetWindowLongW(main_, GWL_EXSTYLE) & WS_EX_ACCEPTFILES) return true;
    if (!Running() || GetTickCount64() - start > static_cast<ULONGLONG>(timeout_ms))
      return Fail("start-up never ended (the window never accepted dropped files); last title " +
                  Quoted(Title()));
    Sleep(kPollMs);
  }
}

bool ZebProcess::BringToFront(HWND window) {
  TraceWait trace("foreground");
  for (ULONGLONG start = GetTickCount64(); GetForegroundWindow() != window;) {
    if (!IsWindow(window)) return Fail("the window to type into has gone");
    if (GetTickCount64() - start > 5000)
      return Fail("could not bring a window of the program to the foreground; main title " + Quoted(Title()));
    SetForegroundWindow(window);
    Sleep(kPollMs);
  }
  return true;
}

bool ZebProcess::SendKey(UINT vk, unsigned modifiers) {
  static constexpr struct {
    unsigned flag;
    UINT vk;
  } kModifierKeys[] = {{kCtrl, VK_CONTROL}, {kShift, VK_SHIFT}, {kAlt, VK_MENU}};
  std::vector<INPUT> inputs;
  for (const auto& m : kModifierKeys)
    if (modifiers & m.flag) inputs.push_back(KeyInput(m.vk, false));
  inputs.push_back(KeyInput(vk, false));
  inputs.push_back(KeyInput(vk, true));
  for (auto m = std::rbegin(kModifierKeys); m != std::rend(kModifierKeys); ++m)
    if (modifiers & m->flag) inputs.push_back(KeyInput(m->vk, true));
  UINT sent = SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
  if (sent != inputs.size())
    return Fail("SendInput sent " + std::to_string(sent) + " of " + std::to_string(inputs.size()) +
                " key events");
  return true;
}

bool ZebProcess::PressKey(UINT vk, unsigned modifiers) {
  if (!WaitForMainWindow()) return false;
  return PressKeyIn(main_, vk, modifiers);
}

bool ZebProcess::PressKeyIn(HWND window, UINT vk, unsigned modifiers) {
  if (!Running()) return Fail("the program has ended; no key can be pressed");
  return BringToFront(window) && SendKey(vk, modifiers);
}

bool ZebProcess::TypeText(HWND window, const std::string& text) {
  for (char c : text) {
    UINT vk = 0;
    if ((c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z'))
      vk = static_cast<UINT>(c);
    else if (c >= 'a' && c <= 'z')
      vk = static_cast<UINT>(c - 'a' + 'A');
    else if (c == '.')
      vk = VK_OEM_PERIOD;
    else if (c == '-')
      vk = VK_OEM_MINUS;
    else if (c == ' ')
      vk = VK_SPACE;
    else
      return Fail(std::string("no key types the character ") + c);
    if (!PressKeyIn(window, vk)) return false;
  }
  return true;
}

HWND ZebProcess::FindWindowWithCaption(const std::string& caption) const {
  for (HWND window : TopLevelWindows()) {
    if (window == main_ || !IsWindowVisible(window)) continue;
    if (WindowCaption(window) == caption) return window;
  }
  return nullptr;
}

HWND ZebProcess::WaitForWindow(const std::function<HWND()>& find, const std::string& what, int timeout_ms) {
  TraceWait trace(what.c_str());
  for (ULONGLONG start = GetTickCount64();;) {
    if (HWND window = find()) return window;
    if (!Running()) {
      Fail("the program ended while waiting for the " + what);
      return nullptr;
    }
    if (GetTickCount64() - start > static_cast<ULONGLONG>(timeout_ms)) {
      Fail("no " + what + " appeared; main title " + Quoted(Title()));
      return nullptr;
    }
    Sleep(kPollMs);
  }
}

HWND ZebProcess::WaitForWindowWithCaption(const std::string& caption, int timeout_ms) {
  return WaitForWindow([&] { return FindWindowWithCaption(caption); }, "window " + Quoted(caption),
                       timeout_ms);
}

bool ZebProcess::WaitForWindowGone(HWND window, int timeout_ms) {
  TraceWait trace("window gone");
  for (ULONGLONG start = GetTickCount64();;) {
    if (!IsWindow(window) || !IsWindowVisible(window)) return true;
    if (GetTickCount64() - start > static_cast<ULONGLONG>(timeout_ms))
      return Fail("a window of the program stayed open; main title " + Quoted(Title()));
    Sleep(kPollMs);
  }
}

std::string ZebProcess::EditText(HWND window) const {
  HWND edit = FirstEditChild(window);
  return edit ? ControlText(edit) : std::string();
}

bool ZebProcess::WaitForEditText(HWND window, const std::string& text, int timeout_ms) {
  TraceWait trace("edit text");
  if (!FirstEditChild(window)) return Fail("the window has no edit box");
  std::string now;
  for (ULONGLONG start = GetTickCount64();;) {
    now = EditText(window);
    if (now == text) return true;
    if (GetTickCount64() - start > static_cast<ULONGLONG>(timeout_ms))
      return Fail("the edit box never read " + Quoted(text) + "; it reads " + Quoted(now));
    Sleep(kPollMs);
  }
}

HWND ZebProcess::FindMessageBox() const {
  for (HWND window : TopLevelWindows()) {
    if (!IsWindowVisible(window) || ClassName(window) != L"#32770") continue;
    if (GetDlgItem(window, kMessageBoxTextId)) return window;
  }
  return nullptr;
}

HWND ZebProcess::WaitForMessageBox(int timeout_ms) {
  return WaitForWindow([this] { return FindMessageBox(); }, "message box", timeout_ms);
}

std::string ZebProcess::MessageBoxText(HWND box) const {
  HWND text = GetDlgItem(box, kMessageBoxTextId);
  return text ? ControlText(text) : std::string();
}

bool ZebProcess::PressMessageBoxButton(HWND box, int button_id) {
  HWND button = GetDlgItem(box, button_id);
  if (!button) return Fail("the message box has no button " + std::to_string(button_id));
  PostMessageW(box, WM_COMMAND, MAKEWPARAM(button_id, BN_CLICKED), reinterpret_cast<LPARAM>(button));
  return WaitForWindowGone(box);
}

HWND ZebProcess::WaitForFileDialog(int timeout_ms) {
  auto find = [this]() -> HWND {
    for (HWND window : TopLevelWindows())
      if (IsWindowVisible(window) && ClassName(window) == L"#32770" && FileNameBox(window)) return window;
    return nullptr;
  };
  return WaitForWindow(find, "file dialog", timeout_ms);
}

bool ZebProcess::AnswerFileDialog(HWND dialog, const std::string& path) {
  HWND box = FileNameBox(dialog);
  if (!box) return Fail("the file dialog has no file name box");
  const std::wstring wide = Utf8ToWide(path);
  DWORD_PTR set = 0;
  if (!SendMessageTimeoutW(box, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(wide.c_str()), SMTO_ABORTIFHUNG, 5000,
                           &set) ||
      !set)
    return Fail("could not put the path into the file dialog");
  PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDOK)));
  return WaitForWindowGone(dialog);
}

bool ZebProcess::Close() {
  if (!WaitForMainWindow()) return false;
  if (!PostMessageW(main_, WM_CLOSE, 0, 0)) return Fail("could not post WM_CLOSE to the main window");
  return true;
}

bool ZebProcess::WatchTitlesUntilExit(const std::function<void(const std::string&)>& see, int timeout_ms) {
  TraceWait trace("titles until exit");
  for (ULONGLONG start = GetTickCount64(); Running();) {
    if (main_ && IsWindow(main_)) see(Title());
    if (GetTickCount64() - start > static_cast<ULONGLONG>(timeout_ms)) return WaitForExit(0);
    Sleep(kPollMs);
  }
  return true;
}

bool ZebProcess::WaitForExit(int timeout_ms, DWORD* exit_code) {
  TraceWait trace("exit");
  if (!info_.hProcess) return Fail("the program was never started");
  if (WaitForSingleObject(info_.hProcess, timeout_ms) != WAIT_OBJECT_0) {
    std::string title = Title();
    Kill();
    return Fail("the program did not end within " + std::to_string(timeout_ms) + " ms (killed); last title " +
                Quoted(title));
  }
  DWORD code = 0;
  GetExitCodeProcess(info_.hProcess, &code);
  if (exit_code) *exit_code = code;
  return true;
}

void ZebProcess::Kill() {
  if (!Running()) return;
  if (!job_ || !TerminateJobObject(job_, 255)) TerminateProcess(info_.hProcess, 255);
  WaitForSingleObject(info_.hProcess, 10000);
}

}  // namespace zeb::e2e
