#include "tests/support/bmp_maker.h"

#include <algorithm>
#include <stdexcept>

#include "tests/support/le_bytes.h"

namespace zeb::test {

namespace {
void Put8(std::string& s, uint32_t v) { s.push_back(static_cast<char>(v & 0xFF)); }

// Scales an 8-bit channel value into a mask's bits.
uint32_t PackChannel(uint32_t value8, uint32_t mask) {
  if (mask == 0) return 0;
  int shift = 0;
  while (!((mask >> shift) & 1)) ++shift;
  const uint64_t max = mask >> shift;
  return static_cast<uint32_t>((value8 * max + 127) / 255) << shift;
}

uint32_t PixelValue(const BmpRecipe& recipe, uint32_t p) {
  if (recipe.bitCount <= 8 || recipe.rawPixelValues) return p;
  const uint32_t r = (p >> 16) & 0xFF, g = (p >> 8) & 0xFF, b = p & 0xFF;
  if (recipe.compression == BiBitfields) {
    auto m = EffectiveMasks(recipe);
    return PackChannel(r, m[0]) | PackChannel(g, m[1]) | PackChannel(b, m[2]);
  }
  if (recipe.bitCount == 16) return (r >> 3) << 10 | (g >> 3) << 5 | (b >> 3);
  return p & 0xFFFFFF;
}
}  // namespace

std::array<uint32_t, 3> EffectiveMasks(const BmpRecipe& recipe) {
  if (recipe.masks != std::array<uint32_t, 3>{}) return recipe.masks;
  if (recipe.bitCount == 16) return {0xF800, 0x07E0, 0x001F};
  return {0xFF0000, 0x00FF00, 0x0000FF};
}

std::string EncodeRle(int32_t width, int32_t height, const std::vector<uint32_t>& indices, bool fourBit) {
  if (indices.size() != static_cast<size_t>(width) * static_cast<size_t>(height))
    throw std::invalid_argument("EncodeRle: pixel count");
  std::string out;
  for (int32_t y = height - 1; y >= 0; --y) {
    const uint32_t* row = indices.data() + static_cast<size_t>(y) * width;
    int32_t x = 0;
    while (x < width) {
      int32_t run = 1;
      while (x + run < width && run < 255 && row[x + run] == row[x]) ++run;
      if (run >= 3) {
        Put8(out, static_cast<uint32_t>(run));
        Put8(out, fourBit ? (row[x] << 4 | row[x]) : row[x]);
        x += run;
        continue;
      }
      // Literal pixels up to the next repeat of three; fewer than three go as runs of one.
      int32_t n = 0;
      while (x + n < width && n < 254) {
        if (x + n + 2 < width && row[x + n] == row[x + n + 1] && row[x + n] == row[x + n + 2]) break;
        ++n;
      }
      if (n < 3) {
        for (int32_t i = 0; i < n; ++i) {
          Put8(out, 1);
          Put8(out, fourBit ? row[x + i] << 4 : row[x + i]);
        }
        x += n;
        continue;
      }
      Put8(out, 0);
      Put8(out, static_cast<uint32_t>(n));
      std::string data;
      if (fourBit) {
        for (int32_t i = 0; i < n; i += 2) Put8(data, row[x + i] << 4 | (i + 1 < n ? row[x + i + 1] : 0));
      } else {
        for (int32_t i = 0; i < n; ++i) Put8(data, row[x + i]);
      }
      if (data.size() & 1) data.push_back(0);
      out += data;
      x += n;
    }
    Append16(out, 0x0000);  // end of line
  }
  Append16(out, 0x0100);  // end of bitmap
  return out;
}

std::string EncodePixels(const BmpRecipe& recipe) {
  if (recipe.compression == BiRle8 || recipe.compression == BiRle4)
    return EncodeRle(recipe.width, recipe.height, recipe.pixels, recipe.compression == BiRle4);
  if (recipe.pixels.size() != static_cast<size_t>(recipe.width) * static_cast<size_t>(recipe.height))
    throw std::invalid_argument("EncodePixels: pixel count");
  const size_t stride = (static_cast<size_t>(recipe.width) * recipe.bitCount + 31) / 32 * 4;
  std::string out;
  for (int32_t i = 0; i < recipe.height; ++i) {
    const int32_t y = recipe.topDown ? i : recipe.height - 1 - i;
    std::string row(stride, '\0');
    for (int32_t x = 0; x < recipe.width; ++x) {
      const uint32_t v = PixelValue(recipe, recipe.pixels[static_cast<size_t>(y) * recipe.width + x]);
      switch (recipe.bitCount) {
        case 1:
          row[x / 8] = static_cast<char>(row[x / 8] | (v & 1) << (7 - x % 8));
          break;
        case 4:
          row[x / 2] = static_cast<char>(row[x / 2] | (v & 15) << (x % 2 ? 0 : 4));
          break;
        case 8:
          row[x] = static_cast<char>(v);
          break;
        case 16:
          row[2 * x] = static_cast<char>(v);
          row[2 * x + 1] = static_cast<char>(v >> 8);
          break;
        case 24:
          for (int k = 0; k < 3; ++k) row[3 * x + k] = static_cast<char>(v >> (8 * k));
          break;
        case 32:
          for (int k = 0; k < 4; ++k) row[4 * x + k] = static_cast<char>(v >> (8 * k));
          break;
        default:
          throw std::invalid_argument("EncodePixels: bit count");
      }
    }
    out += row;
  }
  return out;
}

std::string MakeDib(const BmpRecipe& recipe) {
  const std::string bits = recipe.rawBits ? *recipe.rawBits : EncodePixels(recipe);
  const uint32_t size = static_cast<uint32_t>(recipe.header);
  std::string h;
  Append32(h, size);
  if (recipe.header == BmpHeaderKind::Core) {
    Append16(h, static_cast<uint32_t>(recipe.width));
    Append16(h, static_cast<uint32_t>(recipe.height));
    Append16(h, recipe.planes);
    Append16(h, recipe.bitCount);
    for (uint32_t c : recipe.colors) {
      Put8(h, c);
      Put8(h, c >> 8);
      Put8(h, c >> 16);
    }
    return h + bits;
  }
  Append32(h, static_cast<uint32_t>(recipe.width));
  Append32(h, static_cast<uint32_t>(recipe.topDown ? -recipe.height : recipe.height));
  Append16(h, recipe.planes);
  Append16(h, recipe.bitCount);
  Append32(h, recipe.compression);
  Append32(h, recipe.sizeImage ? *recipe.sizeImage : static_cast<uint32_t>(bits.size()));
  Append32(h, 2835);  // 72 dpi
  Append32(h, 2835);
  Append32(h, recipe.clrUsed);
  Append32(h, 0);
  const bool bitfields = recipe.compression == BiBitfields;
  const auto masks = EffectiveMasks(recipe);
  if (size >= 52 && recipe.header != BmpHeaderKind::Os2)
    for (uint32_t m : bitfields ? masks : recipe.masks) Append32(h, m);
  if (size >= 56 && recipe.header != BmpHeaderKind::Os2) Append32(h, 0);  // alpha mask
  if (size >= 108) Append32(h, 0x73524742);                               // LCS_sRGB
  h.resize(size, '\0');  // colour space end points, gamma, V5 intent and profile: zero
  if (bitfields && recipe.header == BmpHeaderKind::Info)
    for (uint32_t m : masks) Append32(h, m);
  for (uint32_t c : recipe.colors) Append32(h, c & 0xFFFFFF);
  return h + bits;
}

std::string MakeBmp(const BmpRecipe& recipe) {
  const std::string dib = MakeDib(recipe);
  const size_t bitsSize = recipe.rawBits ? recipe.rawBits->size() : EncodePixels(recipe).size();
  std::string f = "BM";
  Append32(f, recipe.fileSize ? *recipe.fileSize : static_cast<uint32_t>(14 + dib.size()));
  Append32(f, 0);
  Append32(f, recipe.offBits ? *recipe.offBits : static_cast<uint32_t>(14 + dib.size() - bitsSize));
  return f + dib;
}

std::string SimpleBmp(int32_t width, int32_t height, uint16_t bitCount, std::vector<uint32_t> pixels,
                      std::vector<uint32_t> colors) {
  BmpRecipe s;
  s.width = width;
  s.height = height;
  s.bitCount = bitCount;
  s.pixels = std::move(pixels);
  s.colors = std::move(colors);
  return MakeBmp(s);
}

std::string SmallIcon() {
  std::string image(40 + (128 + 4) * 32, '\0');
  const uint8_t header[16] = {40, 0, 0, 0, 32, 0, 0, 0, 64, 0, 0, 0, 1, 0, 32, 0};
  image.replace(0, 16, reinterpret_cast<const char*>(header), 16);
  std::string dir("\0\0\1\0\1\0\x20\x20\0\0\1\0\x20\0", 14);
  uint32_t size = static_cast<uint32_t>(image.size()), offset = 22;
  for (uint32_t v : {size, offset})
    for (int i = 0; i < 4; ++i) dir += static_cast<char>((v >> (8 * i)) & 0xFF);
  return dir + image;
}

}  // namespace zeb::test
