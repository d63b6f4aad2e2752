// Broken BMP files: every one raises InvalidPicture, reads nothing out of bounds (ASan watches) and
// leaves the bitmap with what it held.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>

#include "platform/core/errors.h"
#include "platform/headless/headless.h"
#include "tests/platform/bmp_test_util.h"
#include "tests/support/bmp_maker.h"

namespace zeb::test {
namespace {

class BmpMalformed : public testing::Test {
 protected:
  void SetUp() override {
    headless::ResetAll();
    held_.LoadFromStream(*StreamOf(SimpleBmp(2, 1, 24, {0xABCDEF, 0x123456})));
  }

  std::unique_ptr<MemoryStream> StreamOf(const std::string& bytes) {
    auto s = std::make_unique<MemoryStream>();
    FillStream(*s, bytes);
    return s;
  }

  // Loads Bytes into a bitmap that held a picture: InvalidPicture with the fixed text, picture kept.
  void ExpectRejected(const std::string& bytes, const std::string& what) {
    SCOPED_TRACE(what);
    // The bytes are copied into a buffer of exactly their size, so ASan sees any read past the end.
    auto stream = StreamOf(bytes);
    int changes = 0;
    held_.OnChange = [&](Image*) { ++changes; };
    try {
      held_.LoadFromStream(*stream);
      ADD_FAILURE() << "loaded";
    } catch (const InvalidPicture& e) {
      EXPECT_STREQ(e.what(), "Bitmap image is not valid");
    }
    held_.OnChange = nullptr;
    EXPECT_EQ(changes, 0);
    EXPECT_EQ(Rendered(held_), (std::vector<uint32_t>{0xABCDEF, 0x123456}));
  }

  // Truncates a valid file at every length below its own; only cuts listed in Accepted may load.
  void ExpectEveryTruncationRejected(const std::string& file, size_t acceptedFrom, const std::string& what) {
    for (size_t n = 0; n < file.size(); ++n) {
      if (n >= acceptedFrom) {
        EXPECT_NO_THROW(LoadBmp(file.substr(0, n))) << what << " cut at " << n;
        continue;
      }
      ExpectRejected(file.substr(0, n), what + " cut at " + std::to_string(n));
    }
  }

  Bitmap held_;
};

BmpRecipe Recipe(uint16_t bits, int32_t w, int32_t h, uint32_t compression = BiRgb) {
  BmpRecipe s;
  s.width = w;
  s.height = h;
  s.bitCount = bits;
  s.compression = compression;
  if (bits <= 8) s.colors.assign(size_t(1) << bits, 0x808080);
  for (int32_t i = 0; i < w * h; ++i) s.pixels.push_back(bits <= 8 ? (i / 3) % (1u << bits) : 0x102030u * i);
  return s;
}

std::string WithU32(std::string file, size_t offset, uint32_t value) {
  std::memcpy(&file[offset], &value, 4);
  return file;
}
std::string WithU16(std::string file, size_t offset, uint16_t value) {
  std::memcpy(&file[offset], &value, 2);
  return file;
}

TEST_F(BmpMalformed, TruncatedAnywhere) {
  // Uncompressed files may lose only their last row's padding (3 bytes at 7 x 24 bits).
  std::string file = MakeBmp(Recipe(24, 7, 3));
  ExpectEveryTruncationRejected(file, file.size() - 3, "24-bit");
  file = MakeBmp(Recipe(8, 8, 3));
  ExpectEveryTruncationRejected(file, file.size(), "8-bit");
  BmpRecipe core = Recipe(4, 8, 2);
  core.header = BmpHeaderKind::Core;
  file = MakeBmp(core);
  ExpectEveryTruncationRejected(file, file.size(), "core 4-bit");
  file = MakeBmp(Recipe(16, 6, 2, BiBitfields));
  ExpectEveryTruncationRejected(file, file.size(), "565 bit fields");
  BmpRecipe v5 = Recipe(32, 2, 2, BiBitfields);
  v5.header = BmpHeaderKind::V5;
  v5.masks = {0xFF, 0xFF00, 0xFF0000};
  file = MakeBmp(v5);
  ExpectEveryTruncationRejected(file, file.size(), "V5 bit fields");
  // RLE may lose its end-of-bitmap once every row has ended, but not half of it.
  file = MakeBmp(Recipe(8, 9, 4, BiRle8));
  ExpectEveryTruncationRejected(file, file.size() - 2, "RLE8");
  file = MakeBmp(Recipe(4, 9, 4, BiRle4));
  ExpectEveryTruncationRejected(file, file.size() - 2, "RLE4");
}

TEST_F(BmpMalformed, BadHeaderFields) {
  const std::string good = MakeBmp(Recipe(8, 4, 2));
  ExpectRejected("", "empty");
  ExpectRejected("XM" + good.substr(2), "signature");
  ExpectRejected("BA" + good.substr(2), "OS/2 bitmap array");
  for (uint32_t size : {0u, 4u, 11u, 13u, 16u, 39u, 41u, 100u, 125u, 0xFFFFFFFFu})
    ExpectRejected(WithU32(good, 14, size), "header size " + std::to_string(size));
  for (int32_t width : {0, -1, INT32_MIN}) ExpectRejected(WithU32(good, 18, width), "width");
  for (int32_t height : {0, INT32_MIN}) ExpectRejected(WithU32(good, 22, height), "height");
  for (uint16_t bits : {0, 2, 3, 7, 9, 15, 48, 64, 0xFFFF}) ExpectRejected(WithU16(good, 28, bits), "bits");
  for (uint32_t comp : {4u, 5u, 6u, 11u, 0x80000000u}) ExpectRejected(WithU32(good, 30, comp), "compression");
  ExpectRejected(WithU32(good, 10, 0xFFFFFFFF), "pixel offset far past the end");
  ExpectRejected(WithU32(good, 10, static_cast<uint32_t>(good.size()) + 1), "pixel offset past the end");
  ExpectRejected(WithU32(good, 10, static_cast<uint32_t>(good.size()) - 1), "pixel offset too late");
}

TEST_F(BmpMalformed, CompressionThatDoesNotFitTheDepthOrHeader) {
  ExpectRejected(WithU16(MakeBmp(Recipe(8, 4, 2, BiRle8)), 28, 4), "RLE8 at 4 bits");
  ExpectRejected(WithU16(MakeBmp(Recipe(4, 4, 2, BiRle4)), 28, 8), "RLE4 at 8 bits");
  ExpectRejected(WithU32(MakeBmp(Recipe(24, 4, 2)), 30, BiBitfields), "bit fields at 24 bits");
  ExpectRejected(WithU32(MakeBmp(Recipe(8, 4, 2)), 30, BiBitfields), "bit fields at 8 bits");
  BmpRecipe os2 = Recipe(16, 4, 2);
  os2.header = BmpHeaderKind::Os2;
  ExpectRejected(WithU32(MakeBmp(os2), 30, BiBitfields), "OS/2 Huffman");
  BmpRecipe topDown = Recipe(8, 4, 2, BiRle8);
  topDown.topDown = true;
  topDown.rawBits = EncodeRle(4, 2, topDown.pixels, false);
  ExpectRejected(MakeBmp(topDown), "top-down RLE");
}

TEST_F(BmpMalformed, BadBitfieldMasks) {
  auto masked = [](uint16_t bits, std::array<uint32_t, 3> masks) {
    BmpRecipe s = Recipe(bits, 2, 1, BiBitfields);
    s.masks = masks;
    s.rawPixelValues = true;
    return MakeBmp(s);
  };
  ExpectRejected(masked(16, {0xF800, 0x0FE0, 0x001F}), "overlapping");
  ExpectRejected(masked(16, {0xF800, 0x07E0, 0x003F}), "overlapping low bits");
  ExpectRejected(masked(32, {0xFF0000, 0xF0F0, 0xFF}), "not contiguous");
  ExpectRejected(masked(16, {0x1F0000, 0x07E0, 0x001F}), "outside a 16-bit pixel");
}

TEST_F(BmpMalformed, AbsurdSizes) {
  // Beyond 2^28 pixels, however the product is formed, and without allocating anything first.
  const std::pair<int32_t, int32_t> sizes[] = {{16385, 16384},  {0x7FFFFFFF, 1},
                                               {1, 0x7FFFFFFF}, {0x7FFFFFFF, -0x7FFFFFFF},
                                               {65536, 65536},  {0x10000001, 1}};
  for (auto [w, h] : sizes) {
    for (uint32_t comp : {BiRgb, BiRle8}) {
      std::string file = MakeBmp(Recipe(8, 1, 1, comp));
      ExpectRejected(WithU32(WithU32(file, 18, w), 22, h),
                     std::to_string(w) + " x " + std::to_string(h) + " compression " + std::to_string(comp));
    }
  }
  // Within the limit, but the pixels would lie far past the end of the file.
  ExpectRejected(WithU32(WithU32(MakeBmp(Recipe(32, 1, 1)), 18, 16384), 22, 16384), "huge 32-bit");
  ExpectRejected(WithU32(WithU32(MakeBmp(Recipe(16, 1, 1, BiBitfields)), 18, 8192), 22, -8192),
                 "huge bit fields");
}

std::string Rle(int32_t w, int32_t h, uint16_t bits, const std::string& data) {
  BmpRecipe s = Recipe(bits, w, h, bits == 8 ? BiRle8 : BiRle4);
  s.rawBits = data;
  return MakeBmp(s);
}

TEST_F(BmpMalformed, RleOverruns) {
  using S = std::string;
  ExpectRejected(Rle(4, 2, 8, S("\x05\x01\x00\x01", 4)), "run past the row");
  ExpectRejected(Rle(4, 2, 8, S("\x02\x01\x03\x01\x00\x01", 6)), "second run past the row");
  ExpectRejected(Rle(4, 2, 8, S("\x00\x05\x01\x02\x03\x04\x05\x00\x00\x01", 10)), "literal past the row");
  ExpectRejected(Rle(4, 2, 4, S("\x05\x11\x00\x01", 4)), "RLE4 run past the row");
  ExpectRejected(Rle(4, 2, 4, S("\x00\x05\x12\x34\x50\x00\x00\x01", 8)), "RLE4 literal past the row");
  ExpectRejected(Rle(4, 2, 8, S("\x00\x02\x05\x00\x00\x01", 6)), "delta past the right edge");
  ExpectRejected(Rle(4, 2, 8, S("\x00\x02\x00\x03\x00\x01", 6)), "delta past the top");
  ExpectRejected(Rle(4, 2, 8, S("\x00\x00\x00\x00\x01\x01\x00\x01", 8)), "run above the picture");
  ExpectRejected(Rle(4, 2, 8, S("\x00\x02\x00\x02\x01\x01\x00\x01", 8)), "run after moving above");
  ExpectRejected(Rle(4, 2, 8, S("\x00\x00\x00\x00\x00\x00\x00\x01", 8)), "end of line past the top");
  ExpectRejected(Rle(4, 2, 8, S("\x00\x03\x01\x02", 4)), "literal cut short");
  ExpectRejected(Rle(4, 2, 8, S("\x00\x02\x01", 3)), "delta cut short");
  ExpectRejected(Rle(4, 2, 8, S("\x02\x01\x00\x00", 4)), "no end of bitmap before the last row");
  ExpectRejected(Rle(4, 2, 8, S("", 0)), "no data");
}

TEST_F(BmpMalformed, FailedLoadKeepsThePaletteAndTable) {
  held_.LoadFromStream(*StreamOf(SimpleBmp(2, 1, 8, {0, 1}, {0x0000FF, 0x00FF00})));
  const PaletteHandle palette = held_.GetPalette();
  auto stream = StreamOf(MakeBmp(Recipe(8, 1, 1)).substr(0, 40));
  EXPECT_THROW(held_.LoadFromStream(*stream), InvalidPicture);
  EXPECT_EQ(held_.GetPalette(), palette);
  EXPECT_EQ(Rendered(held_), (std::vector<uint32_t>{0x0000FF, 0x00FF00}));
}

}  // namespace
}  // namespace zeb::test
