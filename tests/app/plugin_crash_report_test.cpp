// A plug-in that crashes while the viewer shows a picture: its first crash is told once, after the
// picture's load and never while the slide show runs; the entries it crashed on leave the list.
#include <gtest/gtest.h>

#include "platform/headless/headless.h"
#include "platform/services/call_guard.h"
#include "spi/spi_bitmap.h"
#include "tests/app/command_fixture.h"
#include "tests/support/fake_plugins.h"

namespace zeb::app {
namespace {

class PluginCrashReportTest : public testing_support::CommandTest {
 protected:
  void SetUp() override {
    CommandTest::SetUp();
    test::ResetFakePlugins();
    spi::InitializeSPIBitmap();
    // The program's folder: the start-up search finds it there. It takes ".crx" files and crashes on them.
    test::InstallFakePlugin(
        "C:\\zeb\\crash.spi",
        {.filters = {{"*.crx", "Crash"}},
         .isSupported = [](const std::string&, const uint8_t*) -> int { headless::SimulateCrash(); }});
  }
  // A main window over these files: ".crx" ones hold no picture any built-in format reads.
  MainWindow& Over(const Strings& paths) {
    for (const std::string& p : paths)
      if (p.ends_with(".crx")) Fs().AddFile(p, "not a picture");
    for (const std::string& p : paths)
      if (!p.ends_with(".crx")) AddBmp(p);
    return Listing(paths);
  }
  void TearDown() override {
    CommandTest::TearDown();
    spi::FinalizeSPIBitmap();
    test::ResetFakePlugins();
  }
};

TEST_F(PluginCrashReportTest, TheFirstCrashIsToldOnceAndTheEntriesLeave) {
  Over({"C:\\p\\a.crx", "C:\\p\\b.bmp", "C:\\p\\c.crx", "C:\\p\\d.bmp"});
  EXPECT_EQ(Title(), "[F] (1/3) b.bmp 4x3 100%");
  ASSERT_EQ(Messages().size(), 1u);
  EXPECT_NE(Messages()[0].find("C:\\zeb\\crash.spi crashed (access violation) while reading C:\\p\\a.crx"),
            std::string::npos)
      << Messages()[0];
  Press('N');
  EXPECT_EQ(Title(), "[F] (2/2) d.bmp 4x3 100%");
  EXPECT_EQ(Messages().size(), 1u) << "later crashes of the same plug-in are silent";
}

// The message box lets keys in; it opens once the broken entries have left the list, so a key pressed
// meanwhile acts on the list as it is shown.
TEST_F(PluginCrashReportTest, AKeyPressedInTheMessageBoxFindsTheListWhole) {
  headless::Script().messageBox = [this](const std::string&, ui::MessageButtons) {
    Press('N');
    return ui::DialogResult::Ok;
  };
  Over({"C:\\p\\a.crx", "C:\\p\\b.crx", "C:\\p\\c.bmp", "C:\\p\\d.bmp", "C:\\p\\e.bmp"});
  EXPECT_EQ(Entries(), (Strings{"C:\\p\\c.bmp", "C:\\p\\d.bmp", "C:\\p\\e.bmp"}));
  EXPECT_EQ(Title(), "[F] (2/3) d.bmp 4x3 100%");
}

TEST_F(PluginCrashReportTest, DuringASlideShowTheMessageWaitsUntilTheShowStops) {
  MainWindow& f = Over({"C:\\p\\a.bmp", "C:\\p\\b.crx", "C:\\p\\c.bmp"});
  Press('S');
  f.slideTimer.Tick();
  EXPECT_EQ(Title(), "<F> (2/2) c.bmp 4x3 100%");
  EXPECT_TRUE(Messages().empty());
  f.slideTimer.Tick();  // the end of the list stops the show
  EXPECT_FALSE(f.slideTimer.Enabled());
  ASSERT_EQ(Messages().size(), 1u);
  EXPECT_NE(Messages()[0].find("C:\\p\\b.crx"), std::string::npos) << Messages()[0];
}

TEST_F(PluginCrashReportTest, APluginThatCrashesAtStartUpIsReportedAndLeftOut) {
  test::InstallFakePlugin("C:\\zeb\\info.spi", {.pluginInfo = [](int, char*, int) -> int {
                            headless::SimulateCrash(kStackOverflow);
                          }});
  MainWindow& f = Over({"C:\\p\\a.bmp"});
  ASSERT_EQ(Messages().size(), 1u);
  EXPECT_EQ(Messages()[0], "The plug-in C:\\zeb\\info.spi crashed in GetPluginInfo (stack overflow).");
  EXPECT_EQ(f.plugins->Count(), 1);
  EXPECT_EQ(Title(), "[F] (1/1) a.bmp 4x3 100%");
}

}  // namespace
}  // namespace zeb::app
