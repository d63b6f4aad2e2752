// The slide show: ticks in each direction, the end of the list with and without loop and quit, an empty
// list, and the interval question.
#include <gtest/gtest.h>

#include <cstdlib>
#include <set>

#include "tests/app/command_fixture.h"

namespace zeb::app {
namespace {

using testing_support::CommandTest;
using Strings = std::vector<std::string>;

class SlideShowTest : public CommandTest {};

TEST_F(SlideShowTest, AForwardShowStopsAtTheLastEntry) {
  MainWindow& f = WithNumbered(3);
  Press('S');
  f.slideTimer.Tick();
  EXPECT_EQ(Title(), "<F> (2/3) 1.bmp 4x3 100%");
  f.slideTimer.Tick();
  EXPECT_EQ(f.Model().current, 2);
  EXPECT_TRUE(f.slideTimer.Enabled());
  // The shown file goes from the disk: the tick at the end does not load it again.
  Fs().DeleteFile("C:\\p\\2.bmp");
  f.slideTimer.Tick();
  EXPECT_FALSE(f.slideTimer.Enabled());
  EXPECT_EQ(f.Model().current, 2);
  EXPECT_EQ(f.Model().list.Count(), 3);
  EXPECT_EQ(Title(), "[F] (3/3) 2.bmp 4x3 100%");
  EXPECT_FALSE(ui::App().Terminated());
}

TEST_F(SlideShowTest, WithQuitAtEndTheProgramEndsThere) {
  MainWindow& f = WithNumbered(2);
  Press('Q');
  Press('S');
  f.slideTimer.Tick();
  EXPECT_FALSE(ui::App().Terminated());
  f.slideTimer.Tick();
  EXPECT_FALSE(f.slideTimer.Enabled());
  EXPECT_TRUE(f.impl().closed);
  EXPECT_TRUE(ui::App().Terminated());
  EXPECT_EQ(Title(), "[FQ] (2/2) 1.bmp 4x3 100%");
}

TEST_F(SlideShowTest, WithLoopTheShowGoesOnFromTheOtherEnd) {
  MainWindow& f = WithNumbered(3);
  Press('L');
  Press('Q');
  Press('S');
  for (int32_t expected : {1, 2, 0, 1}) {
    f.slideTimer.Tick();
    EXPECT_EQ(f.Model().current, expected);
  }
  Press('P');
  for (int32_t expected : {0, 2}) {
    f.slideTimer.Tick();
    EXPECT_EQ(f.Model().current, expected);
  }
  EXPECT_TRUE(f.slideTimer.Enabled());
  EXPECT_FALSE(ui::App().Terminated());
}

TEST_F(SlideShowTest, ABackwardShowStopsAtTheFirstEntry) {
  MainWindow& f = WithNumbered(3);
  Press('E');
  Press('P');  // chooses the direction and steps back
  f.Model().modes.pauseWhileLoading = true;
  Press('S');
  EXPECT_EQ(Title().substr(0, 7), "{B} (2/");
  f.slideTimer.Tick();
  EXPECT_EQ(f.Model().current, 0);
  EXPECT_TRUE(f.slideTimer.Enabled());
  f.slideTimer.Tick();
  EXPECT_FALSE(f.slideTimer.Enabled());
  EXPECT_EQ(Title(), "[B] (1/3) 0.bmp 4x3 100%");
}

TEST_F(SlideShowTest, ARandomShowNeverStops) {
  MainWindow& f = WithNumbered(3);
  std::srand(11);
  Press('R');
  Press('S');
  std::set<int32_t> seen;
  bool repeated = false;
  for (int i = 0; i < 100; ++i) {
    const int32_t before = f.Model().current;
    f.slideTimer.Tick();
    repeated = repeated || before == f.Model().current;
    seen.insert(f.Model().current);
  }
  EXPECT_TRUE(f.slideTimer.Enabled());
  EXPECT_EQ(seen.size(), 3u);
  EXPECT_TRUE(repeated);
}

TEST_F(SlideShowTest, KeysMoveAndTheNextTickStepsOnFromThere) {
  MainWindow& f = WithNumbered(5);
  Press('S');
  f.Model().current = 3;
  Press('M');
  Press('D');  // entry 3 goes; 4 takes its place
  EXPECT_EQ(Shown(), "C:\\p\\4.bmp");
  EXPECT_EQ(f.Model().mark, -1);
  f.slideTimer.Tick();
  EXPECT_FALSE(f.slideTimer.Enabled());
}

TEST_F(SlideShowTest, AShowOverAnEmptyList) {
  MainWindow& f = Make();
  f.slideTimer.SetEnabled(true);
  f.Model().modes.loop = true;
  f.slideTimer.Tick();
  EXPECT_TRUE(f.slideTimer.Enabled());
  EXPECT_EQ(Title(), "<empty>");
  f.Model().modes.slideDirection = SlideDirection::Backward;
  f.slideTimer.Tick();
  EXPECT_TRUE(f.slideTimer.Enabled());
  f.Model().modes.slideDirection = SlideDirection::Random;
  f.slideTimer.Tick();
  EXPECT_TRUE(f.slideTimer.Enabled());
  f.Model().modes.loop = false;
  f.Model().modes.quitAtEnd = true;
  f.Model().modes.slideDirection = SlideDirection::Forward;
  f.slideTimer.Tick();
  EXPECT_FALSE(f.slideTimer.Enabled());
  EXPECT_TRUE(ui::App().Terminated());
  EXPECT_EQ(Title(), "<empty>");
}

TEST_F(SlideShowTest, AnIntervalTyped) {
  MainWindow& f = WithNumbered(1);
  Answer("750\r");
  Press('I');
  EXPECT_EQ(shownCaptions, Strings{"Interval"});
  EXPECT_EQ(shownTexts, Strings{"2500"});
  EXPECT_EQ(f.slideTimer.Interval(), 750u);
  EXPECT_FALSE(f.slideTimer.Enabled());
  Answer("0\r");
  Press('I');
  EXPECT_EQ(f.slideTimer.Interval(), 1u);
  Answer("9\x1b");
  Press('I');
  EXPECT_EQ(f.slideTimer.Interval(), 1u);
}

TEST_F(SlideShowTest, AnIntervalThatIsNoNumberIsRandom) {
  MainWindow& f = WithNumbered(1);
  std::srand(5);
  std::set<uint32_t> seen;
  for (const char* typed : {"\b\r", "1.5\r", "99999999999\r"}) {
    Answer(typed);
    for (int i = 0; i < 20; ++i) {
      Press('I');
      EXPECT_GE(f.slideTimer.Interval(), 1000u) << typed;
      EXPECT_LE(f.slideTimer.Interval(), 3999u) << typed;
      seen.insert(f.slideTimer.Interval());
    }
  }
  EXPECT_GT(seen.size(), 30u);
}

TEST_F(SlideShowTest, ANegativeIntervalIsNoInterval) {
  MainWindow& f = WithNumbered(1);
  // Only a pasted text can hold a sign; it must not wrap round to weeks between pictures.
  headless::Script().showModal = [this](ui::Window&) {
    jump->numberEdit.SetText("-5");
    return ui::DialogResult::Ok;
  };
  Press('I');
  EXPECT_GE(f.slideTimer.Interval(), 1000u);
  EXPECT_LE(f.slideTimer.Interval(), 3999u);
}

}  // namespace
}  // namespace zeb::app
