// Dropping files on the running program as the shell would: a drop block in the program's memory, the
// modifier keys held in its key state, and WM_DROPFILES.
#include <windows.h>
#include <shlobj.h>

#include <algorithm>
#include <vector>

#include "tools/driver/key_input.h"
#include "tools/driver/zeb_driver.h"

namespace zeb::e2e {

bool ZebProcess::DropFiles(const std::vector<std::string>& paths, unsigned modifiers) {
  if (!WaitForMainWindow()) return false;
  if (!Running()) return Fail("the program has ended; nothing can be dropped");
  // The shell's block: the header, then each wide name ended by a zero, then a closing zero.
  std::wstring names;
  for (const std::string& path : paths) names += Utf8ToWide(path) + L'\0';
  names += L'\0';
  DROPFILES header{};
  header.pFiles = sizeof(header);
  header.fWide = TRUE;
  std::vector<BYTE> block(sizeof(header) + names.size() * sizeof(wchar_t));
  std::copy_n(reinterpret_cast<const BYTE*>(&header), sizeof(header), block.begin());
  std::copy_n(reinterpret_cast<const BYTE*>(names.data()), names.size() * sizeof(wchar_t),
              block.begin() + sizeof(header));
  // Memory of the program's own that is no handle of its heap: the drop functions take such a pointer
  // as fixed memory. Letting the drop go cannot free it; the page stays until the program ends.
  void* remote =
      VirtualAllocEx(info_.hProcess, nullptr, block.size(), MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
  if (!remote) return Fail("could not make room for the drop in the program");
  if (!WriteProcessMemory(info_.hProcess, remote, block.data(), block.size(), nullptr))
    return Fail("could not write the drop into the program");

  // The program reads the modifiers from its thread's key state as it handles the drop. Sharing that
  // state shows when the program has taken the key presses; the drop, posted then, is handled before
  // the key releases sent after it, as posted messages come before input.
  std::vector<UINT> held;
  if (modifiers & kCtrl) held.push_back(VK_CONTROL);
  if (modifiers & kAlt) held.push_back(VK_MENU);
  if (!held.empty() && !BringToFront(main_)) return false;
  const DWORD thread = GetWindowThreadProcessId(main_, nullptr);
  const bool attached = !held.empty() && AttachThreadInput(GetCurrentThreadId(), thread, TRUE);
  if (!held.empty() && !attached) return Fail("could not share the program's key state");
  // Waits up to MS for the program's key state to show the held keys DOWN (or all released).
  auto await_keys = [&](bool down, ULONGLONG ms) {
    for (ULONGLONG start = GetTickCount64(); GetTickCount64() - start <= ms; Sleep(kPollMs)) {
      if (std::all_of(held.begin(), held.end(),
                      [down](UINT vk) { return (GetKeyState(static_cast<int>(vk)) < 0) == down; }))
        return true;
    }
    return false;
  };
  std::vector<INPUT> inputs;
  for (UINT vk : held) inputs.push_back(KeyInput(vk, false));
  // Now and then a press never shows in the program's key state (about one drop in a hundred): it is
  // sent again.
  bool ok = true;
  for (int attempt = 1; ok && !held.empty(); ++attempt) {
    if (SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT)) != inputs.size())
      ok = Fail("SendInput could not press the modifier keys");
    else if (await_keys(true, 1500))
      break;
    else if (attempt == 3)
      ok = Fail(std::string("the program never took the held modifier keys") +
                (GetForegroundWindow() == main_ ? "" : " (the main window lost the foreground)"));
  }
  if (ok && !PostMessageW(main_, WM_DROPFILES, reinterpret_cast<WPARAM>(remote), 0))
    ok = Fail("could not post the drop");
  inputs.clear();
  for (auto vk = held.rbegin(); vk != held.rend(); ++vk) inputs.push_back(KeyInput(*vk, true));
  if (!inputs.empty()) SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
  // A drop posted next would otherwise be handled before these releases, with the keys still down.
  if (!await_keys(false, 5000)) ok = Fail("the modifier keys stayed down");
  if (attached) AttachThreadInput(GetCurrentThreadId(), thread, FALSE);
  return ok;
}

}  // namespace zeb::e2e
