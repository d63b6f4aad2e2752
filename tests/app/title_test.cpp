// The title-bar status line.
#include <gtest/gtest.h>

#include "tests/app/app_fixture.h"

namespace zeb::app {
namespace {

using testing_support::AppTest;

class TitleTest : public AppTest {
 protected:
  // A main window with Count entries whose picture is Width x Height.
  TForm1& With(int count, int width, int height) {
    TForm1& f = Make();
    for (int i = 0; i < count; ++i) f.List().Add("C:\\p\\" + std::to_string(i) + ".jpg");
    auto picture = std::make_unique<test::TFakeGraphic>();
    picture->width = width;
    picture->height = height;
    f.Image1.Picture().SetGraphic(std::move(picture));
    return f;
  }
};

TEST_F(TitleTest, StoppedForwardAtHalfSize) {
  TForm1& f = With(120, 1600, 1200);
  f.CurrentIndex = 2;
  f.CurrentName = "photo.jpg";
  f.ZoomRatio = 0.5;
  f.UpdateTitle();
  EXPECT_EQ(f.Caption(), "[F] (3/120) photo.jpg 1600x1200 50%");
}

TEST_F(TitleTest, EveryModeAtOnce) {
  TForm1& f = With(120, 320, 240);
  f.Timer1.SetEnabled(true);
  f.WallpaperMode = f.WallpaperAsShown = true;
  f.WallpaperLayout = 0;
  f.SlideDirection = 3;
  f.EnlargeSmall = f.LoopList = f.QuitAtEnd = true;
  f.CurrentIndex = 16;
  f.CurrentName = "D:\\pics\\a\\b.png";
  f.ZoomRatio = 2.125;
  f.UpdateTitle();
  EXPECT_EQ(f.Caption(), "<wCrLQ> (17/120) D:\\pics\\a\\b.png 320x240 212%");
}

TEST_F(TitleTest, MarksAndLetters) {
  TForm1& f = With(2, 10, 10);
  f.CurrentName = "a.jpg";
  f.ZoomRatio = 1.0;
  auto title = [&] {
    f.UpdateTitle();
    return f.Caption();
  };
  EXPECT_EQ(title(), "[F] (1/2) a.jpg 10x10 100%");
  f.Timer1.SetEnabled(true);
  f.PauseWhileLoading = true;
  f.SlideDirection = 2;
  EXPECT_EQ(title(), "{B} (1/2) a.jpg 10x10 100%");
  f.WallpaperMode = true;
  EXPECT_EQ(title(), "{WB} (1/2) a.jpg 10x10 100%");
  f.WallpaperLayout = 1;
  f.EnlargeSmall = true;
  EXPECT_EQ(title(), "{WZb} (1/2) a.jpg 10x10 100%");
  f.WallpaperLayout = 2;
  f.PauseWhileLoading = false;
  EXPECT_EQ(title(), "<WTb> (1/2) a.jpg 10x10 100%");
  // A slide show stopped at the end turns the marks back.
  f.Timer1.SetEnabled(false);
  f.ZoomRatio = 0.4999;
  EXPECT_EQ(title(), "[WTb] (1/2) a.jpg 10x10 49%");
}

TEST_F(TitleTest, AnEmptyListLeavesTheCaption) {
  TForm1& f = With(0, 10, 10);
  f.SetCaption("something");
  f.UpdateTitle();
  EXPECT_EQ(f.Caption(), "something");
}

}  // namespace
}  // namespace zeb::app
