// Drives a real zeb.exe from outside, as a user would: starts it, watches its main window's title and
// rectangle, presses keys through SendInput, answers its dialogs and message boxes, and ends it.
// Nothing here asks the viewer anything: every fact comes from the window system.
//
// Operations that wait return false on timeout or failure and leave the reason in failure(), with the
// last title seen, so a test can write ASSERT_TRUE(zeb.WaitForTitle(...)) << zeb.failure().
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace zeb::e2e {

std::wstring Utf8ToWide(std::string_view text);
std::string WideToUtf8(std::wstring_view text);

// A path as a full Windows path: "/a/b" (a Linux path handed through Wine) becomes "Z:\a\b"; relative
// paths are taken against the current folder; forward slashes become backslashes.
std::string FullWindowsPath(const std::string& path);

// One argument quoted for a command line so that the usual parsers give it back unchanged.
std::wstring QuoteArgument(const std::wstring& argument);

// Modifier keys held around a key press; combine with |.
enum Modifier : unsigned { kNoModifier = 0, kShift = 1, kCtrl = 2, kAlt = 4 };

struct ScreenRect {
  int left = 0, top = 0, right = 0, bottom = 0;
  int width() const { return right - left; }
  int height() const { return bottom - top; }
  bool operator==(const ScreenRect&) const = default;
};
std::string Describe(const ScreenRect& rect);

struct ClientSize {
  int width = 0, height = 0;
  bool operator==(const ClientSize&) const = default;
};

// The primary screen less the taskbar, as the shell reports it.
ScreenRect WorkArea();

class ZebProcess {
 public:
  // Generous: a cold Wine start takes about a second, a loaded CI machine several.
  static constexpr int kTimeoutMs = 20000;

  ZebProcess() = default;
  ZebProcess(const ZebProcess&) = delete;
  ZebProcess& operator=(const ZebProcess&) = delete;
  // Kills the program if it is still running.
  ~ZebProcess();

  // Starts EXE with ARGS (UTF-8) in CURRENT_FOLDER (the test's own when empty).
  bool Start(const std::string& exe, const std::vector<std::string>& args,
             const std::string& current_folder = {});
  bool Running() const;
  DWORD pid() const { return info_.dwProcessId; }
  HANDLE process() const { return info_.hProcess; }

  // The main window: the visible top-level window of the process with a minimise box and no maximise
  // box (the first visible top-level window of the process when none has that style).
  bool WaitForMainWindow(int timeout_ms = kTimeoutMs);
  HWND main_window() const { return main_; }

  std::string Title() const;
  // Polls the title every 10 ms until ACCEPT takes it; WHAT names the expectation in the failure text.
  bool WaitForTitle(const std::function<bool(const std::string&)>& accept, const std::string& what,
                    int timeout_ms = kTimeoutMs);
  bool WaitForTitleEq(const std::string& title, int timeout_ms = kTimeoutMs);
  // Waits until the title differs from BEFORE.
  bool WaitForTitleChange(const std::string& before, int timeout_ms = kTimeoutMs);

  ScreenRect WindowRect() const;
  ClientSize Client() const;
  bool WaitForWindowRect(const std::function<bool(const ScreenRect&)>& accept, const std::string& what,
                         int timeout_ms = kTimeoutMs);
  bool WaitForClient(const ClientSize& size, int timeout_ms = kTimeoutMs);

  // Start-up has ended when the window accepts dropped files: the viewer registers itself as a drop
  // target as its very last start-up step.
  bool WaitForStartupDone(int timeout_ms = kTimeoutMs);

  // Brings the main window to the foreground and presses VK with MODIFIERS held.
  bool PressKey(UINT vk, unsigned modifiers = kNoModifier);
  // The same for another window of the process (a dialog).
  bool PressKeyIn(HWND window, UINT vk, unsigned modifiers = kNoModifier);
  // Types digits, letters, "." and "-" into WINDOW (as key presses of the matching keys).
  bool TypeText(HWND window, const std::string& text);

  // A visible top-level window of the process with this exact caption (the modal questions "Jump",
  // "Interval", "Width", "Height").
  HWND FindWindowWithCaption(const std::string& caption) const;
  HWND WaitForWindowWithCaption(const std::string& caption, int timeout_ms = kTimeoutMs);
  bool WaitForWindowGone(HWND window, int timeout_ms = kTimeoutMs);
  // The text of the first edit control inside WINDOW (asked of the control itself).
  std::string EditText(HWND window) const;
  bool WaitForEditText(HWND window, const std::string& text, int timeout_ms = kTimeoutMs);

  // A visible message box of the process, its text, and pressing one of its buttons (IDOK, IDYES...).
  HWND FindMessageBox() const;
  HWND WaitForMessageBox(int timeout_ms = kTimeoutMs);
  std::string MessageBoxText(HWND box) const;
  bool PressMessageBoxButton(HWND box, int button_id);

  // The system's open or save dialog of the process, and answering it: the path is put into its file
  // name box and the dialog is confirmed, as typing the path and pressing Enter would.
  HWND WaitForFileDialog(int timeout_ms = kTimeoutMs);
  bool AnswerFileDialog(HWND dialog, const std::string& path);

  // Drops PATHS on the main window as the shell does, with MODIFIERS held (kCtrl, kAlt or both): the
  // shell's block of names is written into the program's memory and posted as WM_DROPFILES.
  bool DropFiles(const std::vector<std::string>& paths, unsigned modifiers = kNoModifier);

  // Asks the main window to close, as its close box would.
  bool Close();
  // Hands every title seen (polled every 10 ms) to SEE until the program ends; on timeout kills it
  // and fails.
  bool WatchTitlesUntilExit(const std::function<void(const std::string&)>& see, int timeout_ms = kTimeoutMs);
  // Waits for the program to end; on timeout kills it and fails.
  bool WaitForExit(int timeout_ms = kTimeoutMs, DWORD* exit_code = nullptr);
  void Kill();

  const std::string& failure() const { return failure_; }

 private:
  bool Fail(const std::string& message);
  bool BringToFront(HWND window);
  bool SendKey(UINT vk, unsigned modifiers);
  std::vector<HWND> TopLevelWindows() const;
  // Polls FIND until it gives a window; fails when the program ends or after TIMEOUT_MS, naming WHAT
  // ("message box").
  HWND WaitForWindow(const std::function<HWND()>& find, const std::string& what, int timeout_ms);

  PROCESS_INFORMATION info_{};
  // The program and what it starts (its plug-in host) run in this job, which ends them all when the
  // program is killed or this object goes.
  HANDLE job_ = nullptr;
  HWND main_ = nullptr;
  std::string failure_;
};

}  // namespace zeb::e2e
