// The real zeb.exe on paths past 260 characters: started on a long folder, long pictures or a long list
// file it scans and shows them, saves the long entries to a list file, takes long paths dropped on its
// window and sets a wallpaper from a long picture path. The system's long-path form (\\?\) never shows
// in a title or a list file.
#include <windows.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/e2e/common/desktop_state.h"
#include "tests/e2e/common/e2e_environment.h"
#include "tests/e2e/common/test_folder.h"
#include "tools/driver/zeb_driver.h"

namespace zeb::e2e {
namespace {

constexpr char kLongForm[] = "\\\\?\\";

// Five folders of 60 letters each: with the test folder in front, over 300 characters.
std::string DeepFolder() {
  std::string deep;
  for (char c = 'a'; c < 'f'; ++c) deep += (deep.empty() ? "" : "/") + std::string(60, c);
  return deep;
}

class LongPathTest : public testing::Test {
 protected:
  void SetUp() override {
    folder.WriteBmp(deep + "/a.bmp", 160, 120);
    folder.WriteBmp(deep + "/sub/b.bmp", 170, 130);
    ASSERT_GT(Long("a.bmp").size(), 300u);
    ASSERT_TRUE(folder.Exists(deep + "/sub/b.bmp"));
  }

  // The full path of NAME inside the deep folder.
  std::string Long(const std::string& name) const { return folder.Path(deep + "/" + name); }
  // The status line of the two pictures: they come from two folders, so it names them by full path.
  std::string TitleOfA() const { return "[F] (1/2) " + Long("a.bmp") + " 160x120 100%"; }
  std::string TitleOfB() const { return "[F] (2/2) " + Long("sub/b.bmp") + " 170x130 100%"; }

  // Waits for TITLE and fails on any title before it that shows the long-path form.
  static void ExpectTitleWithoutLongForm(ZebProcess& zeb, const std::string& title) {
    std::vector<std::string> bad;
    ASSERT_TRUE(zeb.WaitForTitle(
        [&](const std::string& t) {
          if (t.find(kLongForm) != std::string::npos && (bad.empty() || bad.back() != t)) bad.push_back(t);
          return t == title;
        },
        "\"" + title + "\""))
        << zeb.failure();
    EXPECT_TRUE(bad.empty()) << testing::PrintToString(bad);
  }

  const std::string deep = DeepFolder();
  TestFolder folder;
  ZebProcess zeb;
};

// The folder, the two pictures, or a list file naming them: the same list, walked the same way. (The scan
// of the folder reads the list file in it too; its entries are the same two.)
TEST_F(LongPathTest, FolderPicturesAndListFileOnTheCommandLineAreShownByTheirPlainPaths) {
  folder.WriteList(deep + "/pictures.zeb", Long("sub/b.bmp") + "\n" + Long("a.bmp") + "\n");
  const std::vector<std::vector<std::string>> starts = {
      {folder.Path(deep)}, {Long("a.bmp"), Long("sub/b.bmp")}, {Long("pictures.zeb")}};
  for (const auto& args : starts) {
    SCOPED_TRACE(testing::PrintToString(args));
    ZebProcess viewer;
    ASSERT_TRUE(viewer.Start(ZebExe(), args, folder.root())) << viewer.failure();
    ExpectTitleWithoutLongForm(viewer, TitleOfA());
    ASSERT_TRUE(viewer.WaitForStartupDone()) << viewer.failure();
    ASSERT_TRUE(viewer.PressKey('N')) << viewer.failure();
    ASSERT_TRUE(viewer.WaitForTitleEq(TitleOfB())) << viewer.failure();
    ASSERT_TRUE(viewer.PressKey(VK_ESCAPE)) << viewer.failure();
    ASSERT_TRUE(viewer.WaitForExit()) << viewer.failure();
  }
}

// Ctrl+S writes the long entries to a list file as plain paths, and the viewer opens that file again.
// The list file itself has a short path: the system's save dialog keeps a file name in MAX_PATH
// characters (Wine's overruns its buffer when given more), so no longer name can be chosen there. That
// the file layer writes list files at long paths is shown by the Wine test of that layer.
TEST_F(LongPathTest, CtrlSSavesTheLongEntriesToAListFileThatOpensAgain) {
  ASSERT_TRUE(zeb.Start(ZebExe(), {folder.Path(deep)}, folder.root())) << zeb.failure();
  ASSERT_TRUE(zeb.WaitForTitleEq(TitleOfA())) << zeb.failure();
  ASSERT_TRUE(zeb.WaitForStartupDone()) << zeb.failure();
  ASSERT_TRUE(zeb.PressKey('S', kCtrl)) << zeb.failure();
  HWND dialog = zeb.WaitForFileDialog();
  ASSERT_NE(dialog, nullptr) << zeb.failure();
  ASSERT_TRUE(zeb.AnswerFileDialog(dialog, folder.Path("saved.zeb"))) << zeb.failure();
  // The list is written under another name and then renamed, but the save dialog itself may make and
  // deletes an empty file of the chosen name to test that it can: wait for the contents.
  const std::string want = Long("a.bmp") + "\r\n" + Long("sub/b.bmp") + "\r\n";
  for (ULONGLONG start = GetTickCount64(); folder.Read("saved.zeb") != want; Sleep(10))
    if (GetTickCount64() - start > static_cast<ULONGLONG>(ZebProcess::kTimeoutMs)) break;
  EXPECT_EQ(folder.Read("saved.zeb"), want);
  ASSERT_TRUE(zeb.PressKey(VK_ESCAPE)) << zeb.failure();
  ASSERT_TRUE(zeb.WaitForExit()) << zeb.failure();

  ZebProcess again;
  ASSERT_TRUE(again.Start(ZebExe(), {folder.Path("saved.zeb")}, folder.root())) << again.failure();
  ASSERT_TRUE(again.WaitForTitleEq(TitleOfA())) << again.failure();
}

// Dropped on the window, long paths add (Ctrl), remove (Alt) and replace (no modifier) entries.
TEST_F(LongPathTest, DroppedLongPathsAddRemoveAndReplaceEntries) {
  folder.WriteBmp("short.bmp", 150, 110);
  ASSERT_TRUE(zeb.Start(ZebExe(), {folder.Path("short.bmp")}, folder.root())) << zeb.failure();
  ASSERT_TRUE(zeb.WaitForTitleEq("[F] (1/1) short.bmp 150x110 100%")) << zeb.failure();
  ASSERT_TRUE(zeb.WaitForStartupDone()) << zeb.failure();

  // The long folder sorts before short.bmp; the entries come from three folders now.
  ASSERT_TRUE(zeb.DropFiles({folder.Path(deep)}, kCtrl)) << zeb.failure();
  ExpectTitleWithoutLongForm(zeb, "[F] (1/3) " + Long("a.bmp") + " 160x120 100%");
  ASSERT_TRUE(zeb.DropFiles({Long("sub")}, kAlt)) << zeb.failure();
  ASSERT_TRUE(zeb.WaitForTitleEq("[F] (1/2) " + Long("a.bmp") + " 160x120 100%")) << zeb.failure();
  ASSERT_TRUE(zeb.DropFiles({Long("sub/b.bmp")})) << zeb.failure();
  ASSERT_TRUE(zeb.WaitForTitleEq("[F] (1/1) b.bmp 170x130 100%")) << zeb.failure();
}

// The desktop keeps a wallpaper path of fewer than 260 characters: a long BMP is copied, as a JPEG always
// is; a short BMP is handed over as it is.
TEST_F(LongPathTest, AWallpaperFromALongPathIsWrittenAsACopy) {
  const std::wstring wall = WindowsFolder() + L"zeb_wall.bmp";
  folder.WriteJpeg(deep + "/photo.jpg", 123, 77);
  folder.WriteBmp("short.bmp", 90, 60);
  struct Case {
    std::string picture;
    BmpSize copy;  // none: the picture itself is the wallpaper
  };
  for (const Case& c : {Case{Long("photo.jpg"), {123, 77}}, Case{Long("a.bmp"), {160, 120}},
                        Case{folder.Path("short.bmp"), {}}}) {
    SCOPED_TRACE(c.picture);
    DeleteFileW(wall.c_str());
    SetDesktopSetting(L"Wallpaper", L"");
    ZebProcess viewer;
    ASSERT_TRUE(viewer.Start(ZebExe(), {"-Wz", "-q", c.picture}, folder.root())) << viewer.failure();
    DWORD code = 1;
    ASSERT_TRUE(viewer.WaitForExit(ZebProcess::kTimeoutMs, &code)) << viewer.failure();
    EXPECT_EQ(code, 0u);
    EXPECT_EQ(BmpFileSize(ReadWholeFile(wall)), c.copy);
    EXPECT_EQ(DesktopSetting(L"Wallpaper"), c.copy == BmpSize{} ? c.picture : WideToUtf8(wall));
  }
}

}  // namespace
}  // namespace zeb::e2e
