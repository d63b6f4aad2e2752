// Drawing a picture onto a new bitmap without GDI: a 32-bit top-down bitmap whose rows are exactly a
// raster canvas's buffer.
#include "platform/graphics/bitmap.h"
#include "platform/graphics/raster_canvas.h"

namespace zeb {

std::unique_ptr<Bitmap> DrawToNewBitmap(Image& graphic, int32_t width, int32_t height) {
  auto bitmap = std::make_unique<Bitmap>();
  bitmap->SetSize(width > 0 ? width : 0, height > 0 ? height : 0, 32, true);
  if (bitmap->GetEmpty()) return bitmap;
  RasterCanvas canvas(bitmap->Bits(), width, height, static_cast<ptrdiff_t>(bitmap->RowStride()));
  graphic.Draw(canvas, Rect(0, 0, width, height));
  return bitmap;
}

}  // namespace zeb
