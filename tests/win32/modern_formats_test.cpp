// Our heif.spi (HEIC and AVIF) and jxl.spi (JPEG XL) against the reference decoders: the pictures that
// Debian's encoders made in the folder ZEB_MODERN_PICTURES names (scripts/make_modern_pictures.py),
// each beside the PNG its reference decoder wrote, which png.spi reads. Every pixel within 1, the same
// bytes from memory and from a file, and broken, truncated and oversized files refused.
#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "platform/graphics/dib_limits.h"
#include "spi/spi_module.h"
#include "tests/pictures/picture_writers.h"
#include "tests/support/plugin_name.h"
#include "tests/win32/plugin_calls.h"

namespace zeb::spi {
namespace {

using testing_support::Decoded;
using testing_support::FromMemory;
using testing_support::ProgressLog;
using testing_support::Supported;

std::string Beside(const std::string& name) {  // the plug-ins lie one folder up from the tests
  char exe[MAX_PATH];
  std::string path(exe, GetModuleFileNameA(nullptr, exe, MAX_PATH));
  return path.substr(0, path.find_last_of('\\')) + "\\..\\" + test::BuildPluginName(name);
}

std::unique_ptr<PluginModule> Load(const std::string& plugin) { return CreatePluginModule(Beside(plugin)); }

std::string Pictures() {  // the Linux folder, as Wine's drive Z: shows it
  const char* folder = std::getenv("ZEB_MODERN_PICTURES");
  std::string path = std::string("Z:") + (folder ? folder : "");
  for (char& c : path) c = c == '/' ? '\\' : c;
  return path + "\\";
}

std::string Read(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

struct Case {
  std::string name, plugin;
  int width, height, bitCount;
};
void PrintTo(const Case& c, std::ostream* os) { *os << c.name; }

// Every pixel of D within 1 of the reference, alpha included, colour only where it is not transparent.
void ExpectSamePixels(const Decoded& d, const Decoded& reference) {
  int mismatches = 0;
  for (int y = 0; y < reference.Header().biHeight && mismatches < 5; ++y)
    for (int x = 0; x < reference.Header().biWidth && mismatches < 5; ++x) {
      auto want = reference.Pixel(x, y), got = d.Pixel(x, y);
      for (int c = want[3] ? 0 : 3; c < 4; ++c)
        if (std::abs(want[c] - got[c]) > 1 && ++mismatches)
          ADD_FAILURE() << "pixel (" << x << ", " << y << ") channel " << c << ": " << +want[c]
                        << " != " << +got[c];
    }
}

class ModernFormatTest : public testing::TestWithParam<Case> {};

TEST_P(ModernFormatTest, DecodesAsTheReferenceDecoderFromMemoryAndFile) {
  const Case& c = GetParam();
  const std::string extension = c.name.substr(0, c.name.find('_')),
                    path = Pictures() + c.name + "." + extension;
  const std::string bytes = Read(path);
  ASSERT_FALSE(bytes.empty()) << path << " (made by scripts/make_modern_pictures.py)";
  auto module = Load(c.plugin), png = Load("png.spi"),
       other = Load(c.plugin == "heif.spi" ? "jxl.spi" : "heif.spi");
  ASSERT_TRUE(module && png && other);
  EXPECT_NE(Supported(*module, bytes, "no-extension"), 0);
  EXPECT_EQ(Supported(*other, bytes, "no-extension"), 0);
  EXPECT_EQ(Supported(*png, bytes, "no-extension"), 0);

  PictureInfo info{};
  ASSERT_EQ(module->GetPictureInfo(bytes.data(), static_cast<intptr_t>(bytes.size()), 1, &info), 0);
  EXPECT_EQ(info.width, c.width);
  EXPECT_EQ(info.height, c.height);
  EXPECT_EQ(info.colorDepth, c.bitCount);
  Decoded fromMemory, reference;
  ASSERT_EQ(FromMemory(*module, bytes, fromMemory), 0);
  EXPECT_EQ(fromMemory.Header().biWidth, c.width);
  EXPECT_EQ(fromMemory.Header().biHeight, c.height);
  EXPECT_EQ(fromMemory.Header().biBitCount, c.bitCount);
  ASSERT_EQ(FromMemory(*png, Read(Pictures() + c.name + ".png"), reference), 0);
  ASSERT_EQ(reference.Header().biWidth, c.width);
  ASSERT_EQ(reference.Header().biHeight, c.height);
  ExpectSamePixels(fromMemory, reference);

  // The file read by the plug-in itself, from an offset.
  std::string copy = std::string(std::getenv("TEMP")) + "\\zeb-modern-" + c.name;
  std::ofstream(copy, std::ios::binary) << std::string(128, '\x01') << bytes;
  Decoded fromFile;
  ASSERT_EQ(module->GetPicture(copy.c_str(), 128, 0, &fromFile.info, &fromFile.bits, nullptr, 0), 0);
  DeleteFileA(copy.c_str());
  ASSERT_EQ(LocalSize(fromFile.bits), LocalSize(fromMemory.bits));
  EXPECT_EQ(std::memcmp(fromFile.Bits(), fromMemory.Bits(), LocalSize(fromMemory.bits)), 0);
}

// One table per plug-in: name (its extension first), plug-in, upright size, depth.
INSTANTIATE_TEST_SUITE_P(
    Heif, ModernFormatTest,
    testing::Values(Case{"heic_8bit", "heif.spi", 64, 48, 24}, Case{"heic_10bit", "heif.spi", 64, 48, 24},
                    Case{"heic_alpha", "heif.spi", 64, 48, 32}, Case{"heic_1x1", "heif.spi", 1, 1, 24},
                    Case{"heic_4097x3", "heif.spi", 4097, 3, 24}, Case{"heic_grid", "heif.spi", 128, 128, 24},
                    Case{"avif_8bit", "heif.spi", 64, 48, 24}, Case{"avif_10bit", "heif.spi", 64, 48, 24},
                    Case{"avif_12bit_alpha", "heif.spi", 64, 48, 32},
                    Case{"avif_lossless", "heif.spi", 64, 48, 24}, Case{"avif_1x1", "heif.spi", 1, 1, 24},
                    Case{"avif_4097x3", "heif.spi", 4097, 3, 32}, Case{"avif_grid", "heif.spi", 128, 128, 24},
                    Case{"avif_rotated", "heif.spi", 48, 64, 24},
                    Case{"avif_sequence", "heif.spi", 64, 48, 32}),
    [](const testing::TestParamInfo<Case>& i) { return i.param.name; });
INSTANTIATE_TEST_SUITE_P(
    Jxl, ModernFormatTest,
    testing::Values(Case{"jxl_lossless", "jxl.spi", 64, 48, 24}, Case{"jxl_lossy", "jxl.spi", 64, 48, 24},
                    Case{"jxl_alpha_container", "jxl.spi", 64, 48, 32},
                    Case{"jxl_16bit", "jxl.spi", 64, 48, 24}, Case{"jxl_1x1", "jxl.spi", 1, 1, 24},
                    Case{"jxl_4097x3", "jxl.spi", 4097, 3, 32}, Case{"jxl_animation", "jxl.spi", 64, 48, 32},
                    Case{"jxl_jpeg_rotated", "jxl.spi", 48, 64, 24}),
    [](const testing::TestParamInfo<Case>& i) { return i.param.name; });

// A bare JPEG XL codestream header of Width x Height (explicit sizes of 18 bits) with default metadata.
std::string JxlHeader(uint32_t width, uint32_t height) {
  std::string bytes = "\xFF\x0A";
  uint64_t bits = 0;
  int count = 0;
  auto put = [&](uint32_t value, int n) { bits |= static_cast<uint64_t>(value) << count, count += n; };
  put(0, 1), put(2, 2), put(height - 1, 18), put(0, 3), put(2, 2), put(width - 1, 18), put(1, 1);
  for (; count > 0; count -= 8, bits >>= 8) bytes.push_back(static_cast<char>(bits & 0xFF));
  return bytes + std::string(16, '\0');
}

// The HEIF file with its image spatial extents (every ispe) set to Width x Height.
std::string WithExtents(std::string heif, uint32_t width, uint32_t height) {
  for (size_t at = heif.find("ispe"); at != std::string::npos; at = heif.find("ispe", at + 1))
    for (int i = 0; i < 4; ++i) {
      heif[at + 8 + i] = static_cast<char>(width >> (24 - 8 * i));
      heif[at + 12 + i] = static_cast<char>(height >> (24 - 8 * i));
    }
  return heif;
}

TEST(ModernFormatDamage, BrokenTruncatedOversizedAndInconsistentFilesGiveTheirCodes) {
  for (const char* name :
       {"heic_8bit.heic", "avif_12bit_alpha.avif", "jxl_lossy.jxl", "jxl_alpha_container.jxl"}) {
    SCOPED_TRACE(name);
    const std::string bytes = Read(Pictures() + name);
    auto module = Load(name[0] == 'j' ? "jxl.spi" : "heif.spi");
    ASSERT_TRUE(module && !bytes.empty());
    const std::string broken[] = {bytes.substr(0, 40), bytes.substr(0, bytes.size() / 2),
                                  bytes.substr(0, 16) + std::string(400, '\x5A'),
                                  bytes.substr(0, bytes.size() - 9)};
    for (const std::string& b : broken) {
      Decoded d;
      EXPECT_EQ(FromMemory(*module, b, d), 3) << b.size() << " bytes";
      EXPECT_EQ(d.info, nullptr);
    }
    // Damage inside the coded picture: a picture of the right size, or a refusal; never a crash.
    std::string corrupt = bytes;
    for (size_t i = corrupt.size() * 2 / 3; i < corrupt.size() * 2 / 3 + 64 && i < corrupt.size(); ++i)
      corrupt[i] ^= 0x55;
    Decoded d;
    const int result = FromMemory(*module, corrupt, d);
    EXPECT_TRUE(result == 3 || (result == 0 && d.Header().biWidth == 64)) << result;
  }
  // A square just over the limit of the viewer of the plug-in's width, and headers that disagree with
  // the coded picture.
  const uint32_t side = static_cast<uint32_t>(std::sqrt(static_cast<double>(kMaxDibPixels))) + 1000;
  auto heif = Load("heif.spi"), jxl = Load("jxl.spi");
  ASSERT_TRUE(heif && jxl);
  const std::string heic = Read(Pictures() + "heic_8bit.heic");
  for (const std::string& b : {WithExtents(heic, side, side), WithExtents(heic, 80, 48)}) {
    PictureInfo info{};
    Decoded d;
    EXPECT_EQ(FromMemory(*heif, b, d), 3);
    EXPECT_EQ(heif->GetPictureInfo(b.data(), static_cast<intptr_t>(b.size()), 1, &info),
              b == WithExtents(heic, 80, 48) ? 0 : 3);
  }
  PictureInfo info{};
  const std::string huge = JxlHeader(side, side), small = JxlHeader(300, 200);
  EXPECT_EQ(jxl->GetPictureInfo(small.data(), static_cast<intptr_t>(small.size()), 1, &info), 0);
  EXPECT_EQ(info.width, 300);
  EXPECT_EQ(jxl->GetPictureInfo(huge.data(), static_cast<intptr_t>(huge.size()), 1, &info), 3);
  Decoded d;
  EXPECT_EQ(FromMemory(*jxl, huge, d), 3);
}

TEST(ModernFormatProgress, EachPlugInReportsProgressAndStopsWhenAsked) {
  // heic_slow keeps libheif decoding long enough to show that a stop ends the call meanwhile.
  for (const char* name : {"heic_grid.heic", "heic_slow.heic", "avif_grid.avif", "jxl_4097x3.jxl"}) {
    SCOPED_TRACE(name);
    const std::string bytes = Read(Pictures() + name);
    auto module = Load(name[0] == 'j' ? "jxl.spi" : "heif.spi");
    ASSERT_TRUE(module);
    ProgressLog log, stop;
    Decoded d, stopped;
    auto began = std::chrono::steady_clock::now();
    ASSERT_EQ(FromMemory(*module, bytes, d, &log), 0);
    const auto decoding = std::chrono::steady_clock::now() - began;
    ASSERT_GE(log.calls.size(), 2u);
    EXPECT_EQ(log.calls.front().first, 0);
    EXPECT_EQ(log.calls.back(), std::make_pair(1, 1));
    stop.abortAt = 1;
    began = std::chrono::steady_clock::now();
    EXPECT_EQ(FromMemory(*module, bytes, stopped, &stop), 1);
    if (std::string(name) == "heic_slow.heic") {
      EXPECT_LT(std::chrono::steady_clock::now() - began, decoding / 2);
    }
    EXPECT_EQ(stop.calls.size(), 2u);
    EXPECT_EQ(stopped.info, nullptr);
  }
}

}  // namespace
}  // namespace zeb::spi
