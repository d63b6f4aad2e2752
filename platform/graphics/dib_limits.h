// Limits that every reader of device-independent bitmaps applies, so that sizes taken from a header
// stay within what memory can hold.
#pragma once

#include <cstdint>

namespace zeb {

// Beyond this many pixels a picture is taken as absurd (1 GiB of 32-bit pixels).
constexpr int64_t kMaxDibPixels = int64_t{1} << 28;

// The bit depths a device-independent bitmap may have.
constexpr bool IsDibBitCount(unsigned bitCount) {
  return bitCount == 1 || bitCount == 4 || bitCount == 8 || bitCount == 16 || bitCount == 24 ||
         bitCount == 32;
}

}  // namespace zeb
