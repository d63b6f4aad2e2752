// Files and folders dropped on the main window: replacing, adding to and thinning out the list, the
// title's full paths, Escape during a long drop, and a dropped list file that cannot be read.
#include <gtest/gtest.h>

#include "tests/app/command_fixture.h"

namespace zeb::app {
namespace {

using testing_support::CommandTest;
using Strings = std::vector<std::string>;

class DropsTest : public CommandTest {
 protected:
  // Drops Paths on the main window as the window layer does (errors go to the error handler).
  void Drop(const Strings& paths, ui::ModifierKeys shift = 0) {
    form->impl().focused = false;
    ui::App().Guard([&] { form->OnDropFiles(paths, shift); });
  }
  static void PressEscape(MainWindow& f) {
    uint16_t key = ui::VK_ESCAPE_;
    f.OnKeyDown(key, 0);
  }
};

TEST_F(DropsTest, APlainDropReplacesTheListAndClearsTheMark) {
  MainWindow& f = WithNumbered(50);
  f.Model().mark = 7;
  f.Model().current = 30;
  AddBmp("C:\\new\\one.bmp", 6, 5);
  Drop({"C:\\new\\one.bmp"});
  EXPECT_EQ(Entries(), Strings{"C:\\new\\one.bmp"});
  EXPECT_EQ(f.Model().mark, 0);
  EXPECT_EQ(f.Model().current, 0);
  EXPECT_FALSE(f.run.building);
  EXPECT_EQ(f.picture.Content().Width(), 6);
  EXPECT_TRUE(f.impl().focused);  // brought to the front
  EXPECT_TRUE(Messages().empty());
}

TEST_F(DropsTest, ACtrlDropAddsAFolderTreeSortedInAndShowsTheFirstEntryOfTheList) {
  MainWindow& f = With({"C:\\a\\1.bmp", "C:\\z\\2.bmp"});
  f.Model().current = 1;
  f.Model().mark = 1;
  AddBmp("C:\\m\\x.bmp");
  AddBmp("C:\\m\\sub\\y.bmp");
  Fs().AddFile("C:\\m\\notes.txt", "");
  Drop({"C:\\m"}, kCtrl);
  EXPECT_EQ(Entries(), (Strings{"C:\\a\\1.bmp", "C:\\m\\sub\\y.bmp", "C:\\m\\x.bmp", "C:\\z\\2.bmp"}));
  EXPECT_EQ(f.Model().current, 0);
  EXPECT_EQ(Shown(), "C:\\a\\1.bmp");
  EXPECT_EQ(f.Model().mark, 1);  // adding leaves the mark alone
  EXPECT_TRUE(f.Model().showFullPath);
}

TEST_F(DropsTest, AnAltDropRemovesAFolderTreeAndLeavesItsNamesakesAlone) {
  MainWindow& f = With({"C:\\a\\1.bmp", "C:\\m\\x.bmp", "C:\\m\\sub\\y.bmp", "C:\\mm\\z.bmp"});
  f.Model().current = 3;
  Drop({"C:\\m"}, kAlt);
  EXPECT_EQ(Entries(), (Strings{"C:\\a\\1.bmp", "C:\\mm\\z.bmp"}));
  EXPECT_EQ(Shown(), "C:\\a\\1.bmp");
  EXPECT_FALSE(f.run.building);
}

TEST_F(DropsTest, AnAltDropOfAListFileRemovesTheEntriesItNamesAndAltWithCtrlRemovesToo) {
  MainWindow& f = WithNumbered(5);
  Fs().AddFile("C:\\l\\some.zeb", "C:\\P\\1.BMP\r\nC:\\p\\3.bmp\r\nC:\\p\\none.bmp\r\n");
  Drop({"C:\\l\\some.zeb"}, kAlt);
  EXPECT_EQ(Entries(), (Strings{"C:\\p\\0.bmp", "C:\\p\\2.bmp", "C:\\p\\4.bmp"}));
  Drop({"C:\\p\\2.bmp"}, kAlt | kCtrl);
  EXPECT_EQ(Entries(), (Strings{"C:\\p\\0.bmp", "C:\\p\\4.bmp"}));
  EXPECT_EQ(f.Model().current, 0);
}

TEST_F(DropsTest, ATextFileAloneInReplaceModeLeavesTheEmptyState) {
  MainWindow& f = WithNumbered(3);
  Fs().AddFile("C:\\notes.txt", "hello");
  Drop({"C:\\notes.txt"});
  EXPECT_TRUE(Entries().empty());
  EXPECT_EQ(Title(), "<empty>");
  EXPECT_FALSE(f.run.building);
  EXPECT_TRUE(Messages().empty());
}

TEST_F(DropsTest, OtherFilesAndVanishedPathsRemoveNothing) {
  MainWindow& f = WithNumbered(3);
  f.Model().list.Add("C:\\zgone\\g.bmp");  // no longer on disk: a drop of it cannot name it
  Fs().AddFile("C:\\p\\notes.txt", "");
  Drop({"C:\\p\\notes.txt", "C:\\zgone\\g.bmp", "C:\\nothere"}, kAlt);
  EXPECT_EQ(Entries(), (Strings{"C:\\p\\0.bmp", "C:\\p\\1.bmp", "C:\\p\\2.bmp", "C:\\zgone\\g.bmp"}));
}

TEST_F(DropsTest, TwoFoldersTurnFullPathsOnAndALaterPlainDropFromOneFolderTurnsThemOff) {
  MainWindow& f = WithNumbered(2);
  EXPECT_FALSE(f.Model().showFullPath);
  AddBmp("C:\\a\\x.bmp");
  AddBmp("C:\\b\\y.bmp");
  Drop({"C:\\a\\x.bmp", "C:\\b\\y.bmp"});
  EXPECT_TRUE(f.Model().showFullPath);
  EXPECT_EQ(f.Shown().name, "C:\\a\\x.bmp");
  Drop({"C:\\p\\0.bmp", "C:\\p\\1.bmp"});
  EXPECT_FALSE(f.Model().showFullPath);
  EXPECT_EQ(f.Shown().name, "0.bmp");
  // Adding from another folder turns them on again.
  Drop({"C:\\a\\x.bmp"}, kCtrl);
  EXPECT_TRUE(f.Model().showFullPath);
}

TEST_F(DropsTest, AnAltDropOfADriveRootRemovesItsTree) {
  With({"C:\\p\\0.bmp", "D:\\r.bmp", "D:\\sub\\s.bmp"});
  Drop({"D:\\"}, kAlt);
  EXPECT_EQ(Entries(), Strings{"C:\\p\\0.bmp"});
}

TEST_F(DropsTest, EscapeDuringALongDropStopsTheScanAndClosesTheProgramAfterTheDrop) {
  MainWindow& f = WithNumbered(2);
  f.pacing.pump = std::chrono::milliseconds(0);
  for (int i = 0; i < 20; ++i) AddBmp("C:\\big\\" + std::to_string(100 + i) + ".bmp");
  AddBmp("C:\\big\\sub\\s.bmp");
  AddBmp("C:\\single.bmp");
  int pumps = 0;
  bool closedDuringDrop = false;
  headless::OnProcessMessages() = [&] {
    closedDuringDrop = closedDuringDrop || f.impl().closed;
    if (++pumps == 3) headless::PostTask([&] { PressEscape(f); });
  };
  Drop({"C:\\big", "C:\\single.bmp"}, kCtrl);
  EXPECT_TRUE(f.run.abortRequested);
  EXPECT_FALSE(closedDuringDrop);  // Escape only asked the scan to stop
  EXPECT_TRUE(f.impl().closed);
  EXPECT_TRUE(ui::App().Terminated());
  EXPECT_FALSE(f.run.building);
  Strings entries = Entries();
  EXPECT_LT(entries.size(), 2u + 21u + 1u);
  EXPECT_EQ(entries.back(), "C:\\single.bmp");  // the loop still went on after the folder
}

TEST_F(DropsTest, AnUnreadableListFileShowsItsErrorAfterTheBuildHasEnded) {
  MainWindow& f = WithNumbered(2);
  AddBmp("C:\\a\\x.bmp");
  AddBmp("C:\\z\\late.bmp");
  Fs().AddFile("C:\\l\\locked.zeb", "C:\\a\\x.bmp\r\n");
  Fs().SetLocked("C:\\l\\locked.zeb", true);
  bool buildingAtMessage = true;
  std::string titleAtMessage;
  headless::Script().messageBox = [&](const std::string&, ui::MessageButtons) {
    buildingAtMessage = f.run.building;
    titleAtMessage = f.Caption();
    return ui::DialogResult::Ok;
  };
  f.Model().current = 1;
  Drop({"C:\\a\\x.bmp", "C:\\l\\locked.zeb", "C:\\z\\late.bmp"}, kCtrl);
  ASSERT_EQ(Messages().size(), 1u);
  EXPECT_NE(Messages()[0].find("locked.zeb"), std::string::npos) << Messages()[0];
  EXPECT_FALSE(buildingAtMessage);
  EXPECT_FALSE(f.run.building);
  // The error ended the loop; what came before it is in, tidied and shown.
  EXPECT_EQ(Entries(), (Strings{"C:\\a\\x.bmp", "C:\\p\\0.bmp", "C:\\p\\1.bmp"}));
  EXPECT_EQ(f.Model().current, 0);
  EXPECT_TRUE(f.Model().showFullPath);
  EXPECT_NE(titleAtMessage.find("x.bmp"), std::string::npos) << titleAtMessage;
  EXPECT_TRUE(f.impl().focused);
  // Building is over: Escape now closes the program at once.
  EXPECT_EQ(Press(ui::VK_ESCAPE_), ui::VK_ESCAPE_);
  EXPECT_TRUE(f.impl().closed);
}

TEST_F(DropsTest, ADropHandledDuringAnotherDropKeepsThatBuildRunning) {
  MainWindow& f = WithNumbered(1);
  f.pacing.pump = std::chrono::milliseconds(0);
  for (int i = 0; i < 10; ++i) AddBmp("C:\\big\\" + std::to_string(10 + i) + ".bmp");
  AddBmp("C:\\extra.bmp");
  int pumps = 0;
  bool buildingAfterInner = false;
  headless::OnProcessMessages() = [&] {
    ++pumps;
    if (pumps == 2) {
      f.OnDropFiles({"C:\\extra.bmp"}, ui::kCtrl);
      buildingAfterInner = f.run.building;
    }
    if (pumps == 4) PressEscape(f);
  };
  Drop({"C:\\big"}, kCtrl);
  EXPECT_TRUE(buildingAfterInner);
  // Escape stopped the outer scan instead of closing the window in the middle of it.
  EXPECT_TRUE(f.run.abortRequested);
  EXPECT_LT(Entries().size(), 12u);
  EXPECT_FALSE(f.run.building);
  EXPECT_TRUE(f.impl().closed);
}

}  // namespace
}  // namespace zeb::app
