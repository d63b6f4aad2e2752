// The real zeb.exe with our own plug-ins beside it, as the build ships them: a folder of PNG, GIF,
// WebP and TIFF files (written by the formats' own libraries), and one of HEIC, AVIF and JPEG XL files
// (Debian's encoders'), is walked picture by picture with their titles, and a plug-in the user adds for the
// same extension still works next to them.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "tests/e2e/common/e2e_environment.h"
#include "tests/e2e/common/test_folder.h"
#include "tools/driver/zeb_driver.h"
#include "tests/pictures/picture_writers.h"
#include "tests/support/plugin_name.h"

namespace zeb::e2e {
namespace {

using namespace zeb::test;

const char* const kOwnPlugins[] = {"png.spi", "gif.spi", "webp.spi", "tiff.spi", "heif.spi", "jxl.spi"};

std::string BesideZeb(const std::string& name) {
  const std::string& exe = ZebExe();
  return exe.substr(0, exe.find_last_of("\\/") + 1) + test::BuildPluginName(name);
}

class PluginFormatsTest : public testing::Test {
 protected:
  // zeb.exe, our plug-ins and the user's (paths under the test plug-in folder) copied into a folder of
  // their own.
  std::string Install(const std::vector<std::string>& userPlugins) {
    std::vector<std::string> files;
    for (const char* name : kOwnPlugins) files.push_back(BesideZeb(name));
    for (const std::string& path : userPlugins) files.push_back(PluginFolder() + "\\" + path);
    return folder.InstallViewer(files);
  }

  TestFolder folder;
  ZebProcess zeb;
};

TEST_F(PluginFormatsTest, AFolderOfTodaysFormatsIsWalkedWithTheirTitles) {
  // The user's plug-in names *.png too, and reads PNM data.
  std::string exe = Install({"..\\plugins-extra\\pngppm.spi"});
  folder.WriteFile("pics/a.png", WritePng(MakePicture(160, 120, 4)));
  folder.WriteFile("pics/b.gif", WriteGif(MakeIndexed(170, 100, 64), {0, true}));
  folder.WriteFile("pics/c.webp", WriteWebp(MakePicture(180, 90, 3), {false}));
  folder.WriteFile("pics/d.tif", WriteTiff(MakePicture(190, 110, 3, 16), {.tileSize = 32}));
  folder.WriteFile("pics/e.tiff", WriteTiff(MakeIndexed(200, 60, 16)));
  // Named like ours, read by the user's plug-in: each of the two that name .png takes only its own.
  folder.WriteFile("pics/f.png", "P6\n176 72\n255\n" + std::string(176 * 72 * 3, '\x60'));
  ASSERT_TRUE(zeb.Start(exe, {folder.Path("pics")}, folder.root())) << zeb.failure();

  ASSERT_TRUE(zeb.WaitForTitleEq("[F] (1/6) a.png 160x120 100%")) << zeb.failure();
  EXPECT_TRUE(zeb.WaitForClient({160, 120})) << zeb.failure();
  ASSERT_TRUE(zeb.WaitForStartupDone()) << zeb.failure();
  const char* const next[] = {"[F] (2/6) b.gif 170x100 100%", "[F] (3/6) c.webp 180x90 100%",
                              "[F] (4/6) d.tif 190x110 100%", "[F] (5/6) e.tiff 200x60 100%",
                              "[F] (6/6) f.png 176x72 100%"};
  for (const char* title : next) {
    ASSERT_TRUE(zeb.PressKey('N')) << zeb.failure();
    ASSERT_TRUE(zeb.WaitForTitleEq(title)) << zeb.failure();
  }
  EXPECT_TRUE(zeb.WaitForClient({176, 72})) << zeb.failure();
  EXPECT_EQ(zeb.FindMessageBox(), nullptr);
}

// A picture that Debian's encoders made (ZEB_MODERN_PICTURES, scripts/make_modern_pictures.py).
std::string ModernPicture(const std::string& name) {
  std::string path = std::string("Z:") + std::getenv("ZEB_MODERN_PICTURES") + "/" + name;
  std::replace(path.begin(), path.end(), '/', '\\');
  std::ostringstream bytes;
  bytes << std::ifstream(path, std::ios::binary).rdbuf();
  return bytes.str();
}

TEST_F(PluginFormatsTest, HeicAvifAndJpegXlPicturesAreShownUprightAndBrokenOnesLeaveTheList) {
  std::string exe = Install({});
  folder.WriteFile("pics/a.heic", ModernPicture("heic_grid.heic"));
  folder.WriteFile("pics/b.avif", ModernPicture("avif_rotated.avif"));
  folder.WriteFile("pics/c.heic", ModernPicture("heic_8bit.heic").substr(0, 300));
  folder.WriteFile("pics/d.jxl", ModernPicture("jxl_jpeg_rotated.jxl"));
  ASSERT_TRUE(zeb.Start(exe, {folder.Path("pics")}, folder.root())) << zeb.failure();
  ASSERT_TRUE(zeb.WaitForTitleEq("[F] (1/4) a.heic 128x128 100%")) << zeb.failure();
  ASSERT_TRUE(zeb.WaitForStartupDone()) << zeb.failure();
  for (const char* title : {"[F] (2/4) b.avif 48x64 100%", "[F] (3/3) d.jxl 48x64 100%"}) {
    ASSERT_TRUE(zeb.PressKey('N')) << zeb.failure();
    ASSERT_TRUE(zeb.WaitForTitleEq(title)) << zeb.failure();
  }
  EXPECT_EQ(zeb.FindMessageBox(), nullptr);
}

TEST_F(PluginFormatsTest, BrokenFilesOfTheseFormatsLeaveTheList) {
  std::string exe = Install({});
  folder.WriteFile("pics/a.png", WritePng(MakePicture(160, 40, 3)).substr(0, 30));
  folder.WriteFile("pics/b.gif", "GIF89a broken");
  folder.WriteFile("pics/c.webp", WriteWebp(MakePicture(170, 50, 3)));
  folder.WriteFile("pics/d.tif", std::string("II*\0garbage", 11));
  ASSERT_TRUE(zeb.Start(exe, {folder.Path("pics")}, folder.root())) << zeb.failure();
  // The two broken files before it are dropped on the way; the one after it is still listed.
  ASSERT_TRUE(zeb.WaitForTitleEq("[F] (1/2) c.webp 170x50 100%")) << zeb.failure();
  EXPECT_EQ(zeb.FindMessageBox(), nullptr);
}

TEST_F(PluginFormatsTest, MisnamedFilesAreReadByWhatTheyAreUnderTheirOwnNames) {
  std::string exe = Install({});
  folder.WriteFile("pics/a.jpg", WritePng(MakePicture(30, 20, 4)));
  folder.WriteJpeg("pics/b.png", 40, 20);
  folder.WriteFile("pics/c.jpg", WriteWebp(MakePicture(50, 20, 3)));
  folder.WriteBmp("pics/d.jpg", 60, 20);
  ASSERT_TRUE(zeb.Start(exe, {folder.Path("pics")}, folder.root())) << zeb.failure();
  ASSERT_TRUE(zeb.WaitForTitleEq("[F] (1/4) a.jpg 30x20 100%")) << zeb.failure();
  ASSERT_TRUE(zeb.WaitForStartupDone()) << zeb.failure();
  for (const char* title :
       {"[F] (2/4) b.png 40x20 100%", "[F] (3/4) c.jpg 50x20 100%", "[F] (4/4) d.jpg 60x20 100%"}) {
    ASSERT_TRUE(zeb.PressKey('N')) << zeb.failure();
    ASSERT_TRUE(zeb.WaitForTitleEq(title)) << zeb.failure();
  }
}

// The program where it was put, with what reads PNG beside it: for zeb64.exe with only the 32-bit png.spi
// and the 32-bit host beside it, the picture is read in that host.
TEST_F(PluginFormatsTest, APngShowsThroughThePluginBesideTheProgram) {
  folder.WriteFile("pics/a.png", WritePng(MakePicture(150, 100, 4)));
  ASSERT_TRUE(zeb.Start(ZebExe(), {folder.Path("pics")}, folder.root())) << zeb.failure();
  ASSERT_TRUE(zeb.WaitForTitleEq("[F] (1/1) a.png 150x100 100%")) << zeb.failure();
  EXPECT_EQ(zeb.FindMessageBox(), nullptr);
}

}  // namespace
}  // namespace zeb::e2e
