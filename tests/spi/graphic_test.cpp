// The plug-in picture: sizes and palettes from the plug-in's header, the BMP file it writes, drawing,
// and what a load leaves behind when it fails.
#include <gtest/gtest.h>

#include "tests/spi/plugin_memory_fixture.h"

#include <cstring>
#include <memory>
#include <stdexcept>

#include "platform/core/errors.h"
#include "platform/core/streams.h"
#include "platform/graphics/bitmap.h"
#include "platform/headless/headless.h"
#include "spi/spi_graphic.h"
#include "spi/spi_manager.h"
#include "tests/support/fake_plugins.h"
#include "tests/support/fake_plugins_pictures.h"

namespace zeb::spi {
namespace {

using test::RawDib;

std::string LE32(uint32_t v) {
  std::string s;
  for (int i = 0; i < 4; ++i) s.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
  return s;
}

class GraphicTest : public testing_support::PluginMemoryTest {
 protected:
  void SetUp() override {
    PluginMemoryTest::SetUp();
    spis->MacBinary = false;
    data.WriteBuffer("some picture", 12);
  }

  // One module that decodes everything into Dib (or fails when Dib is empty).
  test::FakePlugin& Decoding(const RawDib& dib) {
    test::FakePluginRecipe recipe;
    recipe.isSupported = [](const std::string&, const uint8_t*) { return 1; };
    if (dib.info.empty())
      recipe.getPicture = [](const char*, intptr_t, unsigned, LocalHandle*, LocalHandle*, ProgressCallback,
                             intptr_t) { return 1; };
    else
      recipe.getPicture = test::Returning(dib);
    test::FakePlugin& p =
        test::InstallFakePlugin("C:\\plugins\\p" + std::to_string(++installed_) + ".spi", recipe);
    spis->Add(CreatePluginModule(p.path));
    return p;
  }

  MemoryStream data;

 private:
  int installed_ = 0;
};

struct SizeCase {
  uint16_t bits;
  uint32_t clrUsed;
  int32_t colors;
  int32_t infoSize;
};

TEST_F(GraphicTest, ColoursInformationSizeAndPaletteFollowTheHeader) {
  const SizeCase cases[] = {{8, 0, 256, 1064}, {8, 20, 20, 120}, {1, 0, 2, 48}, {4, 0, 16, 104},
                            {24, 0, 0, 40},    {32, 0, 0, 40},   {24, 3, 3, 52}};
  for (const SizeCase& c : cases) {
    SCOPED_TRACE(std::to_string(c.bits) + " bits, biClrUsed " + std::to_string(c.clrUsed));
    spis->Clear();
    RawDib dib = test::MakeDib(7, 5, c.bits, c.clrUsed);
    Decoding(dib);
    PluginImage g;
    g.LoadFromStream(data);
    EXPECT_EQ(g.GetWidth(), 7);
    EXPECT_EQ(g.GetHeight(), 5);
    EXPECT_EQ(g.InfoSize(), c.infoSize);
    EXPECT_EQ(g.BitsSize(), test::RowBytes(7, c.bits) * 5);
    EXPECT_EQ(g.IsFourBit(), c.bits == 4);
    // A palette is made from the colour table, also when it has no entries.
    ASSERT_NE(g.GetPalette(), 0u);
    std::vector<PaletteEntry> entries = PaletteEntries(g.GetPalette());
    ASSERT_EQ(entries.size(), static_cast<size_t>(c.colors));
    for (uint32_t i = 0; i < entries.size(); ++i) {
      uint32_t rgb = test::MadeTableColour(i);
      EXPECT_EQ(entries[i], (PaletteEntry{static_cast<uint8_t>(rgb >> 16), static_cast<uint8_t>(rgb >> 8),
                                          static_cast<uint8_t>(rgb), 0}));
    }
    // Made once and kept.
    EXPECT_EQ(g.GetPalette(), g.GetPalette());
  }
}

TEST_F(GraphicTest, TopDownRowsKeepTheirStoredHeight) {
  Decoding(test::MakeDib(3, -2, 24));
  PluginImage g;
  g.LoadFromStream(data);
  EXPECT_EQ(g.GetHeight(), -2);
  EXPECT_EQ(g.BitsSize(), 24);
}

TEST_F(GraphicTest, SavingWritesTheBmpFileOfAThreeByTwoPicture) {
  std::string bits;
  for (int i = 0; i < 24; ++i) bits.push_back(static_cast<char>(i * 9 + 1));
  RawDib dib = test::MakeDib(3, 2, 24, 0, {}, bits);
  Decoding(dib);
  PluginImage g;
  g.LoadFromStream(data);
  MemoryStream out;
  g.SaveToStream(out);
  std::string expected = "BM" + LE32(78) + LE32(0) + LE32(54) + dib.info + bits;
  ASSERT_EQ(out.Size(), 78);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(out.Memory()), 78), expected);
}

TEST_F(GraphicTest, SavingWritesOnlyTheColoursInUse) {
  // biClrUsed 20 in a block that carries a full table: 40 + 80 bytes of information are written.
  RawDib dib = test::MakeDib(4, 1, 8, 20);
  for (uint32_t i = 20; i < 256; ++i) dib.info += LE32(0x123456);
  Decoding(dib);
  PluginImage g;
  g.LoadFromStream(data);
  MemoryStream out;
  g.SaveToStream(out);
  std::string written(reinterpret_cast<const char*>(out.Memory()), static_cast<size_t>(out.Size()));
  EXPECT_EQ(written.substr(2, 4), LE32(14 + 120 + 4));
  EXPECT_EQ(written.substr(10, 4), LE32(14 + 120));
  EXPECT_EQ(written.substr(14, 120), dib.info.substr(0, 120));
  // The plain bitmap reads it back.
  out.SetPosition(0);
  Bitmap b;
  b.LoadFromStream(out);
  EXPECT_EQ(b.GetWidth(), 4);
}

TEST_F(GraphicTest, ALongerHeaderIsWrittenAsTheFortyByteHeaderTheTableFollows) {
  // A plug-in that claims a V4-sized header with a 40-byte layout: the file must stay consistent.
  std::string bits;
  for (int i = 0; i < 24; ++i) bits.push_back(static_cast<char>(0x40 + i));
  RawDib dib = test::MakeDib(3, 2, 24, 0, {}, bits);
  test::PutLE32(dib, 0, 108);
  dib.info.resize(108, '\0');
  Decoding(dib);
  PluginImage g;
  g.LoadFromStream(data);
  MemoryStream out;
  g.SaveToStream(out);
  std::string written(reinterpret_cast<const char*>(out.Memory()), static_cast<size_t>(out.Size()));
  EXPECT_EQ(written.substr(14, 4), LE32(40));
  EXPECT_EQ(written.substr(10, 4), LE32(54));
  out.SetPosition(0);
  Bitmap b;
  b.LoadFromStream(out);
  ASSERT_EQ(b.GetWidth(), 3);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(b.Bits()), 24), bits);
}

TEST_F(GraphicTest, AFailedWriteIsReported) {
  Decoding(test::MakeDib(3, 2, 24));
  PluginImage g;
  g.LoadFromStream(data);
  class FullStream : public MemoryStream {
   public:
    int64_t Write(const void* buffer, int64_t count) override {
      return MemoryStream::Write(buffer, Size() + count > 60 ? 0 : count);
    }
  } full;
  EXPECT_THROW(g.SaveToStream(full), WriteError);
  EXPECT_FALSE(g.GetEmpty());
}

// Records what reaches the canvas.
class RecordingCanvas : public Canvas {
 public:
  struct Call {
    PixelRect dest;
    int32_t srcWidth, srcHeight;
    const void* bits;
    const void* info;
    PaletteHandle palette;
  };
  std::vector<Call> calls;
  void StretchDIB(const PixelRect& dest, int32_t srcWidth, int32_t srcHeight, const void* bits,
                  const void* info, PaletteHandle palette) override {
    calls.push_back({dest, srcWidth, srcHeight, bits, info, palette});
  }
  void FillRect(const PixelRect&, uint32_t) override {}
  void DrawIcon(const uint8_t*, size_t, int32_t, int32_t, const PixelRect&) override {}
  void PlayMetafile(const uint8_t*, size_t, bool, const PixelRect&) override {}
};

TEST_F(GraphicTest, DrawingStretchesThePluginsOwnBlocksWithThePalette) {
  Decoding(test::MakeDib(6, 4, 8));
  PluginImage g;
  RecordingCanvas canvas;
  g.Draw(canvas, Rect(0, 0, 10, 10));
  EXPECT_TRUE(canvas.calls.empty());  // nothing loaded, nothing drawn
  g.LoadFromStream(data);
  g.Draw(canvas, Rect(5, 6, 17, 14));
  g.Draw(canvas, Rect(0, 0, 3, 2));
  ASSERT_EQ(canvas.calls.size(), 2u);
  const auto& c = canvas.calls[0];
  EXPECT_EQ(c.dest, Rect(5, 6, 17, 14));
  EXPECT_EQ(c.srcWidth, 6);
  EXPECT_EQ(c.srcHeight, 4);
  EXPECT_EQ(c.bits, g.Source()->LockBits());
  EXPECT_EQ(c.info, g.Source()->LockBitmapInfo());
  EXPECT_EQ(c.palette, g.GetPalette());
  // No copy, no new lock: the second drawing uses the same blocks and the same palette.
  EXPECT_EQ(canvas.calls[1].bits, c.bits);
  EXPECT_EQ(canvas.calls[1].palette, c.palette);
}

TEST_F(GraphicTest, ALoadThatNothingDecodesFailsAndLeavesThePictureEmpty) {
  Decoding(test::MakeDib(3, 3, 8));
  PluginImage g;
  int changes = 0;
  g.OnChange = [&](Image*) { ++changes; };
  g.LoadFromStream(data);
  EXPECT_EQ(changes, 1);
  g.GetPalette();
  spis->Clear();
  Decoding(RawDib{});
  try {
    g.LoadFromStream(data);
    FAIL() << "no error";
  } catch (const InvalidPicture& e) {
    EXPECT_EQ(e.Message(), "Susie Plugins could not decode");
  }
  EXPECT_EQ(changes, 1);
  EXPECT_TRUE(g.GetEmpty());
  EXPECT_EQ(g.GetWidth(), 0);
  EXPECT_EQ(g.GetHeight(), 0);
  EXPECT_EQ(g.Source(), nullptr);
}

TEST_F(GraphicTest, ASecondLoadFreesTheFirstPictureBeforeItsSearch) {
  Decoding(test::MakeDib(3, 3, 8));
  PluginImage g;
  g.LoadFromStream(data);
  g.GetPalette();
  int blocksWhenAsked = -1, palettesWhenAsked = -1;
  int blocksLoaded = headless::LiveLocalBlocks(), palettesLoaded = headless::LivePalettes();
  spis->Clear();
  test::FakePluginRecipe recipe;
  recipe.isSupported = [&](const std::string&, const uint8_t*) {
    blocksWhenAsked = headless::LiveLocalBlocks();
    palettesWhenAsked = headless::LivePalettes();
    return 0;
  };
  spis->Add(CreatePluginModule(test::InstallFakePlugin("C:\\plugins\\late.spi", recipe).path));
  EXPECT_THROW(g.LoadFromStream(data), InvalidPicture);
  EXPECT_EQ(blocksWhenAsked, blocksLoaded - 2);
  EXPECT_EQ(palettesWhenAsked, palettesLoaded - 1);
}

TEST_F(GraphicTest, AnyOtherErrorClearsThePictureAndPassesUnchanged) {
  Decoding(test::MakeDib(3, 3, 24));
  PluginImage g;
  g.LoadFromStream(data);
  g.OnProgress = [](Image*, ProgressStage stage, uint8_t, bool, const PixelRect&, const std::string& msg) {
    if (stage == ProgressStage::Running && msg.empty()) throw std::logic_error("listener");
  };
  EXPECT_THROW(g.LoadFromStream(data), std::logic_error);
  EXPECT_TRUE(g.GetEmpty());
}

TEST_F(GraphicTest, ProgressReachesThePicturesListenersWithThePictureAsSender) {
  Decoding(test::MakeDib(3, 3, 24));
  PluginImage g;
  test::ProgressLog log;
  g.OnProgress = log.Listener();
  g.LoadFromStream(data);
  ASSERT_FALSE(log.reports.empty());
  for (auto& r : log.reports) EXPECT_EQ(r.sender, &g);
  EXPECT_EQ(log.reports.back().msg, "Loaded Graphic by Susie Plugin");
}

TEST_F(GraphicTest, AFileIsHandedOverByNameAndAStreamNameIsShownToThePlugins) {
  headless::DefaultFiles().AddFile("C:\\pics\\a.pic", "file data");
  test::FakePlugin& p = Decoding(test::MakeDib(2, 2, 24));
  PluginImage g;
  g.LoadFromFile("C:\\pics\\a.pic");
  EXPECT_EQ(p.calls.back().name, "GetPicture");
  EXPECT_EQ(p.calls.back().flag, 0u);
  g.LoadFromStreamWithName(data, "named.pic");
  EXPECT_EQ(p.calls[p.calls.size() - 3].fileName, "named.pic");
  EXPECT_EQ(p.calls.back().flag, 1u);
  g.LoadFromStream(data);
  EXPECT_EQ(p.calls[p.calls.size() - 3].fileName, "");
}

TEST_F(GraphicTest, SizeCannotBeChanged) {
  Decoding(test::MakeDib(3, 2, 24));
  PluginImage g;
  g.LoadFromStream(data);
  g.SetWidth(100);
  g.SetHeight(100);
  EXPECT_EQ(g.GetWidth(), 3);
  EXPECT_EQ(g.GetHeight(), 2);
  EXPECT_FALSE(g.GetEmpty());
}

TEST_F(GraphicTest, AssignmentIsRefusedInBothDirections) {
  Decoding(test::MakeDib(3, 2, 24));
  PluginImage g;
  g.LoadFromStream(data);
  Bitmap b;
  b.SetSize(2, 2, 24);
  EXPECT_THROW(g.Assign(b), ConversionError);
  EXPECT_THROW(b.Assign(g), ConversionError);
  PluginImage other;
  EXPECT_THROW(other.Assign(g), ConversionError);
  EXPECT_EQ(g.GetWidth(), 3);
  EXPECT_EQ(b.GetWidth(), 2);
}

}  // namespace
}  // namespace zeb::spi
