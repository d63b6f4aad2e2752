// Drawing a picture onto a new bitmap through GDI (the wallpaper is made this way).
#include <cstring>

#include "platform/core/errors.h"
#include "platform/graphics/bitmap.h"
#include "platform/win32/dib_surface.h"
#include "platform/win32/gdi_canvas.h"

namespace zeb {

std::unique_ptr<Bitmap> DrawToNewBitmap(Image& graphic, int32_t width, int32_t height) {
  auto bitmap = std::make_unique<Bitmap>();
  if (width <= 0 || height <= 0) return bitmap;
  bitmap->SetSize(width, height, 24);
  // The DIB section has the new bitmap's own layout, so its rows copy across in one piece.
  DibSurface surface(reinterpret_cast<const BITMAPINFO*>(bitmap->Info()));
  if (!surface.ok())
    throw OutOfResources("Not enough memory for a " + std::to_string(width) + " x " + std::to_string(height) +
                         " bitmap");
  win32::GdiCanvas canvas(surface.dc());
  canvas.FillRect(Rect(0, 0, width, height), 0x000000);
  graphic.Draw(canvas, Rect(0, 0, width, height));
  GdiFlush();
  std::memcpy(bitmap->Bits(), surface.bits(), bitmap->BitsSize());
  return bitmap;
}

}  // namespace zeb
