#include "platform/graphics/jpeg.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include <jpeglib.h>

#include "platform/core/errors.h"
#include "platform/core/streams.h"
#include "platform/graphics/icon.h"
#include "tests/support/icc_profiles.h"
#include "tests/support/jpeg_maker.h"
#include "tests/support/load_bytes.h"
#include "tests/support/recording_canvas.h"

namespace zeb {
namespace {

using test::JpegColour;
using test::JpegRecipe;
using test::LoadBytes;
using test::MakeJpeg;

// Offset of the first marker FF Code in a JPEG file, or npos.
size_t FindMarker(const std::string& jpg, uint8_t code) {
  for (size_t i = 0; i + 1 < jpg.size(); ++i)
    if (static_cast<uint8_t>(jpg[i]) == 0xFF && static_cast<uint8_t>(jpg[i + 1]) == code) return i;
  return std::string::npos;
}

// Largest difference of any channel between the decoded picture and what the pattern should show,
// over the rows [FirstRow, LastRow).
int WorstDifference(const JpegImage& jpeg, const JpegRecipe& recipe, int firstRow, int lastRow) {
  const Bitmap* bitmap = jpeg.DecodedBitmap();
  const int step = bitmap->BitCount() / 8;
  int worst = 0;
  for (int y = firstRow; y < lastRow; ++y) {
    const uint8_t* row = bitmap->Bits() + static_cast<size_t>(y) * bitmap->RowStride();
    for (int x = 0; x < recipe.width; ++x) {
      test::Rgb want = test::JpegExpected(recipe, x, y);
      const uint8_t* bgr = row + x * step;
      worst =
          std::max({worst, std::abs(bgr[0] - want.b), std::abs(bgr[1] - want.g), std::abs(bgr[2] - want.r)});
    }
  }
  return worst;
}

struct DecodeCase {
  const char* name;
  JpegRecipe recipe;
};

class JpegDecodeTest : public ::testing::TestWithParam<DecodeCase> {};

TEST_P(JpegDecodeTest, DecodesIntoATopDownBitmapMatchingThePicture) {
  const JpegRecipe& recipe = GetParam().recipe;
  JpegImage jpeg;
  LoadBytes(jpeg, MakeJpeg(recipe));
  ASSERT_FALSE(jpeg.GetEmpty());
  EXPECT_EQ(jpeg.GetWidth(), recipe.width);
  EXPECT_EQ(jpeg.GetHeight(), recipe.height);
  ASSERT_NE(jpeg.DecodedBitmap(), nullptr);
  const bool inks = recipe.colour == JpegColour::Cmyk || recipe.colour == JpegColour::Ycck;
  EXPECT_EQ(jpeg.DecodedBitmap()->BitCount(), inks ? 24 : 32);
  EXPECT_TRUE(jpeg.DecodedBitmap()->TopDown());
  EXPECT_LE(WorstDifference(jpeg, recipe, 0, recipe.height), 12);
}

// Odd sizes leave partial MCUs and padded rows.
INSTANTIATE_TEST_SUITE_P(
    Kinds, JpegDecodeTest,
    ::testing::Values(
        DecodeCase{"Baseline", {.width = 37, .height = 23, .quality = 95}},
        DecodeCase{"Progressive", {.width = 41, .height = 30, .progressive = true, .quality = 95}},
        DecodeCase{"Grey", {.width = 33, .height = 17, .colour = JpegColour::Grey, .quality = 95}},
        DecodeCase{"GreyProgressive",
                   {.width = 20, .height = 19, .colour = JpegColour::Grey, .progressive = true}},
        DecodeCase{"AdobeCmyk", {.width = 24, .height = 24, .colour = JpegColour::Cmyk, .quality = 95}},
        DecodeCase{"AdobeCmykWithBlack",
                   {.width = 24, .height = 16, .colour = JpegColour::Cmyk, .quality = 95, .black = 100}},
        DecodeCase{"AdobeYcck",
                   {.width = 30, .height = 18, .colour = JpegColour::Ycck, .quality = 95, .black = 60}},
        DecodeCase{"RestartMarkers", {.width = 64, .height = 64, .quality = 95, .restartRows = 1}},
        DecodeCase{"OnePixel", {.width = 1, .height = 1}}),
    [](const ::testing::TestParamInfo<DecodeCase>& info) { return std::string(info.param.name); });

// libjpeg's own samples of a JPEG at Eighths/8: red, green, blue, or the four inks as stored.
std::vector<uint8_t> RawSamples(const std::string& jpg, int eighths, J_COLOR_SPACE space) {
  jpeg_decompress_struct cinfo;
  jpeg_error_mgr err;
  cinfo.err = jpeg_std_error(&err);
  jpeg_create_decompress(&cinfo);
  jpeg_mem_src(&cinfo, reinterpret_cast<const unsigned char*>(jpg.data()),
               static_cast<unsigned long>(jpg.size()));
  jpeg_read_header(&cinfo, TRUE);
  cinfo.out_color_space = space;
  cinfo.scale_num = static_cast<unsigned>(eighths);
  cinfo.scale_denom = 8;
  jpeg_start_decompress(&cinfo);
  const size_t stride = size_t{cinfo.output_width} * static_cast<size_t>(cinfo.output_components);
  std::vector<uint8_t> samples(stride * cinfo.output_height);
  for (JSAMPROW row = samples.data(); cinfo.output_scanline < cinfo.output_height; row += stride)
    jpeg_read_scanlines(&cinfo, &row, 1);
  jpeg_destroy_decompress(&cinfo);
  return samples;
}

struct ColourCase {
  const char* name;
  JpegColour colour;
  std::string icc;
  int eighths;
  bool converted;
};

class JpegColourTest : public ::testing::TestWithParam<ColourCase> {};

// Converted from the embedded profile as lcms2 converts the same samples, at the scale decoded; without a
// usable profile the decoded samples are kept byte for byte.
TEST_P(JpegColourTest, ConvertsFromTheEmbeddedProfileAsLcms2Does) {
  const ColourCase& c = GetParam();
  const JpegRecipe recipe{.width = 48, .height = 32, .colour = c.colour, .black = 40, .icc = c.icc};
  const std::string jpg = MakeJpeg(recipe);
  JpegImage jpeg;
  jpeg.SetLargestDrawSize(recipe.width * c.eighths / 8, recipe.height * c.eighths / 8);
  LoadBytes(jpeg, jpg);
  const bool cmyk = c.colour == JpegColour::Cmyk;
  std::vector<uint8_t> want = RawSamples(jpg, c.eighths, cmyk ? JCS_CMYK : JCS_RGB);
  if (c.converted)
    want = test::ReferenceToSrgb(c.icc, cmyk ? TYPE_CMYK_8_REV : TYPE_RGB_8, want.data(),
                                 want.size() / (cmyk ? 4 : 3));
  const Bitmap& b = *jpeg.DecodedBitmap();
  const size_t width = static_cast<size_t>(recipe.width * c.eighths / 8);
  const size_t step = b.BitCount() / 8;
  ASSERT_EQ(b.RowStride(), (width * step + 3) / 4 * 4);  // decoded at the scale asked for
  int worst = 0;
  for (size_t i = 0; i < want.size(); ++i)
    worst = std::max(
        worst,
        std::abs(b.Bits()[i / 3 / width * b.RowStride() + i / 3 % width * step + 2 - i % 3] - want[i]));
  EXPECT_LE(worst, c.converted ? 2 : 0);
}

INSTANTIATE_TEST_SUITE_P(
    Profiles, JpegColourTest,
    ::testing::Values(
        ColourCase{"AdobeRgb", JpegColour::Rgb, test::MakeProfile(test::TestProfile::kAdobeRgb), 8, true},
        ColourCase{"AdobeRgbReduced", JpegColour::Rgb, test::MakeProfile(test::TestProfile::kAdobeRgb), 4,
                   true},
        ColourCase{"DisplayP3", JpegColour::Rgb, test::MakeProfile(test::TestProfile::kDisplayP3), 8, true},
        ColourCase{"AdobeCmyk", JpegColour::Cmyk, test::MakeProfile(test::TestProfile::kCmyk), 8, true},
        ColourCase{"NoProfile", JpegColour::Rgb, "", 8, false},
        ColourCase{"NotAProfile", JpegColour::Rgb, std::string(300, 'x'), 8, false}),
    [](const ::testing::TestParamInfo<ColourCase>& info) { return std::string(info.param.name); });

TEST(JpegImage, ReadsFromTheStreamsPositionAndSavesTheFileAsRead) {
  std::string jpg = MakeJpeg({.width = 8, .height = 6});
  MemoryStream stream;
  stream.WriteBuffer("JUNK", 4);
  stream.WriteBuffer(jpg.data(), static_cast<int64_t>(jpg.size()));
  stream.SetPosition(4);
  JpegImage jpeg;
  jpeg.LoadFromStream(stream);
  EXPECT_EQ(jpeg.GetWidth(), 8);

  MemoryStream saved;
  jpeg.SaveToStream(saved);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(saved.Memory()), static_cast<size_t>(saved.Size())),
            jpg);
}

TEST(JpegImage, AssignSharesThePictureAndRefusesOtherClasses) {
  JpegImage source;
  LoadBytes(source, MakeJpeg({.width = 12, .height = 7}));
  JpegImage copy;
  int changes = 0;
  copy.OnChange = [&](Image*) { ++changes; };
  copy.Assign(source);
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(copy.GetWidth(), 12);
  EXPECT_EQ(copy.GetHeight(), 7);
  EXPECT_EQ(copy.DecodedBitmap(), source.DecodedBitmap());  // shared, not copied

  IconImage icon;
  EXPECT_THROW(copy.Assign(icon), ConversionError);
  EXPECT_EQ(copy.GetWidth(), 12);
}

TEST(JpegImage, AssignsItsPixelsToABitmap) {
  JpegImage jpeg;
  LoadBytes(jpeg, MakeJpeg({.width = 10, .height = 5}));
  Bitmap bitmap;
  bitmap.Assign(jpeg);
  EXPECT_EQ(bitmap.GetWidth(), 10);
  EXPECT_EQ(bitmap.GetHeight(), 5);
  EXPECT_EQ(bitmap.BitCount(), 24);
}

TEST(JpegImage, DrawsThroughItsBitmapAndKeepsItsSize) {
  JpegImage jpeg;
  test::RecordingCanvas empty;
  jpeg.Draw(empty, Rect(0, 0, 5, 5));
  EXPECT_TRUE(empty.calls.empty());

  LoadBytes(jpeg, MakeJpeg({.width = 9, .height = 4}));
  test::RecordingCanvas canvas;
  jpeg.Draw(canvas, Rect(1, 2, 19, 10));
  ASSERT_EQ(canvas.calls.size(), 1u);
  EXPECT_EQ(canvas.calls[0].what, "StretchDIB");
  EXPECT_EQ(canvas.calls[0].dest, Rect(1, 2, 19, 10));
  EXPECT_EQ(canvas.calls[0].width, 9);

  EXPECT_THROW(jpeg.SetWidth(3), InvalidPicture);
  EXPECT_THROW(jpeg.SetHeight(3), InvalidPicture);
  EXPECT_EQ(jpeg.GetWidth(), 9);
}

// --- Damaged files --------------------------------------------------------------------------------

TEST(JpegDamage, DataThatIsNotAJpegIsAnInvalidGraphic) {
  for (std::string bytes : {std::string(), std::string("hello, world"), std::string("\xFF\xD8", 2),
                            std::string("\xFF\xD8\xFF\xD9", 4)}) {
    JpegImage jpeg;
    EXPECT_THROW(LoadBytes(jpeg, bytes), InvalidPicture) << bytes.size();
    EXPECT_TRUE(jpeg.GetEmpty());
  }
}

TEST(JpegDamage, AFailedLoadKeepsThePreviousPicture) {
  JpegImage jpeg;
  std::string good = MakeJpeg({.width = 15, .height = 9});
  LoadBytes(jpeg, good);
  const Bitmap* before = jpeg.DecodedBitmap();
  EXPECT_THROW(LoadBytes(jpeg, "not a picture"), InvalidPicture);
  EXPECT_EQ(jpeg.DecodedBitmap(), before);
  EXPECT_EQ(jpeg.GetWidth(), 15);
  EXPECT_EQ(jpeg.Data()->size(), good.size());
}

TEST(JpegDamage, AFileCutInsideItsHeadersIsAnInvalidGraphic) {
  std::string jpg = MakeJpeg({.width = 32, .height = 32});
  size_t sos = FindMarker(jpg, 0xDA);
  ASSERT_NE(sos, std::string::npos);
  for (size_t cut : {size_t{20}, sos / 2, sos, sos + 4}) {
    JpegImage jpeg;
    EXPECT_THROW(LoadBytes(jpeg, jpg.substr(0, cut)), InvalidPicture) << cut;
  }
}

TEST(JpegDamage, AFileCutInsideItsPictureDataShowsTheRowsItHolds) {
  JpegRecipe recipe{.width = 64, .height = 128, .quality = 95};
  std::string jpg = MakeJpeg(recipe);
  size_t sos = FindMarker(jpg, 0xDA);
  JpegImage jpeg;
  ::testing::internal::CaptureStderr();
  LoadBytes(jpeg, jpg.substr(0, sos + (jpg.size() - sos) * 6 / 10));
  EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");  // the warning is not printed
  ASSERT_EQ(jpeg.GetHeight(), 128);
  EXPECT_LE(WorstDifference(jpeg, recipe, 0, 16), 12);
  // What the file no longer holds is mid-grey.
  const uint8_t* last = jpeg.DecodedBitmap()->Bits() + 127 * jpeg.DecodedBitmap()->RowStride();
  for (int x = 0; x < 64; ++x)
    for (int c = 0; c < 3; ++c) ASSERT_NEAR(last[x * 4 + c], 128, 2) << x;
}

TEST(JpegDamage, CorruptPictureDataDecodesQuietly) {
  for (bool progressive : {false, true}) {
    std::string jpg = MakeJpeg({.width = 48, .height = 48, .progressive = progressive});
    size_t sos = FindMarker(jpg, 0xDA);
    for (size_t i = sos + 20; i < jpg.size() - 2; i += 7) jpg[i] = static_cast<char>(jpg[i] ^ 0x5A);
    JpegImage jpeg;
    ::testing::internal::CaptureStderr();
    try {
      LoadBytes(jpeg, jpg);
      EXPECT_EQ(jpeg.GetWidth(), 48);
    } catch (const InvalidPicture&) {
      // A damaged marker may end the decode; either outcome is clean.
    }
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "") << progressive;
  }
}

TEST(JpegDamage, EveryTruncationLoadsOrFailsCleanly) {
  for (bool progressive : {false, true}) {
    std::string jpg =
        MakeJpeg({.width = 24, .height = 16, .colour = JpegColour::Rgb, .progressive = progressive});
    for (size_t cut = 0; cut < jpg.size(); ++cut) {
      JpegImage jpeg;
      try {
        LoadBytes(jpeg, jpg.substr(0, cut));
        EXPECT_EQ(jpeg.GetWidth(), 24) << cut;
      } catch (const InvalidPicture&) {
        EXPECT_TRUE(jpeg.GetEmpty()) << cut;
      }
    }
  }
}

TEST(JpegDamage, HugeDimensionsAreRefusedBeforeAnyPixelMemoryIsTaken) {
  std::string jpg = MakeJpeg({.width = 8, .height = 8});
  size_t sof = FindMarker(jpg, 0xC0);
  ASSERT_NE(sof, std::string::npos);
  // Height and width: a square just over the limit (2^28 pixels; 2^30 in a 64-bit Windows build).
  const int side = static_cast<int>(std::sqrt(static_cast<double>(JpegImage::kMaxPixels))) + 1000;
  for (size_t at : {sof + 5, sof + 7}) {
    jpg[at] = static_cast<char>(side >> 8);
    jpg[at + 1] = static_cast<char>(side & 0xFF);
  }
  JpegImage jpeg;
  const std::string size = std::to_string(side) + " x " + std::to_string(side);
  try {
    LoadBytes(jpeg, jpg);
    FAIL() << "a " << size << " picture was decoded";
  } catch (const InvalidPicture& e) {
    EXPECT_NE(std::string(e.what()).find(size), std::string::npos) << e.what();
  }
}

TEST(JpegDamage, AProgressiveFileOfThousandsOfScansIsRefused) {
  JpegImage jpeg;
  try {
    LoadBytes(jpeg, MakeJpeg({.width = 16, .height = 16, .scanPerCoefficient = true}));  // 569 scans
    FAIL() << "decoded";
  } catch (const InvalidPicture& e) {
    EXPECT_NE(std::string(e.what()).find("scans"), std::string::npos) << e.what();
  }
  // 191 scans are still a picture.
  JpegRecipe grey{
      .width = 16, .height = 16, .colour = JpegColour::Grey, .quality = 95, .scanPerCoefficient = true};
  LoadBytes(jpeg, MakeJpeg(grey));
  EXPECT_LE(WorstDifference(jpeg, grey, 0, 16), 12);
}

// --- Progress ---------------------------------------------------------------------------------------

struct Report {
  ProgressStage stage;
  int percent;
};

TEST(JpegProgress, ReportsStartingRunningEveryFewPercentAndEnding) {
  for (bool progressive : {false, true}) {
    JpegImage jpeg;
    std::vector<Report> reports;
    Image* sender = nullptr;
    jpeg.OnProgress = [&](Image* s, ProgressStage stage, uint8_t percent, bool, const PixelRect&,
                          const std::string&) {
      sender = s;
      reports.push_back({stage, percent});
    };
    LoadBytes(jpeg, MakeJpeg({.width = 200, .height = 300, .progressive = progressive}));
    EXPECT_EQ(sender, &jpeg);
    ASSERT_GE(reports.size(), 4u) << progressive;
    EXPECT_EQ(reports.front().stage, ProgressStage::Starting);
    EXPECT_EQ(reports.front().percent, 0);
    EXPECT_EQ(reports.back().stage, ProgressStage::Ending);
    EXPECT_EQ(reports.back().percent, 100);
    EXPECT_LE(reports.size(), 2u + 100 / 5);
    int last = 0;
    for (size_t i = 1; i + 1 < reports.size(); ++i) {
      EXPECT_EQ(reports[i].stage, ProgressStage::Running);
      EXPECT_GE(reports[i].percent, last + 5) << i;
      EXPECT_LE(reports[i].percent, 100);
      last = reports[i].percent;
    }
  }
}

TEST(JpegProgress, AFailedDecodeStillReportsItsEnd) {
  JpegImage jpeg;
  std::vector<ProgressStage> stages;
  jpeg.OnProgress = [&](Image*, ProgressStage stage, uint8_t, bool, const PixelRect&, const std::string&) {
    stages.push_back(stage);
  };
  EXPECT_THROW(LoadBytes(jpeg, "\xFF\xD8 not really"), InvalidPicture);
  ASSERT_EQ(stages.size(), 2u);
  EXPECT_EQ(stages[0], ProgressStage::Starting);
  EXPECT_EQ(stages[1], ProgressStage::Ending);
}

TEST(JpegProgress, AnErrorRaisedByTheHandlerStopsTheDecodeAndComesThrough) {
  JpegImage jpeg;
  LoadBytes(jpeg, MakeJpeg({.width = 5, .height = 5}));
  std::vector<ProgressStage> stages;
  jpeg.OnProgress = [&](Image*, ProgressStage stage, uint8_t, bool, const PixelRect&, const std::string&) {
    stages.push_back(stage);
    if (stage == ProgressStage::Running) throw SilentAbort("stop");
  };
  EXPECT_THROW(LoadBytes(jpeg, MakeJpeg({.width = 100, .height = 100, .progressive = true})), SilentAbort);
  ASSERT_EQ(stages.size(), 3u);
  EXPECT_EQ(stages.back(), ProgressStage::Ending);
  EXPECT_EQ(jpeg.GetWidth(), 5);  // the previous picture stays
}

}  // namespace
}  // namespace zeb
