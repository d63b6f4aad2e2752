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
  TForm1& f = WithNumbered(3);
  Press('S');
  f.Timer1.Tick();
  EXPECT_EQ(Title(), "<F> (2/3) 1.bmp 4x3 100%");
  f.Timer1.Tick();
  EXPECT_EQ(f.CurrentIndex, 2);
  EXPECT_TRUE(f.Timer1.Enabled());
  // The shown file goes from the disk: the tick at the end does not load it again.
  Fs().DeleteFile("C:\\p\\2.bmp");
  f.Timer1.Tick();
  EXPECT_FALSE(f.Timer1.Enabled());
  EXPECT_EQ(f.CurrentIndex, 2);
  EXPECT_EQ(f.List().Count(), 3);
  EXPECT_EQ(Title(), "[F] (3/3) 2.bmp 4x3 100%");
  EXPECT_FALSE(ui::Application().Terminated());
}

TEST_F(SlideShowTest, WithQuitAtEndTheProgramEndsThere) {
  TForm1& f = WithNumbered(2);
  Press('Q');
  Press('S');
  f.Timer1.Tick();
  EXPECT_FALSE(ui::Application().Terminated());
  f.Timer1.Tick();
  EXPECT_FALSE(f.Timer1.Enabled());
  EXPECT_TRUE(f.impl().closed);
  EXPECT_TRUE(ui::Application().Terminated());
  EXPECT_EQ(Title(), "[FQ] (2/2) 1.bmp 4x3 100%");
}

TEST_F(SlideShowTest, WithLoopTheShowGoesOnFromTheOtherEnd) {
  TForm1& f = WithNumbered(3);
  Press('L');
  Press('Q');
  Press('S');
  for (int32_t expected : {1, 2, 0, 1}) {
    f.Timer1.Tick();
    EXPECT_EQ(f.CurrentIndex, expected);
  }
  Press('P');
  for (int32_t expected : {0, 2}) {
    f.Timer1.Tick();
    EXPECT_EQ(f.CurrentIndex, expected);
  }
  EXPECT_TRUE(f.Timer1.Enabled());
  EXPECT_FALSE(ui::Application().Terminated());
}

TEST_F(SlideShowTest, ABackwardShowStopsAtTheFirstEntry) {
  TForm1& f = WithNumbered(3);
  Press('E');
  Press('P');  // chooses the direction and steps back
  f.PauseWhileLoading = true;
  Press('S');
  EXPECT_EQ(Title().substr(0, 7), "{B} (2/");
  f.Timer1.Tick();
  EXPECT_EQ(f.CurrentIndex, 0);
  EXPECT_TRUE(f.Timer1.Enabled());
  f.Timer1.Tick();
  EXPECT_FALSE(f.Timer1.Enabled());
  EXPECT_EQ(Title(), "[B] (1/3) 0.bmp 4x3 100%");
}

TEST_F(SlideShowTest, ARandomShowNeverStops) {
  TForm1& f = WithNumbered(3);
  std::srand(11);
  Press('R');
  Press('S');
  std::set<int32_t> seen;
  bool repeated = false;
  for (int i = 0; i < 100; ++i) {
    const int32_t before = f.CurrentIndex;
    f.Timer1.Tick();
    repeated = repeated || before == f.CurrentIndex;
    seen.insert(f.CurrentIndex);
  }
  EXPECT_TRUE(f.Timer1.Enabled());
  EXPECT_EQ(seen.size(), 3u);
  EXPECT_TRUE(repeated);
}

TEST_F(SlideShowTest, KeysMoveAndTheNextTickStepsOnFromThere) {
  TForm1& f = WithNumbered(5);
  Press('S');
  f.CurrentIndex = 3;
  Press('M');
  Press('D');  // entry 3 goes; 4 takes its place
  EXPECT_EQ(Shown(), "C:\\p\\4.bmp");
  EXPECT_EQ(f.MarkIndex, -1);
  f.Timer1.Tick();
  EXPECT_FALSE(f.Timer1.Enabled());
}

TEST_F(SlideShowTest, AShowOverAnEmptyList) {
  TForm1& f = Make();
  f.Timer1.SetEnabled(true);
  f.LoopList = true;
  f.Timer1.Tick();
  EXPECT_TRUE(f.Timer1.Enabled());
  EXPECT_EQ(Title(), "<empty>");
  f.SlideDirection = 2;
  f.Timer1.Tick();
  EXPECT_TRUE(f.Timer1.Enabled());
  f.SlideDirection = 3;
  f.Timer1.Tick();
  EXPECT_TRUE(f.Timer1.Enabled());
  f.LoopList = false;
  f.QuitAtEnd = true;
  f.SlideDirection = 1;
  f.Timer1.Tick();
  EXPECT_FALSE(f.Timer1.Enabled());
  EXPECT_TRUE(ui::Application().Terminated());
  EXPECT_EQ(Title(), "<empty>");
}

TEST_F(SlideShowTest, AnIntervalTyped) {
  TForm1& f = WithNumbered(1);
  Answer("750\r");
  Press('I');
  EXPECT_EQ(shownCaptions, Strings{"Interval"});
  EXPECT_EQ(shownTexts, Strings{"2500"});
  EXPECT_EQ(f.Timer1.Interval(), 750u);
  EXPECT_FALSE(f.Timer1.Enabled());
  Answer("0\r");
  Press('I');
  EXPECT_EQ(f.Timer1.Interval(), 1u);
  Answer("9\x1b");
  Press('I');
  EXPECT_EQ(f.Timer1.Interval(), 1u);
}

TEST_F(SlideShowTest, AnIntervalThatIsNoNumberIsRandom) {
  TForm1& f = WithNumbered(1);
  std::srand(5);
  std::set<uint32_t> seen;
  for (const char* typed : {"\b\r", "1.5\r", "99999999999\r"}) {
    Answer(typed);
    for (int i = 0; i < 20; ++i) {
      Press('I');
      EXPECT_GE(f.Timer1.Interval(), 1000u) << typed;
      EXPECT_LE(f.Timer1.Interval(), 3999u) << typed;
      seen.insert(f.Timer1.Interval());
    }
  }
  EXPECT_GT(seen.size(), 30u);
}

TEST_F(SlideShowTest, ANegativeIntervalIsNoInterval) {
  TForm1& f = WithNumbered(1);
  // Only a pasted text can hold a sign; it must not wrap round to weeks between pictures.
  headless::Script().showModal = [this](ui::TForm&) {
    jump->Edit1.SetText("-5");
    return ui::TModalResult::mrOk;
  };
  Press('I');
  EXPECT_GE(f.Timer1.Interval(), 1000u);
  EXPECT_LE(f.Timer1.Interval(), 3999u);
}

}  // namespace
}  // namespace zeb::app
