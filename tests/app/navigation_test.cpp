// Folder and series jumps, and taking a series or a folder out of the list.
#include <gtest/gtest.h>

#include "app/model/series.h"
#include "tests/app/command_fixture.h"

namespace zeb::app {
namespace {

using testing_support::CommandTest;
using Strings = std::vector<std::string>;

TEST(SameSeriesTest, NameStemsAndNumbers) {
  auto same = [](const char* a, const char* b) {
    const bool forth = SameSeries(a, b), back = SameSeries(b, a);
    EXPECT_EQ(forth, back) << a << " " << b;
    return forth;
  };
  EXPECT_TRUE(same("IMG_0001.JPG", "IMG_9999.JPG"));
  EXPECT_FALSE(same("IMG_9999.JPG", "DSC0001.JPG"));
  EXPECT_TRUE(same("IMG_0001.JPG", "IMG_0002.PNG"));  // the extension does not count
  EXPECT_TRUE(same("IMG.JPG", "IMG1.JPG"));
  EXPECT_TRUE(same("README", "LICENSE"));  // no "." at all: both bases are empty
  EXPECT_FALSE(same("README", "A.JPG"));
  // Plain numbers: the same length, and within the same hundred above two digits.
  EXPECT_TRUE(same("0001.JPG", "0099.JPG"));
  EXPECT_FALSE(same("0099.JPG", "0100.JPG"));
  EXPECT_TRUE(same("0100.JPG", "0199.JPG"));
  EXPECT_FALSE(same("99.JPG", "100.JPG"));
  EXPECT_TRUE(same("10.JPG", "99.JPG"));
  EXPECT_TRUE(same("1.JPG", "9.JPG"));
  EXPECT_FALSE(same("1.JPG", "10.JPG"));
  // Numbers followed by more: the same digits.
  EXPECT_TRUE(same("12A.JPG", "12B.JPG"));
  EXPECT_FALSE(same("12A.JPG", "13A.JPG"));
  EXPECT_TRUE(same("12A.JPG", "12.JPG"));
  EXPECT_FALSE(same("1234A.JPG", "1299A.JPG"));
  EXPECT_TRUE(same("1.2.JPG", "1.3.JPG"));  // the base is "1.2": digits "1" and more
}

TEST(SameSeriesTest, IsDigitAtCountsFromOne) {
  EXPECT_TRUE(IsDigitAt("A1", 2));
  EXPECT_FALSE(IsDigitAt("A1", 1));
  EXPECT_FALSE(IsDigitAt("A1", 0));
  EXPECT_FALSE(IsDigitAt("A1", 3));
  EXPECT_TRUE(IsDigitAt("09", 1));
  EXPECT_FALSE(IsDigitAt("", 1));
}

class NavigationTest : public CommandTest {
 protected:
  // Three series in folder a (one of them split by folder b), one in b, one in c.
  //   0 a\A_1  1 a\A_2  2 a\A_3  3 a\B_1  4 a\B_2  5 b\A_1  6 b\A_2  7 c\only
  MainWindow& Sample() {
    MainWindow& f = With({"C:\\a\\A_1.bmp", "C:\\a\\A_2.bmp", "C:\\a\\A_3.bmp", "C:\\a\\B_1.bmp",
                          "C:\\a\\B_2.bmp", "C:\\b\\A_1.bmp", "C:\\b\\A_2.bmp", "C:\\c\\only.bmp"});
    EXPECT_EQ(Entries()[3], "C:\\a\\B_1.bmp");
    EXPECT_EQ(Entries()[5], "C:\\b\\A_1.bmp");
    return f;
  }
  // Puts Index on screen, presses the key, returns the new index.
  int32_t From(int32_t index, uint16_t key, ui::ModifierKeys shift) {
    form->Model().current = index;
    form->Run(Command::Reload);
    Press(key, shift);
    return form->Model().current;
  }
};

TEST_F(NavigationTest, CtrlNGoesToTheNextFolderAndStopsAtTheLast) {
  MainWindow& f = Sample();
  EXPECT_EQ(From(1, 'N', kCtrl), 5);
  Press('N', kCtrl);
  EXPECT_EQ(f.Model().current, 7);
  // The last folder: nothing happens, not even a reload of the vanished file.
  Fs().DeleteFile("C:\\c\\only.bmp");
  Press('N', kCtrl);
  EXPECT_EQ(f.Model().current, 7);
  EXPECT_EQ(f.Model().list.Count(), 8);
}

TEST_F(NavigationTest, CtrlPGoesToTheStartOfThePreviousFolder) {
  Sample();
  EXPECT_EQ(From(7, 'P', kCtrl), 5);
  EXPECT_EQ(From(6, 'P', kCtrl), 0);
  EXPECT_EQ(From(5, 'P', kCtrl | kShift), 0);
  // Within the first folder there is nowhere to go.
  Fs().DeleteFile("C:\\a\\A_3.bmp");
  EXPECT_EQ(From(3, 'P', kCtrl), 3);
  EXPECT_EQ(form->Model().list.Count(), 8);
}

TEST_F(NavigationTest, ShiftNGoesToTheNextSeriesAcrossFolders) {
  MainWindow& f = Sample();
  EXPECT_EQ(From(1, 'N', kShift), 3);
  Press('N', kShift);
  EXPECT_EQ(f.Model().current, 5);
  Press('N', kShift | kAlt);
  EXPECT_EQ(f.Model().current, 7);
  Press('N', kShift);
  EXPECT_EQ(f.Model().current, 7);
  // The slide direction is not touched by the series keys.
  EXPECT_EQ(f.Model().modes.slideDirection, SlideDirection::Forward);
}

TEST_F(NavigationTest, ShiftPGoesToTheSeriesStartThenToTheOneBefore) {
  MainWindow& f = Sample();
  EXPECT_EQ(From(6, 'P', kShift), 5);
  Press('P', kShift);
  EXPECT_EQ(f.Model().current, 3);
  Press('P', kShift);
  EXPECT_EQ(f.Model().current, 0);
  Press('P', kShift);
  EXPECT_EQ(f.Model().current, 0);
  EXPECT_EQ(From(2, 'P', kShift), 0);
  EXPECT_EQ(From(4, 'P', kShift), 3);
}

TEST_F(NavigationTest, FindSeriesStartIsTheEntryBeforeTheSeries) {
  MainWindow& f = Sample();
  const std::pair<int32_t, int32_t> cases[] = {{0, -1}, {2, -1}, {3, 2}, {4, 2}, {5, 4}, {6, 4}, {7, 6}};
  for (const auto& [current, start] : cases) {
    f.Model().current = current;
    EXPECT_EQ(f.Model().FindSeriesStart(), start) << current;
  }
}

TEST_F(NavigationTest, ShiftDRemovesTheSeriesAndShowsWhatFollowed) {
  MainWindow& f = Sample();
  f.Model().current = 6;
  Press('M');
  From(4, 'D', kShift);
  EXPECT_EQ(Entries(), (Strings{"C:\\a\\A_1.bmp", "C:\\a\\A_2.bmp", "C:\\a\\A_3.bmp", "C:\\b\\A_1.bmp",
                                "C:\\b\\A_2.bmp", "C:\\c\\only.bmp"}));
  EXPECT_EQ(f.Model().current, 3);
  EXPECT_EQ(f.Model().mark, 4);  // still on b\A_2
  EXPECT_EQ(Title(), "[F] (4/6) C:\\b\\A_1.bmp 4x3 100%");
  EXPECT_TRUE(Fs().FileExists("C:\\a\\B_1.bmp"));
}

TEST_F(NavigationTest, ShiftDOnTheLastSeriesShowsTheNewLastEntry) {
  MainWindow& f = Sample();
  From(7, 'D', kShift);
  EXPECT_EQ(f.Model().list.Count(), 7);
  EXPECT_EQ(Shown(), "C:\\b\\A_2.bmp");
  // A series of two at the end of the list.
  From(5, 'D', kShift);
  EXPECT_EQ(f.Model().list.Count(), 5);
  EXPECT_EQ(f.Model().current, 4);
  EXPECT_EQ(Shown(), "C:\\a\\B_2.bmp");
  EXPECT_EQ(Title(), "[F] (5/5) C:\\a\\B_2.bmp 4x3 100%");
}

TEST_F(NavigationTest, ShiftDOnTheOnlySeriesLeavesTheEmptyState) {
  MainWindow& f = With({"C:\\p\\IMG_1.bmp", "C:\\p\\IMG_2.bmp", "C:\\p\\IMG_3.bmp"});
  From(1, 'D', kShift);
  EXPECT_TRUE(f.Model().list.Empty());
  EXPECT_EQ(f.Model().current, -1);
  EXPECT_EQ(Title(), "<empty>");
  With({"C:\\p\\one.bmp"});
  From(0, 'D', kShift);
  EXPECT_TRUE(form->Model().list.Empty());
}

TEST_F(NavigationTest, CtrlDRemovesTheCurrentFolder) {
  MainWindow& f = Sample();
  EXPECT_EQ(Press('D', kCtrl), 0);  // from entry 0, folder a
  EXPECT_EQ(f.Model().list.Count(), 3);
  EXPECT_EQ(Shown(), "C:\\b\\A_1.bmp");
  From(2, 'D', kCtrl);
  EXPECT_EQ(Entries(), (Strings{"C:\\b\\A_1.bmp", "C:\\b\\A_2.bmp"}));
  EXPECT_EQ(f.Model().current, 1);
}

}  // namespace
}  // namespace zeb::app
