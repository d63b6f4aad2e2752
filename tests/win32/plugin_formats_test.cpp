// Our own import plug-ins png.spi, gif.spi, webp.spi and tiff.spi (built beside zeb.exe), loaded as
// modules and called across the real stdcall boundary with pictures that the formats' own libraries
// write: sizes, depths, palettes and every pixel against the source, row order, alpha; the file and
// memory paths; the blocks handed out; and broken, truncated, empty and oversized input.
#include <windows.h>

#include <gtest/gtest.h>
#include <zlib.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "platform/core/strings.h"
#include "platform/services/file_system.h"
#include "platform/win32/utf16.h"
#include "platform/core/streams.h"
#include "platform/win32/gdi_canvas.h"
#include "platform/graphics/dib_limits.h"
#include "spi/spi_bitmap.h"
#include "spi/spi_manager.h"
#include "spi/spi_module.h"
#include "tests/pictures/picture_writers.h"
#include "tests/support/icc_profiles.h"
#include "tests/win32/common/memory_surface.h"
#include "tests/win32/common/temp_folder.h"
#include "tests/win32/plugin_calls.h"
#include "tests/support/plugin_name.h"

namespace zeb::spi {
namespace {

using test::SourcePicture;
using testing_support::Decoded;
using testing_support::FromMemory;
using testing_support::ProgressLog;
using testing_support::Supported;

// The plug-ins are built beside zeb.exe, one folder up from the tests.
std::string ProductPlugin(const std::string& name) {
  return FolderPart(Files().ProgramFileName()) + "..\\" + test::BuildPluginName(name);
}

// Both blocks are moveable local memory, sized as the header says, and the picture is bottom-up.
void ExpectValidBlocks(const Decoded& d) {
  for (LocalHandle h : {d.info, d.bits}) {
    ASSERT_NE(h, nullptr);
    ASSERT_NE(LocalFlags(h), LMEM_INVALID_HANDLE);
    void* p = LocalLock(h);
    EXPECT_NE(p, static_cast<void*>(h)) << "a fixed block, not a moveable one";
    LocalUnlock(h);
  }
  const BITMAPINFOHEADER& h = d.Header();
  EXPECT_EQ(h.biSize, 40u);
  EXPECT_GT(h.biHeight, 0) << "rows bottom-up";
  EXPECT_EQ(h.biPlanes, 1);
  EXPECT_EQ(h.biCompression, static_cast<DWORD>(BI_RGB));
  EXPECT_EQ(LocalSize(d.bits), d.Stride() * static_cast<size_t>(h.biHeight));
  EXPECT_EQ(h.biSizeImage, LocalSize(d.bits));
  EXPECT_EQ(h.biClrUsed, h.biBitCount == 8 ? 256u : 0u);
  EXPECT_GE(LocalSize(d.info), 40u + 4u * h.biClrUsed);
}

// Every pixel against the source, within Tolerance per channel; colour is not compared where the
// source is fully transparent.
void ExpectPixels(const Decoded& d, const SourcePicture& expected, int tolerance) {
  int mismatches = 0;
  for (int y = 0; y < expected.height && mismatches < 5; ++y)
    for (int x = 0; x < expected.width && mismatches < 5; ++x) {
      auto want = expected.Rgba(x, y), got = d.Pixel(x, y);
      bool same = std::abs(want[3] - got[3]) <= tolerance;
      for (int c = 0; c < 3 && want[3] != 0; ++c) same = same && std::abs(want[c] - got[c]) <= tolerance;
      if (!same) {
        ++mismatches;
        ADD_FAILURE() << "pixel (" << x << ", " << y << "): want " << +want[0] << " " << +want[1] << " "
                      << +want[2] << " " << +want[3] << ", got " << +got[0] << " " << +got[1] << " "
                      << +got[2] << " " << +got[3];
      }
    }
}

std::unique_ptr<PluginModule> Load(const std::string& plugin) {
  std::unique_ptr<PluginModule> m = CreatePluginModule(ProductPlugin(plugin));
  EXPECT_NE(m, nullptr) << ProductPlugin(plugin);
  return m;
}

// One picture file of a kind, and what it must decode to.
struct Case {
  std::string name, plugin;
  std::string bytes;
  SourcePicture expected;
  int bitCount;
  int tolerance = 0;
};

SourcePicture Opaque(SourcePicture p) {  // the source shown without transparency
  for (auto& e : p.palette) e[3] = 255;
  return p;
}

// A smooth picture, for the lossy encoders.
SourcePicture Smooth(int width, int height) {
  SourcePicture p = test::MakePicture(width, height, 3);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      for (int c = 0; c < 3; ++c)
        p.samples[(static_cast<size_t>(y) * width + x) * 3 + c] =
            static_cast<uint16_t>(x * 3 + y * 2 + c * 20);
  return p;
}

// The frame of a GIF shown at (Left, Top) on a larger, otherwise transparent screen.
SourcePicture OnScreen(const SourcePicture& frame, int width, int height, int left, int top) {
  SourcePicture p;
  p.width = width;
  p.height = height;
  p.channels = 4;
  p.samples.assign(static_cast<size_t>(width) * height * 4, 0);
  for (int y = 0; y < frame.height; ++y)
    for (int x = 0; x < frame.width; ++x) {
      auto c = frame.Rgba(x, y);
      std::copy(c.begin(), c.end(),
                p.samples.begin() + ((static_cast<size_t>(top + y) * width + left + x) * 4));
    }
  return p;
}

// The source as shown: its colours (or its palette's) converted from the profile Icc to sRGB by lcms2.
SourcePicture InProfile(SourcePicture p, const std::string& icc) {
  const bool indexed = !p.palette.empty();
  const size_t count = indexed ? p.palette.size() : p.samples.size() / p.channels;
  std::vector<uint8_t> rgb(count * 3);
  auto sample = [&](size_t i) -> uint16_t& { return p.samples[i / 3 * p.channels + i % 3]; };
  for (size_t i = 0; i < rgb.size(); ++i)
    rgb[i] = static_cast<uint8_t>(indexed ? p.palette[i / 3][i % 3] : sample(i));
  rgb = test::ReferenceToSrgb(icc, TYPE_RGB_8, rgb.data(), count);
  for (size_t i = 0; i < rgb.size(); ++i)
    indexed ? void(p.palette[i / 3][i % 3] = rgb[i]) : void(sample(i) = rgb[i]);
  return p;
}

std::vector<Case> Cases() {
  using namespace test;
  std::vector<Case> cases;
  auto add = [&](std::string name, std::string plugin, std::string bytes, SourcePicture expected, int bits,
                 int tolerance = 0) {
    cases.push_back(
        {std::move(name), std::move(plugin), std::move(bytes), std::move(expected), bits, tolerance});
  };
  // PNG: every colour type, 1 to 16 bits, palette with and without tRNS, interlaced.
  SourcePicture rgb = MakePicture(13, 7, 3), rgba = MakePicture(13, 7, 4), grey = MakePicture(13, 7, 1);
  SourcePicture grey1 = MakePicture(13, 7, 1, 1), grey16 = MakePicture(13, 7, 1, 16);
  SourcePicture rgb16 = MakePicture(13, 7, 3, 16), rgba16 = MakePicture(13, 7, 4, 16),
                greyAlpha = MakePicture(13, 7, 2);
  SourcePicture indexed = MakeIndexed(13, 7, 200), indexedClear = MakeIndexed(13, 7, 12, true);
  add("PngRgb", "png.spi", WritePng(rgb), rgb, 24);
  add("PngRgba", "png.spi", WritePng(rgba), rgba, 32);
  add("PngGrey", "png.spi", WritePng(grey), grey, 8);
  add("PngGrey1Bit", "png.spi", WritePng(grey1), grey1, 8);
  add("PngGrey16Bit", "png.spi", WritePng(grey16), grey16, 8);
  add("PngRgb16Bit", "png.spi", WritePng(rgb16), rgb16, 24);
  add("PngRgba16Bit", "png.spi", WritePng(rgba16), rgba16, 32);
  add("PngGreyAlpha", "png.spi", WritePng(greyAlpha), greyAlpha, 32);
  add("PngPalette", "png.spi", WritePng(indexed), indexed, 8);
  add("PngPaletteTransparent", "png.spi", WritePng(indexedClear), indexedClear, 32);
  add("PngInterlaced", "png.spi", WritePng(rgba, {true}), rgba, 32);
  // GIF: plain, transparent, interlaced, a frame on a larger screen, the first frame of an animation.
  SourcePicture gifPic = MakeIndexed(21, 11, 32), gifClear = MakeIndexed(21, 11, 32, true);
  add("GifPlain", "gif.spi", WriteGif(gifPic), gifPic, 8);
  add("GifTransparent", "gif.spi", WriteGif(gifClear, {0}), gifClear, 32);
  add("GifInterlaced", "gif.spi", WriteGif(gifPic, {-1, true}), gifPic, 8);
  add("GifFrameOnScreen", "gif.spi", WriteGif(gifPic, {-1, false, 30, 16, 5, 3}),
      OnScreen(gifPic, 30, 16, 5, 3), 32);
  add("GifAnimation", "gif.spi", WriteGif(gifPic, {-1, false, 0, 0, 0, 0, 3}), gifPic, 8);
  // WebP: lossless with and without alpha, lossy, the first frame of an animation.
  add("WebpLossless", "webp.spi", WriteWebp(rgb), rgb, 24);
  add("WebpLosslessAlpha", "webp.spi", WriteWebp(rgba), rgba, 32);
  SourcePicture smooth = Smooth(40, 24);
  add("WebpLossy", "webp.spi", WriteWebp(smooth, {false}), smooth, 24, 24);
  add("WebpAnimation", "webp.spi", WriteWebp(rgba, {true, 2}), rgba, 32);
  // TIFF: strips and tiles, 1/8/16-bit grey, palettes, RGB, RGBA, CMYK, JPEG, big-endian, two pages.
  SourcePicture palette16 = MakeIndexed(13, 7, 16), grey4x = MakePicture(37, 21, 1);
  add("TiffGrey", "tiff.spi", WriteTiff(grey), grey, 8);
  add("TiffGrey1Bit", "tiff.spi", WriteTiff(grey1), grey1, 8);
  add("TiffGrey16BitBigEndian", "tiff.spi", WriteTiff(grey16, {.bigEndian = true}), grey16, 8);
  add("TiffMinIsWhite", "tiff.spi", WriteTiff(grey, {.minIsWhite = true}), grey, 8);
  add("TiffGreyTiles", "tiff.spi", WriteTiff(grey4x, {.tileSize = 16}), grey4x, 8);
  add("TiffPalette4Bit", "tiff.spi", WriteTiff(palette16), palette16, 8);
  add("TiffPalette8Bit", "tiff.spi", WriteTiff(indexed, {.compression = TiffCompression::kPackBits}),
      Opaque(indexed), 8);
  add("TiffRgb", "tiff.spi", WriteTiff(rgb, {.compression = TiffCompression::kNone}), rgb, 24);
  add("TiffRgbTilesLzw", "tiff.spi",
      WriteTiff(MakePicture(37, 21, 3), {.compression = TiffCompression::kLzw, .tileSize = 16}),
      MakePicture(37, 21, 3), 24);
  add("TiffRgba", "tiff.spi", WriteTiff(rgba), rgba, 32, 1);
  add("TiffGreyAlpha", "tiff.spi", WriteTiff(greyAlpha), greyAlpha, 32);
  // Associated alpha: partial alphas of at least 128, so that dividing back loses at most 1.
  SourcePicture greyAlphaHigh = greyAlpha, rgbaHigh = rgba;
  for (SourcePicture* q : {&greyAlphaHigh, &rgbaHigh})
    for (size_t i = q->channels - 1; i < q->samples.size(); i += q->channels)
      if (q->samples[i] && q->samples[i] < 128) q->samples[i] += 128;
  add("TiffGreyAlphaAssociated", "tiff.spi", WriteTiff(greyAlphaHigh, {.associatedAlpha = true}),
      greyAlphaHigh, 32, 1);
  add("TiffRgbaAssociated", "tiff.spi", WriteTiff(rgbaHigh, {.associatedAlpha = true}), rgbaHigh, 32, 1);
  add("TiffRgb16Bit", "tiff.spi", WriteTiff(rgb16), rgb16, 24);
  add("TiffCmyk", "tiff.spi", WriteTiff(rgb, {.cmyk = true}), rgb, 24);
  add("TiffJpeg", "tiff.spi", WriteTiff(smooth, {.compression = TiffCompression::kJpeg, .rowsPerStrip = 16}),
      smooth, 24, 24);
  add("TiffFirstOfTwoPages", "tiff.spi", WriteTiff(rgb, {.pages = 2}), rgb, 24);
  // Pictures with a colour profile, converted to the display's (sRGB here) as lcms2 converts them.
  const std::string adobe = MakeProfile(TestProfile::kAdobeRgb), p3 = MakeProfile(TestProfile::kDisplayP3);
  add("PngAdobeRgbAlpha", "png.spi", WritePng(rgba, {.icc = adobe}), InProfile(rgba, adobe), 32, 2);
  add("PngPaletteDisplayP3", "png.spi", WritePng(indexed, {.icc = p3}), InProfile(indexed, p3), 8, 2);
  add("WebpDisplayP3", "webp.spi", WriteWebp(rgb, {.icc = p3}), InProfile(rgb, p3), 24, 2);
  add("WebpDisplayP3Turned", "webp.spi", WriteWebp(rgb, {.icc = p3, .orientation = 6}), InProfile(rgb, p3),
      24, 2);
  add("TiffAdobeRgb", "tiff.spi", WriteTiff(rgb, {.icc = adobe}), InProfile(rgb, adobe), 24, 2);
  // Each orientation gives the upright picture (TIFF read as stored and through libtiff's RGBA reader),
  // turned in squares of 64 pixels and the parts left over.
  SourcePicture wide = MakePicture(131, 67, 3), wideGrey = MakePicture(131, 67, 1),
                wideRgba = MakePicture(131, 67, 4);
  for (int o = 1; o <= 8; ++o) {
    const std::string n = std::to_string(o);
    add("TiffOrientation" + n, "tiff.spi", WriteTiff(wide, {.orientation = o}), wide, 24);
    add("TiffCmykOrientation" + n, "tiff.spi", WriteTiff(wide, {.cmyk = true, .orientation = o}), wide, 24);
    add("PngOrientation" + n, "png.spi", WritePng(wideGrey, {.orientation = o}), wideGrey, 8);
    add("WebpOrientation" + n, "webp.spi", WriteWebp(wideRgba, {.orientation = o}), wideRgba, 32);
  }
  return cases;
}

void PrintTo(const Case& c, std::ostream* os) { *os << c.name; }

class PluginFormatTest : public ::testing::TestWithParam<Case> {};

TEST_P(PluginFormatTest, DecodesEveryPixelAndTheSamePictureFromMemoryAndFile) {
  const Case& c = GetParam();
  auto module = Load(c.plugin);
  ASSERT_NE(module, nullptr);
  EXPECT_NE(Supported(*module, c.bytes, "no-extension"), 0);

  PictureInfo info{};
  ASSERT_EQ(module->GetPictureInfo(c.bytes.data(), static_cast<intptr_t>(c.bytes.size()), 1, &info), 0);
  EXPECT_EQ(info.width, c.expected.width);
  EXPECT_EQ(info.height, c.expected.height);
  EXPECT_EQ(info.colorDepth, c.bitCount);

  Decoded fromMemory;
  ASSERT_EQ(FromMemory(*module, c.bytes, fromMemory), 0);
  ExpectValidBlocks(fromMemory);
  EXPECT_EQ(fromMemory.Header().biWidth, c.expected.width);
  EXPECT_EQ(fromMemory.Header().biHeight, c.expected.height);
  EXPECT_EQ(fromMemory.Header().biBitCount, c.bitCount);
  ExpectPixels(fromMemory, c.expected, c.tolerance);

  // The same file behind a 128-byte MacBinary header, read by the plug-in itself.
  test::TempFolder files;
  ASSERT_NO_FATAL_FAILURE(files.Make("zeb-plugin-formats"));
  const std::string name = c.name + ".bin";
  std::string path = files.File(name, std::string(128, '\x01') + c.bytes);
  PictureInfo fileInfo{};
  EXPECT_EQ(module->GetPictureInfo(path.c_str(), 128, 0, &fileInfo), 0);
  EXPECT_EQ(fileInfo.width, info.width);
  Decoded fromFile;
  ASSERT_EQ(module->GetPicture(path.c_str(), 128, 0, &fromFile.info, &fromFile.bits, nullptr, 0), 0);
  ExpectValidBlocks(fromFile);
  ASSERT_EQ(LocalSize(fromFile.bits), LocalSize(fromMemory.bits));
  EXPECT_EQ(std::memcmp(fromFile.Bits(), fromMemory.Bits(), LocalSize(fromMemory.bits)), 0);
  EXPECT_EQ(std::memcmp(&fromFile.Header(), &fromMemory.Header(), 40 + 4 * fromMemory.Header().biClrUsed), 0);

  // The support test by file handle reads the header itself.
  files.File(name, c.bytes);
  HANDLE f = CreateFileW(win32::Widen(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0,
                         nullptr);
  ASSERT_NE(f, INVALID_HANDLE_VALUE);
  EXPECT_NE(module->IsSupported(path.c_str(), reinterpret_cast<uintptr_t>(f)), 0);
  CloseHandle(f);
}

TEST_P(PluginFormatTest, OnlyItsOwnPlugInClaimsTheFile) {
  const Case& c = GetParam();
  for (const char* plugin : {"png.spi", "gif.spi", "webp.spi", "tiff.spi"}) {
    auto module = Load(plugin);
    ASSERT_NE(module, nullptr);
    EXPECT_EQ(Supported(*module, c.bytes, "no-extension") != 0, c.plugin == plugin) << plugin;
    if (c.plugin != plugin) {
      Decoded d;
      EXPECT_EQ(FromMemory(*module, c.bytes, d), 2) << plugin;
      EXPECT_EQ(d.info, nullptr);
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Pictures, PluginFormatTest, ::testing::ValuesIn(Cases()),
                         [](const ::testing::TestParamInfo<Case>& i) { return i.param.name; });

// What each plug-in says about itself.
TEST(PluginFormatInfo, EachIsAnImportPlugInWithItsOwnFilter) {
  const std::pair<const char*, const char*> expected[] = {
      {"png.spi", "*.png"}, {"gif.spi", "*.gif"}, {"webp.spi", "*.webp"}, {"tiff.spi", "*.tif;*.tiff"}};
  for (const auto& [plugin, filter] : expected) {
    auto module = Load(plugin);
    ASSERT_NE(module, nullptr);
    EXPECT_NE(dynamic_cast<ImportModule*>(module.get()), nullptr) << plugin;
    EXPECT_EQ(module->APIVersion(), "00IN");
    EXPECT_NE(module->PluginName().find("ZEB"), std::string::npos) << module->PluginName();
    ASSERT_EQ(module->Filters().size(), 1u) << plugin;
    EXPECT_EQ(module->Filters()[0], filter);
    EXPECT_FALSE(module->Descriptions()[0].empty());
  }
}

// The information of a file is read from its start when that tells, else from the whole file (as for a
// TIFF whose directory follows 480 KB of pixels).
TEST(PluginFormatInfo, ALargeFileWhoseHeaderComesLastIsReadWhole) {
  auto module = Load("tiff.spi");
  ASSERT_NE(module, nullptr);
  test::TempFolder files;
  ASSERT_NO_FATAL_FAILURE(files.Make("zeb-plugin-formats"));
  std::string path = files.File("large.tif", test::WriteTiff(test::MakePicture(400, 400, 3),
                                                             {.compression = test::TiffCompression::kNone}));
  PictureInfo info{};
  EXPECT_EQ(module->GetPictureInfo(path.c_str(), 0, 0, &info), 0);
  EXPECT_EQ(info.width, 400);
  EXPECT_EQ(info.height, 400);
}

// One larger picture per plug-in whose file can be cut short.
struct Damage {
  std::string plugin;
  std::string bytes;
  SourcePicture expected;
  bool keepsRows;  // a file cut in half still shows its top rows (not without its directory or interlaced)
  int tolerance = 0;
};

// A grey TIFF whose directory comes before its strips (libtiff writes it after them, so a cut file of
// libtiff's would have none): 8 strips of 8 rows, uncompressed.
std::string TiffDirectoryFirst(const SourcePicture& grey) {
  std::string t = "II*";
  auto put = [&t](uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) t.push_back(static_cast<char>(v >> (8 * i)));
  };
  t.push_back(0);
  put(8, 4);
  const uint32_t strips = 8, offsets = 8 + 2 + 9 * 12 + 4, counts = offsets + 4 * strips,
                 data = counts + 4 * strips;
  const uint32_t rows = static_cast<uint32_t>(grey.height) / strips, stripBytes = rows * grey.width;
  put(9, 2);
  const uint32_t tags[9][4] = {{256, 3, 1, static_cast<uint32_t>(grey.width)},
                               {257, 3, 1, static_cast<uint32_t>(grey.height)},
                               {258, 3, 1, 8},
                               {259, 3, 1, 1},
                               {262, 3, 1, 1},
                               {273, 4, strips, offsets},
                               {277, 3, 1, 1},
                               {278, 3, 1, rows},
                               {279, 4, strips, counts}};
  for (const auto& tag : tags) {
    put(tag[0], 2);
    put(tag[1], 2);
    put(tag[2], 4);
    put(tag[3], 4);
  }
  put(0, 4);
  for (uint32_t i = 0; i < strips; ++i) put(data + i * stripBytes, 4);
  for (uint32_t i = 0; i < strips; ++i) put(stripBytes, 4);
  for (uint16_t v : grey.samples) t.push_back(static_cast<char>(v));
  return t;
}

std::vector<Damage> Damages() {
  using namespace test;
  SourcePicture rgb = MakePicture(64, 64, 3), indexed = MakeIndexed(64, 64, 64), smooth = Smooth(64, 64);
  SourcePicture grey = MakePicture(64, 64, 1);
  return {{"png.spi", WritePng(rgb, {false, 0}), rgb, true},
          {"png.spi", WritePng(rgb, {true, 0}), rgb, false},
          {"gif.spi", WriteGif(indexed), indexed, true},
          {"webp.spi", WriteWebp(smooth, {false}), smooth, true, 24},
          {"tiff.spi", TiffDirectoryFirst(grey), grey, true},
          {"tiff.spi", WriteTiff(rgb, {.compression = TiffCompression::kNone}), rgb, false}};
}

TEST(PluginFormatDamage, EmptyBrokenAndTruncatedFilesGiveTheirCodes) {
  for (const Damage& d : Damages()) {
    SCOPED_TRACE(d.plugin + (d.keepsRows ? "" : " (no rows when cut)"));
    auto module = Load(d.plugin);
    ASSERT_NE(module, nullptr);
    Decoded empty;
    EXPECT_EQ(FromMemory(*module, std::string(), empty), 2);
    EXPECT_EQ(Supported(*module, std::string(), "no-extension"), 0);

    // The signature and then rubbish.
    std::string broken = d.bytes.substr(0, 16) + std::string(300, '\x5A');
    Decoded b;
    EXPECT_EQ(FromMemory(*module, broken, b), 3);
    EXPECT_EQ(b.info, nullptr);
    EXPECT_EQ(b.bits, nullptr);

    // Only the first bytes of the file (the header at most): nothing to show.
    Decoded header;
    EXPECT_EQ(FromMemory(*module, d.bytes.substr(0, 40), header), 3);

    // Cut in half: the top rows where the format allows, else refused.
    Decoded half;
    int result = FromMemory(*module, d.bytes.substr(0, d.bytes.size() / 2), half);
    if (!d.keepsRows) {
      EXPECT_EQ(result, 3);
      continue;
    }
    ASSERT_EQ(result, 0);
    ExpectValidBlocks(half);
    SourcePicture top = d.expected;
    top.height = 8;
    ExpectPixels(half, top, d.tolerance);
    const uint8_t* bottom = half.Bits();
    EXPECT_TRUE(std::all_of(bottom, bottom + half.Stride(), [](uint8_t b) { return b == 0; }))
        << "rows past the end stay zero";
  }
}

// Patches a PNG's IHDR size and its checksum.
std::string PngOfSize(std::string png, uint32_t width, uint32_t height) {
  for (int i = 0; i < 4; ++i) {
    png[16 + i] = static_cast<char>(width >> (24 - 8 * i));
    png[20 + i] = static_cast<char>(height >> (24 - 8 * i));
  }
  uint32_t crc = static_cast<uint32_t>(crc32(0, reinterpret_cast<const Bytef*>(png.data() + 12), 17));
  for (int i = 0; i < 4; ++i) png[29 + i] = static_cast<char>(crc >> (24 - 8 * i));
  return png;
}

TEST(PluginFormatDamage, PicturesOverTheLimitOrDisagreeingWithTheirDataAreRefused) {
  auto png = Load("png.spi");
  ASSERT_NE(png, nullptr);
  std::string small = test::WritePng(test::MakePicture(4, 4, 3));
  Decoded d;
  // A square just over the limit of the viewer of the plug-in's width.
  const int side = static_cast<int>(std::sqrt(static_cast<double>(kMaxDibPixels))) + 1000;
  EXPECT_EQ(FromMemory(*png, PngOfSize(small, side, side), d), 3) << side;
  PictureInfo info{};
  EXPECT_EQ(png->GetPictureInfo(PngOfSize(small, side, side).data(), 100, 1, &info), 3);
  Decoded shortData;
  EXPECT_EQ(FromMemory(*png, PngOfSize(small, 4, 5000), shortData), 3) << "data for 4 rows of 5000";
  EXPECT_EQ(shortData.info, nullptr);
  std::string badCrc = small;
  badCrc[29] ^= 1;
  EXPECT_EQ(FromMemory(*png, badCrc, d), 3);

  auto gif = Load("gif.spi");
  ASSERT_NE(gif, nullptr);
  std::string screen = test::WriteGif(test::MakeIndexed(4, 4, 4));
  screen[6] = screen[7] = screen[8] = screen[9] = '\xFF';  // a 65535 x 65535 screen
  EXPECT_EQ(FromMemory(*gif, screen, d), 3);
  EXPECT_EQ(d.info, nullptr);
}

TEST(PluginFormatProgress, EachPlugInReportsProgressAndStopsWhenAsked) {
  using namespace test;
  SourcePicture rgb = MakePicture(64, 200, 3);
  const std::pair<const char*, std::string> files[] = {{"png.spi", WritePng(rgb)},
                                                       {"gif.spi", WriteGif(MakeIndexed(64, 200, 16))},
                                                       {"webp.spi", WriteWebp(rgb)},
                                                       {"tiff.spi", WriteTiff(rgb, {.rowsPerStrip = 32})}};
  for (const auto& [plugin, bytes] : files) {
    SCOPED_TRACE(plugin);
    auto module = Load(plugin);
    ASSERT_NE(module, nullptr);
    ProgressLog log;
    Decoded d;
    ASSERT_EQ(FromMemory(*module, bytes, d, &log), 0);
    ASSERT_GE(log.calls.size(), 2u);
    EXPECT_EQ(log.calls.front().first, 0);
    EXPECT_EQ(log.calls.back(), std::make_pair(1, 1));
    for (auto [done, total] : log.calls) EXPECT_TRUE(done >= 0 && done <= total) << done << "/" << total;

    ProgressLog stop;
    stop.abortAt = 1;
    Decoded stopped;
    EXPECT_EQ(FromMemory(*module, bytes, stopped, &stop), 1);
    EXPECT_EQ(stop.calls.size(), 2u);
    EXPECT_EQ(stopped.info, nullptr);
    EXPECT_EQ(stopped.bits, nullptr);
  }
}

// The whole way a viewer shows a picture: the manager finds png.spi, the plug-in picture becomes a
// bitmap, and its alpha is blended over what the surface holds.
TEST(PluginFormatAlpha, APngWithAlphaIsBlendedOverTheBackgroundWhenShown) {
  PluginManager spis;
  spis.Add(CreatePluginModule(ProductPlugin("png.spi")));
  ASSERT_EQ(spis.Count(), 1);
  // Opaque red, transparent, blue at alpha 128, opaque green.
  SourcePicture p;
  p.width = 4;
  p.height = 1;
  p.channels = 4;
  p.samples = {255, 0, 0, 255, 9, 9, 9, 0, 0, 0, 255, 128, 0, 255, 0, 255};
  test::TempFolder files;
  ASSERT_NO_FATAL_FAILURE(files.Make("zeb-plugin-formats"));
  PluginBitmap shown;
  shown.LoadFromFile(files.File("alpha.png", test::WritePng(p)));
  ASSERT_EQ(shown.GetWidth(), 4);

  test::MemorySurface surface(4, 1);  // grey 0x808080
  win32::GdiCanvas canvas(surface.dc());
  shown.Draw(canvas, Rect(0, 0, 4, 1));
  EXPECT_EQ(surface.at(0, 0), 0xFF0000u);
  EXPECT_EQ(surface.at(1, 0), 0x808080u) << "transparent: the background";
  const uint32_t half = surface.at(2, 0);
  EXPECT_NEAR(static_cast<int>(half & 0xFF), 128 + 64, 1) << std::hex << half;
  EXPECT_NEAR(static_cast<int>(half >> 16), 64, 1) << std::hex << half;
  EXPECT_EQ(surface.at(3, 0), 0x00FF00u);
}

}  // namespace
}  // namespace zeb::spi
