// The plug-in file loader: which class reads a file first, the conversion into a plain bitmap, the
// progress its listeners see, and the start and end hooks.
#include <gtest/gtest.h>

#include "tests/spi/plugin_memory_fixture.h"

#include <memory>

#include "platform/core/errors.h"
#include "platform/core/streams.h"
#include "platform/headless/headless.h"
#include "spi/spi_bitmap.h"
#include "spi/spi_manager.h"
#include "tests/support/fake_plugins.h"
#include "tests/support/fake_plugins_pictures.h"

namespace zeb::spi {
namespace {

using test::RawDib;

class SPIBitmapTest : public testing_support::PluginMemoryTest {
 protected:
  // a.spi: supports data that begins with "RAW" and decodes it into Dib.
  test::FakePlugin& RawPlugin(const RawDib& dib) {
    test::FakePluginRecipe recipe;
    recipe.filters = {{"*.raw", "Raw pictures"}};
    recipe.isSupported = [](const std::string&, const uint8_t* h) {
      return h[0] == 'R' && h[1] == 'A' && h[2] == 'W';
    };
    recipe.getPicture = [dib](const char*, intptr_t, unsigned, LocalHandle* hInfo, LocalHandle* hBits,
                              ProgressCallback progress, intptr_t data) {
      progress(0, 1, data);
      progress(1, 1, data);
      return test::ReturnDib(dib, hInfo, hBits);
    };
    test::FakePlugin& p = test::InstallFakePlugin("C:\\plugins\\a.spi", recipe);
    spis->Add(CreatePluginModule(p.path));
    return p;
  }
  static int SupportTests(const test::FakePlugin& p) {
    int n = 0;
    for (auto& c : p.calls) n += c.name == "IsSupported";
    return n;
  }

  test::ProgressLog log;
};

TEST_F(SPIBitmapTest, ABitmapFileIsReadByThePlainBitmapWithoutAskingPlugins) {
  test::FakePlugin& p = RawPlugin(test::MakeDib(9, 9, 24));
  for (const char* name : {"C:\\pics\\a.bmp", "C:\\pics\\b.BMP", "C:\\pics\\c.bMp"}) {
    SCOPED_TRACE(name);
    headless::DefaultFiles().AddFile(name, test::MakeBmpFile(test::MakeDib(5, 3, 24)));
    PluginBitmap b;
    log.reports.clear();
    b.OnProgress = log.Listener();
    b.LoadFromFile(name);
    EXPECT_EQ(b.GetWidth(), 5);
    EXPECT_EQ(b.GetHeight(), 3);
    ASSERT_EQ(log.reports.size(), 1u);
    const auto& r = log.reports[0];
    EXPECT_EQ(r.sender, &b);
    EXPECT_EQ(r.stage, ProgressStage::Ending);
    EXPECT_EQ(r.percent, 100);
    EXPECT_TRUE(r.redrawNow);
    EXPECT_EQ(r.r, Rect(0, 0, 5, 3));
    EXPECT_EQ(r.msg, "Loaded Graphic");
  }
  EXPECT_TRUE(p.calls.empty());
}

TEST_F(SPIBitmapTest, ABmpNameThatThePlainReaderRejectsGoesToThePlugins) {
  RawPlugin(test::MakeDib(7, 2, 24));
  headless::DefaultFiles().AddFile("C:\\pics\\x.BMP", "RAW not a bitmap");
  PluginBitmap b;
  b.LoadFromFile("C:\\pics\\x.BMP");
  EXPECT_EQ(b.GetWidth(), 7);
  EXPECT_EQ(b.GetHeight(), 2);
  EXPECT_EQ(&b.Format(), &PluginBitmap::kFormat);
}

TEST_F(SPIBitmapTest, AFileNothingDecodesFailsAfterTheEndingReportAndKeepsThePicture) {
  test::FakePlugin& p = RawPlugin(test::MakeDib(7, 2, 24));
  headless::DefaultFiles().AddFile("C:\\pics\\junk.BMP", "junk");
  PluginBitmap b;
  b.SetSize(5, 4, 24);
  b.OnProgress = log.Listener();
  try {
    b.LoadFromFile("C:\\pics\\junk.BMP");
    FAIL() << "no error";
  } catch (const InvalidPicture& e) {
    EXPECT_EQ(e.Message(), "Susie Plugins could not decode");
  }
  EXPECT_EQ(b.GetWidth(), 5);
  EXPECT_EQ(b.GetHeight(), 4);
  ASSERT_FALSE(log.reports.empty());
  EXPECT_EQ(log.reports.back().msg, "Loaded Graphic");
  EXPECT_EQ(log.reports.back().r, Rect(0, 0, 5, 4));
  // One search only, at offsets 0 and 128: the temporary plain bitmap asks no plug-in itself.
  EXPECT_EQ(SupportTests(p), 2);
  // A file that is not there fails the same way.
  EXPECT_THROW(b.LoadFromFile("C:\\pics\\missing.raw"), InvalidPicture);
}

TEST_F(SPIBitmapTest, ABitmapUnderAPluginExtensionIsOfferedToThePluginsFirst) {
  test::FakePlugin& p = RawPlugin(test::MakeDib(7, 2, 24));
  headless::DefaultFiles().AddFile("C:\\pics\\photo.raw", test::MakeBmpFile(test::MakeDib(4, 6, 8)));
  PluginBitmap b;
  b.OnProgress = log.Listener();
  b.LoadFromFile("C:\\pics\\photo.raw");
  EXPECT_EQ(b.GetWidth(), 4);
  EXPECT_EQ(SupportTests(p), 2);
  // The plug-in search's reports, then the single ending report.
  EXPECT_EQ(log.Messages(),
            (std::vector<std::string>{"Loading Graphic by Susie Plugin", "Seeking enabled Susie Plugins",
                                      "Loading by [a.spi]", "Loading by [a.spi]", "Loaded Graphic"}));
}

TEST_F(SPIBitmapTest, ListenersSeeThePluginsProgressAndOneEndingReport) {
  RawPlugin(test::MakeDib(7, 2, 24));
  headless::DefaultFiles().AddFile("C:\\pics\\p.raw", "RAW data");
  PluginBitmap b;
  b.OnProgress = log.Listener();
  b.LoadFromFile("C:\\pics\\p.raw");
  struct Expected {
    ProgressStage stage;
    uint8_t percent;
    std::string msg;
    PixelRect r;
  };
  std::vector<Expected> expected = {{ProgressStage::Starting, 0, "Loading Graphic by Susie Plugin", {}},
                                    {ProgressStage::Running, 1, "Seeking enabled Susie Plugins", {}},
                                    {ProgressStage::Running, 1, "Loading by [a.spi]", {}},
                                    {ProgressStage::Running, 2, "", {}},
                                    {ProgressStage::Running, 99, "", {}},
                                    {ProgressStage::Ending, 100, "Loaded Graphic", Rect(0, 0, 7, 2)}};
  ASSERT_EQ(log.reports.size(), expected.size());
  for (size_t i = 0; i < expected.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(log.reports[i].sender, &b);
    EXPECT_EQ(log.reports[i].stage, expected[i].stage);
    EXPECT_EQ(log.reports[i].percent, expected[i].percent);
    EXPECT_EQ(log.reports[i].msg, expected[i].msg);
    EXPECT_EQ(log.reports[i].r, expected[i].r);
    EXPECT_EQ(log.reports[i].redrawNow, expected[i].stage == ProgressStage::Ending);
  }
}

TEST_F(SPIBitmapTest, AnUnnamedStreamTriesPluginsFirstThenTheBitmapReaderFromItsPosition) {
  test::FakePlugin& p = RawPlugin(test::MakeDib(7, 2, 24));
  std::string bmp = test::MakeBmpFile(test::MakeDib(3, 5, 24));
  MemoryStream stream;
  stream.WriteBuffer("XXXX", 4);
  stream.WriteBuffer(bmp.data(), static_cast<int64_t>(bmp.size()));
  stream.SetPosition(4);
  PluginBitmap b;
  b.LoadFromStream(stream);
  EXPECT_EQ(b.GetWidth(), 3);
  EXPECT_EQ(b.GetHeight(), 5);
  ASSERT_EQ(SupportTests(p), 2);
  EXPECT_EQ(p.calls[0].fileName, "");
  EXPECT_EQ(p.calls[0].header.substr(0, 4), "XXXX");  // the plug-ins see the stream from its first byte
}

TEST_F(SPIBitmapTest, ANamedStreamFollowsTheNamesOrder) {
  test::FakePlugin& p = RawPlugin(test::MakeDib(7, 2, 24));
  std::string bmp = test::MakeBmpFile(test::MakeDib(3, 5, 24));
  MemoryStream stream;
  stream.WriteBuffer(bmp.data(), static_cast<int64_t>(bmp.size()));
  stream.SetPosition(0);
  PluginBitmap b;
  b.LoadFromStreamWithName(stream, "picture.bmp");
  EXPECT_EQ(b.GetWidth(), 3);
  EXPECT_TRUE(p.calls.empty());
  MemoryStream raw;
  raw.WriteBuffer("RAW", 3);
  raw.SetPosition(0);
  b.LoadFromStreamWithName(raw, "picture.BMP");
  EXPECT_EQ(b.GetWidth(), 7);
  EXPECT_EQ(p.calls[0].fileName, "picture.BMP");
}

TEST_F(SPIBitmapTest, AFourBitPictureKeepsThePluginsPalette) {
  std::vector<uint32_t> table;
  for (uint32_t i = 0; i < 16; ++i) table.push_back(0x101010u * i + 0x030201u);
  RawPlugin(test::MakeDib(5, 5, 4, 0, table));
  headless::DefaultFiles().AddFile("C:\\pics\\four.raw", "RAW 4-bit");
  PluginBitmap b;
  b.LoadFromFile("C:\\pics\\four.raw");
  std::vector<PaletteEntry> entries = PaletteEntries(b.GetPalette());
  ASSERT_EQ(entries.size(), 16u);
  for (uint32_t i = 0; i < 16; ++i)
    EXPECT_EQ(entries[i],
              (PaletteEntry{static_cast<uint8_t>(table[i] >> 16), static_cast<uint8_t>(table[i] >> 8),
                            static_cast<uint8_t>(table[i]), 0}));
}

TEST_F(SPIBitmapTest, AssigningAPluginPictureCopiesItAndLeavesItLoaded) {
  RawPlugin(test::MakeDib(6, 3, 4));
  MemoryStream raw;
  raw.WriteBuffer("RAW", 3);
  PluginImage g;
  g.LoadFromStream(raw);
  PluginBitmap b;
  b.Assign(g);
  EXPECT_EQ(b.GetWidth(), 6);
  EXPECT_EQ(b.GetHeight(), 3);
  EXPECT_FALSE(g.GetEmpty());
  EXPECT_EQ(PaletteEntries(b.GetPalette()), PaletteEntries(g.GetPalette()));
  EXPECT_NE(b.GetPalette(), g.GetPalette());
  // Anything else is the plain bitmap's assignment.
  Bitmap plain;
  plain.SetSize(2, 8, 24);
  b.Assign(plain);
  EXPECT_EQ(b.GetHeight(), 8);
}

TEST_F(SPIBitmapTest, ConversionGivesAPlainBitmapAndTheClearingOneFreesThePluginsBlocks) {
  RawPlugin(test::MakeDib(6, 3, 24));
  MemoryStream raw;
  raw.WriteBuffer("RAW", 3);
  PluginImage g;
  g.LoadFromStream(raw);
  int blocksLoaded = headless::LiveLocalBlocks();
  std::unique_ptr<Bitmap> kept = PluginBitmap::ConvertToBitmap(g);
  EXPECT_EQ(&kept->Format(), &Bitmap::kFormat);
  EXPECT_EQ(kept->GetWidth(), 6);
  EXPECT_FALSE(g.GetEmpty());
  std::unique_ptr<Bitmap> cleared = PluginBitmap::ConvertToBitmapAndClear(g);
  EXPECT_EQ(&cleared->Format(), &Bitmap::kFormat);
  EXPECT_EQ(cleared->GetHeight(), 3);
  EXPECT_TRUE(g.GetEmpty());
  EXPECT_EQ(headless::LiveLocalBlocks(), blocksLoaded - 2);
}

TEST_F(SPIBitmapTest, TakingOverAPictureFreesIt) {
  RawPlugin(test::MakeDib(6, 3, 24));
  MemoryStream raw;
  raw.WriteBuffer("RAW", 3);
  auto g = std::make_unique<PluginImage>();
  g->LoadFromStream(raw);
  PluginBitmap b;
  int blocksLoaded = headless::LiveLocalBlocks();
  b.AssignSPIGraphic(std::move(g));
  EXPECT_EQ(headless::LiveLocalBlocks(), blocksLoaded - 2);
  EXPECT_EQ(b.GetWidth(), 6);
  try {
    b.AssignSPIGraphic(nullptr);
    FAIL() << "no error";
  } catch (const InvalidPicture& e) {
    EXPECT_EQ(e.Message(), "Susie Plugins could not decode");
  }
  EXPECT_THROW(b.AssignSPIGraphic(std::make_unique<PluginImage>()), InvalidPicture);  // empty: no BMP
  EXPECT_EQ(b.GetWidth(), 6);
}

}  // namespace
}  // namespace zeb::spi
