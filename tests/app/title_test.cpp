// The title-bar status line.
#include <gtest/gtest.h>

#include "app/title.h"
#include "tests/app/app_fixture.h"

namespace zeb::app {
namespace {

using testing_support::AppTest;

// A model with Count entries.
ViewerModel With(int count) {
  ViewerModel model;
  for (int i = 0; i < count; ++i) model.list.Add("C:\\p\\" + std::to_string(i) + ".jpg");
  return model;
}

TEST(TitleTest, StoppedForwardAtHalfSize) {
  ViewerModel model = With(120);
  model.current = 2;
  EXPECT_EQ(StatusTitle(model, {false, "photo.jpg", 1600, 1200, 0.5}), "[F] (3/120) photo.jpg 1600x1200 50%");
}

TEST(TitleTest, EveryModeAtOnce) {
  ViewerModel model = With(120);
  ViewerModes& modes = model.modes;
  modes.wallpaper.on = modes.wallpaper.asShown = true;
  modes.wallpaper.layout = WallpaperLayout::Centre;
  modes.slideDirection = SlideDirection::Random;
  modes.enlargeSmall = modes.loop = modes.quitAtEnd = true;
  model.current = 16;
  EXPECT_EQ(StatusTitle(model, {true, "D:\\pics\\a\\b.png", 320, 240, 2.125}),
            "<wCrLQ> (17/120) D:\\pics\\a\\b.png 320x240 212%");
}

TEST(TitleTest, MarksAndLetters) {
  ViewerModel model = With(2);
  ViewerModes& modes = model.modes;
  bool running = false;
  double zoom = 1.0;
  auto title = [&] { return StatusTitle(model, {running, "a.jpg", 10, 10, zoom}); };
  EXPECT_EQ(title(), "[F] (1/2) a.jpg 10x10 100%");
  running = true;
  modes.pauseWhileLoading = true;
  modes.slideDirection = SlideDirection::Backward;
  EXPECT_EQ(title(), "{B} (1/2) a.jpg 10x10 100%");
  modes.wallpaper.on = true;
  EXPECT_EQ(title(), "{WB} (1/2) a.jpg 10x10 100%");
  modes.wallpaper.layout = WallpaperLayout::Stretch;
  modes.enlargeSmall = true;
  EXPECT_EQ(title(), "{WZb} (1/2) a.jpg 10x10 100%");
  modes.wallpaper.layout = WallpaperLayout::Tile;
  modes.pauseWhileLoading = false;
  EXPECT_EQ(title(), "<WTb> (1/2) a.jpg 10x10 100%");
  // A slide show stopped at the end turns the marks back.
  running = false;
  zoom = 0.4999;
  EXPECT_EQ(title(), "[WTb] (1/2) a.jpg 10x10 49%");
}

class TitleWindowTest : public AppTest {};

TEST_F(TitleWindowTest, AKeyOnAnEmptyListLeavesTheCaption) {
  MainWindow& f = Make();
  f.SetCaption("something");
  uint16_t key = 'Z';
  f.OnKeyDown(key, 0);
  EXPECT_EQ(f.Caption(), "something");
}

}  // namespace
}  // namespace zeb::app
