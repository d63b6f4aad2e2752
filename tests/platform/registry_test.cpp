#include <gtest/gtest.h>

#include "platform/graphics/bitmap.h"
#include "platform/graphics/graphic.h"
#include "platform/graphics/icon.h"
#include "platform/graphics/jpeg.h"
#include "platform/graphics/metafile.h"
#include "tests/support/fake_graphic.h"

namespace zeb {
namespace {

using test::TFakeGraphic;
using test::TOtherFakeGraphic;

constexpr const char* kBuiltInMask = "*.jpg;*.jpeg;*.bmp;*.ico;*.emf;*.wmf";

class PictureFormatsTest : public ::testing::Test {
 protected:
  void TearDown() override {
    PictureFormats::UnregisterGraphicClass(&TFakeGraphic::Class);
    PictureFormats::UnregisterGraphicClass(&TOtherFakeGraphic::Class);
  }
};

TEST_F(PictureFormatsTest, BuiltInFormats) {
  EXPECT_EQ(PictureFormats::FileMask(), kBuiltInMask);
  EXPECT_EQ(PictureFormats::Find("jpg"), &TJPEGImage::Class);
  EXPECT_EQ(PictureFormats::Find("jpeg"), &TJPEGImage::Class);
  EXPECT_EQ(PictureFormats::Find("bmp"), &TBitmap::Class);
  EXPECT_EQ(PictureFormats::Find("ico"), &TIcon::Class);
  EXPECT_EQ(PictureFormats::Find("emf"), &TMetafile::Class);
  EXPECT_EQ(PictureFormats::Find("wmf"), &TMetafile::Class);
  EXPECT_EQ(PictureFormats::Find("png"), nullptr);
  EXPECT_EQ(PictureFormats::Find(""), nullptr);
  EXPECT_EQ(PictureFormats::Find("."), nullptr);
}

TEST_F(PictureFormatsTest, ExtensionsCompareWithoutRegardToCaseWithOrWithoutTheDot) {
  EXPECT_EQ(PictureFormats::Find("JPG"), &TJPEGImage::Class);
  EXPECT_EQ(PictureFormats::Find(".Jpeg"), &TJPEGImage::Class);
  PictureFormats::Register("PPM", "Portable pixmaps", &TFakeGraphic::Class);
  EXPECT_EQ(PictureFormats::Find("ppm"), &TFakeGraphic::Class);
  EXPECT_EQ(PictureFormats::Find(".pPm"), &TFakeGraphic::Class);
  EXPECT_EQ(PictureFormats::FileMask(), std::string("*.ppm;") + kBuiltInMask);
}

TEST_F(PictureFormatsTest, TheLatestRegistrationWinsAndComesFirstInTheMask) {
  PictureFormats::Register("jpg", "Fake JPEG", &TFakeGraphic::Class);
  PictureFormats::Register("abc", "A", &TOtherFakeGraphic::Class);
  PictureFormats::Register("ABC", "B", &TFakeGraphic::Class);
  EXPECT_EQ(PictureFormats::Find("jpg"), &TFakeGraphic::Class);
  EXPECT_EQ(PictureFormats::Find("abc"), &TFakeGraphic::Class);
  EXPECT_EQ(PictureFormats::FileMask(), std::string("*.abc;*.abc;*.jpg;") + kBuiltInMask);

  // Taking the later class away uncovers the earlier registrations.
  PictureFormats::UnregisterGraphicClass(&TFakeGraphic::Class);
  EXPECT_EQ(PictureFormats::Find("jpg"), &TJPEGImage::Class);
  EXPECT_EQ(PictureFormats::Find("abc"), &TOtherFakeGraphic::Class);
}

TEST_F(PictureFormatsTest, UnregisteringAClassRemovesEveryEntryOfThatClassOnly) {
  PictureFormats::Register("aaa", "A", &TFakeGraphic::Class);
  PictureFormats::Register("ddd", "D", &TOtherFakeGraphic::Class);
  PictureFormats::Register("bbb", "B", &TFakeGraphic::Class);
  PictureFormats::Register("ccc", "C", &TFakeGraphic::Class);
  PictureFormats::UnregisterGraphicClass(&TFakeGraphic::Class);
  EXPECT_EQ(PictureFormats::FileMask(), std::string("*.ddd;") + kBuiltInMask);
  EXPECT_EQ(PictureFormats::Find("aaa"), nullptr);
  EXPECT_EQ(PictureFormats::Find("ccc"), nullptr);
  EXPECT_EQ(PictureFormats::Find("ddd"), &TOtherFakeGraphic::Class);
}

TEST_F(PictureFormatsTest, AFormatWithoutAnExtensionIsLeftOutOfTheMaskAndNeverFound) {
  PictureFormats::Register("", "No extension", &TFakeGraphic::Class);
  EXPECT_EQ(PictureFormats::FileMask(), kBuiltInMask);
  EXPECT_EQ(PictureFormats::Find(""), nullptr);
}

}  // namespace
}  // namespace zeb
