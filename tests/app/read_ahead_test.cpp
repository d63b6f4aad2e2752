// Reading the next picture ahead (decodes run when the window's messages are let through, as the
// headless platform runs background work): which entry, the hand-over, and when it is read again.
#include <gtest/gtest.h>

#include <future>
#include <thread>
#include <tuple>

#include "platform/graphics/picture_size.h"
#include "platform/services/background.h"
#include "tests/app/command_fixture.h"

namespace zeb::app {
namespace {

using testing_support::CommandTest;

class ReadAheadTest : public CommandTest {
 protected:
  // The window idle after a picture: the read-ahead starts and its decode runs (posted, or on a thread
  // of its own when the headless platform runs background jobs on threads).
  void Idle() {
    form->readAheadTimer.Tick();
    ui::App().ProcessMessages();
    ASSERT_TRUE(WaitForBackgroundJobs(std::chrono::seconds(10)));
  }
};

TEST_F(ReadAheadTest, TheNextStepTakesThePictureDecodedAhead) {
  MainWindow& f = WithNumbered(3);
  Idle();
  ASSERT_EQ(f.ReadingAhead(), "C:\\p\\1.bmp");
  // The file can no longer be opened: what N shows was decoded before.
  Fs().SetLocked("C:\\p\\1.bmp", true);
  std::vector<ProgressStage> stages;
  auto showProgress = f.picture.OnProgress;
  f.picture.OnProgress = [&](Image* g, ProgressStage stage, uint8_t p, bool r, const PixelRect& rect,
                             const std::string& m) {
    stages.push_back(stage);
    showProgress(g, stage, p, r, rect, m);
  };
  Press('N');
  EXPECT_EQ(f.Model().current, 1);
  EXPECT_EQ(f.Caption(), "[F] (2/3) 1.bmp 4x3 100%");
  EXPECT_EQ(stages, (std::vector<ProgressStage>{ProgressStage::Starting, ProgressStage::Ending}));
}

TEST_F(ReadAheadTest, AFileChangedOrReplacedSinceItWasReadAheadIsReadAgain) {
  // 12 x 1 has the byte size of 4 x 3; the replacement may keep the write time too, as a copy does.
  for (const auto& [width, height, keepTime] : {std::tuple(7, 5, false), std::tuple(12, 1, true)}) {
    TearDown(), SetUp();
    MainWindow& f = WithNumbered(2);
    Idle();
    FileStamp old;
    ASSERT_TRUE(Fs().Stamp("C:\\p\\1.bmp", old));
    AddBmp("C:\\p\\1.bmp", width, height);
    if (keepTime) Fs().SetWriteTime("C:\\p\\1.bmp", old.writeTime);
    Press('N');
    EXPECT_EQ(f.Caption(),
              "[F] (2/2) 1.bmp " + std::to_string(width) + "x" + std::to_string(height) + " 100%");
  }
}

// A decode no thread could be made for is made by the step that wants it, and, dropped, does not hold
// up the end.
TEST_F(ReadAheadTest, AReadAheadWithoutAThreadIsNeitherLostNorWaitedForAtTheEnd) {
  AddBmp("C:\\p\\a.bmp");
  AddBmp("C:\\p\\b.bmp");
  headless::Background().failLaunches = true;
  auto ahead = std::make_unique<ReadAhead>();
  ahead->Start("C:\\p\\a.bmp", 100, 100);
  EXPECT_NE(ahead->Take("C:\\p\\a.bmp"), nullptr);
  ahead->Start("C:\\p\\b.bmp", 100, 100);
  ahead->Drop();
  headless::Background().failLaunches = false;
  auto ended = std::make_shared<std::promise<void>>();
  std::thread([ahead = std::move(ahead), ended]() mutable {
    ahead.reset();
    ended->set_value();
  }).detach();
  EXPECT_EQ(ended->get_future().wait_for(std::chrono::seconds(5)), std::future_status::ready);
}

TEST_F(ReadAheadTest, TheEntryReadAheadFollowsTheWalkAndTheShow) {
  MainWindow& f = WithNumbered(4);
  Press('E');
  Press('P');
  Idle();
  EXPECT_EQ(f.ReadingAhead(), "C:\\p\\1.bmp");  // walking back
  Press('E');
  Idle();
  EXPECT_EQ(f.ReadingAhead(), "C:\\p\\2.bmp");  // still the direction of the last step
  Press('N');
  Idle();
  EXPECT_EQ(f.ReadingAhead(), "");  // the end, no loop
  Press('L');
  Idle();
  EXPECT_EQ(f.ReadingAhead(), "C:\\p\\0.bmp");  // around with loop
  f.Model().modes.slideDirection = SlideDirection::Random;
  f.slideTimer.SetEnabled(true);
  Idle();
  EXPECT_EQ(f.ReadingAhead(), "");
  f.Model().modes.slideDirection = SlideDirection::Backward;
  Idle();
  EXPECT_EQ(f.ReadingAhead(), "C:\\p\\2.bmp");
}

TEST_F(ReadAheadTest, PluginAndUnknownFormatsLoadInTheirOwnStep) {
  RegisterFake();
  AddFake("C:\\p\\b.fak");
  MainWindow& f = With({"C:\\p\\a.bmp"});
  f.Model().list.Add("C:\\p\\b.fak");
  Idle();
  EXPECT_EQ(f.ReadingAhead(), "");
}

TEST(PictureSizeTest, TheHeaderDeclaresTheSize) {
  const std::string bmp = test::SimpleBmp(5, 3, 24, std::vector<uint32_t>(15, 0));
  std::string topDown = bmp;
  topDown[25] = topDown[24] = topDown[23] = '\xFF', topDown[22] = '\xFD';  // height -3
  // SOI, an APP0 segment of 16 bytes, then a progressive frame of 640 x 480.
  const std::string jpeg = std::string("\xFF\xD8\xFF\xE0\x00\x10", 6) + std::string(14, 'x') +
                           std::string("\xFF\xC2\x00\x11\x08\x01\xE0\x02\x80\x03", 10) +
                           std::string(12, '\0');
  const std::pair<std::string, uint64_t> known[] = {{bmp, 15}, {topDown, 15}, {jpeg, 640 * 480}};
  for (const auto& [head, pixels] : known) {
    uint64_t declared = 0;
    EXPECT_TRUE(DeclaredPixelCount(head, declared));
    EXPECT_EQ(declared, pixels);
  }
  uint64_t declared = 0;
  for (const std::string& other : {std::string("GIF89a"), std::string("\xFF\xD8\xFF\xE0", 4), std::string()})
    EXPECT_FALSE(DeclaredPixelCount(other, declared));
}

}  // namespace
}  // namespace zeb::app
