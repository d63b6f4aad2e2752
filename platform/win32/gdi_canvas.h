// A canvas over a GDI device context (a window's, a memory DC's or a printer's).
#pragma once

#include <functional>

#include "platform/graphics/canvas.h"
#include "platform/win32/windows_api.h"

namespace zeb::win32 {

// A Turn other than the default draws through two 32-bit DIB sections the size of the picture on
// screen: the picture is drawn upright into one (over what the screen holds there, turned back), and
// the raster canvas turns that onto the other, which is copied in place.
class GdiCanvas : public Canvas {
 public:
  explicit GdiCanvas(HDC dc) : dc_(dc) {}
  void StretchDIB(const PixelRect& dest, int32_t srcWidth, int32_t srcHeight, const void* bits,
                  const void* info, PaletteHandle palette) override;
  // Blends through GdiAlphaBlend (gdi32's own AlphaBlend, which spares loading msimg32 at start) from a DIB
  // section holding a copy of the pixels.
  void AlphaDIB(const PixelRect& dest, int32_t srcWidth, int32_t srcHeight, const void* bits,
                const void* info) override;
  // RGB is 0xRRGGBB.
  void FillRect(const PixelRect& rect, uint32_t rgb) override;
  void FillChecker(const PixelRect& rect) override;
  void DrawIcon(const uint8_t* image, size_t size, int32_t width, int32_t height,
                const PixelRect& dest) override;
  void PlayMetafile(const uint8_t* data, size_t size, bool enhanced, const PixelRect& dest) override;
  HDC dc() const { return dc_; }

 private:
  // Runs Draw upright on a canvas holding Dest turned back, then copies it turned into place; false
  // when Turn is the default (or there is no memory for the sections), and Draw has not run.
  bool DrawTurned(const PixelRect& dest, const std::function<void(GdiCanvas& upright)>& draw);
  HDC dc_;
};

}  // namespace zeb::win32
