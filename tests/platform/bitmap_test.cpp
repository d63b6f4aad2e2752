// The plain bitmap picture: saving, sizes, scan lines, palettes, assignment and drawing.
#include <gtest/gtest.h>

#include "tests/support/fake_graphic.h"

#include <cstring>

#include "platform/core/errors.h"
#include "platform/headless/headless.h"
#include "tests/platform/bmp_test_util.h"
#include "tests/support/bmp_maker.h"

namespace zeb::test {
namespace {

class BitmapTest : public testing::Test {
 protected:
  void SetUp() override { headless::ResetAll(); }
};

uint32_t U32At(const uint8_t* p) {
  uint32_t v;
  std::memcpy(&v, p, 4);
  return v;
}

std::string Saved(Bitmap& b) {
  MemoryStream m;
  b.SaveToStream(m);
  return std::string(reinterpret_cast<const char*>(m.Memory()), static_cast<size_t>(m.Size()));
}

TEST_F(BitmapTest, SaveThenLoadGivesTheSameHeaderTableAndPixels) {
  for (uint16_t bits : {1, 4, 8, 16, 24, 32}) {
    for (bool topDown : {false, true}) {
      SCOPED_TRACE(std::to_string(bits) + (topDown ? " top-down" : ""));
      BmpRecipe s;
      s.width = 7;
      s.height = 3;
      s.bitCount = bits;
      s.topDown = topDown;
      for (uint32_t i = 0; bits <= 8 && i < (1u << bits); ++i) s.colors.push_back(0x010203 * i);
      for (uint32_t i = 0; i < 21; ++i) s.pixels.push_back(bits <= 8 ? i % (1u << bits) : 0x0842C6 * i);
      auto original = LoadBmp(MakeBmp(s));
      const std::string file = Saved(*original);
      auto copy = LoadBmp(file);
      ASSERT_EQ(copy->InfoSize(), original->InfoSize());
      EXPECT_EQ(std::memcmp(copy->Info(), original->Info(), original->InfoSize()), 0);
      ASSERT_EQ(copy->BitsSize(), original->BitsSize());
      EXPECT_EQ(std::memcmp(copy->Bits(), original->Bits(), original->BitsSize()), 0);
      EXPECT_EQ(Rendered(*copy), Rendered(*original));
      // The file header: "BM", the file's size, the pixels right after the colour table.
      EXPECT_EQ(file.substr(0, 2), "BM");
      const auto* f = reinterpret_cast<const uint8_t*>(file.data());
      EXPECT_EQ(U32At(f + 2), file.size());
      EXPECT_EQ(U32At(f + 10), 14 + original->InfoSize());
      EXPECT_EQ(file.size(), 14 + original->InfoSize() + original->BitsSize());
    }
  }
}

TEST_F(BitmapTest, SavedFileSizesFollowTheDepth) {
  Bitmap b;
  b.SetSize(3, 2, 24);
  std::string file = Saved(b);
  EXPECT_EQ(file.size(), 14 + 40 + 24u);  // rows of 9 bytes padded to 12
  EXPECT_EQ(U32At(reinterpret_cast<const uint8_t*>(file.data()) + 10), 54u);
  b.SetSize(3, 2, 1);
  EXPECT_EQ(b.InfoSize(), 48u);
  b.SetSize(3, 2, 4);
  EXPECT_EQ(b.InfoSize(), 104u);
  b.SetSize(3, 2, 8);
  EXPECT_EQ(b.InfoSize(), 1064u);
}

TEST_F(BitmapTest, RleIsSavedUncompressed) {
  BmpRecipe s;
  s.width = 6;
  s.height = 2;
  s.bitCount = 8;
  s.compression = BiRle8;
  s.colors = {0xFF0000, 0x00FF00};
  s.pixels = {1, 1, 1, 1, 0, 1, 0, 0, 0, 0, 1, 0};
  auto b = LoadBmp(MakeBmp(s));
  std::string file = Saved(*b);
  EXPECT_EQ(U32At(reinterpret_cast<const uint8_t*>(file.data()) + 14 + 16), 0u);  // BI_RGB
  EXPECT_EQ(Rendered(*LoadBmp(file)), Rendered(*b));
}

TEST_F(BitmapTest, EmptyBitmap) {
  Bitmap b;
  EXPECT_TRUE(b.GetEmpty());
  EXPECT_EQ(b.GetWidth(), 0);
  EXPECT_EQ(b.GetPalette(), 0u);
  EXPECT_EQ(b.Info(), nullptr);
  EXPECT_EQ(Saved(b), "");
  RasterCanvas canvas(2, 2);
  canvas.FillRect(Rect(0, 0, 2, 2), 0x0000FF);
  b.Draw(canvas, Rect(0, 0, 2, 2));
  EXPECT_EQ(CanvasRgb(canvas, 1, 1), 0xFF0000u);
  EXPECT_THROW(b.ScanLine(0), InvalidPicture);
}

TEST_F(BitmapTest, SetSizeMakesAZeroedPictureWithAGreyTable) {
  Bitmap b;
  int changes = 0;
  b.OnChange = [&](Image*) { ++changes; };
  b.SetSize(5, 4, 8);
  EXPECT_EQ(changes, 1);
  EXPECT_FALSE(b.GetEmpty());
  EXPECT_EQ(b.ColorCount(), 256u);
  EXPECT_EQ(b.RowStride(), 8u);
  EXPECT_EQ(b.BitsSize(), 32u);
  const uint8_t* table = b.Info() + 40;
  EXPECT_EQ(U32At(table + 4 * 0x80), 0x808080u);
  EXPECT_EQ(U32At(table + 4 * 255), 0xFFFFFFu);
  for (size_t i = 0; i < b.BitsSize(); ++i) ASSERT_EQ(b.Bits()[i], 0);
  b.SetSize(2, 2, 1);
  EXPECT_EQ(U32At(b.Info() + 44), 0xFFFFFFu);
  EXPECT_THROW(b.SetSize(2, 2, 2), InvalidPicture);
  EXPECT_THROW(b.SetSize(-1, 2, 24), InvalidPicture);
  EXPECT_THROW(b.SetSize(65536, 65536, 24), OutOfResources);
  EXPECT_EQ(b.GetWidth(), 2);  // a refused size changes nothing
}

TEST_F(BitmapTest, ScanLineCountsFromTheTopInEitherRowOrder) {
  for (bool topDown : {false, true}) {
    Bitmap b;
    b.SetSize(2, 3, 24, topDown);
    const size_t stride = b.RowStride();
    EXPECT_EQ(b.ScanLine(0) - b.Bits(), static_cast<ptrdiff_t>(topDown ? 0 : 2 * stride));
    EXPECT_EQ(b.ScanLine(2) - b.Bits(), static_cast<ptrdiff_t>(topDown ? 2 * stride : 0));
    b.ScanLine(0)[2] = 0xFF;  // red of the top-left pixel
    EXPECT_EQ(Rendered(b), (std::vector<uint32_t>{0xFF0000, 0, 0, 0, 0, 0}));
    EXPECT_THROW(b.ScanLine(3), InvalidPicture);
    EXPECT_THROW(b.ScanLine(-1), InvalidPicture);
  }
}

TEST_F(BitmapTest, SetWidthAndHeightKeepTheOverlap) {
  auto b = LoadBmp(SimpleBmp(3, 2, 8, {0, 1, 2, 2, 1, 0}, {0x0000FF, 0x00FF00, 0xFF0000}));
  b->SetWidth(2);
  EXPECT_EQ(Rendered(*b), (std::vector<uint32_t>{0x0000FF, 0x00FF00, 0xFF0000, 0x00FF00}));
  b->SetHeight(3);
  EXPECT_EQ(Rendered(*b),
            (std::vector<uint32_t>{0x0000FF, 0x00FF00, 0xFF0000, 0x00FF00, 0x0000FF, 0x0000FF}));
  b->SetWidth(4);
  EXPECT_EQ(Rendered(*b)[3], 0x0000FFu);  // new columns are index 0
  Bitmap fresh;
  fresh.SetWidth(4);
  EXPECT_TRUE(fresh.GetEmpty());
  fresh.SetHeight(2);
  EXPECT_FALSE(fresh.GetEmpty());
  EXPECT_EQ(fresh.GetWidth(), 4);
}

TEST_F(BitmapTest, PaletteIsMadeOnceFromTheTableAndFreedWithTheBitmap) {
  {
    auto b = LoadBmp(SimpleBmp(2, 1, 4, {0, 1}, {0x102030, 0x405060}));
    const PaletteHandle p = b->GetPalette();
    ASSERT_NE(p, 0u);
    EXPECT_EQ(b->GetPalette(), p);
    EXPECT_EQ(headless::LivePalettes(), 1);
    std::vector<PaletteEntry> entries = PaletteEntries(p);
    ASSERT_EQ(entries.size(), 16u);
    EXPECT_EQ(entries[0], (PaletteEntry{0x10, 0x20, 0x30, 0}));
    EXPECT_EQ(entries[1], (PaletteEntry{0x40, 0x50, 0x60, 0}));
    // Loading another picture drops the old palette.
    MemoryStream m;
    FillStream(m, SimpleBmp(1, 1, 24, {0}));
    b->LoadFromStream(m);
    EXPECT_EQ(headless::LivePalettes(), 0);
    EXPECT_EQ(b->GetPalette(), 0u);  // true colour: none
  }
  EXPECT_EQ(headless::LivePalettes(), 0);
}

TEST_F(BitmapTest, SetPaletteTakesOwnershipAndRewritesTheTable) {
  {
    auto b = LoadBmp(SimpleBmp(2, 1, 8, {0, 1}, {0x000000, 0x000000}));
    const PaletteHandle first = b->GetPalette();
    const PaletteHandle p = NewPalette({{0xFF, 0, 0, 0}, {0, 0, 0xFF, 0}});
    int changes = 0;
    b->OnChange = [&](Image*) { ++changes; };
    b->SetPalette(p);
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(b->GetPalette(), p);
    EXPECT_EQ(headless::LivePalettes(), 1);  // the first one was freed
    EXPECT_NE(first, p);
    EXPECT_EQ(Rendered(*b), (std::vector<uint32_t>{0xFF0000, 0x0000FF}));
    // SetColorTable goes the other way: the palette is remade from the new table.
    const uint8_t quads[] = {0, 0xFF, 0, 0};
    b->SetColorTable(quads, 1);
    EXPECT_EQ(headless::LivePalettes(), 0);
    EXPECT_EQ(Rendered(*b), (std::vector<uint32_t>{0x00FF00, 0}));  // entries not given are black
    EXPECT_EQ(PaletteEntries(b->GetPalette())[0], (PaletteEntry{0, 0xFF, 0, 0}));
  }
  EXPECT_EQ(headless::LivePalettes(), 0);
}

TEST_F(BitmapTest, AssignCopiesPixelsTableAndPalette) {
  auto source = LoadBmp(SimpleBmp(2, 1, 8, {0, 1}, {0x0000FF, 0x00FF00}));
  source->SetPalette(NewPalette({{1, 2, 3, 0}}));
  Bitmap copy;
  int changes = 0;
  copy.OnChange = [&](Image*) { ++changes; };
  copy.Assign(*source);
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(Rendered(copy), Rendered(*source));
  EXPECT_NE(copy.GetPalette(), source->GetPalette());
  EXPECT_EQ(PaletteEntries(copy.GetPalette()), PaletteEntries(source->GetPalette()));
  // Changing the copy leaves the source alone, and the other way round.
  copy.ScanLine(0)[0] = 1;
  EXPECT_EQ(Rendered(*source), (std::vector<uint32_t>{0x010203, 0x00FF00}));
  EXPECT_EQ(Rendered(copy), (std::vector<uint32_t>{0x00FF00, 0x00FF00}));
  source->Bits()[1] = 0;
  EXPECT_EQ(Rendered(copy), (std::vector<uint32_t>{0x00FF00, 0x00FF00}));
  copy.Assign(copy);
  EXPECT_EQ(Rendered(copy), (std::vector<uint32_t>{0x00FF00, 0x00FF00}));
  source.reset();
  EXPECT_EQ(Rendered(copy), (std::vector<uint32_t>{0x00FF00, 0x00FF00}));
  Bitmap empty;
  copy.Assign(empty);
  EXPECT_TRUE(copy.GetEmpty());
}

using OtherGraphic = test::FakeImage;

TEST_F(BitmapTest, AssignFromAnotherClassIsTheFrameworksError) {
  Bitmap b;
  OtherGraphic other;
  try {
    b.Assign(other);
    FAIL();
  } catch (const ConversionError& e) {
    EXPECT_STREQ(e.what(), "Cannot assign a FakeImage to a Bitmap");
  }
}

// Records what Draw hands to the canvas.
class RecordingCanvas : public RasterCanvas {
 public:
  RecordingCanvas() : RasterCanvas(1, 1) {}
  void StretchDIB(const PixelRect& dest, int32_t w, int32_t h, const void* bits, const void* info,
                  PaletteHandle palette) override {
    calls.push_back({dest, w, h, bits, info, palette});
  }
  struct Call {
    PixelRect dest;
    int32_t w, h;
    const void *bits, *info;
    PaletteHandle palette;
  };
  std::vector<Call> calls;
};

TEST_F(BitmapTest, DrawHandsTheDibToTheCanvas) {
  for (bool topDown : {false, true}) {
    Bitmap b;
    b.SetSize(3, 2, 8, topDown);
    RecordingCanvas canvas;
    b.Draw(canvas, Rect(1, 2, 30, 40));
    ASSERT_EQ(canvas.calls.size(), 1u);
    const auto& c = canvas.calls[0];
    EXPECT_EQ(c.dest, Rect(1, 2, 30, 40));
    EXPECT_EQ(c.w, 3);
    EXPECT_EQ(c.h, topDown ? -2 : 2);
    EXPECT_EQ(c.bits, static_cast<const Bitmap&>(b).Bits());
    EXPECT_EQ(c.info, b.Info());
    EXPECT_EQ(c.palette, b.GetPalette());
    EXPECT_NE(c.palette, 0u);
  }
}

TEST_F(BitmapTest, DrawToNewBitmapStretchesTheGraphic) {
  auto source = LoadBmp(SimpleBmp(2, 2, 24, {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF}));
  auto out = DrawToNewBitmap(*source, 4, 2);
  ASSERT_EQ(out->GetWidth(), 4);
  ASSERT_EQ(out->GetHeight(), 2);
  EXPECT_EQ(out->BitCount(), 32);
  EXPECT_EQ(Rendered(*out), (std::vector<uint32_t>{0xFF0000, 0xFF0000, 0x00FF00, 0x00FF00,  //
                                                   0x0000FF, 0x0000FF, 0xFFFFFF, 0xFFFFFF}));
  // It is a bitmap like any other: it saves and loads back.
  MemoryStream m;
  out->SaveToStream(m);
  m.SetPosition(0);
  Bitmap back;
  back.LoadFromStream(m);
  EXPECT_EQ(Rendered(back), Rendered(*out));
  EXPECT_TRUE(DrawToNewBitmap(*source, 0, 5)->GetEmpty());
}

}  // namespace
}  // namespace zeb::test
