// What the viewer asks of the window layer for its windows' looks: the dialogs' font, and a main
// window that may be as narrow as its picture.
#include "tests/app/app_fixture.h"

namespace zeb::app {
namespace {

using testing_support::AppTest;
using WindowLooksTest = AppTest;

TEST_F(WindowLooksTest, TheDialogsHaveTheirFontAndTheMainWindowAnySize) {
  MainWindow& f = Make();
  for (ui::Window* dialog : {static_cast<ui::Window*>(jump.get()), static_cast<ui::Window*>(list.get())}) {
    // The system's message font, whatever the system's language.
    EXPECT_EQ(dialog->Font().name, ui::SystemMessageFont(ui::kStandardDpi).name) << dialog->Caption();
    EXPECT_EQ(dialog->Font().height, ui::SystemMessageFont(ui::kStandardDpi).height);
    EXPECT_FALSE(dialog->AnySize());
  }
  EXPECT_TRUE(f.AnySize());
  EXPECT_TRUE(f.Font().name.empty());
}

// On a screen scaled to 150% the dialogs are made 1.5 times as large, with the font for that screen;
// moved to a screen of 100% they take that screen's font.
TEST_F(WindowLooksTest, TheDialogsFollowTheScreensScaling) {
  headless::Desktop().dpi = 144;
  Make();
  EXPECT_EQ(jump->ClientWidth(), ui::ScaleToDpi(115, 144));
  EXPECT_EQ(list->Width(), ui::ScaleToDpi(300, 144));
  for (ui::Window* dialog : {static_cast<ui::Window*>(jump.get()), static_cast<ui::Window*>(list.get())}) {
    EXPECT_EQ(dialog->Font().height, ui::SystemMessageFont(144).height) << dialog->Caption();
    headless::MoveToScreenOfDpi(*dialog, ui::kStandardDpi);
    EXPECT_EQ(dialog->Font().height, ui::SystemMessageFont(ui::kStandardDpi).height) << dialog->Caption();
  }
  EXPECT_LT(ui::SystemMessageFont(ui::kStandardDpi).height, ui::SystemMessageFont(144).height);
}

// Moved to a screen of other scaling, the main window keeps the picture's zoom (a 100% picture stays
// one screen pixel per picture pixel) and stays where the system put it.
TEST_F(WindowLooksTest, TheMainWindowKeepsItsZoomAndPlaceOnAnotherScreen) {
  RegisterFake();
  AddFake("C:\\p\\pic.fak", 300, 200);
  MainWindow& f = Make({"C:\\p\\pic.fak"});
  f.SetBounds(900, 600, f.Width(), f.Height());  // partly on a screen right of and below this one
  headless::MoveToScreenOfDpi(f, 192);
  EXPECT_EQ(f.Shown().zoom, 1.0);
  EXPECT_EQ(f.ClientWidth(), 300);
  EXPECT_EQ(f.ClientHeight(), 200);
  EXPECT_EQ(f.Left(), 900);
  EXPECT_EQ(f.Top(), 600);
}

}  // namespace
}  // namespace zeb::app
