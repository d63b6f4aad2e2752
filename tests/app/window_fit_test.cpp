// Fitting the window to the picture. The fit itself is a table over view::ComputeFit (inputs: the
// picture, a work area, a 6 x 25 frame, the modes, the window's place and the view transform); the
// whole-window tests check that the window gathers its inputs (the work area from the taskbar on each
// side) and applies the result. The headless desktop is 1024 x 768 with SM_CXFRAME 4 and SM_CYCAPTION
// 19, so the chrome is 6 x 25 pixels.
#include <gtest/gtest.h>

#include <algorithm>
#include <tuple>

#include "app/view/fit.h"
#include "tests/app/app_fixture.h"

namespace zeb::app {
namespace {

using testing_support::AppTest;
using view::WindowPlacing;

constexpr int kChromeW = 6, kChromeH = 25;

// Fit inputs: a picture of W x H in a 1024 x 738 work area (a taskbar of 30 at the bottom), the window
// at (100, 100), changed by the calls that follow.
struct In : view::FitInputs {
  In(int w, int h) {
    picture = {w, h};
    work = {0, 0, 1024, 738};
    frame = {kChromeW, kChromeH};
    windowLeft = windowTop = 100;
  }
  In& Work(int left, int top, int right, int bottom) { return work = {left, top, right, bottom}, *this; }
  // A side of 0 is not fixed.
  In& Box(int w, int h) { return box = {w ? w : 640, h ? h : 480, w > 0, h > 0}, *this; }
  In& Place(Placement p) { return placement = p, *this; }
  In& Enlarge() { return enlargeSmall = true, *this; }
  In& Minimised() { return minimised = true, *this; }
  In& At(int left, int top, bool keep = false) {
    return windowLeft = left, windowTop = top, keepPlace = keep, *this;
  }
  In& Turn(uint8_t quarters, bool mirror) { return transform.turn = {quarters, mirror}, *this; }
  In& Factor(double zoom) {
    return transform.zoomMode = view::ZoomMode::Factor, transform.zoomFactor = zoom, *this;
  }
};

struct Fit {
  double zoom;
  view::Size shown;
  WindowPlacing placing;
  int pictureLeft, pictureTop;
  bool fillsClient;
  view::Size client;
  int windowLeft, windowTop;
};

constexpr WindowPlacing kNormal = WindowPlacing::Normal, kMax = WindowPlacing::Maximised;

// Pictures whose ratios to the room are exact in binary, so the sizes are whole.
const std::tuple<const char*, In, Fit> kFits[] = {
    {"a large picture shrinks to the room and is pushed inside",
     In(4072, 1426),
     {0.25, {1018, 356}, kNormal, 0, 0, true, {1018, 356}, 0, 100}},
    {"a small picture stays at its size even with enlarging",
     In(300, 200).Enlarge(),
     {1, {300, 200}, kNormal, 0, 0, true, {300, 200}, 100, 100}},
    {"a fixed width enlarges a small picture",
     In(320, 200).Box(640, 0).Enlarge(),
     {2, {640, 400}, kNormal, 0, 0, false, {640, 400}, 100, 100}},
    {"a short work area limits the enlargement",
     In(320, 200).Work(0, 0, 1024, 370).Box(640, 0).Enlarge(),
     {1.725, {552, 345}, kNormal, 44, 0, false, {640, 345}, 100, 0}},
    {"a fixed height centres vertically and follows the picture's width",
     In(300, 100).Box(0, 300),
     {1, {300, 100}, kNormal, 0, 100, false, {300, 300}, 100, 100}},
    {"a picture without width keeps the zoom at one",
     In(0, 50).Box(640, 480).Enlarge(),
     {1, {0, 50}, kNormal, 320, 215, false, {640, 480}, 100, 100}},
    {"maximised centres a small picture in the work area",
     In(250, 100).Work(0, 0, 1006, 825).Place(placement::kMaximised),
     {1, {250, 100}, kMax, 378, 362, false, {}, 0, 0}},
    {"maximised with enlarging fits the room and ignores the box",
     In(250, 100).Work(0, 0, 1006, 825).Place(placement::kMaximised).Enlarge().Box(100, 0),
     {4, {1000, 400}, kMax, 3, 212, false, {}, 0, 0}},
    {"minimised works out only the zoom",
     In(4072, 1426).Minimised(),
     {0.25, {1018, 356}, WindowPlacing::Unchanged, 0, 0, false, {}, 0, 0}},
    {"held at the right, the taskbar on the right",
     In(1936, 100).Work(0, 0, 974, 768).Place(placement::kRight),
     {0.5, {968, 50}, kNormal, 0, 0, true, {968, 50}, 0, 100}},
    {"a small picture held at the right",
     In(50, 50).Work(0, 0, 974, 768).Place(placement::kRight),
     {1, {50, 50}, kNormal, 0, 0, true, {50, 50}, 974 - 56, 100}},
    {"held at the left, the taskbar on the left",
     In(100, 100).Work(60, 0, 1024, 768).Place(placement::kLeft),
     {1, {100, 100}, kNormal, 0, 0, true, {100, 100}, 60, 100}},
    {"held at the top, the taskbar on the top",
     In(100, 100).Work(0, 40, 1024, 768).Place(placement::kTop),
     {1, {100, 100}, kNormal, 0, 0, true, {100, 100}, 100, 40}},
    {"centred",
     In(100, 100).Place(placement::kCentre),
     {1, {100, 100}, kNormal, 0, 0, true, {100, 100}, (1024 - 106) / 2, (738 - 125) / 2}},
    {"held at the top and left edges",
     In(100, 100).Place(placement::kFree | placement::kTop | placement::kLeft),
     {1, {100, 100}, kNormal, 0, 0, true, {100, 100}, 0, 0}},
    {"held at the bottom and right edges",
     In(100, 100).Place(placement::kRight | placement::kBottom),
     {1, {100, 100}, kNormal, 0, 0, true, {100, 100}, 1024 - 106, 738 - 125}},
    {"a window off the screen is pushed back",
     In(100, 100).At(-300, 900),
     {1, {100, 100}, kNormal, 0, 0, true, {100, 100}, 0, 738 - 125}},
    {"a window the system has just placed stays there",
     In(100, 100).At(-300, 900, true).Place(placement::kCentre),
     {1, {100, 100}, kNormal, 0, 0, true, {100, 100}, -300, 900}},
    {"a quarter turn fits the turned picture",
     In(1426, 4072).Turn(1, false),
     {0.25, {1018, 356}, kNormal, 0, 0, true, {1018, 356}, 0, 100}},
    {"three quarters mirrored in a fixed width",
     In(200, 320).Turn(3, true).Box(640, 0).Enlarge(),
     {2, {640, 400}, kNormal, 0, 0, false, {640, 400}, 100, 100}},
    {"a half turn keeps the sides",
     In(300, 200).Turn(2, false),
     {1, {300, 200}, kNormal, 0, 0, true, {300, 200}, 100, 100}},
    {"a mirror alone keeps the sides",
     In(300, 200).Turn(0, true),
     {1, {300, 200}, kNormal, 0, 0, true, {300, 200}, 100, 100}},
    {"a zoom factor is taken whatever the room",
     In(3000, 200).Factor(1.5),
     {1.5, {4500, 300}, kNormal, 0, 0, true, {4500, 300}, 0, 100}},
};

TEST(ComputeFit, Table) {
  for (const auto& [name, in, expected] : kFits) {
    SCOPED_TRACE(name);
    const view::FitResult fit = view::ComputeFit(in);
    EXPECT_DOUBLE_EQ(fit.zoom, expected.zoom);
    EXPECT_EQ(fit.shown, expected.shown);
    EXPECT_EQ(fit.placing, expected.placing);
    if (expected.placing == WindowPlacing::Unchanged) continue;
    EXPECT_EQ(fit.pictureLeft, expected.pictureLeft);
    EXPECT_EQ(fit.pictureTop, expected.pictureTop);
    if (expected.placing == kMax) continue;
    EXPECT_EQ(fit.fillsClient, expected.fillsClient);
    EXPECT_EQ(fit.client, expected.client);
    EXPECT_EQ(fit.window, (view::Size{expected.client.width + kChromeW, expected.client.height + kChromeH}));
    EXPECT_EQ(fit.windowLeft, expected.windowLeft);
    EXPECT_EQ(fit.windowTop, expected.windowTop);
  }
}

// The room a picture fits into, and the box lowered to it.
TEST(ComputeFit, RoomAndBox) {
  struct Room {
    view::Size room;
    int boxWidth, boxHeight;
  };
  const std::tuple<const char*, In, Room> cases[] = {
      {"the work area less the frame", In(1, 1), {{1018, 713}, 640, 480}},
      {"a box larger than the room is lowered to it", In(1, 1).Box(5000, 5000), {{1018, 713}, 1018, 713}},
      {"a box within the room is the room", In(1, 1).Box(640, 0), {{640, 713}, 640, 480}},
      {"maximised ignores the box",
       In(1, 1).Box(5000, 100).Place(placement::kMaximised),
       {{1018, 713}, 5000, 100}},
      {"a screen smaller than the frame leaves a pixel", In(1, 1).Work(0, 0, 4, 20), {{1, 1}, 640, 480}},
  };
  for (const auto& [name, in, expected] : cases) {
    SCOPED_TRACE(name);
    EXPECT_EQ(view::PictureRoom(in), expected.room);
    const FixedBox box = view::BoxWithinRoom(in);
    EXPECT_EQ(box.width, expected.boxWidth);
    EXPECT_EQ(box.height, expected.boxHeight);
  }
}

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
  EXPECT_DOUBLE_EQ(f.Shown().zoom, ratio);
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

TEST_F(WindowFitTest, ABoxLargerThanTheWorkAreaIsLoweredForGood) {
  MainWindow& f = Showing(100, 100, {"-w5000", "-h5000"});
  EXPECT_EQ(f.Model().modes.box.width, 1024 - kChromeW);
  EXPECT_EQ(f.Model().modes.box.height, 738 - kChromeH);
  EXPECT_EQ(f.Shown().zoom, 1.0);
  EXPECT_EQ(f.picture.Left(), (1018 - 100) / 2);
  EXPECT_EQ(f.picture.Top(), (713 - 100) / 2);
  EXPECT_EQ(f.Width(), 1024);
  EXPECT_EQ(f.Height(), 738);
}

TEST_F(WindowFitTest, MaximisedCentresASmallPictureAtItsSize) {
  MainWindow& f = Showing(300, 100, {"-f"});
  EXPECT_EQ(f.WindowState(), ui::ShowState::Maximised);
  EXPECT_EQ(f.Shown().zoom, 1.0);
  EXPECT_EQ(f.picture.Left(), (1024 - 300) / 2);
  EXPECT_EQ(f.picture.Top(), (738 - 100) / 2);
  // With enlarging, it fits the work area less the chrome.
  f.Model().modes.enlargeSmall = true;
  f.Run(Command::Refit);
  EXPECT_DOUBLE_EQ(f.Shown().zoom, std::min(1018.0 / 300, 713.0 / 100));
  // Maximised ignores the fixed box.
  f.Model().modes.box.fixedWidth = true;
  f.Model().modes.box.width = 100;
  f.Run(Command::Refit);
  EXPECT_EQ(f.Model().modes.box.width, 100);
  EXPECT_DOUBLE_EQ(f.Shown().zoom, 1018.0 / 300);
  // F again: a normal window.
  f.Run(Command::Maximise);
  EXPECT_EQ(f.WindowState(), ui::ShowState::Normal);
  EXPECT_EQ(f.ClientWidth(), 100);
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
  EXPECT_DOUBLE_EQ(c.Shown().zoom, std::min(1018.0 / 4000, (728.0 - kChromeH) / 3000));
  EXPECT_EQ(c.Top(), 40);
}

TEST_F(WindowFitTest, NoTaskbarMeansTheWholeScreen) {
  headless::Desktop().taskbarKnown = false;
  MainWindow& f = Showing(100, 100, {"-Pb"});
  EXPECT_EQ(f.Top() + f.Height(), 768);
}

TEST_F(WindowFitTest, CentreMakesThePlacementCentre) {
  MainWindow& f = Showing(100, 100);
  f.Model().modes.placement = placement::kLeft;
  f.Run(Command::Centre);
  EXPECT_EQ(f.Model().modes.placement, placement::kCentre);
  EXPECT_EQ(f.Left(), (1024 - 106) / 2);
  EXPECT_EQ(f.Top(), (738 - 125) / 2);
}

TEST_F(WindowFitTest, FixedBoxToggle) {
  MainWindow& f = Showing(100, 100);
  f.Run(Command::FixedBox);
  EXPECT_TRUE(f.Model().modes.box.fixedWidth && f.Model().modes.box.fixedHeight);
  EXPECT_EQ(f.ClientWidth(), 640);
  EXPECT_EQ(f.ClientHeight(), 480);
  f.Model().modes.box.fixedHeight = false;
  f.Run(Command::FixedBox);
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
  f.Run(Command::Reload);
  EXPECT_LT(f.Shown().zoom, 1.0);
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

TEST_F(WindowFitTest, ADockedListWindowFollows) {
  MainWindow& f = Showing(100, 100);
  EXPECT_EQ(list->Left(), f.Left() + f.Width());
  EXPECT_EQ(list->Top(), f.Top());
  EXPECT_EQ(list->Width(), 300);
  EXPECT_EQ(list->Height(), 400);
  list->docked = false;
  list->SetBounds(5, 5, 300, 400);
  f.Run(Command::Centre);
  EXPECT_EQ(list->Left(), 5);
}

// The window applies a transform: the picture control turns, the window takes the turned size and
// the title gives it; the next picture shown is upright again.
TEST_F(WindowFitTest, ATransformTurnsThePictureTheWindowAndTheTitle) {
  MainWindow& f = Showing(300, 200);
  // The key of ">" turns right, that of "<" (with Shift, as typed) left.
  for (auto [key, shift] :
       {std::pair{ui::VK_OEM_PERIOD_, 0u}, {ui::VK_OEM_PERIOD_, 0u}, {ui::VK_OEM_COMMA_, ui::kShift}}) {
    uint16_t pressed = key;
    f.OnKeyDown(pressed, shift);
  }
  EXPECT_EQ(f.picture.Turn(), (PictureTurn{1, false}));
  view::ViewTransform turned;
  turned.turn = {1, true};
  f.SetTransform(turned);
  EXPECT_EQ(f.picture.Turn(), turned.turn);
  EXPECT_EQ(f.ClientWidth(), 200);
  EXPECT_EQ(f.ClientHeight(), 300);
  EXPECT_EQ(f.Caption(), "[F] (1/1) pic.fak 200x300 100%");
  f.Run(Command::Reload);
  EXPECT_EQ(f.Shown().transform, view::ViewTransform{});
  EXPECT_EQ(f.picture.Turn(), PictureTurn{});
  EXPECT_EQ(f.ClientWidth(), 300);
  EXPECT_EQ(f.Caption(), "[F] (1/1) pic.fak 300x200 100%");
}

}  // namespace
}  // namespace zeb::app
