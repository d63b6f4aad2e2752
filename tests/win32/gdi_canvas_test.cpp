// The GDI canvas under Wine: what it draws into a memory bitmap, pixel by pixel.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "platform/graphics/bitmap.h"
#include "platform/win32/gdi_canvas.h"
#include "tests/win32/common/memory_surface.h"

namespace zeb {
namespace {

using Surface = test::MemorySurface;

constexpr uint32_t kRed = 0xFF0000, kGreen = 0x00FF00, kBlue = 0x0000FF, kWhite = 0xFFFFFF,
                   kGrey = Surface::kGrey;

BITMAPINFOHEADER Header(int width, int height, int bitCount) {
  BITMAPINFOHEADER h = {};
  h.biSize = sizeof(h);
  h.biWidth = width;
  h.biHeight = height;
  h.biPlanes = 1;
  h.biBitCount = static_cast<WORD>(bitCount);
  return h;
}

TEST(GdiCanvas, StretchesABottomUpDibIntoItsRectangle) {
  // 2 x 2, 24 bits, rows of 8 bytes, the bottom row first: red green / blue white on top.
  BITMAPINFOHEADER info = Header(2, 2, 24);
  const uint8_t rows[16] = {0, 0, 255, 0, 255, 0, 0, 0, 255, 0, 0, 255, 255, 255, 0, 0};
  Surface s(6, 6);
  win32::GdiCanvas canvas(s.dc());
  canvas.StretchDIB(Rect(1, 1, 5, 5), 2, 2, rows, &info, 0);
  EXPECT_EQ(s.at(1, 1), kBlue);
  EXPECT_EQ(s.at(4, 1), kWhite);
  EXPECT_EQ(s.at(1, 4), kRed);
  EXPECT_EQ(s.at(4, 4), kGreen);
  EXPECT_EQ(s.at(2, 2), kBlue) << "each source pixel covers 2 x 2";
  EXPECT_EQ(s.at(0, 0), kGrey) << "nothing outside the rectangle";
  EXPECT_EQ(s.at(5, 5), kGrey);
}

// A turned picture goes through two sections and the raster canvas: every pixel lands in place and
// what is around it stays.
TEST(GdiCanvas, DrawsATurnedDibInPlace) {
  // 2 x 3, 24 bits, top-down, rows of 8 bytes: red green / blue white / black yellow.
  BITMAPINFOHEADER info = Header(2, -3, 24);
  const uint8_t rows[24] = {0,   0,   255, 0, 255, 0, 0, 0, 255, 0,   0, 255,
                            255, 255, 0,   0, 0,   0, 0, 0, 255, 255, 0, 0};
  constexpr uint32_t kYellow = 0xFFFF00, kBlack = 0;
  const struct {
    PictureTurn turn;
    uint32_t top[3], bottom[3];
  } cases[] = {{{1, false}, {kBlack, kBlue, kRed}, {kYellow, kWhite, kGreen}},
               {{1, true}, {kYellow, kWhite, kGreen}, {kBlack, kBlue, kRed}}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.turn.mirrored ? "mirrored" : "turned");
    Surface s(5, 4);
    win32::GdiCanvas canvas(s.dc());
    canvas.Turn = c.turn;
    canvas.StretchDIB(Rect(1, 1, 3, 4), 2, -3, rows, &info, 0);
    for (int x = 0; x < 3; ++x) {
      EXPECT_EQ(s.at(1 + x, 1), c.top[x]) << x;
      EXPECT_EQ(s.at(1 + x, 2), c.bottom[x]) << x;
    }
    EXPECT_EQ(s.at(1, 3), kGrey);
    EXPECT_EQ(s.at(4, 1), kGrey);
    EXPECT_EQ(s.at(0, 0), kGrey);
  }
}

TEST(GdiCanvas, BlendsAPremultipliedDibOverWhatIsThere) {
  // 2 x 1, 32 bits: opaque red, then blue at alpha 128 (premultiplied to 128).
  BITMAPINFOHEADER info = Header(2, 1, 32);
  const uint8_t row[8] = {0, 0, 255, 255, 128, 0, 0, 128};
  Surface s(4, 2);
  win32::GdiCanvas canvas(s.dc());
  canvas.AlphaDIB(Rect(0, 0, 4, 2), 2, 1, row, &info);
  EXPECT_EQ(s.at(0, 0), kRed);
  EXPECT_EQ(s.at(1, 1), kRed);
  // Over grey 0x80: blue 128 + 128 * 127 / 255 = 192 (give or take one), red and green 64.
  const uint32_t blended = s.at(3, 1);
  EXPECT_NEAR(static_cast<int>(blended & 0xFF), 192, 1);
  EXPECT_NEAR(static_cast<int>(blended >> 8 & 0xFF), 64, 1);
  EXPECT_NEAR(static_cast<int>(blended >> 16), 64, 1);
}

TEST(GdiCanvas, TopDownPalettedDibWithAPaletteAndACopyMode) {
  struct {
    BITMAPINFOHEADER header;
    RGBQUAD colors[2];
  } info = {Header(2, -2, 8), {{0, 0, 255, 0}, {255, 0, 0, 0}}};  // index 0 red, 1 blue
  const uint8_t rows[8] = {0, 1, 0, 0, 1, 1, 0, 0};               // top row: red blue; bottom: blue blue
  PaletteHandle palette = NewPalette({{255, 0, 0, 0}, {0, 0, 255, 0}});
  Surface s(4, 4);
  win32::GdiCanvas canvas(s.dc());
  HGDIOBJ before = GetCurrentObject(s.dc(), OBJ_PAL);
  canvas.StretchDIB(Rect(0, 0, 4, 4), 2, -2, rows, &info, palette);
  EXPECT_EQ(s.at(0, 0), kRed);
  EXPECT_EQ(s.at(3, 0), kBlue);
  EXPECT_EQ(s.at(0, 3), kBlue);
  EXPECT_EQ(GetCurrentObject(s.dc(), OBJ_PAL), before) << "the previous palette is selected back";
  EXPECT_EQ(GetStretchBltMode(s.dc()), BLACKONWHITE) << "the stretch mode is restored";

  canvas.CopyMode = NOTSRCCOPY;
  canvas.StretchDIB(Rect(0, 0, 4, 4), 2, -2, rows, &info, 0);
  EXPECT_EQ(s.at(0, 0), 0x00FFFF);
  FreePalette(palette);
}

TEST(GdiCanvas, FillRectTakesRedGreenBlue) {
  Surface s(4, 4);
  win32::GdiCanvas canvas(s.dc());
  canvas.FillRect(Rect(1, 1, 3, 3), 0x123456);
  EXPECT_EQ(s.at(1, 1), 0x123456u);
  EXPECT_EQ(s.at(2, 2), 0x123456u);
  EXPECT_EQ(s.at(3, 3), kGrey);
}

TEST(GdiCanvas, DrawsAnIconImageStretched) {
  // One .ico entry: a 2 x 2 32-bit image (height doubled for the mask), opaque, then an AND mask.
  std::vector<uint8_t> image(sizeof(BITMAPINFOHEADER));
  BITMAPINFOHEADER h = Header(2, 4, 32);
  std::memcpy(image.data(), &h, sizeof(h));
  const uint8_t pixels[16] = {0, 0, 255, 255, 0, 255, 0, 255, 255, 0, 0, 255, 255, 255, 255, 255};
  image.insert(image.end(), pixels, pixels + 16);
  image.insert(image.end(), 8, 0);  // mask rows of 4 bytes, all opaque
  Surface s(4, 4);
  win32::GdiCanvas canvas(s.dc());
  canvas.DrawIcon(image.data(), image.size(), 2, 2, Rect(0, 0, 4, 4));
  EXPECT_EQ(s.at(0, 3), kRed);
  EXPECT_EQ(s.at(3, 3), kGreen);
  EXPECT_EQ(s.at(0, 0), kBlue);
  EXPECT_EQ(s.at(3, 0), kWhite);
  // Bytes that are no icon draw nothing and do not fail.
  const uint8_t junk[4] = {1, 2, 3, 4};
  canvas.DrawIcon(junk, sizeof(junk), 2, 2, Rect(0, 0, 4, 4));
  EXPECT_EQ(s.at(0, 0), kBlue);
}

std::vector<uint8_t> RedSquareEmf() {
  HDC rec = CreateEnhMetaFileW(nullptr, nullptr, nullptr, nullptr);
  HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
  RECT r = {0, 0, 100, 100};
  FillRect(rec, &r, red);
  DeleteObject(red);
  HENHMETAFILE emf = CloseEnhMetaFile(rec);
  std::vector<uint8_t> bytes(GetEnhMetaFileBits(emf, 0, nullptr));
  GetEnhMetaFileBits(emf, static_cast<UINT>(bytes.size()), bytes.data());
  DeleteEnhMetaFile(emf);
  return bytes;
}

std::vector<uint8_t> RedSquareWmf() {
  HDC rec = CreateMetaFileW(nullptr);
  SetWindowOrgEx(rec, 0, 0, nullptr);
  SetWindowExtEx(rec, 100, 100, nullptr);
  HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
  HGDIOBJ old = SelectObject(rec, red);
  SelectObject(rec, GetStockObject(NULL_PEN));
  Rectangle(rec, 0, 0, 101, 101);
  SelectObject(rec, old);
  DeleteObject(red);
  HMETAFILE wmf = CloseMetaFile(rec);
  std::vector<uint8_t> bytes(GetMetaFileBitsEx(wmf, 0, nullptr));
  GetMetaFileBitsEx(wmf, static_cast<UINT>(bytes.size()), bytes.data());
  DeleteMetaFile(wmf);
  return bytes;
}

TEST(GdiCanvas, PlaysMetafilesIntoTheRectangle) {
  for (bool enhanced : {true, false}) {
    std::vector<uint8_t> bytes = enhanced ? RedSquareEmf() : RedSquareWmf();
    Surface s(40, 40);
    win32::GdiCanvas canvas(s.dc());
    canvas.PlayMetafile(bytes.data(), bytes.size(), enhanced, Rect(10, 10, 30, 30));
    EXPECT_EQ(s.at(20, 20), kRed) << (enhanced ? "EMF" : "WMF");
    EXPECT_EQ(s.at(2, 2), kGrey) << (enhanced ? "EMF" : "WMF");
    EXPECT_EQ(s.at(37, 37), kGrey) << (enhanced ? "EMF" : "WMF");
    const uint8_t junk[8] = {};
    canvas.PlayMetafile(junk, sizeof(junk), enhanced, Rect(0, 0, 40, 40));
    EXPECT_EQ(s.at(2, 2), kGrey);
  }
}

// A 2 x 2 bitmap: red green on the top row, blue white below.
std::unique_ptr<Bitmap> Quadrants(uint16_t bitCount, bool topDown) {
  auto b = std::make_unique<Bitmap>();
  b->SetSize(2, 2, bitCount, topDown);
  if (bitCount == 8) {
    const uint8_t table[16] = {0, 0, 255, 0, 0, 255, 0, 0, 255, 0, 0, 0, 255, 255, 255, 0};
    b->SetColorTable(table, 4);
    b->ScanLine(0)[0] = 0, b->ScanLine(0)[1] = 1, b->ScanLine(1)[0] = 2, b->ScanLine(1)[1] = 3;
    return b;
  }
  const uint32_t colors[4] = {kRed, kGreen, kBlue, kWhite};
  int step = bitCount / 8;
  for (int i = 0; i < 4; ++i) {
    uint8_t* p = b->ScanLine(i / 2) + (i % 2) * step;
    p[0] = colors[i] & 0xFF, p[1] = colors[i] >> 8 & 0xFF, p[2] = colors[i] >> 16 & 0xFF;
  }
  return b;
}

TEST(GdiCanvas, BitmapsDrawStretchedWhateverTheirLayout) {
  for (uint16_t bits : {8, 24, 32}) {
    for (bool topDown : {false, true}) {
      auto bitmap = Quadrants(bits, topDown);
      if (bits == 8) bitmap->SetPalette(NewPalette({{255, 0, 0, 0}, {0, 255, 0, 0}, {0, 0, 255, 0}}));
      Surface s(10, 8);
      win32::GdiCanvas canvas(s.dc());
      bitmap->Draw(canvas, Rect(0, 0, 10, 8));
      std::string what = std::to_string(bits) + (topDown ? " top-down" : " bottom-up");
      EXPECT_EQ(s.at(0, 0), kRed) << what;
      EXPECT_EQ(s.at(9, 0), kGreen) << what;
      EXPECT_EQ(s.at(0, 7), kBlue) << what;
      EXPECT_EQ(s.at(9, 7), kWhite) << what;
      EXPECT_EQ(s.at(4, 3), kRed) << what;
      EXPECT_EQ(s.at(5, 4), kWhite) << what;
    }
  }
}

TEST(GdiCanvas, DrawToNewBitmapStretchesThePictureIntoANewBitmap) {
  auto source = Quadrants(24, false);
  std::unique_ptr<Bitmap> made = DrawToNewBitmap(*source, 6, 4);
  ASSERT_FALSE(made->GetEmpty());
  EXPECT_EQ(made->GetWidth(), 6);
  EXPECT_EQ(made->GetHeight(), 4);
  auto pixel = [&](int x, int y) {
    int step = made->BitCount() / 8;
    const uint8_t* p = made->ScanLine(y) + x * step;
    return static_cast<uint32_t>(p[2] << 16 | p[1] << 8 | p[0]);
  };
  EXPECT_EQ(pixel(0, 0), kRed);
  EXPECT_EQ(pixel(5, 0), kGreen);
  EXPECT_EQ(pixel(2, 1), kRed);
  EXPECT_EQ(pixel(3, 2), kWhite);
  EXPECT_EQ(pixel(0, 3), kBlue);
  EXPECT_TRUE(DrawToNewBitmap(*source, 0, 5)->GetEmpty());
}

}  // namespace
}  // namespace zeb
