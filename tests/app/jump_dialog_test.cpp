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
    for (char32_t c : chars) ui::TypeChar(jump->Edit1, c);
  }
};

TEST_F(JumpDialogTest, ASmallHiddenDialogWithOneEditBox) {
  TForm2 dialog;
  EXPECT_EQ(dialog.Caption(), "Jump");
  EXPECT_EQ(dialog.impl().style, ui::TBorderStyle::bsDialog);
  EXPECT_EQ(dialog.ClientWidth(), 115);
  EXPECT_EQ(dialog.ClientHeight(), 39);
  EXPECT_FALSE(dialog.Visible());
  EXPECT_EQ(dialog.Edit1.Text(), "0");
  ASSERT_EQ(dialog.impl().edits.size(), 1u);
}

TEST_F(JumpDialogTest, EachCaptionPresetsItsValueAllSelected) {
  TForm1& f = WithNumbered(6);
  f.CurrentIndex = 4;
  f.LoadFromFile();
  f.Timer1.SetInterval(1234);
  f.FixedWidth = true;
  f.BoxWidth = 1000;
  AddBmp("C:\\p\\wide.bmp", 4000, 30);
  f.List().Add("C:\\p\\wide.bmp");
  f.CurrentIndex = 6;
  f.LoadFromFile();
  ASSERT_EQ(f.CurrentName, "wide.bmp");
  ASSERT_EQ(f.ZoomRatio, 0.25);

  const std::pair<const char*, const char*> cases[] = {
      {"Jump", "7"}, {"Interval", "1234"}, {"Width", "1000"}, {"Height", "7"}};
  for (const auto& [caption, preset] : cases) {
    jump->Edit1.SetText("old");
    jump->SetCaption(caption);
    jump->FormShow();
    EXPECT_EQ(jump->Edit1.Text(), preset) << caption;
    EXPECT_EQ(jump->Edit1.SelStart(), 0);
    EXPECT_EQ(jump->Edit1.SelLength(), static_cast<int32_t>(std::string(preset).size()));
    EXPECT_TRUE(jump->Edit1.impl().focused);
  }
  // The captions compare exactly; any other keeps the text of the last use, all selected.
  for (const char* other : {"jump", "Other", ""}) {
    jump->SetCaption(other);
    jump->Edit1.SetText("42");
    jump->FormShow();
    EXPECT_EQ(jump->Edit1.Text(), "42") << other;
    EXPECT_EQ(jump->Edit1.SelLength(), 2);
  }
}

TEST_F(JumpDialogTest, OnlyDigitsPointAndBackspaceAreTyped) {
  jump->Edit1.SetText("");
  Type(U"1a-2 +.x3\x16\t€9");
  EXPECT_EQ(jump->Edit1.Text(), "12.39");
  Type(U"\b\b");
  EXPECT_EQ(jump->Edit1.Text(), "12.");
  EXPECT_EQ(jump->ModalResult(), ui::TModalResult::mrNone);
}

TEST_F(JumpDialogTest, EnterIsOkAndEscapeIsCancelAndNeitherIsTyped) {
  for (const auto& [key, result] :
       {std::pair{U'\r', ui::TModalResult::mrOk}, {U'\x1b', ui::TModalResult::mrCancel}}) {
    jump->SetModalResult(ui::TModalResult::mrNone);
    jump->Edit1.SetText("5");
    char32_t k = key;
    jump->Edit1KeyPress(k);
    EXPECT_EQ(static_cast<uint32_t>(k), 0u);
    EXPECT_EQ(jump->ModalResult(), result);
    EXPECT_EQ(jump->Edit1.Text(), "5");
  }
}

TEST_F(JumpDialogTest, ShownModallyTypingReplacesThePreset) {
  TForm1& f = WithNumbered(6);
  f.CurrentIndex = 4;
  f.LoadFromFile();
  Answer("12\r");
  jump->SetCaption("Jump");
  EXPECT_EQ(jump->ShowModal(), ui::TModalResult::mrOk);
  EXPECT_EQ(shownTexts, Strings{"5"});
  EXPECT_EQ(jump->Edit1.Text(), "12");
  EXPECT_FALSE(jump->Visible());
  // The close button cancels.
  Answer("3");
  EXPECT_EQ(jump->ShowModal(), ui::TModalResult::mrCancel);
}

TEST_F(JumpDialogTest, BoxWidthZeroTurnsTheFixedWidthOffAndKeepsTheSize) {
  TForm1& f = WithNumbered(1);
  f.FixedWidth = true;
  f.BoxWidth = 300;
  f.AdjustFormSize();
  Answer("0\r");
  Press('W');
  EXPECT_EQ(shownTexts, Strings{"4"});  // the displayed picture's width
  EXPECT_FALSE(f.FixedWidth);
  EXPECT_EQ(f.BoxWidth, 300);
  EXPECT_EQ(f.ClientWidth(), 4);
}

TEST_F(JumpDialogTest, BoxWidthThatIsNoNumberFixesTheOldSize) {
  TForm1& f = WithNumbered(1);
  for (const char* typed : {"\b\r", "2.5\r"}) {
    f.FixedWidth = false;
    Answer(typed);
    Press('W');
    EXPECT_TRUE(f.FixedWidth) << typed;
    EXPECT_EQ(f.BoxWidth, 640);
    EXPECT_EQ(f.ClientWidth(), 640);
  }
}

TEST_F(JumpDialogTest, BoxHeightFixesTheNumberTypedAndCancelChangesNothing) {
  TForm1& f = WithNumbered(1);
  Answer("200\r");
  Press('H');
  EXPECT_EQ(shownCaptions, Strings{"Height"});
  EXPECT_TRUE(f.FixedHeight);
  EXPECT_FALSE(f.FixedWidth);
  EXPECT_EQ(f.BoxHeight, 200);
  EXPECT_EQ(f.ClientHeight(), 200);
  Answer("0\x1b");
  Press('H');
  EXPECT_TRUE(f.FixedHeight);
  EXPECT_EQ(f.BoxHeight, 200);
  // A box larger than the work area is lowered to it.
  Answer("9000\r");
  Press('H');
  EXPECT_EQ(f.BoxHeight, 738 - 25);
}

}  // namespace
}  // namespace zeb::app
