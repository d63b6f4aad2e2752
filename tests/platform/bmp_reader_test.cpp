// Reading valid BMP files of every header kind, depth and compression.
#include <gtest/gtest.h>

#include <cstring>

#include "platform/core/errors.h"
#include "platform/headless/headless.h"
#include "tests/platform/bmp_test_util.h"
#include "tests/support/bmp_maker.h"

namespace zeb::test {
namespace {

constexpr int32_t kW = 5, kH = 3;  // odd sizes so every depth pads its rows

// Channel values that survive 5-bit storage exactly (0x84 = 16 and 0x42 = 8 widened back to 8 bits).
const std::vector<uint32_t> kTrueColors = {0xFF0000, 0x00FF00, 0x0000FF, 0x848484, 0x42FF00,
                                           0x000000, 0xFFFFFF, 0x840042, 0x00FF84, 0xFF4284};

struct FormatCase {
  BmpHeaderKind header;
  uint16_t bitCount;
  uint32_t compression;
  bool topDown;
  std::array<uint32_t, 3> masks;
};

std::string Name(const testing::TestParamInfo<FormatCase>& info) {
  const FormatCase& c = info.param;
  const char* comp[] = {"rgb", "rle8", "rle4", "bitfields"};
  return "h" + std::to_string(static_cast<int>(c.header)) + "_" + std::to_string(c.bitCount) + "bit_" +
         comp[c.compression] + (c.topDown ? "_topdown" : "") + (c.masks[0] == 0xFF ? "_bgr" : "");
}

std::vector<FormatCase> AllCases() {
  std::vector<FormatCase> cases;
  const BmpHeaderKind headers[] = {BmpHeaderKind::Core, BmpHeaderKind::Info, BmpHeaderKind::V2,
                                   BmpHeaderKind::V3,   BmpHeaderKind::Os2,  BmpHeaderKind::V4,
                                   BmpHeaderKind::V5};
  for (BmpHeaderKind h : headers) {
    const bool core = h == BmpHeaderKind::Core;
    for (uint16_t bits : {1, 4, 8, 16, 24, 32}) {
      if (core && (bits == 16 || bits == 32)) continue;
      for (bool topDown : {false, true}) {
        if (core && topDown) continue;
        cases.push_back({h, bits, BiRgb, topDown, {}});
      }
    }
    if (core) continue;
    cases.push_back({h, 8, BiRle8, false, {}});
    cases.push_back({h, 4, BiRle4, false, {}});
    if (h == BmpHeaderKind::Os2) continue;
    for (bool topDown : {false, true}) {
      cases.push_back({h, 16, BiBitfields, topDown, {0x7C00, 0x03E0, 0x001F}});
      cases.push_back({h, 32, BiBitfields, topDown, {0xFF0000, 0x00FF00, 0x0000FF}});
      cases.push_back({h, 32, BiBitfields, topDown, {0x0000FF, 0x00FF00, 0xFF0000}});
    }
  }
  return cases;
}

class BmpFormat : public testing::TestWithParam<FormatCase> {
 protected:
  void SetUp() override { headless::ResetAll(); }
};

TEST_P(BmpFormat, LoadsAndDrawsEveryPixel) {
  const FormatCase& c = GetParam();
  BmpRecipe s;
  s.header = c.header;
  s.width = kW;
  s.height = kH;
  s.bitCount = c.bitCount;
  s.compression = c.compression;
  s.topDown = c.topDown;
  s.masks = c.masks;
  std::vector<uint32_t> expected;
  if (c.bitCount <= 8) {
    const uint32_t n = 1u << c.bitCount;
    for (uint32_t i = 0; i < n; ++i) s.colors.push_back((i * 0x3B1F7u + 0x102030u) & 0xFFFFFF);
    // Runs and single pixels alike, so RLE data holds encoded and literal runs.
    const uint32_t indices[kW * kH] = {1, 1, 1, 1, 0, 0, 1, 0, 1, 1, 1, 0, 0, 0, 1};
    for (uint32_t i = 0; i < kW * kH; ++i) {
      uint32_t idx = c.bitCount == 1 ? indices[i] : (indices[i] ? (i * 7 + 3) % n : n - 1);
      if (c.compression != BiRgb && i < 4) idx = 2;  // a repeat of four
      s.pixels.push_back(idx);
      expected.push_back(s.colors[idx]);
    }
  } else {
    for (int i = 0; i < kW * kH; ++i) s.pixels.push_back(kTrueColors[i % kTrueColors.size()]);
    expected = s.pixels;
  }
  auto bitmap = LoadBmp(MakeBmp(s));
  EXPECT_EQ(bitmap->GetWidth(), kW);
  EXPECT_EQ(bitmap->GetHeight(), kH);
  EXPECT_EQ(bitmap->TopDown(), c.topDown);
  EXPECT_EQ(Rendered(*bitmap), expected);

  // What is kept is a plain BITMAPINFOHEADER with a full colour table, uncompressed.
  const uint16_t keptBits = c.bitCount;
  EXPECT_EQ(bitmap->BitCount(), keptBits);
  const uint8_t* info = bitmap->Info();
  uint32_t biSize, biCompression;
  int32_t biHeight;
  std::memcpy(&biSize, info, 4);
  std::memcpy(&biHeight, info + 8, 4);
  std::memcpy(&biCompression, info + 16, 4);
  EXPECT_EQ(biSize, 40u);
  EXPECT_EQ(biHeight, c.topDown ? -kH : kH);
  EXPECT_EQ(biCompression, 0u);
  EXPECT_EQ(bitmap->ColorCount(), keptBits <= 8 ? 1u << keptBits : 0u);
  EXPECT_EQ(bitmap->InfoSize(), 40 + 4 * bitmap->ColorCount());
  EXPECT_EQ(bitmap->RowStride(), (kW * keptBits + 31u) / 32 * 4);
  EXPECT_EQ(bitmap->BitsSize(), bitmap->RowStride() * kH);
}

INSTANTIATE_TEST_SUITE_P(AllKinds, BmpFormat, testing::ValuesIn(AllCases()), Name);

class BmpReader : public testing::Test {
 protected:
  void SetUp() override { headless::ResetAll(); }
};

BmpRecipe Bitfields(uint16_t bits, std::array<uint32_t, 3> masks, std::vector<uint32_t> raw,
                    BmpHeaderKind header = BmpHeaderKind::Info) {
  BmpRecipe s;
  s.header = header;
  s.width = static_cast<int32_t>(raw.size());
  s.height = 1;
  s.bitCount = bits;
  s.compression = BiBitfields;
  s.masks = masks;
  s.rawPixelValues = true;
  s.pixels = std::move(raw);
  return s;
}

TEST_F(BmpReader, BitfieldsOf565AreWidenedTo32Bits) {
  for (BmpHeaderKind h : {BmpHeaderKind::Info, BmpHeaderKind::V3, BmpHeaderKind::V5}) {
    auto b = LoadBmp(
        MakeBmp(Bitfields(16, {0xF800, 0x07E0, 0x001F}, {0xF800, 0x07E0, 0x001F, 0x0400, 0x0841}, h)));
    EXPECT_EQ(b->BitCount(), 32);
    // Green 32 of 63 is 130 of 255; 1 of 31 is 8, 2 of 63 is 8.
    EXPECT_EQ(Rendered(*b), (std::vector<uint32_t>{0xFF0000, 0x00FF00, 0x0000FF, 0x008200, 0x080808}));
  }
}

TEST_F(BmpReader, BitfieldsWiderThanEightBitsKeepTheirTopBits) {
  auto b = LoadBmp(MakeBmp(Bitfields(32, {0x3FF00000, 0x000FFC00, 0x000003FF}, {0x3FF00000, 0x200801FF})));
  EXPECT_EQ(Rendered(*b), (std::vector<uint32_t>{0xFF0000, 0x80807F}));
}

TEST_F(BmpReader, EmptyMaskGivesAZeroChannel) {
  auto b = LoadBmp(MakeBmp(Bitfields(16, {0x7C00, 0, 0x001F}, {0xFFFF})));
  EXPECT_EQ(Rendered(*b), (std::vector<uint32_t>{0xFF00FF}));
}

TEST_F(BmpReader, Standard32BitMasksKeepThePixelsAsRead) {
  auto b = LoadBmp(MakeBmp(Bitfields(32, {0xFF0000, 0xFF00, 0xFF}, {0xAA123456})));
  ASSERT_EQ(b->BitCount(), 32);
  EXPECT_EQ(b->Bits()[3], 0);  // the byte the masks leave out is cleared, never taken for alpha
  EXPECT_EQ(Rendered(*b), (std::vector<uint32_t>{0x123456}));
}

TEST_F(BmpReader, SixteenBitBiRgbIs555WhateverTheHeaderMasksSay) {
  BmpRecipe s = Bitfields(16, {0xF800, 0x07E0, 0x001F}, {0x7C00, 0x03E0}, BmpHeaderKind::V4);
  s.compression = BiRgb;  // masks in a V4 header count only for BI_BITFIELDS
  auto b = LoadBmp(MakeBmp(s));
  EXPECT_EQ(b->BitCount(), 16);
  EXPECT_EQ(Rendered(*b), (std::vector<uint32_t>{0xFF0000, 0x00FF00}));
}

BmpRecipe Indexed(int32_t w, int32_t h, uint16_t bits, std::vector<uint32_t> pixels,
                  std::vector<uint32_t> colors) {
  BmpRecipe s;
  s.width = w;
  s.height = h;
  s.bitCount = bits;
  s.pixels = std::move(pixels);
  s.colors = std::move(colors);
  return s;
}

TEST_F(BmpReader, ShortColourTableLeavesTheRestBlack) {
  BmpRecipe s = Indexed(4, 1, 8, {0, 1, 2, 255}, {0x112233, 0x445566});
  s.clrUsed = 2;
  auto b = LoadBmp(MakeBmp(s));
  EXPECT_EQ(b->ColorCount(), 256u);
  EXPECT_EQ(Rendered(*b), (std::vector<uint32_t>{0x112233, 0x445566, 0, 0}));
  std::vector<PaletteEntry> entries = PaletteEntries(b->GetPalette());
  ASSERT_EQ(entries.size(), 256u);
  EXPECT_EQ(entries[1], (PaletteEntry{0x44, 0x55, 0x66, 0}));
  EXPECT_EQ(entries[2], (PaletteEntry{0, 0, 0, 0}));
}

TEST_F(BmpReader, ColourCountBeyondTheDepthIsCappedByIt) {
  BmpRecipe s = Indexed(2, 1, 1, {0, 1}, {0x0000FF, 0x00FF00});
  s.clrUsed = 300;
  auto b = LoadBmp(MakeBmp(s));
  EXPECT_EQ(Rendered(*b), (std::vector<uint32_t>{0x0000FF, 0x00FF00}));
}

TEST_F(BmpReader, PixelOffsetInsideTheColourTableCutsItShort) {
  // biClrUsed 0 promises 16 entries, but the pixels start after the third.
  BmpRecipe s = Indexed(4, 1, 4, {0, 1, 2, 3}, {0xFF0000, 0x00FF00, 0x0000FF});
  s.offBits = 14 + 40 + 3 * 4;
  auto b = LoadBmp(MakeBmp(s));
  EXPECT_EQ(Rendered(*b), (std::vector<uint32_t>{0xFF0000, 0x00FF00, 0x0000FF, 0}));
}

TEST_F(BmpReader, CoreHeaderTableCutShortByThePixelOffset) {
  BmpRecipe s = Indexed(3, 2, 8, {0, 1, 1, 1, 0, 2}, {0x010203, 0x040506});
  s.header = BmpHeaderKind::Core;
  s.offBits = 14 + 12 + 2 * 3;
  auto b = LoadBmp(MakeBmp(s));
  EXPECT_EQ(Rendered(*b), (std::vector<uint32_t>{0x010203, 0x040506, 0x040506, 0x040506, 0x010203, 0}));
}

TEST_F(BmpReader, PixelOffsetPastTheTableSkipsTheGap) {
  BmpRecipe s = Indexed(2, 1, 24, {0xABCDEF, 0x123456}, {});
  s.rawBits = std::string(10, '\x77') + EncodePixels(s);
  s.offBits = 14 + 40 + 10;
  auto b = LoadBmp(MakeBmp(s));
  EXPECT_EQ(Rendered(*b), (std::vector<uint32_t>{0xABCDEF, 0x123456}));
}

TEST_F(BmpReader, PixelOffsetIntoTheHeadersMeansPixelsFollowTheTable) {
  BmpRecipe s = Indexed(2, 1, 1, {1, 0}, {0x000000, 0xFFFFFF});
  s.offBits = 0;
  auto b = LoadBmp(MakeBmp(s));
  EXPECT_EQ(Rendered(*b), (std::vector<uint32_t>{0xFFFFFF, 0x000000}));
}

TEST_F(BmpReader, WrongFileSizeImageSizeAndPlanesAreIgnored) {
  BmpRecipe s = Indexed(3, 3, 24, std::vector<uint32_t>(9, 0x405060), {});
  s.fileSize = 0;
  s.sizeImage = 0;
  s.planes = 3;
  EXPECT_EQ(Rendered(*LoadBmp(MakeBmp(s))), std::vector<uint32_t>(9, 0x405060));
  s.fileSize = 0xFFFFFFFF;
  s.sizeImage = 0xFFFFFFFF;
  EXPECT_EQ(Rendered(*LoadBmp(MakeBmp(s))), std::vector<uint32_t>(9, 0x405060));
}

TEST_F(BmpReader, MissingPaddingOfTheLastRowIsTolerated) {
  // 3 pixels of 24 bits: 9 bytes a row, 3 of them padding.
  BmpRecipe s = Indexed(3, 2, 24, {1, 2, 3, 4, 5, 6}, {});
  std::string file = MakeBmp(s);
  file.resize(file.size() - 3);
  auto b = LoadBmp(file);
  EXPECT_EQ(Rendered(*b), (std::vector<uint32_t>{1, 2, 3, 4, 5, 6}));
  EXPECT_EQ(b->BitsSize(), 24u);
}

TEST_F(BmpReader, ReadsFromTheStreamsPositionAndStopsAtItsPicture) {
  std::string file = SimpleBmp(2, 2, 24, {0x10, 0x20, 0x30, 0x40});
  MemoryStream stream;
  FillStream(stream, "junk" + file + "trailing data");
  stream.SetPosition(4);
  Bitmap b;
  b.LoadFromStream(stream);
  EXPECT_EQ(Rendered(b), (std::vector<uint32_t>{0x10, 0x20, 0x30, 0x40}));
}

std::string RleFile(int32_t w, int32_t h, uint16_t bits, const std::string& data,
                    std::vector<uint32_t> colors) {
  BmpRecipe s;
  s.width = w;
  s.height = h;
  s.bitCount = bits;
  s.compression = bits == 8 ? BiRle8 : BiRle4;
  s.colors = std::move(colors);
  s.rawBits = data;
  return MakeBmp(s);
}

const std::vector<uint32_t> kRleColors = {0x000000, 0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF};

TEST_F(BmpReader, Rle8DeltaSkipsPixelsAndLiteralsArePadded) {
  // Bottom row: run of 2 x colour 1, delta (+1, +1); second row: literal 3 pixels (padded), EOB.
  const std::string data("\x02\x01\x00\x02\x01\x01\x00\x03\x02\x03\x04\x00\x00\x01", 14);
  auto b = LoadBmp(RleFile(6, 2, 8, data, kRleColors));
  EXPECT_EQ(Rendered(*b), (std::vector<uint32_t>{0, 0, 0, 0x00FF00, 0x0000FF, 0xFFFFFF,  // top row
                                                 0xFF0000, 0xFF0000, 0, 0, 0, 0}));
}

TEST_F(BmpReader, Rle4RunsAlternateNibblesAndLiteralsAreWordPadded) {
  // Run of 5 alternating 1,2; literal of 3 nibbles 3,4,1 in 2 bytes; EOL; EOB.
  const std::string data("\x05\x12\x00\x03\x34\x10\x00\x00\x00\x01", 10);
  auto b = LoadBmp(RleFile(9, 1, 4, data, kRleColors));
  EXPECT_EQ(Rendered(*b), (std::vector<uint32_t>{0xFF0000, 0x00FF00, 0xFF0000, 0x00FF00, 0xFF0000, 0x0000FF,
                                                 0xFFFFFF, 0xFF0000, 0}));
}

TEST_F(BmpReader, RleMayEndWithoutEndOfBitmapOnceEveryRowEnded) {
  const std::string data("\x02\x01\x00\x00\x02\x02\x00\x00", 8);
  auto b = LoadBmp(RleFile(2, 2, 8, data, kRleColors));
  EXPECT_EQ(Rendered(*b), (std::vector<uint32_t>{0x00FF00, 0x00FF00, 0xFF0000, 0xFF0000}));
}

TEST_F(BmpReader, RleEndOfBitmapEarlyLeavesTheRestIndexZero) {
  const std::string data("\x01\x03\x00\x01", 4);
  auto b = LoadBmp(RleFile(2, 2, 8, data, {0x123456, 0, 0, 0xABCDEF}));
  EXPECT_EQ(Rendered(*b), (std::vector<uint32_t>{0x123456, 0x123456, 0xABCDEF, 0x123456}));
}

TEST_F(BmpReader, LargeRlePictureOfOneRunLoads) {
  // 4096 x 4096 from a few bytes: compression may be extreme and still valid.
  const std::string data("\x00\x02\xFF\xFF\x00\x01", 6);
  auto b = LoadBmp(RleFile(4096, 4096, 8, data, kRleColors));
  EXPECT_EQ(b->GetWidth(), 4096);
  EXPECT_EQ(b->BitsSize(), 4096u * 4096u);
}

TEST_F(BmpReader, LoadsThroughTheFileSystemAndThePictureRegistry) {
  headless::DefaultFiles().AddFile("C:\\pics\\a.BMP", SimpleBmp(1, 1, 24, {0x00FF00}));
  Picture picture;
  picture.LoadFromFile("C:\\pics\\a.BMP");
  ASSERT_NE(dynamic_cast<Bitmap*>(picture.Graphic()), nullptr);
  EXPECT_EQ(Rendered(*static_cast<Bitmap*>(picture.Graphic())), std::vector<uint32_t>{0x00FF00});
}

}  // namespace
}  // namespace zeb::test
