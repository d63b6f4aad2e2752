// Escape while the real zeb.exe walks a large tree: the program ends at once, the folders being listed
// ahead of the walk are not waited for.
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include <gtest/gtest.h>

#include "tests/e2e/common/e2e_environment.h"
#include "tools/driver/zeb_driver.h"

namespace zeb::e2e {
namespace {

TEST(ScanEscapeTest, EscapeDuringTheWalkOfALargeTreeEndsTheProgramWithinHalfASecond) {
  // The test command's tree of 300,000 files (tests/e2e/make_large_scan_tree.sh): while the walk adds
  // the files of "a", a worker lists "a\b".
  const char* tree = std::getenv("ZEB_E2E_LARGE_SCAN_TREE");
  ASSERT_TRUE(tree && *tree) << "ZEB_E2E_LARGE_SCAN_TREE names no tree";
  const std::string scanning = FullWindowsPath(tree);
  ZebProcess zeb;
  ASSERT_TRUE(zeb.Start(ZebExe(), {scanning})) << zeb.failure();
  ASSERT_TRUE(zeb.WaitForTitle([&](const std::string& t) { return t.starts_with(scanning + "\\a\\p"); },
                               "naming a file of the first folder"))
      << zeb.failure();

  ASSERT_TRUE(zeb.PressKey(VK_ESCAPE)) << zeb.failure();
  const auto pressed = std::chrono::steady_clock::now();
  ASSERT_EQ(WaitForSingleObject(zeb.process(), ZebProcess::kTimeoutMs), WAIT_OBJECT_0);
  const auto took =
      std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - pressed);
  std::printf("Escape to the end of the program: %lld ms\n", static_cast<long long>(took.count()));
  EXPECT_LT(took.count(), 500);
  ASSERT_TRUE(zeb.WaitForExit()) << zeb.failure();
}

}  // namespace
}  // namespace zeb::e2e
