// The key handler: its stages in order, modifiers, the list walk, the bookmark and the Jump command.
#include <gtest/gtest.h>

#include <cstdlib>
#include <set>

#include "tests/app/command_fixture.h"

namespace zeb::app {
namespace {

using testing_support::CommandTest;
using Strings = std::vector<std::string>;

class KeysTest : public CommandTest {};

TEST_F(KeysTest, EscapeStopsABuildOrElseEndsTheProgram) {
  MainWindow& f = WithNumbered(2);
  f.run.building = true;
  Press(ui::VK_ESCAPE_);
  EXPECT_TRUE(f.run.abortRequested);
  EXPECT_FALSE(f.impl().closed);
  EXPECT_FALSE(ui::App().Terminated());
  f.run.building = false;
  Press(ui::VK_ESCAPE_, kShift);
  EXPECT_TRUE(f.impl().closed);
  EXPECT_TRUE(ui::App().Terminated());
}

TEST_F(KeysTest, CtrlArrowsHoldTheWindowAtEdgesAsIndependentPairs) {
  MainWindow& f = WithNumbered(2);
  f.SetBounds(300, 300, f.Width(), f.Height());
  EXPECT_EQ(Press(ui::VK_LEFT_, kCtrl), ui::VK_LEFT_);
  EXPECT_EQ(f.Model().modes.placement, placement::kFree | placement::kLeft);
  Press(ui::VK_UP_, kCtrl | kShift);
  EXPECT_EQ(f.Model().modes.placement, placement::kFree | placement::kLeft | placement::kTop);
  EXPECT_EQ(f.Left(), 0);
  EXPECT_EQ(f.Top(), 0);
  // The next picture keeps the corner.
  Press('N');
  EXPECT_EQ(f.Model().current, 1);
  EXPECT_EQ(f.Left(), 0);
  EXPECT_EQ(f.Top(), 0);
  Press(ui::VK_RIGHT_, kCtrl);
  Press(ui::VK_DOWN_, kCtrl);
  EXPECT_EQ(f.Model().modes.placement, placement::kFree | placement::kRight | placement::kBottom);
  EXPECT_EQ(f.Left() + f.Width(), 1024);
  EXPECT_EQ(f.Top() + f.Height(), 738);  // the taskbar's top
}

TEST_F(KeysTest, CtrlLeftLeavesTheMaximisedAndCentredModes) {
  MainWindow& f = WithNumbered(1);
  Press('F');
  EXPECT_EQ(f.WindowState(), ui::ShowState::Maximised);
  Press(ui::VK_LEFT_, kCtrl);
  EXPECT_EQ(f.Model().modes.placement, placement::kFree | placement::kLeft);
  EXPECT_EQ(f.WindowState(), ui::ShowState::Normal);
  EXPECT_EQ(f.Left(), 0);
  Press('C');
  EXPECT_EQ(f.Model().modes.placement, placement::kCentre);
  Press(ui::VK_DOWN_, kCtrl);
  EXPECT_EQ(f.Model().modes.placement, placement::kBottom);
}

TEST_F(KeysTest, ArrowsMoveByTheStepOfTheModifiersAndFreeThePlacement) {
  MainWindow& f = WithNumbered(1);
  Press(ui::VK_LEFT_, kCtrl);
  const int32_t width = f.Width(), height = f.Height();
  f.SetBounds(10, 10, width, height);
  Press(ui::VK_LEFT_);
  EXPECT_EQ(f.Left(), -10);  // not pushed back inside: the window is not refitted
  EXPECT_EQ(f.Model().modes.placement, placement::kFree);
  Press(ui::VK_RIGHT_, kShift);
  EXPECT_EQ(f.Left(), 40);
  Press(ui::VK_RIGHT_, kAlt);
  EXPECT_EQ(f.Left(), 41);
  Press(ui::VK_LEFT_, kShift | kAlt);
  EXPECT_EQ(f.Left(), -9);
  Press(ui::VK_DOWN_);
  Press(ui::VK_UP_, kAlt);
  EXPECT_EQ(f.Top(), 29);
  EXPECT_EQ(f.Width(), width);
  EXPECT_EQ(f.Height(), height);
}

TEST_F(KeysTest, CtrlCommandsEndTheHandler) {
  MainWindow& f = With({"C:\\a\\1.bmp", "C:\\b\\1.bmp"});
  f.Model().modes.slideDirection = SlideDirection::Backward;
  // Ctrl+N goes to the next folder and is consumed; plain N's rows do not run.
  EXPECT_EQ(Press('N', kCtrl), 0);
  EXPECT_EQ(f.Model().current, 1);
  EXPECT_EQ(f.Model().modes.slideDirection, SlideDirection::Backward);
  EXPECT_EQ(Press('P', kCtrl | kShift), 0);
  EXPECT_EQ(f.Model().current, 0);
  // Ctrl with a key of no command leaves the title alone (the plain keys rebuild it).
  f.SetCaption("x");
  EXPECT_EQ(Press('K', kCtrl), 'K');
  EXPECT_EQ(Title(), "x");
  // Ctrl+W switches the wallpaper mode, which shows in the title of the next picture.
  EXPECT_EQ(Press('W', kCtrl), 0);
  EXPECT_TRUE(f.Model().modes.wallpaper.on);
  Press(ui::VK_RETURN_);
  EXPECT_EQ(Title().substr(0, 5), "[WB] ");
  Press('W', kCtrl);
  EXPECT_FALSE(f.Model().modes.wallpaper.on);
}

TEST_F(KeysTest, ModesSwitchAndTheTitleIsRebuiltAfterEveryKey) {
  MainWindow& f = WithNumbered(3);
  EXPECT_EQ(Title(), "[F] (1/3) 0.bmp 4x3 100%");
  Press('R');
  EXPECT_EQ(f.Model().modes.slideDirection, SlideDirection::Random);
  Press('L');
  Press('Q', kAlt);
  EXPECT_EQ(Title().substr(0, 7), "[RLQ] (");
  Press('S', kShift);
  EXPECT_TRUE(f.Model().modes.enlargeSmall);
  EXPECT_EQ(Title().substr(0, 7), "[rLQ] (");
  f.SetCaption("x");
  Press('K');
  EXPECT_EQ(Title().substr(0, 5), "[rLQ]");
  // The wallpaper letters change only while the wallpaper mode is on.
  Press('Z', kShift);
  Press('W', kShift);
  EXPECT_EQ(f.Model().modes.wallpaper.layout, WallpaperLayout::Unchanged);
  EXPECT_FALSE(f.Model().modes.wallpaper.asShown);
  f.Model().modes.wallpaper.on = true;
  Press('W', kShift);
  Press('T', kShift);
  EXPECT_EQ(Title().substr(0, 9), "[wTrLQ] (");
  Press('C', kShift);
  EXPECT_EQ(f.Model().modes.wallpaper.layout, WallpaperLayout::Centre);
  Press('Z', kShift | kAlt);
  EXPECT_EQ(f.Model().modes.wallpaper.layout, WallpaperLayout::Stretch);
  // Shift+C is no centring.
  EXPECT_EQ(f.Model().modes.placement, placement::kFree);
}

TEST_F(KeysTest, SStartsTheShowWithoutStepping) {
  MainWindow& f = WithNumbered(3);
  Press('S');
  EXPECT_TRUE(f.slideTimer.Enabled());
  EXPECT_EQ(f.Model().current, 0);
  EXPECT_EQ(Title().substr(0, 7), "<F> (1/");
  f.Model().modes.pauseWhileLoading = true;
  Press('K');
  EXPECT_EQ(Title().substr(0, 7), "{F} (1/");
  Press('S');
  EXPECT_FALSE(f.slideTimer.Enabled());
  EXPECT_EQ(Title().substr(0, 7), "[F] (1/");
}

TEST_F(KeysTest, WalkingWithNPSpaceBackspaceAE) {
  MainWindow& f = WithNumbered(4);
  Press('N');
  EXPECT_EQ(f.Model().current, 1);
  Press(ui::VK_SPACE_, kAlt);
  EXPECT_EQ(f.Model().current, 2);
  EXPECT_EQ(Title(), "[F] (3/4) 2.bmp 4x3 100%");
  Press(ui::VK_BACK_);
  EXPECT_EQ(f.Model().current, 1);
  Press('P');
  EXPECT_EQ(f.Model().current, 0);
  EXPECT_EQ(f.Model().modes.slideDirection, SlideDirection::Backward);
  Press('E');
  EXPECT_EQ(f.Model().current, 3);
  EXPECT_EQ(Title(), "[B] (4/4) 3.bmp 4x3 100%");
  Press('A');
  EXPECT_EQ(f.Model().current, 0);
  // Shifted, N and P are the series jumps: all four names are one series of plain numbers.
  Press('N', kShift);
  EXPECT_EQ(f.Model().current, 0);
}

TEST_F(KeysTest, AtTheEndWithoutLoopAStepDoesNothingButTheTitle) {
  MainWindow& f = WithNumbered(3);
  Press('E');
  f.Model().modes.slideDirection = SlideDirection::Backward;
  // A reload would find the shown file gone and drop its entry.
  Fs().DeleteFile("C:\\p\\2.bmp");
  f.SetCaption("x");
  Press('N');
  EXPECT_EQ(f.Model().modes.slideDirection, SlideDirection::Forward);
  EXPECT_EQ(f.Model().list.Count(), 3);
  EXPECT_EQ(Title(), "[F] (3/3) 2.bmp 4x3 100%");
  AddBmp("C:\\p\\2.bmp");
  Press('A');
  Fs().DeleteFile("C:\\p\\0.bmp");
  Press(ui::VK_BACK_);
  EXPECT_EQ(f.Model().list.Count(), 3);
  EXPECT_EQ(f.Model().current, 0);
}

TEST_F(KeysTest, WithLoopTheWalkWraps) {
  MainWindow& f = WithNumbered(3);
  Press('L');
  Press('P');
  EXPECT_EQ(f.Model().current, 2);
  Press('N');
  EXPECT_EQ(f.Model().current, 0);
}

TEST_F(KeysTest, RandomDrawsEveryEntryIncludingTheShownOne) {
  MainWindow& f = WithNumbered(5);
  std::srand(7);
  std::set<int32_t> seen;
  bool repeated = false;
  for (int i = 0; i < 200; ++i) {
    const int32_t before = f.Model().current;
    Press('R');
    ASSERT_GE(f.Model().current, 0);
    ASSERT_LT(f.Model().current, 5);
    repeated = repeated || f.Model().current == before;
    seen.insert(f.Model().current);
  }
  EXPECT_EQ(seen.size(), 5u);
  EXPECT_TRUE(repeated);
  EXPECT_EQ(f.Model().modes.slideDirection, SlideDirection::Random);
}

TEST_F(KeysTest, MarkGoAndSwap) {
  MainWindow& f = WithNumbered(5);
  Press('E');
  Press('G');
  EXPECT_EQ(f.Model().current, 0);  // the mark starts at 0
  Press('E');
  Press('M');
  EXPECT_EQ(f.Model().mark, 4);
  Press('A');
  Press('N');
  Press('X');
  EXPECT_EQ(f.Model().current, 4);
  EXPECT_EQ(f.Model().mark, 1);
  Press('X');
  EXPECT_EQ(f.Model().current, 1);
  EXPECT_EQ(f.Model().mark, 4);
  // Deleting the marked entry clears the mark; G and X then do nothing.
  Press('E');
  Press('D');
  EXPECT_EQ(f.Model().mark, -1);
  EXPECT_EQ(f.Model().current, 3);
  Press('G');
  Press('X');
  EXPECT_EQ(f.Model().current, 3);
  EXPECT_EQ(f.Model().mark, -1);
  EXPECT_EQ(Title(), "[F] (4/4) 3.bmp 4x3 100%");
}

TEST_F(KeysTest, DTakesTheEntryOutAndTheFileStays) {
  MainWindow& f = WithNumbered(3);
  Press('N');
  Press('D');
  EXPECT_EQ(Entries(), (Strings{"C:\\p\\0.bmp", "C:\\p\\2.bmp"}));
  EXPECT_EQ(f.Model().current, 1);
  EXPECT_TRUE(Fs().FileExists("C:\\p\\1.bmp"));
  Press('D');
  EXPECT_EQ(f.Model().current, 0);
  Press('D');
  EXPECT_TRUE(f.Model().list.Empty());
  EXPECT_EQ(Title(), "<empty>");
}

TEST_F(KeysTest, EnterAndDeleteShowTheCurrentEntryAgain) {
  MainWindow& f = WithNumbered(3);
  Press('N');
  Fs().DeleteFile("C:\\p\\1.bmp");
  Press(ui::VK_RETURN_, kShift);
  EXPECT_EQ(Entries(), (Strings{"C:\\p\\0.bmp", "C:\\p\\2.bmp"}));
  Fs().DeleteFile("C:\\p\\2.bmp");
  Press(ui::VK_DELETE_);
  EXPECT_EQ(Entries(), Strings{"C:\\p\\0.bmp"});
  EXPECT_EQ(f.Model().current, 0);
}

TEST_F(KeysTest, ShiftSReloadsOnlyWhereEnlargingShows) {
  MainWindow& f = WithNumbered(2);
  Fs().DeleteFile("C:\\p\\0.bmp");
  Press('S', kShift);
  EXPECT_EQ(f.Model().list.Count(), 2);  // no reload in the free mode
  f.Model().modes.box.fixedWidth = true;
  f.Model().modes.box.width = 40;
  AddBmp("C:\\p\\0.bmp");
  Press('S', kShift);
  EXPECT_FALSE(f.Model().modes.enlargeSmall);
  Press('S', kShift);
  EXPECT_TRUE(f.Model().modes.enlargeSmall);
  EXPECT_EQ(f.picture.Width(), 40);
  EXPECT_EQ(Title(), "[f] (1/2) 0.bmp 4x3 1000%");
}

TEST_F(KeysTest, TheWindowKeys) {
  MainWindow& f = WithNumbered(1);
  Press('F');
  EXPECT_EQ(f.Model().modes.placement, placement::kFree | placement::kMaximised);
  Press('F', kAlt);
  EXPECT_EQ(f.Model().modes.placement, placement::kFree);
  Press('F', kShift);
  EXPECT_TRUE(f.Model().modes.box.fixedWidth && f.Model().modes.box.fixedHeight);
  EXPECT_EQ(f.ClientWidth(), 640);
  Press('F', kShift);
  EXPECT_FALSE(f.Model().modes.box.fixedWidth || f.Model().modes.box.fixedHeight);
  Press('C');
  EXPECT_EQ(f.Model().modes.placement, placement::kCentre);
  EXPECT_FALSE(f.run.minimised);
  Press('H', kShift);
  EXPECT_TRUE(f.run.minimised);
  EXPECT_EQ(f.WindowState(), ui::ShowState::Minimised);
  EXPECT_EQ(dialogShows, 0);
}

TEST_F(KeysTest, WithAnEmptyListOnlyTheWindowKeysAndTheQuestionsAct) {
  MainWindow& f = Make();
  Answer("");
  int fileDialogs = 0;
  headless::Script().fileDialog = [&](bool, const ui::OpenFileDialog&) {
    ++fileDialogs;
    return std::string();
  };
  for (uint16_t key : {'N', 'P', 'R', 'L', 'S', 'Q', 'V', 'A', 'E', 'J', 'G', 'X', 'M', 'D'}) Press(key);
  for (uint16_t key : {'N', 'P', 'S', 'D', 'W'}) Press(key, kShift);
  for (uint16_t key : {'N', 'P', 'D', 'W', 'S'}) EXPECT_EQ(Press(key, kCtrl), key);
  Press(ui::VK_SPACE_);
  Press(ui::VK_BACK_);
  Press(ui::VK_DELETE_);
  EXPECT_EQ(f.Model().modes.slideDirection, SlideDirection::Forward);
  EXPECT_FALSE(f.Model().modes.loop || f.Model().modes.quitAtEnd || f.Model().modes.enlargeSmall ||
               f.Model().modes.wallpaper.on || f.slideTimer.Enabled());
  EXPECT_EQ(f.Model().mark, 0);
  EXPECT_EQ(Title(), "<empty>");
  EXPECT_EQ(dialogShows, 0);
  EXPECT_EQ(fileDialogs, 0);

  Press('I');
  Press('W');
  Press('H');
  EXPECT_EQ(shownCaptions, (Strings{"Interval", "Width", "Height"}));
  EXPECT_EQ(Press('L', kCtrl), 0);
  EXPECT_EQ(fileDialogs, 1);
  Press(ui::VK_RETURN_);
  EXPECT_EQ(Title(), "<empty>");
  Press('F');
  EXPECT_EQ(f.WindowState(), ui::ShowState::Maximised);
  Press('C');
  EXPECT_EQ(f.Model().modes.placement, placement::kCentre);
  Press(ui::VK_LEFT_, kCtrl);
  EXPECT_EQ(f.Model().modes.placement, placement::kLeft);
  Press(ui::VK_RIGHT_);
  EXPECT_EQ(f.Model().modes.placement, placement::kFree);
  Press('F', kShift);
  EXPECT_TRUE(f.Model().modes.box.fixedWidth);
}

TEST_F(KeysTest, WhileTheShowRunsNPRChooseTheDirectionOnly) {
  MainWindow& f = WithNumbered(5);
  Press('N');
  Press('S');
  Answer("3\r");
  for (uint16_t key :
       std::initializer_list<uint16_t>{ui::VK_SPACE_, ui::VK_BACK_, 'A', 'E', 'J', 'I', 'W', 'H'})
    Press(key);
  Press('N', kShift);
  Press('P', kShift);
  EXPECT_EQ(f.Model().current, 1);
  EXPECT_EQ(dialogShows, 0);
  Press('P');
  EXPECT_EQ(f.Model().modes.slideDirection, SlideDirection::Backward);
  EXPECT_EQ(f.Model().current, 1);
  f.slideTimer.Tick();
  EXPECT_EQ(f.Model().current, 0);
  Press('N');
  EXPECT_EQ(f.Model().current, 0);
  f.slideTimer.Tick();
  EXPECT_EQ(f.Model().current, 1);
  Press('R');
  EXPECT_EQ(f.Model().modes.slideDirection, SlideDirection::Random);
  EXPECT_EQ(f.Model().current, 1);
  EXPECT_TRUE(f.slideTimer.Enabled());
}

TEST_F(KeysTest, WhileTheShowRunsTheListKeysStillActAndCtrlCommandsDoNot) {
  MainWindow& f = With({"C:\\a\\0.bmp", "C:\\a\\1.bmp", "C:\\b\\0.bmp", "C:\\b\\1.bmp"});
  Press('S');
  Press('M');
  f.Model().current = 2;
  Press('X');
  EXPECT_EQ(f.Model().current, 0);
  Press('G');
  EXPECT_EQ(f.Model().current, 2);
  EXPECT_EQ(Press('N', kCtrl), 'N');
  EXPECT_EQ(Press('D', kCtrl), 'D');
  EXPECT_EQ(Press('L', kCtrl), 'L');
  EXPECT_EQ(f.Model().current, 2);
  EXPECT_EQ(f.Model().list.Count(), 4);
  Press(ui::VK_LEFT_, kCtrl);
  EXPECT_EQ(f.Model().modes.placement, placement::kFree | placement::kLeft);
  Press('D');
  EXPECT_EQ(Shown(), "C:\\b\\1.bmp");
  Press('D', kShift);  // b's series goes
  EXPECT_EQ(Entries(), (Strings{"C:\\a\\0.bmp", "C:\\a\\1.bmp"}));
  f.slideTimer.Tick();
  EXPECT_FALSE(f.slideTimer.Enabled());  // it was at the end: the show stops
  Press('F');
  EXPECT_EQ(f.WindowState(), ui::ShowState::Maximised);
}

TEST_F(KeysTest, JumpPresetsTheNumberAndShowsTheOneTyped) {
  MainWindow& f = WithNumbered(9);
  f.Model().current = 4;
  f.Run(Command::Reload);
  Answer("7\r");
  Press('J');
  EXPECT_EQ(shownCaptions, Strings{"Jump"});
  EXPECT_EQ(shownTexts, Strings{"5"});
  EXPECT_EQ(f.Model().current, 6);
  EXPECT_EQ(Title(), "[F] (7/9) 6.bmp 4x3 100%");
  // An empty text, or one with a ".", is the first picture.
  Answer("\b\r");
  Press('J');
  EXPECT_EQ(f.Model().current, 0);
  Press('E');
  Answer("2.5\r");
  Press('J');
  EXPECT_EQ(f.Model().current, 0);
  // Cancelled, by Escape or the close button, changes nothing.
  Answer("3\x1b");
  Press('J');
  Answer("3");
  Press('J', kAlt);
  EXPECT_EQ(f.Model().current, 0);
  EXPECT_EQ(dialogShows, 5);
}

TEST_F(KeysTest, JumpToZeroOrPastTheEndIsARandomPicture) {
  MainWindow& f = WithNumbered(4);
  std::srand(3);
  std::set<int32_t> seen;
  for (const char* typed : {"0\r", "5\r", "10\r"}) {
    Answer(typed);
    for (int i = 0; i < 40; ++i) {
      Press('J');
      ASSERT_GE(f.Model().current, 0);
      ASSERT_LT(f.Model().current, 4);
      seen.insert(f.Model().current);
    }
  }
  EXPECT_EQ(seen.size(), 4u);
  Answer("4\r");
  Press('J');
  EXPECT_EQ(f.Model().current, 3);
  // A number too large to read is no number: the first picture.
  Answer("99999999999\r");
  Press('J');
  EXPECT_EQ(f.Model().current, 0);
}

}  // namespace
}  // namespace zeb::app
