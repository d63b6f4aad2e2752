// The real zeb.exe as a one-shot wallpaper setter: started in wallpaper mode with -q it writes the
// wallpaper file into the Windows folder (or, where that refuses it, into the user's own folder),
// records the desktop style and ends.
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

class WallpaperTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_GT(wall.size(), std::wstring(L"zeb_wall.bmp").size()) << "no Windows folder";
    ASSERT_FALSE(own.empty()) << "no local application data folder";
    // Start from a desktop that is visibly different from what the viewer is to set, and with no
    // wallpaper file anywhere.
    DeleteFileW(wall.c_str());
    DeleteFileW(own.c_str());
    SetDesktopSetting(L"TileWallpaper", L"1");
    SetDesktopSetting(L"WallpaperStyle", L"0");
    SetDesktopSetting(L"Wallpaper", L"");
    folder.WriteJpeg("photo.jpg", 123, 77);
  }

  // Runs zeb.exe -Wz -q on the JPEG and expects it to end well.
  void SetWallpaperAndQuit() {
    ZebProcess zeb;
    ASSERT_TRUE(zeb.Start(ZebExe(), {"-Wz", "-q", folder.Path("photo.jpg")}, folder.root())) << zeb.failure();
    DWORD code = 1;
    ASSERT_TRUE(zeb.WaitForExit(ZebProcess::kTimeoutMs, &code)) << zeb.failure();
    EXPECT_EQ(code, 0u);
  }

  const std::wstring wall = WindowsFolder() + L"zeb_wall.bmp";
  const std::wstring own = UserWallpaperFile();
  TestFolder folder;
};

TEST_F(WallpaperTest, WallpaperSwitchWithQuitWritesTheJpegAsABmpAndSetsTheStyle) {
  SetWallpaperAndQuit();

  EXPECT_EQ(BmpFileSize(ReadWholeFile(wall)), (BmpSize{123, 77}))
      << "no whole wallpaper at " << WideToUtf8(wall);
  // Written through a temporary name that is gone again.
  EXPECT_EQ(WallpaperNames(), std::vector<std::string>{"zeb_wall.bmp"});
  EXPECT_EQ(GetFileAttributesW(own.c_str()), INVALID_FILE_ATTRIBUTES)
      << "a second wallpaper in the user's folder";
  EXPECT_EQ(DesktopSetting(L"Wallpaper"), WideToUtf8(wall));
  EXPECT_EQ(DesktopSetting(L"TileWallpaper"), "0");
  EXPECT_EQ(DesktopSetting(L"WallpaperStyle"), "2");
}

TEST_F(WallpaperTest, WhereTheWindowsFolderRefusesTheFileTheUsersFolderTakesIt) {
  // Running as an administrator, nothing in the Windows folder is refused by its rights: a folder of the
  // wallpaper's name makes the file impossible to write there.
  ASSERT_TRUE(CreateDirectoryW(wall.c_str(), nullptr));
  struct RemoveOnExit {
    const std::wstring& folder;
    const std::wstring& file;
    ~RemoveOnExit() {
      RemoveDirectoryW(folder.c_str());
      DeleteFileW(file.c_str());
    }
  } remove{wall, own};

  SetWallpaperAndQuit();

  EXPECT_EQ(BmpFileSize(ReadWholeFile(own)), (BmpSize{123, 77}))
      << "no whole wallpaper at " << WideToUtf8(own);
  EXPECT_EQ(DesktopSetting(L"Wallpaper"), WideToUtf8(own));
  EXPECT_EQ(DesktopSetting(L"WallpaperStyle"), "2");
  // The Windows folder keeps only the folder in the way: no temporary is left beside it.
  EXPECT_EQ(WallpaperNames(), std::vector<std::string>{"zeb_wall.bmp"});
  EXPECT_NE(GetFileAttributesW(wall.c_str()) & FILE_ATTRIBUTE_DIRECTORY, 0u);
}

}  // namespace
}  // namespace zeb::e2e
