// The real zeb.exe with Susie plug-ins in its own folder: formats that only a plug-in reads open like
// built-in ones, an entry that no plug-in decodes leaves the list, and a broken plug-in file is reported
// once without stopping the viewer.
#include <windows.h>

#include <gtest/gtest.h>

#include "tests/e2e/common/e2e_environment.h"
#include "tests/e2e/common/test_folder.h"
#include "tests/support/plugin_name.h"
#include "tools/driver/zeb_driver.h"

namespace zeb::e2e {
namespace {

// A binary PPM (P6) with a gradient, or a PGM (P5) with GREY set.
std::string Pnm(int width, int height, bool grey = false) {
  std::string data =
      (grey ? "P5\n" : "P6\n") + std::to_string(width) + " " + std::to_string(height) + "\n255\n";
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      data.push_back(static_cast<char>(x * 255 / width));
      if (grey) continue;
      data.push_back(static_cast<char>(y * 255 / height));
      data.push_back(static_cast<char>(0x80));
    }
  return data;
}

class PluginsTest : public testing::Test {
 protected:
  // zeb.exe copied into a folder of its own with the plug-ins named, so the program folder is where
  // the viewer finds them.
  std::string InstallViewer(const std::vector<std::string>& plugins) {
    std::vector<std::string> files;
    for (const std::string& name : plugins) files.push_back(PluginFolder() + "\\" + name);
    return folder.InstallViewer(files);
  }

  TestFolder folder;
  ZebProcess zeb;
};

TEST_F(PluginsTest, PluginFormatsShowAtTheirSizeAndUndecodableEntriesLeaveTheList) {
  std::string exe = InstallViewer({"ppm.spi"});
  // Wider than the narrowest window the system allows a caption, so the client area follows them.
  folder.WriteFile("pics/a.ppm", Pnm(160, 120));
  folder.WriteFile("pics/b_broken.ppm", "P6\n40 30\n255\nshort");
  folder.WriteFile("pics/c.pgm", Pnm(200, 64, true));
  folder.WriteBmp("pics/d.bmp", 16, 16);
  ASSERT_TRUE(zeb.Start(exe, {folder.Path("pics")}, folder.root())) << zeb.failure();

  ASSERT_TRUE(zeb.WaitForTitleEq("[F] (1/4) a.ppm 160x120 100%")) << zeb.failure();
  EXPECT_TRUE(zeb.WaitForClient({160, 120})) << zeb.failure();
  ASSERT_TRUE(zeb.WaitForStartupDone()) << zeb.failure();

  // The broken file is dropped without a message and the next entry takes its place.
  ASSERT_TRUE(zeb.PressKey('N')) << zeb.failure();
  ASSERT_TRUE(zeb.WaitForTitleEq("[F] (2/3) c.pgm 200x64 100%")) << zeb.failure();
  EXPECT_TRUE(zeb.WaitForClient({200, 64})) << zeb.failure();
  EXPECT_EQ(zeb.FindMessageBox(), nullptr);
  EXPECT_TRUE(folder.Exists("pics/b_broken.ppm")) << "the file itself must stay";

  ASSERT_TRUE(zeb.PressKey('N')) << zeb.failure();
  ASSERT_TRUE(zeb.WaitForTitleEq("[F] (3/3) d.bmp 16x16 100%")) << zeb.failure();
}

TEST_F(PluginsTest, WithoutThePluginTheFormatIsNoPicture) {
  std::string exe = InstallViewer({});
  folder.WriteFile("pics/a.ppm", Pnm(40, 30));
  folder.WriteBmp("pics/b.bmp", 24, 24);
  ASSERT_TRUE(zeb.Start(exe, {folder.Path("pics")}, folder.root())) << zeb.failure();
  ASSERT_TRUE(zeb.WaitForTitleEq("[F] (1/1) b.bmp 24x24 100%")) << zeb.failure();
}

TEST_F(PluginsTest, ABrokenPluginFileIsReportedOnceAndTheViewerStartsWithTheOthers) {
  // nopicture.spi claims to be an import filter but lacks GetPicture.
  std::string exe = InstallViewer({"nopicture.spi", "ppm.spi"});
  folder.WriteFile("pics/a.ppm", Pnm(40, 30));
  ASSERT_TRUE(zeb.Start(exe, {folder.Path("pics")}, folder.root())) << zeb.failure();

  HWND box = zeb.WaitForMessageBox();
  ASSERT_NE(box, nullptr) << zeb.failure();
  std::string text = zeb.MessageBoxText(box);
  EXPECT_NE(text.find("GetPicture"), std::string::npos) << text;
  EXPECT_NE(text.find(test::BuildPluginName("nopicture.spi")), std::string::npos) << text;
  EXPECT_NE(text.find("では使えないSusie Plugin APIです"), std::string::npos) << text;
  ASSERT_TRUE(zeb.PressMessageBoxButton(box, IDOK)) << zeb.failure();

  ASSERT_TRUE(zeb.WaitForTitleEq("[F] (1/1) a.ppm 40x30 100%")) << zeb.failure();
  EXPECT_EQ(zeb.FindMessageBox(), nullptr) << "the error is shown once";
}

// A JPEG opened alone is shown before the plug-ins are searched: a broken plug-in is still reported, and
// a drop meanwhile of a format only a plug-in reads waits for the search.
TEST_F(PluginsTest, AJpegOpenedAloneShowsBeforeTheSearchWhichStillReportsAndServesTheDrop) {
  std::string exe = InstallViewer({"nopicture.spi", "ppm.spi"});
  folder.WriteJpeg("a.jpg", 120, 90);
  folder.WriteFile("b.ppm", Pnm(40, 30));
  ASSERT_TRUE(zeb.Start(exe, {folder.Path("a.jpg")}, folder.root())) << zeb.failure();
  ASSERT_TRUE(zeb.WaitForTitleEq("[F] (1/1) a.jpg 120x90 100%")) << zeb.failure();
  ASSERT_TRUE(zeb.DropFiles({folder.Path("b.ppm")})) << zeb.failure();

  HWND box = zeb.WaitForMessageBox();
  ASSERT_NE(box, nullptr) << zeb.failure();
  EXPECT_NE(zeb.MessageBoxText(box).find("GetPicture"), std::string::npos);
  ASSERT_TRUE(zeb.PressMessageBoxButton(box, IDOK)) << zeb.failure();
  ASSERT_TRUE(zeb.WaitForTitleEq("[F] (1/1) b.ppm 40x30 100%")) << zeb.failure();
}

}  // namespace
}  // namespace zeb::e2e
