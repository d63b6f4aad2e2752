// Reading the next picture ahead (decodes run when the window's messages are let through, as the
// headless platform runs background work): which entry, the hand-over, and when it is read again.
#include <gtest/gtest.h>

#include "platform/graphics/picture_size.h"
#include "tests/app/command_fixture.h"

namespace zeb::app {
namespace {

using testing_support::CommandTest;

class ReadAheadTest : public CommandTest {
 protected:
  // The window idle after a picture: the read-ahead starts and its decode runs.
  void Idle() {
    form->readAheadTimer.Tick();
    ui::App().ProcessMessages();
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

TEST_F(ReadAheadTest, AFileChangedSinceItWasReadAheadIsReadAgain) {
  MainWindow& f = WithNumbered(2);
  Idle();
  AddBmp("C:\\p\\1.bmp", 7, 5);
  Press('N');
  EXPECT_EQ(f.Caption(), "[F] (2/2) 1.bmp 7x5 100%");
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
