#include "platform/graphics/icon.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/core/errors.h"
#include "platform/core/streams.h"
#include "platform/graphics/metafile.h"
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

// An icon image as a DIB: BITMAPINFOHEADER with the doubled height, colour table, colour and mask rows.
std::string DibImage(int width, int height, uint16_t bitCount) {
  std::string s;
  Append32(s, 40);
  Append32(s, static_cast<uint32_t>(width));
  Append32(s, static_cast<uint32_t>(height * 2));
  Append16(s, 1);
  Append16(s, bitCount);
  for (int i = 0; i < 6; ++i) Append32(s, 0);
  if (bitCount <= 8) s.append(size_t{4} << bitCount, '\x40');
  size_t colourRow = (static_cast<size_t>(width) * bitCount + 31) / 32 * 4;
  size_t maskRow = (static_cast<size_t>(width) + 31) / 32 * 4;
  s.append((colourRow + maskRow) * static_cast<size_t>(height), '\x11');
  return s;
}

// An icon image as PNG: the signature and an IHDR chunk (the rest is not read by the icon).
std::string PngImage(uint32_t width, uint32_t height, uint8_t depth = 8, uint8_t colourType = 6) {
  std::string s("\x89PNG\r\n\x1A\n", 8);
  s += std::string("\0\0\0\x0DIHDR", 8);
  for (uint32_t v : {width, height})
    for (int shift = 24; shift >= 0; shift -= 8) s += static_cast<char>((v >> shift) & 0xFF);
  s += static_cast<char>(depth);
  s += static_cast<char>(colourType);
  s += std::string(3, '\0');  // compression, filter, interlace
  s += std::string(4, '\0');  // CRC
  s += "IDAT and the rest";
  return s;
}

struct Entry {
  std::string image;
  int dirWidth, dirHeight;  // 0 stands for 256
  uint16_t dirBits;
};

std::string MakeIco(const std::vector<Entry>& entries) {
  std::string s;
  Append16(s, 0);
  Append16(s, 1);
  Append16(s, static_cast<uint16_t>(entries.size()));
  uint32_t offset = static_cast<uint32_t>(6 + 16 * entries.size());
  for (const Entry& e : entries) {
    s += static_cast<char>(e.dirWidth);
    s += static_cast<char>(e.dirHeight);
    s += '\0';
    s += '\0';
    Append16(s, 1);
    Append16(s, e.dirBits);
    Append32(s, static_cast<uint32_t>(e.image.size()));
    Append32(s, offset);
    offset += static_cast<uint32_t>(e.image.size());
  }
  for (const Entry& e : entries) s += e.image;
  return s;
}

std::string ThreeSizes() {
  return MakeIco({{DibImage(16, 16, 32), 16, 16, 32},
                  {DibImage(48, 48, 8), 48, 48, 8},
                  {DibImage(48, 48, 32), 48, 48, 32},
                  {DibImage(32, 32, 4), 32, 32, 4}});
}

TEST(Icon, ShowsTheLargestImageWithTheMostColours) {
  IconImage icon;
  LoadBytes(icon, ThreeSizes());
  ASSERT_EQ(icon.Images().size(), 4u);
  EXPECT_EQ(icon.BestImage(), 2);
  EXPECT_EQ(icon.GetWidth(), 48);
  EXPECT_EQ(icon.GetHeight(), 48);
  EXPECT_FALSE(icon.GetEmpty());
}

TEST(Icon, TakesThePngImagesSizeFromItsHeader) {
  IconImage icon;
  LoadBytes(icon, MakeIco({{DibImage(32, 32, 32), 32, 32, 32}, {PngImage(256, 256), 0, 0, 32}}));
  EXPECT_EQ(icon.BestImage(), 1);
  EXPECT_EQ(icon.GetWidth(), 256);
  EXPECT_TRUE(icon.Images()[1].png);

  // Beyond what the directory can say (0 = 256), the image's own header counts.
  LoadBytes(icon, MakeIco({{PngImage(512, 384), 0, 0, 32}, {PngImage(256, 256), 0, 0, 32}}));
  EXPECT_EQ(icon.BestImage(), 0);
  EXPECT_EQ(icon.GetWidth(), 512);
  EXPECT_EQ(icon.GetHeight(), 384);

  // Same size: the deeper one, whatever the directory claims.
  LoadBytes(icon, MakeIco({{PngImage(64, 64, 8, 2), 64, 64, 32}, {PngImage(64, 64, 8, 6), 64, 64, 0}}));
  EXPECT_EQ(icon.BestImage(), 1);
  EXPECT_EQ(icon.Images()[0].bitCount, 24);
}

TEST(Icon, DrawsTheChosenImagesBytes) {
  std::string ico = ThreeSizes();
  IconImage icon;
  LoadBytes(icon, ico);
  test::RecordingCanvas canvas;
  icon.Draw(canvas, Rect(0, 0, 96, 96));
  ASSERT_EQ(canvas.calls.size(), 1u);
  const auto& call = canvas.calls[0];
  EXPECT_EQ(call.what, "DrawIcon");
  EXPECT_EQ(call.dest, Rect(0, 0, 96, 96));
  EXPECT_EQ(call.width, 48);
  EXPECT_EQ(call.height, 48);
  std::string expected = DibImage(48, 48, 32);
  ASSERT_EQ(call.size, expected.size());
  EXPECT_EQ(std::string(static_cast<const char*>(call.data), call.size), expected);

  IconImage empty;
  test::RecordingCanvas nothing;
  empty.Draw(nothing, Rect(0, 0, 1, 1));
  EXPECT_TRUE(nothing.calls.empty());
}

TEST(Icon, SavesTheFileAsReadAndAssignsFromIconsOnly) {
  std::string ico = ThreeSizes();
  IconImage icon;
  LoadBytes(icon, ico);
  MemoryStream saved;
  icon.SaveToStream(saved);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(saved.Memory()), static_cast<size_t>(saved.Size())),
            ico);

  IconImage copy;
  copy.Assign(icon);
  EXPECT_EQ(copy.GetWidth(), 48);
  EXPECT_EQ(copy.BestImage(), 2);
  MetafileImage meta;
  EXPECT_THROW(copy.Assign(meta), ConversionError);
  EXPECT_THROW(copy.SetWidth(10), InvalidPicture);
}

// Each malformed file, and what is wrong with it.
std::vector<std::pair<const char*, std::string>> MalformedIcons() {
  std::vector<std::pair<const char*, std::string>> cases;
  std::string good = MakeIco({{DibImage(16, 16, 8), 16, 16, 8}});
  cases.push_back({"empty", ""});
  cases.push_back({"shorter than the directory", good.substr(0, 5)});
  std::string s = good;
  Put16(s, 0, 1);
  cases.push_back({"reserved word set", s});
  s = good;
  Put16(s, 2, 2);
  cases.push_back({"a cursor", s});
  s = good;
  Put16(s, 4, 0);
  cases.push_back({"no images", s});
  s = good;
  Put16(s, 4, 200);
  cases.push_back({"directory past the end", s});
  s = good;
  Put32(s, 6 + 8, 0);
  cases.push_back({"image of no bytes", s});
  s = good;
  Put32(s, 6 + 12, static_cast<uint32_t>(good.size()));
  cases.push_back({"image past the end", s});
  s = good;
  Put32(s, 6 + 8, 0x20);
  Put32(s, 6 + 12, 0xFFFFFFF0u);
  cases.push_back({"offset that wraps around", s});
  cases.push_back(
      {"mask rows missing", MakeIco({{DibImage(16, 16, 8).substr(0, 40 + 1024 + 256), 16, 16, 8}})});
  s = MakeIco({{DibImage(16, 16, 8), 16, 16, 8}});
  Put32(s, 22, 4000);
  cases.push_back({"info header larger than the image", s});
  s = MakeIco({{DibImage(16, 16, 8), 16, 16, 8}});
  Put16(s, 22 + 14, 3);
  cases.push_back({"3 bits per pixel", s});
  s = MakeIco({{DibImage(16, 16, 8), 16, 16, 8}});
  Put32(s, 22 + 4, 0);
  cases.push_back({"no width", s});
  s = MakeIco({{DibImage(16, 16, 8), 16, 16, 8}});
  Put32(s, 22 + 8, 0xFFFFFFE0u);
  cases.push_back({"negative height", s});
  s = MakeIco({{DibImage(16, 16, 8), 16, 16, 8}});
  Put32(s, 22 + 4, 0x40000000);
  cases.push_back({"rows far longer than the image", s});
  s = MakeIco({{DibImage(16, 16, 4), 16, 16, 4}});
  Put32(s, 22 + 32, 17);
  cases.push_back({"more colours than 4 bits hold", s});
  cases.push_back({"PNG without its header", MakeIco({{PngImage(16, 16).substr(0, 20), 16, 16, 32}})});
  cases.push_back({"PNG of width 0", MakeIco({{PngImage(0, 16), 16, 16, 32}})});
  cases.push_back({"PNG of colour type 5", MakeIco({{PngImage(16, 16, 8, 5), 16, 16, 32}})});
  cases.push_back({"one good image, one bad",
                   MakeIco({{DibImage(16, 16, 8), 16, 16, 8}, {std::string(50, 'x'), 32, 32, 32}})});
  return cases;
}

TEST(IconDamage, MalformedFilesAreInvalidAndKeepThePreviousIcon) {
  IconImage icon;
  LoadBytes(icon, ThreeSizes());
  for (const auto& [what, bytes] : MalformedIcons()) {
    EXPECT_THROW(LoadBytes(icon, bytes), InvalidPicture) << what;
    EXPECT_EQ(icon.GetWidth(), 48) << what;
    EXPECT_EQ(icon.Images().size(), 4u) << what;
  }
}

TEST(IconDamage, EveryTruncationLoadsOrFailsCleanly) {
  std::string ico = MakeIco({{DibImage(16, 16, 4), 16, 16, 4}, {PngImage(32, 32), 32, 32, 32}});
  for (size_t cut = 0; cut < ico.size(); ++cut) {
    IconImage icon;
    EXPECT_THROW(LoadBytes(icon, ico.substr(0, cut)), InvalidPicture) << cut;
    EXPECT_TRUE(icon.GetEmpty());
  }
}

}  // namespace
}  // namespace zeb
