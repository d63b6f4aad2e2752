#include "platform/graphics/picture_size.h"

namespace zeb {

namespace {

uint32_t Byte(std::string_view s, size_t i) { return static_cast<uint8_t>(s[i]); }
uint32_t Le16(std::string_view s, size_t i) { return Byte(s, i) | Byte(s, i + 1) << 8; }
uint32_t Le32(std::string_view s, size_t i) { return Le16(s, i) | Le16(s, i + 2) << 16; }
uint32_t Be16(std::string_view s, size_t i) { return Byte(s, i) << 8 | Byte(s, i + 1); }

bool BmpPixels(std::string_view s, uint64_t& pixels) {
  if (s.size() < 26 || s[0] != 'B' || s[1] != 'M') return false;
  const uint32_t headerSize = Le32(s, 14);
  if (headerSize == 12) {
    pixels = uint64_t{Le16(s, 18)} * Le16(s, 20);
    return true;
  }
  const int64_t width = static_cast<int32_t>(Le32(s, 18)), height = static_cast<int32_t>(Le32(s, 22));
  pixels =
      static_cast<uint64_t>(width < 0 ? 0 : width) * static_cast<uint64_t>(height < 0 ? -height : height);
  return true;
}

// The first start-of-frame segment's size; the segments before it are skipped by their lengths.
bool JpegPixels(std::string_view s, uint64_t& pixels) {
  if (s.size() < 4 || Byte(s, 0) != 0xFF || Byte(s, 1) != 0xD8) return false;
  size_t i = 2;
  while (i + 9 < s.size()) {
    if (Byte(s, i) != 0xFF) return false;
    const uint32_t marker = Byte(s, i + 1);
    if (marker == 0xFF) {  // fill byte
      ++i;
      continue;
    }
    const bool frame = marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
    if (frame) {
      pixels = uint64_t{Be16(s, i + 5)} * Be16(s, i + 7);
      return true;
    }
    i += 2 + Be16(s, i + 2);
  }
  return false;
}

}  // namespace

bool DeclaredPixelCount(std::string_view head, uint64_t& pixels) {
  return BmpPixels(head, pixels) || JpegPixels(head, pixels);
}

}  // namespace zeb
