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
    PictureFormats::UnregisterFormat(&FakeImage::kFormat);
    PictureFormats::UnregisterFormat(&OtherFakeImage::kFormat);
  }
};

TEST_F(PictureFormatsTest, BuiltInFormats) {
  EXPECT_EQ(PictureFormats::FileMask(), kBuiltInMask);
  EXPECT_EQ(PictureFormats::Find("jpg"), &JpegImage::kFormat);
  EXPECT_EQ(PictureFormats::Find("jpeg"), &JpegImage::kFormat);
  EXPECT_EQ(PictureFormats::Find("bmp"), &Bitmap::kFormat);
  EXPECT_EQ(PictureFormats::Find("ico"), &IconImage::kFormat);
  EXPECT_EQ(PictureFormats::Find("emf"), &MetafileImage::kFormat);
  EXPECT_EQ(PictureFormats::Find("wmf"), &MetafileImage::kFormat);
  EXPECT_EQ(PictureFormats::Find("png"), nullptr);
  EXPECT_EQ(PictureFormats::Find(""), nullptr);
  EXPECT_EQ(PictureFormats::Find("."), nullptr);
}

TEST_F(PictureFormatsTest, ExtensionsCompareWithoutRegardToCaseWithOrWithoutTheDot) {
  EXPECT_EQ(PictureFormats::Find("JPG"), &JpegImage::kFormat);
  EXPECT_EQ(PictureFormats::Find(".Jpeg"), &JpegImage::kFormat);
  PictureFormats::Register("PPM", "Portable pixmaps", &FakeImage::kFormat);
  EXPECT_EQ(PictureFormats::Find("ppm"), &FakeImage::kFormat);
  EXPECT_EQ(PictureFormats::Find(".pPm"), &FakeImage::kFormat);
  EXPECT_EQ(PictureFormats::FileMask(), std::string("*.ppm;") + kBuiltInMask);
}

TEST_F(PictureFormatsTest, TheLatestRegistrationWinsAndComesFirstInTheMask) {
  PictureFormats::Register("jpg", "Fake JPEG", &FakeImage::kFormat);
  PictureFormats::Register("abc", "A", &OtherFakeImage::kFormat);
  PictureFormats::Register("ABC", "B", &FakeImage::kFormat);
  EXPECT_EQ(PictureFormats::Find("jpg"), &FakeImage::kFormat);
  EXPECT_EQ(PictureFormats::Find("abc"), &FakeImage::kFormat);
  EXPECT_EQ(PictureFormats::FileMask(), std::string("*.abc;*.abc;*.jpg;") + kBuiltInMask);

  // Taking the later class away uncovers the earlier registrations.
  PictureFormats::UnregisterFormat(&FakeImage::kFormat);
  EXPECT_EQ(PictureFormats::Find("jpg"), &JpegImage::kFormat);
  EXPECT_EQ(PictureFormats::Find("abc"), &OtherFakeImage::kFormat);
}

TEST_F(PictureFormatsTest, UnregisteringAClassRemovesEveryEntryOfThatClassOnly) {
  PictureFormats::Register("aaa", "A", &FakeImage::kFormat);
  PictureFormats::Register("ddd", "D", &OtherFakeImage::kFormat);
  PictureFormats::Register("bbb", "B", &FakeImage::kFormat);
  PictureFormats::Register("ccc", "C", &FakeImage::kFormat);
  PictureFormats::UnregisterFormat(&FakeImage::kFormat);
  EXPECT_EQ(PictureFormats::FileMask(), std::string("*.ddd;") + kBuiltInMask);
  EXPECT_EQ(PictureFormats::Find("aaa"), nullptr);
  EXPECT_EQ(PictureFormats::Find("ccc"), nullptr);
  EXPECT_EQ(PictureFormats::Find("ddd"), &OtherFakeImage::kFormat);
}

TEST_F(PictureFormatsTest, AFormatWithoutAnExtensionIsLeftOutOfTheMaskAndNeverFound) {
  PictureFormats::Register("", "No extension", &FakeImage::kFormat);
  EXPECT_EQ(PictureFormats::FileMask(), kBuiltInMask);
  EXPECT_EQ(PictureFormats::Find(""), nullptr);
}

}  // namespace
}  // namespace zeb
