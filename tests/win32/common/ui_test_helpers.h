// Helpers for the Wine-run tests of the window layer: pumping messages for a while and typing through
// SendInput as a user would.
#pragma once

#include <functional>
#include <initializer_list>
#include <vector>

#include "platform/ui/forms.h"
#include "platform/win32/windows_api.h"

namespace zeb::testing_ui {

// Handles messages until Done returns true or Ms milliseconds have passed; returns Done's last answer.
inline bool PumpUntil(const std::function<bool()>& done, DWORD ms = 2000) {
  DWORD start = GetTickCount();
  for (;;) {
    ui::App().ProcessMessages();
    if (done()) return true;
    if (GetTickCount() - start > ms) return false;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
  }
}

inline void Pump(DWORD ms) {
  PumpUntil([] { return false; }, ms);
}

inline INPUT Key(WORD vk, bool up) {
  INPUT in = {};
  in.type = INPUT_KEYBOARD;
  in.ki.wVk = vk;
  in.ki.wScan = static_cast<WORD>(MapVirtualKeyW(vk, MAPVK_VK_TO_VSC));
  in.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
  if (vk == VK_LEFT || vk == VK_RIGHT || vk == VK_UP || vk == VK_DOWN || vk == VK_DELETE)
    in.ki.dwFlags |= KEYEVENTF_EXTENDEDKEY;
  return in;
}

// Presses the modifiers, taps Key, releases the modifiers in reverse order.
inline void Chord(std::initializer_list<WORD> modifiers, WORD key) {
  std::vector<INPUT> inputs;
  for (WORD m : modifiers) inputs.push_back(Key(m, false));
  inputs.push_back(Key(key, false));
  inputs.push_back(Key(key, true));
  for (auto it = std::rbegin(modifiers); it != std::rend(modifiers); ++it) inputs.push_back(Key(*it, true));
  SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

inline HWND Hwnd(const ui::Window& form) { return static_cast<HWND>(form.Handle()); }

// Makes a shown form the foreground window with the keyboard focus.
inline void Focus(ui::Window& form) {
  SetForegroundWindow(Hwnd(form));
  form.SetFocus();
  PumpUntil([&] { return GetForegroundWindow() == Hwnd(form); }, 1000);
}

}  // namespace zeb::testing_ui
