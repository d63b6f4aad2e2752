// A memory DC with a DIB section selected, released in any case.
#pragma once

#include "platform/win32/windows_api.h"

namespace zeb {

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
