// Fitting the window to the picture: zoom, fixed box, enlarging, maximised, placement and the taskbar
// on each side. The headless desktop is 1024 x 768 with SM_CXFRAME 4 and SM_CYCAPTION 19, so the
// chrome is 6 x 25 pixels.
#include <gtest/gtest.h>

#include <algorithm>

#include "tests/app/app_fixture.h"

namespace zeb::app {
namespace {

using testing_support::AppTest;

constexpr int kChromeW = 6, kChromeH = 25;

class WindowFitTest : public AppTest {
 protected:
  void SetUp() override {
    AppTest::SetUp();
    RegisterFake();
  }
  // A main window showing one fake picture of this size.
  MainWindow& Showing(int w, int h, std::vector<std::string> switches = {}) {
    AddFake("C:\\p\\pic.fak", w, h);
    switches.push_back("C:\\p\\pic.fak");
    return Make(switches);
  }
  static void Taskbar(TaskbarEdge edge, ScreenRect rect) {
    headless::Desktop().taskbarEdge = edge;
    headless::Desktop().taskbar = rect;
  }
};

TEST_F(WindowFitTest, ALargePictureShrinksToTheWorkAreaAndIsPushedInside) {
  MainWindow& f = Showing(4000, 3000);
  const double ratio = std::min((1024.0 - kChromeW) / 4000, (738.0 - kChromeH) / 3000);
  EXPECT_DOUBLE_EQ(f.Zoom(), ratio);
  const int w = static_cast<int>(4000 * ratio), h = static_cast<int>(3000 * ratio);
  EXPECT_EQ(f.picture.Width(), w);
  EXPECT_EQ(f.picture.Height(), h);
  EXPECT_TRUE(f.picture.Stretch());
  EXPECT_EQ(f.Width(), w + kChromeW);
  EXPECT_EQ(f.Height(), h + kChromeH);
  EXPECT_EQ(f.Left() + f.Width(), 1024);
  EXPECT_EQ(f.Top(), 0);
  EXPECT_EQ(f.Caption(),
            "[F] (1/1) pic.fak 4000x3000 " + std::to_string(static_cast<int>(ratio * 100)) + "%");
}

TEST_F(WindowFitTest, ASmallPictureInTheFreeModeStaysAtItsSize) {
  MainWindow& f = Showing(300, 200, {"-S"});
  EXPECT_EQ(f.Zoom(), 1.0);
  EXPECT_FALSE(f.picture.Stretch());
  EXPECT_TRUE(f.picture.AlignClient());
  EXPECT_EQ(f.ClientWidth(), 300);
  EXPECT_EQ(f.ClientHeight(), 200);
  EXPECT_EQ(f.Left(), 100);
  EXPECT_EQ(f.Top(), 100);
}

TEST_F(WindowFitTest, AFixedWidthEnlargesASmallPicture) {
  MainWindow& f = Showing(320, 200, {"-w640", "-S"});
  EXPECT_EQ(f.Zoom(), 2.0);
  EXPECT_EQ(f.ClientWidth(), 640);
  EXPECT_EQ(f.ClientHeight(), 400);
  EXPECT_EQ(f.picture.Left(), 0);
  EXPECT_EQ(f.picture.Width(), 640);
  EXPECT_TRUE(f.picture.Stretch());
}

TEST_F(WindowFitTest, AShortWorkAreaLimitsTheEnlargement) {
  headless::Desktop().screenHeight = 400;
  Taskbar(TaskbarEdge::Bottom, {0, 370, 1024, 400});
  MainWindow& f = Showing(320, 200, {"-w640", "-S"});
  const int availH = 370 - kChromeH;
  EXPECT_DOUBLE_EQ(f.Zoom(), static_cast<double>(availH) / 200);
  EXPECT_EQ(f.ClientWidth(), 640);
  const int w = static_cast<int>(320 * f.Zoom());
  EXPECT_EQ(f.picture.Left(), (640 - w) / 2);
  EXPECT_EQ(f.picture.Top(), 0);
}

TEST_F(WindowFitTest, ABoxLargerThanTheWorkAreaIsLoweredForGood) {
  MainWindow& f = Showing(100, 100, {"-w5000", "-h5000"});
  EXPECT_EQ(f.Model().modes.box.width, 1024 - kChromeW);
  EXPECT_EQ(f.Model().modes.box.height, 738 - kChromeH);
  EXPECT_EQ(f.Zoom(), 1.0);
  EXPECT_EQ(f.picture.Left(), (1018 - 100) / 2);
  EXPECT_EQ(f.picture.Top(), (713 - 100) / 2);
  EXPECT_EQ(f.Width(), 1024);
  EXPECT_EQ(f.Height(), 738);
}

TEST_F(WindowFitTest, AFixedHeightCentresVerticallyAndFollowsThePictureWidth) {
  MainWindow& f = Showing(300, 100, {"-h300"});
  EXPECT_EQ(f.ClientWidth(), 300);
  EXPECT_EQ(f.ClientHeight(), 300);
  EXPECT_EQ(f.picture.Left(), 0);
  EXPECT_EQ(f.picture.Top(), 100);
  EXPECT_FALSE(f.picture.AlignClient());
}

TEST_F(WindowFitTest, MaximisedCentresASmallPictureAtItsSize) {
  MainWindow& f = Showing(300, 100, {"-f"});
  EXPECT_EQ(f.WindowState(), ui::ShowState::Maximised);
  EXPECT_EQ(f.Zoom(), 1.0);
  EXPECT_EQ(f.picture.Left(), (1024 - 300) / 2);
  EXPECT_EQ(f.picture.Top(), (738 - 100) / 2);
  // With enlarging, it fits the work area less the chrome.
  f.Model().modes.enlargeSmall = true;
  f.FitToPicture();
  EXPECT_DOUBLE_EQ(f.Zoom(), std::min(1018.0 / 300, 713.0 / 100));
  // Maximised ignores the fixed box.
  f.Model().modes.box.fixedWidth = true;
  f.Model().modes.box.width = 100;
  f.FitToPicture();
  EXPECT_EQ(f.Model().modes.box.width, 100);
  EXPECT_DOUBLE_EQ(f.Zoom(), 1018.0 / 300);
  // F again: a normal window.
  f.ToggleMaximised();
  EXPECT_EQ(f.WindowState(), ui::ShowState::Normal);
  EXPECT_EQ(f.ClientWidth(), 100);
}

TEST_F(WindowFitTest, TaskbarOnTheRight) {
  Taskbar(TaskbarEdge::Right, {974, 0, 1024, 768});
  MainWindow& f = Showing(2000, 100, {"-Pr"});
  EXPECT_EQ(f.Width(), 974);
  EXPECT_EQ(f.Left() + f.Width(), 974);
  f.picture.Content().SetGraphic(std::make_unique<test::FakeImage>());
  static_cast<test::FakeImage*>(f.picture.Content().Graphic())->width = 50;
  static_cast<test::FakeImage*>(f.picture.Content().Graphic())->height = 50;
  f.FitToPicture();
  EXPECT_EQ(f.Left(), 974 - 56);
}

TEST_F(WindowFitTest, TaskbarOnTheLeftAndTop) {
  Taskbar(TaskbarEdge::Left, {0, 0, 60, 768});
  MainWindow& a = Showing(100, 100, {"-Pl"});
  EXPECT_EQ(a.Left(), 60);
  EXPECT_EQ(a.Top(), 100);
  Taskbar(TaskbarEdge::Top, {0, 0, 1024, 40});
  MainWindow& b = Showing(100, 100, {"-Pt"});
  EXPECT_EQ(b.Top(), 40);
  MainWindow& c = Showing(4000, 3000);
  EXPECT_DOUBLE_EQ(c.Zoom(), std::min(1018.0 / 4000, (728.0 - kChromeH) / 3000));
  EXPECT_EQ(c.Top(), 40);
}

TEST_F(WindowFitTest, NoTaskbarMeansTheWholeScreen) {
  headless::Desktop().taskbarKnown = false;
  MainWindow& f = Showing(100, 100, {"-Pb"});
  EXPECT_EQ(f.Top() + f.Height(), 768);
}

TEST_F(WindowFitTest, PlacementBits) {
  MainWindow& f = Showing(100, 100, {"-Pc"});
  EXPECT_EQ(f.Left(), (1024 - 106) / 2);
  EXPECT_EQ(f.Top(), (738 - 125) / 2);
  f.Model().modes.placement = placement::kFree | placement::kTop | placement::kLeft;  // Ctrl+Up, Ctrl+Left
  f.FitToPicture();
  EXPECT_EQ(f.Left(), 0);
  EXPECT_EQ(f.Top(), 0);
  f.Model().modes.placement = placement::kRight | placement::kBottom;
  f.FitToPicture();
  EXPECT_EQ(f.Left(), 1024 - 106);
  EXPECT_EQ(f.Top(), 738 - 125);
  f.Model().modes.placement = placement::kLeft;
  f.CentreWindow();
  EXPECT_EQ(f.Model().modes.placement, placement::kCentre);
  EXPECT_EQ(f.Left(), (1024 - 106) / 2);
}

TEST_F(WindowFitTest, AWindowMovedOffTheScreenIsPushedBack) {
  MainWindow& f = Showing(100, 100);
  f.SetBounds(-300, 900, f.Width(), f.Height());
  f.FitToPicture();
  EXPECT_EQ(f.Left(), 0);
  EXPECT_EQ(f.Top(), 738 - 125);
}

TEST_F(WindowFitTest, FixedBoxToggle) {
  MainWindow& f = Showing(100, 100);
  f.ToggleFixedBox();
  EXPECT_TRUE(f.Model().modes.box.fixedWidth && f.Model().modes.box.fixedHeight);
  EXPECT_EQ(f.ClientWidth(), 640);
  EXPECT_EQ(f.ClientHeight(), 480);
  f.Model().modes.box.fixedHeight = false;
  f.ToggleFixedBox();
  EXPECT_FALSE(f.Model().modes.box.fixedWidth || f.Model().modes.box.fixedHeight);
  EXPECT_EQ(f.ClientWidth(), 100);
}

TEST_F(WindowFitTest, WhileMinimisedOnlyTheZoomIsWorkedOut) {
  MainWindow& f = Showing(100, 100, {"-H"});
  EXPECT_TRUE(f.run.minimised);
  const std::string caption = f.Caption();
  const int width = f.Width();
  AddFake("C:\\p\\big.fak", 4000, 3000);
  f.Model().list.Add("C:\\p\\big.fak");
  f.Model().current = 0;
  f.ShowCurrent();
  EXPECT_LT(f.Zoom(), 1.0);
  EXPECT_EQ(f.Caption(), caption);
  EXPECT_EQ(f.Width(), width);
  // Restoring fits the current picture.
  ui::App().OnRestore();
  EXPECT_FALSE(f.run.minimised);
  EXPECT_NE(f.Width(), width);
  EXPECT_EQ(f.Caption().substr(0, 9), "[F] (1/2)");
  ui::App().OnMinimize();
  EXPECT_TRUE(f.run.minimised);
}

TEST_F(WindowFitTest, APictureWithoutWidthOrHeightKeepsTheZoomAtOne) {
  MainWindow& f = Showing(100, 100, {"-w640", "-h480", "-S"});
  auto empty = std::make_unique<test::FakeImage>();
  empty->height = 50;
  f.picture.Content().SetGraphic(std::move(empty));
  f.FitToPicture();
  EXPECT_EQ(f.Zoom(), 1.0);
  EXPECT_EQ(f.ClientWidth(), 640);
}

TEST_F(WindowFitTest, ADockedListWindowFollows) {
  MainWindow& f = Showing(100, 100);
  EXPECT_EQ(list->Left(), f.Left() + f.Width());
  EXPECT_EQ(list->Top(), f.Top());
  EXPECT_EQ(list->Width(), 300);
  EXPECT_EQ(list->Height(), 400);
  list->docked = false;
  list->SetBounds(5, 5, 300, 400);
  f.CentreWindow();
  EXPECT_EQ(list->Left(), 5);
}

}  // namespace
}  // namespace zeb::app
