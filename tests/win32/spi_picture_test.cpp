// Plug-in pictures with real plug-in DLLs (tests/plugins: ppm.spi, rawbmp.spi), the real local memory
// and GDI: decoding from files and streams, drawing into a memory DC, saving as BMP, the plug-in file
// loader, names outside the ANSI code page, and a listener error raised under a plug-in's C code.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <stdexcept>

#include "platform/core/errors.h"
#include "platform/core/streams.h"
#include "platform/core/strings.h"
#include "platform/graphics/bitmap.h"
#include "platform/services/ansi.h"
#include "platform/services/file_system.h"
#include "platform/win32/gdi_canvas.h"
#include "tests/win32/common/memory_surface.h"
#include "spi/spi_bitmap.h"
#include "spi/spi_graphic.h"
#include "spi/plugin_host.h"
#include "spi/spi_manager.h"
#include "tests/win32/common/temp_folder.h"
#include "tests/support/plugin_name.h"

namespace zeb::spi {
namespace {

std::string Plugin(const std::string& name) {
  return FolderPart(Files().ProgramFileName()) + "plugins\\" + test::BuildPluginName(name);
}

// A 3 x 2 PPM: red, green, blue / white, black, grey.
const unsigned char kPixels[2][3][3] = {{{255, 0, 0}, {0, 255, 0}, {0, 0, 255}},
                                        {{255, 255, 255}, {0, 0, 0}, {128, 128, 128}}};
std::string PpmBytes() {
  std::string s = "P6\n# a test picture\n3 2\n255\n";
  s.append(reinterpret_cast<const char*>(kPixels), sizeof kPixels);
  return s;
}

// The raw format of rawbmp.spi.
std::string RawBytes(uint32_t width, uint32_t height, uint8_t bits, const std::string& palette,
                     const std::string& pixels) {
  std::string s = "ZRAWBMP1";
  for (uint32_t v : {width, height})
    for (int i = 0; i < 4; ++i) s.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
  s.push_back(static_cast<char>(bits));
  return s + palette + pixels;
}

class SpiPictureTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(Files().FileExists(Plugin("ppm.spi"))) << "no test plug-ins next to this program";
    ASSERT_NO_FATAL_FAILURE(files.Make("zeb-spi-picture"));
    spis = std::make_unique<PluginManager>();
    spis->Add(CreatePluginModule(Plugin("ppm.spi")));
    spis->Add(CreatePluginModule(Plugin("rawbmp.spi")));
    ASSERT_EQ(spis->Count(), 2);
  }

  // The DIB pixel (X, Y counted from the top) of a 24-bit bottom-up picture, as 0xRRGGBB.
  static uint32_t DibPixel(PluginImage& g, int x, int y) {
    const uint8_t* bits = g.Source()->LockBits();
    int stride = (g.GetWidth() * 3 + 3) / 4 * 4;
    const uint8_t* p = bits + (g.GetHeight() - 1 - y) * stride + 3 * x;
    return uint32_t{p[2]} << 16 | uint32_t{p[1]} << 8 | p[0];
  }
  static uint32_t Expected(int x, int y) {
    const unsigned char* c = kPixels[y][x];
    return uint32_t{c[0]} << 16 | uint32_t{c[1]} << 8 | c[2];
  }

  test::TempFolder files;  // removed after the manager has let go of the plug-ins
  std::unique_ptr<PluginManager> spis;
};

TEST_F(SpiPictureTest, APpmIsDecodedFromAFile) {
  std::string path = files.File("picture.ppm", PpmBytes());
  PluginImage g;
  std::vector<std::string> messages;
  g.OnProgress = [&](Image*, ProgressStage, uint8_t, bool, const PixelRect&, const std::string& msg) {
    messages.push_back(msg);
  };
  g.LoadFromFile(path);
  ASSERT_FALSE(g.GetEmpty());
  EXPECT_EQ(g.GetWidth(), 3);
  EXPECT_EQ(g.GetHeight(), 2);
  EXPECT_EQ(g.BitsSize(), 24);
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 3; ++x) EXPECT_EQ(DibPixel(g, x, y), Expected(x, y)) << x << "," << y;
  ASSERT_GE(messages.size(), 4u);
  EXPECT_EQ(messages[2], "Loading by [" + test::BuildPluginName("ppm.spi") + "]");
  EXPECT_EQ(messages.back(), "Loaded Graphic by Susie Plugin");
}

TEST_F(SpiPictureTest, APpmIsDecodedFromAnInMemoryStreamAndFromAFileStream) {
  std::string bytes = PpmBytes();
  MemoryStream memory;
  memory.WriteBuffer(bytes.data(), static_cast<int64_t>(bytes.size()));
  PluginImage g;
  g.LoadFromStream(memory);
  EXPECT_EQ(g.GetWidth(), 3);
  EXPECT_EQ(DibPixel(g, 2, 1), Expected(2, 1));

  std::string path = files.File("stream.ppm", bytes);
  FileStream file(path, FileMode::OpenRead);
  file.SetPosition(7);
  g.LoadFromStreamWithName(file, path);
  EXPECT_EQ(g.GetHeight(), 2);
  EXPECT_EQ(DibPixel(g, 0, 0), Expected(0, 0));
}

TEST_F(SpiPictureTest, ThePictureIsDrawnIntoAMemoryDC) {
  std::string path = files.File("draw.ppm", PpmBytes());
  PluginImage g;
  g.LoadFromFile(path);
  test::MemorySurface surface(6, 4);
  ASSERT_TRUE(surface.valid());
  {
    win32::GdiCanvas canvas(surface.dc());
    g.Draw(canvas, Rect(0, 0, 6, 4));
  }
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 6; ++x) EXPECT_EQ(surface.at(x, y), Expected(x / 2, y / 2)) << x << "," << y;
}

TEST_F(SpiPictureTest, ThePictureIsSavedAsABmpFile) {
  std::string path = files.File("save.ppm", PpmBytes());
  PluginImage g;
  g.LoadFromFile(path);
  MemoryStream out;
  g.SaveToStream(out);
  ASSERT_EQ(out.Size(), 78);
  const uint8_t* m = out.Memory();
  EXPECT_EQ(m[0], 'B');
  EXPECT_EQ(m[1], 'M');
  EXPECT_EQ(m[2], 78);
  EXPECT_EQ(m[10], 54);
  out.SetPosition(0);
  Bitmap b;
  b.LoadFromStream(out);
  EXPECT_EQ(b.GetWidth(), 3);
  EXPECT_EQ(b.GetHeight(), 2);
  const uint8_t* top = b.ScanLine(0);
  EXPECT_EQ((uint32_t{top[2]} << 16 | uint32_t{top[1]} << 8 | top[0]), Expected(0, 0));
}

TEST_F(SpiPictureTest, ABmpNameOnlyAPluginReadsIsLoadedThroughThePlugin) {
  std::string rgb;
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 3; ++x) rgb.append(reinterpret_cast<const char*>(kPixels[y][x]), 3);
  std::string path = files.File("raw.BMP", RawBytes(3, 2, 24, "", rgb));
  PluginBitmap b;
  std::vector<std::string> messages;
  b.OnProgress = [&](Image*, ProgressStage, uint8_t, bool, const PixelRect&, const std::string& msg) {
    messages.push_back(msg);
  };
  b.LoadFromFile(path);
  EXPECT_EQ(b.GetWidth(), 3);
  EXPECT_EQ(b.GetHeight(), 2);
  const uint8_t* row = b.ScanLine(1);
  EXPECT_EQ((uint32_t{row[5]} << 16 | uint32_t{row[4]} << 8 | row[3]), Expected(1, 1));
  EXPECT_NE(
      std::find(messages.begin(), messages.end(), "Loading by [" + test::BuildPluginName("rawbmp.spi") + "]"),
      messages.end());
  EXPECT_EQ(messages.back(), "Loaded Graphic");

  // A real bitmap under .bmp is the plain reader's: only the ending report.
  MemoryStream bmp;
  PluginImage g;
  g.LoadFromFile(files.File("for-bmp.ppm", PpmBytes()));
  g.SaveToStream(bmp);
  std::string real = files.File("real.bmp", std::string(reinterpret_cast<const char*>(bmp.Memory()), 78));
  messages.clear();
  b.LoadFromFile(real);
  EXPECT_EQ(messages, std::vector<std::string>{"Loaded Graphic"});
}

TEST_F(SpiPictureTest, AFourBitPluginPictureBringsItsPalette) {
  std::string palette, indices;
  for (int i = 0; i < 16; ++i) {
    palette.push_back(static_cast<char>(i * 16));
    palette.push_back(static_cast<char>(255 - i * 16));
    palette.push_back(static_cast<char>(i * 5));
  }
  for (int i = 0; i < 8; ++i) indices.push_back(static_cast<char>(i * 2));
  std::string path = files.File("four.bmp", RawBytes(4, 2, 4, palette, indices));
  PluginBitmap b;
  b.LoadFromFile(path);
  EXPECT_EQ(b.GetWidth(), 4);
  std::vector<PaletteEntry> entries = PaletteEntries(b.GetPalette());
  ASSERT_EQ(entries.size(), 16u);
  for (int i = 0; i < 16; ++i)
    EXPECT_EQ(entries[i], (PaletteEntry{static_cast<uint8_t>(i * 16), static_cast<uint8_t>(255 - i * 16),
                                        static_cast<uint8_t>(i * 5), 0}))
        << i;
}

TEST_F(SpiPictureTest, AFileNothingDecodesIsReported) {
  std::string path = files.File("junk.ppm", "neither PPM nor anything else");
  PluginImage g;
  try {
    g.LoadFromFile(path);
    FAIL() << "no error";
  } catch (const InvalidPicture& e) {
    EXPECT_EQ(e.Message(), "Susie Plugins could not decode");
  }
  EXPECT_TRUE(g.GetEmpty());
  PluginBitmap b;
  EXPECT_THROW(b.LoadFromFile(path), InvalidPicture);
}

// A plug-in with wide entry points gets the name itself (and is asked for its texts wide); others get
// the file's bytes. The same in process and through the plug-in host.
TEST_F(SpiPictureTest, ANameOutsideTheAnsiCodePageReachesPluginsByWideNameOrAsMemory) {
  std::string path = files.File("写真 テスト.ppm", PpmBytes());
  bool lossless = true;
  ToAnsi(path, &lossless);
  for (const auto& [wide, hosted] : {std::pair{false, false}, {true, false}, {false, true}, {true, true}}) {
    SCOPED_TRACE(hosted ? "hosted" : "in process");
    spis->Clear();
    std::unique_ptr<PluginHost> host;
    if (hosted)
      host =
          std::make_unique<PluginHost>(FolderPart(Files().ProgramFileName()) + "..\\" + kPluginHostProgram);
    spis->Add(CreatePluginModule(Plugin(wide ? "widename.spi" : "ppm.spi")));
    EXPECT_EQ(spis->Items(0)->PluginName(), wide ? "ワイド名 PPM" : "PPM/PGM test plug-in");
    PluginImage g;
    g.LoadFromFile(path);
    EXPECT_EQ(g.GetWidth(), 3);
    EXPECT_EQ(DibPixel(g, 1, 0), Expected(1, 0));
    auto* source = dynamic_cast<PluginFileSource*>(g.Source());
    ASSERT_NE(source, nullptr);
    EXPECT_EQ(source->HandsOverMemory(), !lossless && !wide) << wide;
    // Through the file loader as well.
    PluginBitmap b;
    b.LoadFromFile(path);
    EXPECT_EQ(b.GetHeight(), 2);
  }
}

TEST_F(SpiPictureTest, AListenerErrorComesOutAfterThePluginReturned) {
  std::string path = files.File("listener.ppm", PpmBytes());
  PluginImage g;
  int calls = 0;
  g.OnProgress = [&](Image*, ProgressStage stage, uint8_t, bool, const PixelRect&, const std::string& msg) {
    if (stage == ProgressStage::Running && msg.empty()) {
      ++calls;
      throw std::runtime_error("listener failed");
    }
  };
  try {
    g.LoadFromFile(path);
    FAIL() << "no error";
  } catch (const std::runtime_error& e) {
    EXPECT_STREQ(e.what(), "listener failed");
  }
  EXPECT_EQ(calls, 1);
  EXPECT_TRUE(g.GetEmpty());
  // The plug-in is in a sound state: the next load works.
  g.OnProgress = nullptr;
  g.LoadFromFile(path);
  EXPECT_EQ(g.GetWidth(), 3);
}

TEST_F(SpiPictureTest, AnAbortFromTheListenerStopsThePlugin) {
  std::string path = files.File("abort.ppm", PpmBytes());
  PluginImage g;
  g.OnProgress = [&](Image*, ProgressStage stage, uint8_t, bool, const PixelRect&, const std::string& msg) {
    if (stage == ProgressStage::Running && msg.empty()) throw SilentAbort("");
  };
  EXPECT_THROW(g.LoadFromFile(path), InvalidPicture);
}

TEST_F(SpiPictureTest, ThePictureRegistryLoadsPluginExtensionsThroughTheFileLoader) {
  spis.reset();
  InitializeSPIBitmap();
  spis = std::make_unique<PluginManager>();
  spis->Add(CreatePluginModule(Plugin("ppm.spi")));
  std::string path = files.File("registry.ppm", PpmBytes());
  Picture picture;
  picture.LoadFromFile(path);
  ASSERT_NE(picture.Graphic(), nullptr);
  EXPECT_EQ(&picture.Graphic()->Format(), &PluginBitmap::kFormat);
  EXPECT_EQ(picture.Width(), 3);
  FinalizeSPIBitmap();
  EXPECT_EQ(PictureFormats::Find("ppm"), nullptr);
  PluginManager::SetDefaultFormat(nullptr);
}

}  // namespace
}  // namespace zeb::spi
