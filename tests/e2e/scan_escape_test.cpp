// The real zeb.exe in its long loops over entries: Escape during the walk of a large tree, or during the
// search past its 300,000 unreadable files, ends the program at once; a list of 100,000 entries whose
// files are gone is passed quickly to the one picture after them.
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/e2e/common/e2e_environment.h"
#include "platform/win32/utf16.h"
#include "tests/e2e/common/test_folder.h"
#include "tools/driver/zeb_driver.h"

namespace zeb::e2e {
namespace {

// Presses Escape and returns how long the program took to end.
long long MillisecondsToEndAfterEscape(ZebProcess& zeb) {
  if (!zeb.PressKey(VK_ESCAPE)) return -1;
  const auto pressed = std::chrono::steady_clock::now();
  if (WaitForSingleObject(zeb.process(), ZebProcess::kTimeoutMs) != WAIT_OBJECT_0) return -1;
  return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - pressed)
      .count();
}

// Starts zeb.exe on the test command's tree of 300,000 empty files (tests/e2e/make_large_scan_tree.sh),
// waits for a title that Reached accepts (given the title and the tree's Windows path), presses Escape
// and expects the program to end within 0.5 s.
void ExpectEscapeEndsTheProgramOnce(
    const std::function<bool(const std::string&, const std::string&)>& reached, const std::string& what) {
  const char* tree = std::getenv("ZEB_E2E_LARGE_SCAN_TREE");
  ASSERT_TRUE(tree && *tree) << "ZEB_E2E_LARGE_SCAN_TREE names no tree";
  const std::string path = FullWindowsPath(tree);
  ZebProcess zeb;
  ASSERT_TRUE(zeb.Start(ZebExe(), {path})) << zeb.failure();
  ASSERT_TRUE(zeb.WaitForTitle([&](const std::string& t) { return reached(t, path); }, what, 180000))
      << zeb.failure();
  const long long took = MillisecondsToEndAfterEscape(zeb);
  std::printf("Escape to the end of the program: %lld ms\n", took);
  EXPECT_GE(took, 0);
  EXPECT_LT(took, 500);
  ASSERT_TRUE(zeb.WaitForExit()) << zeb.failure();
}

TEST(ScanEscapeTest, EscapeDuringTheWalkOfALargeTreeEndsTheProgramWithinHalfASecond) {
  // While the walk adds the files of "a", a worker lists "a\b".
  ExpectEscapeEndsTheProgramOnce(
      [](const std::string& t, const std::string& tree) { return t.starts_with(tree + "\\a\\p"); },
      "naming a file of the first folder");
}

TEST(ScanEscapeTest, EscapeWhileUnreadableFilesAreDroppedEndsTheProgramWithinHalfASecond) {
  // After the walk every empty file is tried and dropped, the title counting.
  ExpectEscapeEndsTheProgramOnce(
      [](const std::string& t, const std::string&) {
        return t.starts_with("(") && t.find("/300000) ") != t.npos;
      },
      "counting the entries tried");
}

TEST(ScanEscapeTest, AListOfManyMissingFilesIsPassedToThePictureAfterThem) {
  // 100,000 entries in 100 folders, half of them gone, half empty, then one picture.
  TestFolder folder;
  std::vector<std::wstring> folders;
  std::string lines;
  for (int f = 0; f < 100; ++f) {
    const std::string sub = (f % 2 ? "gone\\d" : "empty\\d") + std::to_string(f);
    if (f % 2 == 0) folder.MakeFolder(sub);
    folders.push_back(win32::Widen(folder.Path(sub)));
    for (int i = 0; i < 1000; ++i) lines += folder.Path(sub + "\\p" + std::to_string(i) + ".jpg") + "\n";
  }
  folder.WriteBmp("zz\\good.bmp", 40, 30);
  lines += folder.Path("zz\\good.bmp") + "\n";
  folder.WriteList("missing.zeb", lines);

  const auto start = std::chrono::steady_clock::now();
  ZebProcess zeb;
  ASSERT_TRUE(zeb.Start(ZebExe(), {folder.Path("missing.zeb")})) << zeb.failure();
  ASSERT_TRUE(zeb.WaitForTitle(
      [](const std::string& t) { return t.find("(1/1) ") != t.npos && t.find("good.bmp 40x30") != t.npos; },
      "the picture after the missing entries", 60000))
      << zeb.failure();
  const double shown = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  // The reference: one listing of the same folders, in this run.
  const auto listStart = std::chrono::steady_clock::now();
  for (const std::wstring& path : folders) {
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW((path + L"\\*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) continue;
    while (FindNextFileW(find, &data)) {
    }
    FindClose(find);
  }
  const double listing = std::chrono::duration<double>(std::chrono::steady_clock::now() - listStart).count();
  std::printf(
      "100,000 missing entries passed, the picture shown %.0f ms after the start; one listing of "
      "their folders %.1f ms (%.0fx)\n",
      shown * 1000, listing * 1000, shown / listing);
  ASSERT_TRUE(zeb.Close()) << zeb.failure();
}

}  // namespace
}  // namespace zeb::e2e
