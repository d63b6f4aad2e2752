// What a plug-in returns is outside data: blocks whose header does not fit them count as a failed
// attempt (the next module is tried), are freed once, and are never read past their end.
#include <gtest/gtest.h>

#include "tests/spi/plugin_memory_fixture.h"

#include <climits>
#include <cstring>
#include <memory>

#include "platform/core/streams.h"
#include "platform/headless/headless.h"
#include "spi/dib_layout.h"
#include "spi/spi_graphic.h"
#include "spi/spi_manager.h"
#include "spi/spi_source.h"
#include "tests/support/fake_plugins.h"
#include "tests/support/fake_plugins_pictures.h"

namespace zeb::spi {
namespace {

using test::RawDib;

bool Usable(const RawDib& dib, size_t bitsBlock) {
  return IsUsableDib(reinterpret_cast<const uint8_t*>(dib.info.data()), dib.info.size(), bitsBlock);
}

TEST(DibLayoutTest, AWellFormedPictureFitsItsBlocksExactly) {
  RawDib d = test::MakeDib(3, 2, 24);
  EXPECT_TRUE(Usable(d, 24));
  EXPECT_FALSE(Usable(d, 23));  // the last row would run past the pixel block
  RawDib topDown = test::MakeDib(3, -2, 24);
  EXPECT_TRUE(Usable(topDown, 24));
  EXPECT_EQ(ReadDibLayout(reinterpret_cast<const uint8_t*>(topDown.info.data())).bitsSize, 24);
}

TEST(DibLayoutTest, TheColourTableMustLieInsideTheInformationBlock) {
  RawDib d = test::MakeDib(4, 4, 8);  // 256 entries
  EXPECT_TRUE(Usable(d, 16));
  RawDib shortTable = d;
  shortTable.info.resize(40 + 255 * 4);
  EXPECT_FALSE(Usable(shortTable, 16));
  RawDib hugeCount = d;
  test::PutLE32(hugeCount, 32, 0xFFFFFFFFu);
  EXPECT_FALSE(Usable(hugeCount, 16));
  // The platform's drawing finds the table after biSize bytes: that reading must fit as well.
  RawDib longHeader = d;
  test::PutLE32(longHeader, 0, 124);
  EXPECT_FALSE(Usable(longHeader, 16));
  longHeader.info.append(84, '\0');
  EXPECT_TRUE(Usable(longHeader, 16));
}

TEST(DibLayoutTest, HeadersThatDescribeNoUsablePictureAreRefused) {
  RawDib good = test::MakeDib(2, 2, 24);
  auto refused = [&](auto change, size_t bitsBlock = 16) {
    RawDib d = good;
    change(d);
    return !Usable(d, bitsBlock);
  };
  EXPECT_TRUE(refused([](RawDib& d) { test::PutLE32(d, 0, 12); }));  // an old-style core header
  EXPECT_TRUE(refused([](RawDib& d) { test::PutLE32(d, 0, 39); }));
  EXPECT_TRUE(refused([](RawDib& d) { d.info.resize(39); }));        // a block shorter than a header
  EXPECT_TRUE(refused([](RawDib& d) { test::PutLE32(d, 16, 1); }));  // compressed rows (RLE8)
  EXPECT_TRUE(refused([](RawDib& d) { test::PutLE32(d, 4, 0); }));   // no width
  EXPECT_TRUE(refused([](RawDib& d) { test::PutLE32(d, 4, static_cast<uint32_t>(-2)); }));
  EXPECT_TRUE(refused([](RawDib& d) { test::PutLE32(d, 8, 0); }));  // no height
  for (uint16_t bits : {0, 2, 3, 5, 12, 48, 64, 0xFFFF})
    EXPECT_TRUE(refused([bits](RawDib& d) { test::PutLE16(d, 14, bits); })) << bits;
  for (uint16_t bits : {1, 4, 8, 16, 24, 32}) {
    RawDib d = test::MakeDib(2, 2, bits);
    EXPECT_TRUE(Usable(d, d.bits.size())) << bits;
  }
}

TEST(DibLayoutTest, SizesBeyondMemoryAreRefusedWithoutOverflow) {
  RawDib d = test::MakeDib(1, 1, 32);
  const size_t anyBlock = SIZE_MAX;
  test::PutLE32(d, 4, 1u << 14);
  test::PutLE32(d, 8, 1u << 14);
  EXPECT_TRUE(Usable(d, anyBlock));  // 2^28 pixels is the most
  test::PutLE32(d, 4, (1u << 14) + 1);
  EXPECT_FALSE(Usable(d, anyBlock));
  test::PutLE32(d, 4, INT32_MAX);
  test::PutLE32(d, 8, static_cast<uint32_t>(INT32_MIN));
  EXPECT_FALSE(Usable(d, anyBlock));
  test::PutLE32(d, 4, static_cast<uint32_t>(INT32_MIN));
  test::PutLE16(d, 14, 0xFFFF);
  EXPECT_FALSE(Usable(d, anyBlock));
  test::PutLE16(d, 14, 32);
  test::PutLE32(d, 4, 1);
  EXPECT_FALSE(Usable(d, anyBlock));  // |INT32_MIN| rows
  test::PutLE32(d, 8, 1u << 28);
  EXPECT_TRUE(Usable(d, anyBlock));
  test::PutLE32(d, 8, (1u << 28) + 1);
  EXPECT_FALSE(Usable(d, anyBlock));
}

// --- Through the search -----------------------------------------------------------------------------

class UntrustedBlocksTest : public testing_support::PluginMemoryTest {
 protected:
  void SetUp() override {
    PluginMemoryTest::SetUp();
    spis->MacBinary = false;
  }

  // Module a.spi returns what Hostile gives; b.spi returns a good 2 x 1 picture. The search must end
  // with b.spi's picture.
  void ExpectNextModuleDecodes(test::FakePictureFn hostile) {
    test::FakePluginRecipe bad;
    bad.isSupported = [](const std::string&, const uint8_t*) { return 1; };
    bad.getPicture = std::move(hostile);
    test::FakePluginRecipe good;
    good.isSupported = bad.isSupported;
    good.getPicture = test::Returning(test::MakeDib(2, 1, 24));
    spis->Add(CreatePluginModule(test::InstallFakePlugin("C:\\plugins\\a.spi", bad).path));
    test::FakePlugin& b = test::InstallFakePlugin("C:\\plugins\\b.spi", good);
    spis->Add(CreatePluginModule(b.path));
    MemoryStream data;
    data.WriteBuffer("data", 4);
    PluginImage g;
    g.LoadFromStream(data);
    EXPECT_EQ(b.calls.back().name, "GetPicture");
    EXPECT_EQ(g.GetWidth(), 2);
    EXPECT_EQ(g.GetHeight(), 1);
  }
  static test::FakePictureFn Returning(RawDib dib) { return test::Returning(std::move(dib)); }
};

TEST_F(UntrustedBlocksTest, ATooSmallPixelBlockIsAFailedAttempt) {
  RawDib d = test::MakeDib(100, 100, 24);
  d.bits.resize(d.bits.size() - 1);
  ExpectNextModuleDecodes(Returning(d));
}

TEST_F(UntrustedBlocksTest, AColourTablePastItsBlockIsAFailedAttempt) {
  RawDib d = test::MakeDib(4, 4, 8);
  d.info.resize(40 + 16 * 4);  // 16 entries where biClrUsed 0 means 256
  ExpectNextModuleDecodes(Returning(d));
}

TEST_F(UntrustedBlocksTest, AShortHeaderIsAFailedAttempt) {
  RawDib d = test::MakeDib(2, 2, 24);
  d.info.resize(20);
  ExpectNextModuleDecodes(Returning(d));
}

TEST_F(UntrustedBlocksTest, AnOddBitCountIsAFailedAttempt) {
  RawDib odd = test::MakeDib(2, 2, 24);
  test::PutLE16(odd, 14, 7);
  ExpectNextModuleDecodes(Returning(odd));
}

TEST_F(UntrustedBlocksTest, AZeroSizedPictureIsAFailedAttempt) {
  RawDib d = test::MakeDib(2, 2, 24);
  test::PutLE32(d, 8, 0);
  ExpectNextModuleDecodes(Returning(d));
}

TEST_F(UntrustedBlocksTest, OneBlockReturnedAsBothHandlesIsFreedOnce) {
  ExpectNextModuleDecodes([](const char*, intptr_t, unsigned, LocalHandle* hInfo, LocalHandle* hBits,
                             ProgressCallback, intptr_t) {
    LocalHandle h = nullptr, unused = nullptr;
    test::ReturnDib(test::MakeDib(2, 2, 24), &h, &unused);
    LocalFreeHandle(unused);
    *hInfo = h;
    *hBits = h;
    return 0;
  });
}

TEST_F(UntrustedBlocksTest, AHandleThatIsNoBlockIsNeitherReadNorFreed) {
  static uint8_t notABlock[64];
  ExpectNextModuleDecodes([](const char*, intptr_t, unsigned, LocalHandle* hInfo, LocalHandle* hBits,
                             ProgressCallback, intptr_t) {
    LocalHandle unused = nullptr;
    test::ReturnDib(test::MakeDib(2, 2, 24), &unused, hBits);
    LocalFreeHandle(unused);
    *hInfo = notABlock;
    return 0;
  });
}

TEST_F(UntrustedBlocksTest, ATextHandleThatIsNoBlockIsNotFreed) {
  static uint8_t notABlock[16];
  test::FakePluginRecipe recipe;
  recipe.isSupported = [](const std::string&, const uint8_t*) { return 1; };
  recipe.getPictureInfo = [](const char*, intptr_t, unsigned, PictureInfo* info) {
    info->hInfo = notABlock;
    return 0;
  };
  recipe.getPicture = test::Returning(test::MakeDib(2, 2, 24));
  spis->Add(CreatePluginModule(test::InstallFakePlugin("C:\\plugins\\a.spi", recipe).path));
  MemoryStream data;
  data.WriteBuffer("data", 4);
  PluginImage g;
  g.LoadFromStream(data);
  EXPECT_FALSE(g.GetEmpty());
}

TEST_F(UntrustedBlocksTest, WhenNoModuleReturnsAUsablePictureTheLoadFails) {
  RawDib d = test::MakeDib(2, 2, 24);
  test::PutLE32(d, 16, 2);  // RLE4
  test::FakePluginRecipe recipe;
  recipe.isSupported = [](const std::string&, const uint8_t*) { return 1; };
  recipe.getPicture = test::Returning(d);
  spis->Add(CreatePluginModule(test::InstallFakePlugin("C:\\plugins\\a.spi", recipe).path));
  MemoryStream data;
  data.WriteBuffer("data", 4);
  PluginImage g;
  EXPECT_THROW(g.LoadFromStream(data), InvalidPicture);
  EXPECT_TRUE(g.GetEmpty());
}

}  // namespace
}  // namespace zeb::spi
