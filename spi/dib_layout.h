// The layout of a device-independent bitmap as a Susie plug-in returns it: a BITMAPINFOHEADER followed
// directly by the colour table, and uncompressed rows padded to 4 bytes. Plug-ins are outside code, so
// their blocks are checked against their real sizes before anything reads them.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/graphics/dib_limits.h"

namespace zeb::spi {

constexpr int32_t kBitmapInfoHeaderSize = 40;

struct DibLayout {
  int32_t width = 0;
  int32_t height = 0;  // as stored: negative for rows stored top-down
  uint16_t bitCount = 0;
  uint32_t colors = 0;   // colour-table entries: biClrUsed, or 2, 16, 256 for 1, 4, 8 bits when it is 0
  int64_t infoSize = 0;  // 40 + 4 * colors: what a BMP file carries of the information block
  int64_t bitsSize = 0;  // row bytes * |height|
};

// The values of a header as they are read (no checks): Header must hold 40 bytes.
DibLayout ReadDibLayout(const uint8_t* header);

// Whether the two blocks hold a picture that can be read without running past either block: a header
// of at least 40 bytes with biSize >= 40, a bit count of 1, 4, 8, 16, 24 or 32, no compression, a
// width and height within the limits of platform/graphics/dib_limits.h, the colour table (after 40 bytes and
// after biSize bytes) inside the information block and every row inside the pixel block.
bool IsUsableDib(const uint8_t* info, size_t infoBlockSize, size_t bitsBlockSize);

}  // namespace zeb::spi
