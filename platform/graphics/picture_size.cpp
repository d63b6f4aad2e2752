#include "platform/graphics/picture_size.h"

#include "platform/graphics/picture_bytes.h"

namespace zeb {

namespace {

bool BmpPixels(std::string_view s, uint64_t& pixels) {
  if (s.size() < 26 || s[0] != 'B' || s[1] != 'M') return false;
  const auto* p = reinterpret_cast<const uint8_t*>(s.data());
  if (ReadLE32(p + 14) == 12) {  // a core header's 16-bit sides
    pixels = uint64_t{ReadLE16(p + 18)} * ReadLE16(p + 20);
    return true;
  }
  const int64_t width = ReadLE32s(p + 18), height = ReadLE32s(p + 22);
  pixels =
      static_cast<uint64_t>(width < 0 ? 0 : width) * static_cast<uint64_t>(height < 0 ? -height : height);
  return true;
}

// The first start-of-frame segment's size; the segments before it are skipped by their lengths.
bool JpegPixels(std::string_view s, uint64_t& pixels) {
  const auto* p = reinterpret_cast<const uint8_t*>(s.data());
  if (s.size() < 4 || p[0] != 0xFF || p[1] != 0xD8) return false;
  size_t i = 2;
  while (i + 9 < s.size()) {
    if (p[i] != 0xFF) return false;
    const uint32_t marker = p[i + 1];
    if (marker == 0xFF) {  // fill byte
      ++i;
      continue;
    }
    const bool frame = marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
    if (frame) {
      pixels = uint64_t{ReadBE16(p + i + 5)} * ReadBE16(p + i + 7);
      return true;
    }
    i += 2 + ReadBE16(p + i + 2);
  }
  return false;
}

}  // namespace

bool DeclaredPixelCount(std::string_view head, uint64_t& pixels) {
  return BmpPixels(head, pixels) || JpegPixels(head, pixels);
}

}  // namespace zeb
