// The software canvas: stretching DIBs of every plain kind, clipping, mirroring and filling.
#include <gtest/gtest.h>

#include "platform/headless/headless.h"
#include "tests/platform/bmp_test_util.h"
#include "tests/support/bmp_maker.h"

namespace zeb::test {
namespace {

// A packed DIB split into its information block and its pixels, as a plug-in hands them over.
struct Dib {
  std::string info, bits;
  explicit Dib(const BmpRecipe& s) {
    const std::string packed = MakeDib(s);
    bits = EncodePixels(s);
    info = packed.substr(0, packed.size() - bits.size());
  }
  void Draw(Canvas& canvas, const PixelRect& dest, int32_t w, int32_t h) const {
    canvas.StretchDIB(dest, w, h, bits.data(), info.data(), 0);
  }
};

BmpRecipe Recipe(int32_t w, int32_t h, uint16_t bits, std::vector<uint32_t> pixels,
                 std::vector<uint32_t> colors = {}) {
  BmpRecipe s;
  s.width = w;
  s.height = h;
  s.bitCount = bits;
  s.pixels = std::move(pixels);
  s.colors = std::move(colors);
  s.clrUsed = static_cast<uint32_t>(s.colors.size());
  return s;
}

constexpr uint32_t R = 0xFF0000, G = 0x00FF00, B = 0x0000FF, W = 0xFFFFFF, K = 0;

TEST(RasterCanvas, FillRectTakesACOLORREFAndClips) {
  RasterCanvas c(3, 2);
  c.FillRect(Rect(-5, 1, 2, 10), 0x0000FF);  // COLORREF red
  c.FillRect(Rect(2, 0, 1, 2), 0xFF0000);    // inverted: nothing
  EXPECT_EQ(CanvasPixels(c), (std::vector<uint32_t>{K, K, K, R, R, K}));
  EXPECT_EQ(c.Pixel(0, 1), 0x0000FFu);
  EXPECT_THROW(c.Pixel(3, 0), std::out_of_range);
}

TEST(RasterCanvas, StretchesUpAndDownNearestNeighbour) {
  Dib d(Recipe(2, 2, 24, {R, G, B, W}));
  RasterCanvas up(4, 6);
  d.Draw(up, Rect(0, 0, 4, 6), 2, 2);
  EXPECT_EQ(CanvasPixels(up), (std::vector<uint32_t>{R, R, G, G, R, R, G, G, R, R, G, G,  //
                                                     B, B, W, W, B, B, W, W, B, B, W, W}));
  Dib big(Recipe(4, 4, 24, {R, R, G, G, R, R, G, G, B, B, W, W, B, B, W, W}));
  RasterCanvas down(2, 2);
  big.Draw(down, Rect(0, 0, 2, 2), 4, 4);
  EXPECT_EQ(CanvasPixels(down), (std::vector<uint32_t>{R, G, B, W}));
}

TEST(RasterCanvas, ClipsAtEveryEdgeAndDrawsOnlyIntoTheDestination) {
  Dib d(Recipe(2, 2, 24, {R, G, B, W}));
  RasterCanvas c(3, 3);
  c.FillRect(Rect(0, 0, 3, 3), 0x808080);
  d.Draw(c, Rect(-1, -1, 1, 1), 2, 2);  // only the bottom-right source pixel shows
  d.Draw(c, Rect(2, 2, 4, 4), 2, 2);    // only the top-left one
  const uint32_t g = 0x808080;
  EXPECT_EQ(CanvasPixels(c), (std::vector<uint32_t>{W, g, g, g, g, g, g, g, R}));
  d.Draw(c, Rect(5, 5, 9, 9), 2, 2);  // entirely outside
  d.Draw(c, Rect(0, 0, 0, 3), 2, 2);  // empty
  EXPECT_EQ(CanvasPixels(c), (std::vector<uint32_t>{W, g, g, g, g, g, g, g, R}));
}

TEST(RasterCanvas, NegativeDestinationExtentsMirror) {
  Dib d(Recipe(2, 2, 24, {R, G, B, W}));
  RasterCanvas c(2, 2);
  d.Draw(c, Rect(2, 0, 0, 2), 2, 2);
  EXPECT_EQ(CanvasPixels(c), (std::vector<uint32_t>{G, R, W, B}));
  d.Draw(c, Rect(0, 2, 2, 0), 2, 2);
  EXPECT_EQ(CanvasPixels(c), (std::vector<uint32_t>{B, W, R, G}));
}

// A 2 x 3 picture drawn at (1, 0) of a grey 4 x 3 canvas with each turn: Dest keeps the picture's
// proportions and the turned picture covers it turned about its top-left corner.
TEST(RasterCanvas, EachTurnLandsEveryPixelInPlace) {
  constexpr uint32_t A = 0x102030, Bb = 0x405060, C = 0x708090, D = 0xA0B0C0, E = 0xD0E0F0, F = 0x0A0B0C;
  constexpr uint32_t g = 0x808080;
  struct Case {
    PictureTurn turn;
    std::vector<uint32_t> expected;  // the canvas, row by row
  };
  const Case cases[] = {
      {{0, false}, {g, A, Bb, g, g, C, D, g, g, E, F, g}},
      {{1, false}, {g, E, C, A, g, F, D, Bb, g, g, g, g}},
      {{2, false}, {g, F, E, g, g, D, C, g, g, Bb, A, g}},
      {{3, false}, {g, Bb, D, F, g, A, C, E, g, g, g, g}},
      {{0, true}, {g, Bb, A, g, g, D, C, g, g, F, E, g}},
      {{1, true}, {g, F, D, Bb, g, E, C, A, g, g, g, g}},
      {{2, true}, {g, E, F, g, g, C, D, g, g, A, Bb, g}},
      {{3, true}, {g, A, C, E, g, Bb, D, F, g, g, g, g}},
  };
  for (const Case& c : cases) {
    for (uint16_t bits : {24, 32}) {
      for (bool topDown : {false, true}) {
        SCOPED_TRACE(std::to_string(c.turn.quarterTurns) + (c.turn.mirrored ? " mirrored " : " ") +
                     std::to_string(bits) + (topDown ? " top-down" : ""));
        BmpRecipe s = Recipe(2, 3, bits, {A, Bb, C, D, E, F});
        s.topDown = topDown;
        // A 32-bit picture is drawn as premultiplied opaque pixels: the blend takes the same path.
        if (bits == 32) {
          for (uint32_t& p : s.pixels) p |= 0xFF000000;
          s.rawPixelValues = true;
        }
        Dib d(s);
        RasterCanvas canvas(4, 3);
        canvas.FillRect(Rect(0, 0, 4, 3), g);
        canvas.Turn = c.turn;
        if (bits == 32)
          canvas.AlphaDIB(Rect(1, 0, 3, 3), 2, topDown ? -3 : 3, d.bits.data(), d.info.data());
        else
          d.Draw(canvas, Rect(1, 0, 3, 3), 2, topDown ? -3 : 3);
        EXPECT_EQ(CanvasPixels(canvas), c.expected);
      }
    }
  }
}

TEST(RasterCanvas, DrawsEveryPlainDepthInEitherRowOrder) {
  const std::vector<uint32_t> table = {R, G, B, W, 0x123456};
  for (bool topDown : {false, true}) {
    for (uint16_t bits : {1, 4, 8, 16, 24, 32}) {
      SCOPED_TRACE(std::to_string(bits) + (topDown ? " top-down" : ""));
      // True colours that 5-5-5 stores exactly.
      BmpRecipe s = bits == 1   ? Recipe(3, 2, bits, {0, 1, 1, 0, 0, 1}, table)
                    : bits <= 8 ? Recipe(3, 2, bits, {0, 1, 2, 3, 4, 0}, table)
                                : Recipe(3, 2, bits, {R, G, B, W, K, 0x848442});
      s.topDown = topDown;
      Dib d(s);
      RasterCanvas c(3, 2);
      d.Draw(c, Rect(0, 0, 3, 2), 3, topDown ? -2 : 2);
      std::vector<uint32_t> expected;
      for (uint32_t p : s.pixels) expected.push_back(bits <= 8 ? table[p] : p);
      EXPECT_EQ(CanvasPixels(c), expected);
    }
  }
}

TEST(RasterCanvas, IndicesPastTheColourTableAreBlack) {
  Dib d(Recipe(3, 1, 8, {0, 1, 200}, {R, G}));
  RasterCanvas c(3, 1);
  c.FillRect(Rect(0, 0, 3, 1), 0xFFFFFF);
  d.Draw(c, Rect(0, 0, 3, 1), 3, 1);
  EXPECT_EQ(CanvasPixels(c), (std::vector<uint32_t>{R, G, K}));
}

TEST(RasterCanvas, SourceLargerThanTheDibIsCutToIt) {
  Dib d(Recipe(1, 1, 24, {G}));
  RasterCanvas c(2, 2);
  d.Draw(c, Rect(0, 0, 2, 2), 1000, -1000);
  EXPECT_EQ(CanvasPixels(c), std::vector<uint32_t>(4, G));
}

TEST(RasterCanvas, CompressedOrUnknownDibsDrawNothing) {
  BmpRecipe s = Recipe(4, 1, 8, {1, 1, 1, 1}, {R, G});
  s.compression = BiRle8;
  Dib rle(s);
  BmpRecipe core = Recipe(1, 1, 24, {R});
  core.header = BmpHeaderKind::Core;
  Dib coreDib(core);
  RasterCanvas c(4, 1);
  rle.Draw(c, Rect(0, 0, 4, 1), 4, 1);
  coreDib.Draw(c, Rect(0, 0, 4, 1), 1, 1);
  c.StretchDIB(Rect(0, 0, 4, 1), 4, 1, nullptr, rle.info.data(), 0);
  EXPECT_EQ(CanvasPixels(c), std::vector<uint32_t>(4, K));
}

TEST(RasterCanvas, DrawsIntoAnotherOwnersPixels) {
  // Two pixels a row with a gap of 4 bytes after each row, which must stay untouched.
  std::vector<uint8_t> buffer(2 * 12, 0xEE);
  RasterCanvas c(buffer.data(), 2, 2, 12);
  Dib d(Recipe(1, 1, 24, {0x112233}));
  d.Draw(c, Rect(0, 0, 2, 2), 1, 1);
  for (int row = 0; row < 2; ++row) {
    for (int x = 0; x < 2; ++x) {
      EXPECT_EQ(buffer[row * 12 + 4 * x], 0x33);
      EXPECT_EQ(buffer[row * 12 + 4 * x + 2], 0x11);
    }
    for (int i = 8; i < 12; ++i) EXPECT_EQ(buffer[row * 12 + i], 0xEE);
  }
}

TEST(RasterCanvas, IconsAndMetafilesAreOnlyCounted) {
  RasterCanvas c(1, 1);
  const uint8_t data[4] = {};
  c.DrawIcon(data, 4, 1, 1, Rect(0, 0, 1, 1));
  c.PlayMetafile(data, 4, true, Rect(0, 0, 1, 1));
  EXPECT_EQ(c.iconsDrawn, 1);
  EXPECT_EQ(c.metafilesPlayed, 1);
  EXPECT_EQ(CanvasRgb(c, 0, 0), K);
}

}  // namespace
}  // namespace zeb::test
