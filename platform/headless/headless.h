// The headless platform: everything the Win32 layer does, held in memory, so the viewer's logic runs
// and is tested natively. Tests reach its state through this header.
#pragma once

#include <atomic>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "platform/graphics/canvas.h"
#include "platform/services/desktop.h"
#include "platform/services/file_system.h"
#include "platform/services/helper_process.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/forms.h"

namespace zeb::headless {

// An in-memory file system with Windows paths ("C:\pics\a.jpg"). Paths compare without regard to
// case (A to Z); entries are listed in the order they were added.
class MemoryFileSystem : public FileSystem {
 public:
  // Empties the file system and puts back its default folders.
  void Reset() {
    std::lock_guard lock(mutex_);
    state_ = State{};
    findCalls = 0;
    openCalls = 0;
  }
  void Find(const std::string& pattern, const std::function<bool(const FindData&)>& each) override;
  bool Stamp(const std::string& path, FileStamp& stamp) override;
  bool Attributes(const std::string& path, uint32_t& attributes) override;
  std::string ExpandFileName(const std::string& path) override;
  std::string CurrentDirectory() override {
    std::lock_guard lock(mutex_);
    return state_.current;
  }
  std::unique_ptr<FileHandle> Open(const std::string& path, FileMode mode) override;
  bool ReplaceFile(const std::string& source, const std::string& target) override;
  bool DeleteFile(const std::string& path) override;
  std::string WindowsDirectory() override { return state_.windowsDir; }
  std::string SystemDirectory() override { return state_.systemDir; }
  std::string LocalAppDataDirectory() override { return state_.localAppData; }
  bool CreateFolder(const std::string& path) override;
  std::string ProgramFileName() override { return state_.programFile; }

  // Adds a file (and its missing parent folders); an existing one is replaced.
  void AddFile(const std::string& path, std::string contents, uint32_t attributes = kAttrArchive);
  void AddFolder(const std::string& path, uint32_t attributes = kAttrDirectory);
  std::string Contents(const std::string& path) const;
  void SetCurrentDirectory(const std::string& path) {
    std::lock_guard lock(mutex_);
    state_.current = path;
  }
  void SetWindowsDirectory(const std::string& path) { state_.windowsDir = path; }
  void SetSystemDirectory(const std::string& path) { state_.systemDir = path; }
  void SetLocalAppDataDirectory(const std::string& path) { state_.localAppData = path; }
  void SetProgramFileName(const std::string& path) { state_.programFile = path; }
  // Sets a file's write time as a copy that keeps it would (its generation stays).
  void SetWriteTime(const std::string& path, int64_t time);
  // Makes Open fail for this path (for a file that exists but cannot be read or written).
  void SetLocked(const std::string& path, bool locked);
  // Counts of Find and Open calls, for tests of how often the file system is searched and opened.
  std::atomic<int> findCalls = 0;
  std::atomic<int> openCalls = 0;

  struct Node {
    std::string name;  // as spelled when added
    uint32_t attributes = kAttrArchive;
    std::shared_ptr<std::string> data;
    std::vector<Node> children;
    bool locked = false;
    int64_t written = 0;      // when the file was last made or opened for writing, on the file system's clock
    uint64_t generation = 0;  // new on every write or replacement: the file's identity and change time
  };

 private:
  Node* Lookup(const std::string& path, Node** parent = nullptr);
  Node& MakeFolders(const std::string& folder);
  // Folder scans list folders on other threads while the test changes files on its own.
  mutable std::recursive_mutex mutex_;
  struct State {
    Node root{.name = {}, .attributes = kAttrDirectory, .data = {}, .children = {}};
    std::string current = "C:\\";
    int64_t clock = 0;         // counts the writes
    uint64_t generations = 0;  // counts the writes and replacements
    std::string windowsDir = "C:\\windows";
    std::string systemDir = "C:\\windows\\system32";
    std::string localAppData = "C:\\users\\user\\AppData\\Local";
    std::string programFile = "C:\\zeb\\zeb.exe";
  } state_;
};

// The process's default headless file system.
MemoryFileSystem& DefaultFiles();

// Fake plug-in libraries: a path maps to a table of exports. Load counts are kept per library.
void RegisterLibrary(const std::string& path, std::map<std::string, void*> exports,
                     std::string reportedFileName = "");
void UnregisterAllLibraries();
int LibraryLoadCount(const std::string& path);
int TotalLibraryLoads();

// Ends the guarded call that is running (a fake plug-in's export) as the hardware exception Code would
// end a real plug-in's call. Outside a guarded call it is an uncaught error.
[[noreturn]] void SimulateCrash(uint32_t code = 0xC0000005);

// Helper programs (platform/services/helper_process.h): StartHelperProcess runs Main, registered under
// the program's file name, on a thread of its own; what it returns is its exit code. A fake plug-in that
// hangs leaves once HelperKilled tells it (on the helper's thread) that the viewer killed its helper.
void RegisterHelper(const std::string& program, std::function<uint32_t(HelperPipe&)> main);
bool HelperKilled();
// Makes ProcessHeapsIntact false on the calling thread, as a damaged heap stays with its process (a
// helper's thread stands for its process).
void DamageHeaps();

// Local-memory blocks alive now, and blocks freed twice or unknown handles passed (both should be 0).
int LiveLocalBlocks();
int LocalMemoryFaults();

// Palettes created and not yet freed.
int LivePalettes();

// The settings store: key -> value name -> (is a string, value).
struct SettingValue {
  bool isString = true;
  std::string value;
};
std::map<std::string, std::map<std::string, SettingValue>>& Settings();
// Keys that cannot be opened for writing.
std::vector<std::string>& ReadOnlySettingsKeys();

// The desktop as the viewer sees it (and the address space the process has left).
struct DesktopState {
  int screenWidth = 1024, screenHeight = 768;
  int cxFrame = 4, cyCaption = 19;
  bool taskbarKnown = true;
  TaskbarEdge taskbarEdge = TaskbarEdge::Bottom;
  ScreenRect taskbar{0, 738, 1024, 768};
  std::vector<std::string> wallpapers;            // every path handed to SetDesktopWallpaper
  size_t wallpaperPathLimit = 260;                // the UTF-16 length from which a path is not taken
  uint64_t freeAddressSpace = uint64_t{1} << 30;  // what FreeAddressSpace reports
  int32_t dpi = ui::kStandardDpi;                 // of the primary screen; forms start on it
};
DesktopState& Desktop();

// Moves FORM to a screen of DPI as the system would: it gets the suggested size (the same in inches),
// then its OnDpiChanged runs.
void MoveToScreenOfDpi(ui::Window& form, int32_t dpi);

// Window messages: ProcessMessages runs this hook (if set), then every posted task.
std::function<void()>& OnProcessMessages();
void PostTask(std::function<void()> task);

// Background jobs (platform/services/background.h) are posted tasks, run in order by ProcessMessages,
// unless Threads is on: then each runs on a thread of its own, as on Windows (the default of a build
// with ZEB_HEADLESS_BACKGROUND_THREADS, the ThreadSanitizer build). FailLaunches drops each job as a
// thread that could not be made does.
struct BackgroundSettings {
  std::atomic<bool> threads = kBackgroundThreadsByDefault;
  std::atomic<bool> failLaunches = false;
#ifdef ZEB_HEADLESS_BACKGROUND_THREADS
  static constexpr bool kBackgroundThreadsByDefault = true;
#else
  static constexpr bool kBackgroundThreadsByDefault = false;
#endif
};
BackgroundSettings& Background();

// Scripted answers to modal questions. Unset scripts answer DialogResult::Cancel / false.
struct Scripts {
  // ShowModal of a form: the script may type into the form's edit and returns the result.
  std::function<ui::DialogResult(ui::Window& form)> showModal;
  // Message boxes: every text shown is logged; the script answers (default: DialogResult::Ok for OK boxes).
  std::function<ui::DialogResult(const std::string& text, ui::MessageButtons buttons)> messageBox;
  std::vector<std::string> messages;
  // File dialogs: the chosen name, or empty for Cancel.
  std::function<std::string(bool save, const ui::OpenFileDialog& dialog)> fileDialog;
};
Scripts& Script();

// Resets every piece of headless state above (between tests).
void ResetAll();

}  // namespace zeb::headless

namespace zeb::ui {

// The headless form's state, visible to tests.
struct Window::Impl {
  BorderStyle style;
  std::string caption;
  int32_t left = 100, top = 100, width = 0, height = 0;  // outer
  int32_t clientWidth = 0, clientHeight = 0;
  ShowState state = ShowState::Normal;
  bool visible = false;
  bool closed = false;
  bool acceptsFiles = false;
  bool focused = false;
  DialogResult modalResult = DialogResult::None;
  int invalidations = 0;
  int32_t dpi = kStandardDpi;
  std::vector<EditBox*> edits;
};

struct ListBox::Impl {
  std::function<std::string(int32_t)> source;
  int32_t count = 0;
  int32_t itemIndex = -1;
};

struct EditBox::Impl {
  std::string text;
  int32_t selStart = 0, selLength = 0;
  bool focused = false;
};

// Types one character into an edit as the user would (through OnKeyPress; a character not discarded
// replaces the selection).
void TypeChar(EditBox& edit, char32_t ch);

}  // namespace zeb::ui
