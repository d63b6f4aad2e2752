// The key help: F1 shows it, Escape or F1 in it closes it, and neither touches the list or the title.
#include <gtest/gtest.h>

#include "app/dialogs/help_window.h"
#include "tests/app/command_fixture.h"

namespace zeb::app {
namespace {

using testing_support::CommandTest;

TEST_F(CommandTest, F1ShowsTheKeyHelpAndEscapeOrF1InItClosesIt) {
  MainWindow& f = WithNumbered(3);
  Press('N');
  const std::string title = Title();
  for (uint16_t closer : {ui::VK_ESCAPE_, ui::VK_F1_}) {
    EXPECT_EQ(Press(ui::VK_F1_), 0);
    ASSERT_NE(f.Help(), nullptr);
    EXPECT_TRUE(f.Help()->Visible());
    EXPECT_EQ(f.Help()->Caption(), "ZEB keys");
    EXPECT_EQ(f.Help()->lines.Count(), static_cast<int32_t>(HelpLines().size()));
    uint16_t key = closer;
    f.Help()->lines.OnKeyDown(key, 0);
    EXPECT_FALSE(f.Help()->Visible());
    EXPECT_FALSE(f.impl().closed) << "the Escape that closes the help does not end the program";
  }
  EXPECT_EQ(Title(), title);
  EXPECT_EQ(f.Model().current, 1);
  EXPECT_EQ(Entries().size(), 3u);
}

TEST(HelpLinesTest, EverySwitchIsListed) {
  std::string all;
  for (const std::string& line : HelpLines()) all += line + "\n";
  for (const char* named : {"-f ", "-D ", "-l", "-t[r|n]", "-wN/-hN", "-P[l|r|t|b|c]", "-s[f|b|r]", "-iN",
                            "-W[s|z|t|c]", "-H ", "-S ", "-r ", "-q ", "F1", "Escape quit"})
    EXPECT_NE(all.find(named), std::string::npos) << named;
}

}  // namespace
}  // namespace zeb::app
