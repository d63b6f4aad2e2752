// A 32-bit top-down DIB section selected into a memory DC, filled grey at first: where Wine tests draw
// and then read pixels back.
#pragma once

#include <windows.h>

#include <cstdint>

#include "platform/win32/dib_surface.h"

namespace zeb::test {

class MemorySurface {
 public:
  static constexpr uint32_t kGrey = 0x808080;

  MemorySurface(int width, int height)
      : width_(width), info_(TopDown32BitInfo(width, height)), surface_(&info_) {
    for (int i = 0; i < width * height && valid(); ++i) Bits()[i] = kGrey;
  }

  bool valid() const { return surface_.ok(); }
  HDC dc() const { return surface_.dc(); }
  // 0xRRGGBB of a pixel.
  uint32_t at(int x, int y) const {
    GdiFlush();
    return static_cast<const uint32_t*>(surface_.bits())[y * width_ + x] & 0xFFFFFF;
  }

 private:
  uint32_t* Bits() { return static_cast<uint32_t*>(surface_.bits()); }
  int width_;
  BITMAPINFO info_;
  DibSurface surface_;
};

}  // namespace zeb::test
