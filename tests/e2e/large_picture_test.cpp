// Pictures larger than a 32-bit process can hold (30000 x 30000: 2.7 GB at 24 bits, 3.6 GB at 32):
// zeb64.exe shows them, zeb.exe leaves them out of the list as any picture it cannot read. The JPEG is
// decoded at the scale it is shown, so it costs little memory; the PNG, through our png plug-in, is held
// whole (3.6 GB in zeb64.exe) and is tried only where the machine has 8 GB free.
#include <windows.h>

#include <gtest/gtest.h>

#include "tests/e2e/common/e2e_environment.h"
#include "tests/e2e/common/test_folder.h"
#include "tests/pictures/picture_writers.h"
#include "tests/support/jpeg_maker.h"
#include "tools/driver/zeb_driver.h"

namespace zeb::e2e {
namespace {

constexpr bool k64Bit = sizeof(void*) == 8;

class LargePictureTest : public testing::TestWithParam<const char*> {};

TEST_P(LargePictureTest, OpensIn64BitsOnly) {
  const std::string name = GetParam();
  const bool png = name.ends_with(".png");
  MEMORYSTATUSEX memory{};
  memory.dwLength = sizeof memory;
  GlobalMemoryStatusEx(&memory);
  if (png && k64Bit && memory.ullAvailPhys < (uint64_t{8} << 30)) GTEST_SKIP() << "less than 8 GB free";
  TestFolder folder;
  const std::string viewer =
      folder.InstallViewer({ZebExe().substr(0, ZebExe().find_last_of('\\') + 1) + "png.spi"});
  folder.WriteFile("pics/" + name, png ? test::WriteUniformPng(30000, 30000, {0x20, 0x60, 0xA0, 0xFF})
                                       : test::MakeJpeg({30000, 30000, test::JpegColour::Grey, false, 10}));
  folder.WriteBmp("pics/z.bmp", 16, 16);
  ZebProcess zeb;
  ASSERT_TRUE(zeb.Start(viewer, {folder.Path("pics")}, folder.root())) << zeb.failure();
  const std::string shown = k64Bit ? "[F] (1/2) " + name + " 30000x30000 " : "[F] (1/1) z.bmp 16x16 100%";
  EXPECT_TRUE(zeb.WaitForTitle([&](const std::string& t) { return t.starts_with(shown); }, shown, 120000))
      << zeb.failure();
  if (HWND box = zeb.FindMessageBox()) ADD_FAILURE() << zeb.MessageBoxText(box);
  EXPECT_TRUE(zeb.Close()) << zeb.failure();
}

INSTANTIATE_TEST_SUITE_P(Pictures, LargePictureTest, testing::Values("a.jpg", "a.png"),
                         [](const auto& info) { return std::string(info.index ? "Png" : "Jpeg"); });

}  // namespace
}  // namespace zeb::e2e
