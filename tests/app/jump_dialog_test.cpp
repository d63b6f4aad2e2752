// The Jump dialog: its layout, the preset of each caption, the characters it lets through, and the
// fixed box questions that use it.
#include <gtest/gtest.h>

#include "tests/app/command_fixture.h"

namespace zeb::app {
namespace {

using testing_support::CommandTest;
using Strings = std::vector<std::string>;

class JumpDialogTest : public CommandTest {
 protected:
  // Types each character as the user would.
  void Type(const std::u32string& chars) {
    for (char32_t c : chars) ui::TypeChar(jump->numberEdit, c);
  }
};

TEST_F(JumpDialogTest, ASmallHiddenDialogWithOneEditBox) {
  JumpDialog dialog;
  EXPECT_EQ(dialog.Caption(), "Jump");
  EXPECT_EQ(dialog.impl().style, ui::BorderStyle::Dialog);
  EXPECT_EQ(dialog.ClientWidth(), 115);
  EXPECT_EQ(dialog.ClientHeight(), 39);
  EXPECT_FALSE(dialog.Visible());
  EXPECT_EQ(dialog.numberEdit.Text(), "0");
  ASSERT_EQ(dialog.impl().edits.size(), 1u);
}

TEST_F(JumpDialogTest, EachCaptionPresetsItsValueAllSelected) {
  MainWindow& f = WithNumbered(6);
  f.Model().current = 4;
  f.Run(Command::Reload);
  f.slideTimer.SetInterval(1234);
  f.Model().modes.box.fixedWidth = true;
  f.Model().modes.box.width = 1000;
  AddBmp("C:\\p\\wide.bmp", 4000, 30);
  f.Model().list.Add("C:\\p\\wide.bmp");
  f.Model().current = 6;
  f.Run(Command::Reload);
  ASSERT_EQ(f.Shown().name, "wide.bmp");
  ASSERT_EQ(f.Shown().zoom, 0.25);

  // Each question shows its caption and its current value, all selected, in the focused edit box.
  struct Shown {
    std::string caption, text;
    int32_t selStart, selLength;
    bool focused;
  };
  std::vector<Shown> shown;
  headless::Script().showModal = [&](ui::Window& dialog) {
    const ui::EditBox& edit = jump->numberEdit;
    shown.push_back({dialog.Caption(), edit.Text(), edit.SelStart(), edit.SelLength(), edit.impl().focused});
    return ui::DialogResult::Cancel;
  };
  const std::tuple<uint16_t, const char*, const char*> cases[] = {
      {'J', "Jump", "7"}, {'I', "Interval", "1234"}, {'W', "Width", "1000"}, {'H', "Height", "7"}};
  for (const auto& [key, caption, preset] : cases) {
    jump->numberEdit.SetText("old");
    jump->numberEdit.impl().focused = false;
    Press(key);
    ASSERT_FALSE(shown.empty());
    EXPECT_EQ(shown.back().caption, caption);
    EXPECT_EQ(shown.back().text, preset) << caption;
    EXPECT_EQ(shown.back().selStart, 0);
    EXPECT_EQ(shown.back().selLength, static_cast<int32_t>(std::string(preset).size()));
    EXPECT_TRUE(shown.back().focused);
  }
  EXPECT_EQ(shown.size(), 4u);
}

TEST_F(JumpDialogTest, OnlyDigitsPointAndBackspaceAreTyped) {
  jump->numberEdit.SetText("");
  Type(U"1a-2 +.x3\x16\t€9");
  EXPECT_EQ(jump->numberEdit.Text(), "12.39");
  Type(U"\b\b");
  EXPECT_EQ(jump->numberEdit.Text(), "12.");
  EXPECT_EQ(jump->ModalResult(), ui::DialogResult::None);
}

TEST_F(JumpDialogTest, EnterIsOkAndEscapeIsCancelAndNeitherIsTyped) {
  for (const auto& [key, result] :
       {std::pair{U'\r', ui::DialogResult::Ok}, {U'\x1b', ui::DialogResult::Cancel}}) {
    jump->SetModalResult(ui::DialogResult::None);
    jump->numberEdit.SetText("5");
    char32_t k = key;
    jump->OnEditKeyPress(k);
    EXPECT_EQ(static_cast<uint32_t>(k), 0u);
    EXPECT_EQ(jump->ModalResult(), result);
    EXPECT_EQ(jump->numberEdit.Text(), "5");
  }
}

TEST_F(JumpDialogTest, ShownModallyTypingReplacesThePreset) {
  MainWindow& f = WithNumbered(6);
  f.Model().current = 4;
  f.Run(Command::Reload);
  Answer("12\r");
  std::string answer;
  EXPECT_TRUE(jump->Ask(NumberQuestion::Jump, "5", answer));
  EXPECT_EQ(shownTexts, Strings{"5"});
  EXPECT_EQ(answer, "12");
  EXPECT_FALSE(jump->Visible());
  // The close button cancels.
  Answer("3");
  EXPECT_FALSE(jump->Ask(NumberQuestion::Jump, "5", answer));
  EXPECT_EQ(answer, "12");
}

TEST_F(JumpDialogTest, BoxWidthZeroTurnsTheFixedWidthOffAndKeepsTheSize) {
  MainWindow& f = WithNumbered(1);
  f.Model().modes.box.fixedWidth = true;
  f.Model().modes.box.width = 300;
  f.Run(Command::Refit);
  Answer("0\r");
  Press('W');
  EXPECT_EQ(shownTexts, Strings{"4"});  // the displayed picture's width
  EXPECT_FALSE(f.Model().modes.box.fixedWidth);
  EXPECT_EQ(f.Model().modes.box.width, 300);
  EXPECT_EQ(f.ClientWidth(), 4);
}

TEST_F(JumpDialogTest, BoxWidthThatIsNoNumberFixesTheOldSize) {
  MainWindow& f = WithNumbered(1);
  for (const char* typed : {"\b\r", "2.5\r"}) {
    f.Model().modes.box.fixedWidth = false;
    Answer(typed);
    Press('W');
    EXPECT_TRUE(f.Model().modes.box.fixedWidth) << typed;
    EXPECT_EQ(f.Model().modes.box.width, 640);
    EXPECT_EQ(f.ClientWidth(), 640);
  }
}

TEST_F(JumpDialogTest, BoxHeightFixesTheNumberTypedAndCancelChangesNothing) {
  MainWindow& f = WithNumbered(1);
  Answer("200\r");
  Press('H');
  EXPECT_EQ(shownCaptions, Strings{"Height"});
  EXPECT_TRUE(f.Model().modes.box.fixedHeight);
  EXPECT_FALSE(f.Model().modes.box.fixedWidth);
  EXPECT_EQ(f.Model().modes.box.height, 200);
  EXPECT_EQ(f.ClientHeight(), 200);
  Answer("0\x1b");
  Press('H');
  EXPECT_TRUE(f.Model().modes.box.fixedHeight);
  EXPECT_EQ(f.Model().modes.box.height, 200);
  // A box larger than the work area is lowered to it.
  Answer("9000\r");
  Press('H');
  EXPECT_EQ(f.Model().modes.box.height, 738 - 25);
}

}  // namespace
}  // namespace zeb::app
