// Reading ahead in the real zeb.exe: the next picture decoded while the window waits is the one N
// shows, and a file replaced on disk after it was read ahead shows its new content. b.jpg is a photo
// stored on its side (Exif orientation 6): read ahead or not, it shows upright.
#include <windows.h>

#include <gtest/gtest.h>

#include "tests/e2e/common/e2e_environment.h"
#include "tests/e2e/common/test_folder.h"
#include "tools/driver/zeb_driver.h"

namespace zeb::e2e {
namespace {

class ReadAheadTest : public testing::Test {
 protected:
  void SetUp() override {
    folder.WriteJpeg("pics/a.jpg", 160, 120);
    folder.WriteJpeg("pics/b.jpg", 170, 130, 6);
    folder.WriteBmp("pics/c.bmp", 180, 140);
    ASSERT_TRUE(zeb.Start(ZebExe(), {folder.Path("pics")}, folder.root())) << zeb.failure();
    ASSERT_TRUE(zeb.WaitForTitleEq("[F] (1/3) a.jpg 160x120 100%")) << zeb.failure();
    ASSERT_TRUE(zeb.WaitForStartupDone()) << zeb.failure();
    // Time for the window to fall idle and the next picture to be decoded.
    Sleep(500);
  }
  TestFolder folder;
  ZebProcess zeb;
};

TEST_F(ReadAheadTest, NShowsThePictureReadAheadAndPReadsBack) {
  ASSERT_TRUE(zeb.PressKey('N')) << zeb.failure();
  ASSERT_TRUE(zeb.WaitForTitleEq("[F] (2/3) b.jpg 170x130 100%")) << zeb.failure();
  Sleep(300);
  ASSERT_TRUE(zeb.PressKey('N')) << zeb.failure();
  ASSERT_TRUE(zeb.WaitForTitleEq("[F] (3/3) c.bmp 180x140 100%")) << zeb.failure();
  Sleep(300);
  ASSERT_TRUE(zeb.PressKey('P')) << zeb.failure();
  ASSERT_TRUE(zeb.WaitForTitleEq("[B] (2/3) b.jpg 170x130 100%")) << zeb.failure();  // P: slides back
  ASSERT_TRUE(zeb.PressKey(VK_ESCAPE)) << zeb.failure();
  EXPECT_TRUE(zeb.WaitForExit()) << zeb.failure();
}

TEST_F(ReadAheadTest, AFileReplacedAfterItsReadAheadShowsItsNewContent) {
  folder.WriteJpeg("pics/b.jpg", 200, 90);
  ASSERT_TRUE(zeb.PressKey('N')) << zeb.failure();
  ASSERT_TRUE(zeb.WaitForTitleEq("[F] (2/3) b.jpg 200x90 100%")) << zeb.failure();
  ASSERT_TRUE(zeb.PressKey(VK_ESCAPE)) << zeb.failure();
  EXPECT_TRUE(zeb.WaitForExit()) << zeb.failure();
}

}  // namespace
}  // namespace zeb::e2e
