// A bitmap that takes a BMP file's memory over instead of copying its pixels: the same picture as
// reading it, for every kind of file; the memory is taken only where the rows are stored as drawn.
#include <gtest/gtest.h>

#include <cstring>

#include "platform/core/streams.h"
#include "platform/graphics/bitmap.h"
#include "tests/support/bmp_maker.h"
#include "tests/support/load_bytes.h"

namespace zeb::test {
namespace {

TEST(BitmapTake, GivesTheSamePictureAsReadingAndEmptiesTheStreamOnlyWhenItTakesIt) {
  BmpRecipe rle;
  rle.width = 3;
  rle.height = 2;
  rle.bitCount = 8;
  rle.compression = BiRle8;
  rle.colors = {0xFF0000, 0x00FF00};
  rle.pixels = {0, 1, 1, 1, 0, 0};
  struct Case {
    std::string name, file;
    bool taken;
  } cases[] = {{"24-bit", SimpleBmp(3, 2, 24, {0xFF0000, 0x00FF00, 0x0000FF, 1, 2, 3}), true},
               {"8-bit", SimpleBmp(5, 1, 8, {0, 1, 1, 0, 1}, {0x102030, 0x405060}), true},
               {"32-bit alpha", SimpleBmp(2, 1, 32, {0x80FF0000, 0xFF00FF00}), true},
               {"RLE8", MakeBmp(rle), false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    MemoryStream forRead, forTake;
    FillStream(forRead, c.file);
    FillStream(forTake, c.file);
    Bitmap read, taken;
    read.LoadFromStream(forRead);
    taken.TakeFromStream(forTake);
    EXPECT_EQ(forTake.Size(), c.taken ? 0 : static_cast<int64_t>(c.file.size()));
    ASSERT_EQ(taken.BitsSize(), read.BitsSize());
    ASSERT_EQ(taken.InfoSize(), read.InfoSize());
    EXPECT_EQ(std::memcmp(static_cast<const Bitmap&>(taken).Bits(), static_cast<const Bitmap&>(read).Bits(),
                          read.BitsSize()),
              0);
    EXPECT_EQ(std::memcmp(taken.Info(), read.Info(), read.InfoSize()), 0);
  }
}

}  // namespace
}  // namespace zeb::test
