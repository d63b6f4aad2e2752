// A 32-bit top-down DIB section selected into a memory DC, filled grey at first: where Wine tests draw
// and then read pixels back.
#pragma once

#include <windows.h>

#include <cstdint>

namespace zeb::test {

class MemorySurface {
 public:
  static constexpr uint32_t kGrey = 0x808080;

  MemorySurface(int width, int height) : width_(width) {
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    dc_ = CreateCompatibleDC(nullptr);
    dib_ = CreateDIBSection(dc_, &info, DIB_RGB_COLORS, reinterpret_cast<void**>(&bits_), nullptr, 0);
    old_ = SelectObject(dc_, dib_);
    for (int i = 0; i < width * height; ++i) bits_[i] = kGrey;
  }
  ~MemorySurface() {
    SelectObject(dc_, old_);
    DeleteObject(dib_);
    DeleteDC(dc_);
  }
  MemorySurface(const MemorySurface&) = delete;
  MemorySurface& operator=(const MemorySurface&) = delete;

  bool valid() const { return dc_ && dib_ && bits_; }
  HDC dc() const { return dc_; }
  // 0xRRGGBB of a pixel.
  uint32_t at(int x, int y) const {
    GdiFlush();
    return bits_[y * width_ + x] & 0xFFFFFF;
  }

 private:
  int width_;
  HDC dc_;
  HBITMAP dib_;
  HGDIOBJ old_;
  uint32_t* bits_ = nullptr;
};

}  // namespace zeb::test
