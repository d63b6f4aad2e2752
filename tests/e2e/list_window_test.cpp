// The List window of the real zeb.exe: V shows it docked to the main window's right edge, keys pressed
// in it walk the list, the main window keeps it docked as it moves, and V hides it again.
#include <windows.h>

#include <string>

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

}  // namespace
}  // namespace zeb::e2e
