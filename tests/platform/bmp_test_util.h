// Loading and rendering helpers shared by the bitmap tests.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/core/streams.h"
#include "platform/graphics/bitmap.h"
#include "platform/graphics/raster_canvas.h"
#include "tests/support/load_bytes.h"

namespace zeb::test {

inline std::unique_ptr<Bitmap> LoadBmp(const std::string& bytes) {
  auto bitmap = std::make_unique<Bitmap>();
  LoadBytes(*bitmap, bytes);
  return bitmap;
}

// 0x00RRGGBB of a canvas pixel (the canvas answers COLORREFs).
inline uint32_t CanvasRgb(const RasterCanvas& canvas, int32_t x, int32_t y) {
  const uint32_t c = canvas.Pixel(x, y);
  return (c & 0xFF) << 16 | (c & 0xFF00) | (c >> 16 & 0xFF);
}

// Every pixel of a canvas, top row first, as 0x00RRGGBB.
inline std::vector<uint32_t> CanvasPixels(const RasterCanvas& canvas) {
  std::vector<uint32_t> out;
  for (int32_t y = 0; y < canvas.Height(); ++y)
    for (int32_t x = 0; x < canvas.Width(); ++x) out.push_back(CanvasRgb(canvas, x, y));
  return out;
}

// The picture drawn 1:1 onto a fresh canvas, top row first, as 0x00RRGGBB.
inline std::vector<uint32_t> Rendered(Bitmap& bitmap) {
  RasterCanvas canvas(bitmap.GetWidth(), bitmap.GetHeight());
  bitmap.Draw(canvas, Rect(0, 0, bitmap.GetWidth(), bitmap.GetHeight()));
  return CanvasPixels(canvas);
}

}  // namespace zeb::test
