// The window layer under Wine: forms, their geometry and states, timers, the modal loop, keys and drops.
#include <gtest/gtest.h>

#include <cstring>

#include <shlobj.h>
#include <string>
#include <vector>

#include "platform/core/errors.h"
#include "platform/ui/forms.h"
#include "platform/win32/utf16.h"
#include "platform/win32/window_layer.h"
#include "tests/win32/common/ui_test_helpers.h"

namespace zeb::ui {
namespace {

using testing_ui::Chord;
using testing_ui::Focus;
using testing_ui::Hwnd;
using testing_ui::Pump;
using testing_ui::PumpUntil;

// Every test leaves the application as it found it.
class WindowTest : public ::testing::Test {
 protected:
  void TearDown() override {
    App().MainForm = nullptr;
    App().OnMinimize = nullptr;
    App().OnRestore = nullptr;
  }
};

TEST_F(WindowTest, SingleBorderFormHasTheOuterSizeOfItsFrame) {
  Window form(BorderStyle::Single, "ImageView 日本語", 210, 213);
  EXPECT_FALSE(form.Visible());
  EXPECT_EQ(form.Width(), 216);
  EXPECT_EQ(form.Height(), 238);
  EXPECT_EQ(form.ClientWidth(), 210);
  EXPECT_EQ(form.ClientHeight(), 213);
  // The frame the window fitting adds is the one the window has, also after a resize.
  form.SetBounds(10, 10, 400, 300);
  EXPECT_EQ(form.ClientWidth() + form.FrameWidth(), 400);
  EXPECT_EQ(form.ClientHeight() + form.FrameHeight(), 300);
  EXPECT_EQ(form.Caption(), "ImageView 日本語");
  LONG style = GetWindowLongW(Hwnd(form), GWL_STYLE);
  EXPECT_FALSE(style & WS_MAXIMIZEBOX);
  EXPECT_FALSE(style & WS_THICKFRAME);
  EXPECT_TRUE(style & WS_MINIMIZEBOX);
  form.SetCaption("😀");
  EXPECT_EQ(form.Caption(), "😀");
}

TEST_F(WindowTest, DialogAndSizeableFormsGetTheClientSizeAsked) {
  Window dialog(BorderStyle::Dialog, "Jump", 115, 39);
  EXPECT_EQ(dialog.ClientWidth(), 115);
  EXPECT_EQ(dialog.ClientHeight(), 39);
  EXPECT_FALSE(GetWindowLongW(Hwnd(dialog), GWL_STYLE) & (WS_THICKFRAME | WS_MINIMIZEBOX));
  Window list(BorderStyle::Sizeable, "List", 292, 373);
  EXPECT_EQ(list.ClientWidth(), 292);
  EXPECT_EQ(list.ClientHeight(), 373);
  EXPECT_EQ(list.Width(), 292 + list.FrameWidth());
  EXPECT_EQ(list.Height(), 373 + list.FrameHeight());
  EXPECT_TRUE(GetWindowLongW(Hwnd(list), GWL_STYLE) & WS_THICKFRAME);
}

TEST_F(WindowTest, DialogIsCentredOnTheScreenWhenShown) {
  Window dialog(BorderStyle::Dialog, "Jump", 115, 39);
  dialog.Show();
  EXPECT_EQ(dialog.Left(), (1024 - dialog.Width()) / 2);
  EXPECT_EQ(dialog.Top(), (768 - dialog.Height()) / 2);
}

TEST_F(WindowTest, SetBoundsMovesTheOuterRectangleAndReportsMoves) {
  Window form(BorderStyle::Single, "f", 210, 213);
  int moves = 0;
  form.OnMove = [&] { ++moves; };
  form.Show();
  form.SetBounds(50, 60, 300, 200);
  EXPECT_EQ(form.Left(), 50);
  EXPECT_EQ(form.Top(), 60);
  EXPECT_EQ(form.Width(), 300);
  EXPECT_EQ(form.Height(), 200);
  EXPECT_EQ(form.ClientWidth(), 294);
  EXPECT_EQ(form.ClientHeight(), 175);
  EXPECT_GE(moves, 1);
  int before = moves;
  form.SetLeft(70);
  EXPECT_EQ(form.Left(), 70);
  EXPECT_EQ(form.Width(), 300);
  EXPECT_GT(moves, before);
}

TEST_F(WindowTest, MaximisingWaitsForShowAndRestores) {
  Window form(BorderStyle::Single, "f", 210, 213);
  form.SetWindowState(ShowState::Maximised);
  EXPECT_FALSE(form.Visible()) << "setting the state does not show a hidden form";
  EXPECT_EQ(form.WindowState(), ShowState::Maximised);
  form.Show();
  EXPECT_TRUE(form.Visible());
  EXPECT_TRUE(IsZoomed(Hwnd(form))) << "no maximise box, maximised all the same";
  EXPECT_GE(form.Width(), 1024);
  form.SetWindowState(ShowState::Normal);
  EXPECT_EQ(form.WindowState(), ShowState::Normal);
  EXPECT_EQ(form.Width(), 216);
  form.SetWindowState(ShowState::Maximised);
  EXPECT_EQ(form.WindowState(), ShowState::Maximised);
}

TEST_F(WindowTest, MainFormMinimiseAndRestoreReachTheApplication) {
  Window form(BorderStyle::Single, "main", 210, 213);
  App().MainForm = &form;
  int minimised = 0, restored = 0;
  App().OnMinimize = [&] { ++minimised; };
  App().OnRestore = [&] { ++restored; };
  // Minimising before the first show starts the program minimised.
  App().Minimize();
  EXPECT_TRUE(form.Visible());
  EXPECT_EQ(form.WindowState(), ShowState::Minimised);
  EXPECT_EQ(minimised, 1);
  EXPECT_TRUE(GetWindowLongW(Hwnd(form), GWL_EXSTYLE) & WS_EX_APPWINDOW) << "the main form is on the taskbar";
  form.SetWindowState(ShowState::Normal);
  EXPECT_EQ(restored, 1);
  EXPECT_EQ(form.WindowState(), ShowState::Normal);
  form.SetBounds(10, 10, 216, 238);  // a move is no restore
  App().Minimize();
  EXPECT_EQ(minimised, 2);
  ShowWindow(Hwnd(form), SW_RESTORE);
  EXPECT_EQ(restored, 2);
  EXPECT_EQ(minimised, 2);
}

// The main form also shows before it takes the focus, which a form of the program already active keeps.
TEST_F(WindowTest, TheMainFormStandsAloneAndGetsTheIconOnceShown) {
  Window form(BorderStyle::Single, "main", 210, 213);
  App().MainForm = &form;
  Window list(BorderStyle::Sizeable, "List", 100, 100);
  EXPECT_EQ(GetWindow(Hwnd(form), GW_OWNER), nullptr) << "the first form is a window of its own";
  HWND owner = GetWindow(Hwnd(list), GW_OWNER);
  EXPECT_TRUE(owner && owner != Hwnd(form)) << "the later forms belong to the hidden window, off the taskbar";
  form.Show();
  EXPECT_NE(GetActiveWindow(), Hwnd(form));
  auto icon = [](HWND window) {
    return SendMessageW(window, WM_GETICON, ICON_BIG, 0) || GetClassLongPtrW(window, GCLP_HICON);
  };
  EXPECT_TRUE(PumpUntil([&] { return icon(Hwnd(form)) && GetActiveWindow() == Hwnd(form); }, 2000));
  EXPECT_TRUE(icon(Hwnd(list)));
  App().MainForm = &list;
  list.Show();
  EXPECT_FALSE(PumpUntil([&] { return GetActiveWindow() != Hwnd(form); }, 200));
}

TEST_F(WindowTest, TimerTicksWhileEnabledWithAnInterval) {
  Window form(BorderStyle::Single, "f", 100, 100);
  Timer timer(form), other(form);
  int ticks = 0, otherTicks = 0;
  timer.OnTimer = [&] { ++ticks; };
  other.OnTimer = [&] { ++otherTicks; };
  timer.SetInterval(20);
  Pump(100);
  EXPECT_EQ(ticks, 0) << "disabled";
  timer.SetEnabled(true);
  EXPECT_TRUE(PumpUntil([&] { return ticks >= 3; }));
  timer.SetEnabled(false);
  Pump(20);
  int stopped = ticks;
  Pump(150);
  EXPECT_EQ(ticks, stopped);
  timer.SetInterval(0);
  timer.SetEnabled(true);
  Pump(150);
  EXPECT_EQ(ticks, stopped) << "an interval of 0 gives no ticks";
  EXPECT_EQ(otherTicks, 0) << "each timer has its own id";
}

// The Jump dialog's pattern: Enter accepts, Escape cancels, digits pass, everything else is dropped.
struct NumberDialog {
  NumberDialog() : form(BorderStyle::Dialog, "Jump", 115, 39), edit(form, 8, 8, 89, 20) {
    form.OnShow = [this] {
      edit.SetText("5");
      edit.Select(0, 1);
      edit.SetFocus();
    };
    edit.OnKeyPress = [this](char32_t& key) {
      if (key == U'\r') form.SetModalResult(DialogResult::Ok);
      if (key == 0x1B) form.SetModalResult(DialogResult::Cancel);
      if (key != 8 && key != U'.' && (key < U'0' || key > U'9')) key = 0;
    };
  }
  void Type(const std::u16string& text) {
    for (char16_t c : text) PostMessageW(edit.impl().hwnd, WM_CHAR, c, 1);
  }
  Window form;
  EditBox edit;
};

TEST_F(WindowTest, ModalFormEndsWithOkWhenItsEditGetsEnter) {
  Window main(BorderStyle::Single, "main", 100, 100);
  main.Show();
  NumberDialog dialog;
  bool mainEnabledDuring = true;
  auto filter = dialog.edit.OnKeyPress;
  dialog.edit.OnKeyPress = [&](char32_t& key) {
    mainEnabledDuring = IsWindowEnabled(Hwnd(main));
    filter(key);
  };
  dialog.Type(u"1x-2😀\r7");
  EXPECT_EQ(dialog.form.ShowModal(), DialogResult::Ok);
  EXPECT_EQ(dialog.edit.Text(), "12") << "typing replaced the selected preset; other characters dropped";
  EXPECT_FALSE(mainEnabledDuring) << "the other windows are disabled while the dialog runs";
  EXPECT_TRUE(IsWindowEnabled(Hwnd(main)));
  EXPECT_FALSE(dialog.form.Visible());
  EXPECT_EQ(dialog.form.ModalResult(), DialogResult::Ok);
  Pump(50);  // the "7" posted after Enter lands in the hidden edit
}

// Moved to a screen of twice the DPI, a form takes the rectangle the system suggests, its controls keep
// their places in proportion, and its handler runs with the new DPI.
TEST_F(WindowTest, AMoveToAScreenOfOtherScalingReachesTheFormScaled) {
  NumberDialog dialog;
  const int32_t before = dialog.form.Dpi();
  int32_t seen = 0;
  dialog.form.OnDpiChanged = [&] { seen = dialog.form.Dpi(); };
  RECT suggested{40, 50, 40 + 2 * dialog.form.Width(), 50 + 2 * dialog.form.Height()};
  SendMessageW(Hwnd(dialog.form), WM_DPICHANGED, MAKEWPARAM(2 * before, 2 * before),
               reinterpret_cast<LPARAM>(&suggested));
  EXPECT_EQ(seen, 2 * before);
  EXPECT_EQ(dialog.form.Left(), 40);
  EXPECT_EQ(dialog.form.Width(), suggested.right - suggested.left);
  RECT edit{};
  GetWindowRect(dialog.edit.impl().hwnd, &edit);
  MapWindowPoints(nullptr, Hwnd(dialog.form), reinterpret_cast<POINT*>(&edit), 2);
  EXPECT_EQ(edit.left, 16);
  EXPECT_EQ(edit.top, 16);
  EXPECT_EQ(edit.right - edit.left, 178);
}

TEST_F(WindowTest, ModalFormIsCancelledByEscapeAndByItsCloseButton) {
  NumberDialog dialog;
  dialog.Type(u"9\x1B");
  EXPECT_EQ(dialog.form.ShowModal(), DialogResult::Cancel);
  EXPECT_EQ(dialog.edit.Text(), "9");
  PostMessageW(Hwnd(dialog.form), WM_CLOSE, 0, 0);
  EXPECT_EQ(dialog.form.ShowModal(), DialogResult::Cancel);
  EXPECT_EQ(dialog.edit.Text(), "5") << "shown again: the preset is back";
  // Close on a modal form is a cancel too, and the form can be used again.
  PostMessageW(Hwnd(dialog.form), WM_NULL, 0, 0);
  dialog.form.OnShow = [&] { dialog.form.Close(); };
  EXPECT_EQ(dialog.form.ShowModal(), DialogResult::Cancel);
}

TEST_F(WindowTest, EditSelectionCountsUtf8Bytes) {
  Window form(BorderStyle::Dialog, "Jump", 115, 39);
  EditBox edit(form, 8, 8, 89, 20);
  edit.SetText("日本12");
  edit.Select(6, 2);
  EXPECT_EQ(edit.SelStart(), 6);
  EXPECT_EQ(edit.SelLength(), 2);
  DWORD from = 0, to = 0;
  SendMessageW(edit.impl().hwnd, EM_GETSEL, reinterpret_cast<WPARAM>(&from), reinterpret_cast<LPARAM>(&to));
  EXPECT_EQ(from, 2u);
  EXPECT_EQ(to, 4u);
  edit.Select(0, static_cast<int32_t>(edit.Text().size()));
  EXPECT_EQ(edit.SelLength(), 8);
}

struct KeyLog {
  std::vector<std::pair<uint16_t, ModifierKeys>> keys;
  bool zero = false;
  void Attach(Window& form) {
    form.OnKeyDown = [this](uint16_t& key, ModifierKeys shift) {
      if (key == VK_SHIFT || key == VK_CONTROL || key == VK_MENU) return;
      keys.emplace_back(key, shift);
      if (zero) key = 0;
    };
  }
};

TEST_F(WindowTest, KeysReachOnKeyDownWithTheirModifiersAlsoWithAlt) {
  Window form(BorderStyle::Single, "keys", 200, 200);
  KeyLog log;
  log.Attach(form);
  form.Show();
  Focus(form);
  Chord({VK_MENU}, 'N');
  ASSERT_TRUE(PumpUntil([&] { return log.keys.size() >= 1; }));
  EXPECT_EQ(log.keys[0], std::make_pair(uint16_t{'N'}, ModifierKeys{kAlt}));
  Chord({VK_CONTROL, VK_SHIFT}, VK_LEFT);
  ASSERT_TRUE(PumpUntil([&] { return log.keys.size() >= 2; }));
  EXPECT_EQ(log.keys[1], std::make_pair(uint16_t{VK_LEFT}, ModifierKeys{kCtrl | kShift}));
  // Alt pressed and released alone must not park the keyboard in a menu: the next key still arrives.
  Chord({}, VK_MENU);
  Chord({}, 'B');
  ASSERT_TRUE(PumpUntil([&] { return log.keys.size() >= 3; }));
  EXPECT_EQ(log.keys[2], std::make_pair(uint16_t{'B'}, ModifierKeys{0}));
}

TEST_F(WindowTest, AltF4ClosesUnlessTheHandlerTakesTheKey) {
  Window form(BorderStyle::Single, "keys", 200, 200);
  KeyLog log;
  log.Attach(form);
  form.Show();
  Focus(form);
  log.zero = true;
  Chord({VK_MENU}, VK_F4);
  ASSERT_TRUE(PumpUntil([&] { return log.keys.size() >= 1; }));
  Pump(100);
  EXPECT_TRUE(form.Visible()) << "the handler took Alt+F4";
  log.zero = false;
  Chord({VK_MENU}, VK_F4);
  EXPECT_TRUE(PumpUntil([&] { return !form.Visible(); })) << "a form that is not the main form hides";
}

HDROP MakeDrop(const std::vector<std::string>& paths) {
  std::wstring list;
  for (auto& p : paths) list += win32::Widen(p) + L'\0';
  list += L'\0';
  HGLOBAL memory = GlobalAlloc(GHND, sizeof(DROPFILES) + list.size() * sizeof(wchar_t));
  auto* drop = static_cast<DROPFILES*>(GlobalLock(memory));
  drop->pFiles = sizeof(DROPFILES);
  drop->fWide = TRUE;
  std::memcpy(drop + 1, list.data(), list.size() * sizeof(wchar_t));
  GlobalUnlock(memory);
  return static_cast<HDROP>(memory);
}

TEST_F(WindowTest, DroppedFilesArriveWithFullPathsAndTheModifierState) {
  Window form(BorderStyle::Single, "drop", 200, 200);
  form.AcceptFiles(true);
  EXPECT_TRUE(GetWindowLongW(Hwnd(form), GWL_EXSTYLE) & WS_EX_ACCEPTFILES);
  std::vector<std::vector<std::string>> drops;
  std::vector<ModifierKeys> shifts;
  form.OnDropFiles = [&](const std::vector<std::string>& paths, ModifierKeys shift) {
    drops.push_back(paths);
    shifts.push_back(shift);
  };
  form.Show();
  Focus(form);
  std::string longPath = "C:\\" + std::string(300, 'x') + ".jpg";
  PostMessageW(Hwnd(form), WM_DROPFILES, reinterpret_cast<WPARAM>(MakeDrop({"C:\\写真\\a.jpg", longPath})),
               0);
  ASSERT_TRUE(PumpUntil([&] { return drops.size() == 1; }));
  EXPECT_EQ(drops[0], (std::vector<std::string>{"C:\\写真\\a.jpg", longPath}));
  EXPECT_EQ(shifts[0], 0u);

  // The state the handler reads is the thread's key state: hold Ctrl there, as a key press would.
  BYTE keys[256];
  GetKeyboardState(keys);
  keys[VK_CONTROL] = keys[VK_LCONTROL] = 0x80;
  SetKeyboardState(keys);
  PostMessageW(Hwnd(form), WM_DROPFILES, reinterpret_cast<WPARAM>(MakeDrop({"D:\\b"})), 0);
  ASSERT_TRUE(PumpUntil([&] { return drops.size() == 2; }));
  keys[VK_MENU] = keys[VK_LMENU] = 0x80;
  SetKeyboardState(keys);
  PostMessageW(Hwnd(form), WM_DROPFILES, reinterpret_cast<WPARAM>(MakeDrop({"D:\\c"})), 0);
  ASSERT_TRUE(PumpUntil([&] { return drops.size() == 3; }));
  keys[VK_CONTROL] = keys[VK_LCONTROL] = keys[VK_MENU] = keys[VK_LMENU] = 0;
  SetKeyboardState(keys);
  EXPECT_EQ(shifts[1], ModifierKeys{kCtrl});
  EXPECT_EQ(shifts[2], ModifierKeys{kCtrl | kAlt});
  form.AcceptFiles(false);
  EXPECT_FALSE(GetWindowLongW(Hwnd(form), GWL_EXSTYLE) & WS_EX_ACCEPTFILES);
}

TEST_F(WindowTest, ProcessMessagesHandlesWhatIsPending) {
  Window form(BorderStyle::Single, "f", 100, 100);
  form.Show();
  Pump(20);
  PostMessageW(Hwnd(form), WM_CLOSE, 0, 0);
  Sleep(5);
  App().ProcessMessages();
  EXPECT_FALSE(form.Visible()) << "the posted close was handled";
}

TEST_F(WindowTest, ErrorsInHandlersGoToTheApplicationNotThroughTheSystem) {
  // A handler that raises SilentAbort: the default handler shows nothing and the form goes on working.
  Window form(BorderStyle::Single, "f", 100, 100);
  int moves = 0;
  form.OnMove = [&] {
    ++moves;
    throw SilentAbort("stop");
  };
  form.Show();
  moves = 0;
  form.SetBounds(30, 30, 116, 125);
  form.SetBounds(40, 40, 116, 125);
  EXPECT_EQ(moves, 2);
  EXPECT_EQ(form.Left(), 40);
}

}  // namespace
}  // namespace zeb::ui
