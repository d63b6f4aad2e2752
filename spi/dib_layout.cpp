#include "spi/dib_layout.h"

#include <cstring>

namespace zeb::spi {

namespace {
template <typename T>
T ReadAt(const uint8_t* p, size_t offset) {
  T value;
  std::memcpy(&value, p + offset, sizeof value);  // little-endian, possibly unaligned
  return value;
}

constexpr uint32_t kBiRgb = 0;
}  // namespace

DibLayout ReadDibLayout(const uint8_t* header) {
  DibLayout d;
  d.width = ReadAt<int32_t>(header, 4);
  d.height = ReadAt<int32_t>(header, 8);
  d.bitCount = ReadAt<uint16_t>(header, 14);
  d.colors = ReadAt<uint32_t>(header, 32);
  if (d.colors == 0) {
    if (d.bitCount == 1) d.colors = 2;
    if (d.bitCount == 4) d.colors = 16;
    if (d.bitCount == 8) d.colors = 256;
  }
  d.infoSize = int64_t{kBitmapInfoHeaderSize} + int64_t{4} * d.colors;
  int64_t rowBytes = d.width > 0 ? (int64_t{d.width} * d.bitCount + 31) / 32 * 4 : 0;
  int64_t rows = d.height < 0 ? -int64_t{d.height} : int64_t{d.height};
  // Saturates instead of overflowing: a size that large is refused anyway.
  d.bitsSize = rows != 0 && rowBytes > INT64_MAX / rows ? INT64_MAX : rowBytes * rows;
  return d;
}

bool IsUsableDib(const uint8_t* info, size_t infoBlockSize, size_t bitsBlockSize) {
  if (!info || infoBlockSize < static_cast<size_t>(kBitmapInfoHeaderSize)) return false;
  uint32_t biSize = ReadAt<uint32_t>(info, 0);
  if (biSize < static_cast<uint32_t>(kBitmapInfoHeaderSize)) return false;
  if (ReadAt<uint32_t>(info, 16) != kBiRgb) return false;
  DibLayout d = ReadDibLayout(info);
  if (!IsDibBitCount(d.bitCount)) return false;
  if (d.width <= 0 || d.height == 0) return false;
  int64_t rows = d.height < 0 ? -int64_t{d.height} : int64_t{d.height};
  if (int64_t{d.width} > kMaxDibPixels || rows > kMaxDibPixels || int64_t{d.width} * rows > kMaxDibPixels)
    return false;
  if (d.bitsSize > kMaxDibBitsSize || static_cast<uint64_t>(d.bitsSize) > bitsBlockSize) return false;
  // The colour table is read right after the 40-byte header (when saving) and after biSize bytes (by the
  // platform's drawing): both readings must stay inside the block.
  uint64_t table = uint64_t{4} * d.colors;
  if (d.infoSize > INT32_MAX || static_cast<uint64_t>(d.infoSize) > infoBlockSize) return false;
  if (uint64_t{biSize} + table > infoBlockSize) return false;
  return true;
}

}  // namespace zeb::spi
