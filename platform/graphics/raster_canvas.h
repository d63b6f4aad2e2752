// A software canvas over a 32-bit pixel buffer (blue, green, red, reserved per pixel; row 0 at the top),
// for the headless build and for tests. It stretches plain DIBs nearest-neighbour (COLORONCOLOR), turned
// as Turn says, and fills rectangles; everything is clipped to the buffer. Every copy mode draws as a
// plain copy.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/graphics/canvas.h"

namespace zeb {

class RasterCanvas : public Canvas {
 public:
  // A canvas with its own buffer, black.
  RasterCanvas(int32_t width, int32_t height);
  // A canvas over another owner's pixels: Height rows of Width pixels, row 0 at Pixels, rows Stride
  // bytes apart. The pixels must outlive the canvas.
  RasterCanvas(uint8_t* pixels, int32_t width, int32_t height, ptrdiff_t stride);

  // Draws BI_RGB DIBs of 1, 4, 8, 16 (5-5-5), 24 and 32 bits, bottom-up or top-down, from a
  // BITMAPINFOHEADER (40 bytes or longer) and its colour table; colour indices past the table are
  // black. Anything else (other compressions, core headers) draws nothing. The palette does not
  // matter to a true-colour buffer.
  void StretchDIB(const PixelRect& dest, int32_t srcWidth, int32_t srcHeight, const void* bits,
                  const void* info, PaletteHandle palette) override;
  // Blends a 32-bit BI_RGB DIB of premultiplied pixels over the buffer, nearest-neighbour like
  // StretchDIB; anything else draws nothing.
  void AlphaDIB(const PixelRect& dest, int32_t srcWidth, int32_t srcHeight, const void* bits,
                const void* info) override;
  // RGB is a COLORREF: red in the low byte, then green, then blue.
  void FillRect(const PixelRect& rect, uint32_t rgb) override;
  // Icons and metafiles need the platform's own renderers: headless, these only count the calls.
  void DrawIcon(const uint8_t* image, size_t size, int32_t width, int32_t height,
                const PixelRect& dest) override;
  void PlayMetafile(const uint8_t* data, size_t size, bool enhanced, const PixelRect& dest) override;

  int32_t Width() const { return width_; }
  int32_t Height() const { return height_; }
  // The pixel at (X, Y) as a COLORREF (red in the low byte); raises std::out_of_range outside.
  uint32_t Pixel(int32_t x, int32_t y) const;
  uint8_t* Row(int32_t y) { return pixels_ + y * stride_; }

  int iconsDrawn = 0;
  int metafilesPlayed = 0;

 private:
  std::vector<uint8_t> own_;
  uint8_t* pixels_;
  int32_t width_, height_;
  ptrdiff_t stride_;
};

}  // namespace zeb
