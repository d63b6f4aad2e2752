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
  TForm1& Showing(int w, int h, std::vector<std::string> switches = {}) {
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
  TForm1& f = Showing(4000, 3000);
  const double ratio = std::min((1024.0 - kChromeW) / 4000, (738.0 - kChromeH) / 3000);
  EXPECT_DOUBLE_EQ(f.ZoomRatio, ratio);
  const int w = static_cast<int>(4000 * ratio), h = static_cast<int>(3000 * ratio);
  EXPECT_EQ(f.Image1.Width(), w);
  EXPECT_EQ(f.Image1.Height(), h);
  EXPECT_TRUE(f.Image1.Stretch());
  EXPECT_EQ(f.Width(), w + kChromeW);
  EXPECT_EQ(f.Height(), h + kChromeH);
  EXPECT_EQ(f.Left() + f.Width(), 1024);
  EXPECT_EQ(f.Top(), 0);
  EXPECT_EQ(f.Caption(),
            "[F] (1/1) pic.fak 4000x3000 " + std::to_string(static_cast<int>(ratio * 100)) + "%");
}

TEST_F(WindowFitTest, ASmallPictureInTheFreeModeStaysAtItsSize) {
  TForm1& f = Showing(300, 200, {"-S"});
  EXPECT_EQ(f.ZoomRatio, 1.0);
  EXPECT_FALSE(f.Image1.Stretch());
  EXPECT_TRUE(f.Image1.AlignClient());
  EXPECT_EQ(f.ClientWidth(), 300);
  EXPECT_EQ(f.ClientHeight(), 200);
  EXPECT_EQ(f.Left(), 100);
  EXPECT_EQ(f.Top(), 100);
}

TEST_F(WindowFitTest, AFixedWidthEnlargesASmallPicture) {
  TForm1& f = Showing(320, 200, {"-w640", "-S"});
  EXPECT_EQ(f.ZoomRatio, 2.0);
  EXPECT_EQ(f.ClientWidth(), 640);
  EXPECT_EQ(f.ClientHeight(), 400);
  EXPECT_EQ(f.Image1.Left(), 0);
  EXPECT_EQ(f.Image1.Width(), 640);
  EXPECT_TRUE(f.Image1.Stretch());
}

TEST_F(WindowFitTest, AShortWorkAreaLimitsTheEnlargement) {
  headless::Desktop().screenHeight = 400;
  Taskbar(TaskbarEdge::Bottom, {0, 370, 1024, 400});
  TForm1& f = Showing(320, 200, {"-w640", "-S"});
  const int availH = 370 - kChromeH;
  EXPECT_DOUBLE_EQ(f.ZoomRatio, static_cast<double>(availH) / 200);
  EXPECT_EQ(f.ClientWidth(), 640);
  const int w = static_cast<int>(320 * f.ZoomRatio);
  EXPECT_EQ(f.Image1.Left(), (640 - w) / 2);
  EXPECT_EQ(f.Image1.Top(), 0);
}

TEST_F(WindowFitTest, ABoxLargerThanTheWorkAreaIsLoweredForGood) {
  TForm1& f = Showing(100, 100, {"-w5000", "-h5000"});
  EXPECT_EQ(f.BoxWidth, 1024 - kChromeW);
  EXPECT_EQ(f.BoxHeight, 738 - kChromeH);
  EXPECT_EQ(f.ZoomRatio, 1.0);
  EXPECT_EQ(f.Image1.Left(), (1018 - 100) / 2);
  EXPECT_EQ(f.Image1.Top(), (713 - 100) / 2);
  EXPECT_EQ(f.Width(), 1024);
  EXPECT_EQ(f.Height(), 738);
}

TEST_F(WindowFitTest, AFixedHeightCentresVerticallyAndFollowsThePictureWidth) {
  TForm1& f = Showing(300, 100, {"-h300"});
  EXPECT_EQ(f.ClientWidth(), 300);
  EXPECT_EQ(f.ClientHeight(), 300);
  EXPECT_EQ(f.Image1.Left(), 0);
  EXPECT_EQ(f.Image1.Top(), 100);
  EXPECT_FALSE(f.Image1.AlignClient());
}

TEST_F(WindowFitTest, MaximisedCentresASmallPictureAtItsSize) {
  TForm1& f = Showing(300, 100, {"-f"});
  EXPECT_EQ(f.WindowState(), ui::TWindowState::wsMaximized);
  EXPECT_EQ(f.ZoomRatio, 1.0);
  EXPECT_EQ(f.Image1.Left(), (1024 - 300) / 2);
  EXPECT_EQ(f.Image1.Top(), (738 - 100) / 2);
  // With enlarging, it fits the work area less the chrome.
  f.EnlargeSmall = true;
  f.AdjustFormSize();
  EXPECT_DOUBLE_EQ(f.ZoomRatio, std::min(1018.0 / 300, 713.0 / 100));
  // Maximised ignores the fixed box.
  f.FixedWidth = true;
  f.BoxWidth = 100;
  f.AdjustFormSize();
  EXPECT_EQ(f.BoxWidth, 100);
  EXPECT_DOUBLE_EQ(f.ZoomRatio, 1018.0 / 300);
  // F again: a normal window.
  f.ToggleMaximised();
  EXPECT_EQ(f.WindowState(), ui::TWindowState::wsNormal);
  EXPECT_EQ(f.ClientWidth(), 100);
}

TEST_F(WindowFitTest, TaskbarOnTheRight) {
  Taskbar(TaskbarEdge::Right, {974, 0, 1024, 768});
  TForm1& f = Showing(2000, 100, {"-Pr"});
  EXPECT_EQ(f.Width(), 974);
  EXPECT_EQ(f.Left() + f.Width(), 974);
  f.Image1.Picture().SetGraphic(std::make_unique<test::TFakeGraphic>());
  static_cast<test::TFakeGraphic*>(f.Image1.Picture().Graphic())->width = 50;
  static_cast<test::TFakeGraphic*>(f.Image1.Picture().Graphic())->height = 50;
  f.AdjustFormSize();
  EXPECT_EQ(f.Left(), 974 - 56);
}

TEST_F(WindowFitTest, TaskbarOnTheLeftAndTop) {
  Taskbar(TaskbarEdge::Left, {0, 0, 60, 768});
  TForm1& a = Showing(100, 100, {"-Pl"});
  EXPECT_EQ(a.Left(), 60);
  EXPECT_EQ(a.Top(), 100);
  Taskbar(TaskbarEdge::Top, {0, 0, 1024, 40});
  TForm1& b = Showing(100, 100, {"-Pt"});
  EXPECT_EQ(b.Top(), 40);
  TForm1& c = Showing(4000, 3000);
  EXPECT_DOUBLE_EQ(c.ZoomRatio, std::min(1018.0 / 4000, (728.0 - kChromeH) / 3000));
  EXPECT_EQ(c.Top(), 40);
}

TEST_F(WindowFitTest, NoTaskbarMeansTheWholeScreen) {
  headless::Desktop().taskbarKnown = false;
  TForm1& f = Showing(100, 100, {"-Pb"});
  EXPECT_EQ(f.Top() + f.Height(), 768);
}

TEST_F(WindowFitTest, PlacementBits) {
  TForm1& f = Showing(100, 100, {"-Pc"});
  EXPECT_EQ(f.Left(), (1024 - 106) / 2);
  EXPECT_EQ(f.Top(), (738 - 125) / 2);
  f.PlacementFlags = pfFree | pfTop | pfLeft;  // Ctrl+Up, Ctrl+Left
  f.AdjustFormSize();
  EXPECT_EQ(f.Left(), 0);
  EXPECT_EQ(f.Top(), 0);
  f.PlacementFlags = pfRight | pfBottom;
  f.AdjustFormSize();
  EXPECT_EQ(f.Left(), 1024 - 106);
  EXPECT_EQ(f.Top(), 738 - 125);
  f.PlacementFlags = pfLeft;
  f.CentreWindow();
  EXPECT_EQ(f.PlacementFlags, pfCentre);
  EXPECT_EQ(f.Left(), (1024 - 106) / 2);
}

TEST_F(WindowFitTest, AWindowMovedOffTheScreenIsPushedBack) {
  TForm1& f = Showing(100, 100);
  f.SetBounds(-300, 900, f.Width(), f.Height());
  f.AdjustFormSize();
  EXPECT_EQ(f.Left(), 0);
  EXPECT_EQ(f.Top(), 738 - 125);
}

TEST_F(WindowFitTest, FixedBoxToggle) {
  TForm1& f = Showing(100, 100);
  f.ToggleFixedBox();
  EXPECT_TRUE(f.FixedWidth && f.FixedHeight);
  EXPECT_EQ(f.ClientWidth(), 640);
  EXPECT_EQ(f.ClientHeight(), 480);
  f.FixedHeight = false;
  f.ToggleFixedBox();
  EXPECT_FALSE(f.FixedWidth || f.FixedHeight);
  EXPECT_EQ(f.ClientWidth(), 100);
}

TEST_F(WindowFitTest, WhileMinimisedOnlyTheZoomIsWorkedOut) {
  TForm1& f = Showing(100, 100, {"-H"});
  EXPECT_TRUE(f.Minimized);
  const std::string caption = f.Caption();
  const int width = f.Width();
  AddFake("C:\\p\\big.fak", 4000, 3000);
  f.List().Add("C:\\p\\big.fak");
  f.CurrentIndex = 0;
  f.LoadFromFile();
  EXPECT_LT(f.ZoomRatio, 1.0);
  EXPECT_EQ(f.Caption(), caption);
  EXPECT_EQ(f.Width(), width);
  // Restoring fits the current picture.
  ui::Application().OnRestore();
  EXPECT_FALSE(f.Minimized);
  EXPECT_NE(f.Width(), width);
  EXPECT_EQ(f.Caption().substr(0, 9), "[F] (1/2)");
  f.AppMinimize();
  EXPECT_TRUE(f.Minimized);
}

TEST_F(WindowFitTest, APictureWithoutWidthOrHeightKeepsTheZoomAtOne) {
  TForm1& f = Showing(100, 100, {"-w640", "-h480", "-S"});
  auto empty = std::make_unique<test::TFakeGraphic>();
  empty->height = 50;
  f.Image1.Picture().SetGraphic(std::move(empty));
  f.AdjustFormSize();
  EXPECT_EQ(f.ZoomRatio, 1.0);
  EXPECT_EQ(f.ClientWidth(), 640);
}

TEST_F(WindowFitTest, ADockedListWindowFollows) {
  TForm1& f = Showing(100, 100);
  EXPECT_EQ(list->Left(), f.Left() + f.Width());
  EXPECT_EQ(list->Top(), f.Top());
  EXPECT_EQ(list->Width(), 300);
  EXPECT_EQ(list->Height(), 400);
  list->ListDocked = false;
  list->SetBounds(5, 5, 300, 400);
  f.CentreWindow();
  EXPECT_EQ(list->Left(), 5);
}

}  // namespace
}  // namespace zeb::app
