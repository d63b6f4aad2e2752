#include <gtest/gtest.h>

#include "tests/support/bmp_maker.h"

#include <string>
#include <vector>

#include "platform/core/errors.h"
#include "platform/graphics/graphic.h"
#include "platform/graphics/icon.h"
#include "platform/graphics/jpeg.h"
#include "platform/graphics/metafile.h"
#include "platform/headless/headless.h"
#include "tests/support/fake_graphic.h"
#include "tests/support/jpeg_maker.h"

namespace zeb {
namespace {

using test::FakeImage;

class PictureTest : public ::testing::Test {
 protected:
  void SetUp() override { headless::ResetAll(); }
  void TearDown() override { PictureFormats::UnregisterFormat(&FakeImage::kFormat); }
  void AddFile(const std::string& path, std::string bytes) {
    headless::DefaultFiles().AddFile(path, std::move(bytes));
  }
};

TEST_F(PictureTest, LoadingByNameCreatesTheClassRegisteredForTheExtension) {
  AddFile("C:\\p\\a.jpg", test::MakeJpeg({.width = 40, .height = 30}));
  AddFile("C:\\p\\b.JPEG", test::MakeJpeg({.width = 3, .height = 2, .progressive = true}));
  AddFile("C:\\p\\c.Ico", test::SmallIcon());
  Picture picture;
  picture.LoadFromFile("C:\\p\\a.jpg");
  ASSERT_NE(picture.Graphic(), nullptr);
  EXPECT_NE(dynamic_cast<JpegImage*>(picture.Graphic()), nullptr);
  EXPECT_EQ(picture.Width(), 40);
  EXPECT_EQ(picture.Height(), 30);

  picture.LoadFromFile("C:\\p\\b.JPEG");
  EXPECT_EQ(picture.Width(), 3);
  picture.LoadFromFile("C:\\p\\c.Ico");
  EXPECT_NE(dynamic_cast<IconImage*>(picture.Graphic()), nullptr);
  EXPECT_EQ(picture.Width(), 32);

  // A class registered later for an extension takes it over.
  PictureFormats::Register("jpg", "Fake", &FakeImage::kFormat);
  AddFile("C:\\p\\fake.jpg", "FAKE 7 9");
  picture.LoadFromFile("C:\\p\\fake.jpg");
  EXPECT_EQ(&picture.Graphic()->Format(), &FakeImage::kFormat);
  EXPECT_EQ(picture.Height(), 9);
}

TEST_F(PictureTest, AFileItsExtensionCannotReadIsReadByWhatItsFirstBytesAre) {
  const struct {
    const char* name;
    std::string bytes;
    int32_t width;
  } cases[] = {
      {"C:\\p\\icon.jpg", test::SmallIcon(), 32},
      {"C:\\p\\bitmap.jpg", test::SimpleBmp(3, 2, 24, std::vector<uint32_t>(6)), 3},
      {"C:\\p\\photo.bmp", test::MakeJpeg({.width = 7, .height = 5}), 7},
  };
  for (const auto& c : cases) {
    AddFile(c.name, c.bytes);
    Picture picture;
    picture.LoadFromFile(c.name);
    EXPECT_EQ(picture.Width(), c.width) << c.name;
  }
}

TEST_F(PictureTest, FailuresRaiseTheirErrorsAndKeepThePreviousPicture) {
  AddFile("C:\\p\\a.jpg", test::MakeJpeg({.width = 40, .height = 30}));
  AddFile("C:\\p\\notes.txt", "text");
  AddFile("C:\\p\\noext", "FAKE 1 1");
  AddFile("C:\\p\\bad.jpg", "not a JPEG");
  AddFile("C:\\p\\cut.emf", std::string(20, '\0'));
  AddFile("C:\\p\\locked.jpg", test::MakeJpeg({.width = 5, .height = 5}));
  headless::DefaultFiles().SetLocked("C:\\p\\locked.jpg", true);

  Picture picture;
  picture.LoadFromFile("C:\\p\\a.jpg");
  Image* before = picture.Graphic();
  int changes = 0;
  picture.OnChange = [&](Picture*) { ++changes; };

  EXPECT_THROW(picture.LoadFromFile("C:\\p\\notes.txt"), InvalidPicture);
  EXPECT_THROW(picture.LoadFromFile("C:\\p\\noext"), InvalidPicture);
  EXPECT_THROW(picture.LoadFromFile("C:\\p\\bad.jpg"), InvalidPicture);
  EXPECT_THROW(picture.LoadFromFile("C:\\p\\cut.emf"), InvalidPicture);
  EXPECT_THROW(picture.LoadFromFile("C:\\p\\missing.jpg"), FileOpenError);
  EXPECT_THROW(picture.LoadFromFile("C:\\p\\locked.jpg"), FileOpenError);
  EXPECT_THROW(picture.LoadFromFile("C:\\nowhere\\a.wmf"), FileOpenError);

  EXPECT_EQ(picture.Graphic(), before);
  EXPECT_EQ(picture.Width(), 40);
  EXPECT_EQ(changes, 0);
}

TEST_F(PictureTest, ForwardsTheDecodersProgressAndReportsTheChange) {
  AddFile("C:\\p\\a.jpg", test::MakeJpeg({.width = 64, .height = 64}));
  Picture picture;
  std::vector<ProgressStage> stages;
  std::vector<Image*> senders;
  picture.OnProgress = [&](Image* sender, ProgressStage stage, uint8_t, bool, const PixelRect&,
                           const std::string&) {
    stages.push_back(stage);
    senders.push_back(sender);
  };
  std::vector<Image*> changedTo;
  picture.OnChange = [&](Picture* p) { changedTo.push_back(p->Graphic()); };
  picture.LoadFromFile("C:\\p\\a.jpg");
  ASSERT_GE(stages.size(), 2u);
  EXPECT_EQ(stages.front(), ProgressStage::Starting);
  EXPECT_EQ(stages.back(), ProgressStage::Ending);
  for (Image* s : senders) EXPECT_EQ(s, picture.Graphic());
  ASSERT_EQ(changedTo.size(), 1u);
  EXPECT_EQ(changedTo[0], picture.Graphic());

  // A picture that reports nothing still changes the picture once.
  PictureFormats::Register("fake", "Fake", &FakeImage::kFormat);
  AddFile("C:\\p\\a.fake", "FAKE 2 2");
  stages.clear();
  picture.LoadFromFile("C:\\p\\a.fake");
  EXPECT_TRUE(stages.empty());
  EXPECT_EQ(changedTo.size(), 2u);
}

TEST_F(PictureTest, AssignMakesAnIndependentPictureOfTheSameClass) {
  AddFile("C:\\p\\a.wmf", [] {
    // Placeable header (1 x 0.5 inch) and a Windows metafile of just its header and META_EOF.
    std::string s("\xD7\xCD\xC6\x9A\0\0\0\0\0\0\x60\0\x30\0\x60\0\0\0\0\0\0\0", 22);
    s += std::string("\1\0\x09\0\0\3\x0C\0\0\0\0\0\3\0\0\0\0\0\3\0\0\0\0\0", 24);
    return s;
  }());
  Picture source;
  source.LoadFromFile("C:\\p\\a.wmf");
  ASSERT_NE(dynamic_cast<MetafileImage*>(source.Graphic()), nullptr);
  Picture copy;
  copy.Assign(source);
  ASSERT_NE(copy.Graphic(), nullptr);
  EXPECT_NE(copy.Graphic(), source.Graphic());
  EXPECT_EQ(&copy.Graphic()->Format(), &MetafileImage::kFormat);
  EXPECT_EQ(copy.Width(), 96);
  EXPECT_EQ(copy.Height(), 48);
  copy.Graphic()->SetWidth(10);
  EXPECT_EQ(source.Width(), 96);

  Picture empty;
  copy.Assign(empty);
  EXPECT_EQ(copy.Graphic(), nullptr);
  EXPECT_EQ(copy.Width(), 0);
}

}  // namespace
}  // namespace zeb
