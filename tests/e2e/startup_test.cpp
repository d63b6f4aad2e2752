// The real zeb.exe started on folders, files and list files made here: what a user sees once it has
// started (the title's status line, the window's size and place) and how it ends.
#include <windows.h>

#include <cstdlib>

#include <algorithm>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/e2e/common/e2e_environment.h"
#include "tools/driver/status_title.h"
#include "tests/e2e/common/test_folder.h"
#include "tools/driver/zeb_driver.h"

namespace zeb::e2e {
namespace {

constexpr int kScanFolders = 20, kScanFilesPerFolder = 200;

class StartupTest : public testing::Test {
 protected:
  bool StartZeb(const std::vector<std::string>& args) { return zeb.Start(ZebExe(), args, folder.root()); }

  // The first status line shown: it appears only once the list has been built.
  StatusTitle FirstPictureTitle() {
    EXPECT_TRUE(zeb.WaitForTitle(ShowsPicture, "that shows a picture")) << zeb.failure();
    return ParseStatusTitle(zeb.Title()).value_or(StatusTitle{});
  }

  void ExpectInsideWorkArea() {
    ScreenRect area = WorkArea(), window = zeb.WindowRect();
    EXPECT_GE(window.left, area.left) << Describe(window) << " in " << Describe(area);
    EXPECT_GE(window.top, area.top) << Describe(window) << " in " << Describe(area);
    EXPECT_LE(window.right, area.right) << Describe(window) << " in " << Describe(area);
    EXPECT_LE(window.bottom, area.bottom) << Describe(window) << " in " << Describe(area);
  }

  TestFolder folder;
  ZebProcess zeb;
};

TEST_F(StartupTest, FolderShowsItsFirstPictureAtNaturalSize) {
  folder.WriteBmp("pics/a.bmp", 320, 240);
  folder.WriteJpeg("pics/B.jpg", 200, 150);
  folder.WriteBmp("pics/c.bmp", 96, 64, 8);
  folder.WriteFile("pics/notes.txt", "not a picture");
  ASSERT_TRUE(StartZeb({folder.Path("pics")})) << zeb.failure();

  ASSERT_TRUE(zeb.WaitForTitleEq("[F] (1/3) a.bmp 320x240 100%")) << zeb.failure();
  EXPECT_TRUE(zeb.WaitForClient({320, 240})) << zeb.failure();
  ExpectInsideWorkArea();
}

TEST_F(StartupTest, JpegFileArgumentShowsTheJpegAtNaturalSize) {
  folder.WriteJpeg("photo.jpg", 333, 221);
  folder.WriteBmp("other.bmp", 50, 50);
  ASSERT_TRUE(StartZeb({folder.Path("photo.jpg")})) << zeb.failure();

  ASSERT_TRUE(zeb.WaitForTitleEq("[F] (1/1) photo.jpg 333x221 100%")) << zeb.failure();
  EXPECT_TRUE(zeb.WaitForClient({333, 221})) << zeb.failure();
}

TEST_F(StartupTest, ANarrowPictureGetsAClientAreaOfItsOwnSize) {
  folder.WriteBmp("thin.bmp", 30, 20);
  ASSERT_TRUE(StartZeb({folder.Path("thin.bmp")})) << zeb.failure();
  ASSERT_TRUE(zeb.WaitForTitleEq("[F] (1/1) thin.bmp 30x20 100%")) << zeb.failure();
  EXPECT_TRUE(zeb.WaitForClient({30, 20})) << zeb.failure();
}

TEST_F(StartupTest, RelativeArgumentsAreTakenFromTheCurrentFolder) {
  folder.WriteBmp("pics/only.bmp", 64, 48);
  ASSERT_TRUE(StartZeb({"pics"})) << zeb.failure();

  ASSERT_TRUE(zeb.WaitForTitleEq("[F] (1/1) only.bmp 64x48 100%")) << zeb.failure();
}

TEST_F(StartupTest, UnreadableFirstEntriesAreDroppedSilently) {
  folder.WriteFile("pics/a_noise.bmp", "BM this is not a bitmap at all");
  folder.WriteFile("pics/b_noise.jpg", std::string("\xFF\xD8\xFF\xE0 garbage", 10));
  folder.WriteFile("pics/c_empty.bmp", "");
  folder.WriteBmp("pics/d.bmp", 120, 90);
  ASSERT_TRUE(StartZeb({folder.Path("pics")})) << zeb.failure();

  ASSERT_TRUE(zeb.WaitForTitleEq("[F] (1/1) d.bmp 120x90 100%")) << zeb.failure();
  EXPECT_TRUE(zeb.WaitForClient({120, 90})) << zeb.failure();
  EXPECT_EQ(zeb.FindMessageBox(), nullptr) << "a message box for a broken picture";
  // Dropping an entry never touches the file.
  EXPECT_TRUE(folder.Exists("pics/a_noise.bmp"));
}

TEST_F(StartupTest, ListFileAddsItsPicturesAndTheTitleShowsFullPaths) {
  folder.WriteBmp("pics/x.bmp", 128, 96);
  folder.WriteBmp("pics/y.bmp", 144, 108);
  folder.WriteBmp("pics/z.bmp", 10, 10);  // not in the list
  folder.WriteList("list.zeb", folder.Path("pics/y.bmp") + "\n" + folder.Path("gone.bmp") + "\n" +
                                   folder.Path("pics/notes.txt") + "\n\n" + folder.Path("pics/x.bmp") + "\n");
  ASSERT_TRUE(StartZeb({folder.Path("list.zeb")})) << zeb.failure();

  // gone.bmp sorts first, is missing, and leaves the list when it is shown; the entries come from two
  // folders, so names are shown as full paths.
  ASSERT_TRUE(zeb.WaitForTitleEq("[F] (1/2) " + folder.Path("pics/x.bmp") + " 128x96 100%")) << zeb.failure();
  EXPECT_TRUE(zeb.WaitForClient({128, 96})) << zeb.failure();
}

// The folder's name has a space and Japanese characters, which the command line must keep.
TEST_F(StartupTest, NestedFoldersAreScannedAndShownWithFullPaths) {
  const std::string pics = "my pics \u65E5\u672C";
  folder.WriteBmp(pics + "/a.bmp", 40, 30);
  folder.WriteBmp(pics + "/sub/deeper/b.bmp", 50, 40);
  folder.WriteJpeg(pics + "/sub/c.jpg", 60, 50);
  ASSERT_TRUE(StartZeb({folder.Path(pics)})) << zeb.failure();

  ASSERT_TRUE(zeb.WaitForTitleEq("[F] (1/3) " + folder.Path(pics + "/a.bmp") + " 40x30 100%"))
      << zeb.failure();
  zeb.PressKey('E');
  EXPECT_TRUE(zeb.WaitForTitleEq("[F] (3/3) " + folder.Path(pics + "/sub/deeper/b.bmp") + " 50x40 100%"))
      << zeb.failure();
}

TEST_F(StartupTest, PictureLargerThanTheWorkAreaIsShrunkToFit) {
  const int width = 2000, height = 1500;
  folder.WriteJpeg("big.jpg", width, height);
  ASSERT_TRUE(StartZeb({folder.Path("big.jpg")})) << zeb.failure();
  StatusTitle title = FirstPictureTitle();
  ASSERT_EQ(title.name, "big.jpg");

  // The available size is the work area less the window's frame and caption.
  ScreenRect area = WorkArea();
  const ScreenRect outer = zeb.WindowRect();
  const ClientSize inner = zeb.Client();
  int avail_width = area.width() - (outer.width() - inner.width);
  int avail_height = area.height() - (outer.height() - inner.height);
  double ratio =
      std::min(static_cast<double>(avail_width) / width, static_cast<double>(avail_height) / height);
  ASSERT_LT(ratio, 1.0) << "the screen is too large for this test";

  EXPECT_EQ(title.width, width);  // the natural size, not the displayed one
  EXPECT_EQ(title.height, height);
  EXPECT_EQ(title.zoom, static_cast<int>(ratio * 100));
  EXPECT_EQ(title.open, '[');
  // The scaled size is truncated; allow one pixel for the rounding of the binding side.
  ClientSize client = zeb.Client();
  EXPECT_NEAR(client.width, static_cast<int>(width * ratio), 1);
  EXPECT_NEAR(client.height, static_cast<int>(height * ratio), 1);
  EXPECT_TRUE(client.width <= avail_width && client.height <= avail_height);
  ExpectInsideWorkArea();
}

TEST_F(StartupTest, QuitSwitchEndsTheProgramAfterTheFirstPicture) {
  folder.WriteBmp("a.bmp", 30, 20);
  ASSERT_TRUE(StartZeb({"-q", folder.Path("a.bmp")})) << zeb.failure();
  DWORD code = 1;
  ASSERT_TRUE(zeb.WaitForExit(ZebProcess::kTimeoutMs, &code)) << zeb.failure();
  EXPECT_EQ(code, 0u);
}

TEST_F(StartupTest, QuitSwitchWithSlideShowStillEndsAtOnce) {
  folder.WriteBmp("a.bmp", 30, 20);
  folder.WriteBmp("b.bmp", 30, 20);
  ASSERT_TRUE(StartZeb({"-s", "-i50", "-q", folder.root()})) << zeb.failure();
  DWORD code = 1;
  ASSERT_TRUE(zeb.WaitForExit(ZebProcess::kTimeoutMs, &code)) << zeb.failure();
  EXPECT_EQ(code, 0u);
}

TEST_F(StartupTest, FolderOfOnlyUnreadablePicturesEndsEmpty) {
  folder.WriteFile("bad/one.bmp", "garbage");
  folder.WriteFile("bad/two.jpg", "garbage");
  folder.WriteList("bad/list.zeb", folder.Path("bad/missing.bmp") + "\n");
  ASSERT_TRUE(StartZeb({folder.Path("bad")})) << zeb.failure();

  ASSERT_TRUE(zeb.WaitForStartupDone()) << zeb.failure();
  EXPECT_EQ(zeb.Title(), "<empty>");
  EXPECT_TRUE(zeb.WaitForClient({200, 200})) << zeb.failure();
  EXPECT_TRUE(zeb.Running());
}

TEST_F(StartupTest, NoArgumentsShowTheEmptyState) {
  ASSERT_TRUE(StartZeb({})) << zeb.failure();

  ASSERT_TRUE(zeb.WaitForStartupDone()) << zeb.failure();
  EXPECT_EQ(zeb.Title(), "<empty>");
  EXPECT_TRUE(zeb.WaitForClient({200, 200})) << zeb.failure();
  ExpectInsideWorkArea();
}

TEST_F(StartupTest, MissingArgumentsAreSkipped) {
  folder.WriteBmp("a.bmp", 30, 20);
  ASSERT_TRUE(StartZeb({folder.Path("nothing-here"), folder.Path("*.bmp"), folder.Path("a.bmp")}))
      << zeb.failure();
  ASSERT_TRUE(zeb.WaitForTitleEq("[F] (1/1) a.bmp 30x20 100%")) << zeb.failure();
}

TEST_F(StartupTest, FixedBoxSwitchesGiveThatClientArea) {
  folder.WriteBmp("a.bmp", 320, 240);
  ASSERT_TRUE(StartZeb({"-w640", "-h480", folder.Path("a.bmp")})) << zeb.failure();

  ASSERT_TRUE(zeb.WaitForTitleEq("[F] (1/1) a.bmp 320x240 100%")) << zeb.failure();
  EXPECT_TRUE(zeb.WaitForClient({640, 480})) << zeb.failure();
  ExpectInsideWorkArea();
}

TEST_F(StartupTest, EnlargeSwitchScalesASmallPictureUpToTheFixedBox) {
  folder.WriteBmp("a.bmp", 320, 240);
  ASSERT_TRUE(StartZeb({"-S", "-w640", "-h480", folder.Path("a.bmp")})) << zeb.failure();

  ASSERT_TRUE(zeb.WaitForTitleEq("[f] (1/1) a.bmp 320x240 200%")) << zeb.failure();
  EXPECT_TRUE(zeb.WaitForClient({640, 480})) << zeb.failure();
}

TEST_F(StartupTest, PlacementSwitchPutsTheWindowInTheBottomRightCorner) {
  folder.WriteBmp("a.bmp", 320, 240);
  ASSERT_TRUE(StartZeb({"-Prb", folder.Path("a.bmp")})) << zeb.failure();
  ASSERT_TRUE(zeb.WaitForTitleEq("[F] (1/1) a.bmp 320x240 100%")) << zeb.failure();

  ScreenRect area = WorkArea();
  EXPECT_TRUE(zeb.WaitForWindowRect(
      [&](const ScreenRect& r) { return r.right == area.right && r.bottom == area.bottom; },
      "in the bottom-right corner of " + Describe(area)))
      << zeb.failure();
}

TEST_F(StartupTest, OpenInFolderSwitchListsTheFolderAndShowsTheFileGiven) {
  folder.WriteBmp("pics/a.bmp", 130, 100);
  folder.WriteJpeg("pics/b.jpg", 140, 110);
  folder.WriteBmp("pics/c.bmp", 150, 120);
  folder.WriteBmp("pics/sub/d.bmp", 160, 130);  // subfolders are not listed
  ASSERT_TRUE(StartZeb({"-D", folder.Path("pics/b.jpg")})) << zeb.failure();

  ASSERT_TRUE(zeb.WaitForTitleEq("[F] (2/3) b.jpg 140x110 100%")) << zeb.failure();
}

TEST_F(StartupTest, SlideShowSwitchRunsThroughTheListAndStopsAtTheEnd) {
  folder.WriteBmp("a.bmp", 130, 100);
  folder.WriteBmp("b.bmp", 140, 110);
  folder.WriteBmp("c.bmp", 150, 120);
  ASSERT_TRUE(StartZeb({"-s", "-i100", folder.root()})) << zeb.failure();

  ASSERT_TRUE(zeb.WaitForTitleEq("[F] (3/3) c.bmp 150x120 100%")) << zeb.failure();
  EXPECT_TRUE(zeb.Running());
}

TEST_F(StartupTest, BadWidthSwitchIsReportedAndTheDefaultWidthIsFixed) {
  folder.WriteBmp("a.bmp", 320, 240);
  ASSERT_TRUE(StartZeb({"-w800x", folder.Path("a.bmp")})) << zeb.failure();

  HWND box = zeb.WaitForMessageBox();
  ASSERT_NE(box, nullptr) << zeb.failure();
  EXPECT_EQ(zeb.MessageBoxText(box), "Width指定が異常です。(800x)");
  ASSERT_TRUE(zeb.PressMessageBoxButton(box, IDOK)) << zeb.failure();

  ASSERT_TRUE(zeb.WaitForTitleEq("[F] (1/1) a.bmp 320x240 100%")) << zeb.failure();
  EXPECT_TRUE(zeb.WaitForClient({640, 240})) << zeb.failure();
}

TEST_F(StartupTest, EscapeClosesTheProgram) {
  folder.WriteBmp("a.bmp", 100, 80);
  ASSERT_TRUE(StartZeb({folder.Path("a.bmp")})) << zeb.failure();
  ASSERT_TRUE(zeb.WaitForTitleEq("[F] (1/1) a.bmp 100x80 100%")) << zeb.failure();
  ASSERT_TRUE(zeb.WaitForStartupDone()) << zeb.failure();

  ASSERT_TRUE(zeb.PressKey(VK_ESCAPE)) << zeb.failure();
  DWORD code = 1;
  ASSERT_TRUE(zeb.WaitForExit(ZebProcess::kTimeoutMs, &code)) << zeb.failure();
  EXPECT_EQ(code, 0u);
}

TEST_F(StartupTest, EscapeClosesTheEmptyWindowToo) {
  ASSERT_TRUE(StartZeb({})) << zeb.failure();
  ASSERT_TRUE(zeb.WaitForStartupDone()) << zeb.failure();

  ASSERT_TRUE(zeb.PressKey(VK_ESCAPE)) << zeb.failure();
  ASSERT_TRUE(zeb.WaitForExit()) << zeb.failure();
}

TEST_F(StartupTest, EscapeDuringTheFolderScanEndsTheProgramWithoutShowingAPicture) {
  // Enough files that the scan outlasts the key press by far: the test command's tree of 100,000. They
  // are all unreadable: a scan that went on to the end would drop every one of them and show "<empty>".
  const char* tree = std::getenv("ZEB_E2E_SCAN_TREE");
  std::string scanning;
  if (tree && *tree) {
    scanning = FullWindowsPath(tree);
  } else {
    for (int f = 0; f < kScanFolders; ++f)
      for (int i = 0; i < kScanFilesPerFolder; ++i)
        folder.WriteFile("many/f" + std::to_string(f) + "/p" + std::to_string(i) + ".bmp", "");
    scanning = folder.Path("many");
  }
  ASSERT_TRUE(StartZeb({scanning})) << zeb.failure();
  // While the list is built the title names the file being added.
  ASSERT_TRUE(zeb.WaitForTitle([&](const std::string& t) { return t.starts_with(scanning); }, "of the scan"))
      << zeb.failure();

  ASSERT_TRUE(zeb.PressKey(VK_ESCAPE)) << zeb.failure();
  // The key press itself may rebuild the status line of the list so far (no picture has been shown,
  // so it names none); the walk then finishes the folder tree, adding the first file of each folder.
  std::vector<std::string> shown;
  ASSERT_TRUE(zeb.WatchTitlesUntilExit([&](const std::string& t) {
    if ((t == "<empty>" || ShowsPicture(t)) && (shown.empty() || shown.back() != t)) shown.push_back(t);
  })) << zeb.failure();
  EXPECT_TRUE(shown.empty()) << "shown after Escape: " << testing::PrintToString(shown);
}

}  // namespace
}  // namespace zeb::e2e
