#include "platform/graphics/metafile.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/core/errors.h"
#include "platform/core/streams.h"
#include "platform/graphics/icon.h"
#include "tests/support/le_bytes.h"
#include "tests/support/load_bytes.h"
#include "tests/support/recording_canvas.h"

namespace zeb {
namespace {

using test::Append16;
using test::Append32;
using test::LoadBytes;
using test::Put16;
using test::Put32;

struct EmfRecipe {
  int32_t bounds[4] = {0, 0, 199, 99};    // inclusive device pixels
  int32_t frame[4] = {0, 0, 5291, 2645};  // 0.01 mm
};

// An enhanced metafile: EMR_HEADER (108 bytes), one EMR_SETPIXELV, EMR_EOF.
std::string MakeEmf(const EmfRecipe& recipe = {}) {
  std::string s;
  Append32(s, 1);    // EMR_HEADER
  Append32(s, 108);  // its size
  for (int32_t v : recipe.bounds) Append32(s, static_cast<uint32_t>(v));
  for (int32_t v : recipe.frame) Append32(s, static_cast<uint32_t>(v));
  Append32(s, 0x464D4520);  // " EMF"
  Append32(s, 0x10000);     // version
  Append32(s, 0);           // nBytes, below
  Append32(s, 3);           // records
  Append16(s, 1);           // handles
  Append16(s, 0);
  Append32(s, 0);  // description
  Append32(s, 0);
  Append32(s, 0);     // palette entries
  Append32(s, 1920);  // reference device: pixels
  Append32(s, 1080);
  Append32(s, 508);  // and millimetres
  Append32(s, 286);
  Append32(s, 0);  // pixel format
  Append32(s, 0);
  Append32(s, 0);       // OpenGL
  Append32(s, 508000);  // micrometres
  Append32(s, 286000);
  Append32(s, 15);  // EMR_SETPIXELV
  Append32(s, 20);
  Append32(s, 5);
  Append32(s, 5);
  Append32(s, 0x0000FF);
  Append32(s, 14);  // EMR_EOF
  Append32(s, 20);
  Append32(s, 0);
  Append32(s, 16);
  Append32(s, 20);
  Put32(s, 48, static_cast<uint32_t>(s.size()));
  return s;
}

// A Windows metafile: METAHEADER, optionally META_SETWINDOWEXT(Width, Height), META_LINETO, META_EOF.
std::string MakeWmf(int16_t extentWidth, int16_t extentHeight, bool setExtent = true) {
  std::string s;
  Append16(s, 1);      // in memory
  Append16(s, 9);      // header words
  Append16(s, 0x300);  // version
  Append32(s, 0);      // size in words, below
  Append16(s, 0);      // objects
  Append32(s, 5);      // largest record
  Append16(s, 0);
  if (setExtent) {
    Append32(s, 5);
    Append16(s, 0x020C);
    Append16(s, static_cast<uint16_t>(extentHeight));
    Append16(s, static_cast<uint16_t>(extentWidth));
  }
  Append32(s, 5);  // META_LINETO
  Append16(s, 0x0213);
  Append16(s, 10);
  Append16(s, 10);
  Append32(s, 3);  // META_EOF
  Append16(s, 0);
  Put32(s, 6, static_cast<uint32_t>(s.size() / 2));
  return s;
}

// The placeable header (bounding box in Inch units per inch) before a Windows metafile.
std::string MakePlaceable(int16_t left, int16_t top, int16_t right, int16_t bottom, uint16_t inch,
                          const std::string& wmf) {
  std::string s;
  Append32(s, 0x9AC6CDD7);
  Append16(s, 0);
  for (int16_t v : {left, top, right, bottom}) Append16(s, static_cast<uint16_t>(v));
  Append16(s, inch);
  Append32(s, 0);
  uint16_t sum = 0;
  for (size_t i = 0; i < s.size(); i += 2)
    sum ^= static_cast<uint16_t>(static_cast<uint8_t>(s[i]) | static_cast<uint8_t>(s[i + 1]) << 8);
  Append16(s, sum);
  return s + wmf;
}

std::string Played(const MetafileImage& meta) {
  return std::string(reinterpret_cast<const char*>(meta.PlayData()), meta.PlaySize());
}

TEST(Metafile, EnhancedSizeIsTheFrameAt96Dpi) {
  MetafileImage meta;
  LoadBytes(meta, MakeEmf());  // 52.91 x 26.45 mm
  EXPECT_TRUE(meta.Enhanced());
  EXPECT_EQ(meta.GetWidth(), 200);
  EXPECT_EQ(meta.GetHeight(), 100);

  EmfRecipe offset;
  offset.frame[0] = 1000, offset.frame[1] = -500, offset.frame[2] = 1000 + 2540,
  offset.frame[3] = -500 + 1270;
  LoadBytes(meta, MakeEmf(offset));
  EXPECT_EQ(meta.GetWidth(), 96);
  EXPECT_EQ(meta.GetHeight(), 48);
}

TEST(Metafile, EnhancedWithoutAFrameTakesItsBounds) {
  EmfRecipe recipe;
  for (int32_t& v : recipe.frame) v = 0;
  recipe.bounds[0] = 10, recipe.bounds[1] = 20, recipe.bounds[2] = 109, recipe.bounds[3] = 69;
  MetafileImage meta;
  LoadBytes(meta, MakeEmf(recipe));
  EXPECT_EQ(meta.GetWidth(), 100);
  EXPECT_EQ(meta.GetHeight(), 50);
}

TEST(Metafile, EnhancedPlaysItsOwnBytesOnly) {
  std::string emf = MakeEmf();
  MetafileImage meta;
  LoadBytes(meta, emf + "trailing bytes");
  EXPECT_EQ(Played(meta), emf);
  test::RecordingCanvas canvas;
  meta.Draw(canvas, Rect(5, 5, 105, 55));
  ASSERT_EQ(canvas.calls.size(), 1u);
  EXPECT_EQ(canvas.calls[0].what, "PlayMetafile");
  EXPECT_TRUE(canvas.calls[0].enhanced);
  EXPECT_EQ(canvas.calls[0].size, emf.size());
  EXPECT_EQ(canvas.calls[0].dest, Rect(5, 5, 105, 55));
}

TEST(Metafile, PlaceableSizeIsTheBoxInItsUnitsAt96Dpi) {
  std::string wmf = MakeWmf(0, 0, false);
  MetafileImage meta;
  LoadBytes(meta, MakePlaceable(0, 0, 1440, 720, 1440, wmf));
  EXPECT_FALSE(meta.Enhanced());
  EXPECT_EQ(meta.GetWidth(), 96);
  EXPECT_EQ(meta.GetHeight(), 48);
  // The records are played without the placeable header.
  EXPECT_EQ(Played(meta), wmf);
  test::RecordingCanvas canvas;
  meta.Draw(canvas, Rect(0, 0, 96, 48));
  ASSERT_EQ(canvas.calls.size(), 1u);
  EXPECT_FALSE(canvas.calls[0].enhanced);
  EXPECT_EQ(canvas.calls[0].size, wmf.size());

  // A box drawn upwards, in 0.01 inch.
  LoadBytes(meta, MakePlaceable(100, 300, 400, 100, 100, wmf));
  EXPECT_EQ(meta.GetWidth(), 288);
  EXPECT_EQ(meta.GetHeight(), 192);
}

TEST(Metafile, PlainWindowsMetafileSizeIsItsWindowExtent) {
  std::string wmf = MakeWmf(320, 240);
  MetafileImage meta;
  LoadBytes(meta, wmf);
  EXPECT_EQ(meta.GetWidth(), 320);
  EXPECT_EQ(meta.GetHeight(), 240);
  EXPECT_EQ(Played(meta), wmf);
  // An extent drawn upwards counts by its size.
  LoadBytes(meta, MakeWmf(320, -240));
  EXPECT_EQ(meta.GetHeight(), 240);
}

TEST(Metafile, SavesAsReadAssignsAndResizes) {
  std::string file = MakePlaceable(0, 0, 960, 480, 960, MakeWmf(0, 0, false));
  MetafileImage meta;
  LoadBytes(meta, file);
  MemoryStream saved;
  meta.SaveToStream(saved);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(saved.Memory()), static_cast<size_t>(saved.Size())),
            file);

  MetafileImage copy;
  copy.Assign(meta);
  EXPECT_EQ(copy.GetWidth(), 96);
  EXPECT_EQ(Played(copy), Played(meta));
  IconImage icon;
  EXPECT_THROW(copy.Assign(icon), ConversionError);

  int changes = 0;
  copy.OnChange = [&](Image*) { ++changes; };
  copy.SetWidth(300);
  copy.SetHeight(20);
  EXPECT_EQ(changes, 2);
  EXPECT_EQ(copy.GetWidth(), 300);
  EXPECT_EQ(meta.GetWidth(), 96);
}

std::vector<std::pair<const char*, std::string>> MalformedMetafiles() {
  std::vector<std::pair<const char*, std::string>> cases;
  std::string emf = MakeEmf();
  cases.push_back({"empty", ""});
  cases.push_back({"text", "this is not a metafile"});
  std::string s = emf;
  Put32(s, 48, static_cast<uint32_t>(emf.size() + 4));
  cases.push_back({"EMF longer than the file", s});
  s = emf;
  Put32(s, 4, 40);
  cases.push_back({"EMF header too small", s});
  s = emf;
  Put32(s, 108 + 4, 0);
  cases.push_back({"EMF record of size 0", s});
  s = emf;
  Put32(s, 108 + 4, 0x7FFFFFF0);
  cases.push_back({"EMF record past the end", s});
  s = emf;
  Put32(s, 108 + 4, 18);
  cases.push_back({"EMF record size not a multiple of 4", s});
  EmfRecipe nothing;
  for (int32_t& v : nothing.frame) v = 0;
  nothing.bounds[0] = 0, nothing.bounds[1] = 0, nothing.bounds[2] = -1, nothing.bounds[3] = -1;
  cases.push_back({"EMF of no size", MakeEmf(nothing)});
  EmfRecipe vast;
  vast.frame[2] = 0x7FFFFFFF;
  cases.push_back({"EMF frame too large", MakeEmf(vast)});

  std::string wmf = MakeWmf(100, 100);
  s = wmf;
  Put32(s, 6, static_cast<uint32_t>(wmf.size() / 2 + 1));
  cases.push_back({"WMF longer than the file", s});
  s = wmf;
  Put16(s, 2, 8);
  cases.push_back({"WMF header size wrong", s});
  s = wmf;
  Put16(s, 0, 3);
  cases.push_back({"WMF type wrong", s});
  s = wmf;
  Put32(s, 18, 0);
  cases.push_back({"WMF record of size 0", s});
  s = wmf;
  Put32(s, 18, 0x40000000);
  cases.push_back({"WMF record past the end", s});
  cases.push_back({"WMF without a size", MakeWmf(0, 0, false)});
  cases.push_back({"placeable header alone", MakePlaceable(0, 0, 100, 100, 96, "")});
  cases.push_back({"placeable of 0 units per inch", MakePlaceable(0, 0, 100, 100, 0, MakeWmf(0, 0, false))});
  cases.push_back({"placeable of no size", MakePlaceable(5, 5, 5, 5, 96, MakeWmf(0, 0, false))});
  return cases;
}

TEST(MetafileDamage, MalformedFilesAreInvalidAndKeepThePreviousPicture) {
  MetafileImage meta;
  LoadBytes(meta, MakeEmf());
  for (const auto& [what, bytes] : MalformedMetafiles()) {
    EXPECT_THROW(LoadBytes(meta, bytes), InvalidPicture) << what;
    EXPECT_TRUE(meta.Enhanced()) << what;
    EXPECT_EQ(meta.GetWidth(), 200) << what;
  }
}

TEST(MetafileDamage, EveryTruncationLoadsOrFailsCleanly) {
  for (const std::string& file :
       {MakeEmf(), MakeWmf(50, 40), MakePlaceable(0, 0, 96, 96, 96, MakeWmf(0, 0, false))}) {
    for (size_t cut = 0; cut < file.size(); ++cut) {
      MetafileImage meta;
      EXPECT_THROW(LoadBytes(meta, file.substr(0, cut)), InvalidPicture) << cut;
      EXPECT_TRUE(meta.GetEmpty());
    }
  }
}

}  // namespace
}  // namespace zeb
