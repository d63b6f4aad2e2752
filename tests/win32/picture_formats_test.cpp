// The built-in picture formats on the target: files on the real file system, metafiles recorded by GDI
// itself, and every picture drawn through the GDI canvas.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>

#include "platform/core/errors.h"
#include "platform/core/streams.h"
#include "platform/graphics/graphic.h"
#include "platform/graphics/icon.h"
#include "platform/graphics/jpeg.h"
#include "platform/graphics/metafile.h"
#include "platform/win32/gdi_canvas.h"
#include "tests/win32/common/memory_surface.h"
#include "tests/win32/common/temp_folder.h"
#include "tests/support/jpeg_maker.h"

namespace zeb {
namespace {

using Surface = test::MemorySurface;

constexpr uint32_t kRed = 0xFF0000;

bool Near(uint32_t rgb, test::Rgb want, int tolerance) {
  return std::abs(static_cast<int>(rgb >> 16) - want.r) <= tolerance &&
         std::abs(static_cast<int>((rgb >> 8) & 0xFF) - want.g) <= tolerance &&
         std::abs(static_cast<int>(rgb & 0xFF) - want.b) <= tolerance;
}

std::string EmfOfARedSquare() {
  HDC rec = CreateEnhMetaFileW(nullptr, nullptr, nullptr, nullptr);
  HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
  RECT r = {0, 0, 100, 100};
  FillRect(rec, &r, red);
  DeleteObject(red);
  HENHMETAFILE emf = CloseEnhMetaFile(rec);
  std::string bytes(GetEnhMetaFileBits(emf, 0, nullptr), '\0');
  GetEnhMetaFileBits(emf, static_cast<UINT>(bytes.size()), reinterpret_cast<BYTE*>(bytes.data()));
  DeleteEnhMetaFile(emf);
  return bytes;
}

// A Windows metafile of a red square filling its 100 x 60 window.
std::string WmfOfARedRectangle() {
  HDC rec = CreateMetaFileW(nullptr);
  SetWindowOrgEx(rec, 0, 0, nullptr);
  SetWindowExtEx(rec, 100, 60, nullptr);
  HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
  HGDIOBJ old = SelectObject(rec, red);
  SelectObject(rec, GetStockObject(NULL_PEN));
  Rectangle(rec, 0, 0, 101, 61);
  SelectObject(rec, old);
  DeleteObject(red);
  HMETAFILE wmf = CloseMetaFile(rec);
  std::string bytes(GetMetaFileBitsEx(wmf, 0, nullptr), '\0');
  GetMetaFileBitsEx(wmf, static_cast<UINT>(bytes.size()), bytes.data());
  DeleteMetaFile(wmf);
  return bytes;
}

std::string Placeable(int16_t right, int16_t bottom, uint16_t inch, const std::string& wmf) {
  std::string s(22, '\0');
  auto put16 = [&s](size_t at, uint16_t v) {
    s[at] = static_cast<char>(v & 0xFF);
    s[at + 1] = static_cast<char>(v >> 8);
  };
  put16(0, 0xCDD7);
  put16(2, 0x9AC6);
  put16(10, static_cast<uint16_t>(right));
  put16(12, static_cast<uint16_t>(bottom));
  put16(14, inch);
  return s + wmf;
}

// An icon of two images: 16 x 16 blue (24 bits) and 32 x 32 opaque red (32 bits, the one shown).
std::string TwoImageIcon() {
  auto image = [](int side, int bitCount, uint32_t bgr) {
    BITMAPINFOHEADER h = {};
    h.biSize = sizeof h;
    h.biWidth = side;
    h.biHeight = side * 2;
    h.biPlanes = 1;
    h.biBitCount = static_cast<WORD>(bitCount);
    std::string s(reinterpret_cast<const char*>(&h), sizeof h);
    const int bytesPerPixel = bitCount / 8, colourRow = (side * bytesPerPixel + 3) / 4 * 4;
    for (int y = 0; y < side; ++y) {
      std::string row(static_cast<size_t>(colourRow), '\0');
      for (int x = 0; x < side; ++x)
        for (int b = 0; b < bytesPerPixel; ++b)
          row[x * bytesPerPixel + b] = static_cast<char>(bgr >> (8 * b));
      s += row;
    }
    s.append(static_cast<size_t>((side + 31) / 32 * 4 * side), '\0');  // mask: all opaque
    return s;
  };
  std::string small = image(16, 24, 0x0000FF), large = image(32, 32, 0xFFFF0000);
  std::string s("\0\0\1\0\2\0", 6);
  uint32_t offset = 6 + 2 * 16;
  for (const std::string* img : {&small, &large}) {
    const int side = img == &small ? 16 : 32;
    std::string entry(16, '\0');
    entry[0] = static_cast<char>(side);
    entry[1] = static_cast<char>(side);
    entry[4] = 1;
    entry[6] = static_cast<char>(img == &small ? 24 : 32);
    for (int i = 0; i < 4; ++i) {
      entry[8 + i] = static_cast<char>((img->size() >> (8 * i)) & 0xFF);
      entry[12 + i] = static_cast<char>((offset >> (8 * i)) & 0xFF);
    }
    s += entry;
    offset += static_cast<uint32_t>(img->size());
  }
  return s + small + large;
}

class PictureFormatsOnWindows : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_NO_FATAL_FAILURE(files.Make("zeb-picture-formats")); }

  test::TempFolder files;
};

TEST_F(PictureFormatsOnWindows, AJpegFileIsDrawnTheRightWayUp) {
  test::JpegRecipe recipe{.width = 32, .height = 32, .quality = 95};
  Picture picture;
  picture.LoadFromFile(files.File("a.JPG", test::MakeJpeg(recipe)));
  ASSERT_NE(dynamic_cast<JpegImage*>(picture.Graphic()), nullptr);
  Surface s(32, 32);
  win32::GdiCanvas canvas(s.dc());
  picture.Graphic()->Draw(canvas, Rect(0, 0, 32, 32));
  for (auto [x, y] : {std::pair{1, 1}, std::pair{30, 1}, std::pair{1, 30}, std::pair{30, 30}})
    EXPECT_TRUE(Near(s.at(x, y), test::JpegExpected(recipe, x, y), 12))
        << x << "," << y << ": " << std::hex << s.at(x, y);
}

TEST_F(PictureFormatsOnWindows, AnIconFileShowsItsLargestImage) {
  Picture picture;
  picture.LoadFromFile(files.File("b.ico", TwoImageIcon()));
  EXPECT_EQ(picture.Width(), 32);
  Surface s(32, 32);
  win32::GdiCanvas canvas(s.dc());
  picture.Graphic()->Draw(canvas, Rect(0, 0, 32, 32));
  EXPECT_EQ(s.at(1, 1), kRed);
  EXPECT_EQ(s.at(30, 30), kRed);
}

TEST_F(PictureFormatsOnWindows, MetafilesRecordedByGdiAreReadAndPlayed) {
  std::string emf = EmfOfARedSquare();
  ENHMETAHEADER header;
  std::memcpy(&header, emf.data(), sizeof header);
  std::string wmf = WmfOfARedRectangle();
  struct Case {
    const char* name;
    std::string bytes;
    int width, height;
  } cases[] = {
      {"c.emf", emf, MulDiv(header.rclFrame.right - header.rclFrame.left, 96, 2540),
       MulDiv(header.rclFrame.bottom - header.rclFrame.top, 96, 2540)},
      {"d.wmf", wmf, 100, 60},
      {"e.wmf", Placeable(200, 120, 192, wmf), 100, 60},
  };
  for (const Case& c : cases) {
    Picture picture;
    picture.LoadFromFile(files.File(c.name, c.bytes));
    ASSERT_NE(dynamic_cast<MetafileImage*>(picture.Graphic()), nullptr) << c.name;
    EXPECT_EQ(picture.Width(), c.width) << c.name;
    EXPECT_EQ(picture.Height(), c.height) << c.name;
    EXPECT_NEAR(picture.Width(), 100, 3) << c.name;
    Surface s(40, 40);
    win32::GdiCanvas canvas(s.dc());
    picture.Graphic()->Draw(canvas, Rect(10, 10, 30, 30));
    EXPECT_EQ(s.at(20, 20), kRed) << c.name;
    EXPECT_EQ(s.at(2, 2), Surface::kGrey) << c.name;
  }
}

TEST_F(PictureFormatsOnWindows, MissingAndDamagedFilesRaiseTheirErrors) {
  Picture picture;
  picture.LoadFromFile(files.File("good.jpg", test::MakeJpeg({.width = 7, .height = 5})));
  EXPECT_THROW(picture.LoadFromFile(files.File("bad.jpg", "not a JPEG")), InvalidPicture);
  EXPECT_THROW(picture.LoadFromFile(files.File("bad.ico", "not an icon")), InvalidPicture);
  EXPECT_THROW(picture.LoadFromFile(files.File("bad.emf", std::string(100, '\1'))), InvalidPicture);
  EXPECT_THROW(picture.LoadFromFile(files.File("notes.txt", "text")), InvalidPicture);
  EXPECT_THROW(picture.LoadFromFile(files.Path("missing.jpg")), FileOpenError);
  EXPECT_EQ(picture.Width(), 7);
}

}  // namespace
}  // namespace zeb
