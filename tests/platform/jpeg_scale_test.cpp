// A JPEG told the largest size it is drawn at: the scale it decodes at, the size it reports, and the
// decodes again when it is drawn larger or its full pixels are asked for.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <ostream>
#include <cstdlib>
#include <string>

#include "platform/graphics/jpeg.h"
#include "tests/support/jpeg_maker.h"
#include "tests/support/load_bytes.h"
#include "tests/support/recording_canvas.h"

namespace zeb {
namespace {

using test::JpegColour;
using test::JpegRecipe;
using test::MakeJpeg;

void Load(JpegImage& jpeg, const JpegRecipe& recipe, int32_t roomWidth, int32_t roomHeight) {
  jpeg.SetLargestDrawSize(roomWidth, roomHeight);
  test::LoadBytes(jpeg, MakeJpeg(recipe));
}

// The width of the pixels the picture drew with into Rect.
int32_t DrawnFrom(JpegImage& jpeg, const PixelRect& rect) {
  test::RecordingCanvas canvas;
  jpeg.Draw(canvas, rect);
  return canvas.calls.size() == 1 ? canvas.calls[0].width : -1;
}

// The pixels held (GetWidth and GetHeight are no const members).
Bitmap& Held(const JpegImage& jpeg) { return const_cast<Bitmap&>(*jpeg.DecodedBitmap()); }

struct ScaleCase {
  int width, height;          // the file
  int roomWidth, roomHeight;  // the largest size it is drawn at
  int heldWidth, heldHeight;  // the pixels held
};

void PrintTo(const ScaleCase& c, std::ostream* out) {
  *out << c.width << "x" << c.height << " in " << c.roomWidth << "x" << c.roomHeight;
}

class JpegScaleTest : public ::testing::TestWithParam<ScaleCase> {};

TEST_P(JpegScaleTest, HoldsTheSmallestScaleThatStillFillsItsFittedSize) {
  const ScaleCase& c = GetParam();
  for (JpegColour colour : {JpegColour::Rgb, JpegColour::Cmyk}) {
    const JpegRecipe recipe{.width = c.width, .height = c.height, .colour = colour, .quality = 95};
    JpegImage jpeg;
    Load(jpeg, recipe, c.roomWidth, c.roomHeight);
    EXPECT_EQ(jpeg.GetWidth(), c.width);
    EXPECT_EQ(jpeg.GetHeight(), c.height);
    Bitmap& held = Held(jpeg);
    ASSERT_EQ(held.GetWidth(), c.heldWidth);
    ASSERT_EQ(held.GetHeight(), c.heldHeight);
    // The reduced picture is the picture: a pixel inside it (one whose square of the file lies whole
    // within the file) has the colour of the square's centre, as the pattern is linear.
    const double eighths = std::lround(c.heldWidth * 8.0 / c.width);
    auto centre = [eighths](int i) { return static_cast<int>((i + 0.5) * 8 / eighths); };
    int worst = 0;
    for (int y = 1; y + 1 < c.heldHeight; y += 3) {
      const uint8_t* row = held.Bits() + static_cast<size_t>(y) * held.RowStride();
      for (int x = 1; x + 1 < c.heldWidth; x += 3) {
        const test::Rgb want = test::JpegExpected(recipe, centre(x), centre(y));
        const uint8_t* bgr = row + x * held.BitCount() / 8;
        worst = std::max(
            {worst, std::abs(bgr[0] - want.b), std::abs(bgr[1] - want.g), std::abs(bgr[2] - want.r)});
      }
    }
    EXPECT_LE(worst, 16);
  }
}

// Fitted into the room the picture is Zoom = min(roomWidth / width, roomHeight / height) times its size;
// it is held at the smallest n/8 >= Zoom, each side rounded up.
INSTANTIATE_TEST_SUITE_P(Sizes, JpegScaleTest,
                         ::testing::Values(ScaleCase{800, 600, 0, 0, 800, 600},  // no room told: every pixel
                                           ScaleCase{800, 600, 1000, 1000, 800, 600},  // fits whole
                                           ScaleCase{800, 600, 799, 2000, 800, 600},   // 799/800 needs 8/8
                                           ScaleCase{800, 600, 400, 300, 400, 300},    // exactly half
                                           ScaleCase{800, 600, 300, 300, 300, 225},    // 3/8 for 0.375
                                           ScaleCase{800, 600, 301, 1000, 400,
                                                     300},  // 0.37625: never below, so 4/8
                                           ScaleCase{800, 600, 2000, 226, 400, 300},  // the height decides
                                           ScaleCase{1000, 10, 100, 100, 125, 2},  // 1/8, a side rounded up
                                           ScaleCase{37, 23, 10, 10, 14, 9}),  // 3/8 of odd sides, rounded up
                         [](const ::testing::TestParamInfo<ScaleCase>& info) {
                           const ScaleCase& c = info.param;
                           return std::to_string(c.width) + "x" + std::to_string(c.height) + "In" +
                                  std::to_string(c.roomWidth) + "x" + std::to_string(c.roomHeight);
                         });

TEST(JpegScale, DrawingLargerThanHeldDecodesAgainAndSmallerKeepsWhatIsHeld) {
  JpegImage jpeg;
  Load(jpeg, {.width = 800, .height = 600}, 200, 200);
  const Bitmap* small = jpeg.DecodedBitmap();
  EXPECT_EQ(DrawnFrom(jpeg, Rect(0, 0, 200, 150)), 200);
  EXPECT_EQ(jpeg.DecodedBitmap(), small);
  EXPECT_EQ(DrawnFrom(jpeg, Rect(10, 10, 110, 85)), 200);  // smaller: stretched from what is held
  // A box or maximised window shows it at 0.45: 4/8 is decoded and kept for the next repaint.
  EXPECT_EQ(DrawnFrom(jpeg, Rect(0, 0, 360, 270)), 400);
  EXPECT_EQ(DrawnFrom(jpeg, Rect(0, 0, 200, 150)), 400);
  // Mirrored rectangles count by their size; beyond the picture's own size it is drawn at full size.
  EXPECT_EQ(DrawnFrom(jpeg, Rect(500, 0, 0, 375)), 500);
  EXPECT_EQ(DrawnFrom(jpeg, Rect(0, 0, 1600, 1200)), 800);
  EXPECT_EQ(jpeg.GetWidth(), 800);
}

TEST(JpegScale, FullPixelsGoToABitmapWithoutBeingKeptAndACopySharesWhatIsHeld) {
  JpegImage jpeg;
  Load(jpeg, {.width = 800, .height = 600}, 100, 100);
  JpegImage copy;
  copy.Assign(jpeg);
  EXPECT_EQ(copy.DecodedBitmap(), jpeg.DecodedBitmap());
  EXPECT_EQ(copy.GetWidth(), 800);
  EXPECT_EQ(DrawnFrom(copy, Rect(0, 0, 100, 75)), 100);

  Bitmap full;
  full.Assign(copy);
  EXPECT_EQ(full.GetWidth(), 800);
  EXPECT_EQ(full.GetHeight(), 600);
  EXPECT_EQ(full.BitCount(), 24);
  EXPECT_EQ(Held(copy).GetWidth(), 100);  // the shown picture stays small

  // Held at full size in 24 bits (a CMYK file's), its pixels are shared, not copied.
  JpegImage whole;
  Load(whole, {.width = 80, .height = 60, .colour = JpegColour::Cmyk}, 100, 100);
  Bitmap shared;
  shared.Assign(whole);
  EXPECT_EQ(static_cast<const Bitmap&>(shared).Bits(), whole.DecodedBitmap()->Bits());
}

TEST(JpegScale, TheRoomAppliesToLoadsAfterIt) {
  JpegImage jpeg;
  Load(jpeg, {.width = 64, .height = 64}, 8, 8);
  EXPECT_EQ(Held(jpeg).GetWidth(), 8);
  Load(jpeg, {.width = 64, .height = 64}, 0, 0);
  EXPECT_EQ(Held(jpeg).GetWidth(), 64);
}

}  // namespace
}  // namespace zeb
