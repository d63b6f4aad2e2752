// Limits that every reader of device-independent bitmaps applies, so that sizes taken from a header
// stay within what memory can hold.
#pragma once

#include <cstdint>

namespace zeb {

// Beyond this many pixels a picture is more than the process can hold. A 32-bit process (zeb.exe) has
// 4 GB of addresses in all: 2^28 pixels (1 GiB of 32-bit pixels). A 64-bit one (zeb64.exe) takes 2^30
// (a 32768 x 32768 picture, 4 GiB of 32-bit pixels), whose size a bitmap's 32-bit size field still
// nearly counts (kMaxDibBitsSize). The headless build keeps the limits of zeb.exe.
#if defined(_WIN64)
constexpr int64_t kMaxDibPixels = int64_t{1} << 30;
#else
constexpr int64_t kMaxDibPixels = int64_t{1} << 28;
#endif

// Beyond this many bytes of pixel data a bitmap is refused: what a bitmap's size field (32 bits) counts
// in a 64-bit process, what a signed 32-bit size counts in a 32-bit one.
#if defined(_WIN64)
constexpr int64_t kMaxDibBitsSize = UINT32_MAX;
#else
constexpr int64_t kMaxDibBitsSize = INT32_MAX;
#endif

// The bit depths a device-independent bitmap may have.
constexpr bool IsDibBitCount(unsigned bitCount) {
  return bitCount == 1 || bitCount == 4 || bitCount == 8 || bitCount == 16 || bitCount == 24 ||
         bitCount == 32;
}

}  // namespace zeb
