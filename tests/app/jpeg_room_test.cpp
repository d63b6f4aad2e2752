// A JPEG larger than the room it is fitted into is read at about the size it is shown at, also when it
// is read ahead, and read again when the room grows; the title keeps its own size. A photo is shown
// upright as its Exif orientation says.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <utility>

#include "platform/graphics/jpeg.h"
#include "platform/graphics/raster_canvas.h"
#include "tests/app/command_fixture.h"
#include "tests/support/jpeg_maker.h"
#include "tests/support/recording_canvas.h"

namespace zeb::app {
namespace {

using testing_support::CommandTest;

class JpegRoomTest : public CommandTest {
 protected:
  // A window over two 800 x 600 JPEGs fitted into a box of Side x Side, the first one shown.
  MainWindow& TwoJpegsInABox(int32_t side) {
    for (const char* path : {"C:\\p\\a.jpg", "C:\\p\\b.jpg"})
      Fs().AddFile(path, test::MakeJpeg({.width = 800, .height = 600}));
    MainWindow& f = Make();
    FixedBox& box = f.Model().modes.box;
    box.fixedWidth = box.fixedHeight = true;
    box.width = box.height = side;
    f.Model().list.Add("C:\\p\\a.jpg");
    f.Model().list.Add("C:\\p\\b.jpg");
    f.Model().current = 0;
    f.Run(Command::Reload);
    return f;
  }
  // The width of the pixels the shown JPEG holds.
  static int32_t HeldWidth(MainWindow& f) {
    auto* jpeg = dynamic_cast<JpegImage*>(f.picture.Content().Graphic());
    return jpeg && jpeg->DecodedBitmap() ? const_cast<Bitmap*>(jpeg->DecodedBitmap())->GetWidth() : -1;
  }
  // The width of the pixels the window paints the picture from.
  static int32_t PaintedFrom(MainWindow& f) {
    test::RecordingCanvas canvas;
    f.picture.Paint(canvas, f.ClientWidth(), f.ClientHeight());
    for (const auto& call : canvas.calls)
      if (call.what == "StretchDIB") return call.width;
    return -1;
  }
  void Idle() {
    form->readAheadTimer.Tick();
    ui::App().ProcessMessages();
  }
};

TEST_F(JpegRoomTest, ShownAtAQuarterItHoldsAQuarterAndTheBoxGrowingReadsItAgain) {
  MainWindow& f = TwoJpegsInABox(200);
  EXPECT_NE(f.Caption().find("a.jpg 800x600 25%"), std::string::npos) << f.Caption();
  EXPECT_EQ(HeldWidth(f), 200);
  EXPECT_EQ(PaintedFrom(f), 200);

  f.Model().modes.box.width = f.Model().modes.box.height = 420;
  f.Run(Command::Refit);
  EXPECT_EQ(f.picture.Width(), 420);
  EXPECT_EQ(PaintedFrom(f), 500);  // 5/8 is the first scale with at least 420 pixels across
  EXPECT_NE(f.Caption().find("a.jpg 800x600 52%"), std::string::npos) << f.Caption();
}

TEST_F(JpegRoomTest, TheReadAheadHandsOverThePictureAtTheSizeItIsShownAt) {
  MainWindow& f = TwoJpegsInABox(100);
  Idle();
  ASSERT_EQ(f.ReadingAhead(), "C:\\p\\b.jpg");
  // The file can no longer be opened: what N shows was decoded ahead, and it draws larger without it.
  Fs().SetLocked("C:\\p\\b.jpg", true);
  Press('N');
  EXPECT_NE(f.Caption().find("b.jpg 800x600 12%"), std::string::npos) << f.Caption();
  EXPECT_EQ(HeldWidth(f), 100);
  f.Model().modes.box.width = f.Model().modes.box.height = 400;
  f.Run(Command::Refit);
  EXPECT_EQ(PaintedFrom(f), 400);
}

// A picture opened from outside is decoded before the screen's size is known: a larger screen decodes it
// again for itself, a smaller one lets the decode go on.
TEST_F(JpegRoomTest, AReadAheadForASmallerRoomBeginsAgainForALargerOne) {
  Fs().AddFile("C:\\p\\a.jpg", test::MakeJpeg({.width = 800, .height = 600}));
  for (const auto& [side, held] : {std::pair(400, 400), std::pair(50, 100)}) {
    ReadAhead ahead;
    ahead.Start("C:\\p\\a.jpg", 100, 100);
    ahead.EnsureRoom(side, side);
    std::unique_ptr<Image> picture = ahead.Take("C:\\p\\a.jpg");
    auto* jpeg = dynamic_cast<JpegImage*>(picture.get());
    EXPECT_EQ(jpeg ? const_cast<Bitmap*>(jpeg->DecodedBitmap())->GetWidth() : -1, held) << side;
  }
}

// Every orientation shows the upright 48 x 32 picture: its size in the title, its pixels on screen. A
// quarter-turned photo in a narrow box is decoded at the scale its upright picture is shown at.
TEST_F(JpegRoomTest, EachOrientationShowsTheUprightPicture) {
  MainWindow& f = Make();
  f.Model().modes.box.fixedWidth = true;
  f.Model().modes.box.width = 200;
  for (int o = 1; o <= 9; ++o) {
    const std::string path = "C:\\p\\" + std::to_string(o) + ".jpg";
    Fs().AddFile(path,
                 test::MakeJpeg(o < 9 ? test::JpegRecipe{.width = 48, .height = 32, .orientation = o}
                                      : test::JpegRecipe{.width = 800, .height = 600, .orientation = 6}));
    f.Model().list.Add(path);
  }
  f.Run(Command::Reload);
  for (int o = 1; o <= 8; ++o, Press('N')) {
    EXPECT_NE(Title().find(std::to_string(o) + ".jpg 48x32 100%"), std::string::npos) << Title();
    RasterCanvas canvas(f.ClientWidth(), f.ClientHeight());
    f.picture.Paint(canvas, f.ClientWidth(), f.ClientHeight());
    for (int y = 0; y < 32; ++y)
      for (int x = 0; x < 48; ++x) {
        const uint32_t got = canvas.Pixel(f.picture.Left() + x, f.picture.Top() + y);
        const test::Rgb want = test::JpegExpected({.width = 48, .height = 32}, x, y);
        ASSERT_LE(
            abs(int(got & 0xFF) - want.r) + abs(int(got >> 8 & 0xFF) - want.g) + abs(int(got >> 16) - want.b),
            24)
            << o << ": " << x << "," << y;
      }
  }
  EXPECT_NE(Title().find("9.jpg 800x600 25%"), std::string::npos) << Title();
  EXPECT_EQ(HeldWidth(f), 150);  // 2/8 of the stored 600 x 800
}

}  // namespace
}  // namespace zeb::app
