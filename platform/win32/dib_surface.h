// A memory DC with a DIB section selected, released in any case.
#pragma once

#include <cstdint>

#include "platform/win32/windows_api.h"

namespace zeb {

// The header of a top-down 32-bit DIB of this size.
inline BITMAPINFO TopDown32BitInfo(int32_t width, int32_t height) {
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  return info;
}

class DibSurface {
 public:
  explicit DibSurface(const BITMAPINFO* info) {
    dc_ = CreateCompatibleDC(nullptr);
    if (dc_) dib_ = CreateDIBSection(dc_, info, DIB_RGB_COLORS, &bits_, nullptr, 0);
    if (dib_) old_ = SelectObject(dc_, dib_);
  }
  ~DibSurface() {
    if (old_) SelectObject(dc_, old_);
    if (dib_) DeleteObject(dib_);
    if (dc_) DeleteDC(dc_);
  }
  DibSurface(const DibSurface&) = delete;
  DibSurface& operator=(const DibSurface&) = delete;
  bool ok() const { return dib_ && bits_; }
  HDC dc() const { return dc_; }
  const void* bits() const { return bits_; }
  void* bits() { return bits_; }

 private:
  HDC dc_ = nullptr;
  HBITMAP dib_ = nullptr;
  HGDIOBJ old_ = nullptr;
  void* bits_ = nullptr;
};

}  // namespace zeb
