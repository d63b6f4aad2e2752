// A canvas over a GDI device context (a window's, a memory DC's or a printer's).
#pragma once

#include "platform/graphics/canvas.h"
#include "platform/win32/windows_api.h"

namespace zeb::win32 {

class GdiCanvas : public TCanvas {
 public:
  explicit GdiCanvas(HDC dc) : dc_(dc) {}
  void StretchDIB(const TRect& dest, int32_t srcWidth, int32_t srcHeight, const void* bits, const void* info,
                  TPaletteHandle palette) override;
  // Blends through AlphaBlend from a DIB section holding a copy of the pixels.
  void AlphaDIB(const TRect& dest, int32_t srcWidth, int32_t srcHeight, const void* bits,
                const void* info) override;
  // RGB is 0xRRGGBB.
  void FillRect(const TRect& rect, uint32_t rgb) override;
  void DrawIcon(const uint8_t* image, size_t size, int32_t width, int32_t height, const TRect& dest) override;
  void PlayMetafile(const uint8_t* data, size_t size, bool enhanced, const TRect& dest) override;
  HDC dc() const { return dc_; }

 private:
  HDC dc_;
};

}  // namespace zeb::win32
