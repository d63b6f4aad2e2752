// Folder scans through the main window: the title while files are added, messages let through, the
// abort by Escape in the middle of a scan, and the same file reached twice tidied to one entry.
#include <gtest/gtest.h>

#include "tests/app/app_fixture.h"

namespace zeb::app {
namespace {

using testing_support::AppTest;
using Strings = std::vector<std::string>;

class FolderScanTest : public AppTest {
 protected:
  // A main window ready to scan, as during start-up: pumping before every file.
  MainWindow& Scanner() {
    MainWindow& f = Make();
    f.pacing.pump = std::chrono::milliseconds(0);
    f.pacing.title = std::chrono::milliseconds(0);
    f.run.building = true;
    return f;
  }
  static void PressEscape(MainWindow& f) {
    uint16_t key = ui::VK_ESCAPE_;
    f.OnKeyDown(key, 0);
  }
};

TEST_F(FolderScanTest, TheTitleNamesEachFileAsItIsAddedOwnPicturesFirst) {
  Fs().AddFile("C:\\p\\sub\\deep\\d.jpg", "");
  Fs().AddFile("C:\\p\\sub\\s.jpg", "");
  Fs().AddFile("C:\\p\\z.jpg", "");
  MainWindow& f = Scanner();
  Strings added;
  // The title shows each file as it is added.
  headless::OnProcessMessages() = [&] { added.push_back(f.Caption()); };
  f.Builder().AddFolder("C:\\p\\", true);
  ASSERT_EQ(added.size(), 3u);
  EXPECT_EQ(f.Caption(), "C:\\p\\sub\\deep\\d.jpg");
  EXPECT_EQ(added[1], "C:\\p\\z.jpg");  // the caption before the second file was the first one
}

TEST_F(FolderScanTest, TheSameFileReachedTwiceEndsAsOneEntry) {
  RegisterFake();
  AddFake("C:\\p\\a.fak");
  AddFake("C:\\p\\b.fak");
  MainWindow& f = Make({"C:\\p", "C:\\p\\a.fak", "C:\\P\\a.fak"});
  // The path in other letter case stays as a second entry.
  EXPECT_EQ(Entries(), (Strings{"C:\\p\\a.fak", "C:\\P\\a.fak", "C:\\p\\b.fak"}));
  EXPECT_TRUE(f.Model().showFullPath);
}

TEST_F(FolderScanTest, EscapeInTheMiddleStopsTheScanButTheFirstOfEachExtensionIsAdded) {
  for (const char* n : {"a", "b", "c"}) Fs().AddFile(std::string("C:\\p\\") + n + ".jpg", "");
  for (const char* n : {"d", "e"}) Fs().AddFile(std::string("C:\\p\\") + n + ".bmp", "");
  Fs().AddFile("C:\\p\\sub\\f.jpg", "");
  MainWindow& f = Scanner();
  int pumps = 0;
  headless::OnProcessMessages() = [&] {
    if (++pumps == 2) headless::PostTask([&] { PressEscape(f); });
  };
  f.Builder().AddFolder("C:\\p\\", true);
  EXPECT_TRUE(f.run.abortRequested);
  EXPECT_FALSE(f.impl().closed);
  // Escape came while the second file was being reached: it went in with the first, then no more.
  EXPECT_EQ(Entries().size(), 1u);
}

TEST_F(FolderScanTest, EscapeDuringStartUpEndsTheProgramAfterTheFileArguments) {
  RegisterFake();
  for (int i = 0; i < 5; ++i) AddFake("C:\\p\\" + std::to_string(i) + ".fak");
  AddFake("C:\\single.fak");
  Fs().AddFile("C:\\p\\sub\\s.fak", "FAKE 1 1");
  bool pressed = false;
  // The window being made is the application's main form from its first moment.
  headless::OnProcessMessages() = [&] {
    if (!pressed && ui::App().MainForm) {
      pressed = true;
      PressEscape(static_cast<MainWindow&>(*ui::App().MainForm));
    }
  };
  MainWindow& f = Make({"C:\\p", "C:\\single.fak"});
  EXPECT_TRUE(f.run.abortRequested);
  EXPECT_TRUE(ui::App().Terminated());
  // No picture was shown, but the single file after the folder was still added.
  EXPECT_EQ(f.Caption(), "C:\\single.fak");
  Strings entries = Entries();
  EXPECT_EQ(entries.back(), "C:\\single.fak");
  EXPECT_LT(entries.size(), 7u);
}

TEST_F(FolderScanTest, KeysPressedDuringAScanSeeTheListBuiltSoFar) {
  for (int i = 0; i < 4; ++i) Fs().AddFile("C:\\p\\" + std::string(1, char('d' - i)) + ".jpg", "");
  MainWindow& f = Scanner();
  Strings seen;
  headless::OnProcessMessages() = [&] {
    int32_t n = f.Model().list.Count();
    seen.push_back(n ? f.Model().list.Entry(0) + "/" + std::to_string(n) : "none");
  };
  f.Builder().AddFolder("C:\\p\\", false);
  EXPECT_EQ(seen, (Strings{"none", "C:\\p\\d.jpg/1", "C:\\p\\c.jpg/2", "C:\\p\\b.jpg/3"}));
}

TEST_F(FolderScanTest, MessagesAreLetThroughAtMostOncePerInterval) {
  for (int i = 0; i < 50; ++i) Fs().AddFile("C:\\p\\" + std::to_string(i) + ".jpg", "");
  MainWindow& f = Scanner();
  f.pacing.pump = std::chrono::hours(1);
  f.pacing.title = std::chrono::hours(1);
  int pumps = 0;
  headless::OnProcessMessages() = [&] { ++pumps; };
  f.Builder().AddFolder("C:\\p\\", true);
  EXPECT_EQ(Entries().size(), 50u);
  EXPECT_LE(pumps, 1);
}

}  // namespace
}  // namespace zeb::app
