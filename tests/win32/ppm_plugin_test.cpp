// The test import plug-in ppm.spi, called through a module's guarded calls across the real stdcall
// boundary: what it decodes, from memory and from a file at an offset, its progress reports and its
// answers to broken input.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/core/strings.h"
#include "platform/services/file_system.h"
#include "spi/spi_module.h"
#include "tests/win32/common/temp_folder.h"
#include "tests/win32/plugin_calls.h"
#include "tests/support/plugin_name.h"

namespace zeb::spi {
namespace {

using testing_support::Decoded;
using testing_support::ProgressLog;

std::string PluginPath() {
  return FolderPart(Files().ProgramFileName()) + "plugins\\" + test::BuildPluginName("ppm.spi");
}

std::string Ppm(const std::string& magic, int width, int height, const std::string& pixels,
                const std::string& maxval = "255", const std::string& comment = "") {
  std::string header = magic + "\n" + (comment.empty() ? "" : "# " + comment + "\n") + std::to_string(width) +
                       " " + std::to_string(height) + "\n" + maxval + "\n";
  return header + pixels;
}

class PpmPluginTest : public ::testing::Test {
 protected:
  void SetUp() override {
    module = CreatePluginModule(PluginPath());
    ASSERT_NE(module, nullptr) << PluginPath();
    ASSERT_NE(dynamic_cast<ImportModule*>(module.get()), nullptr);
  }
  int FromMemory(const std::string& data, Decoded& out, ProgressLog* log = nullptr) {
    return testing_support::FromMemory(*module, data, out, log);
  }
  int Supported(const std::string& data) { return testing_support::Supported(*module, data, "x.ppm"); }
  std::unique_ptr<PluginModule> module;
};

// Two rows of three pixels: red green blue / white grey black.
const std::string kRgb = std::string("\xFF\x00\x00\x00\xFF\x00\x00\x00\xFF", 9) +
                         std::string("\xFF\xFF\xFF\x80\x80\x80\x00\x00\x00", 9);

TEST_F(PpmPluginTest, APpmBecomesABottomUp24BitDib) {
  std::string ppm = Ppm("P6", 3, 2, kRgb);
  EXPECT_NE(Supported(ppm), 0);
  PictureInfo info{};
  ASSERT_EQ(module->GetPictureInfo(ppm.data(), static_cast<intptr_t>(ppm.size()), 1, &info), 0);
  EXPECT_EQ(info.width, 3);
  EXPECT_EQ(info.height, 2);
  EXPECT_EQ(info.colorDepth, 24);
  EXPECT_EQ(info.hInfo, nullptr);

  Decoded d;
  ASSERT_EQ(FromMemory(ppm, d), 0);
  const BITMAPINFOHEADER& h = d.Info()->bmiHeader;
  EXPECT_EQ(h.biSize, 40u);
  EXPECT_EQ(h.biWidth, 3);
  EXPECT_EQ(h.biHeight, 2);
  EXPECT_EQ(h.biBitCount, 24);
  EXPECT_EQ(h.biCompression, static_cast<DWORD>(BI_RGB));
  EXPECT_EQ(LocalSize(d.bits), 24u) << "two rows of 9 bytes padded to 12";
  const uint8_t* b = d.Bits();
  // The bottom row (white grey black) comes first, in blue-green-red order.
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(b), 9),
            std::string("\xFF\xFF\xFF\x80\x80\x80\x00\x00\x00", 9));
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(b + 12), 9),
            std::string("\x00\x00\xFF\x00\xFF\x00\xFF\x00\x00", 9));
}

TEST_F(PpmPluginTest, APgmBecomesAn8BitGreyDib) {
  std::string pgm = Ppm("P5", 2, 2, std::string("\x00\x40\x80\xFF", 4));
  EXPECT_NE(Supported(pgm), 0);
  Decoded d;
  ASSERT_EQ(FromMemory(pgm, d), 0);
  const BITMAPINFO* bi = d.Info();
  EXPECT_EQ(bi->bmiHeader.biBitCount, 8);
  EXPECT_EQ(bi->bmiHeader.biClrUsed, 256u);
  EXPECT_GE(LocalSize(d.info), 40u + 1024u);
  for (int i : {0, 1, 0x80, 255}) {
    const RGBQUAD& c = bi->bmiColors[i];
    EXPECT_TRUE(c.rgbRed == i && c.rgbGreen == i && c.rgbBlue == i) << i;
  }
  const uint8_t* b = d.Bits();
  EXPECT_EQ(b[0], 0x80);
  EXPECT_EQ(b[1], 0xFF);
  EXPECT_EQ(b[4], 0x00);
  EXPECT_EQ(b[5], 0x40);
}

TEST_F(PpmPluginTest, AFileIsReadFromTheOffsetGiven) {
  test::TempFolder files;
  ASSERT_NO_FATAL_FAILURE(files.Make("zeb-ppm-plugin"));
  std::string path =
      files.File("picture.bin", std::string(128, 'M') + Ppm("P6", 3, 2, kRgb, "255", "made by zeb"));

  PictureInfo info{};
  ASSERT_EQ(module->GetPictureInfo(path.c_str(), 128, 0, &info), 0);
  EXPECT_EQ(info.width, 3);
  ASSERT_NE(info.hInfo, nullptr);
  EXPECT_STREQ(static_cast<const char*>(LocalLock(info.hInfo)), "made by zeb");
  LocalUnlock(info.hInfo);
  LocalFree(info.hInfo);

  Decoded d;
  ASSERT_EQ(module->GetPicture(path.c_str(), 128, 0, &d.info, &d.bits, nullptr, 0), 0);
  EXPECT_EQ(d.Info()->bmiHeader.biHeight, 2);
  EXPECT_EQ(d.Bits()[12 + 2], 0xFF) << "the top row's red";
  Decoded atZero;
  EXPECT_NE(module->GetPicture(path.c_str(), 0, 0, &atZero.info, &atZero.bits, nullptr, 0), 0);
  EXPECT_EQ(atZero.info, nullptr);

  Decoded missing;
  EXPECT_EQ(module->GetPicture("C:\\no such folder\\x.ppm", 0, 0, &missing.info, &missing.bits, nullptr, 0),
            6);
}

TEST_F(PpmPluginTest, ProgressIsReportedPerBandAndCanStopTheDecode) {
  std::string ppm = Ppm("P5", 1, 40, std::string(40, '\x10'));
  ProgressLog log;
  Decoded d;
  ASSERT_EQ(FromMemory(ppm, d, &log), 0);
  EXPECT_EQ(log.calls, (std::vector<std::pair<int, int>>{{0, 40}, {16, 40}, {32, 40}, {40, 40}}));

  ProgressLog stop;
  stop.abortAt = 1;
  Decoded stopped;
  EXPECT_EQ(FromMemory(ppm, stopped, &stop), 1);
  EXPECT_EQ(stop.calls.size(), 2u);
  EXPECT_EQ(stopped.info, nullptr);
  EXPECT_EQ(stopped.bits, nullptr);
}

TEST_F(PpmPluginTest, BrokenOrForeignDataIsRefused) {
  Decoded d;
  EXPECT_EQ(FromMemory(Ppm("P6", 3, 2, kRgb.substr(0, 17)), d), 3) << "one byte short";
  EXPECT_EQ(FromMemory(Ppm("P6", 3, 2, kRgb, "65535"), d), 2);
  EXPECT_EQ(FromMemory(Ppm("P6", 0, 2, ""), d), 3);
  EXPECT_EQ(FromMemory(Ppm("P6", 40000, 40000, kRgb), d), 3);
  EXPECT_EQ(FromMemory("P6\n3", d), 3);
  EXPECT_EQ(FromMemory(Ppm("P3", 3, 2, "1 2 3"), d), 2);
  EXPECT_EQ(FromMemory("", d), 2);
  EXPECT_EQ(d.info, nullptr);
  EXPECT_EQ(d.bits, nullptr);
  EXPECT_EQ(Supported(Ppm("P3", 1, 1, "0 0 0")), 0);
  EXPECT_EQ(Supported("BM"), 0);
  EXPECT_EQ(Supported(""), 0);
}

}  // namespace
}  // namespace zeb::spi
