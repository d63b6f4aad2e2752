// The command line: switch grammar, every switch, the number messages and the file arguments.
#include <gtest/gtest.h>

#include "platform/core/strings.h"
#include "tests/app/app_fixture.h"

namespace zeb::app {
namespace {

using testing_support::AppTest;
using K = TSwitchKind;

TEST(ParseSwitchTest, EveryLetterHasItsKind) {
  const std::pair<const char*, K> cases[] = {
      {"-f", K::Maximised}, {"-D", K::OpenInFolder}, {"-w", K::Width},
      {"-h", K::Height},    {"-P", K::Placement},    {"-s", K::SlideShow},
      {"-i", K::Interval},  {"-l", K::Loop},         {"-t", K::Pause},
      {"-W", K::Wallpaper}, {"-H", K::Minimized},    {"-S", K::Enlarge},
      {"-r", K::Random},    {"-q", K::Quit},         {"--", K::EndOfSwitches},
      {"-x", K::Unknown},   {"-", K::Unknown},       {"pic.jpg", K::NotASwitch},
      {"", K::NotASwitch},
  };
  for (const auto& [arg, kind] : cases) EXPECT_EQ(TForm1::ParseSwitch(arg).Kind, kind) << arg;
}

TEST(ParseSwitchTest, LettersAreCaseSensitiveAndTheValueIsTheRest) {
  EXPECT_EQ(TForm1::ParseSwitch("-F").Kind, K::Unknown);
  EXPECT_EQ(TForm1::ParseSwitch("-d").Kind, K::Unknown);
  EXPECT_EQ(TForm1::ParseSwitch("-w800").Value, "800");
  EXPECT_EQ(TForm1::ParseSwitch("-w").Value, "");
  EXPECT_EQ(TForm1::ParseSwitch("-Prt").Value, "rt");
}

class CommandLineTest : public AppTest {};

TEST_F(CommandLineTest, NoArgumentsShowsTheEmptyState) {
  TForm1& f = Make();
  EXPECT_EQ(f.Caption(), "<empty>");
  EXPECT_TRUE(f.Visible());
  EXPECT_FALSE(f.Building);
  EXPECT_EQ(f.Image1.Picture().Width(), 200);
  EXPECT_EQ(f.Image1.Picture().Height(), 200);
  EXPECT_TRUE(f.impl().acceptsFiles);
  EXPECT_EQ(f.Timer1.Interval(), 2500u);
  EXPECT_FALSE(f.Timer1.Enabled());
  EXPECT_EQ(f.PictureExtensions.back(), ".ZEB");
  EXPECT_EQ(f.MarkIndex, 0);
  EXPECT_EQ(f.PlacementFlags, pfFree);
  EXPECT_EQ(f.BoxWidth, 640);
  EXPECT_EQ(f.BoxHeight, 480);
  EXPECT_EQ(f.SlideDirection, 1);
  EXPECT_EQ(f.WallpaperLayout, 3);
}

TEST_F(CommandLineTest, MaximisedDropsEarlierPlacementAndCombinesWithLaterOnes) {
  EXPECT_EQ(Make({"-Pl", "-f"}).PlacementFlags, pfMaximised);
  EXPECT_EQ(Make({"-f", "-Pr"}).PlacementFlags, 0x48);
  EXPECT_EQ(Make({"-Pr"}).PlacementFlags, 0x09);
}

TEST_F(CommandLineTest, PlacementLettersApplyInTableOrder) {
  EXPECT_EQ(Make({"-Pcr"}).PlacementFlags, pfCentre);
  EXPECT_EQ(Make({"-Plr"}).PlacementFlags, pfFree | pfLeft);
  EXPECT_EQ(Make({"-Prt"}).PlacementFlags, pfFree | pfRight | pfTop);
  EXPECT_EQ(Make({"-Ptb"}).PlacementFlags, pfFree | pfTop);
  EXPECT_EQ(Make({"-Pb"}).PlacementFlags, pfFree | pfBottom);
  EXPECT_EQ(Make({"-Pc", "-Pl"}).PlacementFlags, pfCentre | pfLeft);
}

TEST_F(CommandLineTest, WidthAndHeight) {
  TForm1& a = Make({"-w"});
  EXPECT_TRUE(a.FixedWidth);
  EXPECT_EQ(a.BoxWidth, 640);
  EXPECT_FALSE(a.FixedHeight);
  TForm1& b = Make({"-w300", "-h200"});
  EXPECT_TRUE(b.FixedWidth && b.FixedHeight);
  EXPECT_EQ(b.BoxWidth, 300);
  EXPECT_EQ(b.BoxHeight, 200);
  EXPECT_TRUE(Messages().empty());
}

TEST_F(CommandLineTest, BadNumbersShowTheirMessageAndKeepTheSetting) {
  TForm1& f = Make({"-w300", "-w800x", "-habc", "-i", "-i12.5"});
  ASSERT_EQ(Messages().size(), 4u);
  EXPECT_EQ(Messages()[0], "Width指定が異常です。(800x)");
  EXPECT_EQ(Messages()[1], "Height指定が異常です。(abc)");
  EXPECT_EQ(Messages()[2], "Interval指定が異常です。()");
  EXPECT_EQ(Messages()[3], "Interval指定が異常です。(12.5)");
  EXPECT_TRUE(f.FixedWidth);
  EXPECT_EQ(f.BoxWidth, 300);
  EXPECT_TRUE(f.FixedHeight);
  EXPECT_EQ(f.BoxHeight, 480);
  EXPECT_EQ(f.Timer1.Interval(), 2500u);
}

TEST_F(CommandLineTest, SlideShowIntervalAndDirection) {
  TForm1& a = Make({"-s"});
  EXPECT_TRUE(a.Timer1.Enabled());
  EXPECT_EQ(a.Timer1.Interval(), 2500u);
  EXPECT_EQ(a.SlideDirection, 1);
  EXPECT_EQ(Make({"-sb"}).SlideDirection, 2);
  EXPECT_EQ(Make({"-sr"}).SlideDirection, 3);
  EXPECT_EQ(Make({"-srb"}).SlideDirection, 3);
  EXPECT_EQ(Make({"-sbf"}).SlideDirection, 2);
  TForm1& b = Make({"-i0"});
  EXPECT_EQ(b.Timer1.Interval(), 0u);
  EXPECT_FALSE(b.Timer1.Enabled());
  EXPECT_EQ(Make({"-i+750"}).Timer1.Interval(), 750u);
}

TEST_F(CommandLineTest, FlagSwitches) {
  TForm1& f = Make({"-l", "-S", "-q"});
  EXPECT_TRUE(f.LoopList);
  EXPECT_TRUE(f.EnlargeSmall);
  EXPECT_TRUE(f.QuitAtEnd);
  EXPECT_TRUE(ui::Application().Terminated());
  EXPECT_FALSE(f.impl().acceptsFiles);
}

TEST_F(CommandLineTest, PauseLetters) {
  EXPECT_FALSE(Make({"-t"}).PauseWhileLoading);
  EXPECT_TRUE(Make({"-tr"}).PauseWhileLoading);
  EXPECT_FALSE(Make({"-trn"}).PauseWhileLoading);
  EXPECT_FALSE(Make({"-tr", "-t"}).PauseWhileLoading);
}

TEST_F(CommandLineTest, WallpaperLetters) {
  TForm1& a = Make({"-W"});
  EXPECT_TRUE(a.WallpaperMode);
  EXPECT_FALSE(a.WallpaperAsShown);
  EXPECT_EQ(a.WallpaperLayout, 3);
  TForm1& b = Make({"-Ws"});
  EXPECT_TRUE(b.WallpaperAsShown);
  EXPECT_EQ(Make({"-Wz"}).WallpaperLayout, 1);
  EXPECT_EQ(Make({"-Wt"}).WallpaperLayout, 2);
  EXPECT_EQ(Make({"-Wc"}).WallpaperLayout, 0);
  EXPECT_EQ(Make({"-Wczt"}).WallpaperLayout, 0);
  EXPECT_EQ(Make({"-Wzt"}).WallpaperLayout, 2);
}

TEST_F(CommandLineTest, MinimisedStartDoesNotShowTheWindow) {
  TForm1& f = Make({"-H"});
  EXPECT_TRUE(f.Minimized);
  EXPECT_FALSE(f.Visible());
  EXPECT_EQ(f.WindowState(), ui::TWindowState::wsMinimized);
}

TEST_F(CommandLineTest, UnknownSwitchesAndALoneDashAreIgnored) {
  RegisterFake();
  AddFake("C:\\p\\a.fak");
  TForm1& f = Make({"-x", "-", "-l", "C:\\p\\a.fak"});
  EXPECT_TRUE(f.LoopList);
  EXPECT_EQ(Entries(), std::vector<std::string>{"C:\\p\\a.fak"});
}

TEST_F(CommandLineTest, TheFirstFileArgumentEndsTheSwitches) {
  RegisterFake();
  AddFake("C:\\800");  // no extension: found, but no picture
  AddFake("C:\\p\\-l.fak");
  TForm1& f = Make({"-w", "800", "-l", "C:\\p\\-l.fak", "-q"});
  EXPECT_TRUE(f.FixedWidth);
  EXPECT_EQ(f.BoxWidth, 640);
  EXPECT_FALSE(f.LoopList);
  EXPECT_FALSE(f.QuitAtEnd);
  EXPECT_EQ(Entries(), std::vector<std::string>{"C:\\p\\-l.fak"});
}

TEST_F(CommandLineTest, DoubleDashMakesTheNextArgumentAFile) {
  RegisterFake();
  AddFake("C:\\-q.fak");
  Fs().SetCurrentDirectory("C:\\");
  TForm1& f = Make({"-l", "--", "-q.fak"});
  EXPECT_TRUE(f.LoopList);
  EXPECT_FALSE(f.QuitAtEnd);
  EXPECT_EQ(Entries(), std::vector<std::string>{"C:\\-q.fak"});
  EXPECT_EQ(f.Caption(), "[FL] (1/1) -q.fak 10x10 100%");
}

TEST_F(CommandLineTest, MissingWildcardAndForeignArgumentsAddNothing) {
  RegisterFake();
  AddFake("C:\\p\\a.fak");
  Fs().AddFile("C:\\p\\notes.txt", "text");
  TForm1& f = Make({"C:\\p\\missing.fak", "C:\\p\\*.fak", "C:\\p\\notes.txt"});
  EXPECT_TRUE(Entries().empty());
  EXPECT_EQ(f.Caption(), "<empty>");
  EXPECT_TRUE(Messages().empty());
}

TEST_F(CommandLineTest, FolderArgumentIsScannedWithItsSubfolders) {
  RegisterFake();
  AddFake("C:\\p\\b.fak");
  AddFake("C:\\p\\sub\\a.fak");
  Make({"C:\\p"});
  EXPECT_EQ(Entries(), (std::vector<std::string>{"C:\\p\\b.fak", "C:\\p\\sub\\a.fak"}));
}

TEST_F(CommandLineTest, OpenInFolderAddsTheFolderAloneAndSelectsTheFile) {
  RegisterFake();
  AddFake("C:\\p\\a.fak");
  AddFake("C:\\p\\b.fak");
  AddFake("C:\\p\\c.fak");
  AddFake("C:\\p\\sub\\d.fak");
  TForm1& f = Make({"-D", "C:\\p\\b.fak"});
  EXPECT_EQ(Entries(), (std::vector<std::string>{"C:\\p\\a.fak", "C:\\p\\b.fak", "C:\\p\\c.fak"}));
  EXPECT_EQ(f.CurrentIndex, 1);
  EXPECT_EQ(f.CurrentName, "b.fak");
}

TEST_F(CommandLineTest, OpenInFolderSelectionComparesExactly) {
  RegisterFake();
  AddFake("C:\\p\\a.fak");
  AddFake("C:\\p\\b.fak");
  TForm1& f = Make({"-D", "C:\\p\\B.fak"});
  EXPECT_EQ(Entries().size(), 2u);
  EXPECT_EQ(f.CurrentIndex, 0);
}

TEST_F(CommandLineTest, RandomStartPicksAnEntry) {
  RegisterFake();
  for (char c = 'a'; c <= 'e'; ++c) AddFake(std::string("C:\\p\\") + c + ".fak");
  TForm1& f = Make({"-r", "C:\\p"});
  EXPECT_GE(f.CurrentIndex, 0);
  EXPECT_LT(f.CurrentIndex, 5);
  EXPECT_EQ(f.CurrentName, FileNamePart(Entries()[f.CurrentIndex]));
}

TEST_F(CommandLineTest, QuitWithSlideShowEndsAfterTheFirstPicture) {
  RegisterFake();
  AddFake("C:\\p\\a.fak");
  TForm1& f = Make({"-q", "-s", "C:\\p"});
  EXPECT_TRUE(ui::Application().Terminated());
  EXPECT_EQ(f.CurrentName, "a.fak");
}

// A file system that knows one short (8.3) name, as Windows reports the long name for it.
class ShortNameFileSystem : public headless::MemoryFileSystem {
 public:
  void Find(const std::string& pattern, const std::function<bool(const FindData&)>& each) override {
    if (SameTextAscii(pattern, "C:\\pics\\LONGPI~1.FAK")) {
      each({"Long picture name.fak", faArchive});
      return;
    }
    MemoryFileSystem::Find(pattern, each);
  }
};

TEST_F(CommandLineTest, ShortNamesBecomeTheLongNameTheFileSystemReports) {
  RegisterFake();
  ShortNameFileSystem fs;
  fs.AddFile("C:\\pics\\Long picture name.fak", "FAKE 5 5");
  SetFiles(&fs);
  Make({"C:\\pics\\LONGPI~1.FAK"});
  EXPECT_EQ(Entries(), std::vector<std::string>{"C:\\pics\\Long picture name.fak"});
  SetFiles(nullptr);
}

TEST_F(CommandLineTest, ARelativeArgumentIsExpanded) {
  RegisterFake();
  AddFake("C:\\work\\p\\a.fak");
  Fs().SetCurrentDirectory("C:\\work");
  Make({"p\\a.fak"});
  EXPECT_EQ(Entries(), std::vector<std::string>{"C:\\work\\p\\a.fak"});
}

TEST_F(CommandLineTest, AnUnreadableListFileIsReportedAndStartUpFinishes) {
  RegisterFake();
  AddFake("C:\\p\\a.fak");
  Fs().AddFile("C:\\lists\\x.zeb", "C:\\p\\a.fak\r\n");
  Fs().SetLocked("C:\\lists\\x.zeb", true);
  TForm1& f = Make({"C:\\p\\a.fak", "C:\\lists\\x.zeb"});
  ASSERT_EQ(Messages().size(), 1u);
  EXPECT_NE(Messages()[0].find("x.zeb"), std::string::npos);
  EXPECT_FALSE(f.Building);
  EXPECT_EQ(f.CurrentName, "a.fak");
  EXPECT_TRUE(f.impl().acceptsFiles);
  // Escape then closes the window as at any other time.
  uint16_t key = ui::VK_ESCAPE_;
  f.FormKeyDown(key, 0);
  EXPECT_TRUE(f.impl().closed);
}

}  // namespace
}  // namespace zeb::app
