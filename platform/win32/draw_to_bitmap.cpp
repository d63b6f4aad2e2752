// Drawing a picture onto a new bitmap through GDI (the wallpaper is made this way).
#include <cstring>

#include "platform/core/errors.h"
#include "platform/graphics/bitmap.h"
#include "platform/win32/gdi_canvas.h"

namespace zeb {

namespace {

// A memory DC with a DIB section selected, released in any case.
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

 private:
  HDC dc_ = nullptr;
  HBITMAP dib_ = nullptr;
  HGDIOBJ old_ = nullptr;
  void* bits_ = nullptr;
};

}  // namespace

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
