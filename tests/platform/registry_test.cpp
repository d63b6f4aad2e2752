#include <gtest/gtest.h>

#include "platform/graphics/bitmap.h"
#include "platform/graphics/graphic.h"
#include "platform/graphics/icon.h"
#include "platform/graphics/jpeg.h"
#include "platform/graphics/metafile.h"
#include "tests/support/fake_graphic.h"

namespace zeb {
namespace {

using test::FakeImage;
using test::OtherFakeImage;

constexpr const char* kBuiltInMask = "*.jpg;*.jpeg;*.bmp;*.ico;*.emf;*.wmf";

class PictureFormatsTest : public ::testing::Test {
 protected:
  void TearDown() override {
    PictureFormats::UnregisterGraphicClass(&FakeImage::Class);
    PictureFormats::UnregisterGraphicClass(&OtherFakeImage::Class);
  }
};

TEST_F(PictureFormatsTest, BuiltInFormats) {
  EXPECT_EQ(PictureFormats::FileMask(), kBuiltInMask);
  EXPECT_EQ(PictureFormats::Find("jpg"), &JpegImage::Class);
  EXPECT_EQ(PictureFormats::Find("jpeg"), &JpegImage::Class);
  EXPECT_EQ(PictureFormats::Find("bmp"), &Bitmap::Class);
  EXPECT_EQ(PictureFormats::Find("ico"), &IconImage::Class);
  EXPECT_EQ(PictureFormats::Find("emf"), &MetafileImage::Class);
  EXPECT_EQ(PictureFormats::Find("wmf"), &MetafileImage::Class);
  EXPECT_EQ(PictureFormats::Find("png"), nullptr);
  EXPECT_EQ(PictureFormats::Find(""), nullptr);
  EXPECT_EQ(PictureFormats::Find("."), nullptr);
}

TEST_F(PictureFormatsTest, ExtensionsCompareWithoutRegardToCaseWithOrWithoutTheDot) {
  EXPECT_EQ(PictureFormats::Find("JPG"), &JpegImage::Class);
  EXPECT_EQ(PictureFormats::Find(".Jpeg"), &JpegImage::Class);
  PictureFormats::Register("PPM", "Portable pixmaps", &FakeImage::Class);
  EXPECT_EQ(PictureFormats::Find("ppm"), &FakeImage::Class);
  EXPECT_EQ(PictureFormats::Find(".pPm"), &FakeImage::Class);
  EXPECT_EQ(PictureFormats::FileMask(), std::string("*.ppm;") + kBuiltInMask);
}

TEST_F(PictureFormatsTest, TheLatestRegistrationWinsAndComesFirstInTheMask) {
  PictureFormats::Register("jpg", "Fake JPEG", &FakeImage::Class);
  PictureFormats::Register("abc", "A", &OtherFakeImage::Class);
  PictureFormats::Register("ABC", "B", &FakeImage::Class);
  EXPECT_EQ(PictureFormats::Find("jpg"), &FakeImage::Class);
  EXPECT_EQ(PictureFormats::Find("abc"), &FakeImage::Class);
  EXPECT_EQ(PictureFormats::FileMask(), std::string("*.abc;*.abc;*.jpg;") + kBuiltInMask);

  // Taking the later class away uncovers the earlier registrations.
  PictureFormats::UnregisterGraphicClass(&FakeImage::Class);
  EXPECT_EQ(PictureFormats::Find("jpg"), &JpegImage::Class);
  EXPECT_EQ(PictureFormats::Find("abc"), &OtherFakeImage::Class);
}

TEST_F(PictureFormatsTest, UnregisteringAClassRemovesEveryEntryOfThatClassOnly) {
  PictureFormats::Register("aaa", "A", &FakeImage::Class);
  PictureFormats::Register("ddd", "D", &OtherFakeImage::Class);
  PictureFormats::Register("bbb", "B", &FakeImage::Class);
  PictureFormats::Register("ccc", "C", &FakeImage::Class);
  PictureFormats::UnregisterGraphicClass(&FakeImage::Class);
  EXPECT_EQ(PictureFormats::FileMask(), std::string("*.ddd;") + kBuiltInMask);
  EXPECT_EQ(PictureFormats::Find("aaa"), nullptr);
  EXPECT_EQ(PictureFormats::Find("ccc"), nullptr);
  EXPECT_EQ(PictureFormats::Find("ddd"), &OtherFakeImage::Class);
}

TEST_F(PictureFormatsTest, AFormatWithoutAnExtensionIsLeftOutOfTheMaskAndNeverFound) {
  PictureFormats::Register("", "No extension", &FakeImage::Class);
  EXPECT_EQ(PictureFormats::FileMask(), kBuiltInMask);
  EXPECT_EQ(PictureFormats::Find(""), nullptr);
}

}  // namespace
}  // namespace zeb
