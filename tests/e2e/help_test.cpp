// The key help of the real zeb.exe: F1 shows it, Escape in it closes it, and the viewer goes on with
// its list and title as they were.
#include <windows.h>

#include <gtest/gtest.h>

#include "tests/e2e/common/e2e_environment.h"
#include "tests/e2e/common/test_folder.h"
#include "tools/driver/zeb_driver.h"

namespace zeb::e2e {
namespace {

TEST(HelpTest, F1ShowsTheKeysAndEscapeClosesThemOnly) {
  TestFolder folder;
  folder.WriteBmp("pics/a.bmp", 160, 120);
  folder.WriteBmp("pics/b.bmp", 170, 130);
  ZebProcess zeb;
  ASSERT_TRUE(zeb.Start(ZebExe(), {folder.Path("pics")}, folder.root())) << zeb.failure();
  const std::string title = "[F] (1/2) a.bmp 160x120 100%";
  ASSERT_TRUE(zeb.WaitForTitleEq(title)) << zeb.failure();
  ASSERT_TRUE(zeb.WaitForStartupDone()) << zeb.failure();

  ASSERT_TRUE(zeb.PressKey(VK_F1)) << zeb.failure();
  HWND help = zeb.WaitForWindowWithCaption("ZEB keys");
  ASSERT_NE(help, nullptr) << zeb.failure();
  ASSERT_TRUE(zeb.PressKeyIn(help, VK_ESCAPE)) << zeb.failure();
  EXPECT_TRUE(zeb.WaitForWindowGone(help)) << zeb.failure();
  Sleep(200);
  EXPECT_TRUE(zeb.Running());
  EXPECT_EQ(zeb.Title(), title);

  ASSERT_TRUE(zeb.PressKey(VK_ESCAPE)) << zeb.failure();
  EXPECT_TRUE(zeb.WaitForExit()) << zeb.failure();
}

}  // namespace
}  // namespace zeb::e2e
