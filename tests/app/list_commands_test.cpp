// Ctrl+S and Ctrl+L: saving the list to a list file and opening one in its place.
#include <gtest/gtest.h>

#include "tests/app/command_fixture.h"

namespace zeb::app {
namespace {

using testing_support::CommandTest;
using Strings = std::vector<std::string>;

class ListCommandsTest : public CommandTest {
 protected:
  // The file dialogs answer Name (empty: Cancel); each question is recorded.
  void Choose(const std::string& name) {
    headless::Script().fileDialog = [this, name](bool save, const ui::OpenFileDialog& dialog) {
      asked.push_back(save ? "save" : "open");
      EXPECT_EQ(dialog.Filter, "ImageList(*.zeb)|*.zeb");
      EXPECT_EQ(dialog.DefaultExt, "zeb");
      return name;
    };
  }
  // The overwrite question's answer (error messages are only acknowledged).
  void Overwrite(ui::DialogResult answer) {
    headless::Script().messageBox = [answer](const std::string&, ui::MessageButtons buttons) {
      return buttons == ui::MessageButtons::YesNo ? answer : ui::DialogResult::Ok;
    };
  }
  Strings asked;
};

TEST_F(ListCommandsTest, SavedAndOpenedAgainGivesTheSameList) {
  MainWindow& f = WithNumbered(3);
  Fs().AddFolder("C:\\lists");
  Choose("C:\\lists\\mine.zeb");
  EXPECT_EQ(Press('S', kCtrl), 0);
  EXPECT_EQ(Fs().Contents("C:\\lists\\mine.zeb"), "C:\\p\\0.bmp\r\nC:\\p\\1.bmp\r\nC:\\p\\2.bmp\r\n");
  EXPECT_TRUE(Messages().empty());
  EXPECT_FALSE(Fs().FileExists("C:\\lists\\mine.zeb.~zeb"));

  Press('E');
  Press('M');
  f.Model().list.Add("C:\\p\\extra.bmp");
  EXPECT_EQ(Press('L', kCtrl), 0);
  EXPECT_EQ(asked, (Strings{"save", "open"}));
  EXPECT_EQ(Entries(), (Strings{"C:\\p\\0.bmp", "C:\\p\\1.bmp", "C:\\p\\2.bmp"}));
  EXPECT_EQ(f.Model().current, 0);
  EXPECT_EQ(f.Model().mark, 0);
  EXPECT_EQ(Title(), "[F] (1/3) 0.bmp 4x3 100%");
}

TEST_F(ListCommandsTest, ANameWithoutExtensionGetsRst) {
  WithNumbered(1);
  Choose("C:\\p\\mine");
  Press('S', kCtrl);
  EXPECT_EQ(Fs().Contents("C:\\p\\mine.rst"), "C:\\p\\0.bmp\r\n");
  EXPECT_FALSE(Fs().FileExists("C:\\p\\mine"));
  // A dot in a folder's name is no extension.
  Fs().AddFolder("C:\\my.lists");
  Choose("C:\\my.lists\\mine");
  Press('S', kCtrl);
  EXPECT_TRUE(Fs().FileExists("C:\\my.lists\\mine.rst"));
}

TEST_F(ListCommandsTest, AnEmptyListGivesAnEmptyFileThatOpensToTheEmptyState) {
  MainWindow& f = Make();
  Fs().AddFolder("C:\\lists");
  Choose("C:\\lists\\empty.zeb");
  f.Run(Command::SaveList);
  EXPECT_TRUE(Fs().FileExists("C:\\lists\\empty.zeb"));
  EXPECT_EQ(Fs().Contents("C:\\lists\\empty.zeb"), "");

  WithNumbered(2);
  Choose("C:\\lists\\empty.zeb");
  Press('L', kCtrl);
  EXPECT_TRUE(form->Model().list.Empty());
  EXPECT_EQ(Title(), "<empty>");
}

TEST_F(ListCommandsTest, OverwritingAsksFirstAndNoKeepsTheFile) {
  WithNumbered(2);
  Fs().AddFile("C:\\old.zeb", "C:\\x.bmp\r\n");
  Choose("C:\\old.zeb");
  Overwrite(ui::DialogResult::No);
  Press('S', kCtrl);
  EXPECT_EQ(Messages(), Strings{"C:\\old.zebはすでに存在します。\r\n上書きしてもよろしいですか？"});
  EXPECT_EQ(Fs().Contents("C:\\old.zeb"), "C:\\x.bmp\r\n");
  Overwrite(ui::DialogResult::Yes);
  Press('S', kCtrl);
  EXPECT_EQ(Fs().Contents("C:\\old.zeb"), "C:\\p\\0.bmp\r\nC:\\p\\1.bmp\r\n");
  // The question names the file as it will be written.
  Fs().AddFile("C:\\old.rst", "");
  Choose("C:\\old");
  Messages().clear();
  Press('S', kCtrl);
  EXPECT_EQ(Messages(), Strings{"C:\\old.rstはすでに存在します。\r\n上書きしてもよろしいですか？"});
}

TEST_F(ListCommandsTest, AFailedSaveKeepsTheOldListAndIsReported) {
  WithNumbered(2);
  Fs().AddFile("C:\\kept.zeb", "C:\\x.bmp\r\n", kAttrReadOnly);
  Choose("C:\\kept.zeb");
  Overwrite(ui::DialogResult::Yes);
  Press('S', kCtrl);
  EXPECT_EQ(Fs().Contents("C:\\kept.zeb"), "C:\\x.bmp\r\n");
  EXPECT_FALSE(Fs().FileExists("C:\\kept.zeb.~zeb"));
  ASSERT_EQ(Messages().size(), 2u);  // the question, then the error
  EXPECT_NE(Messages()[1].find("C:\\kept.zeb"), std::string::npos);
  // A folder that does not exist.
  Choose("C:\\nowhere\\l.zeb");
  Press('S', kCtrl);
  EXPECT_EQ(Messages().size(), 3u);
  EXPECT_FALSE(Fs().FileExists("C:\\nowhere\\l.zeb"));
}

TEST_F(ListCommandsTest, CancelledSaveWritesNothing) {
  WithNumbered(1);
  Choose("");
  Press('S', kCtrl);
  EXPECT_EQ(asked, Strings{"save"});
  EXPECT_TRUE(Messages().empty());
}

TEST_F(ListCommandsTest, OpeningTakesEveryLineAsItStands) {
  MainWindow& f = WithNumbered(2);
  AddBmp("C:\\cwd\\rel.bmp");
  Fs().SetCurrentDirectory("C:\\cwd\\");
  Fs().AddFile("C:\\hand.zeb", "C:\\p\\1.bmp\n\nrel.bmp\nC:\\p\\notes.txt\nC:\\p\\other.zeb\nC:\\p\\1.bmp\n");
  Choose("C:\\hand.zeb");
  Press('L', kCtrl);
  // Sorted, adjacent duplicates gone; what is no picture leaves only when it is reached: the blank line
  // sorted first and has gone already.
  EXPECT_EQ(Entries(), (Strings{"C:\\p\\1.bmp", "C:\\p\\notes.txt", "C:\\p\\other.zeb", "rel.bmp"}));
  EXPECT_EQ(f.Model().current, 0);
  EXPECT_EQ(Shown(), "C:\\p\\1.bmp");
  // The next two lines are no pictures: they leave, and the relative path loads.
  Press('N');
  EXPECT_EQ(Shown(), "rel.bmp");
  EXPECT_EQ(Entries(), (Strings{"C:\\p\\1.bmp", "rel.bmp"}));
}

TEST_F(ListCommandsTest, CancelOrAMissingNameStillResetsTheMarkAndShowsAgain) {
  MainWindow& f = WithNumbered(3);
  Press('E');
  Press('M');
  Choose("");
  Press('L', kCtrl);
  EXPECT_EQ(f.Model().mark, 0);
  EXPECT_EQ(f.Model().current, 2);
  EXPECT_EQ(f.Model().list.Count(), 3);
  f.Model().mark = 2;
  Fs().DeleteFile("C:\\p\\2.bmp");
  Choose("C:\\missing.zeb");
  Press('L', kCtrl);
  EXPECT_EQ(f.Model().mark, 0);
  EXPECT_EQ(f.Model().list.Count(), 2);  // shown again: the vanished file left
  EXPECT_TRUE(Messages().empty());
}

TEST_F(ListCommandsTest, AListFileThatCannotBeReadChangesNothing) {
  MainWindow& f = WithNumbered(3);
  Press('N');
  Press('M');
  Fs().AddFile("C:\\locked.zeb", "C:\\x.bmp\r\n");
  Fs().SetLocked("C:\\locked.zeb", true);
  Choose("C:\\locked.zeb");
  Press('L', kCtrl);
  EXPECT_EQ(Messages().size(), 1u);
  EXPECT_EQ(f.Model().list.Count(), 3);
  EXPECT_EQ(f.Model().current, 1);
  EXPECT_EQ(f.Model().mark, 1);
}

TEST_F(ListCommandsTest, OpeningDoesNotTurnFullPathsOff) {
  MainWindow& f = With({"C:\\a\\1.bmp", "C:\\b\\1.bmp"});
  ASSERT_TRUE(f.Model().showFullPath);
  Fs().AddFile("C:\\one.zeb", "C:\\a\\1.bmp\r\n");
  Choose("C:\\one.zeb");
  Press('L', kCtrl);
  EXPECT_TRUE(f.Model().showFullPath);
  EXPECT_EQ(Title(), "[F] (1/1) C:\\a\\1.bmp 4x3 100%");
}

}  // namespace
}  // namespace zeb::app
