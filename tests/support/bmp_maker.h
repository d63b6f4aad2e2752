// Builds BMP files and packed DIBs in memory for tests: every header kind (core, info, V2, V3, OS/2 2.x,
// V4, V5), every depth, BI_RGB, RLE8, RLE4 and bit fields, with overrides for broken files.
//
//   BmpRecipe s;
//   s.width = 2; s.height = 1; s.bitCount = 8;
//   s.colors = {0xFF0000, 0x00FF00};  // colour table, 0x00RRGGBB
//   s.pixels = {0, 1};                // top row first
//   std::string file = MakeBmp(s);
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace zeb::test {

enum class BmpHeaderKind : uint32_t { Core = 12, Info = 40, V2 = 52, V3 = 56, Os2 = 64, V4 = 108, V5 = 124 };

enum BmpCompression : uint32_t { BiRgb = 0, BiRle8 = 1, BiRle4 = 2, BiBitfields = 3 };

struct BmpRecipe {
  BmpHeaderKind header = BmpHeaderKind::Info;
  int32_t width = 0, height = 0;  // Height positive; TopDown chooses the row order
  uint16_t bitCount = 24;
  uint32_t compression = BiRgb;
  bool topDown = false;  // rows stored top first (biHeight negative)
  // Width * Height pixels, top row first. For 8 bits and fewer a colour index; above, a colour
  // 0x00RRGGBB, stored as 5-5-5 for 16-bit BI_RGB and through Masks for bit fields (or, with
  // RawPixelValues, the value stored as is).
  std::vector<uint32_t> pixels;
  bool rawPixelValues = false;
  // The colour table as written (0x00RRGGBB; three bytes each under a core header), and biClrUsed.
  std::vector<uint32_t> colors;
  uint32_t clrUsed = 0;
  // Red, green, blue masks for BI_BITFIELDS: after a 40-byte header, inside the longer ones. Zero
  // masks mean 5-6-5 for 16 bits and 8-8-8 for 32 bits. Longer headers carry them for BI_RGB too.
  std::array<uint32_t, 3> masks{};
  // Overrides for broken files: the pixel data as stored, the file header's size and pixel offset,
  // biSizeImage and biPlanes.
  std::optional<std::string> rawBits;
  std::optional<uint32_t> fileSize, offBits, sizeImage;
  uint16_t planes = 1;
};

// The packed DIB: header, masks, colour table, then the pixel data (as plug-ins and icons hold it).
std::string MakeDib(const BmpRecipe& recipe);
// A whole BMP file: the 14-byte file header, then MakeDib.
std::string MakeBmp(const BmpRecipe& recipe);
// The pixel data MakeDib stores for a recipe: padded rows, or the RLE stream for RLE8 and RLE4.
std::string EncodePixels(const BmpRecipe& recipe);
// An RLE8 or RLE4 stream of colour indices (top row first in, bottom row first out): repeats as encoded
// runs, the rest as literal runs, end-of-line after every row and end-of-bitmap at the end.
std::string EncodeRle(int32_t width, int32_t height, const std::vector<uint32_t>& indices, bool fourBit);
// The masks a recipe's bit fields use (its own, or the defaults).
std::array<uint32_t, 3> EffectiveMasks(const BmpRecipe& recipe);

// Shorthand for a plain bottom-up BI_RGB file with an info header.
std::string SimpleBmp(int32_t width, int32_t height, uint16_t bitCount, std::vector<uint32_t> pixels,
                      std::vector<uint32_t> colors = {});

// A one-image icon file of a 32 x 32, 32-bit DIB.
std::string SmallIcon();

}  // namespace zeb::test
