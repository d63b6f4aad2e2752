// Pictures with alpha: a 32-bit bitmap whose fourth bytes are not all 0 is premultiplied once when it
// is loaded and blended over what the canvas holds; one whose fourth bytes are all 0 draws opaque.
#include <gtest/gtest.h>

#include <cstring>

#include "platform/core/streams.h"
#include "platform/graphics/bitmap.h"
#include "platform/graphics/raster_canvas.h"
#include "tests/platform/bmp_test_util.h"
#include "tests/support/bmp_maker.h"

namespace zeb::test {
namespace {

// A 32-bit BI_RGB bitmap of these raw pixel values (0xAARRGGBB), top row first.
std::unique_ptr<Bitmap> Load32(int32_t width, int32_t height, std::vector<uint32_t> pixels) {
  BmpRecipe s;
  s.width = width;
  s.height = height;
  s.bitCount = 32;
  s.rawPixelValues = true;
  s.pixels = std::move(pixels);
  return LoadBmp(MakeBmp(s));
}

constexpr uint32_t kWhite = 0xFFFFFF;

TEST(AlphaPicture, IsBlendedOverTheBackground) {
  // Opaque red, transparent green, half-transparent blue, a quarter-opaque grey.
  auto bitmap = Load32(4, 1, {0xFFFF0000, 0x0000FF00, 0x800000FF, 0x40808080});
  RasterCanvas canvas(4, 1);
  canvas.FillRect(Rect(0, 0, 4, 1), kWhite);
  bitmap->Draw(canvas, Rect(0, 0, 4, 1));
  EXPECT_EQ(canvas.Pixel(0, 0), 0x0000FFu) << "opaque red (a COLORREF)";
  EXPECT_EQ(canvas.Pixel(1, 0), 0xFFFFFFu) << "transparent: the background";
  // Blue at alpha 128 over white: red and green 255 * 127 / 255, blue 255.
  EXPECT_EQ(canvas.Pixel(2, 0), 0xFF7F7Fu);
  // Grey 128 at alpha 64 over white: 128 * 64 / 255 + 255 * 191 / 255 = 32 + 191.
  EXPECT_EQ(canvas.Pixel(3, 0), 0xDFDFDFu);
}

TEST(AlphaPicture, IsPremultipliedOnceWhenLoaded) {
  auto bitmap = Load32(2, 1, {0x80FF8040, 0xFF102030});
  const uint8_t* p = static_cast<const Bitmap&>(*bitmap).Bits();
  EXPECT_EQ(p[0], (0x40 * 128 + 127) / 255);
  EXPECT_EQ(p[1], (0x80 * 128 + 127) / 255);
  EXPECT_EQ(p[2], (0xFF * 128 + 127) / 255);
  EXPECT_EQ(p[3], 0x80);
  EXPECT_EQ(p[4], 0x30) << "opaque pixels keep their colour";
  // Drawing twice gives the same picture: nothing is premultiplied again.
  RasterCanvas first(2, 1), second(2, 1);
  bitmap->Draw(first, Rect(0, 0, 2, 1));
  bitmap->Draw(second, Rect(0, 0, 2, 1));
  EXPECT_EQ(first.Pixel(0, 0), second.Pixel(0, 0));
  EXPECT_EQ(first.Pixel(0, 0), 0x204080u);
}

TEST(AlphaPicture, IsSavedWithStraightColoursAndReadsBackTheSame) {
  auto bitmap = Load32(3, 1, {0x80FF8040, 0x01FFFFFF, 0xFF102030});
  MemoryStream saved;
  bitmap->SaveToStream(saved);
  const uint8_t* file = saved.Memory() + 54;
  EXPECT_EQ(file[0], 0x40);
  EXPECT_EQ(file[2], 0xFF);
  saved.SetPosition(0);
  Bitmap back;
  back.LoadFromStream(saved);
  ASSERT_EQ(back.BitsSize(), bitmap->BitsSize());
  EXPECT_EQ(std::memcmp(static_cast<const Bitmap&>(back).Bits(), static_cast<const Bitmap&>(*bitmap).Bits(),
                        back.BitsSize()),
            0);
}

TEST(AlphaPicture, AllZeroFourthBytesDrawOpaque) {
  auto bitmap = Load32(2, 2, {0x00FF0000, 0x0000FF00, 0x000000FF, 0x00123456});
  RasterCanvas canvas(2, 2);
  canvas.FillRect(Rect(0, 0, 2, 2), kWhite);
  bitmap->Draw(canvas, Rect(0, 0, 2, 2));
  EXPECT_EQ(canvas.Pixel(0, 0), 0x0000FFu);
  EXPECT_EQ(canvas.Pixel(1, 0), 0x00FF00u);
  EXPECT_EQ(canvas.Pixel(0, 1), 0xFF0000u);
  EXPECT_EQ(canvas.Pixel(1, 1), 0x563412u);
  EXPECT_EQ(static_cast<const Bitmap&>(*bitmap).Bits()[4], 0x56) << "pixels unchanged (bottom row first)";
}

TEST(AlphaPicture, IsStretchedAndClippedLikeAPlainPicture) {
  auto bitmap = Load32(2, 1, {0xFF00FF00, 0x00000000});
  RasterCanvas canvas(6, 2);
  canvas.FillRect(Rect(0, 0, 6, 2), kWhite);
  bitmap->Draw(canvas, Rect(-2, 0, 6, 2));  // each source pixel 4 wide, the first half off the canvas
  EXPECT_EQ(canvas.Pixel(0, 0), 0x00FF00u);
  EXPECT_EQ(canvas.Pixel(1, 1), 0x00FF00u);
  EXPECT_EQ(canvas.Pixel(2, 0), 0xFFFFFFu);
  EXPECT_EQ(canvas.Pixel(5, 1), 0xFFFFFFu);
}

}  // namespace
}  // namespace zeb::test
