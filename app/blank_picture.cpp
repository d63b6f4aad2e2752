#include "app/blank_picture.h"

#include <cstring>

namespace zeb::app {

namespace {

// 5 x 7 glyphs, one row per byte, the leftmost pixel in bit 4.
struct Glyph {
  char ch;
  uint8_t rows[7];
};
constexpr Glyph kGlyphs[] = {
    {'N', {0x11, 0x19, 0x15, 0x13, 0x11, 0x11, 0x11}},
    {'P', {0x1E, 0x11, 0x11, 0x1E, 0x10, 0x10, 0x10}},
    {'o', {0x00, 0x00, 0x0E, 0x11, 0x11, 0x11, 0x0E}},
    {'i', {0x04, 0x00, 0x0C, 0x04, 0x04, 0x04, 0x0E}},
    {'c', {0x00, 0x00, 0x0E, 0x10, 0x10, 0x11, 0x0E}},
    {'t', {0x08, 0x08, 0x1C, 0x08, 0x08, 0x09, 0x06}},
    {'u', {0x00, 0x00, 0x11, 0x11, 0x11, 0x13, 0x0D}},
    {'r', {0x00, 0x00, 0x16, 0x19, 0x10, 0x10, 0x10}},
    {'e', {0x00, 0x00, 0x0E, 0x11, 0x1F, 0x10, 0x0E}},
    {'s', {0x00, 0x00, 0x0F, 0x10, 0x0E, 0x01, 0x1E}},
    {' ', {0, 0, 0, 0, 0, 0, 0}},
};

const Glyph* FindGlyph(char ch) {
  for (const Glyph& g : kGlyphs)
    if (g.ch == ch) return &g;
  return nullptr;
}

void SetWhite(Bitmap& bitmap, int32_t x, int32_t y) {
  bitmap.ScanLine(y)[x / 8] |= static_cast<uint8_t>(0x80 >> (x % 8));
}

}  // namespace

std::unique_ptr<Bitmap> MakeBlankPicture() {
  constexpr int32_t kSize = 200, kScale = 2, kAdvance = 6 * kScale, kHeight = 7 * kScale;
  static constexpr char kText[] = "No Pictures";
  auto bitmap = std::make_unique<Bitmap>();
  bitmap->SetSize(kSize, kSize, 1);
  // Colour 0 black, colour 1 white (blue, green, red, reserved).
  const uint8_t colours[8] = {0, 0, 0, 0, 255, 255, 255, 0};
  bitmap->SetColorTable(colours, 2);
  for (int32_t y = 0; y < kSize; ++y) std::memset(bitmap->ScanLine(y), 0, bitmap->RowStride());

  const int32_t textWidth = static_cast<int32_t>(std::strlen(kText)) * kAdvance - kScale;
  const int32_t left = (kSize - textWidth) / 2, top = (kSize - kHeight) / 2;
  for (size_t i = 0; kText[i]; ++i) {
    const Glyph* glyph = FindGlyph(kText[i]);
    if (!glyph) continue;
    for (int32_t row = 0; row < 7; ++row)
      for (int32_t col = 0; col < 5; ++col)
        if (glyph->rows[row] & (0x10 >> col))
          for (int32_t dy = 0; dy < kScale; ++dy)
            for (int32_t dx = 0; dx < kScale; ++dx)
              SetWhite(*bitmap, left + static_cast<int32_t>(i) * kAdvance + col * kScale + dx,
                       top + row * kScale + dy);
  }
  return bitmap;
}

}  // namespace zeb::app
