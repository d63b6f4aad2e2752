// The List window: V shows and hides it at the docking spot, it snaps to the spot and follows the main
// window while docked, its keys go to the main window and a click shows the entry clicked.
#include <gtest/gtest.h>

#include "tests/app/command_fixture.h"

namespace zeb::app {
namespace {

using testing_support::CommandTest;

class ListWindowTest : public CommandTest {
 protected:
  // The point the List window docks to: the main window's top-right corner.
  int32_t SpotLeft() { return form->Left() + form->Width(); }
  int32_t SpotTop() { return form->Top(); }
  void MoveListTo(int32_t left, int32_t top) { list->SetBounds(left, top, list->Width(), list->Height()); }
  // A key pressed while the list box has the focus, as the window layer hands it on; returns the key as
  // the handler left it.
  uint16_t PressInList(uint16_t key, ui::ModifierKeys shift = 0) {
    ui::App().Guard([&] { list->entryList.OnKeyDown(key, shift); });
    return key;
  }
};

TEST_F(ListWindowTest, VShowsItAtTheDockingSpotWithTheShownEntrySelectedAndHidesIt) {
  MainWindow& f = WithNumbered(3);
  Press('N');
  ASSERT_EQ(f.Model().current, 1);
  // While hidden it does not follow the main window's moves, so it is elsewhere now.
  Press(ui::VK_DOWN_);
  ASSERT_FALSE(list->Visible());
  ASSERT_NE(list->Top(), SpotTop());

  Press('V');
  EXPECT_TRUE(list->Visible());
  EXPECT_EQ(list->Left(), SpotLeft());
  EXPECT_EQ(list->Top(), SpotTop());
  EXPECT_EQ(list->Width(), 300);
  EXPECT_EQ(list->Height(), 400);
  EXPECT_TRUE(list->docked);
  EXPECT_EQ(list->entryList.Count(), 3);
  EXPECT_EQ(list->entryList.ItemIndex(), 1);
  EXPECT_EQ(list->Caption(), "List");

  Press('V');
  EXPECT_FALSE(list->Visible());
  // Showing it again selects the entry shown now, not the one selected before.
  Press('A');
  Press('V');
  EXPECT_TRUE(list->Visible());
  EXPECT_EQ(list->entryList.ItemIndex(), 0);
}

TEST_F(ListWindowTest, AnUndockedWindowIsShownWhereItWas) {
  WithNumbered(2);
  Press('V');
  MoveListTo(20, 30);
  ASSERT_FALSE(list->docked);
  Press('V');
  Press('V');
  EXPECT_TRUE(list->Visible());
  EXPECT_EQ(list->Left(), 20);
  EXPECT_EQ(list->Top(), 30);
}

TEST_F(ListWindowTest, MovedWithinNinePixelsOfTheSpotItSnapsAndDocks) {
  WithNumbered(2);
  Press('V');
  MoveListTo(SpotLeft() + 9, SpotTop() + 9);
  EXPECT_EQ(list->Left(), SpotLeft());
  EXPECT_EQ(list->Top(), SpotTop());
  EXPECT_TRUE(list->docked);

  MoveListTo(SpotLeft() - 9, SpotTop() - 9);
  EXPECT_EQ(list->Left(), SpotLeft());
  EXPECT_EQ(list->Top(), SpotTop());
  EXPECT_TRUE(list->docked);
}

TEST_F(ListWindowTest, TenPixelsAwayInEitherDirectionLeavesItUndockedWhereItIs) {
  WithNumbered(2);
  Press('V');
  struct Offset {
    int32_t dx, dy;
  };
  for (Offset o : {Offset{10, 0}, Offset{0, 10}, Offset{-10, 0}, Offset{0, -10}, Offset{10, 9}}) {
    MoveListTo(SpotLeft(), SpotTop());
    ASSERT_TRUE(list->docked);
    const int32_t left = SpotLeft() + o.dx, top = SpotTop() + o.dy;
    MoveListTo(left, top);
    EXPECT_EQ(list->Left(), left) << o.dx << "," << o.dy;
    EXPECT_EQ(list->Top(), top) << o.dx << "," << o.dy;
    EXPECT_FALSE(list->docked) << o.dx << "," << o.dy;
  }
}

TEST_F(ListWindowTest, WithoutAMainWindowAMoveChangesNothing) {
  ASSERT_EQ(form, nullptr);
  ASSERT_TRUE(list->docked);
  MoveListTo(700, 500);
  EXPECT_TRUE(list->docked);
  EXPECT_EQ(list->Left(), 700);
}

TEST_F(ListWindowTest, ADockedWindowFollowsMovesAndResizesAnUndockedOneStays) {
  MainWindow& f = With({"C:\\p\\a.bmp", "C:\\p\\b.bmp", "C:\\p\\c.bmp"});
  AddBmp("C:\\p\\b.bmp", 300, 200);
  AddBmp("C:\\p\\c.bmp", 120, 90);
  Press('V');

  // Docked: the main window moves, and it resizes for a new picture.
  Press(ui::VK_RIGHT_);
  EXPECT_EQ(list->Left(), SpotLeft());
  EXPECT_EQ(list->Top(), SpotTop());
  const int32_t narrowSpot = SpotLeft();
  Press('N');
  ASSERT_EQ(f.Model().current, 1);
  ASSERT_NE(SpotLeft(), narrowSpot);
  EXPECT_EQ(list->Left(), SpotLeft());
  EXPECT_EQ(list->Top(), SpotTop());
  EXPECT_TRUE(list->docked);

  // A docked hidden window follows a resize (not a move), so V finds it in place.
  Press('V');
  Press('N');
  EXPECT_EQ(list->Left(), SpotLeft());
  EXPECT_EQ(list->Top(), SpotTop());
  Press('V');

  // Undocked: it stays where it was left through moves and resizes.
  MoveListTo(15, 25);
  ASSERT_FALSE(list->docked);
  Press(ui::VK_DOWN_);
  Press('P');
  ASSERT_EQ(f.Model().current, 1);
  EXPECT_EQ(list->Left(), 15);
  EXPECT_EQ(list->Top(), 25);
  EXPECT_FALSE(list->docked);
}

TEST_F(ListWindowTest, KeysInTheListGoToTheMainWindowWhichGetsTheFocus) {
  MainWindow& f = WithNumbered(3);
  Press('V');
  f.impl().focused = false;

  EXPECT_EQ(PressInList('N'), 0);
  EXPECT_EQ(f.Model().current, 1);
  EXPECT_EQ(Shown(), "C:\\p\\1.bmp");
  EXPECT_EQ(list->entryList.ItemIndex(), 1);
  EXPECT_TRUE(f.impl().focused);

  // Down moves the main window (and the docked list with it); the selection stays.
  const int32_t top = f.Top();
  EXPECT_EQ(PressInList(ui::VK_DOWN_), 0);
  EXPECT_EQ(f.Top(), top + 20);
  EXPECT_EQ(list->entryList.ItemIndex(), 1);
  EXPECT_EQ(f.Model().current, 1);
  EXPECT_EQ(list->Top(), f.Top());

  // Modifiers go along: Shift+Down is the long step.
  EXPECT_EQ(PressInList(ui::VK_DOWN_, kShift), 0);
  EXPECT_EQ(f.Top(), top + 70);

  // V in the list hides it.
  EXPECT_EQ(PressInList('V'), 0);
  EXPECT_FALSE(list->Visible());
}

TEST_F(ListWindowTest, AClickShowsTheEntryClicked) {
  MainWindow& f = WithNumbered(3);
  Press('V');
  list->entryList.SetItemIndex(2);
  list->entryList.OnClick();
  EXPECT_EQ(f.Model().current, 2);
  EXPECT_EQ(f.Shown().name, "2.bmp");
  EXPECT_NE(Title().find("(3/3) 2.bmp"), std::string::npos) << Title();
  EXPECT_EQ(list->entryList.ItemIndex(), 2);

  // No entry selected: nothing happens.
  list->entryList.SetItemIndex(-1);
  list->entryList.OnClick();
  EXPECT_EQ(f.Model().current, 2);
}

TEST_F(ListWindowTest, AClickOnAnUnreadableEntryDropsItAndShowsTheNext) {
  MainWindow& f = WithNumbered(3);
  Press('V');
  Fs().DeleteFile("C:\\p\\1.bmp");
  list->entryList.SetItemIndex(1);
  list->entryList.OnClick();
  EXPECT_EQ(list->entryList.Count(), 2);
  EXPECT_EQ(f.Model().current, 1);
  EXPECT_EQ(Shown(), "C:\\p\\2.bmp");
  EXPECT_EQ(list->entryList.ItemIndex(), 1);
}

TEST_F(ListWindowTest, WithAnEmptyListVDoesNothingAndTheCloseButtonHides) {
  Make();
  ASSERT_TRUE(model->list.Empty());
  Press('V');
  EXPECT_FALSE(list->Visible());

  // Visible with a list that became empty: V still does nothing; closing hides it.
  list->Show();
  Press('V');
  EXPECT_TRUE(list->Visible());
  list->Close();
  EXPECT_FALSE(list->Visible());
  EXPECT_FALSE(ui::App().Terminated());
}

}  // namespace
}  // namespace zeb::app
