// The command line: switch grammar, every switch, the number messages and the file arguments.
#include <gtest/gtest.h>

#include "platform/core/strings.h"
#include "tests/app/app_fixture.h"

namespace zeb::app {
namespace {

using testing_support::AppTest;
using K = SwitchKind;

TEST(ParseSwitchTest, EveryLetterHasItsKind) {
  const std::pair<const char*, K> cases[] = {
      {"-f", K::Maximised}, {"-D", K::OpenInFolder}, {"-w", K::Width},           {"-h", K::Height},
      {"-P", K::Placement}, {"-s", K::SlideShow},    {"-i", K::Interval},        {"-l", K::Loop},
      {"-t", K::Pause},     {"-W", K::Wallpaper},    {"-H", K::Minimised},       {"-S", K::Enlarge},
      {"-r", K::Random},    {"-q", K::Quit},         {"-I", K::InProcess},       {"--", K::EndOfSwitches},
      {"-x", K::Unknown},   {"-", K::Unknown},       {"pic.jpg", K::NotASwitch}, {"", K::NotASwitch},
  };
  for (const auto& [arg, kind] : cases) EXPECT_EQ(ParseSwitch(arg).kind, kind) << arg;
}

TEST(ParseSwitchTest, LettersAreCaseSensitiveAndTheValueIsTheRest) {
  EXPECT_EQ(ParseSwitch("-F").kind, K::Unknown);
  EXPECT_EQ(ParseSwitch("-d").kind, K::Unknown);
  EXPECT_EQ(ParseSwitch("-w800").value, "800");
  EXPECT_EQ(ParseSwitch("-w").value, "");
  EXPECT_EQ(ParseSwitch("-Prt").value, "rt");
}

class CommandLineTest : public AppTest {};

TEST_F(CommandLineTest, NoArgumentsShowsTheEmptyState) {
  MainWindow& f = Make();
  EXPECT_EQ(f.Caption(), "<empty>");
  EXPECT_TRUE(f.Visible());
  EXPECT_FALSE(f.run.building);
  EXPECT_EQ(f.picture.Content().Width(), 200);
  EXPECT_EQ(f.picture.Content().Height(), 200);
  EXPECT_TRUE(f.impl().acceptsFiles);
  EXPECT_EQ(f.slideTimer.Interval(), 2500u);
  EXPECT_FALSE(f.slideTimer.Enabled());
  EXPECT_EQ(f.Builder().Extensions().All().back(), ".ZEB");
  EXPECT_EQ(f.Model().mark, 0);
  EXPECT_EQ(f.Model().modes.placement, placement::kFree);
  EXPECT_EQ(f.Model().modes.box.width, 640);
  EXPECT_EQ(f.Model().modes.box.height, 480);
  EXPECT_EQ(f.Model().modes.slideDirection, SlideDirection::Forward);
  EXPECT_EQ(f.Model().modes.wallpaper.layout, WallpaperLayout::Unchanged);
}

TEST_F(CommandLineTest, PluginsRunInTheHostUnlessASwitchBeforeTheFilesSaysI) {
  EXPECT_NE(Make({"-f", "x.fak"}).pluginHost, nullptr);
  EXPECT_EQ(Make({"-f", "-I"}).pluginHost, nullptr);
  EXPECT_NE(Make({"x.fak", "-I"}).pluginHost, nullptr);
}

TEST_F(CommandLineTest, MaximisedDropsEarlierPlacementAndCombinesWithLaterOnes) {
  EXPECT_EQ(Make({"-Pl", "-f"}).Model().modes.placement, placement::kMaximised);
  EXPECT_EQ(Make({"-f", "-Pr"}).Model().modes.placement, 0x48);
  EXPECT_EQ(Make({"-Pr"}).Model().modes.placement, 0x09);
}

TEST_F(CommandLineTest, PlacementLettersApplyInTableOrder) {
  EXPECT_EQ(Make({"-Pcr"}).Model().modes.placement, placement::kCentre);
  EXPECT_EQ(Make({"-Plr"}).Model().modes.placement, placement::kFree | placement::kLeft);
  EXPECT_EQ(Make({"-Prt"}).Model().modes.placement, placement::kFree | placement::kRight | placement::kTop);
  EXPECT_EQ(Make({"-Ptb"}).Model().modes.placement, placement::kFree | placement::kTop);
  EXPECT_EQ(Make({"-Pb"}).Model().modes.placement, placement::kFree | placement::kBottom);
  EXPECT_EQ(Make({"-Pc", "-Pl"}).Model().modes.placement, placement::kCentre | placement::kLeft);
}

TEST_F(CommandLineTest, WidthAndHeight) {
  MainWindow& a = Make({"-w"});
  EXPECT_TRUE(a.Model().modes.box.fixedWidth);
  EXPECT_EQ(a.Model().modes.box.width, 640);
  EXPECT_FALSE(a.Model().modes.box.fixedHeight);
  MainWindow& b = Make({"-w300", "-h200"});
  EXPECT_TRUE(b.Model().modes.box.fixedWidth && b.Model().modes.box.fixedHeight);
  EXPECT_EQ(b.Model().modes.box.width, 300);
  EXPECT_EQ(b.Model().modes.box.height, 200);
  EXPECT_TRUE(Messages().empty());
}

TEST_F(CommandLineTest, BadNumbersShowTheirMessageAndKeepTheSetting) {
  MainWindow& f = Make({"-w300", "-w800x", "-w0", "-habc", "-h-5", "-h0", "-i", "-i12.5"});
  const std::vector<std::string> expected = {"Width指定が異常です。(800x)",   "Width指定が異常です。(0)",
                                             "Height指定が異常です。(abc)",   "Height指定が異常です。(-5)",
                                             "Height指定が異常です。(0)",     "Interval指定が異常です。()",
                                             "Interval指定が異常です。(12.5)"};
  EXPECT_EQ(Messages(), expected);
  EXPECT_TRUE(f.Model().modes.box.fixedWidth);
  EXPECT_EQ(f.Model().modes.box.width, 300);
  EXPECT_TRUE(f.Model().modes.box.fixedHeight);
  EXPECT_EQ(f.Model().modes.box.height, 480);
  EXPECT_EQ(f.slideTimer.Interval(), 2500u);
}

TEST_F(CommandLineTest, SlideShowIntervalAndDirection) {
  MainWindow& a = Make({"-s"});
  EXPECT_TRUE(a.slideTimer.Enabled());
  EXPECT_EQ(a.slideTimer.Interval(), 2500u);
  EXPECT_EQ(a.Model().modes.slideDirection, SlideDirection::Forward);
  EXPECT_EQ(Make({"-sb"}).Model().modes.slideDirection, SlideDirection::Backward);
  EXPECT_EQ(Make({"-sr"}).Model().modes.slideDirection, SlideDirection::Random);
  EXPECT_EQ(Make({"-srb"}).Model().modes.slideDirection, SlideDirection::Random);
  EXPECT_EQ(Make({"-sbf"}).Model().modes.slideDirection, SlideDirection::Backward);
  MainWindow& b = Make({"-i0"});
  EXPECT_EQ(b.slideTimer.Interval(), 0u);
  EXPECT_FALSE(b.slideTimer.Enabled());
  EXPECT_EQ(Make({"-i+750"}).slideTimer.Interval(), 750u);
}

TEST_F(CommandLineTest, FlagSwitches) {
  MainWindow& f = Make({"-l", "-S", "-q"});
  EXPECT_TRUE(f.Model().modes.loop);
  EXPECT_TRUE(f.Model().modes.enlargeSmall);
  EXPECT_TRUE(f.Model().modes.quitAtEnd);
  EXPECT_TRUE(ui::App().Terminated());
  EXPECT_FALSE(f.impl().acceptsFiles);
}

TEST_F(CommandLineTest, PauseLetters) {
  EXPECT_FALSE(Make({"-t"}).Model().modes.pauseWhileLoading);
  EXPECT_TRUE(Make({"-tr"}).Model().modes.pauseWhileLoading);
  EXPECT_FALSE(Make({"-trn"}).Model().modes.pauseWhileLoading);
  EXPECT_FALSE(Make({"-tr", "-t"}).Model().modes.pauseWhileLoading);
}

TEST_F(CommandLineTest, WallpaperLetters) {
  MainWindow& a = Make({"-W"});
  EXPECT_TRUE(a.Model().modes.wallpaper.on);
  EXPECT_FALSE(a.Model().modes.wallpaper.asShown);
  EXPECT_EQ(a.Model().modes.wallpaper.layout, WallpaperLayout::Unchanged);
  MainWindow& b = Make({"-Ws"});
  EXPECT_TRUE(b.Model().modes.wallpaper.asShown);
  EXPECT_EQ(Make({"-Wz"}).Model().modes.wallpaper.layout, WallpaperLayout::Stretch);
  EXPECT_EQ(Make({"-Wt"}).Model().modes.wallpaper.layout, WallpaperLayout::Tile);
  EXPECT_EQ(Make({"-Wc"}).Model().modes.wallpaper.layout, WallpaperLayout::Centre);
  EXPECT_EQ(Make({"-Wczt"}).Model().modes.wallpaper.layout, WallpaperLayout::Centre);
  EXPECT_EQ(Make({"-Wzt"}).Model().modes.wallpaper.layout, WallpaperLayout::Tile);
}

TEST_F(CommandLineTest, MinimisedStartDoesNotShowTheWindow) {
  MainWindow& f = Make({"-H"});
  EXPECT_TRUE(f.run.minimised);
  EXPECT_FALSE(f.Visible());
  EXPECT_EQ(f.WindowState(), ui::ShowState::Minimised);
}

TEST_F(CommandLineTest, UnknownSwitchesAndALoneDashAreIgnored) {
  RegisterFake();
  AddFake("C:\\p\\a.fak");
  MainWindow& f = Make({"-x", "-", "-l", "C:\\p\\a.fak"});
  EXPECT_TRUE(f.Model().modes.loop);
  EXPECT_EQ(Entries(), std::vector<std::string>{"C:\\p\\a.fak"});
}

TEST_F(CommandLineTest, TheFirstFileArgumentEndsTheSwitches) {
  RegisterFake();
  AddFake("C:\\800");  // no extension: found, but no picture
  AddFake("C:\\p\\-l.fak");
  MainWindow& f = Make({"-w", "800", "-l", "C:\\p\\-l.fak", "-q"});
  EXPECT_TRUE(f.Model().modes.box.fixedWidth);
  EXPECT_EQ(f.Model().modes.box.width, 640);
  EXPECT_FALSE(f.Model().modes.loop);
  EXPECT_FALSE(f.Model().modes.quitAtEnd);
  EXPECT_EQ(Entries(), std::vector<std::string>{"C:\\p\\-l.fak"});
}

TEST_F(CommandLineTest, DoubleDashMakesTheNextArgumentAFile) {
  RegisterFake();
  AddFake("C:\\-q.fak");
  Fs().SetCurrentDirectory("C:\\");
  MainWindow& f = Make({"-l", "--", "-q.fak"});
  EXPECT_TRUE(f.Model().modes.loop);
  EXPECT_FALSE(f.Model().modes.quitAtEnd);
  EXPECT_EQ(Entries(), std::vector<std::string>{"C:\\-q.fak"});
  EXPECT_EQ(f.Caption(), "[FL] (1/1) -q.fak 10x10 100%");
}

TEST_F(CommandLineTest, OpenInFolderSelectsTheFileComparingExactly) {
  RegisterFake();
  AddFake("C:\\p\\a.fak");
  AddFake("C:\\p\\b.fak");
  AddFake("C:\\p\\c.fak");
  MainWindow& f = Make({"-D", "C:\\p\\b.fak"});
  EXPECT_EQ(f.Model().current, 1);
  EXPECT_EQ(f.Shown().name, "b.fak");
  EXPECT_EQ(Make({"-D", "C:\\p\\B.fak"}).Model().current, 0);
  EXPECT_EQ(Entries().size(), 3u);
}

TEST_F(CommandLineTest, RandomStartPicksAnEntry) {
  RegisterFake();
  for (char c = 'a'; c <= 'e'; ++c) AddFake(std::string("C:\\p\\") + c + ".fak");
  MainWindow& f = Make({"-r", "C:\\p"});
  EXPECT_GE(f.Model().current, 0);
  EXPECT_LT(f.Model().current, 5);
  EXPECT_EQ(f.Shown().name, FileNamePart(Entries()[f.Model().current]));
}

TEST_F(CommandLineTest, QuitWithSlideShowEndsAfterTheFirstPicture) {
  RegisterFake();
  AddFake("C:\\p\\a.fak");
  MainWindow& f = Make({"-q", "-s", "C:\\p"});
  EXPECT_TRUE(ui::App().Terminated());
  EXPECT_EQ(f.Shown().name, "a.fak");
}

TEST_F(CommandLineTest, AnUnreadableListFileIsReportedAndStartUpFinishes) {
  RegisterFake();
  AddFake("C:\\p\\a.fak");
  Fs().AddFile("C:\\lists\\x.zeb", "C:\\p\\a.fak\r\n");
  Fs().SetLocked("C:\\lists\\x.zeb", true);
  MainWindow& f = Make({"C:\\p\\a.fak", "C:\\lists\\x.zeb"});
  ASSERT_EQ(Messages().size(), 1u);
  EXPECT_NE(Messages()[0].find("x.zeb"), std::string::npos);
  EXPECT_FALSE(f.run.building);
  EXPECT_EQ(f.Shown().name, "a.fak");
  EXPECT_TRUE(f.impl().acceptsFiles);
  // Escape then closes the window as at any other time.
  uint16_t key = ui::VK_ESCAPE_;
  f.OnKeyDown(key, 0);
  EXPECT_TRUE(f.impl().closed);
}

}  // namespace
}  // namespace zeb::app
