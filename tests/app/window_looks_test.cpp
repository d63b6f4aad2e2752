// What the viewer asks of the window layer for its windows' looks: the dialogs' font, and a main
// window that may be as narrow as its picture.
#include "tests/app/app_fixture.h"

namespace zeb::app {
namespace {

using testing_support::AppTest;
using WindowLooksTest = AppTest;

TEST_F(WindowLooksTest, TheDialogsHaveTheirFontAndTheMainWindowAnySize) {
  MainWindow& f = Make();
  for (ui::TForm* dialog : {static_cast<ui::TForm*>(jump.get()), static_cast<ui::TForm*>(list.get())}) {
    // The system's message font, whatever the system's language.
    EXPECT_EQ(dialog->Font().name, ui::SystemMessageFont().name) << dialog->Caption();
    EXPECT_EQ(dialog->Font().height, ui::SystemMessageFont().height);
    EXPECT_FALSE(dialog->AnySize());
  }
  EXPECT_TRUE(f.AnySize());
  EXPECT_TRUE(f.Font().name.empty());
}

}  // namespace
}  // namespace zeb::app
