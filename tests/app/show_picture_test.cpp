// Showing the current entry: unreadable entries leave the list and the next one is tried, the empty
// state, other errors, and the slide-show timer held while a picture decodes.
#include <gtest/gtest.h>

#include <algorithm>

#include "app/blank_picture.h"
#include "app/list/folder_presence.h"
#include "platform/core/errors.h"
#include "platform/core/streams.h"
#include "tests/app/app_fixture.h"
#include "tests/support/bmp_maker.h"

namespace zeb::app {
namespace {

using testing_support::AppTest;
using Strings = std::vector<std::string>;

// Reports the decode's stages, as a slow decoder does.
class ReportingImage : public test::FakeImage {
 public:
  static const ImageFormat kFormat;
  const ImageFormat& Format() const override { return kFormat; }
  void LoadFromStream(Stream& stream) override {
    Progress(this, ProgressStage::Starting, 0, false, PixelRect{}, "");
    if (duringDecode) duringDecode();
    FakeImage::LoadFromStream(stream);
    Progress(this, ProgressStage::Ending, 100, false, PixelRect{}, "");
  }
  static inline std::function<void()> duringDecode;
};
const ImageFormat ReportingImage::kFormat = {"ReportingImage", &NewImage<ReportingImage>};

// Fails with an error that is not about the picture's data.
class FailingImage : public test::FakeImage {
 public:
  static const ImageFormat kFormat;
  const ImageFormat& Format() const override { return kFormat; }
  void LoadFromStream(Stream&) override { throw ReadError("Stream read error"); }
};
const ImageFormat FailingImage::kFormat = {"FailingImage", &NewImage<FailingImage>};

class ShowPictureTest : public AppTest {
 protected:
  void TearDown() override {
    PictureFormats::UnregisterFormat(&ReportingImage::kFormat);
    PictureFormats::UnregisterFormat(&FailingImage::kFormat);
    ReportingImage::duringDecode = nullptr;
    AppTest::TearDown();
  }
  // A main window whose list holds these entries, the first shown.
  MainWindow& With(const Strings& entries) {
    MainWindow& f = Make();
    for (const auto& e : entries) f.Model().list.Add(e);
    f.Model().current = 0;
    f.Run(Command::Reload);
    return f;
  }
};

TEST_F(ShowPictureTest, AMissingEntryLeavesAndTheNextOneIsShown) {
  RegisterFake();
  AddFake("C:\\p\\a.fak", 30, 20);
  AddFake("C:\\p\\c.fak", 40, 30);
  MainWindow& f = With({"C:\\p\\a.fak", "C:\\p\\b.fak", "C:\\p\\c.fak"});
  EXPECT_EQ(f.Caption(), "[F] (1/3) a.fak 30x20 100%");
  f.Model().current = 1;
  f.Run(Command::Reload);
  EXPECT_EQ(Entries(), (Strings{"C:\\p\\a.fak", "C:\\p\\c.fak"}));
  EXPECT_EQ(f.Model().current, 1);
  EXPECT_EQ(f.Caption(), "[F] (2/2) c.fak 40x30 100%");
  EXPECT_TRUE(Messages().empty());
}

TEST_F(ShowPictureTest, WhenEveryEntryFailsTheEmptyStateIsShown) {
  RegisterFake();
  Fs().AddFile("C:\\p\\broken.fak", "not a picture");
  Fs().AddFile("C:\\p\\notes.txt", "text");
  MainWindow& f = With({"C:\\p\\broken.fak", "C:\\p\\missing.fak", "C:\\p\\notes.txt", "C:\\p\\x.zeb", ""});
  EXPECT_TRUE(Entries().empty());
  EXPECT_EQ(f.Caption(), "<empty>");
  EXPECT_EQ(f.Model().current, -1);
  EXPECT_EQ(f.picture.Content().Width(), 200);
  EXPECT_EQ(f.picture.Content().Height(), 200);
  EXPECT_TRUE(Messages().empty());
}

TEST_F(ShowPictureTest, TheLastEntryFailingShowsTheOneBefore) {
  RegisterFake();
  AddFake("C:\\p\\a.fak");
  AddFake("C:\\p\\b.fak");
  MainWindow& f = With({"C:\\p\\a.fak", "C:\\p\\b.fak", "C:\\p\\c.fak"});
  f.Model().current = 2;
  f.Run(Command::Reload);
  EXPECT_EQ(f.Model().current, 1);
  EXPECT_EQ(f.Shown().name, "b.fak");
  EXPECT_EQ(Entries().size(), 2u);
}

TEST_F(ShowPictureTest, ALongRunOfBrokenEntriesDoesNotExhaustTheStack) {
  MainWindow& f = Make();
  for (int i = 0; i < 20000; ++i) f.Model().list.Add("C:\\gone\\" + std::to_string(i) + ".bmp");
  f.Model().current = 0;
  f.Run(Command::Reload);
  EXPECT_EQ(f.Caption(), "<empty>");
  // Once the first has failed, the folder that is gone tells the others are missing without an open.
  EXPECT_EQ(Fs().openCalls, 1);
}

TEST_F(ShowPictureTest, MissingFilesOfAnExistingFolderAreToldByItsListingAfterAFewFailures) {
  RegisterFake();
  AddFake("C:\\p\\zz.fak");
  Fs().AddFile("C:\\p\\x~1.fak", "not a picture");
  MainWindow& f = Make();
  for (int i = 0; i < 100; ++i) f.Model().list.Add("C:\\p\\" + std::to_string(100 + i) + ".fak");
  for (const char* name : {"x~1.fak", "zz.fak"}) f.Model().list.Add(std::string("C:\\p\\") + name);
  f.Run(Command::Reload);
  EXPECT_EQ(Entries(), Strings{"C:\\p\\zz.fak"});
  // The failures before the folder is listed, the alias the listing cannot decide on (and its first
  // bytes, read when its extension's format fails), the picture.
  EXPECT_EQ(Fs().openCalls, FolderPresence::kFailuresBeforeListing + 3);
}

TEST_F(ShowPictureTest, ALongSearchTellsHowFarItIsAndKeysWaitForThePicture) {
  RegisterFake();
  AddFake("C:\\p\\y.fak");
  AddFake("C:\\p\\z.fak");
  MainWindow& f = Make();
  f.pacing.pump = f.pacing.title = std::chrono::milliseconds(0);
  for (const char* name : {"a", "b", "c", "y", "z"})
    f.Model().list.Add(std::string("C:\\p\\") + name + ".fak");
  std::string title;
  // D during the search would remove an entry it holds; it removes the picture found once it is shown.
  headless::OnProcessMessages() = [&] {
    if (!title.empty()) return;
    title = f.Caption();
    uint16_t key = 'D';
    f.OnKeyDown(key, 0);
  };
  f.Run(Command::Reload);
  EXPECT_EQ(title, "(2/5) C:\\p\\b.fak");
  EXPECT_EQ(Entries(), Strings{"C:\\p\\z.fak"});
  EXPECT_EQ(f.Shown().name, "z.fak");
}

TEST_F(ShowPictureTest, OtherErrorsReachTheCallerAndTheEntryStays) {
  PictureFormats::Register("err", "Failing", &FailingImage::kFormat);
  Fs().AddFile("C:\\p\\a.err", "x");
  MainWindow& f = Make();
  f.Model().list.Add("C:\\p\\a.err");
  EXPECT_THROW(f.Run(Command::Reload), ReadError);
  EXPECT_EQ(Entries().size(), 1u);
  // Through the application's guard (as every handler runs) the message is shown.
  ui::App().Guard([&] { f.Run(Command::Reload); });
  EXPECT_EQ(Messages(), Strings{"Stream read error"});
}

TEST_F(ShowPictureTest, AnIndexOutsideTheListShowsTheNearestEntry) {
  RegisterFake();
  AddFake("C:\\p\\a.fak");
  AddFake("C:\\p\\b.fak");
  MainWindow& f = With({"C:\\p\\a.fak", "C:\\p\\b.fak"});
  f.Model().current = -1;
  f.Run(Command::Reload);
  EXPECT_EQ(f.Model().current, 0);
  f.Model().current = 7;
  f.Run(Command::Reload);
  EXPECT_EQ(f.Model().current, 1);
  EXPECT_EQ(Entries().size(), 2u);
}

TEST_F(ShowPictureTest, FullPathsAreShownForSeveralFolders) {
  RegisterFake();
  AddFake("C:\\p\\a.fak");
  AddFake("C:\\q\\b.fak");
  MainWindow& f = Make({"C:\\p", "C:\\q"});
  EXPECT_EQ(f.Shown().name, "C:\\p\\a.fak");
}

TEST_F(ShowPictureTest, ABitmapFileLoads) {
  Fs().AddFile("C:\\p\\a.bmp", test::SimpleBmp(3, 2, 24, {0xFF0000, 0x00FF00, 0x0000FF, 0, 0, 0}));
  MainWindow& f = Make({"C:\\p\\a.bmp"});
  EXPECT_EQ(f.Caption(), "[F] (1/1) a.bmp 3x2 100%");
  EXPECT_EQ(&f.picture.Content().Graphic()->Format(), &Bitmap::kFormat);
}

TEST_F(ShowPictureTest, TheVisibleListWindowSelectsTheShownEntry) {
  RegisterFake();
  AddFake("C:\\p\\a.fak");
  AddFake("C:\\p\\b.fak");
  MainWindow& f = With({"C:\\p\\a.fak", "C:\\p\\b.fak"});
  EXPECT_EQ(list->entryList.Count(), 2);
  list->Show();
  f.Model().current = 1;
  f.Run(Command::Reload);
  EXPECT_EQ(list->entryList.ItemIndex(), 1);
}

TEST(BlankPictureTest, BlackWithWhiteWordsAcrossTheMiddle) {
  auto bitmap = MakeBlankPicture();
  ASSERT_EQ(bitmap->GetWidth(), 200);
  ASSERT_EQ(bitmap->GetHeight(), 200);
  EXPECT_EQ(bitmap->BitCount(), 1);
  auto white = [&](int x, int y) { return (bitmap->ScanLine(y)[x / 8] >> (7 - x % 8)) & 1; };
  int top = 200, bottom = -1, left = 200, right = -1, count = 0;
  for (int y = 0; y < 200; ++y)
    for (int x = 0; x < 200; ++x)
      if (white(x, y)) {
        ++count;
        top = std::min(top, y), bottom = std::max(bottom, y);
        left = std::min(left, x), right = std::max(right, x);
      }
  EXPECT_GT(count, 200);
  EXPECT_NEAR((top + bottom) / 2, 100, 3);
  EXPECT_NEAR((left + right) / 2, 100, 3);
  EXPECT_GT(right - left, 100);
  EXPECT_LT(bottom - top, 20);
  // Colour 0 is black and colour 1 white.
  const uint8_t* table = bitmap->Info() + 40;
  EXPECT_EQ(table[0] | table[1] | table[2], 0);
  EXPECT_EQ(table[4] & table[5] & table[6], 255);
}

class ProgressTest : public ShowPictureTest {
 protected:
  MainWindow& Running(bool pause) {
    PictureFormats::Register("prg", "Reporting", &ReportingImage::kFormat);
    RegisterFake();
    Fs().AddFile("C:\\p\\a.prg", "FAKE 5 5");
    AddFake("C:\\p\\b.fak");
    MainWindow& f = With({"C:\\p\\a.prg", "C:\\p\\b.fak"});
    f.Model().modes.pauseWhileLoading = pause;
    f.slideTimer.SetEnabled(true);
    return f;
  }
};

TEST_F(ProgressTest, TheTimerIsHeldWhileAPictureDecodes) {
  MainWindow& f = Running(true);
  bool enabledDuringDecode = true;
  ReportingImage::duringDecode = [&] { enabledDuringDecode = f.slideTimer.Enabled(); };
  f.Model().current = 0;
  f.Run(Command::Reload);
  EXPECT_FALSE(enabledDuringDecode);
  EXPECT_TRUE(f.run.showWasRunning);
  EXPECT_TRUE(f.slideTimer.Enabled());
  EXPECT_EQ(f.Caption(), "{F} (1/2) a.prg 5x5 100%");
}

TEST_F(ProgressTest, AStoppedTimerStaysStopped) {
  MainWindow& f = Running(true);
  f.slideTimer.SetEnabled(false);
  f.Model().current = 0;
  f.Run(Command::Reload);
  EXPECT_FALSE(f.run.showWasRunning);
  EXPECT_FALSE(f.slideTimer.Enabled());
}

TEST_F(ProgressTest, WithoutPauseOrWithoutReportsTheTimerRuns) {
  MainWindow& f = Running(false);
  bool enabledDuringDecode = false;
  ReportingImage::duringDecode = [&] { enabledDuringDecode = f.slideTimer.Enabled(); };
  f.Model().current = 0;
  f.Run(Command::Reload);
  EXPECT_TRUE(enabledDuringDecode);
  f.Model().modes.pauseWhileLoading = true;
  f.run.showWasRunning = false;
  f.Model().current = 1;  // a class that reports nothing
  f.Run(Command::Reload);
  EXPECT_TRUE(f.slideTimer.Enabled());
  EXPECT_FALSE(f.run.showWasRunning);
}

}  // namespace
}  // namespace zeb::app
