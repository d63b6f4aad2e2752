// The List window of the real zeb.exe: V shows it docked to the main window's right edge, keys pressed
// in it walk the list, the main window keeps it docked as it moves, and V hides it again. Keys pressed
// while a large list is being edited are kept.
#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/e2e/common/e2e_environment.h"
#include "tests/e2e/common/test_folder.h"
#include "tools/driver/zeb_driver.h"

namespace zeb::e2e {
namespace {

struct Picture {
  const char* name;
  int width, height;
};

const Picture kA{"a.bmp", 160, 120}, kB{"b.bmp", 200, 150}, kC{"c.bmp", 180, 140};

std::string TitleOf(const Picture& p, int position, int count) {
  return "[F] (" + std::to_string(position) + "/" + std::to_string(count) + ") " + p.name + " " +
         std::to_string(p.width) + "x" + std::to_string(p.height) + " 100%";
}

ScreenRect RectOf(HWND window) {
  RECT r{};
  GetWindowRect(window, &r);
  return {r.left, r.top, r.right, r.bottom};
}

// Polls until the List window's top-left corner sits on the main window's top-right corner.
bool WaitDocked(const ZebProcess& zeb, HWND list, std::string& seen) {
  for (ULONGLONG start = GetTickCount64(); GetTickCount64() - start < 5000; Sleep(10)) {
    ScreenRect main = zeb.WindowRect(), side = RectOf(list);
    seen = "main " + Describe(main) + ", list " + Describe(side);
    if (side.left == main.right && side.top == main.top) return true;
  }
  return false;
}

bool WaitForeground(HWND window) {
  for (ULONGLONG start = GetTickCount64(); GetTickCount64() - start < 5000; Sleep(10))
    if (GetForegroundWindow() == window) return true;
  return false;
}

class ListWindowTest : public testing::Test {
 protected:
  void SetUp() override {
    for (const Picture* p : {&kA, &kB, &kC})
      folder.WriteBmp(std::string("pics/") + p->name, p->width, p->height);
    ASSERT_TRUE(zeb.Start(ZebExe(), {folder.Path("pics")}, folder.root())) << zeb.failure();
    ASSERT_TRUE(zeb.WaitForTitleEq(TitleOf(kA, 1, 3))) << zeb.failure();
    ASSERT_TRUE(zeb.WaitForStartupDone()) << zeb.failure();
  }

  TestFolder folder;
  ZebProcess zeb;
};

TEST_F(ListWindowTest, VShowsItDockedKeysInItWalkTheListAndVHidesIt) {
  ASSERT_EQ(zeb.FindWindowWithCaption("List"), nullptr) << "the List window starts hidden";
  ASSERT_TRUE(zeb.PressKey('V')) << zeb.failure();
  HWND list = zeb.WaitForWindowWithCaption("List");
  ASSERT_NE(list, nullptr) << zeb.failure();
  std::string seen;
  EXPECT_TRUE(WaitDocked(zeb, list, seen)) << seen;
  EXPECT_EQ(RectOf(list).width(), 300);
  EXPECT_EQ(RectOf(list).height(), 400);

  // N pressed in the list shows the next picture; the main window grows and the list follows.
  ASSERT_TRUE(zeb.PressKeyIn(list, 'N')) << zeb.failure();
  ASSERT_TRUE(zeb.WaitForTitleEq(TitleOf(kB, 2, 3))) << zeb.failure();
  EXPECT_TRUE(WaitDocked(zeb, list, seen)) << seen;
  // The key handed the focus back to the main window.
  EXPECT_TRUE(WaitForeground(zeb.main_window()));

  // Down pressed in the list moves the main window 20 pixels down; the list follows it.
  const ScreenRect before = zeb.WindowRect();
  ASSERT_TRUE(zeb.PressKeyIn(list, VK_DOWN)) << zeb.failure();
  EXPECT_TRUE(
      zeb.WaitForWindowRect([&](const ScreenRect& r) { return r.top == before.top + 20; }, "20 pixels lower"))
      << zeb.failure();
  EXPECT_TRUE(WaitDocked(zeb, list, seen)) << seen;
  EXPECT_EQ(zeb.Title(), TitleOf(kB, 2, 3)) << "Down must not move the selection";

  ASSERT_TRUE(zeb.PressKey('V')) << zeb.failure();
  EXPECT_TRUE(zeb.WaitForWindowGone(list)) << zeb.failure();
  EXPECT_TRUE(zeb.Running());
}

TEST_F(ListWindowTest, TheCloseButtonHidesItAndVShowsItAgain) {
  ASSERT_TRUE(zeb.PressKey('V')) << zeb.failure();
  HWND list = zeb.WaitForWindowWithCaption("List");
  ASSERT_NE(list, nullptr) << zeb.failure();
  PostMessageW(list, WM_CLOSE, 0, 0);
  ASSERT_TRUE(zeb.WaitForWindowGone(list)) << zeb.failure();
  EXPECT_TRUE(IsWindow(list));
  EXPECT_TRUE(zeb.Running());
  EXPECT_EQ(zeb.Title(), TitleOf(kA, 1, 3));

  ASSERT_TRUE(zeb.PressKey('V')) << zeb.failure();
  EXPECT_EQ(zeb.WaitForWindowWithCaption("List"), list) << zeb.failure();
}

// A list of 100,005 entries with the List window open: Ctrl+D removes the 100,000 of one folder, and the
// keys pressed right after it, before the removal has been shown, are all handled, in order; Escape then
// ends the program.
TEST(ListWindowEditTest, KeysPressedDuringABulkRemovalAreAllHandledInOrder) {
  struct Entry {
    std::string name;           // inside the test folder
    int width = 0, height = 0;  // zero: no file, the list only names it
  };
  std::vector<Entry> entries = {{"aaa/p1.bmp", 160, 120}, {"aaa/p2.bmp", 170, 130}};
  constexpr int kBig = 100000;
  for (int i = 0; i < kBig; ++i) {
    std::string number = std::to_string(i);
    entries.push_back({"big/p" + std::string(6 - number.size(), '0') + number + ".bmp"});
  }
  // The first of the big folder is shown.
  entries[2].width = 180;
  entries[2].height = 140;
  for (const Entry& e :
       {Entry{"pics/a.bmp", 190, 150}, Entry{"pics/b.bmp", 200, 160}, Entry{"pics/c.bmp", 210, 170}})
    entries.push_back(e);

  TestFolder folder;
  std::string lines;
  for (const Entry& e : entries) {
    if (e.width) folder.WriteBmp(e.name, e.width, e.height);
    lines += folder.Path(e.name) + "\n";
  }
  folder.WriteList("list.zeb", lines);
  // The entries come from three folders, so the title names them by full path.
  auto title_at = [&](const std::vector<Entry>& list, size_t index, const std::string& modes = "F") {
    const Entry& e = list[index];
    return "[" + modes + "] (" + std::to_string(index + 1) + "/" + std::to_string(list.size()) + ") " +
           folder.Path(e.name) + " " + std::to_string(e.width) + "x" + std::to_string(e.height) + " 100%";
  };

  ZebProcess zeb;
  ASSERT_TRUE(zeb.Start(ZebExe(), {folder.Path("list.zeb")}, folder.root())) << zeb.failure();
  ASSERT_TRUE(zeb.WaitForTitleEq(title_at(entries, 0))) << zeb.failure();
  ASSERT_TRUE(zeb.WaitForStartupDone()) << zeb.failure();
  ASSERT_TRUE(zeb.PressKey('V')) << zeb.failure();
  ASSERT_NE(zeb.WaitForWindowWithCaption("List"), nullptr) << zeb.failure();
  // Ctrl+N: to the first entry of the big folder.
  const size_t big = 2;
  ASSERT_TRUE(zeb.PressKey('N', kCtrl)) << zeb.failure();
  ASSERT_TRUE(zeb.WaitForTitleEq(title_at(entries, big))) << zeb.failure();

  // Ctrl+D removes the folder and shows the entry that took its place; N, N and P follow at once.
  const std::vector<UINT> keys = {'N', 'N', 'P'};
  ASSERT_TRUE(zeb.PressKey('D', kCtrl)) << zeb.failure();
  for (UINT key : keys) ASSERT_TRUE(zeb.PressKey(key)) << zeb.failure();

  std::vector<Entry> left;
  std::copy_if(entries.begin(), entries.end(), std::back_inserter(left),
               [](const Entry& e) { return !e.name.starts_with("big/"); });
  ASSERT_EQ(left.size(), entries.size() - kBig);
  // Each step key also sets the slide direction the title shows: the title wanted appears only once P,
  // the last key, has been handled.
  size_t at = big;
  for (UINT key : keys) at = key == 'N' ? std::min(at + 1, left.size() - 1) : at > 0 ? at - 1 : 0;
  ASSERT_TRUE(zeb.WaitForTitleEq(title_at(left, at, keys.back() == 'N' ? "F" : "B"))) << zeb.failure();

  // Nothing pressed so far has ended the program; Escape, read as the quit key, ends it cleanly.
  ASSERT_TRUE(zeb.Running());
  ASSERT_TRUE(zeb.PressKey(VK_ESCAPE)) << zeb.failure();
  DWORD code = 1;
  ASSERT_TRUE(zeb.WaitForExit(ZebProcess::kTimeoutMs, &code)) << zeb.failure();
  EXPECT_EQ(code, 0u);
}

}  // namespace
}  // namespace zeb::e2e
